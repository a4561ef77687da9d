// "Elenco Clienti" on 20,000 customers, "Controllo movimenti  prodotto" on a product with 20,000
// journal rows (and as many document lines of other products) and "Lista Documenti Emessi" on
// 20,000 documents, timed from the confirmation of the selection to the prepared report, as the
// user waits for the preview. The
// reference, measured in the same run, is reading the same rows with a bare query: the ratio
// says what the list adds on top of the database.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "masterdata/masterdata_rules.h"
#include "printing/printedlists.h"
#include "report/datasetsource.h"
#include "report/engine.h"
#include "support/testfolder.h"

namespace {

// Confirms at once and starts the clock there.
class Confirm : public SelezioneStampe {
public:
    QElapsedTimer clock;
    QString prodotto;
    bool selezionaClienti(SelezioneClienti&) override { return start(); }
    bool selezionaFatture(SelezioneFatture&) override { return start(); }
    bool selezionaMovimenti(SelezioneMovimenti& s) override {
        s.prodotto = prodotto;
        return start();
    }

private:
    bool start() {
        clock.start();
        return true;
    }
};

void fill(TestFolder& tf, int customers, int journal) {
    Database& db = tf.db();
    Database::Transaction tx(db);
    for (int i = 0; i < customers; ++i)
        db.exec(
            QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Indirizzo, "
                           "Ncivico, CAP, Citta, Prov, PartitaIVA, Telefono1, Email) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')),
             QStringLiteral("Enoteca %1 di Rossi & C. s.n.c.").arg(i),
             QStringLiteral("Via dei Vigneti"), QString::number(i % 300), QStringLiteral("31020"),
             QStringLiteral("San Pietro di Feletto"), QStringLiteral("TV"),
             QStringLiteral("0%1").arg(1000000000 + i), QStringLiteral("0438 %1").arg(100000 + i),
             QStringLiteral("cliente%1@esempio.it").arg(i)});
    for (int p = 0; p < 50; ++p)
        db.exec(QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, Stato, Litri) "
                               "VALUES (?, ?, '1', 1000)"),
                {QStringLiteral("P%1").arg(p, 3, 10, QLatin1Char('0')),
                 QStringLiteral("Prosecco Superiore DOCG %1").arg(p)});
    const QDate start(2024, 1, 1);
    for (int i = 0; i < journal; ++i) {
        // The product measured, then as many rows of the others.
        db.exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Cliente, "
                               "Docum_numero, Riga_num, Tipo) VALUES (?, 'P000', 0.75, ?, ?, ?, "
                               "'B')"),
                {QDateTime(start.addDays(i / 30), QTime(9, 0)), QStringLiteral("C000001"),
                 QStringLiteral("B-2024-%1").arg(i, 6, 10, QLatin1Char('0')), i});
        db.exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Tipo) "
                               "VALUES (?, ?, 1.5, 'N')"),
                {QDateTime(start.addDays(i / 30), QTime(10, 0)),
                 QStringLiteral("P%1").arg(1 + i % 49, 3, 10, QLatin1Char('0'))});
    }
    // Headers of the three kinds over two years, for the documents list.
    const char* kinds[] = {"B", "F", "N"};
    for (int i = 0; i < customers; ++i) {
        const char* kind = kinds[i % 3];
        const QDate day = start.addDays(i / 30);
        db.exec(
            QStringLiteral("INSERT INTO Fatture (Docum_numero, Anno, Num_fattura, Data, Codice, "
                           "Doc_tipo, DDTFATT, Tot_Imponibile, Tot_Iva, Totale) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, 100, 22, 122)"),
            {QStringLiteral("%1-%2-%3")
                 .arg(QLatin1String(kind))
                 .arg(day.year())
                 .arg(i, 6, 10, QLatin1Char('0')),
             QString::number(day.year()), i, day.startOfDay(),
             QStringLiteral("C%1").arg(i % customers, 6, 10, QLatin1Char('0')), QLatin1String(kind),
             QLatin1String(kind[0] == 'B' ? "D" : "I")});
    }
    tx.commit();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    installItalianLocale();
    ScriptedMessages quiet;
    const int rows = 20000;
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    TestFolder tf;
    fill(tf, rows, rows);
    QDir().mkpath(tf.file(QStringLiteral("stampe")));
    for (const char* t : {"clienti", "analisi", "listafatture"})
        QFile::copy(QStringLiteral(VINORDA_TEMPLATES_DIR "/") + t + QStringLiteral(".frf"),
                    tf.file(QStringLiteral("stampe/%1.frf").arg(QString::fromLatin1(t))));

    SharedData sd(tf.db());
    attachDocumentRules(sd);
    sd.Intestazione.open();
    report::ReportEngine engine;
    report::DataSetSources sources;
    for (DataSet* ds : sd.all()) engine.dataSources().add(&sources.add(*ds));
    Confirm confirm;
    confirm.prodotto = QStringLiteral("P000");
    double elapsed = 0, data = 0;
    int pages = 0, printedRows = 0;
    PrintedLists lists(sd, [&](const QString& name, const QString& title) {
        data = confirm.clock.nsecsElapsed() / 1e6;
        if (!engine.loadFromFile(tf.file(QStringLiteral("stampe/") + name + ".frf"))) return;
        engine.setTitle(title);
        if (!engine.prepare()) {
            std::fprintf(stderr, "%s\n", qPrintable(engine.errorString()));
            return;
        }
        elapsed = confirm.clock.nsecsElapsed() / 1e6;
        pages = engine.pageCount();
        printedRows = name == QLatin1String("clienti") ? sd.Clienti.recordCount()
                      : name == QLatin1String("listafatture")
                          ? sd.Fatture.recordCount()
                          : sd.Appo1.recordCount() + sd.appo2.recordCount();
    });
    lists.setSelezione(&confirm);

    auto reference = [&](const QString& sql) {
        QElapsedTimer t;
        t.start();
        QSqlQuery q = tf.db().select(sql, {});
        const int columns = q.record().count();
        QVariantList values;
        while (q.next())
            for (int c = 0; c < columns; ++c) values << q.value(c);
        return t.nsecsElapsed() / 1e6;
    };

    struct Case {
        const char* label;
        const char* command;
        QString referenceSql;
    } cases[] = {
        {"Elenco Clienti, 20.000 clienti", "ElencoClienti",
         QStringLiteral("SELECT * FROM Anagrafica ORDER BY RagioneSociale")},
        {"Controllo movimenti, 20.000 righe di giornale", "Controllomovimentiprodotto1",
         QStringLiteral("SELECT * FROM Giornale WHERE Cod_vino = 'P000' ORDER BY Docum_numero, "
                        "ID")},
        {"Lista Documenti Emessi, 20.000 documenti", "ListaFattureEmesse1",
         QStringLiteral("SELECT * FROM Fatture ORDER BY Docum_numero")},
    };
    for (const Case& c : cases) {
        std::vector<double> times, datas, refs;
        for (int r = 0; r < rounds; ++r) {
            lists.run(QString::fromLatin1(c.command));
            times.push_back(elapsed);
            datas.push_back(data);
            refs.push_back(reference(c.referenceSql));
        }
        const double t = median(times), ref = median(refs);
        std::printf(
            "%s: %d righe, %d pagine, %.0f ms dalla conferma al report pronto, di cui "
            "%.0f ms per i dati (riferimento: lettura delle stesse righe %.0f ms, "
            "rapporto %.1f)\n",
            c.label, printedRows, pages, t, median(datas), ref, t / ref);
    }
    return 0;
}
