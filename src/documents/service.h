#pragma once
// Operations on whole documents, each one transaction: all of it or nothing. Plain structs in, a
// result or DatabaseError out, no dialogs: the documents window, the sales panel, the data tool
// and the journal window call them alike.
#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

#include "documents/lines.h"
#include "documents/totals.h"

class Database;

// A new document as the creation page (or the sales panel) describes it.
struct NuovaTestata {
    int tipo = 0;  // DocumentKind index
    QDate data;
    int numero = 0;  // 0: the next free number of the series and year, taken when writing
    QString cliente;
    QString destinazione;  // dropped for kinds without a place of delivery
    QString ritiro;        // Ritiro as text, empty unless the caller sets it
};

struct EsitoDocumento {
    QString documNumero;  // the document written
    QString rifiuto;      // why nothing was written (a message for the user)
    bool ok() const { return rifiuto.isEmpty(); }
};

// The checks of the creation page, in order: customer, place of delivery, number range,
// duplicate number, base VAT rate. Empty when the header may be written.
QString controllaNuovaTestata(Database& db, const NuovaTestata& t);

// The base VAT code of a new document of the customer: the customer's own, else the first code
// of table IVA; empty when there is neither.
QString ivaBase(Database& db, const QString& cliente);

// Writes a new header: codes of its kind, "Vendita", number, year, date at midnight, customer,
// place of delivery, base VAT, transport by the consignee or by the customer's carrier, totals
// of no lines. A number another workstation took meanwhile is refused as duplicate (or, with
// numero 0, the next free one is used).
EsitoDocumento creaTestata(Database& db, const NuovaTestata& t);

// A header with its lines and totals in one go (the sales panel). A line refused by the stock
// check refuses the whole document with its message; nothing is written.
EsitoDocumento creaDocumento(Database& db, const NuovaTestata& t, const QVector<CampiRiga>& righe);

// The fields creaTestata writes for a new header numbered numero, with the totals of no lines;
// aliva1 and vettore as found for the customer (empty for none). For writers of many documents
// at once, which then replace the totals with calcolaTotali's.
QVector<QPair<QString, QVariant>> campiNuovaTestata(const NuovaTestata& t, int numero,
                                                    const QString& aliva1, const QString& vettore);
// The stored fields of a line, as aggiungiRiga writes them after the line rules.
QVector<QPair<QString, QVariant>> campiRiga(const CampiRiga& r);

struct EsitoAggiunta {
    int ordine = 0;           // the new line's Ordine; 0 when refused
    ControlloRiga controllo;  // Rifiutata: nothing written
};

// Appends a line to a document through the line rules (link to the header, receipt VAT,
// Volume, stock check), then recomputes the header's totals when asked.
EsitoAggiunta aggiungiRiga(Database& db, const QString& documNumero, CampiRiga riga,
                           bool ricalcola = true);

// The lines of a document in Ordine order, every stored field (a delivery note's lines as an
// invoice copies them).
QVector<CampiRiga> righeDocumento(Database& db, const QString& documNumero);

// The lines of a document in Ordine order as the totals need them.
QVector<RigaTotali> righeTotali(Database& db, const QString& documNumero);
// Recomputes and stores a header's totals from its lines; the result tells which lines found no
// VAT slot. A document that does not exist changes nothing.
Castelletto ricalcolaTotali(Database& db, const QString& documNumero);

// Deletes a document's lines and its header. Stock, journal and delivery notes' Fatturato stay.
// False when there was no such header.
bool cancellaDocumento(Database& db, const QString& documNumero);

struct ScaricoDocumento {
    int scaricate = 0;  // lines discharged from stock with a journal row
    int segnate = 0;    // lines marked, discharged or not
};

// Discharges every line not yet discharged, in Ordine order: a line linked to a product lowers
// its stock by Quantita x Litri_per_unita and writes a journal row (the header's date, customer,
// number and Doc_tipo; the line's Ordine and Volume); every such line is then marked Scaricato.
ScaricoDocumento scaricaDocumento(Database& db, const QString& documNumero);

// Prints a document and, when paper was really printed, discharges it. print receives the
// template and the title of the document's kind and returns whether paper was printed.
using StampaDocumentoFn = std::function<bool(const QString& modello, const QString& titolo)>;
enum class EsitoStampa { NessunDocumento, SenzaRighe, TipoSconosciuto, NonStampato, Stampato };
struct RisultatoStampa {
    EsitoStampa esito = EsitoStampa::NessunDocumento;
    ScaricoDocumento scarico;
};
// The two messages of an empty table or a document without lines go through Mymsg.
RisultatoStampa stampaDocumento(Database& db, const QString& documNumero,
                                const StampaDocumentoFn& print);

QString msgSelezionareCliente();
QString msgSelezionareDestinazione();
QString msgNumeroDuplicato();
QString msgNumeroFuoriLimiti();
QString msgMancaIvaBase();
QString msgNessunDocumento();
QString msgDocumentoSenzaRighe();
QString msgTipoSconosciuto();

// The heading line of an imported delivery note: "Doc. Trasporto n. 7 del 03/02/2025".
QString intestazioneDdt(int numero, const QDate& data);

struct EsitoImportazione {
    int righe = 0;    // product lines copied under the heading
    QString rifiuto;  // why nothing was imported (a message for the user)
    bool ok() const { return rifiuto.isEmpty(); }
};

// Copies a delivery note into a summary invoice, in one transaction: the heading line, then
// every line with a product code (through the line rules: a line already discharged goes in
// without the stock check), the delivery note marked as invoiced, the invoice's totals
// recomputed. A line refused by the stock check, a delivery note already invoiced or of another
// customer, or a document that is not a summary invoice, writes nothing.
EsitoImportazione importaDdt(Database& db, const QString& fattura, const QString& ddt);

QString msgNonRiepilogativa();
QString msgDdtNonDisponibile();
