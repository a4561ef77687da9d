// The print routine's rules over a recording output: which template, printer and copies reach
// the engine, the credit note, the journal's page rule, the designer switch and the flag.
#include <QTemporaryDir>
#include <QTest>

#include "common/messages.h"
#include "printing/settastampante.h"
#include "report/templatefile.h"

using report::Report;

namespace {

// Remembers what the routine asked for; prints succeed unless told otherwise.
class RecordingOutput : public PrintOutput {
public:
    QStringList printers{QStringLiteral("Ufficio_A4"), QStringLiteral("vinorda-scontrino")};
    QString defaultQueue = QStringLiteral("Ufficio_A4");
    bool accept = true;  // the spooler accepts direct prints
    bool userPrintsFromPreview = false;
    QStringList calls;      // "preview:printer", "print:printer", "cut:printer", "design"
    QList<Report> reports;  // the report of every preview/print/design
    QStringList titles;
    QString designedPath;

    QStringList installedPrinters() override { return printers; }
    QString defaultPrinter() override { return defaultQueue; }
    bool preview(const Report& r, const QString&, const QString& title,
                 const QString& printer) override {
        calls << QStringLiteral("preview:") + printer;
        reports << r;
        titles << title;
        return userPrintsFromPreview;
    }
    bool print(const Report& r, const QString&, const QString& title,
               const QString& printer) override {
        calls << QStringLiteral("print:") + printer;
        reports << r;
        titles << title;
        return accept;
    }
    void cut(const QString& printer) override { calls << QStringLiteral("cut:") + printer; }
    void openDesigner(Report& r, QString& path) override {
        calls << QStringLiteral("design");
        reports << r;
        designedPath = path;
    }
};

report::ReportObject textObject(const QString& name, const QString& text) {
    report::ReportObject o;
    o.kind = report::ObjectKind::Text;
    o.name = name;
    o.text = text;
    o.geometry = QRectF(0, 0, 60, 6);
    return o;
}

Report reportWithPages(const QStringList& pageNames, bool withFatt) {
    Report r = report::emptyReport();
    r.pages.clear();
    for (const QString& pageName : pageNames) {
        report::ReportPage page;
        page.name = pageName;
        report::Band band;
        band.type = report::BandType::ReportTitle;
        band.objects.push_back(textObject(QStringLiteral("Titolo"), QStringLiteral("[TITLE]")));
        if (withFatt && page.name == pageNames.first())
            band.objects.push_back(textObject(QStringLiteral("Fatt"), QStringLiteral("Fattura")));
        page.bands.push_back(band);
        r.pages.push_back(page);
    }
    return r;
}

QStringList pageNames(const Report& r) {
    QStringList names;
    for (const auto& p : r.pages) names << p.name;
    return names;
}

}  // namespace

class TestSettaStampante : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    void writeTemplate(const QString& name, const Report& r) {
        QString error;
        QVERIFY2(
            report::saveTemplate(
                folder_ + QStringLiteral("stampe/") + name + QStringLiteral(".frf"), r, &error),
            qPrintable(error));
    }

    struct Fixture {
        RecordingOutput output;
        report::DataSourceRegistry sources;
        report::MemoryDataSource fatture{
            QStringLiteral("Fatture"), {QStringLiteral("Docum_numero"), QStringLiteral("Totale")}};
        report::MemoryDataSource documenti{QStringLiteral("documenti"), {QStringLiteral("Litri")}};
        report::MemoryDataSource corrispettivi{QStringLiteral("corrispettivi"),
                                               {QStringLiteral("Litri")}};
        PrintRoutine routine{output};
        Fixture(const QString& folder, double total = 10) {
            fatture.addRow({QStringLiteral("F-2024-000001"), total});
            fatture.first();
            sources.add(&fatture);
            sources.add(&documenti);
            sources.add(&corrispettivi);
            routine.setDataFolder(folder);
            routine.setDataSources(&sources);
            routine.setPrinterSettings({QStringLiteral("Ufficio"), QStringLiteral("vinorda-scon")});
        }
    };

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        folder_ = dir_.path() + u'/';
        QVERIFY(QDir().mkpath(folder_ + QStringLiteral("stampe")));
        writeTemplate(QStringLiteral("fattura_imm"), reportWithPages({QStringLiteral("P1")}, true));
        writeTemplate(QStringLiteral("senzafatt"), reportWithPages({QStringLiteral("P1")}, false));
        writeTemplate(
            QStringLiteral("movimenti"),
            reportWithPages({QStringLiteral("documenti"), QStringLiteral("corrispettivi")}, false));
    }

    void creditNote_data() {
        QTest::addColumn<double>("total");
        QTest::addColumn<bool>("document");
        QTest::addColumn<QString>("fattText");
        QTest::newRow("-0.01 document") << -0.01 << true << QStringLiteral("Nota di accredito");
        QTest::newRow("-250 document") << -250.0 << true << QStringLiteral("Nota di accredito");
        QTest::newRow("0 document") << 0.0 << true << QStringLiteral("Fattura");
        QTest::newRow("positive document") << 12.5 << true << QStringLiteral("Fattura");
        QTest::newRow("negative, not a document") << -5.0 << false << QStringLiteral("Fattura");
    }

    void creditNote() {
        QFETCH(double, total);
        QFETCH(bool, document);
        QFETCH(QString, fattText);
        ScriptedMessages messages;
        Fixture f(folder_, total);
        f.routine.setta_stampante(QStringLiteral("fattura_imm"),
                                  QStringLiteral("Fattura immediata"), document, 0, 1);
        QCOMPARE(messages.texts, QStringList());
        QCOMPARE(f.output.reports.size(), 1);
        QCOMPARE(f.output.reports.first().findObject(QStringLiteral("Fatt"))->text, fattText);
        QCOMPARE(f.output.titles.first(), QStringLiteral("Fattura immediata"));
        // The change is for this print only: the file keeps its text.
        Report onDisk;
        QString error;
        QVERIFY(report::loadTemplate(folder_ + QStringLiteral("stampe/fattura_imm.frf"), &onDisk,
                                     &error));
        QCOMPARE(onDisk.findObject(QStringLiteral("Fatt"))->text, QStringLiteral("Fattura"));
    }

    void creditNoteWithoutFattIsRefused() {
        ScriptedMessages messages;
        Fixture f(folder_, -0.01);
        f.routine.setta_stampante(QStringLiteral("senzafatt"), QStringLiteral("Fattura"), true, 2,
                                  1);
        QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
        QVERIFY2(messages.last().contains(QStringLiteral("\"Fatt\"")), qPrintable(messages.last()));
        QCOMPARE(f.output.calls, QStringList());
        QVERIFY(!f.routine.reportPrinted());

        // A positive document needs no "Fatt".
        messages.clear();
        Fixture g(folder_, 3);
        g.routine.setta_stampante(QStringLiteral("senzafatt"), QStringLiteral("Fattura"), true, 1,
                                  1);
        QCOMPARE(messages.texts, QStringList());
        QCOMPARE(g.output.calls, QStringList{QStringLiteral("print:Ufficio_A4")});
    }

    void journalPages_data() {
        QTest::addColumn<int>("documentRows");
        QTest::addColumn<int>("saleRows");
        QTest::addColumn<QStringList>("pages");
        const QString doc = QStringLiteral("documenti"), sales = QStringLiteral("corrispettivi");
        QTest::newRow("both") << 2 << 3 << QStringList{doc, sales};
        QTest::newRow("no direct sales") << 2 << 0 << QStringList{doc};
        QTest::newRow("nothing at all") << 0 << 0 << QStringList{};
        QTest::newRow("only direct sales") << 0 << 1 << QStringList{sales};
    }

    void journalPages() {
        QFETCH(int, documentRows);
        QFETCH(int, saleRows);
        QFETCH(QStringList, pages);
        ScriptedMessages messages;
        Fixture f(folder_);
        for (int i = 0; i < documentRows; ++i) f.documenti.addRow({1.5});
        for (int i = 0; i < saleRows; ++i) f.corrispettivi.addRow({0.75});
        f.routine.setta_stampante(QStringLiteral("movimenti"), QStringLiteral("Giornale movimenti"),
                                  false, 0, 1);
        QCOMPARE(pageNames(f.routine.loadedReport()), pages);
        if (pages.isEmpty()) {
            // No page left: nothing to preview, and the user is told so.
            QCOMPARE(f.output.calls, QStringList());
            QCOMPARE(messages.texts,
                     QStringList{QStringLiteral("   Nessun movimento da stampare   ")});
        } else {
            QCOMPARE(f.output.reports.size(), 1);
            QCOMPARE(pageNames(f.output.reports.first()), pages);
        }
    }

    void pageRuleOnlyForTheJournal() {
        ScriptedMessages messages;
        Fixture f(folder_);  // documenti and corrispettivi empty
        Report r = reportWithPages({QStringLiteral("a"), QStringLiteral("b")}, false);
        writeTemplate(QStringLiteral("pagamenti"), r);
        f.routine.setta_stampante(QStringLiteral("pagamenti"), QStringLiteral("Elenco pagamenti"),
                                  false, 0, 1);
        QCOMPARE(pageNames(f.output.reports.first()),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    }

    void contextualEditorDesignsInstead() {
        ScriptedMessages messages;
        Fixture f(folder_, -1);
        f.routine.setInlineEditor(true);
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("fattura_imm"),
                                  QStringLiteral("Fattura immediata"), true, 2, 1);
        QCOMPARE(f.output.calls, QStringList{QStringLiteral("design")});
        QCOMPARE(f.output.designedPath, folder_ + QStringLiteral("stampe/fattura_imm.frf"));
        QVERIFY(!f.routine.reportPrinted());

        // Switched off, the same request prints again.
        f.routine.setInlineEditor(false);
        f.routine.setta_stampante(QStringLiteral("fattura_imm"),
                                  QStringLiteral("Fattura immediata"), true, 1, 1);
        QCOMPARE(f.output.calls.last(), QStringLiteral("print:Ufficio_A4"));
        QVERIFY(f.routine.reportPrinted());
    }

    void personalizzazioneOpensLastLoaded() {
        ScriptedMessages messages;
        Fixture f(folder_);
        f.routine.Personalizzazionestampe1Click();  // nothing loaded yet: an empty report
        QCOMPARE(f.output.designedPath, QString());
        QCOMPARE(f.output.reports.last().pages.size(), size_t(1));
        QVERIFY(f.output.reports.last().findObject(QStringLiteral("Fatt")) == nullptr);

        f.routine.setta_stampante(QStringLiteral("fattura_imm"), QStringLiteral("Fattura"), false,
                                  0, 1);
        f.routine.setta_stampante(QStringLiteral("non_esiste"), QStringLiteral("X"), false, 0, 1);
        f.routine.Personalizzazionestampe1Click();
        QCOMPARE(f.output.designedPath, folder_ + QStringLiteral("stampe/fattura_imm.frf"));
        QVERIFY(f.output.reports.last().findObject(QStringLiteral("Fatt")) != nullptr);
    }

    void outputs_data() {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("printer");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("printFromPreview");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("printed");
        const QString a4 = QStringLiteral("Ufficio_A4"), rc = QStringLiteral("vinorda-scontrino");
        QTest::newRow("preview, closed")
            << 0 << 1 << true << false << QStringList{QStringLiteral("preview:") + a4} << false;
        QTest::newRow("preview, printed")
            << 0 << 1 << true << true << QStringList{QStringLiteral("preview:") + a4} << true;
        QTest::newRow("one copy") << 1 << 1 << true << false
                                  << QStringList{QStringLiteral("print:") + a4} << true;
        QTest::newRow("two copies main printer")
            << 2 << 1 << true << false
            << QStringList{QStringLiteral("print:") + a4, QStringLiteral("print:") + a4} << true;
        QTest::newRow("two copies receipt printer")
            << 2 << 2 << true << false
            << QStringList{QStringLiteral("print:") + rc, QStringLiteral("cut:") + rc,
                           QStringLiteral("print:") + rc, QStringLiteral("cut:") + rc}
            << true;
        QTest::newRow("refused: no cut, no second copy")
            << 2 << 2 << false << false << QStringList{QStringLiteral("print:") + rc} << false;
    }

    void outputs() {
        QFETCH(int, output);
        QFETCH(int, printer);
        QFETCH(bool, accept);
        QFETCH(bool, printFromPreview);
        QFETCH(QStringList, calls);
        QFETCH(bool, printed);
        ScriptedMessages messages;
        Fixture f(folder_);
        f.output.accept = accept;
        f.output.userPrintsFromPreview = printFromPreview;
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("fattura_imm"), QStringLiteral("Scontrino"), false,
                                  output, printer);
        QCOMPARE(f.output.calls, calls);
        QCOMPARE(f.routine.reportPrinted(), printed);
    }

    void resolvePrinter_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("defaultQueue");
        QTest::addColumn<QString>("expected");
        const QStringList queues{QStringLiteral("HP_LaserJet"), QStringLiteral("Citizen_CT_S310"),
                                 QStringLiteral("Citizen_CT_S310_2")};
        QTest::newRow("prefix") << QStringLiteral("Citizen") << queues
                                << QStringLiteral("HP_LaserJet")
                                << QStringLiteral("Citizen_CT_S310");
        QTest::newRow("exact") << QStringLiteral("Citizen_CT_S310_2") << queues << QString()
                               << QStringLiteral("Citizen_CT_S310_2");
        QTest::newRow("case differs: default")
            << QStringLiteral("citizen") << queues << QStringLiteral("HP_LaserJet")
            << QStringLiteral("HP_LaserJet");
        QTest::newRow("default text")
            << QStringLiteral("stampante2") << queues << QStringLiteral("Citizen_CT_S310_2")
            << QStringLiteral("Citizen_CT_S310_2");
        QTest::newRow("empty name: default")
            << QString() << queues << QStringLiteral("Citizen_CT_S310")
            << QStringLiteral("Citizen_CT_S310");
        QTest::newRow("no match, no default: first")
            << QStringLiteral("stampante1") << queues << QString() << QStringLiteral("HP_LaserJet");
        QTest::newRow("no printer at all")
            << QStringLiteral("stampante1") << QStringList() << QString() << QString();
    }

    void resolvePrinter() {
        QFETCH(QString, stored);
        QFETCH(QStringList, installed);
        QFETCH(QString, defaultQueue);
        QFETCH(QString, expected);
        QCOMPARE(PrintRoutine::resolvePrinter(stored, installed, defaultQueue), expected);
    }

    void missingTemplate() {
        ScriptedMessages messages;
        Fixture f(folder_);
        f.routine.setReportPrinted(false);
        f.routine.setta_stampante(QStringLiteral("listino9"), QStringLiteral("Listino prezzi 9"),
                                  false, 1, 1);
        QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
        QVERIFY2(messages.last().contains(QStringLiteral("listino9")), qPrintable(messages.last()));
        QVERIFY2(messages.last().contains(folder_ + QStringLiteral("stampe/listino9.frf")),
                 qPrintable(messages.last()));
        QCOMPARE(f.output.calls, QStringList());
        QVERIFY(!f.routine.reportPrinted());
    }
};

QTEST_GUILESS_MAIN(TestSettaStampante)
#include "tst_settastampante.moc"
