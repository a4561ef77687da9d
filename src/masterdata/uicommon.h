#pragma once
// Small pieces shared by the master-data windows.
#include <QBoxLayout>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "widgets/buttons.h"

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

inline QLabel* fieldLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// A button of a window's button bar: named, with its picture and caption.
inline QPushButton* barButton(QWidget* owner, QBoxLayout* bar, const char* name, int image,
                              const QString& caption) {
    auto* b = new QPushButton(owner);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumHeight(34);
    bar->addWidget(b);
    imposta_pulsanti(b, image, caption);
    return b;
}
