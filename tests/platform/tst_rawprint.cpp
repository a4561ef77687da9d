// Raw jobs through a real CUPS scheduler of the test's own: a queue whose backend keeps every
// job's bytes in a folder (tests/support/cups). Skipped only where no scheduler can be run.
#include <QTest>

#include "cups/capturequeue.h"
#include "platform/printers.h"
#include "platform/rawprinter.h"

using capture::kQueue;

class TestRawPrint : public QObject {
    Q_OBJECT

    capture::Scheduler cups_;
    capture::Folder capture_;

private Q_SLOTS:
    void initTestCase() {
        CAPTURE_START_OR_SKIP(cups_);
        capture_.setPath(cups_.captureFolder());
    }
    void cleanupTestCase() { cups_.stop(); }

    void queueIsListed() {
        QVERIFY2(installedPrinters().contains(kQueue), qPrintable(installedPrinters().join(u',')));
    }

    void cutJobsAreExactlyTenBytes() {
        const QStringList before = capture_.ids();
        QVERIFY(taglia_scontrino(kQueue));
        QVERIFY(taglia_scontrino(kQueue));
        const QList<capture::Job> jobs = capture_.waitForNewJobs(before, 2);
        QCOMPARE(jobs.size(), 2);
        const QByteArray expected = QByteArray::fromHex("0d0a0d0a0d0a0d0a1b6d");
        QCOMPARE(cutBytes(), expected);
        for (const capture::Job& job : jobs) {
            QCOMPARE(job.data, expected);
            QCOMPARE(job.title, QStringLiteral("MyJob"));
        }
    }

    void bytesPassUnchanged_data() {
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<bool>("pageBetween");
        QTest::newRow("one write") << QList<QByteArray>{QByteArray("\x1b@Vinorda\n", 10)} << false;
        QByteArray all;
        for (int i = 0; i < 256; ++i) all += char(i);
        QTest::newRow("every byte value") << QList<QByteArray>{all} << false;
        QTest::newRow("pages") << QList<QByteArray>{"first\r\n", QByteArray("\0\x1bm", 3), "third"}
                               << true;
        QTest::newRow("large") << QList<QByteArray>{QByteArray(256 * 1024, 'x'), "end"} << false;
    }

    void bytesPassUnchanged() {
        QFETCH(QList<QByteArray>, writes);
        QFETCH(bool, pageBetween);
        QStringList errors;
        RawPrinter printer(kQueue, QStringLiteral("Prova"));
        printer.setErrorCallback([&](const QString& e) { errors << e; });
        QVERIFY(printer.open());
        QVERIFY(printer.jobId() > 0);
        QByteArray expected;
        for (const QByteArray& w : writes) {
            QVERIFY(printer.write(w));
            if (pageBetween) QVERIFY(printer.newPage());
            expected += w;
        }
        const int job = printer.jobId();
        QVERIFY(printer.close());
        QVERIFY(!printer.isOpen());
        QCOMPARE(errors, QStringList());
        const capture::Job got = capture_.waitForJob(job);
        QCOMPARE(got.data, expected);
        QCOMPARE(got.title, QStringLiteral("Prova"));
    }

    void destructionClosesOpenJob() {
        int job = 0;
        {
            RawPrinter printer(kQueue);
            QCOMPARE(printer.jobName(), QStringLiteral("RawPrint"));
            QVERIFY(printer.open());
            QVERIFY(printer.write("left open"));
            job = printer.jobId();
        }
        const capture::Job got = capture_.waitForJob(job);
        QCOMPARE(got.data, QByteArray("left open"));
        QCOMPARE(got.title, QStringLiteral("RawPrint"));
    }

    void failuresGoToTheCallback_data() {
        QTest::addColumn<QString>("printerName");
        QTest::newRow("unknown queue") << QStringLiteral("vinorda-nessuna-stampante");
        QTest::newRow("name with blanks") << QStringLiteral("CITIZEN CT-S310 Black Mark");
    }

    void failuresGoToTheCallback() {
        QFETCH(QString, printerName);
        // The cut on a missing printer: nothing thrown, nothing reported, just false.
        QVERIFY(!taglia_scontrino(printerName));

        QStringList errors;
        RawPrinter printer(printerName, QStringLiteral("MyJob"));
        printer.setErrorCallback([&](const QString& e) { errors << e; });
        QVERIFY(!printer.open());
        QVERIFY(!printer.isOpen());
        QCOMPARE(errors.size(), 1);
        QVERIFY(!errors.first().isEmpty());
        QVERIFY(errors.first().size() <= 500);
        // Nothing open: write and close fail the same way, without touching the spooler.
        QVERIFY(!printer.write("x"));
        QVERIFY(!printer.close());
        QCOMPARE(errors.size(), 3);
    }

    void errorsWithoutCallbackAreSilent() {
        RawPrinter printer(QStringLiteral("vinorda-nessuna-stampante"));
        QVERIFY(!printer.open());
        QVERIFY(!printer.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRawPrint)
#include "tst_rawprint.moc"
