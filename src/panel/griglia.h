#pragma once
// The product grid of the sales panel without widgets: how big the cells are, where the grid
// sits in the product area, and which product each cell shows. Built once when the program
// starts, from the grid settings and the products as they are stored then.
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

class Database;

// The grid holds at most 50 x 50 cells.
constexpr int grigliaMassima = 50;

// A stored Griglia_X or Griglia_Y as the grid uses it: empty, 0 or negative give 1, more than
// 50 gives 50 (the header window refuses such values, older data may still hold them).
int limita_griglia(const QVariant& stored);

// Cell size and margins for a product area of a x b pixels and x columns by y rows: cells of
// (a - 8) / x by (b - 8) / y pixels cut toward zero, the grid centred with the margins rounded
// half to even, so there are at least 4 pixels all round.
struct MisureGriglia {
    int larghezza = 0;  // W
    int altezza = 0;    // H
    int sinistra = 0;   // L0
    int alto = 0;       // T0
};
MisureGriglia misure_griglia(int a, int b, int x, int y);

// Halves to the even neighbour: 4.5 -> 4, 5.5 -> 6, -0.5 -> 0.
int arrotonda_pari(double v);

// A product with a place on the grid.
struct ProdottoGriglia {
    QString codice;  // Codice_prodotto
    int posizione = 0;
    QString nomeBreve;
    QString colore;  // Colore as stored
};

// One cell, numbered from 1 row by row (column c, row r: x * r + c + 1).
struct CellaGriglia {
    int numero = 0;
    bool prodotto = false;        // blank cells have no caption and do nothing when tapped
    QString caption;              // the product's Nome_breve
    std::optional<unsigned> rgb;  // 0xRRGGBB; none: the window's own colour
};

// The x * y cells in order. A place may hold several products: the cell shows the one that
// comes first by Codice_prodotto as the product list sorts it (case ignored; equal codes in
// table order). Products with no place, or one beyond x * y, have no cell.
QVector<CellaGriglia> celle_griglia(const QVector<ProdottoGriglia>& prodotti, int x, int y);

// The products of the grid as stored now, with Pos_Griglia from 1 to maxPosizione, in table
// order. Throws DatabaseError.
QVector<ProdottoGriglia> prodotti_griglia(Database& db, int maxPosizione);

// Griglia_X and Griglia_Y of the company header, limited as above (1 x 1 without a header).
struct DimensioniGriglia {
    int x = 1;
    int y = 1;
};
DimensioniGriglia dimensioni_griglia(Database& db);

// A cell's colour from the stored Colore: "0x00BBGGRR" as the products window writes it, a
// decimal or "$"-hexadecimal colour value in the same blue-green-red order, or one of the
// colour names the products window offers ("Rosso", "Verde chiaro", ...; case ignored).
// Empty, malformed or a system colour (high byte set): none.
std::optional<unsigned> colore_cella(const QString& stored);

// Whether a product is sorted before another as the product list sorts Codice_prodotto.
bool codicePrima(const QString& a, const QString& b);
