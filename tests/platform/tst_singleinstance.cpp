// A second copy of the program must find the first, ask it to come to the front, and a copy
// that died without cleaning up must not block the next start.
#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <thread>

#include "platform/singleinstance.h"

namespace {
// Child mode: hold the lock, say "ready", report "activated" on request. Used to put the
// primary copy in another process, as in real life.
int holdLock(const QString& name) {
    SingleInstance instance;
    if (!instance.tryBecomePrimary(name)) return 2;
    QObject::connect(&instance, &SingleInstance::activateRequested, [] {
        fputs("activated\n", stdout);
        fflush(stdout);
    });
    fputs("ready\n", stdout);
    fflush(stdout);
    return QCoreApplication::exec();
}

QString uniqueName() {
    return QStringLiteral("vinorda-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QProcess* startHolder(const QString& name) {
        auto* p = new QProcess(this);
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), name});
        if (!p->waitForReadyRead(10000) || p->readLine().trimmed() != "ready") return nullptr;
        return p;
    }

private Q_SLOTS:
    void secondCopyInSameProcessIsRefused() {
        const QString name = uniqueName();
        SingleInstance first, second;
        QVERIFY(first.tryBecomePrimary(name));
        QVERIFY(first.isPrimary());
        QVERIFY(!second.tryBecomePrimary(name));
        QVERIFY(!second.isPrimary());
        // Another name is another program.
        SingleInstance other;
        QVERIFY(other.tryBecomePrimary(name + QStringLiteral("-x")));
    }

    void notifyRaisesPrimary() {
        const QString name = uniqueName();
        SingleInstance primary;
        QVERIFY(primary.tryBecomePrimary(name));
        QSignalSpy spy(&primary, &SingleInstance::activateRequested);
        bool delivered = false;
        // The second copy blocks while it talks, so it gets its own thread here.
        std::thread sender([&] {
            SingleInstance second;
            if (!second.tryBecomePrimary(name)) delivered = second.notifyPrimary(5000);
        });
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
        sender.join();
        QVERIFY(delivered);
    }

    void otherProcessIsPrimary() {
        const QString name = uniqueName();
        QProcess* holder = startHolder(name);
        QVERIFY(holder);
        SingleInstance second;
        QVERIFY(!second.tryBecomePrimary(name));
        QVERIFY(second.notifyPrimary());
        QVERIFY(holder->waitForReadyRead(5000));
        QCOMPARE(holder->readLine().trimmed(), QByteArray("activated"));
        holder->terminate();
        holder->waitForFinished(5000);
        // A clean exit releases the lock.
        SingleInstance next;
        QVERIFY(next.tryBecomePrimary(name));
    }

    void crashedPrimaryDoesNotBlock() {
        const QString name = uniqueName();
        QProcess* holder = startHolder(name);
        QVERIFY(holder);
        holder->kill();  // no clean-up: lock file and socket stay behind
        holder->waitForFinished(5000);
        SingleInstance next;
        QVERIFY(next.tryBecomePrimary(name));
        QVERIFY(QFile::exists(next.lockPath()));
        // And it really listens again after taking over the dead copy's socket name.
        QSignalSpy spy(&next, &SingleInstance::activateRequested);
        std::thread sender([&] {
            SingleInstance third;
            if (!third.tryBecomePrimary(name)) third.notifyPrimary(5000);
        });
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
        sender.join();
    }

    void notifyWithoutPrimaryFails() {
        SingleInstance alone;
        QVERIFY(!alone.notifyPrimary(500));  // never asked to become primary: no server name
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
