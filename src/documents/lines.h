#pragma once
// Document lines: filling a line from a product and the customer's price list, the line's litres,
// and the checks before a line is saved (receipt VAT, the discharged-line warning, the stock
// check). Plain structs in and out; the table events of the shared "righe" and the service use
// the same functions.
#include <QString>
#include <array>
#include <optional>

class Database;

// The stored fields of a line (table Righe), Volume included.
struct CampiRiga {
    int ordine = 0;  // 0 until stored
    QString documNumero;
    QString codiceCli;
    QString codice;
    QString um;
    double litriPerUnita = 0;
    QString stato;
    double quantita = 0;
    QString descrizione;
    double prezzo = 0;
    QString iva;
    QString codVino;  // Cod_vino_collegato
    double sconto = 0;
    double volume = 0;
    bool scaricato = false;
};

// What a line takes from a product.
struct ProdottoRiga {
    QString codice;  // Codice_prodotto as stored
    QString descrizione;
    QString um;
    QString iva;
    QString stato;                   // "1" bulk, "2" bottled, "0" no stock kept
    std::array<double, 5> prezzi{};  // Prezzo1..Prezzo5
    double prezzoSinottico = 0;
    double volume = 0;  // litres of the packaging (Imballi.Volume), 0 when unknown
    double litri = 0;   // stock
};

// What a line takes from the document's customer.
struct ClienteRiga {
    QString iva;
    QString listino;   // "1".."5", "6" counter price
    QString giurPers;  // "G", "P", "X"
    double sconto = 0;
};

// The product with this code: the exact code first, then the same code in other letter case
// (the first such product); nullopt when none.
std::optional<ProdottoRiga> trovaProdotto(Database& db, const QString& codice);
// The customer's values for lines; a customer not found gives empty values.
ClienteRiga clienteRiga(Database& db, const QString& codice);

// Pieces (bottled) or litres (otherwise) available of a product.
double disponibile(const ProdottoRiga& p);

// Unit price by the documents' rule: price lists "1" to "5", "6" the counter price, anything else
// 0; a customer of kind "N" pays 0.
double prezzoDocumento(const ProdottoRiga& p, const ClienteRiga& c);
// Unit price by the sales panel's rule: empty or "1" Prezzo1, "2" to "5", "6" the counter price;
// any other value keeps the price the sale line had.
double prezzoPannello(const ProdottoRiga& p, const QString& listino, double prezzoVendita);

// Fills a line from a product: code, description, unit, VAT (the customer's, else the product's,
// else unchanged), price, stock kind, the quantity when not zero, and for stock-kept products
// the linked product and the litres per unit (1 bulk, the packaging's volume bottled).
void compilaRiga(CampiRiga& riga, const ProdottoRiga& p, const ClienteRiga& c, double quantita);

// What is done to every line before it is stored: a receipt's line loses its VAT code, and
// Volume = Quantita x Litri_per_unita.
void preparaRiga(CampiRiga& riga, bool ricevuta);

enum class EsitoRiga { Ok, Avviso, Rifiutata };
struct ControlloRiga {
    EsitoRiga esito = EsitoRiga::Ok;
    QString messaggio;  // shown for Avviso and Rifiutata
};

// The checks before a line is stored (nuova: an insert). A line linked to no product passes; a
// new line already discharged (copied from a printed delivery note) passes; a discharged line
// being changed passes with the warning; otherwise the product's availability must cover the
// quantity. Products not found and products without stock pass.
ControlloRiga controllaRiga(Database& db, const CampiRiga& riga, bool nuova);

// "Attenzione! Questa riga è già stata inviata al registro" + CR LF + "Sa la modifica ...".
QString msgRigaScaricata();
// "Giacenza insufficiente: disponibile " + the quantity as a plain number.
QString msgGiacenzaInsufficiente(double disponibile);
// "   Confermi la cancellazione di questa riga ?   "
QString msgCancellaRiga();
