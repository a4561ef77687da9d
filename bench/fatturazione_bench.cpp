// Importing a delivery note of 200 lines into a summary invoice, and the payments window opened
// and filtered on 50,000 invoices. Each figure comes with a reference measured in the same run on
// the same data, and their ratio.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "datitool.h"
#include "documents/kinds.h"
#include "documents/pagamentifrm.h"
#include "documents/service.h"
#include "timing.h"

namespace {
QTextStream out(stdout);

void report(const char* what, double value, double aim, const char* ref, double reference) {
    reportFigure(out, what, value, aim, ref, reference);
}

QVector<CampiRiga> lines(int n) {
    QVector<CampiRiga> righe;
    for (int i = 0; i < n; ++i) {
        CampiRiga r;
        r.codice = r.codVino = QStringLiteral("SF");
        r.descrizione = QStringLiteral("Rosso sfuso");
        r.um = QStringLiteral("li");
        r.stato = QStringLiteral("1");
        r.quantita = 1 + i % 7;
        r.litriPerUnita = 1;
        r.prezzo = 2.35;
        r.iva = QStringLiteral("22");
        righe << r;
    }
    return righe;
}

QString create(Database& db, int kind, const QVector<CampiRiga>& righe) {
    const EsitoDocumento e = creaDocumento(
        db, {kind, QDate(2025, 3, 1), 0, QStringLiteral("G1"), QStringLiteral("G1"), {}}, righe);
    if (!e.ok()) qFatal("%s", qPrintable(e.rifiuto));
    return e.documNumero;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    ScriptedMessages msgs;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const int invoices = argc > 1 ? std::atoi(argv[1]) : 50000;
    DatiTool::createBase(folder);
    Database db;
    db.open(folder);
    db.exec(QStringLiteral("INSERT INTO IVA (Ordine, IVA) VALUES (1, '22')"));
    db.exec(
        QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Stato, Litri, UM) VALUES "
                       "('SF', '1', 1e9, 'li')"));

    // ---- 2,000 customers and the invoices, written once
    QElapsedTimer t;
    t.start();
    {
        Database::Transaction tx(db);
        for (int c = 0; c < 2000; ++c)
            db.exec(
                QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Giur_Pers, IVA) "
                               "VALUES (?, ?, 'G', '22')"),
                {c == 0 ? QStringLiteral("G1") : QStringLiteral("C%1").arg(c),
                 c % 10 == 3 ? QStringLiteral("Enoteca del Colle %1").arg(c)
                             : QStringLiteral("Cantina %1").arg(c)});
        for (int i = 0; i < invoices; ++i) {
            const QDate d = QDate(2024, 1, 1).addDays(i * 700 / invoices);
            db.exec(QStringLiteral(
                        "INSERT INTO Fatture (Docum_numero, Doc_tipo, DDTFATT, Anno, Num_fattura, "
                        "Data, Codice, Pagato, Totale) VALUES (?, 'F', ?, ?, ?, ?, ?, ?, ?)"),
                    {QStringLiteral("F-%1-%2").arg(d.year()).arg(i + 1, 6, 10, QLatin1Char('0')),
                     i % 3 ? QStringLiteral("I") : QStringLiteral("R"), QString::number(d.year()),
                     i + 1, d.startOfDay(),
                     i % 2000 == 0 ? QStringLiteral("G1") : QStringLiteral("C%1").arg(i % 2000),
                     i % 4 == 0, qint64(1000000 + i)});
        }
        tx.commit();
    }
    out << "data: " << invoices << " invoices, 2000 customers, written in " << t.elapsed()
        << " ms\n";

    // ---- importing a delivery note of 200 lines
    const QVector<CampiRiga> righe = lines(200);
    std::vector<QString> ddts, targets;
    for (int i = 0; i < 11; ++i) {
        ddts.push_back(create(db, KindDdt, righe));
        targets.push_back(create(db, KindRiassunto, {}));
    }
    size_t next = 0;
    const double import = medianMs(11, [&] {
        const EsitoImportazione e = importaDdt(db, targets[next], ddts[next]);
        if (!e.ok() || e.righe != 200) qFatal("import refused: %s", qPrintable(e.rifiuto));
        ++next;
    });
    // The same 200 lines inserted bare, with the same values bound, in one transaction.
    const double bare = medianMs(11, [&] {
        Database::Transaction tx(db);
        for (const CampiRiga& r : righe)
            db.exec(QStringLiteral("INSERT INTO Righe (Docum_numero, CodiceCli, Codice, UM, "
                                   "Litri_per_unita, Stato, Quantita, Descrizione, Prezzo, IVA, "
                                   "Cod_vino_collegato, Sconto, Volume, Scaricato) VALUES "
                                   "('X', 'G1', ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, 0)"),
                    {r.codice, r.um, r.litriPerUnita, r.stato, r.quantita, r.descrizione,
                     qint64(r.prezzo * 10000), r.iva, r.codVino, r.quantita});
        tx.commit();
    });
    report("importing a delivery note of 200 lines", import, 100,
           "the same 200 lines inserted bare in one transaction", bare);

    // ---- the payments window opened and filtered
    Tfrmpagamenti w(db);
    double open = 0, filter = 0;
    for (int round = 0; round < 3; ++round) {
        t.start();
        w.pagamenti.open();
        w.show();
        QCoreApplication::processEvents();
        open = t.nsecsElapsed() / 1e6;
        w.findChild<QLineEdit*>(QStringLiteral("solo_cliente"))->setText(QStringLiteral("colle"));
        w.findChild<QLineEdit*>(QStringLiteral("da_data"))->setText(QStringLiteral("01/03/2024"));
        w.findChild<QCheckBox*>(QStringLiteral("ck_paga"))->setChecked(true);
        auto* filtro = w.findChild<QPushButton*>(QStringLiteral("filtro"));
        t.start();
        filtro->click();
        QCoreApplication::processEvents();
        filter = t.nsecsElapsed() / 1e6;
        if (w.pagamenti.recordCount() == 0) qFatal("nothing listed");
        w.close();
        w.pagamenti.close();
    }
    const double readAll = medianMs(3, [&] {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT Docum_numero, Anno, Data, Num_fattura, Codice, DDTFATT, Pagato, "
                           "Pagato_il, Pagato_note, Totale FROM Fatture WHERE Doc_tipo = 'F' "
                           "ORDER BY Docum_numero"));
        while (q.next()) {
        }
    });
    report("opening the payments window", open, 200, "reading the same invoices with a bare select",
           readAll);
    report("filtering the payments window", filter, 200,
           "reading the same invoices with a bare select", readAll);
    report("opening and filtering", open + filter, 200,
           "reading the same invoices with a bare select", readAll);
    return 0;
}
