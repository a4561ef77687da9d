// The sales panel: building it with a 50 x 50 grid over 5,000 products, a tap to the line shown
// after "SCARICA", and a receipt of 30 lines from "Stampa" to the emptied sale (spooling left
// out: the print hook answers at once). Each figure comes with a reference measured in the same
// run, on the same data folder, and the ratio between them.
// panel_bench [RUNS]; TMPDIR chooses the disk of the data folder (the commit of each line
// waits for the disk, as it must: a sale is never lost).
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "panel/cella.h"
#include "panel/sinotticofrm.h"
#include "stock/scarico.h"
#include "support/testfolder.h"

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void riga(QTextStream& out, const QString& cosa, double valore, const QString& rif,
          double riferimento) {
    out << QStringLiteral("%1 %2 ms | riferimento (%3) %4 ms | rapporto %5\n")
               .arg(cosa, -46)
               .arg(valore, 8, 'f', 2)
               .arg(rif)
               .arg(riferimento, 0, 'f', 2)
               .arg(valore / riferimento, 0, 'f', 2);
    out.flush();
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installItalianLocale();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);
    ScriptedMessages quiet;

    TestFolder tf;
    Database& db = tf.db();
    {
        Database::Transaction tx(db);
        db.exec(QStringLiteral("INSERT INTO Intesta (Griglia_X, Griglia_Y) VALUES (50, 50)"));
        db.exec(QStringLiteral("INSERT INTO Imballi (Bottiglia, Volume) VALUES ('075', 0.75)"));
        for (int p = 0; p < 5000; ++p)
            db.exec(QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, Stato, "
                                   "Bottiglia, Litri, Prezzo_sinottico, Pos_Griglia, Nome_breve, "
                                   "Colore, UM) VALUES (?, ?, ?, ?, 100000, 8.5, ?, ?, "
                                   "'0x00B3DEF5', 'nr')"),
                    {QStringLiteral("P%1").arg(p, 5, 10, QLatin1Char('0')),
                     QStringLiteral("Vino di prova numero %1").arg(p),
                     p % 2 ? QStringLiteral("2") : QStringLiteral("1"),
                     p % 2 ? QStringLiteral("075") : QString(), 1 + p % 2600,
                     QStringLiteral("Vino %1").arg(p)});
        tx.commit();
    }
    const QRect area(0, 0, 1920, 1080);

    // 1. Building the panel, against building as many bare widgets.
    std::vector<double> build, bare;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        {
            Tfrmsinottico w(db, area);
            build.push_back(ms(t));
        }
        t.restart();
        {
            QWidget parent;
            for (int c = 0; c < 2500; ++c)
                (new QWidget(&parent))->setGeometry(c % 50, c / 50, 10, 10);
            bare.push_back(ms(t));
        }
    }
    riga(out, QStringLiteral("costruzione pannello 50x50, 5.000 prodotti"), median(build),
         QStringLiteral("2.500 QWidget vuoti"), median(bare));

    // 2. A tap, a digit and "SCARICA" to the line in the list, against one bare insert with its
    //    commit on the same folder (what durability costs at least).
    Tfrmsinottico w(db, area);
    w.show();
    (void)QTest::qWaitForWindowExposed(&w);
    QListView* lista = w.findChild<QListView*>(QStringLiteral("Scontrino"));
    auto* scarica = w.findChild<QPushButton*>(QStringLiteral("btnscarica"));
    auto* tre = w.findChild<QPushButton*>(QStringLiteral("BitBtn4"));
    std::vector<double> tap, insert, solo;
    for (int i = 0; i < 30 * runs; ++i) {
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(w.cella(i % 50, (i / 50) % 50), Qt::LeftButton);
        const double tocco = ms(t);
        QTest::mouseClick(tre, Qt::LeftButton);
        QTest::mouseClick(scarica, Qt::LeftButton);
        lista->repaint();
        tap.push_back(ms(t));
        solo.push_back(tocco);
        if (lista->model()->rowCount() >= 30) w.vendita().svuota_vendita();
        t.restart();
        {
            Database::Transaction tx(db);
            db.exec(QStringLiteral("INSERT INTO Giornale (Tipo, Litri) VALUES ('X', 0)"));
            tx.commit();
        }
        insert.push_back(ms(t));
    }
    riga(out, QStringLiteral("  di cui il tocco (scelta e disponibilità)"), median(solo),
         QStringLiteral("un INSERT con commit"), median(insert));
    riga(out, QStringLiteral("tocco + cifra + SCARICA fino alla riga mostrata"), median(tap),
         QStringLiteral("un INSERT con commit"), median(insert));

    // 3. A receipt of 30 lines from "Stampa" to the emptied sale, against the 30 discharges
    //    alone in one transaction.
    std::vector<double> receipt, discharge;
    for (int i = 0; i < runs; ++i) {
        w.vendita().svuota_vendita();
        for (int l = 0; l < 30; ++l) {
            w.vendita().Seleziona(QStringLiteral("Vino %1").arg(l));
            w.vendita().Inserisce_numeri(QStringLiteral("2"));
            w.vendita().btnscaricaClick();
        }
        w.vendita().prepara_intestazione(QDate::currentDate());
        w.vendita().appoggio_I.post();
        QElapsedTimer t;
        t.start();
        const auto esito = w.vendita().stampa_scontrino(QDate::currentDate(), [] { return true; });
        QApplication::processEvents();
        lista->repaint();
        receipt.push_back(ms(t));
        if (esito != VenditaInCorso::Scontrino::Stampato || lista->model()->rowCount() != 0)
            out << "receipt not emptied\n";
        t.restart();
        {
            Database::Transaction tx(db);
            for (int l = 0; l < 30; ++l) {
                MovimentoGiornale m;
                m.data = QDate::currentDate();
                m.codVino = QStringLiteral("P%1").arg(l, 5, 10, QLatin1Char('0'));
                m.litri = 2;
                m.tipo = QStringLiteral("N");
                registra_scarico(db, m.codVino, 2, m, OrdineScarico::GiacenzaPoiGiornale);
            }
            tx.commit();
        }
        discharge.push_back(ms(t));
    }
    riga(out, QStringLiteral("scontrino di 30 righe, da Stampa a vendita vuota"), median(receipt),
         QStringLiteral("30 scarichi in una transazione"), median(discharge));
    return 0;
}
