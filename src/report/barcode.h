#pragma once
// Barcode symbols through libzint's vector output: the bars as rectangles in module units.
#include <QRectF>
#include <QString>
#include <QVector>

#include "report/prepared.h"

namespace report {

// Encodes data; on failure returns false with libzint's reason in *error (in Italian words
// around it). Fills the barcode fields of op (bars, symbolSize, barTexts).
bool encodeBarcode(BarcodeType type, const QString& data, bool showText, DrawOp* op,
                   QString* error);

}  // namespace report
