#pragma once
// A plain date field (not bound to a data set) that refuses a date that does not exist as soon
// as the user leaves it or presses Enter: the message, the text kept as typed, and Enter goes
// no further. A good date is shown as dd/mm/yyyy; an empty field is left to its window.
#include <QDate>
#include <QObject>

class QLineEdit;

class DateFieldCheck : public QObject {
    Q_OBJECT
public:
    explicit DateFieldCheck(QLineEdit* edit);

    // The date typed; invalid when the field is empty or holds no date.
    QDate date() const;
    // Checks the text now: true when it is empty or a date; false after the message.
    bool check();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    bool reporting_ = false;
};
