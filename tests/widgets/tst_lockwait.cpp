// Another workstation (here a sqlite3 process) holds the database: a write waits for it in short
// tries, the busy note and cursor show meanwhile, and a wait that never ends gives up with the
// reason in Italian.
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "data/database.h"
#include "support/testfolder.h"
#include "widgets/lockwaitnotice.h"

class TstLockWait : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writeWaitsForTheOtherWorkstation_data() {
        QTest::addColumn<QString>("otherHolds");  // what the other process runs first
        QTest::addColumn<int>("releaseAfter");    // tries before it commits; 0 = never
        QTest::newRow("writer, released") << "BEGIN IMMEDIATE;" << 3;
        QTest::newRow("reader blocks the commit, released")
            << "BEGIN; SELECT count(*) FROM IVA;" << 3;
        QTest::newRow("writer, never released") << "BEGIN IMMEDIATE;" << 0;
    }

    void writeWaitsForTheOtherWorkstation() {
        QFETCH(QString, otherHolds);
        QFETCH(int, releaseAfter);
        const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (cli.isEmpty()) QSKIP("sqlite3 (package sqlite3) is not installed");
        TestFolder tf(true);
        QWidget window;
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        LockWaitNotice notice(tf.db());
        tf.db().setLockWaitLimit(2000);

        QProcess other;
        other.start(cli, {tf.file(QStringLiteral("database.mdb"))});
        QVERIFY(other.waitForStarted());
        other.write(otherHolds.toUtf8() + "\nSELECT 'pronto';\n");
        while (!other.readAllStandardOutput().contains("pronto"))
            QVERIFY(other.waitForReadyRead(10000));

        int waits = 0;
        QString shown;
        bool busyCursor = false;
        connect(&tf.db(), &Database::lockWait, this, [&] {
            ++waits;
            if (notice.note() && notice.note()->isVisible()) shown = notice.note()->text();
            busyCursor = QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            if (waits == releaseAfter) {
                other.write("COMMIT;\n");
                other.waitForBytesWritten();
            }
        });
        QString error;
        try {
            Database::Transaction t(tf.db());
            tf.db().exec(QStringLiteral("INSERT INTO IVA (Ordine, IVA) VALUES (?, ?)"),
                         {1, QStringLiteral("22")});
            t.commit();
        } catch (const DatabaseError& e) {
            error = e.text();
        }
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished());

        QVERIFY(waits >= qMax(releaseAfter, 1));
        QVERIFY2(shown.startsWith(QStringLiteral("Database occupato da un'altra postazione")),
                 qPrintable(shown));
        QVERIFY(busyCursor);
        // Over: the note gone, the cursor back.
        QVERIFY(!notice.isWaiting());
        QVERIFY(!notice.note()->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        if (releaseAfter) {
            QCOMPARE(error, QString());
            QCOMPARE(tf.count(QStringLiteral("IVA")), 1);
        } else {
            QVERIFY2(
                error.startsWith(QStringLiteral("Il database è occupato da un'altra postazione")),
                qPrintable(error));
            QVERIFY(error.endsWith(QStringLiteral("(database is locked)")));
            QCOMPARE(tf.count(QStringLiteral("IVA")), 0);
        }
    }
};

QTEST_MAIN(TstLockWait)
#include "tst_lockwait.moc"
