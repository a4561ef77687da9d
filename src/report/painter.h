#pragma once
// Painting prepared pages on any QPainter: screen, QPrinter, QPdfWriter, QImage.
#include <QFont>
#include <QPainter>

#include "report/prepared.h"

namespace report {

// Inner horizontal padding of a text box, mm.
constexpr double kTextPadding = 0.5;

// The font of a text at its size in points, with the hinting every device shares.
QFont reportFont(const QString& family, double pointSize, bool bold, bool italic, bool underline);

// Paints a page with its top-left corner at origin (device pixels), at dotsPerMm device pixels
// per millimetre (the device's own resolution for paper and PDF, zoom x screen for a preview).
void paintPage(QPainter& painter, const PreparedPage& page, double dotsPerMm, QPointF origin = {});

// The page as an image at dpi dots per inch, white background.
QImage renderPage(const PreparedPage& page, double dpi);

}  // namespace report
