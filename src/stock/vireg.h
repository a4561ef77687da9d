#pragma once
// The file for the wine-registry service VIREG: one line per record, a fixed header (company
// code, time stamp, record kind) and tagged fields, for customers, wine products, the journal's
// movements, the stock check and the initial load. The service refuses a file with a byte out
// of place, so every byte here is deliberate.
#include <QByteArray>
#include <QDate>

#include "stock/esportazione.h"

class AnsiWriter;
class Database;
class QIODevice;

// The check boxes of the page "Invia VIREG".
struct SezioniVireg {
    bool clienti = false;    // ck_cli
    bool prodotti = false;   // ck_prod
    bool movimenti = false;  // ck_mov
    bool giacenze = false;   // ck_gia
    bool carico = false;     // ck_carico
    QDate dataCarico;        // data1, for the initial load
};

class ViregWriter {
public:
    ViregWriter(Database& db, const PeriodoViste& periodo, Orologio orologio);
    void setAvanzamento(Avanzamento avanzamento) { avanzamento_ = std::move(avanzamento); }

    // The ticked sections, always in the order customers, products, movements (documents,
    // then direct sales), stock check, initial load. Returns the values with characters written
    // as "?". Throws DatabaseError, WriteError, EsportazioneAnnullata.
    int scrivi(QIODevice& out, const SezioniVireg& sezioni);

private:
    void clienti();
    void prodotti();
    void documenti();
    void corrispettivi();
    void giacenze();
    void carico(const QDate& data);

    void record(const char* kind);
    // "&#" and the three digits of the tag, then the value.
    void tag(const char* tag);
    void constant(const char* tag, const char* value);
    void number(const char* tag, const QByteArray& value) { constant(tag, value.constData()); }
    void field(const char* tag, QByteArrayView value);
    void end();
    // The product of a movement (tags 032, 033, 035), its quantity tags by the product's stock
    // kind, and the end of the record.
    void articolo(QByteArrayView codice, const char* tag035, QByteArrayView stato, double litri,
                  QByteArrayView lotto, QByteArrayView bottiglia, const char* tag038);

    FontiEsportazione fonti_;
    Orologio orologio_;
    Avanzamento avanzamento_;
    Conteggio conteggio_;
    AnsiWriter* w_ = nullptr;
    QByteArray codice_;    // company code, 8 characters
    QDateTime stampTime_;  // time of the stamp last made
    QByteArray stamp_;     // company code, stamp, "00002", "S"
    Formati::Data d8_{QStringLiteral("yyyymmdd")};
};

// Reads the initial load's date as typed in data1: the message to show when it is missing or
// not a date, else empty.
QString controllaDataCarico(const QString& testo, QDate* data);

// The registry file "esportato_" + yyyy_mm_dd_hh_nn + ".txt" in folder (ending with "/"),
// with the sections ticked; an initial load without its date is refused before any file is
// made.
EsitoEsportazione esportaVireg(Database& db, const QString& cartella, const PeriodoViste& periodo,
                               const SezioniVireg& sezioni, const Orologio& orologio,
                               const Avanzamento& avanzamento = {});
