#include "smalldisk.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>

#include "data/database.h"

namespace {
bool run(const QString& program, const QStringList& args, QString* error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return false;
    }
    return true;
}
}  // namespace

SmallDisk::SmallDisk(qint64 bytes) {
    if (!available(&error_) || !dir_.isValid()) return;
    mountPoint_ = dir_.path() + QStringLiteral("/disco");
    QDir().mkpath(mountPoint_);
    mounted_ = run(QStringLiteral("mount"),
                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                    QStringLiteral("size=%1").arg(bytes), QStringLiteral("tmpfs"), mountPoint_},
                   &error_);
}

SmallDisk::~SmallDisk() {
    if (!mounted_) return;
    QString ignored;
    if (!run(QStringLiteral("umount"), {mountPoint_}, &ignored))
        run(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint_}, &ignored);
}

bool SmallDisk::available(QString* why) {
    if (::geteuid() != 0) {
        *why = QStringLiteral("a small disk (tmpfs) needs root");
        return false;
    }
    return true;
}

QString SmallDisk::path() const {
    return mountPoint_ + QLatin1Char('/');
}

qint64 SmallDisk::bytesAvailable() const {
    return QStorageInfo(mountPoint_).bytesAvailable();
}

bool SmallDisk::leaveFree(qint64 free) {
    const qint64 fill = bytesAvailable() - free;
    if (fill <= 0) return true;
    QFile f(path() + QStringLiteral("riempitivo"));
    if (!f.open(QIODevice::Append)) return false;
    const QByteArray block(64 * 1024, 'x');
    for (qint64 left = fill; left > 0; left -= block.size())
        if (f.write(block.constData(), qMin<qint64>(left, block.size())) < 0) return false;
    return f.flush();
}

bool SmallDisk::setReadOnly(bool readOnly) {
    return run(
        QStringLiteral("mount"),
        {QStringLiteral("-o"),
         readOnly ? QStringLiteral("remount,ro") : QStringLiteral("remount,rw"), mountPoint_},
        &error_);
}

bool ReadOnlyData::available(Kind kind, QString* why) {
    if (kind == Kind::Disk) return SmallDisk::available(why);
    if (::geteuid() == 0) {
        *why = QStringLiteral("root writes any file whatever its permissions");
        return false;
    }
    return true;
}

ReadOnlyData::ReadOnlyData(Kind kind, const QString& sourceFolder) : kind_(kind) {
    if (!available(kind, &error_)) return;
    if (kind == Kind::Disk) {
        disk_ = std::make_unique<SmallDisk>(32 << 20);
        if (!disk_->isValid()) {
            error_ = disk_->errorString();
            return;
        }
        folder_ = disk_->path();
    } else {
        folder_ = dir_.path() + QLatin1Char('/');
    }
    const QString db = folder_ + Database::fileName();
    if (!QFile::copy(sourceFolder + Database::fileName(), db)) {
        error_ = QStringLiteral("copy of the database failed");
        return;
    }
    switch (kind) {
        case Kind::File:
            valid_ = QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
            break;
        case Kind::Folder:
            valid_ =
                QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            break;
        case Kind::Disk:
            valid_ = disk_->setReadOnly(true);
            if (!valid_) error_ = disk_->errorString();
            break;
    }
}

ReadOnlyData::~ReadOnlyData() {
    // Writable again, so that the temporary folder can be removed.
    if (kind_ == Kind::Folder)
        QFile::setPermissions(
            dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (kind_ == Kind::Disk && disk_ && disk_->isValid()) disk_->setReadOnly(false);
}
