// The customers and products windows at the size of a busy shop: opening (data set + window
// shown and painted), scrolling the grid, a keystroke of the search filter.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <cstdio>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "masterdata/frmclienti.h"
#include "masterdata/frmlistino.h"
#include "masterdata/masterdata_rules.h"
#include "support/testfolder.h"
#include "timing.h"
#include "widgets/datagrid.h"

namespace {
double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void paint(QWidget& w) {
    w.repaint();
    QCoreApplication::processEvents();
}

double scroll(DataGrid* grid) {
    QScrollBar* bar = grid->verticalScrollBar();
    QElapsedTimer t;
    t.start();
    const int steps = 50;
    for (int i = 1; i <= steps; ++i) {
        bar->setValue(bar->maximum() * i / steps);
        grid->viewport()->repaint();
    }
    return ms(t) / steps;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    const int customers = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int products = argc > 2 ? std::atoi(argv[2]) : 5000;
    ScriptedMessages msgs;
    TestFolder tf;
    {
        Database::Transaction tx(tf.db());
        for (int i = 0; i < customers; ++i)
            tf.db().exec(
                QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Indirizzo, "
                               "Citta, Prov, Giur_Pers, Listino, Telefono1) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')),
                 QStringLiteral("Cliente %1 S.r.l.").arg((i * 7919) % customers),
                 QStringLiteral("Via Roma %1").arg(i % 200),
                 QStringLiteral("Città %1").arg(i % 300), QStringLiteral("AT"), QStringLiteral("G"),
                 QStringLiteral("1"), QStringLiteral("0141 000000")});
        tf.db().exec(
            QStringLiteral("INSERT INTO Imballi (Bottiglia, Descrizione, Volume) VALUES "
                           "('B75', 'Bordolese', 0.75), ('M150', 'Magnum', 1.5)"));
        tf.db().exec(QStringLiteral("INSERT INTO IVA (Ordine, IVA) VALUES (1, '22'), (2, '10')"));
        for (int i = 0; i < products; ++i)
            tf.db().exec(
                QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, Stato, "
                               "Bottiglia, Litri, UM, IVA, Colore, Prezzo1) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {QStringLiteral("P%1").arg(i, 5, 10, QLatin1Char('0')),
                 QStringLiteral("Vino rosso %1").arg(i),
                 i % 2 ? QStringLiteral("2") : QStringLiteral("1"), QStringLiteral("B75"),
                 double(i % 500) + 0.25, QStringLiteral("li"), QStringLiteral("22"),
                 QStringLiteral("0x000000FF"), 5.5});
        tx.commit();
    }
    SharedData sd(tf.db());
    attachMasterDataRules(sd);
    IniFile layout;

    // Windows are created once at start-up; the figure that counts is opening them.
    TfrmClienti clienti(sd, layout);
    TfrmListino listino(sd, layout);
    clienti.resize(1280, 800);
    listino.resize(1280, 800);

    QElapsedTimer t;
    t.start();
    sd.Clienti.open();
    clienti.show();
    paint(clienti);
    std::printf("customers window shown (%d rows):  %8.1f ms\n", customers, ms(t));
    clienti.findChild<QPushButton*>(QStringLiteral("btn_lista"))->click();
    paint(clienti);
    auto* cgrid = clienti.findChild<DataGrid*>(QStringLiteral("ClientiGrid"));
    std::printf("customers grid scroll, per step:   %8.2f ms\n", scroll(cgrid));

    auto* search = clienti.findChild<QLineEdit*>(QStringLiteral("ediRicerca"));
    auto* filtro = clienti.findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    search->setText(QStringLiteral("CLIENTE 19"));
    const double press = bestMs([&] {
        filtro->setChecked(false);
        filtro->click();
        paint(clienti);
    });
    std::printf("\"&Filtro\" on %d rows (%d pass):  %8.2f ms\n", customers,
                sd.Clienti.recordCount(), press);
    // A keystroke after a filter: the filter is released and every customer shown again.
    double key = 1e99;
    for (int i = 0; i < 5; ++i) {
        filtro->setChecked(false);
        filtro->click();
        QElapsedTimer k;
        k.start();
        search->setText(search->text() + QStringLiteral("0"));
        paint(clienti);
        key = std::min(key, ms(k));
        search->setText(QStringLiteral("CLIENTE 19"));
    }
    std::printf("search keystroke after a filter:   %8.2f ms\n", key);
    clienti.accept();
    sd.Clienti.close();

    t.restart();
    sd.prodotti.open();
    listino.show();
    paint(listino);
    std::printf("products window shown (%d rows):   %8.1f ms\n", products, ms(t));
    auto* pgrid = listino.findChild<DataGrid*>(QStringLiteral("ListinoGrid"));
    std::printf("products grid scroll, per step:    %8.2f ms\n", scroll(pgrid));
    listino.accept();
    sd.prodotti.close();
    return 0;
}
