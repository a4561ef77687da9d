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
    void ClientiBeforeDelete(DataSet& ds);
    bool ClientiFilterRecord(DataSet& ds) const;
    // ---- products
    void prodottiCalcFields(DataSet& ds) const;
    bool prodottiFilterRecord(DataSet& ds) const;
    void ProdottiBeforePost(DataSet& ds);
    void ProdottiBeforeDelete(DataSet& ds);
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

private:
    SharedData& sd_;
    QString editedCode_;  // Codice of the customer when its edit began
};

// The VAT codes of table IVA in Ordine order (choices of the customer and product windows).
QStringList ivaCodes(Database& db);
// The packaging kinds of Imballi: code stored, description shown (the code when it has none).
CodedValues imballiChoices(Database& db);

// Attaches the rules to the shared data sets once; later calls return the same object.
MasterDataRules& attachMasterDataRules(SharedData& sd);
