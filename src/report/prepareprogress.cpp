#include "report/prepareprogress.h"

#include <QApplication>
#include <QProgressDialog>

namespace report {

namespace {
int g_showDelay = 400;
}

void PrepareProgress::setShowDelay(int ms) {
    g_showDelay = ms;
}

int PrepareProgress::showDelay() {
    return g_showDelay;
}

PrepareProgress::PrepareProgress(QWidget* parent, const QString& title)
    : parent_(parent), title_(title) {
    started_.start();
    lastEvents_.start();
}

PrepareProgress::~PrepareProgress() {
    delete dialog_;
}

bool PrepareProgress::report(int pages, double done) {
    if (cancelled_) return false;
    // Painting and the like every 50 ms keep the program alive; the layout goes on in between.
    if (lastEvents_.elapsed() < 50) return true;
    lastEvents_.restart();
    if (!dialog_ && started_.elapsed() >= g_showDelay) {
        // Over the window that asked for the print (the journal, the designer ...), not behind it.
        QWidget* owner = QApplication::activeModalWidget();
        dialog_ = new QProgressDialog(owner ? owner : parent_);
        dialog_->setObjectName(QStringLiteral("progressoStampa"));
        dialog_->setWindowTitle(QStringLiteral("Preparazione della stampa"));
        dialog_->setCancelButtonText(QStringLiteral("Annulla"));
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->setMinimumWidth(360);
        dialog_->setRange(0, 1000);
        dialog_->show();
    }
    if (dialog_) {
        if (done >= 0) {
            dialog_->setMaximum(1000);
            dialog_->setValue(int(done * 1000));
        } else {
            dialog_->setMaximum(0);  // busy bar: the total is not known
        }
        dialog_->setLabelText(QStringLiteral("%1\npagine preparate: %2").arg(title_).arg(pages));
        // The window is modal: only it takes the user's input while the rest keeps painting.
        QApplication::processEvents();
        cancelled_ = dialog_->wasCanceled();
    } else {
        // Before the window shows, a click must not start anything else meanwhile.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !cancelled_;
}

}  // namespace report
