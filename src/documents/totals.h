#pragma once
// Document totals: up to four VAT rates per document, each with its taxable amount, discount and
// tax, computed from the lines every time a header is saved. Pure functions: no database.
#include <QChar>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>

// Rate of a VAT code: the code read as a whole decimal number (leading blanks and a sign
// allowed); any other code, the empty one included, has rate 0 ("ES" is an exemption).
int aliquota(const QString& codice);

// Rounding of VAT to the cent: halves away from zero, the product by 100 and the half added in
// extended precision; a value already whole in cents comes back unchanged. Every caller passes
// the mode 'E'; another mode returns the value as it is.
double Ivaround(QChar modo, double valore);

// Amount of a line: quantity x price x (100 - discount) / 100, not rounded.
double importoRiga(double quantita, double prezzo, double sconto);

// What the totals need of one line.
struct RigaTotali {
    QString iva;         // the line's VAT code; empty = the document's base rate
    double importo = 0;  // importoRiga
    double volume = 0;   // litres of the line
};

// The header's VAT table and totals (slot n = index n-1).
struct Castelletto {
    std::array<QString, 4> aliva;   // ALIVA1..4
    std::array<int, 4> i{};         // I1..4
    std::array<double, 4> imp{};    // IMP1..4
    std::array<int, 4> sc{};        // SC1..4, as typed
    std::array<double, 4> totsc{};  // TOTSC1..4
    std::array<double, 4> iva{};    // IVA1..4
    double totSconto = 0;
    double totImponibile = 0;
    double totIva = 0;
    double totale = 0;
    double totLitri = 0;
    QVector<int> righeEscluse;  // lines whose code found no slot (a fifth code): not in totals
};

// Adds a line amount to the slot of its code; slots 2 to 4 take new codes in order of first
// appearance. Returns true on failure (four other codes already), adding nothing.
bool somma_aliquota(Castelletto& c, const QString& codice, double importo);

// The totals of a header: its base code and rate (kept; on a receipt emptied, and every line
// counted in the empty base rate), the four slot discounts typed, and its lines in Ordine order.
Castelletto calcolaTotali(const QString& aliva1, int i1, bool ricevuta,
                          const std::array<int, 4>& sc, const QVector<RigaTotali>& righe);

// The header fields the totals set, with their values: ALIVA1..4, I1..4, IMP1..4, TOTSC1..4,
// IVA1..4, Tot_sconto, Tot_Imponibile, Tot_Iva, Totale, Tot_Litri.
QVector<QPair<QString, QVariant>> campiTotali(const Castelletto& c);

// "   Errori nel calcolo : Eccessive aliquote IVA nella fattura (max.4)  "
QString msgTroppeAliquote();

// ---- the header's calculated display fields

// "Mittente", "Destinatario", "Vettore" for M, D, V; empty otherwise.
QString trasportoLettere(const QString& trasporto);
// "Docum.Trasporto", "Fattura", "Ricevuta (per privati)" for B, F, N; empty otherwise.
QString descrizioneDocumento(const QString& docTipo);
// "(" + code + "=" + note + ")" for a code of table IVA (notes: code -> Nota_fin); empty when the
// code is not in the table.
QString nota_iva(const QString& codice, const QHash<QString, QString>& note);
// The notes of every slot that carries an amount but no tax, slot 1 first, joined by a blank.
QString noteIva(const std::array<QString, 4>& aliva, const std::array<double, 4>& imp,
                const std::array<double, 4>& iva, const QHash<QString, QString>& note);
