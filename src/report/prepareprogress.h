#pragma once
// Progress of a long report preparation: after a moment a small window shows the pages laid out
// so far with "Annulla"; the other windows keep painting meanwhile, and "Annulla" stops the
// preparation (nothing is then shown or printed).
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "report/layout.h"

class QProgressDialog;
class QWidget;

namespace report {

class PrepareProgress : public LayoutProgress {
public:
    // title: the report's title, shown in the window.
    PrepareProgress(QWidget* parent, const QString& title);
    ~PrepareProgress() override;

    bool report(int pages, double done) override;
    bool cancelled() const { return cancelled_; }
    // Milliseconds before the window appears (short preparations show nothing).
    static void setShowDelay(int ms);
    static int showDelay();

private:
    QWidget* parent_;
    QString title_;
    QElapsedTimer started_;
    QElapsedTimer lastEvents_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
};

}  // namespace report
