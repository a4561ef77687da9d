#pragma once
// One running copy per user and executable. The first copy holds a lock file and listens on a
// local socket; a second copy finds the lock taken, tells the first to come to the front and
// quits. A lock left behind by a crashed copy is taken over (QLockFile checks the owner's pid).
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // name: usually the executable's name (QCoreApplication::applicationName() when empty);
    // the user's name is added so that two users on one machine do not meet. True when this
    // copy is now the primary one (lock taken, listening); false when another copy runs.
    bool tryBecomePrimary(const QString& name = QString());
    bool isPrimary() const { return primary_; }

    // From a second copy: asks the primary one to raise its main window. True when the message
    // was delivered. Waits at most timeoutMs.
    bool notifyPrimary(int timeoutMs = 2000);

    // Lock file and socket names in use (after tryBecomePrimary), for diagnostics and tests.
    QString lockPath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

Q_SIGNALS:
    // Emitted in the primary copy when a second copy asks it to come to the front.
    void activateRequested();

private:
    void onNewConnection();

    bool primary_ = false;
    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
