#pragma once
// Number and date formatting with the patterns the program uses on screen, in prints and in
// files. The program always runs in the Italian locale (decimal comma), whatever the machine's.
#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The locale every window and print uses: Italian, decimal comma, dd/MM/yyyy.
QLocale italianLocale();
// Makes the Italian locale the default for the process (QLocale::setDefault).
void installItalianLocale();
// Loads Qt's own Italian texts (standard buttons, file dialogs) into the application; false when
// they are not installed (the Debian package qt6-translations-l10n).
bool installQtItalianTranslations();

// Float patterns in the classic picture syntax: "0.00", "#.###", "0.###", "000000",
// "0.00;;#" (sections positive;negative;zero), "0.00 €;;#", "00000000000000000".
// '0' is a digit that is always written, '#' a digit written only when significant, '.' the
// decimal separator (written as the locale's), ',' in the integer part turns on thousands
// grouping, any other character is copied; text between quotes is copied literally. Rounding
// is half away from zero. An empty third section ("#" only) writes zero as empty text.
QString formatFloat(const QString& pattern, double value, const QLocale& locale = italianLocale());

// The general number format: shortest text with up to 15 significant digits, locale separator,
// no thousands grouping (1234,5; 0,1; 12; 1E20 for huge values).
QString formatGeneral(double value, const QLocale& locale = italianLocale());

// The texts of formatFloat with a pattern of `digits` zeros ("00000000000000000": a whole
// number, zero-padded, minus in front) and of formatGeneral in the Italian locale, as Latin-1
// bytes, made without the general machinery whenever the value allows it: the export files
// write hundreds of thousands of them.
QByteArray formatZeroPadded(double value, int digits);
QByteArray formatGeneralLatin1(double value);

// Date-time patterns in the classic syntax: d dd m mm yy yyyy h hh n nn s ss, and any other
// character copied ("dd/mm/yyyy", "dd/mm/yyyy hh:nn", "yyyy_mm_dd_hh_nn", "yyyymmddhhnnss",
// "yyyymmdd", "yyyy-mm-dd"). "m" right after "h"/"hh" means minutes, as in the classic syntax.
QString formatDateTime(const QString& pattern, const QDateTime& value);

// Reads a number typed by the user: accepts the Italian decimal comma and the point, no grouping.
// Returns false when the text is not a number.
bool parseNumber(const QString& text, double* value);

// A number typed into a field, read as a person means it. In the Italian locale "1.500" is one
// thousand five hundred to a person but 1,5 to a numeric keypad: a "." after one to three
// digits (not a lone 0) followed by exactly three digits, with no ",", is refused as ambiguous.
// Any other "." is the decimal point, as a keypad writes it ("0.750", "12.5", "1234.500").
enum class TypedNumber { Ok, Ambiguous, Invalid };
TypedNumber parseTypedNumber(const QString& text, double* value);
// "   "1.500" è ambiguo: scrivere 1500 oppure 1,5   "
QString msgNumeroAmbiguo(const QString& text);

// A date typed as dd/mm/yyyy (also d/m/yyyy, d/m/yy, dd/mm/yy; two-digit years 50-99 are of the
// last century, 00-49 of this one). An invalid date for anything else, also for a day that does
// not exist ("32/13/2026", "29/02/2025").
QDate parseTypedDate(const QString& text);
// "   "32/13/2026" non è una data valida (gg/mm/aaaa)   "
QString msgDataNonValida(const QString& text);
