#pragma once
// Small pure helpers shared by documents, stock, printing and exports.
#include <QString>
#include <QStringList>

// Every "," replaced by ".".
QString novirgola(const QString& text);

// Index of the first item whose first n characters equal text exactly (n = length of text,
// case-sensitive); an empty text matches the first item. -1 when nothing matches or the list is
// empty: callers treat -1 as "no such item".
int looklist(const QStringList& list, const QString& text);

// +1 for x >= 0 (zero included), -1 otherwise.
long double segno(long double x);

// One group of three digit characters in Italian words, with suffix appended when the group is
// not zero; "unomila" becomes "mille".
QString terna_in_lettere(const QString& digits, const QString& suffix);

// x in Italian words: integer part in words, then "/" and three decimals when they are not 000.
// 0 <= x < 1,000,000 as the classic rule; negative values are written "meno " + the words of |x|,
// values of a million or more add "unmilione"/"<n>milioni" groups (up to 999,999,999,999).
QString numero_in_lettere(double x);

// Litres in figures and words: formatFloat("#.###", x) + two blanks + numero_in_lettere(x).
QString litri_in_lettere(double x);
