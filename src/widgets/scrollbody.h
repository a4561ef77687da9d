#pragma once
// A window's content inside a scroll area: on a small screen, at a large zoom or a high scale
// factor the window fits the screen and its content scrolls instead of being cut.
#include <QFrame>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

// Builds the scroll area as the window's only content; the window's controls go on the widget
// returned.
inline QWidget* scrollingBody(QWidget* window) {
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("scrollBody"));
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    auto* body = new QWidget(area);
    body->setObjectName(QStringLiteral("body"));
    area->setWidget(body);
    outer->addWidget(area);
    return body;
}
