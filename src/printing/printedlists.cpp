#include "printing/printedlists.h"

#include <QTime>
#include <vector>

#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "masterdata/masterdata_rules.h"
#include "printing/templates.h"

namespace {

// Closes the data sets a command opened however it ends (a database error included), each with
// its filter off, so the next command starts from freshly opened ones.
class Opened {
public:
    Opened() = default;
    Opened(std::initializer_list<DataSet*> sets) : sets_(sets) {}
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    ~Opened() {
        for (auto it = sets_.rbegin(); it != sets_.rend(); ++it) {
            (*it)->setFiltered(false);
            (*it)->close();
        }
    }
    // Opens ds and closes it at the end; one already open is left as it stands.
    void open(DataSet& ds) {
        if (ds.isOpen()) return;
        ds.open();
        sets_.push_back(&ds);
    }

private:
    std::vector<DataSet*> sets_;
};

QString text(const DataSet& ds, const char* field) {
    return ds.field(QString::fromLatin1(field)).asString();
}

const QString kRagioneSociale = QStringLiteral("RagioneSociale");
const QString kCodiceProdotto = QStringLiteral("Codice_prodotto");
const QString kPosGriglia = QStringLiteral("Pos_griglia");

// The grid check reads the products by grid position; afterwards they are in code order again,
// also when the print fails.
void inGridOrder(DataSet& prodotti, const std::function<void()>& use) {
    prodotti.sortBy(kPosGriglia);
    try {
        use();
    } catch (...) {
        prodotti.sortBy(kCodiceProdotto);
        throw;
    }
    prodotti.sortBy(kCodiceProdotto);
}

bool isProductList(const QString& name) {
    static const QStringList names = {QStringLiteral("prodotti"), QStringLiteral("listino1"),
                                      QStringLiteral("listino2"), QStringLiteral("listino3"),
                                      QStringLiteral("listino4"), QStringLiteral("listino5"),
                                      QStringLiteral("listinox"), QStringLiteral("barcode")};
    return names.contains(name);
}

}  // namespace

PrintedLists::PrintedLists(SharedData& sd, Print print) : sd_(sd), print_(std::move(print)) {}

QString PrintedLists::msgNoAnagrafiche() {
    return QStringLiteral("   Non ci sono anagrafiche da stampare !   ");
}
QString PrintedLists::msgNoProdotti() {
    return QStringLiteral("   Non ci sono prodotti da stampare !   ");
}
QString PrintedLists::msgNoGriglia() {
    return QStringLiteral("   Non ci sono prodotti della griglia da stampare !   ");
}
QString PrintedLists::msgNoFatture() {
    return QStringLiteral("   Non ci sono fatture da stampare !   ");
}
QString PrintedLists::msgNoDatiMovimenti() {
    return QStringLiteral("Non sono presenti dati da stampare");
}

void PrintedLists::printTemplate(const QString& name) {
    const PrintTemplate* t = findPrintTemplate(name);
    if (print_) print_(name, t ? t->title : name);
}

const QVector<PrintedLists::Command>& PrintedLists::commands() {
    static const QVector<Command> table = {
        {QStringLiteral("ElencoClienti"), &PrintedLists::ElencoClientiClick},
        {QStringLiteral("RubricatelefonicaClienti1"),
         &PrintedLists::RubricatelefonicaClienti1Click},
        {QStringLiteral("ElencoProdotti"), &PrintedLists::ElencoProdottiClick},
        {QStringLiteral("Controllomovimentiprodotto1"),
         &PrintedLists::Controllomovimentiprodotto1Click},
        {QStringLiteral("Listino11"), [](PrintedLists& l) { l.ListinoClick(1); }},
        {QStringLiteral("Listino21"), [](PrintedLists& l) { l.ListinoClick(2); }},
        {QStringLiteral("Listino31"), [](PrintedLists& l) { l.ListinoClick(3); }},
        {QStringLiteral("Listino41"), [](PrintedLists& l) { l.ListinoClick(4); }},
        {QStringLiteral("Listino51"), [](PrintedLists& l) { l.ListinoClick(5); }},
        {QStringLiteral("Listinicomparato1"), &PrintedLists::Listinicomparato1Click},
        {QStringLiteral("StampacontrolloGriglia1"), &PrintedLists::StampacontrolloGriglia1Click},
        {QStringLiteral("Stampaperscaricobarcode1"), &PrintedLists::Stampaperscaricobarcode1Click},
        {QStringLiteral("ListaFattureEmesse1"), &PrintedLists::ListaFattureEmesse1Click},
    };
    return table;
}

bool PrintedLists::run(const QString& objectName) {
    for (const Command& c : commands()) {
        if (c.objectName == objectName) {
            c.run(*this);
            return true;
        }
    }
    return false;
}

// ---- customers

SelezioneClienti PrintedLists::rangeOfAll(DataSet& clienti) {
    // The list is sorted ignoring case while the range compares character codes: the first and
    // the last of the list would leave out a name written in lower case among capitals.
    SelezioneClienti s;
    bool any = false;
    for (int row = 0; row < clienti.recordCount(); ++row) {
        const QString rs = clienti.valueAt(row, clienti.field(kRagioneSociale).index()).toString();
        if (!any || rs.compare(s.da) < 0) s.da = rs;
        if (!any || rs.compare(s.a) > 0) s.a = rs;
        any = true;
    }
    return s;
}

void PrintedLists::stampaClienti(const QString& name) {
    DataSet& clienti = sd_.Clienti;
    Opened opened{&clienti};
    clienti.sortBy(kRagioneSociale);
    clienti.open();
    if (clienti.isEmpty()) {
        Mymsg::message(msgNoAnagrafiche());
        return;
    }
    SelezioneClienti s = rangeOfAll(clienti);
    if (!selezione_ || !selezione_->selezionaClienti(s)) return;
    MasterDataRules& rules = attachMasterDataRules(sd_);
    rules.range = {s.da, s.a};
    // The mode stays 'S' until the customers window sets its own.
    sd_.filtroClienti = QLatin1Char('S');
    clienti.setFiltered(true);
    printTemplate(name);
    clienti.setFiltered(false);
}

void PrintedLists::ElencoClientiClick() {
    stampaClienti(QStringLiteral("clienti"));
}

void PrintedLists::RubricatelefonicaClienti1Click() {
    stampaClienti(QStringLiteral("rubrica"));
}

// ---- products

void PrintedLists::stampaProdotti(const QString& name, const QString& vuoto) {
    DataSet& prodotti = sd_.prodotti;
    Opened opened{&prodotti};
    prodotti.open();
    if (prodotti.isEmpty()) {
        Mymsg::message(vuoto);
        return;
    }
    if (name == QLatin1String("griglia"))
        inGridOrder(prodotti, [&] { printTemplate(name); });
    else
        printTemplate(name);
}

void PrintedLists::ElencoProdottiClick() {
    stampaProdotti(QStringLiteral("prodotti"), msgNoProdotti());
}

void PrintedLists::ListinoClick(int n) {
    stampaProdotti(QStringLiteral("listino%1").arg(qBound(1, n, 5)), msgNoProdotti());
}

void PrintedLists::Listinicomparato1Click() {
    stampaProdotti(QStringLiteral("listinox"), msgNoProdotti());
}

void PrintedLists::Stampaperscaricobarcode1Click() {
    stampaProdotti(QStringLiteral("barcode"), msgNoProdotti());
}

void PrintedLists::StampacontrolloGriglia1Click() {
    stampaProdotti(QStringLiteral("griglia"), msgNoGriglia());
}

// ---- documents issued

void PrintedLists::ListaFattureEmesse1Click() {
    // The rules first: the rows read get their calculated fields (the kind's text) and the filter.
    DocumentRules& rules = attachDocumentRules(sd_);
    Opened opened{&sd_.Fatture, &sd_.righe, &sd_.Clienti, &sd_.clifatt};
    for (DataSet* ds : {&sd_.Fatture, &sd_.righe, &sd_.Clienti, &sd_.clifatt}) ds->open();
    if (sd_.Fatture.isEmpty()) {
        Mymsg::message(msgNoFatture());
        return;
    }
    SelezioneFatture s;
    s.da = inizioListaDocumenti();
    s.a = QDate::currentDate();
    if (!selezione_ || !selezione_->selezionaFatture(s)) return;

    // The criteria hold for every row the print reads, and end with it however it ends.
    SelezioneStampaDocumenti criteri;
    // Whole days: a document of the evening of "a data" is within the period.
    if (s.da.isValid()) criteri.da = s.da.startOfDay();
    if (s.a.isValid()) criteri.a = s.a.endOfDay();
    criteri.cliente = s.cliente;
    criteri.ddt = s.ddt;
    criteri.fatture = s.fatture;
    criteri.privati = s.privati;
    struct Criteri {
        FiltroDocumenti& filtro;
        ~Criteri() { filtro.stampa.reset(); }
    } inForce{rules.filtro};
    rules.filtro.stampa = criteri;
    sd_.Fatture.setFiltered(true);
    printTemplate(QStringLiteral("listafatture"));
    sd_.Fatture.setFiltered(false);
}

// ---- movements of one product

void PrintedLists::apriMovimenti(const QString& codice, const QDate& da, const QDate& a) {
    // Whole days: a movement of the afternoon of "a data" is still within the period.
    QVariantList bounds;
    auto period = [&](const QString& field) {
        QString where;
        if (da.isValid()) {
            where += QStringLiteral(" AND %1 >= ?").arg(field);
            bounds << QVariant(da.startOfDay());
        }
        if (a.isValid()) {
            where += QStringLiteral(" AND %1 <= ?").arg(field);
            bounds << QVariant(QDateTime(a, QTime(23, 59, 59)));
        }
        return where;
    };
    sd_.Appo1.close();
    sd_.appo2.close();
    bounds = {codice};
    const QString giornale = QStringLiteral("SELECT * FROM Giornale WHERE Cod_vino = ?") +
                             period(QStringLiteral("Data_Ora")) +
                             QStringLiteral(" ORDER BY Docum_numero, ID");
    sd_.Appo1.setSql(giornale, bounds);
    bounds = {codice};
    const QString righe =
        QStringLiteral(
            "SELECT Righe.*, Fatture.Data, Fatture.Fatturato, Fatture.DDTFATT FROM Righe, Fatture "
            "WHERE Righe.Docum_numero = Fatture.Docum_numero AND Righe.Codice = ? "
            "AND Fatture.DDTFATT <> 'R'") +
        period(QStringLiteral("Fatture.Data")) +
        QStringLiteral(" ORDER BY Righe.Docum_numero, Righe.Ordine");
    sd_.appo2.setSql(righe, bounds);
    sd_.Appo1.open();
    sd_.appo2.open();
}

void PrintedLists::Controllomovimentiprodotto1Click() {
    DataSet& prodotti = sd_.prodotti;
    Opened opened{&sd_.Appo1, &sd_.appo2, &prodotti};
    prodotti.open();
    SelezioneMovimenti s;
    s.prodotto = prodotti.isEmpty() ? QString() : text(prodotti, "Codice_prodotto");
    if (!selezione_ || !selezione_->selezionaMovimenti(s)) return;
    apriMovimenti(s.prodotto, s.da, s.a);
    if (sd_.Appo1.isEmpty() && sd_.appo2.isEmpty()) {
        Mymsg::plain(msgNoDatiMovimenti());
        return;
    }
    // The heading names the product printed.
    prodotti.locate(kCodiceProdotto, s.prodotto);
    printTemplate(QStringLiteral("analisi"));
}

// ---- data for a preview

bool PrintedLists::withListData(const QString& name, const std::function<void()>& use) {
    Opened opened;
    if (name == QLatin1String("clienti") || name == QLatin1String("rubrica")) {
        if (!sd_.Clienti.isOpen()) sd_.Clienti.sortBy(kRagioneSociale);
        opened.open(sd_.Clienti);
    } else if (isProductList(name)) {
        opened.open(sd_.prodotti);
    } else if (name == QLatin1String("griglia")) {
        if (sd_.prodotti.isOpen()) {
            use();
            return true;
        }
        opened.open(sd_.prodotti);
        inGridOrder(sd_.prodotti, use);
        return true;
    } else if (name == QLatin1String("analisi")) {
        if (!sd_.Appo1.isOpen() && !sd_.appo2.isOpen()) {
            opened.open(sd_.prodotti);
            const QString codice =
                sd_.prodotti.isEmpty() ? QString() : text(sd_.prodotti, "Codice_prodotto");
            Opened movimenti{&sd_.Appo1, &sd_.appo2};
            apriMovimenti(codice, {}, {});
            use();
            return true;
        }
    } else if (name == QLatin1String("listafatture")) {
        for (DataSet* ds : {&sd_.Fatture, &sd_.righe, &sd_.Clienti, &sd_.clifatt}) opened.open(*ds);
    } else {
        return false;
    }
    use();
    return true;
}
