#include "app/wheelfilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

#include "common/nativewheel.h"

bool WheelToArrowFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    // The preview and the designer scroll and zoom with the wheel themselves.
    for (QObject* o = watched; o; o = o->parent())
        if (o->property(kNativeWheelProperty).toBool()) return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    const QPoint angle = wheel->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    // Touch pads send begin/end events without movement: they are not notches.
    if (delta == 0 && wheel->phase() != Qt::NoScrollPhase) return true;

    auto* target = static_cast<QWidget*>(watched);
    // Keys go where the keyboard goes: the focused control of the same window, if any.
    if (QWidget* focus = QApplication::focusWidget(); focus && focus->window() == target->window())
        target = focus;
    const int key = delta <= 0 ? Qt::Key_Down : Qt::Key_Up;
    QKeyEvent press(QEvent::KeyPress, key, wheel->modifiers());
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, wheel->modifiers());
    QApplication::sendEvent(target, &release);
    return true;
}
