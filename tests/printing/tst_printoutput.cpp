// The print routine over the real engine: the PDF fallback without printers, a refused job, an
// empty journal, and the receipt's copies and cuts through the CUPS capture queue.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "common/messages.h"
#include "cups/capturequeue.h"
#include "platform/rawprinter.h"
#include "printfakes.h"
#include "printing/engineoutput.h"
#include "report/templatefile.h"

class TestPrintOutput : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    struct Fixture {
        report::ReportEngine engine;
        EnginePrintOutput output;
        PrintRoutine routine{output};
        Fixture(const QString& folder, report::PrintBackend* backend) : output(engine, backend) {
            engine.setPrintBackend(backend);
            engine.setDataFolder(folder);
            routine.setDataFolder(folder);
            routine.setDataSources(&engine.dataSources());
            routine.setPrinterSettings({QStringLiteral("Ufficio"), QStringLiteral("vinorda-scon")});
        }
    };

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        folder_ = dir_.path() + u'/';
        QVERIFY(QDir().mkpath(folder_ + QStringLiteral("stampe")));
        QString error;
        QVERIFY2(report::saveTemplate(folder_ + QStringLiteral("stampe/scontrinoint.frf"),
                                      simpleReport(1), &error),
                 qPrintable(error));
        QVERIFY2(report::saveTemplate(folder_ + QStringLiteral("stampe/movimenti.frf"),
                                      simpleReport(2), &error),
                 qPrintable(error));
    }

    // "Annulla" during the preparation: no preview, no job, no message, the flag stays false.
    void cancelledPreparation_data() {
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("printers");
        QTest::newRow("preview") << 0 << true;
        QTest::newRow("one copy") << 1 << true;
        QTest::newRow("two copies, no printer") << 2 << false;
    }
    void cancelledPreparation() {
        QFETCH(int, output);
        QFETCH(bool, printers);
        struct Stop : report::LayoutProgress {
            bool report(int, double) override { return false; }
        };
        ScriptedMessages messages;
        FakeBackend backend;
        if (printers) backend.queues = {QStringLiteral("Ufficio_A4")};
        Fixture f(folder_, &backend);
        int previews = 0;
        f.output.showPreview = [&](report::ReportEngine&) { return ++previews > 0; };
        f.output.progress = [](const QString&) { return std::make_unique<Stop>(); };
        f.routine.setReportPrinted(false);
        QDir(folder_ + QStringLiteral("pdf")).removeRecursively();
        // The caller learns that nothing was printed.
        QVERIFY(!f.routine.setta_stampante(QStringLiteral("scontrinoint"),
                                           QStringLiteral("Scontrino"), false, output, 1));
        QVERIFY(!f.routine.reportPrinted());
        QCOMPARE(previews, 0);
        QCOMPARE(backend.submitted, 0);
        QVERIFY(!QDir(folder_ + QStringLiteral("pdf")).exists());
        QCOMPARE(messages.texts, QStringList());
    }

    // The preview's pages live as long as the window: their temporary file goes with it.
    void previewLetsPagesGo() {
        ScriptedMessages messages;
        FakeBackend office;
        office.queues = {QStringLiteral("Ufficio_A4")};
        Fixture f(folder_, &office);
        f.engine.setPageMemory(0);
        qint64 inFile = 0;
        f.output.showPreview = [&](report::ReportEngine& engine) {
            inFile = engine.prepared().fileBytes();
            return false;
        };
        QVERIFY(!f.routine.setta_stampante(QStringLiteral("scontrinoint"),
                                           QStringLiteral("Scontrino"), false, PrintMode::Preview,
                                           1));
        QVERIFY(inFile > 0);
        QVERIFY(!f.engine.isPrepared());
        QCOMPARE(f.engine.prepared().fileBytes(), 0);
        QCOMPARE(messages.texts, QStringList());
    }

    void noPrinterGivesPdf() {
        ScriptedMessages messages;
        FakeBackend none;
        Fixture f(folder_, &none);
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("scontrinoint"), QStringLiteral("Scontrino"),
                                  false, 2, 2);
        QVERIFY(f.routine.reportPrinted());
        const QStringList pdfs =
            QDir(folder_ + QStringLiteral("pdf")).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QCOMPARE(pdfs.size(), 2);  // two copies, two files; no cut without a printer
        for (const QString& name : pdfs) {
            QVERIFY2(name.startsWith(QStringLiteral("Scontrino_")), qPrintable(name));
            QVERIFY(capture::readFile(folder_ + QStringLiteral("pdf/") + name).startsWith("%PDF"));
        }
        QCOMPARE(messages.kinds,
                 (QStringList{QStringLiteral("message"), QStringLiteral("message")}));
        QVERIFY(messages.last().contains(QStringLiteral("pdf")));
    }

    void refusedJobLeavesFlagFalse() {
        ScriptedMessages messages;
        FakeBackend stopped;
        stopped.queues = {QStringLiteral("Ufficio_A4")};
        stopped.accept = false;
        Fixture f(folder_, &stopped);
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("scontrinoint"), QStringLiteral("Scontrino"),
                                  false, 2, 1);
        QVERIFY(!f.routine.reportPrinted());
        QCOMPARE(stopped.submitted, 1);
        QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
        QVERIFY2(messages.last().contains(QStringLiteral("coda ferma")),
                 qPrintable(messages.last()));
    }

    void emptyJournalPrintsNothing() {
        ScriptedMessages messages;
        FakeBackend office;
        office.queues = {QStringLiteral("Ufficio_A4")};
        Fixture f(folder_, &office);
        report::MemoryDataSource documenti(QStringLiteral("documenti"), {QStringLiteral("Litri")});
        report::MemoryDataSource corrispettivi(QStringLiteral("corrispettivi"),
                                               {QStringLiteral("Litri")});
        f.engine.dataSources().add(&documenti);
        f.engine.dataSources().add(&corrispettivi);
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("movimenti"), QStringLiteral("Giornale movimenti"),
                                  false, 1, 1);
        QVERIFY(!f.routine.reportPrinted());
        QCOMPARE(office.submitted, 0);
        QCOMPARE(messages.texts, QStringList{QStringLiteral("   Nessun movimento da stampare   ")});
    }

    // Two receipt copies on the receipt printer through the real spooler: each copy is
    // followed by its own cut job of exactly ten bytes.
    void receiptCopiesAndCutsReachTheQueue() {
        capture::Scheduler cups;
        CAPTURE_START_OR_SKIP(cups);
        capture::Folder jobs(cups.captureFolder());
        ScriptedMessages messages;
        Fixture f(folder_, nullptr);
        f.routine.setReportPrinted(false);
        const QStringList before = jobs.ids();
        f.routine.setta_stampante(QStringLiteral("scontrinoint"), QStringLiteral("Scontrino"),
                                  false, 2, 2);
        QCOMPARE(messages.texts, QStringList());
        QVERIFY(f.routine.reportPrinted());
        QCOMPARE(f.routine.lastPrinter(), capture::kQueue);
        const QList<capture::Job> got = jobs.waitForNewJobs(before, 4);
        QStringList titles;
        for (const auto& j : got) titles << j.title;
        QCOMPARE(titles, (QStringList{QStringLiteral("Scontrino"), QStringLiteral("MyJob"),
                                      QStringLiteral("Scontrino"), QStringLiteral("MyJob")}));
        QVERIFY(got.at(0).data.startsWith("%PDF"));
        QCOMPARE(got.at(1).data, cutBytes());
        QVERIFY(got.at(2).data.startsWith("%PDF"));
        QCOMPARE(got.at(3).data, cutBytes());
    }
};

QTEST_MAIN(TestPrintOutput)  // fonts need a GUI application
#include "tst_printoutput.moc"
