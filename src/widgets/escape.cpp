#include "widgets/escape.h"

#include <QKeyEvent>
#include <QWidget>

#include "data/dataset.h"

EscapeAbandonsEdit::EscapeAbandonsEdit(QWidget* window, QList<DataSet*> sets,
                                       std::function<void()> abandoned)
    : QObject(window), abandoned_(std::move(abandoned)) {
    for (DataSet* ds : sets) sets_ << ds;
    window->installEventFilter(this);
}

bool EscapeAbandonsEdit::abandon() {
    bool any = false;
    for (const auto& ds : sets_)
        if (ds && ds->isOpen() && ds->isEditing()) {
            ds->cancel();
            any = true;
        }
    if (any && abandoned_) abandoned_();
    return any;
}

bool EscapeAbandonsEdit::eventFilter(QObject* watched, QEvent* event) {
    // Keys the focused control does not use reach the window: Esc is one of them.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && abandon())
        return true;
    return QObject::eventFilter(watched, event);
}
