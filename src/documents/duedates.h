#pragma once
// Due dates from a customer's payment terms: a free text such as "RB 30/60 FM" read for the
// substrings 30, 60, 90, 120 (one, two, three, four months), "+10" (ten days more) and "FM" or
// "F.M." (end of month). Pure functions.
#include <QDate>
#include <QString>

// The due-dates text of a document: for each of 30, 60, 90, 120 found in the terms (upper
// case), data_scadenza of that many months; none found: the document date "dd/MM/yyyy" alone.
QString Scadenza(const QString& termini, const QDate& data);

// One due date months (1 to 4) after the document date: on the last day of the month when the
// document's day is 28 or more or end of month is asked, ten days later with piuDieci;
// written "dd/MM/yyyy " (one blank after).
QString data_scadenza(int mesi, bool piuDieci, bool fineMese, const QDate& data);
