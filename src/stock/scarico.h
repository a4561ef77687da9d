#pragma once
// Stock discharge: the product's Litri lowered (or raised back) and the movement written to the
// journal Giornale. Each discharge runs in one transaction, so a failure never leaves a journal
// row without its stock change, nor a discharged document line without its flag.
#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

class Database;

// Stock values in the statements: "0.###" with a point whatever the locale (1234.5678 ->
// "1234.568", 0 -> "0", 12.5 -> "12.5", -0.25 -> "-0.25").
QString valoreGiacenza(double litri);
// The number the statement stores: exactly the value of valoreGiacenza.
double arrotondaGiacenza(double litri);

// One journal row. Fields left null stay null in the table (Esportato keeps its default).
struct MovimentoGiornale {
    QDate data;                  // Data_Ora, at midnight
    QString codVino;             // Cod_vino
    double litri = 0;            // Litri
    QString cliente;             // Cliente: empty -> null
    QString documNumero;         // Docum_numero: empty -> null
    std::optional<int> rigaNum;  // Riga_num
    QString tipo;                // Tipo: "N", or the document's Doc_tipo
};

enum class OrdineScarico {
    GiacenzaPoiGiornale,  // documents and the sales panel
    GiornalePoiGiacenza,  // quick registration
};

// Stock of the product as stored now (0 when the product is missing or its Litri is null).
double giacenza_attuale(Database& db, const QString& codiceProdotto);

// The absolute stock write: update prodotti set litri=<value> where codice_prodotto=<code>.
// A code without product changes nothing. Returns the rows changed.
int imposta_giacenza(Database& db, const QString& codiceProdotto, double nuovaGiacenza);

// A cancelled movement gives its litres back: litri = litri + <value>. A product whose Litri is
// still null counts from zero. Returns the rows changed.
int ricarica_giacenza(Database& db, const QString& codiceProdotto, double litri);

// Appends one journal row; returns its ID. Throws DatabaseError for a value that does not fit.
qint64 scrivi_giornale(Database& db, const MovimentoGiornale& riga);

// Marks a document line as discharged (Righe.Scaricato).
void segna_scaricato(Database& db, int ordine);

// Discharges litres of the product: the stock read as stored at this moment, lowered by litri
// and written back, and the journal row appended, in the caller's order; then, for a document
// line, its Scaricato flag. All of it or nothing (DatabaseError propagates). A product without a
// code is refused (msgProdottoSenzaCodice): its journal row could never be matched to its stock.
QString msgProdottoSenzaCodice();
void registra_scarico(Database& db, const QString& codiceProdotto, double litri,
                      const MovimentoGiornale& riga, OrdineScarico ordine,
                      std::optional<int> rigaDaSegnare = std::nullopt);
