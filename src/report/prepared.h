#pragma once
// Prepared pages: what the layout produced, as drawing operations in millimetres from the
// paper's top-left corner. Painting them on any device gives the same lines and breaks.
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

#include "report/model.h"

namespace report {

struct DrawOp {
    enum class Kind { Text, Line, Rect, Image, Barcode };
    Kind kind = Kind::Text;
    QRectF rect;  // mm on the page; a line goes from topLeft to bottomRight
    QString objectName;

    // Text: the lines as broken by the layout, one per lineHeight.
    QStringList lines;
    QString fontFamily;
    double fontSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    double lineHeight = 0;  // mm
    QColor textColor = Qt::black;
    QColor fillColor;
    Frame frame;

    // Line and rectangle.
    double lineWidth = 0.2;
    QColor lineColor = Qt::black;

    QImage image;
    bool keepAspect = true;

    // Barcode: bars in module units from the symbol's left/top edge, the symbol's size in the
    // same units, and the human-readable texts (x is the text's centre).
    QVector<QRectF> bars;
    QSizeF symbolSize;
    struct BarText {
        QPointF pos;
        double size;  // module units
        QString text;
    };
    QVector<BarText> barTexts;
};

struct PreparedPage {
    QSizeF size;  // mm
    std::vector<DrawOp> ops;
};

struct PreparedReport {
    QString title;
    std::vector<PreparedPage> pages;
};

}  // namespace report
