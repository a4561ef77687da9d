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
#include "report/datasetsource.h"
#include "report/engine.h"

namespace {

struct TemplateInfo {
    const char* name;
    const char* title;
    bool document;
};

const TemplateInfo kTemplates[] = {
    {"clienti", "Lista clienti", false},
    {"rubrica", "Rubrica", false},
    {"prodotti", "Elenco prodotti", false},
    {"listino1", "Listino prezzi 1", false},
    {"listino2", "Listino prezzi 2", false},
    {"listino3", "Listino prezzi 3", false},
    {"listino4", "Listino prezzi 4", false},
    {"listino5", "Listino prezzi 5", false},
    {"listinox", "Listino comparato", false},
    {"griglia", "Controllo Griglia", false},
    {"barcode", "Scarico con Barcode", false},
    {"listafatture", "Lista fatture", false},
    {"analisi", "Controllo Movimenti", false},
    {"doctrasp", "Documento di trasporto", true},
    {"ricevuta", "Nota trasporto per privati", true},
    {"fattura_imm", "Fattura immediata", true},
    {"fattura_diff", "Fattura", true},
    {"scontrinoint", "Scontrino", false},
    {"movimenti", "Giornale movimenti", false},
    {"pagamenti", "Elenco pagamenti", false},
};

const TemplateInfo* findTemplate(const QString& name) {
    for (const auto& t : kTemplates)
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

QString text(const DataSet& ds, const char* field) {
    return ds.field(QString::fromLatin1(field)).asString();
}

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
    const TemplateInfo* info = findTemplate(name);
    engine.setTitle(info ? QString::fromUtf8(info->title) : name);

    std::vector<std::unique_ptr<DataSet>> own;
    report::DataSetSources sources;
    auto add = [&](DataSet& ds) { engine.dataSources().add(&sources.add(ds)); };
    auto make = [&](const QString& dsName) -> DataSet& {
        own.push_back(std::make_unique<DataSet>(db, dsName));
        return *own.back();
    };

    // Everything a template may name is prepared, as the program's windows do before printing.
    for (DataSet* ds : {&sd.Intestazione, &sd.Clienti, &sd.prodotti, &sd.Fatture, &sd.clifatt,
                        &sd.destfatt, &sd.righe}) {
        ds->open();
        add(*ds);
    }
    if (name == QLatin1String("griglia")) sd.prodotti.sortBy(QStringLiteral("Pos_griglia"));
    if (!documento.isEmpty()) {
        if (!sd.Fatture.locate(QStringLiteral("Docum_numero"), documento)) {
            err << QStringLiteral("Il documento \"%1\" non esiste.").arg(documento) << Qt::endl;
            return Stampa::Failed;
        }
    } else {
        sd.Fatture.last();
    }

    // Movements of one product: the first product, over the whole journal.
    const QString code = sd.prodotti.isEmpty() ? QString() : text(sd.prodotti, "Codice_prodotto");
    sd.Appo1.setSql(
        QStringLiteral("SELECT * FROM GIORNALE WHERE COD_VINO=? ORDER BY DOCUM_NUMERO,ID"), {code});
    sd.appo2.setSql(
        QStringLiteral("SELECT Righe.*, Fatture.Data, Fatture.Fatturato, Fatture.DDTFATT FROM "
                       "Righe,Fatture WHERE (Righe.Docum_numero = Fatture.Docum_numero) AND "
                       "(Righe.Codice=?) AND (Fatture.DDTFATT<>'R') ORDER BY "
                       "RIGHE.DOCUM_NUMERO,ORDINE"),
        {code});
    sd.Appo1.open();
    sd.appo2.open();
    add(sd.Appo1);
    add(sd.appo2);

    const QVariantList period{QDateTime(QDate(1900, 1, 1), QTime(0, 0)),
                              QDateTime(QDate(2999, 12, 31), QTime(23, 59, 59))};
    DataSet& documenti = make(QStringLiteral("documenti"));
    documenti.setStoredQuery(QStringLiteral("Esporta_BF"), period);
    DataSet& corrispettivi = make(QStringLiteral("corrispettivi"));
    corrispettivi.setStoredQuery(QStringLiteral("Esporta_N"), period);
    DataSet& pagamenti = make(QStringLiteral("pagamenti"));
    pagamenti.setSql(QStringLiteral(
        "SELECT Docum_numero, Anno, Data, Num_fattura, Codice, DDTFATT, Pagato, Pagato_il, "
        "Pagato_note, Totale FROM Fatture WHERE Doc_tipo='F' ORDER BY Docum_numero"));
    pagamenti.addLookupField(QStringLiteral("RagioneSociale"), FieldType::Text,
                             {QStringLiteral("Codice"), QStringLiteral("Anagrafica"),
                              QStringLiteral("Codice"), QStringLiteral("RagioneSociale")},
                             150);
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
    pagamenti.field(QStringLiteral("Totale")).setDisplayFormat(QStringLiteral("0.00;;#"));

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
    if (engine.report().pages.empty()) {
        err << QStringLiteral("Report \"%1\": non ci sono dati da stampare.").arg(name) << Qt::endl;
        return Stampa::Failed;
    }
    if (!engine.exportPdf(pdf)) {
        err << engine.errorString() << Qt::endl;
        return Stampa::Failed;
    }
    out << QStringLiteral("%1: %2 pagine in %3\n").arg(name).arg(engine.pageCount()).arg(pdf);
    return Stampa::Ok;
}

}  // namespace

namespace Stampa {

QString titleFor(const QString& templateName) {
    const TemplateInfo* t = findTemplate(templateName);
    return t ? QString::fromUtf8(t->title) : templateName;
}

QStringList templateNames() {
    QStringList names;
    for (const auto& t : kTemplates) names << QString::fromLatin1(t.name);
    return names;
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
