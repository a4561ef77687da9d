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
#include "stock/giornale.h"
#include "support/testfolder.h"

namespace {

class PreviewOnly : public PrintOutput {
public:
    QList<report::Report> previews;
    QStringList titles;
    QStringList installedPrinters() override { return {QStringLiteral("Ufficio")}; }
    QString defaultPrinter() override { return QStringLiteral("Ufficio"); }
    bool preview(const report::Report& r, const QString&, const QString& title,
                 const QString&) override {
        previews << r;
        titles << title;
        return false;
    }
    bool print(const report::Report&, const QString&, const QString&, const QString&) override {
        return false;
    }
    void cut(const QString&) override {}
    void openDesigner(report::Report&, QString&) override {}
};

}  // namespace

class TestGiornaleStampa : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void pages_data() {
        QTest::addColumn<QStringList>("tipi");
        QTest::addColumn<int>("pages");
        QTest::newRow("both views") << QStringList{"B", "N"} << 2;
        QTest::newRow("documents only") << QStringList{"F"} << 1;
        QTest::newRow("direct sales only") << QStringList{"N"} << 1;
    }
    void pages() {
        QFETCH(QStringList, tipi);
        QFETCH(int, pages);
        ScriptedMessages msgs;
        TestFolder tf;
        QDir().mkpath(tf.file(QStringLiteral("stampe")));
        QVERIFY(QFile::copy(QStringLiteral(VINORDA_TEMPLATES "/movimenti.frf"),
                            tf.file(QStringLiteral("stampe/movimenti.frf"))));
        tf.insert(QStringLiteral("Prodotti"), {{QStringLiteral("Codice_prodotto"), "V1"},
                                               {QStringLiteral("Descrizione"), "Vino"},
                                               {QStringLiteral("Stato"), "1"}});
        for (const QString& t : tipi)
            tf.insert(QStringLiteral("Giornale"), {{QStringLiteral("Data_Ora"), QDate(2025, 2, 1)},
                                                   {QStringLiteral("Cod_vino"), "V1"},
                                                   {QStringLiteral("Litri"), 2},
                                                   {QStringLiteral("Tipo"), t}});
        SharedData sd(tf.db());
        GiornaleMovimenti g(sd);
        report::DataSetSources adapters;
        adapters.add(g.documenti);
        adapters.add(g.corrispettivi);
        report::DataSourceRegistry registry;
        adapters.registerIn(registry);
        PreviewOnly out;
        PrintRoutine routine(out);
        routine.setDataFolder(tf.path());
        routine.setDataSources(&registry);
        g.setPrint([&routine](const QString& name, const QString& title) {
            routine.setta_stampante(name, title, false, 0, 1);
        });
        g.FormShow();
        QVERIFY(g.stampa());
        QCOMPARE(msgs.texts, QStringList());
        QCOMPARE(out.titles, QStringList{"Giornale movimenti"});
        QCOMPARE(int(out.previews.first().pages.size()), pages);
    }
};

QTEST_GUILESS_MAIN(TestGiornaleStampa)
#include "tst_giornale_stampa.moc"
