#include "widgets/lockwaitnotice.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>

#include "data/database.h"

LockWaitNotice::LockWaitNotice(Database& db, QObject* parent) : QObject(parent) {
    connect(&db, &Database::lockWait, this, &LockWaitNotice::waitGoesOn);
    connect(&db, &Database::lockWaitEnded, this, &LockWaitNotice::waitEnded);
}

LockWaitNotice::~LockWaitNotice() {
    waitEnded();
    delete note_;
}

QString LockWaitNotice::text(int elapsedMs) {
    return QStringLiteral("Database occupato da un'altra postazione… attendere (%1 s)")
        .arg(elapsedMs / 1000);
}

void LockWaitNotice::waitGoesOn(int elapsedMs) {
    if (!waiting_) {
        waiting_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    if (!note_) {
        note_ = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        note_->setObjectName(QStringLiteral("LockWaitNotice"));
        note_->setAttribute(Qt::WA_ShowWithoutActivating);
        note_->setMargin(14);
        note_->setStyleSheet(QStringLiteral(
            "QLabel { background: #fff4c2; color: #3f0614; border: 2px solid #7b122a; "
            "font-weight: bold; }"));
    }
    note_->setText(text(elapsedMs));
    note_->adjustSize();
    QRect area;
    if (QWidget* w = QApplication::activeWindow())
        area = w->frameGeometry();
    else if (QScreen* s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    QRect r = note_->rect();
    r.moveCenter(area.center());
    note_->move(r.topLeft());
    note_->show();
    // Paint the note and the windows under it, but let nothing else run: the statement that
    // waits is still on the stack, and no click or timer may start another one meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

void LockWaitNotice::waitEnded() {
    if (note_) note_->hide();
    if (waiting_) {
        waiting_ = false;
        QApplication::restoreOverrideCursor();
    }
}
