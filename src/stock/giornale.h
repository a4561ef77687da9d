#pragma once
// The journal window's data and operations, without widgets: the movements of a period still to
// be exported, the cancellation of one movement (stock given back) and the deletion of the
// period's movements once an export has been accepted.
#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "data/dataset.h"

class SharedData;

// Recomputes a document after a movement of one of its lines was cancelled (the line is gone):
// called with the document's number inside the cancellation's transaction, so that the stock,
// the line, the journal row and the document's totals change together. Throwing undoes the
// whole cancellation. The program connects it to the documents' totals rule.
using RicalcolaDocumento = std::function<void(const QString& documNumero)>;

// A journal row to cancel: the stock it took, and for a document movement its line.
struct MovimentoDaAnnullare {
    qint64 id = 0;               // Giornale.ID
    QString codVino;             // Cod_vino
    double litri = 0;            // Litri
    std::optional<int> rigaNum;  // Riga_num: the document line deleted with it
    QString documNumero;         // Docum_numero: the document recomputed afterwards
};

// One movement cancelled: the litres given back to the product (ricarica_giacenza), the
// document line deleted, the journal row deleted, and the document recomputed through
// ricalcola when the row names one. All of it or nothing; returns the journal rows deleted.
int annulla_movimento(Database& db, const MovimentoDaAnnullare& m,
                      const RicalcolaDocumento& ricalcola = {});

class GiornaleMovimenti : public QObject {
    Q_OBJECT
public:
    explicit GiornaleMovimenti(SharedData& sd, QObject* parent = nullptr);

    DataSet documenti;      // Esporta_BF: single movements of delivery notes and invoices
    DataSet corrispettivi;  // Esporta_N: direct sales summed per product
    DataSet dettaglio;      // unexported direct sales of the product selected in corrispettivi
    DataSet controllo;      // Esporta_controllo: first and last date, number of rows

    // The period as the date fields show it (dd/MM/yyyy; empty when the journal is empty).
    QString esportaDa;
    QString esportaA;

    // Opens controllo and sets the period to the journal's whole span, then apre_db.
    void FormShow();
    // Reads documenti, corrispettivi and dettaglio for the period (both end days whole).
    // A date that is typed but not a date gets a message and nothing is read; false then.
    bool apre_db();
    void FormClose();

    // Number of journal rows when the window was shown (or after the last change made here).
    int numeroRighe() const;

    // Called after a document movement is cancelled (see RicalcolaDocumento); none by default.
    void setRicalcolaDocumento(RicalcolaDocumento ricalcola) { ricalcola_ = std::move(ricalcola); }

    // "&Annulla riga" on the documents tab: the current row of documenti. True when done.
    bool annullaDocumento();
    // "&Annulla riga" on the direct-sales tab: the current row of dettaglio. True when done.
    bool annullaCorrispettivo();
    // "Esportazione OK": deletes every journal row of the period after the question.
    bool esportazioneOk();

    // "Stam&pa": the template "movimenti" through the print routine, when the journal has rows.
    using PrintFn = std::function<void(const QString& templateName, const QString& title)>;
    void setPrint(PrintFn print) { print_ = std::move(print); }
    bool stampa();

    // dd/MM/yyyy, and back (also d/M/yyyy and d/M/yy); an invalid date for anything else.
    static QString testoData(const QDate& d);
    static QDate leggiData(const QString& text);

    // The period's bounds as bound values: the first day from midnight, the last day to its
    // last second. Null when the text is empty or not a date.
    static QVariant inizioPeriodo(const QString& text);
    static QVariant finePeriodo(const QString& text);

    static QString msgConfermaRiga();
    static QString msgRicaricoDocumento();
    static QString msgNienteDaStampare();
    static QString msgConfermaPeriodo(const QString& da, const QString& a);
    static QString msgDataNonValida(const QString& text);
    static QString msgPeriodoMancante();

private:
    void riapri(DataSet& ds);
    bool periodoValido(bool withMessage) const;
    void contaRighe(int tolte);

    SharedData& sd_;
    PrintFn print_;
    RicalcolaDocumento ricalcola_;
    int numero_ = 0;
};
