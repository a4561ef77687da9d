// The registry file (every section) and the CSV files (every file) of 20,000 customers, 5,000
// products and 200,000 journal rows, each timed against the sqlite3 command-line tool writing
// the same joined rows to a file in the same run.
//   export_bench [clienti prodotti movimenti]   (a folder generated for the run)
//   export_bench DIR                            (a data folder made before, e.g. by genera)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include "common/format.h"
#include "data/database.h"
#include "datitool.h"
#include "stock/esportacsv.h"
#include "stock/vireg.h"
#include "timing.h"

namespace {

qint64 sizeOf(const QStringList& files) {
    qint64 n = 0;
    for (const QString& f : files) n += QFileInfo(f).size();
    return n;
}

// The rows each export reads, joined as it joins them, written by sqlite3 in CSV mode.
QString referenceScript(Database& db, const QString& output, bool carico) {
    const QString volume = QStringLiteral(
        "LEFT JOIN (SELECT Bottiglia AS b, Volume FROM Imballi GROUP BY Bottiglia) i "
        "ON i.b = v.Bottiglia");
    auto strip = [](QString s) { return s.trimmed().remove(QLatin1Char(';')); };
    QString s = QStringLiteral(".mode csv\n.output %1\n").arg(output);
    s += QStringLiteral(
        "SELECT Codice, RagioneSociale, Giur_Pers, PartitaIVA, CodiceFiscale, Nome, Cognome, "
        "Indirizzo, Ncivico, Citta, CAP, Prov, SiglaNaz, Telefono1, Telefono2, Telefono3, FAX, "
        "Email FROM Anagrafica WHERE Giur_Pers = 'G' OR Giur_Pers = 'P' ORDER BY rowid;\n");
    const QString products = QStringLiteral(
        "SELECT v.*, i.Volume FROM (SELECT rowid AS r, Codice_prodotto, Descrizione, Categoria, "
        "Stato, Atto_Certificato, Classificazione, Annata, Lotto, Bottiglia, Zona, Litri FROM "
        "Prodotti) v %1 %2 ORDER BY v.r;\n");
    s += products.arg(volume, QStringLiteral("WHERE coalesce(v.Stato, '') <> '0'"));
    s += QStringLiteral("SELECT v.*, i.Volume FROM (%1) v %2;\n")
             .arg(strip(db.storedQuerySql(QStringLiteral("Esporta_BF"))), volume);
    s += QStringLiteral("SELECT v.*, i.Volume FROM (%1) v %2;\n")
             .arg(strip(db.storedQuerySql(QStringLiteral("Esporta_N"))), volume);
    s += products.arg(volume, QStringLiteral("WHERE v.Litri <> 0"));
    if (carico) s += products.arg(volume, QStringLiteral("WHERE v.Litri <> 0"));
    return s;
}

double runSqlite(const QString& sqlite, const QString& dbPath, const QString& script,
                 const PeriodoViste& p) {
    const QString params =
        QStringLiteral(".parameter init\n.parameter set ?1 \"'%1'\"\n.parameter set ?2 \"'%2'\"\n")
            .arg(Database::dateTimeText(p.da.toDateTime()),
                 Database::dateTimeText(p.a.toDateTime()));
    return bestMs(
        [&] {
            QProcess proc;
            proc.start(sqlite, {QStringLiteral("-bail"), dbPath});
            proc.write((params + script).toUtf8());
            proc.closeWriteChannel();
            proc.waitForFinished(-1);
            if (proc.exitCode() != 0)
                std::fprintf(stderr, "sqlite3: %s\n", proc.readAllStandardError().constData());
        },
        3);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    installItalianLocale();
    DatiTool::GenerateSizes sizes;
    if (argc > 3) {
        sizes.clienti = std::atoi(argv[1]);
        sizes.prodotti = std::atoi(argv[2]);
        sizes.movimenti = std::atoi(argv[3]);
    }
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QElapsedTimer t;
    t.start();
    DatiTool::createBase(folder);
    DatiTool::fillGenerated(folder, sizes);
    std::printf("data folder: %d customers, %d products, %d journal rows (%.1f s)\n", sizes.clienti,
                sizes.prodotti, sizes.movimenti, t.elapsed() / 1000.0);

    Database db;
    db.open(folder);
    QSqlQuery span = db.select(QStringLiteral("SELECT min(Data_Ora), max(Data_Ora) FROM Giornale"));
    span.next();
    const PeriodoViste periodo{Database::parseDateTime(span.value(0).toString()),
                               Database::parseDateTime(span.value(1).toString()).addSecs(86399)};
    QTemporaryDir outDir;
    const QString out = outDir.path() + QLatin1Char('/');
    QDir().mkpath(out);

    SezioniVireg vireg{true, true, true, true, true, QDate(2025, 1, 1)};
    EsitoEsportazione ev;
    const double viregMs =
        bestMs([&] { ev = esportaVireg(db, out, periodo, vireg, orologioDiSistema()); }, 3);
    EsitoEsportazione ec;
    const double csvMs = bestMs(
        [&] {
            ec = esportaCsv(db, out, periodo, {true, true, true, true}, orologioDiSistema());
        },
        3);
    if (!ev.riuscita() || !ec.riuscita()) {
        std::fprintf(stderr, "export failed: %s %s\n", qPrintable(ev.errore),
                     qPrintable(ec.errore));
        return 1;
    }

    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite.isEmpty()) {
        std::printf("registry file: %.0f ms; CSV files: %.0f ms (no sqlite3 tool to compare)\n",
                    viregMs, csvMs);
        return 0;
    }
    const QString ref = out + QStringLiteral("reference.csv");
    const double refVireg = runSqlite(sqlite, db.path(), referenceScript(db, ref, true), periodo);
    const qint64 refViregBytes = QFileInfo(ref).size();
    const double refCsv = runSqlite(sqlite, db.path(), referenceScript(db, ref, false), periodo);
    const qint64 refCsvBytes = QFileInfo(ref).size();

    std::printf(
        "registry file, every section: %.0f ms, %lld bytes; sqlite3 same rows: %.0f ms, "
        "%lld bytes; ratio %.2f\n",
        viregMs, sizeOf(ev.file), refVireg, refViregBytes, viregMs / refVireg);
    std::printf(
        "CSV files, all four: %.0f ms, %lld bytes; sqlite3 same rows: %.0f ms, %lld "
        "bytes; ratio %.2f\n",
        csvMs, sizeOf(ec.file), refCsv, refCsvBytes, csvMs / refCsv);
    return 0;
}
