#pragma once
// Table rules of customers, products and the company header, attached to the shared data sets
// so that they hold wherever those tables are edited.
#include <QObject>
#include <QString>

#include "masterdata/codedvalues.h"

class DataSet;
class Database;
class SharedData;

// Mode 'A' of the customer filter: the search text (already upper case) and the field searched.
struct CustomerSearch {
    QString field = QStringLiteral("RagioneSociale");
    QString text;
};

// Mode 'S' of the customer filter: RagioneSociale from .. to, both included.
struct CustomerRange {
    QString from;
    QString to;
};

// Pieces of a product: whole bottles for bottled wine with a known packaging volume, otherwise
// the litres themselves.
double pezzi(const QString& stato, double litri, double volume);

// What still refers to a customer by its code: documents (as addressee or place of delivery)
// and journal rows.
struct UsoCliente {
    int documenti = 0;
    int movimenti = 0;
    bool inUso() const { return documenti + movimenti > 0; }
};
UsoCliente usoCliente(Database& db, const QString& codice);

// What still refers to a product by its code: documents with a line of it, journal rows, lines
// of the sale in progress at the panel.
struct UsoProdotto {
    int documenti = 0;
    int movimenti = 0;
    int venditaInCorso = 0;
    bool inUso() const { return documenti + movimenti + venditaInCorso > 0; }
};
UsoProdotto usoProdotto(Database& db, const QString& codice);

class MasterDataRules : public QObject {
    Q_OBJECT
public:
    explicit MasterDataRules(SharedData& sd);
    // The rules attached to sd, or nullptr.
    static MasterDataRules* of(SharedData& sd);

    CustomerSearch search;  // read by the filter in mode 'A'
    CustomerRange range;    // read by the filter in mode 'S'

    // Whether the current customer's Codice may be typed: only for a customer not yet stored.
    static bool customerCodeEditable(const DataSet& clienti);

    // ---- customers
    void ClientiBeforePost(DataSet& ds);
    void ClientiBeforeEdit(DataSet& ds);
    // Before the transaction: refuses a customer still in use, then asks (default No).
    void ClientiBeforeDelete(DataSet& ds);
    // Inside the transaction: the same refusal, in case a document came meanwhile.
    void ClientiDeleteCheck(DataSet& ds);
    bool ClientiFilterRecord(DataSet& ds) const;
    // ---- products
    void prodottiCalcFields(DataSet& ds) const;
    bool prodottiFilterRecord(DataSet& ds) const;
    void ProdottiBeforePost(DataSet& ds);
    void ProdottiBeforeDelete(DataSet& ds);
    void ProdottiDeleteCheck(DataSet& ds);
    // ---- company header
    void IntestazioneBeforePost(DataSet& ds);

    // Messages shown by the rules.
    static QString msgCodiceObbligatorio();
    static QString msgRagioneSocialeObbligatoria();
    static QString msgCodiceClienteDuplicato(const QString& codice);
    static QString msgCodiceClienteBloccato();
    static QString msgCodiceProdottoDuplicato(const QString& codice);
    static QString msgGriglia(const QString& label);
    static QString msgCancelloCliente();
    static QString msgCancelloProdotto();
    static QString msgCodiceProdottoObbligatorio();
    static QString msgClienteInUso(const QString& codice, const UsoCliente& uso);
    static QString msgProdottoInUso(const QString& codice, const UsoProdotto& uso);

private:
    SharedData& sd_;
    QString editedCode_;  // Codice of the customer when its edit began
    // Mode 'A' worked out once per search, not once per row: the field's index in the data set
    // and the text in upper case.
    struct PreparedSearch {
        const DataSet* ds = nullptr;
        QString field;
        QString text;
        int index = -1;
        QString upper;
        QByteArray upperUtf8;
        QString name;         // the field's name at index, in case the data set's fields change
        bool isText = false;  // a text field: read as kept, without a string per row
    };
    mutable PreparedSearch prepared_;
};

// The VAT codes of table IVA in Ordine order (choices of the customer and product windows).
QStringList ivaCodes(Database& db);
// The packaging kinds of Imballi: code stored, description shown (the code when it has none).
CodedValues imballiChoices(Database& db);

// Attaches the rules to the shared data sets once; later calls return the same object.
MasterDataRules& attachMasterDataRules(SharedData& sd);
