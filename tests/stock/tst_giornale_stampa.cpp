// "Stam&pa" of the journal through the print routine with the shipped "movimenti" template:
// the template reads the window's data sets by name and loses the page of an empty view.
#include <QDir>
#include <QFile>
#include <QTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "printing/settastampante.h"
#include "report/datasetsource.h"
#include "report/layout.h"
#include "stock/giornale.h"
#include "support/testfolder.h"

namespace {

// Lays the preview out as the engine would and keeps the texts printed.
class PreviewOnly : public PrintOutput, report::PageSink, report::LayoutProgress {
public:
    explicit PreviewOnly(const report::DataSourceRegistry& sources) : sources_(sources) {}
    QList<report::Report> previews;
    QStringList titles;
    QStringList litres;  // each row's litres, then the totals
    QString error;
    int pages = 0;
    double mostDone = 0;  // the progress shown, at most
    QStringList installedPrinters() override { return {QStringLiteral("Ufficio")}; }
    QString defaultPrinter() override { return QStringLiteral("Ufficio"); }
    bool preview(const report::Report& r, const QString&, const QString& title,
                 const QString&) override {
        previews << r;
        titles << title;
        report::LayoutInput in;
        in.report = &r;
        in.sources = &sources_;
        in.title = title;
        in.now = QDateTime(QDate(2025, 3, 1), QTime(9, 0));
        in.progress = this;
        report::streamReport(in, *this, &error, nullptr, &pages);
        return false;
    }
    void page(report::PreparedPage&& p) override {
        for (const report::DrawOp& op : p.ops)
            if (op.objectName == u"cLitri" || op.objectName == u"TotLitri")
                litres << op.lines.join(u' ');
    }
    bool report(int, double done) override {
        mostDone = std::max(mostDone, done);
        return true;
    }
    bool print(const report::Report&, const QString&, const QString&, const QString&) override {
        return false;
    }
    void cut(const QString&) override {}
    void openDesigner(report::Report&, QString&) override {}

private:
    const report::DataSourceRegistry& sources_;
};

}  // namespace

class TestGiornaleStampa : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void pages_data() {
        QTest::addColumn<QStringList>("tipi");
        QTest::addColumn<int>("pages");  // of the template
        QTest::addColumn<int>("page");   // rows the documents' grid reads at a time
        QTest::newRow("both views") << QStringList{"B", "N"} << 2 << 500;
        QTest::newRow("documents only") << QStringList{"F"} << 1 << 500;
        QTest::newRow("direct sales only") << QStringList{"N"} << 1 << 500;
        // Every row is printed, however few the grid has read.
        QStringList many;
        for (int i = 0; i < 130; ++i) many << (i % 3 ? QStringLiteral("F") : QStringLiteral("B"));
        QTest::newRow("documents, grid read in pages of 7") << many << 1 << 7;
    }
    void pages() {
        QFETCH(QStringList, tipi);
        QFETCH(int, pages);
        QFETCH(int, page);
        ScriptedMessages msgs;
        TestFolder tf;
        QDir().mkpath(tf.file(QStringLiteral("stampe")));
        QVERIFY(QFile::copy(QStringLiteral(VINORDA_TEMPLATES "/movimenti.frf"),
                            tf.file(QStringLiteral("stampe/movimenti.frf"))));
        tf.insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "V1"},
                                               {QStringLiteral("Descrizione"), "Vino"},
                                               {QStringLiteral("Stato"), "1"}});
        for (int i = 0; i < tipi.size(); ++i)
            tf.insert(QStringLiteral("Giornale"), {{QStringLiteral("Data_Ora"), QDate(2025, 2, 1)},
                                                   {QStringLiteral("Cod_vino"), "V1"},
                                                   {QStringLiteral("Litri"), 2 + i},
                                                   {QStringLiteral("Tipo"), tipi[i]}});
        SharedData sd(tf.db());
        GiornaleMovimenti g(sd);
        g.documenti.setFetchOnDemand(page);
        sd.Intestazione.open();
        report::DataSetSources adapters;
        for (DataSet* ds : sd.all()) adapters.add(*ds);
        adapters.add(g.documenti);
        adapters.add(g.corrispettivi);
        report::DataSourceRegistry registry;
        adapters.registerIn(registry);
        PreviewOnly out(registry);
        PrintRoutine routine(out);
        routine.setDataFolder(tf.path());
        routine.setDataSources(&registry);
        g.setPrint([&routine](const QString& name, const QString& title) {
            routine.setta_stampante(name, title, false, 0, 1);
        });
        g.FormShow();
        g.documenti.setRecNo(1);
        const int read = g.documenti.recordCount();
        QVERIFY(g.stampa());
        QCOMPARE(msgs.texts, QStringList());
        QCOMPARE(out.titles, QStringList{"Giornale movimenti"});
        QCOMPARE(int(out.previews.first().pages.size()), pages);
        // Each movement's litres, once, in the journal's order, and the totals of all of them.
        QCOMPARE(out.error, QString());
        const auto litri = [](double v) { return QLocale(QLocale::Italian).toString(v, 'f', 3); };
        QStringList want;
        double documents = 0, sales = 0;
        for (int i = 0; i < tipi.size(); ++i) {
            if (tipi[i] == u"N") {
                sales += 2 + i;
            } else {
                want << litri(2 + i);
                documents += 2 + i;
            }
        }
        if (documents > 0) want << QStringLiteral("Totale litri ") + litri(documents);
        if (sales > 0) want << litri(sales) << QStringLiteral("Totale litri ") + litri(sales);
        QCOMPARE(out.litres, want);
        QVERIFY2(out.mostDone <= 1.0, qPrintable(QString::number(out.mostDone)));
        // The grid kept what it had read, on its row.
        QCOMPARE(g.documenti.recordCount(), read);
        QCOMPARE(g.documenti.recNo(), qMin(1, read - 1));
    }
};

QTEST_MAIN(TestGiornaleStampa)
#include "tst_giornale_stampa.moc"
