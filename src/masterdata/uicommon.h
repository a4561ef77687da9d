#pragma once
// Small pieces shared by the master-data windows.
#include <QBoxLayout>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "widgets/buttons.h"
#include "widgets/zoom.h"

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
