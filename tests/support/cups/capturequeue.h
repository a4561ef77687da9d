#pragma once
// The raw receipt queue of the tests, whose jobs land as files in a capture folder (see
// start-cups.sh and the capture backend next to this file). Header only: the tests that use it
// define VINORDA_CUPS_SCRIPT with the script's path.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

namespace capture {

inline const QString kQueue = QStringLiteral("vinorda-scontrino");

enum class Start { Ready, NoScheduler, Fault };

// Runs the start script: scheduler, backend, queue. folder gets the capture folder, why the
// script's complaint.
inline Start startQueue(QString* folder, QString* why) {
    QProcess script;
    script.start(QStringLiteral(VINORDA_CUPS_SCRIPT), {});
    if (!script.waitForStarted(10000)) {
        *why = script.errorString();
        return Start::Fault;
    }
    if (!script.waitForFinished(60000)) {
        *why = QStringLiteral("start-cups.sh did not finish");
        return Start::Fault;
    }
    *why = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
    if (script.exitStatus() != QProcess::NormalExit) return Start::Fault;
    if (script.exitCode() == 77) return Start::NoScheduler;
    if (script.exitCode() != 0) return Start::Fault;
    *folder = QString::fromLocal8Bit(script.readAllStandardOutput()).trimmed().split(u'\n').last();
    return QDir(*folder).exists() ? Start::Ready : Start::Fault;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One captured job: its data and the name it was queued under.
struct Job {
    QString id;  // eight digits, so names sort in job order
    QByteArray data;
    QString title;
};

class Folder {
public:
    explicit Folder(const QString& path = {}) : path_(path) {}
    void setPath(const QString& path) { path_ = path; }
    QString path() const { return path_; }

    QStringList ids() const {
        QStringList out;
        for (const QString& f :
             QDir(path_).entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name))
            out << f.chopped(4);
        return out;
    }
    Job job(const QString& id) const {
        return {
            id, readFile(path_ + u'/' + id + QStringLiteral(".bin")),
            QString::fromUtf8(readFile(path_ + u'/' + id + QStringLiteral(".title"))).trimmed()};
    }
    Job job(int jobId) const {
        return job(QStringLiteral("%1").arg(jobId, 8, 10, QLatin1Char('0')));
    }

    // Waits for the job to arrive (the scheduler runs the backend in its own time).
    Job waitForJob(int jobId, int timeoutMs = 20000) const {
        const QString id = QStringLiteral("%1").arg(jobId, 8, 10, QLatin1Char('0'));
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(path_ + u'/' + id + QStringLiteral(".bin")) &&
               t.elapsed() < timeoutMs)
            QTest::qWait(50);
        return job(id);
    }

    // The jobs that arrived since `before` was taken, once at least `count` are there, in job
    // order.
    QList<Job> waitForNewJobs(const QStringList& before, int count, int timeoutMs = 20000) const {
        QElapsedTimer t;
        t.start();
        QStringList fresh;
        for (;;) {
            fresh.clear();
            for (const QString& id : ids())
                if (!before.contains(id)) fresh << id;
            if (fresh.size() >= count || t.elapsed() > timeoutMs) break;
            QTest::qWait(50);
        }
        QList<Job> jobs;
        for (const QString& id : fresh) jobs << job(id);
        return jobs;
    }

private:
    QString path_;
};

}  // namespace capture
