// Pages written as they are laid out, or packed for the preview and read back: the PDF is the
// one the pages kept whole give (total page count, groups and footers, rows kept together, roll
// paper), only a page or two is held at a time, and a job reaches the real spooler whole.
#include <QBuffer>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

#include "common/format.h"
#include "cups/capturequeue.h"
#include "report/engine.h"
#include "report/pdf.h"
#include "reportfixtures.h"

using namespace report;
using fixtures::band;
using fixtures::pageNumberFooter;
using fixtures::text;

namespace {

// A template and the data it reads.
struct Case {
    Report report;
    std::vector<std::unique_ptr<MemoryDataSource>> sources;

    MemoryDataSource& add(const QString& name, const QStringList& fields) {
        sources.push_back(std::make_unique<MemoryDataSource>(name, fields));
        return *sources.back();
    }
    void attach(ReportEngine& engine) const {
        engine.setReport(report);
        engine.setTitle(QStringLiteral("Prova"));
        engine.setCurrentTime(QDateTime(QDate(2026, 3, 14), QTime(9, 30)));
        for (const auto& s : sources) engine.dataSources().add(s.get());
    }
};

Case customers(int rows, const QString& footer) {
    Case c;
    c.report = fixtures::customerList();
    c.report.pages[0].bands[3].objects[0].text = footer;
    fixtures::fillCustomers(
        c.add(QStringLiteral("Clienti"), {QStringLiteral("Nome"), QStringLiteral("Saldo")}), rows);
    return c;
}

// Orders grouped by zone, each kept together with its lines; sums in the footers.
Case groupedOrders() {
    Case c;
    MemoryDataSource& ordini =
        c.add(QStringLiteral("Ordini"), {QStringLiteral("Id"), QStringLiteral("Zona")});
    MemoryDataSource& righe =
        c.add(QStringLiteral("Righe"),
              {QStringLiteral("Ordine"), QStringLiteral("Vino"), QStringLiteral("Importo")});
    for (int o = 1; o <= 24; ++o) {
        ordini.addRow({o, QStringLiteral("Zona %1").arg((o - 1) / 6 + 1)});
        for (int l = 1; l <= (o * 7) % 23 + 1; ++l)
            righe.addRow({o, QStringLiteral("Vino %1/%2").arg(o).arg(l), o * 1.25 + l});
    }
    righe.setMaster(&ordini, QStringLiteral("Id"), QStringLiteral("Ordine"));
    Report& r = c.report;
    r.name = QStringLiteral("ordini");
    ReportPage p;
    Band gh = band(BandType::GroupHeader, QStringLiteral("Zona"), 8);
    gh.condition = QStringLiteral("[Ordini.Zona]");
    gh.repeatOnNewPage = true;
    gh.objects.push_back(
        text(QStringLiteral("NomeZona"), QStringLiteral("[Ordini.Zona]"), {0, 0, 80, 6}));
    p.bands.push_back(gh);
    Band md = band(BandType::MasterData, QStringLiteral("Ordine"), 6, QStringLiteral("Ordini"));
    md.keepTogether = true;
    md.objects.push_back(
        text(QStringLiteral("Num"), QStringLiteral("Ordine [Ordini.Id]"), {0, 0, 60, 6}));
    p.bands.push_back(md);
    Band dd = band(BandType::DetailData, QStringLiteral("Riga"), 5, QStringLiteral("Righe"));
    dd.objects.push_back(
        text(QStringLiteral("Vino"), QStringLiteral("[Righe.Vino]"), {10, 0, 80, 5}));
    dd.objects.push_back(
        text(QStringLiteral("Imp"), QStringLiteral("[Righe.Importo]"), {100, 0, 30, 5}));
    p.bands.push_back(dd);
    Band df = band(BandType::DetailFooter, QStringLiteral("TotOrdine"), 5);
    df.objects.push_back(
        text(QStringLiteral("Tot"), QStringLiteral("Totale [SUM(Righe.Importo)]"), {10, 0, 80, 5}));
    p.bands.push_back(df);
    Band gf = band(BandType::GroupFooter, QStringLiteral("FineZona"), 6);
    gf.objects.push_back(
        text(QStringLiteral("Conta"), QStringLiteral("Ordini: [COUNT()]"), {0, 0, 80, 6}));
    p.bands.push_back(gf);
    Band sm = band(BandType::Summary, QStringLiteral("Riepilogo"), 8);
    sm.objects.push_back(text(QStringLiteral("Tutti"), QStringLiteral("Ordini in tutto: [COUNT()]"),
                              {0, 0, 100, 6}));
    p.bands.push_back(sm);
    p.bands.push_back(pageNumberFooter(QStringLiteral("Pag"), 8));
    r.pages.push_back(p);
    return c;
}

// An A4 list one customer a page, then a roll as tall as its lines.
Case pagesAndRoll() {
    Case c = customers(5, QStringLiteral("Pagina [PAGE#]"));
    c.report.pages[0].bands[2].startNewPage = true;
    ReportPage roll;
    roll.paperWidth = 80;
    roll.paperHeight = 50;
    roll.endless = true;
    roll.marginLeft = roll.marginRight = roll.marginTop = roll.marginBottom = 2;
    Band t = band(BandType::ReportTitle, QStringLiteral("Testa"), 8);
    t.objects.push_back(
        text(QStringLiteral("Scontrino"), QStringLiteral("SCONTRINO"), {0, 0, 70, 6}));
    roll.bands.push_back(t);
    Band md = band(BandType::MasterData, QStringLiteral("Righe"), 5, QStringLiteral("Clienti"));
    md.objects.push_back(
        text(QStringLiteral("Nome"), QStringLiteral("[Clienti.Nome]"), {0, 0, 70, 5}));
    roll.bands.push_back(md);
    c.report.pages.push_back(roll);
    return c;
}

Case makeCase(const QString& name) {
    if (name == QLatin1String("total"))
        return customers(130, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"));
    if (name == QLatin1String("computed"))
        return customers(130, QStringLiteral("[IF([PAGE#] = [TOTALPAGES]; 'Ultima'; 'Segue')]"));
    if (name == QLatin1String("groups")) return groupedOrders();
    if (name == QLatin1String("roll")) return pagesAndRoll();
    return customers(130, QStringLiteral("Pagina [PAGE#]"));
}

// The PDF without what differs from one writing to the next (moment and document id).
QByteArray comparable(QByteArray pdf) {
    static const QRegularExpression stamps(QStringLiteral(
        "\\(D:\\d{14}[^)]*\\)|\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[^<]*|uuid:[0-9a-f-]+|"
        "/ID \\[<[0-9a-fA-F]*> *<[0-9a-fA-F]*>\\]"));
    QString latin = QString::fromLatin1(pdf);
    latin.replace(stamps, QStringLiteral("#"));
    return latin.toLatin1();
}

// Pages received, and the most pages laid out but not yet received while the pages were written.
class HeldPages : public PageSink, public LayoutProgress {
public:
    explicit HeldPages(PageSink& next) : next_(next) {}
    int received = 0;
    int mostHeld = 0;
    void page(PreparedPage&& page) override {
        ++received;
        next_.page(std::move(page));
    }
    bool report(int pages, double) override {
        if (pages < last_) mostHeld = 0;  // the pass that counts the pages is over
        last_ = pages;
        mostHeld = std::max(mostHeld, pages - received);
        return true;
    }

private:
    PageSink& next_;
    int last_ = 0;
};

}  // namespace

class TestReportStream : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void samePdf_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pages");
        QTest::newRow("page numbers only") << "plain" << 3;
        QTest::newRow("Pagina N di M") << "total" << 3;
        QTest::newRow("total inside a computation") << "computed" << 3;
        QTest::newRow("groups, footers, rows kept together") << "groups" << 0;
        QTest::newRow("a page per row, then a roll") << "roll" << 6;
    }

    void samePdf() {
        QFETCH(QString, name);
        QFETCH(int, pages);
        const Case c = makeCase(name);

        // Every page laid out and kept whole, then written.
        ReportEngine whole;
        c.attach(whole);
        PreparedReport kept;
        QString error;
        QVERIFY2(layoutReport(whole.layoutInput(), &kept, &error), qPrintable(error));
        QByteArray expected;
        {
            QBuffer out(&expected);
            out.open(QIODevice::WriteOnly);
            QVERIFY2(writePdf(kept, out, &error), qPrintable(error));
        }

        // The preview's pages, packed, the most part in the temporary file, read back.
        ReportEngine prepared;
        c.attach(prepared);
        prepared.setPageMemory(1024);
        QVERIFY2(prepared.prepare(), qPrintable(prepared.errorString()));
        if (pages) QCOMPARE(prepared.pageCount(), pages);
        QVERIFY(prepared.pageCount() > 2);
        QCOMPARE(prepared.pageCount(), int(kept.pages.size()));
        QVERIFY(prepared.prepared().fileBytes() > 0);
        QCOMPARE(comparable(prepared.pdfBytes()), comparable(expected));

        // The program's own path: nothing prepared, the pages written as laid out.
        ReportEngine streamed;
        c.attach(streamed);
        const QByteArray direct = streamed.pdfBytes();
        QVERIFY2(!direct.isEmpty(), qPrintable(streamed.errorString()));
        QVERIFY(!streamed.isPrepared());
        QCOMPARE(streamed.pageCount(), prepared.pageCount());
        QCOMPARE(comparable(direct), comparable(expected));

        // Written a page or two behind the layout, never at the end.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        PdfPageWriter writer(buffer, QStringLiteral("Prova"));
        HeldPages held(writer);
        ReportEngine plain;
        c.attach(plain);
        LayoutInput in = plain.layoutInput();
        in.progress = &held;
        int count = 0;
        QVERIFY2(streamReport(in, held, &error, nullptr, &count), qPrintable(error));
        QVERIFY(writer.finish(&error));
        QCOMPARE(count, prepared.pageCount());
        QCOMPARE(held.received, count);
        QVERIFY2(held.mostHeld <= 3, qPrintable(QString::number(held.mostHeld)));
        QCOMPARE(comparable(bytes), comparable(expected));
    }

    // A fault on the third page, after two were written: the file there before stays as it was.
    void faultKeepsOldFile() {
        Case c = customers(130, QStringLiteral("Pagina [PAGE#]"));
        ReportObject code = text(QStringLiteral("Codice"),
                                 QStringLiteral("[IF([PAGE#] = 3; 'ABC'; '')]"), {150, 0, 30, 5});
        code.kind = ObjectKind::Barcode;
        code.barcodeType = BarcodeType::Ean13;
        c.report.pages[0].bands[2].objects.push_back(code);
        ReportEngine engine;
        c.attach(engine);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("vecchio");
        }
        QVERIFY(!engine.exportPdf(path));
        QVERIFY2(engine.errorString().contains(QStringLiteral("ABC")),
                 qPrintable(engine.errorString()));
        QCOMPARE(capture::readFile(path), QByteArray("vecchio"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        c.report.pages.clear();
        engine.setReport(c.report);
        QVERIFY(!engine.exportPdf(path));
        QVERIFY(engine.errorString().contains(QStringLiteral("non ha pagine")));
    }

    // The real spooler gets the document read in pieces, byte for byte.
    void spoolerGetsWholeDocument() {
        capture::Scheduler cups;
        CAPTURE_START_OR_SKIP(cups);
        const Case c = customers(15000, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"));
        ReportEngine engine;
        c.attach(engine);
        const QByteArray expected = engine.pdfBytes();
        QVERIFY2(expected.size() > 512 * 1024, "more than one piece of the document");
        engine.setPrinterName(capture::kQueue);
        capture::Folder jobs(cups.captureFolder());
        const QStringList before = jobs.ids();
        QCOMPARE(engine.print(1), ReportEngine::PrintOutcome::Printed);
        QCOMPARE(engine.lastPrinter(), capture::kQueue);
        const QList<capture::Job> got = jobs.waitForNewJobs(before, 1);
        QCOMPARE(got.size(), 1);
        QCOMPARE(comparable(got[0].data), comparable(expected));
    }
};

QTEST_MAIN(TestReportStream)
#include "tst_reportstream.moc"
