// Output: PDF text and page sizes as poppler reads them, spooling and the after-print signal,
// the fallback to a PDF file without printers, and the preview window.
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "common/format.h"
#include "common/messages.h"
#include "cups/capturequeue.h"
#include "report/preview.h"
#include "reportfixtures.h"

using namespace report;

namespace {

// A spooler that records the jobs it is given and accepts or refuses them.
class FakeSpooler : public PrintBackend {
public:
    QStringList installed{QStringLiteral("Ufficio"), QStringLiteral("CITIZEN")};
    QString def = QStringLiteral("Ufficio");
    bool accept = true;
    struct Job {
        QString printer, title;
        int copies;
        QSizeF size;
        QByteArray pdf;
    };
    QList<Job> jobs;
    QStringList printers() override { return installed; }
    QString defaultPrinter() override { return def; }
    bool submitPdf(const QString& printer, const QString& jobName, const QByteArray& pdf,
                   int copies, QSizeF size, QString* error) override {
        if (!accept) {
            *error = QStringLiteral("client-error-not-authorized");
            return false;
        }
        jobs << Job{printer, jobName, copies, size, pdf};
        return true;
    }
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page sizes in mm as pdfinfo reports them.
QList<QSizeF> pageSizes(const QString& pdf, int pages) {
    const QString out =
        run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QString::number(pages), pdf});
    QList<QSizeF> sizes;
    static const QRegularExpression re(
        QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+) pts"));
    for (auto it = re.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        sizes << QSizeF(m.captured(1).toDouble() * 25.4 / 72, m.captured(2).toDouble() * 25.4 / 72);
    }
    return sizes;
}

}  // namespace

class TestReportPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        clienti_.reset(new MemoryDataSource(QStringLiteral("Clienti"),
                                            {QStringLiteral("Nome"), QStringLiteral("Saldo")}));
        fixtures::fillCustomers(*clienti_, 60);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void pdfTextAndSizes() {
        QTemporaryDir dir;
        ReportEngine engine;
        Report r = fixtures::customerList();
        // A second template page on an 80 mm roll.
        ReportPage roll;
        roll.paperWidth = 80;
        roll.paperHeight = 50;
        roll.endless = true;
        roll.marginLeft = roll.marginRight = roll.marginTop = roll.marginBottom = 2;
        Band b = fixtures::band(BandType::ReportTitle, QStringLiteral("Testa"), 30);
        b.objects.push_back(fixtures::text(QStringLiteral("Scontrino"),
                                           QStringLiteral("SCONTRINO N. 12"), {0, 0, 70, 6}));
        roll.bands.push_back(b);
        r.pages.push_back(roll);
        engine.setReport(r);
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.dataSources().add(clienti_.get());
        const QString pdf = dir.filePath(QStringLiteral("clienti.pdf"));
        QVERIFY2(engine.exportPdf(pdf), qPrintable(engine.errorString()));
        const QString text =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Cliente 1 ")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("Cliente 60")));
        QVERIFY(text.contains(QStringLiteral("Pagina 1 di 3")));
        QVERIFY(text.contains(QStringLiteral("Pagina 2 di 3")));
        QVERIFY(text.contains(QStringLiteral("SCONTRINO N. 12")));
        QVERIFY(text.contains(QStringLiteral("90")));  // Saldo of Cliente 60 in the general format
        const QList<QSizeF> sizes = pageSizes(pdf, 3);
        QCOMPARE(sizes.size(), 3);
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(
                qAbs(sizes[i].width() - 210) < 0.2 && qAbs(sizes[i].height() - 297) < 0.2,
                qPrintable(QStringLiteral("%1 x %2").arg(sizes[i].width()).arg(sizes[i].height())));
        }
        QVERIFY(qAbs(sizes[2].width() - 80) < 0.2);
        QVERIFY(qAbs(sizes[2].height() - 34) < 0.2);  // 2 + 30 + 2 mm: as tall as its content
    }

    void printing_data() {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("used");
        QTest::newRow("chosen") << "CITIZEN" << true << "CITIZEN";
        QTest::newRow("default") << "" << true << "Ufficio";
        QTest::newRow("not installed") << "Sparita" << true << "Ufficio";
        QTest::newRow("refused") << "CITIZEN" << false << "";
    }

    void printing() {
        QFETCH(QString, printer);
        QFETCH(bool, accept);
        QFETCH(QString, used);
        ScriptedMessages messages;
        FakeSpooler spooler;
        spooler.accept = accept;
        ReportEngine engine;
        engine.setPrintBackend(&spooler);
        engine.setReport(fixtures::customerList());
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.setPrinterName(printer);
        engine.dataSources().add(clienti_.get());
        QSignalSpy printed(&engine, &ReportEngine::afterPrint);
        QCOMPARE(engine.printAndTell(3), accept);
        QCOMPARE(printed.count(), accept ? 1 : 0);
        if (!accept) {
            QCOMPARE(messages.kinds, QStringList(QStringLiteral("error")));
            QVERIFY(messages.last().contains(QStringLiteral("client-error-not-authorized")));
            QVERIFY(messages.last().contains(QStringLiteral("CITIZEN")));
            return;
        }
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(spooler.jobs.size(), 1);
        const auto& job = spooler.jobs[0];
        QCOMPARE(job.printer, used);
        QCOMPARE(job.title, QStringLiteral("Lista clienti"));
        QCOMPARE(job.copies, 3);
        QCOMPARE(job.size, QSizeF(210, 297));
        QVERIFY(job.pdf.startsWith("%PDF"));
        QCOMPARE(customMedia(job.size), QStringLiteral("Custom.210x297mm"));
        QCOMPARE(customMedia(QSizeF(80, 123.45)), QStringLiteral("Custom.80x123.5mm"));
    }

    // The real spooler refuses a queue that does not exist (or is not running at all): the
    // failure comes back with a text, never as success.
    void cupsRefusesUnknownQueue() {
        capture::Scheduler cups;
        QString why;
        if (cups.start(&why) == capture::Start::Fault) QFAIL(qPrintable(why));
        QString error;
        QVERIFY(!CupsBackend::instance().submitPdf(
            QStringLiteral("vinorda_coda_inesistente"), QStringLiteral("Prova"),
            QByteArray("%PDF-1.4\n"), 1, QSizeF(210, 297), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!CupsBackend::instance().printers().contains(
            QStringLiteral("vinorda_coda_inesistente")));
    }

    void noPrinterWritesPdf() {
        ScriptedMessages messages;
        QTemporaryDir data;
        FakeSpooler spooler;
        spooler.installed.clear();
        spooler.def.clear();
        ReportEngine engine;
        engine.setPrintBackend(&spooler);
        engine.setDataFolder(data.path());
        engine.setReport(fixtures::customerList());
        engine.setTitle(QStringLiteral("Fattura 1/2024"));
        engine.dataSources().add(clienti_.get());
        QSignalSpy printed(&engine, &ReportEngine::afterPrint);
        QVERIFY(engine.printAndTell(2));
        QVERIFY(engine.printAndTell(1));  // the same second: a second file, not an overwrite
        QCOMPARE(printed.count(), 2);
        const QStringList files = QDir(data.filePath(QStringLiteral("pdf"))).entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        static const QRegularExpression name(QStringLiteral(
            "^Fattura 1_2024_\\d{4}_\\d{2}_\\d{2}_\\d{2}_\\d{2}_\\d{2}(_2)?\\.pdf$"));
        for (const QString& f : files) QVERIFY2(name.match(f).hasMatch(), qPrintable(f));
        QCOMPARE(messages.texts.size(), 2);
        QVERIFY(messages.texts[1].contains(QDir::toNativeSeparators(engine.lastPdfFile())));
        const QString text =
            run(QStringLiteral("pdftotext"), {engine.lastPdfFile(), QStringLiteral("-")});
        QVERIFY(text.contains(QStringLiteral("Cliente 42")));
    }

    void preview() {
        ScriptedMessages messages;
        FakeSpooler spooler;
        ReportEngine engine;
        engine.setPrintBackend(&spooler);
        engine.setReport(fixtures::customerList());
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.dataSources().add(clienti_.get());
        QVERIFY(engine.prepare());
        QSignalSpy printed(&engine, &ReportEngine::afterPrint);
        {
            // Closed without printing: no print signalled.
            ReportPreview pv(engine);
            pv.show();
            QCOMPARE(pv.windowTitle(), QStringLiteral("Anteprima - Lista clienti"));
            pv.findChild<QPushButton*>(QStringLiteral("btn_chiudi"))->click();
        }
        QCOMPARE(printed.count(), 0);
        ReportPreview pv(engine);
        pv.resize(800, 600);
        pv.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pv));
        PageView* view = pv.view();
        QCOMPARE(view->pageCount(), 2);
        pv.findChild<QPushButton*>(QStringLiteral("btn_ultima"))->click();
        QCOMPARE(view->currentPage(), 1);
        QCOMPARE(pv.findChild<QSpinBox*>(QStringLiteral("sel_pagina"))->value(), 2);
        // Ctrl+wheel zooms, the plain wheel scrolls.
        const double before = view->zoom();
        QWheelEvent zoomIn(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                           QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                           false);
        QApplication::sendEvent(view->viewport(), &zoomIn);
        QVERIFY(view->zoom() > before);
        pv.findChild<QPushButton*>(QStringLiteral("btn_prima"))->click();
        const int top = view->verticalScrollBar()->value();
        QWheelEvent down(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                         QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &down);
        QVERIFY(view->verticalScrollBar()->value() > top);
        // The same through keys, as the application's wheel-to-arrow filter sends them.
        const double zoomed = view->zoom();
        QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
        QVERIFY(view->zoom() < zoomed);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(view->currentPage(), 1);
        pv.setCopies(2);
        pv.findChild<QPushButton*>(QStringLiteral("btn_stampa"))->click();
        QCOMPARE(printed.count(), 1);
        QCOMPARE(spooler.jobs.size(), 1);
        QCOMPARE(spooler.jobs[0].copies, 2);
        // The page painted on screen shows ink.
        const QImage shot = view->viewport()->grab().toImage();
        int white = 0, ink = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2) {
                const QColor c = shot.pixelColor(x, y);
                if (c == Qt::white)
                    ++white;
                else if (c.lightness() < 100)
                    ++ink;
            }
        QVERIFY(white > 1000);
        QVERIFY(ink > 20);
    }

    // A long report shown from pages packed mostly into the temporary file: the window opens
    // on the first page, reaches the last, paints it, and prints and saves every page.
    void previewLongReport() {
        ScriptedMessages messages;
        FakeSpooler spooler;
        MemoryDataSource many(QStringLiteral("Clienti"),
                              {QStringLiteral("Nome"), QStringLiteral("Saldo")});
        fixtures::fillCustomers(many, 15000);
        ReportEngine engine;
        engine.setPrintBackend(&spooler);
        engine.setReport(fixtures::customerList());
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.dataSources().add(&many);
        engine.setPageMemory(64 * 1024);
        QVERIFY(engine.prepare());
        QCOMPARE(engine.pageCount(), 300);
        QVERIFY(engine.prepared().fileBytes() > engine.prepared().memoryBytes());

        ReportPreview pv(engine);
        pv.resize(1024, 768);
        pv.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pv));
        const auto inkOf = [](const QImage& shot) {
            int ink = 0;
            for (int y = 0; y < shot.height(); y += 2)
                for (int x = 0; x < shot.width(); x += 2)
                    ink += shot.pixelColor(x, y).lightness() < 100;
            return ink;
        };
        PageView* view = pv.view();
        QVERIFY(inkOf(view->viewport()->grab().toImage()) > 20);
        pv.findChild<QPushButton*>(QStringLiteral("btn_ultima"))->click();
        QCOMPARE(view->currentPage(), 299);
        QCOMPARE(pv.findChild<QSpinBox*>(QStringLiteral("sel_pagina"))->value(), 300);
        QVERIFY(inkOf(view->viewport()->grab().toImage()) > 20);
        pv.findChild<QPushButton*>(QStringLiteral("btn_stampa"))->click();
        QCOMPARE(spooler.jobs.size(), 1);
        QTemporaryDir dir;
        const QString printed = dir.filePath(QStringLiteral("stampa.pdf"));
        {
            QFile f(printed);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(spooler.jobs[0].pdf);
        }
        const QString saved = dir.filePath(QStringLiteral("copia.pdf"));
        QVERIFY(pv.saveAsPdf(saved));
        for (const QString& pdf : {printed, saved}) {
            QCOMPARE(pageSizes(pdf, 300).size(), 300);
            const QString last =
                run(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QStringLiteral("300"), pdf, QStringLiteral("-")});
            QVERIFY2(last.contains(QStringLiteral("Cliente 15000")) &&
                         last.contains(QStringLiteral("Pagina 300 di 300")),
                     qPrintable(last));
        }
        QCOMPARE(messages.texts, QStringList());
    }

private:
    std::unique_ptr<MemoryDataSource> clienti_;
};

QTEST_MAIN(TestReportPrint)
#include "tst_reportprint.moc"
