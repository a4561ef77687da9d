#include "app/windowtable.h"

#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"

const QVector<WindowDef>& windowOrder() {
    static const QVector<WindowDef> windows = {
        {QStringLiteral("TfrmIntesta"), QStringLiteral("Intestazione"), {}},
        {QStringLiteral("TfrmClienti"), QStringLiteral("Anagrafiche"),
         QStringLiteral("Anagrafiche")},
        {QStringLiteral("TfrmListino"), QStringLiteral("Prodotti e prezzi"),
         QStringLiteral("Listino")},
        {QStringLiteral("TSelezioneForm"), QStringLiteral("Selezione per stampe"), {}},
        {QStringLiteral("TfrmGiornale"), QStringLiteral("Movimenti di scarico registrati"),
         QStringLiteral("Giornale")},
        {QStringLiteral("TfrmSfuso1"), QStringLiteral("Registrazione rapida"), {}},
        {QStringLiteral("TfrmFatture"), QStringLiteral("Fatture e Documenti di Trasporto"),
         QStringLiteral("Fatture")},
        {QStringLiteral("Tfrmpagamenti"), QStringLiteral("Gestione pagamenti"), {}},
        {QStringLiteral("TSele_maga_frm"), QStringLiteral("Articoli inseribili in fattura"), {}},
        {QStringLiteral("Tsele_ddt_frm"),
         QStringLiteral("Documenti di trasporto non fatturati"),
         {}},
        {QStringLiteral("Tfrmvideoscontr"), QStringLiteral("Intestazione scontrino"), {}},
        {QStringLiteral("Tfrmvideocli"),
         QStringLiteral("Stampa Ricevute, Fatture e Documenti di trasporto"),
         {}},
        {QStringLiteral("Tfrmsinottico"), QStringLiteral("Sinottico scarico"), {}},
        {QStringLiteral("Tfrm_ask"), QStringLiteral("Ricerca prodotti"), {}},
    };
    return windows;
}

const WindowDef* findWindow(const QString& className) {
    for (const WindowDef& w : windowOrder())
        if (w.className == className) return &w;
    return nullptr;
}

namespace {
MenuEntry cmd(const char* caption, const char* name, const char* hint) {
    return {MenuEntry::Command,
            QString::fromUtf8(caption),
            QString::fromUtf8(name),
            QString::fromUtf8(hint),
            {}};
}
MenuEntry sep() {
    return {MenuEntry::Separator, {}, {}, {}, {}};
}
MenuEntry sub(const char* caption, const char* name, QVector<MenuEntry> children) {
    return {MenuEntry::Submenu,
            QString::fromUtf8(caption),
            QString::fromUtf8(name),
            {},
            std::move(children)};
}
}  // namespace

const QVector<MenuEntry>& menuTree() {
    static const QVector<MenuEntry> tree = [] {
        MenuEntry editor = cmd("Editor stampe  contestuale", "Inline_editor",
                               "Apre l'editor della stampa al momento di stampare");
        editor.kind = MenuEntry::Check;
        return QVector<MenuEntry>{
            cmd("&Anagrafiche", "Clienti1", "Anagrafica clienti e destinazioni"),
            cmd("&Prodotti e Listino", "Prodottivinicoli1", "Prodotti, giacenze e listini"),
            sub("&Vendite", "Vendite1",
                {cmd("&Fatture e Documenti di trasporto", "Emissionefatture1",
                     "Fatture, ricevute e documenti di trasporto"),
                 cmd("Vendite a pannello sinottico", "Venditeapannellosinottico1",
                     "Vendita al banco con il pannello a pulsanti"),
                 cmd("Registrazione rapida", "RegistrazioneconlettoreBarcode1",
                     "Scarichi e carichi per numero prodotto o lettore barcode")}),
            cmd("&Pagamenti", "Pagamenti1", "Pagamenti delle fatture"),
            cmd("Movimenti", "Movimenti1", "Movimenti di scarico registrati ed esportazioni"),
            sub("&Stampe", "Stampe1",
                {cmd("Elenco Clienti", "ElencoClienti", "Stampa l'elenco dei clienti"),
                 cmd("Rubrica telefonica Clienti", "RubricatelefonicaClienti1",
                     "Stampa la rubrica telefonica dei clienti"),
                 sep(),
                 cmd("Elenco &Prodotti e Giacenze", "ElencoProdotti",
                     "Stampa i prodotti con le giacenze"),
                 cmd("Controllo movimenti  prodotto", "Controllomovimentiprodotto1",
                     "Stampa i movimenti di un prodotto"),
                 sub("Stampa Listini", "StampaListini1",
                     {cmd("Listino 1", "Listino11", "Stampa il listino 1"),
                      cmd("Listino 2", "Listino21", "Stampa il listino 2"),
                      cmd("Listino 3", "Listino31", "Stampa il listino 3"),
                      cmd("Listino 4", "Listino41", "Stampa il listino 4"),
                      cmd("Listino 5", "Listino51", "Stampa il listino 5"),
                      cmd("Listini comparati", "Listinicomparato1",
                          "Stampa i cinque listini a confronto")}),
                 cmd("Stampa controllo Griglia", "StampacontrolloGriglia1",
                     "Stampa la griglia del pannello sinottico"),
                 cmd("Stampa per scarico barcode", "Stampaperscaricobarcode1",
                     "Stampa le etichette barcode dei prodotti"),
                 sep(),
                 cmd("Lista Documenti Emessi", "ListaFattureEmesse1",
                     "Stampa la lista dei documenti emessi"),
                 sep(),
                 cmd("P&ersonalizzazione stampe", "Personalizzazionestampe1",
                     "Modifica i modelli di stampa"),
                 editor}),
            sub("A&iuto", "Aiuto1",
                {cmd("&Configurazione", "Registrazione1", "Intestazione, aliquote IVA, stampanti"),
                 sep(), cmd("&Manuale", "Manuale1", "Apre il manuale del programma"),
                 cmd("&Sito", "SitoQuorvanel1", "Apre il sito del produttore"), sep(),
                 cmd("&Informazioni", "Informazioni1", "Informazioni sul programma")}),
            cmd("&Fine programma", "Uscita1", "Chiude il programma"),
        };
    }();
    return tree;
}

namespace {
void collect(const QVector<MenuEntry>& entries, QVector<const MenuEntry*>& out) {
    for (const MenuEntry& e : entries) {
        out << &e;
        collect(e.children, out);
    }
}
}  // namespace

QVector<const MenuEntry*> allMenuEntries() {
    QVector<const MenuEntry*> out;
    collect(menuTree(), out);
    return out;
}

const QVector<CommandDef>& commandTable() {
    using S = CommandStep;
    auto open = [](const char* n) { return S{S::Open, QString::fromLatin1(n)}; };
    auto close = [](const char* n) { return S{S::Close, QString::fromLatin1(n)}; };
    const S show{S::Show, {}};
    static const QVector<CommandDef> commands = {
        {QStringLiteral("Clienti1"),
         QStringLiteral("Clienti1Click"),
         QStringLiteral("TfrmClienti"),
         {open("Clienti"), show, close("Clienti")}},
        {QStringLiteral("Prodottivinicoli1"),
         QStringLiteral("Prodottivinicoli1Click"),
         QStringLiteral("TfrmListino"),
         {open("prodotti"), show, close("prodotti")}},
        {QStringLiteral("Emissionefatture1"),
         QStringLiteral("Emissionefatture1Click"),
         QStringLiteral("TfrmFatture"),
         {open("Clienti"), open("Fatture"), open("righe"), open("clifatt"), open("destfatt"),
          S{S::Last, QStringLiteral("Fatture")}, open("prodotti"),
          S{S::FilterOn, QStringLiteral("Fatture")}, show,
          S{S::FilterOff, QStringLiteral("Fatture")}, close("prodotti"), close("righe"),
          close("Fatture"), close("clifatt"), close("destfatt"), close("Clienti")}},
        {QStringLiteral("Venditeapannellosinottico1"),
         QStringLiteral("Venditeapannellosinottico1Click"),
         QStringLiteral("Tfrmsinottico"),
         {open("prodotti"), open("Giornale"), show, close("prodotti"), close("Giornale")}},
        {QStringLiteral("RegistrazioneconlettoreBarcode1"),
         QStringLiteral("RegistrazioneconlettoreBarcode1Click"),
         QStringLiteral("TfrmSfuso1"),
         {open("prodotti"), open("Giornale"), show, close("Giornale"), close("prodotti")}},
        {QStringLiteral("Pagamenti1"),
         QStringLiteral("Pagamenti1Click"),
         QStringLiteral("Tfrmpagamenti"),
         {open("pagamenti"), show, close("pagamenti")}},
        {QStringLiteral("Movimenti1"),
         QStringLiteral("Movimenti1Click"),
         QStringLiteral("TfrmGiornale"),
         {show}},
        {QStringLiteral("Registrazione1"),
         QStringLiteral("Registrazione1Click"),
         QStringLiteral("TfrmIntesta"),
         {show}},
    };
    return commands;
}

const CommandDef* findCommand(const QString& objectName) {
    for (const CommandDef& c : commandTable())
        if (c.objectName == objectName) return &c;
    return nullptr;
}

DataSet* sharedDataSet(SharedData& shared, const QString& name) {
    for (DataSet* ds : shared.all())
        if (ds->name() == name) return ds;
    for (DataSet* ds : shared.all())
        if (ds->name().compare(name, Qt::CaseInsensitive) == 0) return ds;
    return nullptr;
}

namespace {
DataSet& resolved(const DataSetResolver& resolve, const QString& name) {
    DataSet* ds = resolve ? resolve(name) : nullptr;
    if (!ds) throw DatabaseError(QStringLiteral("Archivio %1 non disponibile").arg(name));
    return *ds;
}

void runStep(const CommandStep& step, const DataSetResolver& resolve) {
    switch (step.op) {
        case CommandStep::Open:
            resolved(resolve, step.dataSet).open();
            break;
        case CommandStep::Close:
            resolved(resolve, step.dataSet).close();
            break;
        case CommandStep::Last:
            resolved(resolve, step.dataSet).last();
            break;
        case CommandStep::FilterOn:
            resolved(resolve, step.dataSet).setFiltered(true);
            break;
        case CommandStep::FilterOff:
            resolved(resolve, step.dataSet).setFiltered(false);
            break;
        case CommandStep::Show:
            break;
    }
}
}  // namespace

bool runCommand(const CommandDef& command, const DataSetResolver& resolve,
                const std::function<void()>& show) {
    int i = 0;
    const int n = int(command.steps.size());
    QStringList opened;
    try {
        for (; i < n && command.steps[i].op != CommandStep::Show; ++i) {
            runStep(command.steps[i], resolve);
            if (command.steps[i].op == CommandStep::Open) opened << command.steps[i].dataSet;
        }
    } catch (const DatabaseError& e) {
        Mymsg::error(e.text());
        // Leave nothing half open: the next command starts from freshly opened data sets.
        for (const QString& name : opened) {
            if (DataSet* ds = resolve(name)) {
                ds->setFiltered(false);
                ds->close();
            }
        }
        return false;
    }
    if (show) show();
    for (++i; i < n; ++i) {
        try {
            runStep(command.steps[i], resolve);
        } catch (const DatabaseError& e) {
            Mymsg::error(e.text());
        }
    }
    return true;
}
