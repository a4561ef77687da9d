#pragma once
// Text typed in an edit or a grid cell to a field value and back.
#include <QString>
#include <QVariant>

class Field;

// The text an editor starts from: numbers in the general format with the decimal comma,
// dates dd/MM/yyyy (with hh:mm when there is a time), null as empty text.
QString fieldEditText(const QVariant& value);

// The value to store for a typed text: empty text is an empty string for text fields and null
// otherwise; numbers accept the decimal comma or point; dates dd/MM/yyyy (or d/M/yy). False when
// the text does not fit the field's type (whole numbers for integer fields).
bool fieldValueFromText(const Field& field, const QString& text, QVariant* value);

// "   Valore non valido per il campo <title>   "
QString invalidValueMessage(const Field& field);
