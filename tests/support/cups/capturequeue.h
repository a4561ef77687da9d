#pragma once
// The raw receipt queue of the tests on a CUPS scheduler of their own (private-cups.sh next to
// this file): its configuration, spool and socket live in a temporary folder, CUPS_SERVER points
// at it for the rest of the process, and it stops with the Scheduler object. The machine's
// printers are never used or changed. Jobs land as files in a capture folder (the capture
// backend). Header only: the tests that use it define VINORDA_CUPS_SCRIPT with the script's path.
#include <cups/cups.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace capture {

inline const QString kQueue = QStringLiteral("vinorda-scontrino");

enum class Start { Ready, NoScheduler, Fault };

class Scheduler {
public:
    Scheduler() : dir_(QDir::tempPath() + QStringLiteral("/vl-cups-XXXXXX")) {}
    ~Scheduler() { stop(); }
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Starts the scheduler with the queue and points this process (and its children) at it.
    // why gets the complaint when it is not Ready.
    Start start(QString* why) {
        if (!dir_.isValid()) {
            *why = dir_.errorString();
            return Start::Fault;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("lpstat")).isEmpty()) {
            *why = QStringLiteral("lpstat not found (package cups-client)");
            return Start::NoScheduler;
        }
        // The scheduler dies with the test even when the test is killed.
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        QStringList args{QStringLiteral(VINORDA_CUPS_SCRIPT), dir_.path(), kQueue};
        if (!setpriv.isEmpty()) {
            args.prepend(QStringLiteral("/bin/sh"));
            args.prepend(QStringLiteral("TERM"));
            args.prepend(QStringLiteral("--pdeathsig"));
            cupsd_.start(setpriv, args);
        } else {
            cupsd_.start(QStringLiteral("/bin/sh"), args);
        }
        if (!cupsd_.waitForStarted(10000)) {
            *why = cupsd_.errorString();
            return Start::Fault;
        }
        QElapsedTimer t;
        t.start();
        while (!queueListed()) {
            if (cupsd_.state() == QProcess::NotRunning || t.elapsed() > 20000) {
                cupsd_.waitForFinished(1000);
                *why = QString::fromLocal8Bit(cupsd_.readAllStandardError()).trimmed() +
                       QLatin1Char(' ') + log();
                return cupsd_.exitStatus() == QProcess::NormalExit && cupsd_.exitCode() == 77
                           ? Start::NoScheduler
                           : Start::Fault;
            }
            QTest::qWait(100);
        }
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));
        cupsSetServer(QFile::encodeName(socket()).constData());
        return Start::Ready;
    }

    void stop() {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            if (!cupsd_.waitForFinished(10000)) {
                cupsd_.kill();
                cupsd_.waitForFinished(5000);
            }
        }
        if (qgetenv("CUPS_SERVER") == QFile::encodeName(socket())) {
            qunsetenv("CUPS_SERVER");
            cupsSetServer(nullptr);
        }
    }

    QString socket() const { return dir_.path() + QStringLiteral("/cups.sock"); }
    QString captureFolder() const { return dir_.path() + QStringLiteral("/capture"); }
    QString log() const {
        QFile f(dir_.path() + QStringLiteral("/log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

private:
    bool queueListed() const {
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"),
                     {QStringLiteral("-h"), socket(), QStringLiteral("-p"), kQueue});
        return lpstat.waitForFinished(5000) && lpstat.exitStatus() == QProcess::NormalExit &&
               lpstat.exitCode() == 0;
    }

    QTemporaryDir dir_;
    QProcess cupsd_;
};

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

// In a test function: starts the scheduler, skips the test where none can run, fails on a fault.
#define CAPTURE_START_OR_SKIP(scheduler)                                                           \
    do {                                                                                           \
        QString why_;                                                                              \
        switch ((scheduler).start(&why_)) {                                                        \
            case capture::Start::NoScheduler:                                                      \
                QSKIP(                                                                             \
                    qPrintable(QStringLiteral("no CUPS scheduler can be started here: ") + why_)); \
            case capture::Start::Fault:                                                            \
                QFAIL(qPrintable(why_));                                                           \
            case capture::Start::Ready:                                                            \
                break;                                                                             \
        }                                                                                          \
    } while (false)
