#include "stampa.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <memory>
#include <vector>

#include "data/database.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/pagamenti.h"
#include "masterdata/masterdata_rules.h"
#include "printing/printedlists.h"
#include "printing/templates.h"
#include "report/datasetsource.h"
#include "report/engine.h"

namespace {

double number(const DataSet& ds, const QString& field) {
    return ds.field(field).value().toDouble();
}

int render(const QString& folder, const QString& name, const QString& pdf, const QString& documento,
           QTextStream& out, QTextStream& err) {
    Database db;
    db.open(folder);
    SharedData sd(db);
    // The calculated fields of documents, lines and products: the program's own rules.
    attachDocumentRules(sd);

    report::ReportEngine engine;
    engine.setDataFolder(folder);
    const QString path = folder + QStringLiteral("stampe/") + name + QStringLiteral(".frf");
    if (!engine.loadFromFile(path)) {
        err << engine.errorString() << Qt::endl;
        return Stampa::Failed;
    }
    const PrintTemplate* info = findPrintTemplate(name);
    engine.setTitle(info ? info->title : name);

    std::vector<std::unique_ptr<DataSet>> own;
    report::DataSetSources sources;
    auto add = [&](DataSet& ds) { engine.dataSources().add(&sources.add(ds)); };
    auto make = [&](const QString& dsName) -> DataSet& {
        own.push_back(std::make_unique<DataSet>(db, dsName));
        return *own.back();
    };
    for (DataSet* ds : sd.all()) add(*ds);
    sd.Intestazione.open();

    auto exportPdf = [&]() -> int {
        if (engine.report().pages.empty()) {
            err << QStringLiteral("Report \"%1\": non ci sono dati da stampare.").arg(name)
                << Qt::endl;
            return Stampa::Failed;
        }
        if (!engine.exportPdf(pdf)) {
            err << engine.errorString() << Qt::endl;
            return Stampa::Failed;
        }
        out << QStringLiteral("%1: %2 pagine in %3\n").arg(name).arg(engine.pageCount()).arg(pdf);
        return Stampa::Ok;
    };

    // The lists are prepared by the lists themselves, over the whole selection.
    int rc = Stampa::Failed;
    PrintedLists lists(sd, {});
    if (lists.withListData(name, [&] { rc = exportPdf(); })) return rc;

    // Documents, the journal, payments and the receipt, as their windows prepare them.
    for (DataSet* ds :
         {&sd.Clienti, &sd.prodotti, &sd.Fatture, &sd.clifatt, &sd.destfatt, &sd.righe})
        ds->open();
    if (!documento.isEmpty()) {
        if (!sd.Fatture.locate(QStringLiteral("Docum_numero"), documento)) {
            err << QStringLiteral("Il documento \"%1\" non esiste.").arg(documento) << Qt::endl;
            return Stampa::Failed;
        }
    } else {
        sd.Fatture.last();
    }

    const QVariantList period{QDateTime(QDate(1900, 1, 1), QTime(0, 0)),
                              QDateTime(QDate(2999, 12, 31), QTime(23, 59, 59))};
    DataSet& documenti = make(QStringLiteral("documenti"));
    documenti.setStoredQuery(QStringLiteral("Esporta_BF"), period);
    DataSet& corrispettivi = make(QStringLiteral("corrispettivi"));
    corrispettivi.setStoredQuery(QStringLiteral("Esporta_N"), period);
    DataSet& pagamenti = make(QStringLiteral("pagamenti"));
    preparaPagamenti(pagamenti);
    DataSet& appR = make(QStringLiteral("appoggio_R"));
    appR.setTable(QStringLiteral("Appoggio_R"));
    DataSet& appI = make(QStringLiteral("appoggio_I"));
    appI.setTable(QStringLiteral("Appoggio_I"));
    DataSet& somma = make(QStringLiteral("Somma"));
    somma.setSql(QStringLiteral("SELECT SUM(TOTALE) AS TOT FROM APPOGGIO_R"));
    for (auto& ds : own) {
        ds->open();
        add(*ds);
    }
    for (const char* f : {"PREZZO", "TOTALE"})
        appR.field(QString::fromLatin1(f)).setDisplayFormat(QStringLiteral("0.00 €"));

    if (info && info->document && !sd.Fatture.isEmpty() &&
        number(sd.Fatture, QStringLiteral("Totale")) < 0 &&
        !engine.setObjectText(QStringLiteral("Fatt"), QStringLiteral("Nota di accredito"))) {
        err << engine.errorString() << Qt::endl;
        return Stampa::Failed;
    }
    if (name == QLatin1String("movimenti")) {
        // As the journal print does: the second page goes first, then the first.
        if (corrispettivi.isEmpty()) engine.deletePage(1);
        if (documenti.isEmpty()) engine.deletePage(0);
    }
    return exportPdf();
}

}  // namespace

namespace Stampa {

QString titleFor(const QString& templateName) {
    const PrintTemplate* t = findPrintTemplate(templateName);
    return t ? t->title : templateName;
}

QStringList templateNames() {
    return printTemplateNames();
}

int run(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList positional;
    QString documento;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--documento")) {
            if (i + 1 >= args.size()) {
                err << QStringLiteral("Manca il numero dopo --documento.") << Qt::endl;
                return Usage;
            }
            documento = args[++i];
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 3) {
        err << QStringLiteral(
                   "Uso: vinorda-dati stampa CARTELLA MODELLO FILE.pdf "
                   "[--documento NUMERO]")
            << Qt::endl;
        return Usage;
    }
    QString folder = QDir(positional[0]).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    QString name = positional[1];
    if (name.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) name.chop(4);
    if (!QFileInfo::exists(folder + Database::fileName())) {
        err << QStringLiteral("La cartella \"%1\" non contiene %2.")
                   .arg(folder, Database::fileName())
            << Qt::endl;
        return Failed;
    }
    try {
        return render(folder, name, positional[2], documento, out, err);
    } catch (const DatabaseError& e) {
        err << e.text() << Qt::endl;
        return Failed;
    }
}

}  // namespace Stampa

int runStampa(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Stampa::run(args, out, err);
}
