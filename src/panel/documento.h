#pragma once
// A counter sale turned into a document for a customer: a receipt for a private customer, a
// delivery note or an immediate invoice. Numbering, line checks, totals, printing and discharge
// are the documents' own; what differs here is where the values come from: the sale's lines,
// the customer's price list and discount, the panel's movement date, Ritiro the moment of
// writing, and the customer as the place of delivery.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

#include "documents/lines.h"

class Database;
struct RigaVendita;

struct VenditaDocumento {
    int tipo = 0;      // DocumentKind index: receipt, delivery note or immediate invoice
    QString cliente;   // Codice
    QDate datamov;     // dates and numbers the document
    QDateTime adesso;  // Ritiro
};

// The document lines of the sale's lines: the product by the line's short name, else by its own
// product code; the price by the customer's list (empty: Prezzo1; not a list: the sale's price),
// the customer's discount on every line. A line whose product neither finds stops it all: the
// message names the line and no line is returned.
struct RigheDaVendita {
    QVector<CampiRiga> righe;
    QString rifiuto;
};
RigheDaVendita righe_da_vendita(Database& db, const QVector<RigaVendita>& vendita,
                                const ClienteRiga& cliente);

// Header and lines in one transaction: the next free number of the kind in the movement date's
// year, or nothing at all with the reason (no customer, a line refused by the stock check, a line
// without its product). Throws DatabaseError.
struct DocumentoCreato {
    QString documNumero;
    QString rifiuto;
    bool ok() const { return rifiuto.isEmpty(); }
};
DocumentoCreato crea_documento(Database& db, const VenditaDocumento& v,
                               const QVector<RigaVendita>& vendita);

// Prints the document (template and title of its kind) and says whether paper was printed.
using StampaDocumentoPannello =
    std::function<bool(const QString& documNumero, const QString& modello, const QString& titolo)>;

QString msgRigaSenzaProdotto(const QString& descrizione);
QString msgDocumentoNonStampato();
QString msgDocumentoNonScaricato(const QString& documNumero);

class VenditaInCorso;

// "Ricevuta" once the customer window confirmed it: the document written, printed, and only
// when paper was really printed discharged (lines of stock kind "0" only marked) with the sale
// emptied, the receipt number left as it is. A document that did not print is taken back and the
// sale stays on the panel, so the button can be pressed again without a second document.
struct EsitoVenditaDocumento {
    enum Esito { NienteDaFare, Rifiutato, NonStampato, NonScaricato, Stampato };
    Esito esito = NienteDaFare;
    QString documNumero;
    QString messaggio;  // Rifiutato, NonStampato, NonScaricato: for the user
};
EsitoVenditaDocumento documento_da_vendita(VenditaInCorso& vendita, const VenditaDocumento& v,
                                           const StampaDocumentoPannello& stampa);
