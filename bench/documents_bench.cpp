// Documents: saving a header with 500 lines, opening the documents window and changing the kind
// filter on 50,000 headers with 500,000 lines, the number proposal, printing with discharge of a
// 100-line document (the preview left out). Each figure comes with a reference measured in the
// same run on the same data, and their ratio.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "documents/kinds.h"
#include "documents/numbering.h"
#include "documents/service.h"
#include "timing.h"

namespace {
QTextStream out(stdout);

double ms(int runs, const std::function<void()>& f) {
    return medianMs(runs, f);
}

void report(const char* what, double value, double aim, const char* ref, double reference) {
    reportFigure(out, what, value, aim, ref, reference);
}

// A document of n lines of one bulk product, written through the service.
QString document(Database& db, int n) {
    QVector<CampiRiga> righe;
    for (int i = 0; i < n; ++i) {
        CampiRiga r;
        r.codice = r.codVino = QStringLiteral("SF");
        r.descrizione = QStringLiteral("Rosso sfuso");
        r.quantita = 1 + i % 7;
        r.litriPerUnita = 1;
        r.prezzo = 2.35;
        r.iva = i % 3 ? QString() : QStringLiteral("10");
        righe << r;
    }
    const EsitoDocumento e = creaDocumento(
        db, {KindDdt, QDate(2025, 3, 1), 0, QStringLiteral("G1"), QStringLiteral("G1"), {}}, righe);
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
    DatiTool::GenerateSizes sizes;
    sizes.clienti = 2000;
    sizes.prodotti = 500;
    sizes.movimenti = 0;
    sizes.documenti = argc > 1 ? std::atoi(argv[1]) : 50000;
    sizes.righe = 10;
    QElapsedTimer t;
    t.start();
    DatiTool::createBase(folder);
    DatiTool::fillGenerated(folder, sizes);
    out << "data: " << sizes.documenti << " headers, " << sizes.documenti * sizes.righe
        << " lines, written in " << t.elapsed() << " ms\n";
    Database db;
    db.open(folder);
    db.exec(
        QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Giur_Pers) VALUES "
                       "('G1', 'Banco', 'G')"));
    db.exec(
        QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Stato, Litri) VALUES "
                       "('SF', '1', 1e9)"));
    SharedData sd(db);
    attachDocumentRules(sd);

    // ---- the number proposal
    const double proposal = ms(21, [&] { prossimo_numero(db, QStringLiteral("F"), 2025); });
    const double keyLookup = ms(21, [&] { numeroEsistente(db, QStringLiteral("F-2025-000001")); });
    report("number proposal", proposal, 2, "one key lookup", keyLookup);

    // ---- opening the window and changing the kind filter
    IniFile settings(folder + QStringLiteral("vinorda.ini"));
    IniFile layout(folder + QStringLiteral("form.ini"));
    TfrmFatture w(sd, settings, layout);
    double open = 0, change = 0;
    for (int round = 0; round < 3; ++round) {
        t.start();
        for (DataSet* ds : {&sd.Clienti, &sd.Fatture, &sd.righe, &sd.clifatt, &sd.destfatt})
            ds->open();
        sd.Fatture.last();
        sd.prodotti.open();
        sd.Fatture.setFiltered(true);
        w.show();
        QCoreApplication::processEvents();
        open = t.nsecsElapsed() / 1e6;
        auto* tipo = w.findChild<QComboBox*>(QStringLiteral("sel_tipo"));
        t.start();
        tipo->setCurrentIndex(3);
        Q_EMIT tipo->activated(3);
        QCoreApplication::processEvents();
        change = t.nsecsElapsed() / 1e6;
        tipo->setCurrentIndex(0);
        Q_EMIT tipo->activated(0);
        w.close();
        for (DataSet* ds :
             {&sd.prodotti, &sd.righe, &sd.Fatture, &sd.clifatt, &sd.destfatt, &sd.Clienti})
            ds->close();
        sd.Fatture.setFiltered(false);
    }
    const double readAll = ms(3, [&] {
        QSqlQuery q = db.select(QStringLiteral("SELECT * FROM Fatture"));
        while (q.next()) {
        }
    });
    report("opening the documents window", open, 200, "reading every header with a bare select",
           readAll);
    report("changing sel_tipo", change, 200, "reading every header with a bare select", readAll);

    // ---- saving a header with 500 lines
    const QString big = document(db, 500);
    sd.Fatture.open();
    sd.righe.open();
    sd.Fatture.setReadOnly(false);
    sd.Fatture.locate(QStringLiteral("Docum_numero"), big);
    int sc = 0;
    const double save = ms(11, [&] {
        sd.Fatture.edit();
        sd.Fatture.field(QStringLiteral("SC1")).setValue(++sc % 10);
        sd.Fatture.post();
    });
    const double bare = ms(11, [&] {
        Database::Transaction tx(db);
        db.exec(QStringLiteral("UPDATE Fatture SET SC2 = ? WHERE Docum_numero = ?"),
                {++sc % 10, big});
        tx.commit();
    });
    report("saving a header with 500 lines", save, 10, "one bare UPDATE of the header, committed",
           bare);

    // ---- printing with discharge, 100 lines, the preview left out
    std::vector<QString> docs;
    for (int i = 0; i < 11; ++i) docs.push_back(document(db, 100));
    size_t next = 0;
    const double print = ms(11, [&] {
        stampaDocumento(db, docs[next++], [](const QString&, const QString&) { return true; });
    });
    std::vector<int> ordini;
    QSqlQuery q =
        db.select(QStringLiteral("SELECT Ordine FROM Righe WHERE Docum_numero = ?"), {docs[0]});
    while (q.next()) ordini.push_back(q.value(0).toInt());
    // The same writes, bare: stock, journal row and mark for each line, one transaction.
    const double marks = ms(11, [&] {
        Database::Transaction tx(db);
        for (int o : ordini) {
            db.exec(QStringLiteral(
                "UPDATE Prodotti SET Litri = Litri - 1 WHERE Codice_prodotto = 'SF'"));
            db.exec(
                QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Riga_num, Tipo) "
                               "VALUES ('2025-03-01 00:00:00', 'SF', 1, ?, 'B')"),
                {o});
            db.exec(QStringLiteral("UPDATE Righe SET Scaricato = 1 WHERE Ordine = ?"), {o});
        }
        tx.commit();
    });
    report("printing with discharge, 100 lines", print, 100,
           "the same 300 writes bare in one transaction", marks);
    return 0;
}
