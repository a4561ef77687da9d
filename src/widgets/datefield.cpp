#include "widgets/datefield.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "common/format.h"
#include "common/messages.h"

DateFieldCheck::DateFieldCheck(QLineEdit* edit) : QObject(edit), edit_(edit) {
    edit_->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::editingFinished, this, [this] { check(); });
}

QDate DateFieldCheck::date() const {
    return parseTypedDate(edit_->text());
}

bool DateFieldCheck::check() {
    if (reporting_) return false;
    const QString text = edit_->text().trimmed();
    if (text.isEmpty()) return true;
    const QDate d = parseTypedDate(text);
    if (d.isValid()) {
        const QString shown = d.toString(QStringLiteral("dd/MM/yyyy"));
        if (edit_->text() != shown) edit_->setText(shown);
        return true;
    }
    reporting_ = true;
    Mymsg::message(msgDataNonValida(text));
    reporting_ = false;
    return false;
}

bool DateFieldCheck::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // A wrong date stays here: Enter does not go on to the window's default button.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !check()) return true;
    }
    return QObject::eventFilter(watched, event);
}
