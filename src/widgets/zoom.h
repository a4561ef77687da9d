#pragma once
// The program's zoom percentage (vinorda.ini, ZOOM) applied to a window when it is created.
#include <QFont>
#include <QWidget>

// The zoom percentage as a factor (a percentage of 0 or less counts as 100).
inline double zoomFactor(int zoomPercent) {
    return zoomPercent <= 0 ? 1.0 : zoomPercent / 100.0;
}

// Scales a window's font by the zoom percentage (100 changes nothing). Every control that does
// not set a font of its own follows: labels, edits, buttons, grid headers and cells. Call it
// before the controls measure their text (column widths, row heights).
inline void applyZoomFont(QWidget* w, int zoomPercent) {
    if (zoomPercent <= 0 || zoomPercent == 100) return;
    QFont f = w->font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * zoomPercent / 100.0);
    else
        f.setPixelSize(qMax(1, f.pixelSize() * zoomPercent / 100));
    w->setFont(f);
}

// Scales a window's font and size by the program's zoom percentage (100 changes nothing).
inline void applyZoom(QWidget* w, int zoomPercent) {
    if (zoomPercent <= 0 || zoomPercent == 100) return;
    applyZoomFont(w, zoomPercent);
    w->resize(w->size() * (zoomPercent / 100.0));
}
