#pragma once
// Text typed in an edit or a grid cell to a field value and back.
#include <QString>
#include <QVariant>

class Field;

// The text an editor starts from: numbers in the general format with the decimal comma,
// dates dd/MM/yyyy (with hh:mm when there is a time), null as empty text.
QString fieldEditText(const QVariant& value);

// The value to store for a typed text: empty text is an empty string for text fields and null
// otherwise; numbers accept the decimal comma or point (not an ambiguous "1.500"); dates
// dd/MM/yyyy (or d/M/yy), only days that exist. False when the text does not fit the field's
// type (whole numbers for integer fields); *error, when given, then holds the message to show.
bool fieldValueFromText(const Field& field, const QString& text, QVariant* value,
                        QString* error = nullptr);

// "   Valore non valido per il campo <title>   "
QString invalidValueMessage(const Field& field);
