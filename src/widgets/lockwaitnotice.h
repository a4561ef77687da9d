#pragma once
// While a statement waits for another workstation's lock, the program shows that it waits:
// the busy cursor and a note over the active window, kept painted during the wait.
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

class Database;

class LockWaitNotice : public QObject {
    Q_OBJECT
public:
    explicit LockWaitNotice(Database& db, QObject* parent = nullptr);
    ~LockWaitNotice() override;

    static QString text(int elapsedMs);
    // The note while shown (objectName "LockWaitNotice"), for tests.
    QLabel* note() const { return note_; }
    bool isWaiting() const { return waiting_; }

private:
    void waitGoesOn(int elapsedMs);
    void waitEnded();

    QPointer<QLabel> note_;
    bool waiting_ = false;
};
