#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

QString userName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty()) user = QDir::home().dirName();
    return user;
}

// Socket and file names allow only a few characters; keep the readable part and add a hash so
// that different names never collide.
QString safeName(const QString& name) {
    QString out;
    for (QChar c : name) out += (c.isLetterOrNumber() || c == u'-' || c == u'_') ? c : u'_';
    const QByteArray hash =
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return out.left(40) + u'-' + QString::fromLatin1(hash);
}

const QByteArray kActivate = "activate\n";

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lock_) lock_->unlock();
}

bool SingleInstance::tryBecomePrimary(const QString& name) {
    if (primary_) return true;
    QString base = name;
    if (base.isEmpty()) base = QCoreApplication::applicationName();
    if (base.isEmpty()) base = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString id = safeName(base + u'-' + userName());
    serverName_ = id;

    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir)) dir = QDir::tempPath();
    lockPath_ = QDir(dir).filePath(id + QStringLiteral(".lock"));

    lock_ = std::make_unique<QLockFile>(lockPath_);
    // The lock never goes stale by age while its owner lives; a dead owner's lock is removed
    // by tryLock itself (pid and host recorded in the file).
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }

    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!server_->listen(serverName_)) {
        // We hold the lock, so a socket of that name is left over from a crash.
        QLocalServer::removeServer(serverName_);
        server_->listen(serverName_);
    }
    primary_ = true;
    return true;
}

bool SingleInstance::notifyPrimary(int timeoutMs) {
    if (serverName_.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The primary closes the connection once it has read the message.
    if (socket.state() == QLocalSocket::ConnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readMessage = [this, socket] {
            if (!socket->canReadLine()) return;
            const QByteArray line = socket->readLine();
            socket->disconnectFromServer();
            if (line == kActivate) Q_EMIT activateRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        readMessage();  // the message may already be buffered
    }
}
