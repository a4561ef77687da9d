#pragma once
// The program's zoom percentage (vinorda.ini, ZOOM) applied to a window when it is created.
#include <QFont>
#include <QWidget>

// Scales a window's font and size by the program's zoom percentage (100 changes nothing).
inline void applyZoom(QWidget* w, int zoomPercent) {
    if (zoomPercent <= 0 || zoomPercent == 100) return;
    QFont f = w->font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * zoomPercent / 100.0);
    else
        f.setPixelSize(qMax(1, f.pixelSize() * zoomPercent / 100));
    w->setFont(f);
    w->resize(w->size() * (zoomPercent / 100.0));
}
