#pragma once
// The document rules on the shared data sets: the events of "Fatture" (totals at every save, the
// calculated display fields, the delete rule, the filter) and of "righe" (link to the header,
// line amount, the checks before a save, the delete question), and completa_riga. Each event is
// a thin adapter over the functions of lines.h, totals.h and service.h.
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "documents/lines.h"

class DataSet;
class Field;
class SharedData;

// Criteria of the documents-list print, in force while it selects and prints.
struct SelezioneStampaDocumenti {
    QDateTime da;         // Data not before
    QDateTime a;          // Data not after
    QString cliente;      // Codice; empty = every customer
    bool ddt = true;      // Doc_tipo "B"
    bool fatture = true;  // Doc_tipo "F"
    bool privati = true;  // Doc_tipo "N"
};

struct FiltroDocumenti {
    std::optional<SelezioneStampaDocumenti> stampa;
    // The documents window's own choices, applied while it is showing.
    bool finestra = false;
    int anno = 0;            // "Solo anno in corso": the calendar year kept; 0 = every year
    QString docTipo;         // "B", "F" or "N"; empty = every kind
    QString sempreVisibile;  // a document just created stays listed until the choices change
};

// Whether a header passes the filter.
bool accettaDocumento(const FiltroDocumenti& f, const QString& docTipo, const QString& anno,
                      const QDateTime& data, const QString& codice, const QString& documNumero);

class DocumentRules : public QObject {
    Q_OBJECT
public:
    explicit DocumentRules(SharedData& sd);
    static DocumentRules* of(SharedData& sd);

    FiltroDocumenti filtro;

    // ---- headers
    void FattureBeforePost(DataSet& ds);
    void FattureCalcFields(DataSet& ds);
    void FattureBeforeDelete(DataSet& ds);
    bool FattureFilterRecord(DataSet& ds) const;
    // ---- lines
    void RigheNewRecord(DataSet& ds);
    void RigheCalcFields(DataSet& ds);
    void righeBeforeEdit(DataSet& ds);
    void RigheBeforePost(DataSet& ds);
    void RigheBeforeDelete(DataSet& ds);

    // Fills the line being edited or inserted from the product with this code (the current
    // product when it has the code; otherwise looked up, unless the product list is filtered by
    // the picker) and saves it. False when nothing was filled or the save was refused.
    bool completa_riga(const QString& codice, double quantita);

    // Asks once, then deletes the current document with its lines in one transaction. True when
    // it was deleted.
    bool cancellaDocumentoCorrente();

    // The closing notes of table IVA, read again (after the VAT table was edited).
    void ricaricaNoteIva();

    // After a line is saved or deleted: the header's totals recomputed into its edit buffer,
    // so that its next save (or any move away from it) stores them.
    void totaliDopoRiga();

    static QString msgCancellaDocumento();

private:
    const QHash<QString, QString>& noteCodici();

    SharedData& sd_;
    struct FilterFields {
        const DataSet* owner = nullptr;
        int count = 0;
        std::array<const Field*, 5> field{};
    };
    mutable FilterFields filterFields_;
    QHash<QString, QString> noteIva_;
    bool noteLette_ = false;
};

// The line's stored fields read from a data set over Righe, and written back (only the fields
// whose value changes are set).
CampiRiga leggiRiga(const DataSet& righe);
void scriviRiga(DataSet& righe, const CampiRiga& riga);

// Attaches the rules (and the master-data rules they rely on) to sd once; later calls return the
// same object.
DocumentRules& attachDocumentRules(SharedData& sd);
