#pragma once
// The CSV files of customers, products, movements and stock that any spreadsheet opens: every
// value between double quotes (a quote inside written twice), commas between them, Italian
// number and date formats, Windows-1252 text with CR LF.
#include "stock/esportazione.h"

class AnsiWriter;
class Database;
class QIODevice;

// The check boxes of the page "Invia CSV".
struct SezioniCsv {
    bool clienti = false;    // ck_cli1, "_CLI.csv"
    bool prodotti = false;   // ck_prod1, "_PRO.csv"
    bool movimenti = false;  // ck_mov1, "_MOV.csv"
    bool giacenze = false;   // ck_gia1, "_GIA.csv"
};

class CsvWriter {
public:
    CsvWriter(Database& db, const PeriodoViste& periodo);
    void setAvanzamento(Avanzamento avanzamento) { avanzamento_ = std::move(avanzamento); }

    // Starts the progress for the sections to be written.
    void inizia(const SezioniCsv& sezioni);
    void segnala() { conteggio_.segnala(); }
    void fine() { conteggio_.fine(); }

    // One file each, header first. Each returns the values with characters written as "?".
    // Throw DatabaseError, WriteError, EsportazioneAnnullata.
    int clienti(QIODevice& out);
    int prodotti(QIODevice& out);
    int movimenti(QIODevice& out);
    int giacenze(QIODevice& out);

private:
    FontiEsportazione fonti_;
    Avanzamento avanzamento_;
    Conteggio conteggio_;
};

// The ticked files, each "esportato_" + yyyy_mm_dd_hh_nn + its suffix in folder (ending with
// "/"). The outcome's name is the common base; nothing ticked writes nothing.
EsitoEsportazione esportaCsv(Database& db, const QString& cartella, const PeriodoViste& periodo,
                             const SezioniCsv& sezioni, const Orologio& orologio,
                             const Avanzamento& avanzamento = {});
