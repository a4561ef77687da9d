#pragma once
// Esc in a window whose record is in edit abandons that edit: the stored values come back and
// the window stays. Esc with nothing pending closes the window as before. So a user can always
// back out of an edit that a rule refuses.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class DataSet;
class QWidget;

class EscapeAbandonsEdit : public QObject {
    Q_OBJECT
public:
    // abandoned: called after an edit was abandoned (the window shows its viewing state).
    EscapeAbandonsEdit(QWidget* window, QList<DataSet*> sets, std::function<void()> abandoned = {});

    // What Esc does: true when an edit was pending and is now abandoned.
    bool abandon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<DataSet>> sets_;
    std::function<void()> abandoned_;
};
