#include "report/barcode.h"

#include <zint.h>

#include <memory>

namespace report {

bool encodeBarcode(BarcodeType type, const QString& data, bool showText, DrawOp* op,
                   QString* error) {
    if (data.isEmpty()) {
        if (error) *error = QStringLiteral("nessun dato da codificare");
        return false;
    }
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> sym(ZBarcode_Create(),
                                                                 &ZBarcode_Delete);
    if (!sym) {
        if (error) *error = QStringLiteral("memoria insufficiente");
        return false;
    }
    sym->symbology = type == BarcodeType::Ean13 ? BARCODE_EANX : BARCODE_CODE128;
    sym->show_hrt = showText ? 1 : 0;
    sym->input_mode = UNICODE_MODE;
    sym->scale = 0.5f;  // vector units = modules
    const QByteArray bytes = data.toUtf8();
    if (type == BarcodeType::Ean13) {
        // The EAN-13 symbol takes 12 digits (check digit computed) or 13 (check digit verified).
        for (char c : bytes) {
            if (c < '0' || c > '9') {
                if (error) *error = QStringLiteral("EAN-13 accetta solo cifre (\"%1\")").arg(data);
                return false;
            }
        }
        if (bytes.size() != 12 && bytes.size() != 13) {
            if (error)
                *error = QStringLiteral("EAN-13 vuole 12 o 13 cifre (\"%1\" ne ha %2)")
                             .arg(data)
                             .arg(bytes.size());
            return false;
        }
    }
    const int rc = ZBarcode_Encode_and_Buffer_Vector(
        sym.get(), reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()), 0);
    if (rc >= ZINT_ERROR || !sym->vector) {
        if (error) *error = QString::fromLatin1(sym->errtxt);
        return false;
    }
    // zint multiplies by 2 * scale; with scale 0.5 a unit is one module.
    const double unit = 2.0 * sym->scale;
    op->bars.clear();
    for (auto* r = sym->vector->rectangles; r; r = r->next)
        op->bars << QRectF(r->x / unit, r->y / unit, r->width / unit, r->height / unit);
    op->barTexts.clear();
    for (auto* s = sym->vector->strings; s; s = s->next)
        op->barTexts << DrawOp::BarText{QPointF(s->x / unit, s->y / unit), s->fsize / unit,
                                        QString::fromUtf8(reinterpret_cast<const char*>(s->text))};
    op->symbolSize = QSizeF(sym->vector->width / unit, sym->vector->height / unit);
    return true;
}

}  // namespace report
