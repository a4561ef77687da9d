// The program started twice for one user: the second copy ends at once, silently, and leaves
// the first running; after the first has ended a new copy starts normally.
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QUuid>

#include "data/database.h"
#include "datitool.h"

class TstSecondCopy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondCopyEndsSilently();

private:
    QProcess* start(const QString& folder);
    QProcessEnvironment env_;
};

QProcess* TstSecondCopy::start(const QString& folder) {
    auto* p = new QProcess(this);
    p->setProcessEnvironment(env_);
    p->setWorkingDirectory(folder);
    p->start(QStringLiteral(VINORDA_EXE), {});
    return p;
}

void TstSecondCopy::secondCopyEndsSilently() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    DatiTool::createBase(folder);
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A user of its own, so that a copy the developer has open does not interfere.
    env_.insert(QStringLiteral("USER"),
                QStringLiteral("prova") + QUuid::createUuid().toString(QUuid::Id128).left(8));

    QProcess* first = start(folder);
    QVERIFY(first->waitForStarted());
    // The first copy is up once it holds the database.
    QTRY_VERIFY_WITH_TIMEOUT(LockMarker::isLive(folder + Database::lockName()), 15000);

    QElapsedTimer t;
    t.start();
    QProcess* second = start(folder);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(second->readAllStandardOutput().isEmpty());
    // No splash wait: the second copy goes before anything is shown.
    QVERIFY2(t.elapsed() < 1900, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(first->state(), QProcess::Running);

    first->terminate();
    QVERIFY(first->waitForFinished(10000));
    QProcess* third = start(folder);
    QVERIFY(third->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(LockMarker::isLive(folder + Database::lockName()), 15000);
    QCOMPARE(third->state(), QProcess::Running);
    third->terminate();
    QVERIFY(third->waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TstSecondCopy)
#include "tst_secondcopy.moc"
