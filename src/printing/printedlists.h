#pragma once
// The printed lists of the "&Stampe" menu: customers, telephone book, products, price lists, grid
// check, barcode labels, documents issued and the movements of one product. Each command prepares
// the shared data sets, asks for a selection where the list needs one, prints through the print
// routine (always a preview on the main printer) and closes what it opened, also after an error.
#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

class DataSet;
class SharedData;

// What the print selection window gives back, one page at a time.
struct SelezioneClienti {
    QString da;  // RagioneSociale from .. to, both included
    QString a;
};

struct SelezioneFatture {
    QDate da;             // invalid = no bound
    QDate a;              // invalid = no bound
    QString cliente;      // Codice of the customer, "" = every customer
    bool ddt = true;      // Doc_tipo "B"
    bool fatture = true;  // Doc_tipo "F"
    bool privati = true;  // Doc_tipo "N"
};

struct SelezioneMovimenti {
    QDate da;  // invalid = no bound
    QDate a;   // invalid = no bound
    QString prodotto;
};

// The print selection window as the lists use it: one page shown with the caller's presets; true
// when "&Conferma stampa" was pressed, with the values confirmed. What the caller does not preset
// keeps what the user typed the time before.
class SelezioneStampe {
public:
    virtual ~SelezioneStampe() = default;
    // In: da and a preset.
    virtual bool selezionaClienti(SelezioneClienti& s) = 0;
    // In: da, a and cliente preset; the three kinds are the window's own.
    virtual bool selezionaFatture(SelezioneFatture& s) = 0;
    // In: prodotto preset; the dates are the window's own.
    virtual bool selezionaMovimenti(SelezioneMovimenti& s) = 0;
};

class PrintedLists {
public:
    // print: setta_stampante(name, title, no document, preview, main printer).
    using Print = std::function<void(const QString& name, const QString& title)>;

    PrintedLists(SharedData& sd, Print print);
    void setSelezione(SelezioneStampe* selezione) { selezione_ = selezione; }

    // ---- menu commands
    void ElencoClientiClick();
    void RubricatelefonicaClienti1Click();
    void ElencoProdottiClick();
    void ListinoClick(int n);  // Listino11Click .. Listino51Click
    void Listinicomparato1Click();
    void Stampaperscaricobarcode1Click();
    void StampacontrolloGriglia1Click();
    void ListaFattureEmesse1Click();
    void Controllomovimentiprodotto1Click();

    // The menu items that print a list, with their commands.
    struct Command {
        QString objectName;  // ElencoClienti, Listino11 ...
        std::function<void(PrintedLists&)> run;
    };
    static const QVector<Command>& commands();
    // Runs the list of that menu item; false when the item is not one of them.
    bool run(const QString& objectName);

    // Opens Appo1 on the journal rows of a product (Data_Ora) and appo2 on its document lines
    // (the document's Data), summary invoices left out, between two days (both included; an
    // invalid date sets no bound). Every value is bound, so any code reads its rows.
    void apriMovimenti(const QString& codice, const QDate& da, const QDate& a);

    // The data a list template reads, prepared as its command does with the whole selection
    // (every customer, every document, the first product's movements), for use (a preview or a
    // rendering); the data sets opened here are closed again. Data sets already open are used as
    // they stand: a print under way has prepared them. False when name is not a list template.
    bool withListData(const QString& name, const std::function<void()>& use);

    // The first day proposed for the documents list.
    static QDate inizioListaDocumenti() { return QDate(2017, 1, 1); }

    // The preset range of the customer lists: the lowest and the highest RagioneSociale as the
    // range compares them (character codes), so the range proposed covers every customer.
    static SelezioneClienti rangeOfAll(DataSet& clienti);

    static QString msgNoAnagrafiche();
    static QString msgNoProdotti();
    static QString msgNoGriglia();
    static QString msgNoFatture();
    static QString msgNoDatiMovimenti();

private:
    void stampaClienti(const QString& name);
    void stampaProdotti(const QString& name, const QString& vuoto);
    void printTemplate(const QString& name);

    SharedData& sd_;
    Print print_;
    SelezioneStampe* selezione_ = nullptr;
};
