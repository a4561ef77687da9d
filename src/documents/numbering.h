#pragma once
// Document numbers: the series letter and year, the next number of a series, the composed key
// Docum_numero ("B-2025-000007") and the duplicate test.
#include <QString>

class Database;
struct DocumentKind;

// Sequence numbers run from 1 to 999999: a seventh digit would not fit Docum_numero's 13.
constexpr int numeroMinimo = 1;
constexpr int numeroMassimo = 999999;
inline bool numeroValido(qint64 numero) {
    return numero >= numeroMinimo && numero <= numeroMassimo;
}

// Prefix, four-digit year, "-", the number with at least six digits: "B-2025-000007".
QString docum_numero(const QString& prefisso, int anno, int numero);
QString docum_numero(const DocumentKind& kind, int anno, int numero);

// The highest Num_fattura of the series (Doc_tipo) and year plus one (the rule of the stored
// query Unum); 1 for the first document of a year. Gaps left by deleted documents are never
// refilled.
int prossimo_numero(Database& db, const QString& serie, int anno);

// Whether a header with exactly this Docum_numero exists.
bool numeroEsistente(Database& db, const QString& documNumero);
