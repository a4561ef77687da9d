// The data sets as report sources: rows printed in the caller's order, cursor given back.
#include <QtTest>

#include "common/format.h"
#include "data/dataset.h"
#include "report/datasetsource.h"
#include "report/engine.h"
#include "reportfixtures.h"
#include "support/testfolder.h"

using namespace report;

class TestReportData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void positionKept_data() {
        QTest::addColumn<int>("row");  // -1 = after the last row
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<int>("page");  // rows read at a time; 0 = all at once
        QTest::newRow("first") << 0 << false << 0;
        QTest::newRow("middle") << 1 << false << 0;
        QTest::newRow("middle, groups") << 1 << true << 0;
        QTest::newRow("last, groups") << 2 << true << 0;
        QTest::newRow("past the end") << -1 << true << 0;
        // Read on demand: the print walks a copy of its own and gives its rows back as it goes.
        QTest::newRow("first, groups, by pages of 1") << 0 << true << 1;
        QTest::newRow("middle, groups, by pages of 1") << 1 << true << 1;
        QTest::newRow("middle, by pages of 2") << 1 << false << 2;
        QTest::newRow("past the end, by pages of 1") << -1 << true << 1;
    }

    void positionKept() {
        QFETCH(int, row);
        QFETCH(bool, grouped);
        QFETCH(int, page);
        TestFolder folder;
        const QStringList names = {QStringLiteral("Bianchi"), QStringLiteral("Rossi"),
                                   QStringLiteral("Verdi")};
        for (int i = 0; i < names.size(); ++i)
            folder.insert(QStringLiteral("Anagrafica"),
                          {{QStringLiteral("Codice"), QStringLiteral("C%1").arg(i)},
                           {QStringLiteral("RagioneSociale"), names[i]},
                           {QStringLiteral("Citta"),
                            i < 2 ? QStringLiteral("Siena") : QStringLiteral("Asti")}});
        DataSet clienti(folder.db(), QStringLiteral("Clienti"));
        if (page > 0) {
            // A source that cannot be written, in its own order.
            clienti.setSql(
                QStringLiteral("SELECT a.Codice, a.RagioneSociale, a.Citta FROM Anagrafica a "
                               "LEFT JOIN IVA ON IVA.Ordine = -1 ORDER BY a.RagioneSociale"));
            clienti.setFetchOnDemand(page);
            clienti.open();
            QVERIFY(clienti.canFetchMore());
        } else {
            clienti.setTable(QStringLiteral("Anagrafica"));
            clienti.open();
            clienti.sortBy(QStringLiteral("RagioneSociale"));
        }
        if (row < 0) {
            clienti.last();
            clienti.next();
        } else {
            clienti.setRecNo(row);
        }
        const qint64 mark = clienti.bookmark();
        const int read = clienti.recordCount();

        Report r;
        r.name = QStringLiteral("clienti");
        ReportPage p;
        if (grouped) {
            Band g = fixtures::band(BandType::GroupHeader, QStringLiteral("Citta"), 5);
            g.condition = QStringLiteral("Clienti.Citta");
            g.objects.push_back(fixtures::text(QStringLiteral("Citta"),
                                               QStringLiteral("[Clienti.Citta]"), {0, 0, 40, 5}));
            p.bands.push_back(g);
        }
        Band d = fixtures::band(BandType::MasterData, QStringLiteral("Righe"), 5,
                                QStringLiteral("Clienti"));
        d.objects.push_back(fixtures::text(
            QStringLiteral("Nome"), QStringLiteral("[Clienti.RagioneSociale]"), {0, 0, 60, 5}));
        p.bands.push_back(d);
        r.pages.push_back(p);

        DataSetSources sources;
        ReportEngine engine;
        sources.add(clienti);
        sources.registerIn(engine.dataSources());
        engine.setReport(r);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        QStringList printed, cities;
        const auto first = engine.prepared().at(0);
        for (const DrawOp& op : first->ops)
            (op.objectName == QLatin1String("Nome") ? printed : cities) << op.lines.join(QString());
        QCOMPARE(printed, names);
        if (grouped)
            QCOMPARE(cities, QStringList({QStringLiteral("Siena"), QStringLiteral("Asti")}));
        QCOMPARE(clienti.eof(), row < 0);
        QCOMPARE(clienti.recNo(), row < 0 ? 2 : row);
        QCOMPARE(clienti.bookmark(), mark);
        QCOMPARE(clienti.recordCount(), read);
    }

    void closedSetPrintsNothing() {
        TestFolder folder;
        DataSet clienti(folder.db(), QStringLiteral("Clienti"));
        clienti.setTable(QStringLiteral("Anagrafica"));
        DataSetSource src(clienti);
        QVERIFY(!src.isOpen());
        QVERIFY(src.eof());
        QVERIFY(src.isEmpty());
        QVERIFY(!src.first());
    }
};

QTEST_MAIN(TestReportData)
#include "tst_reportdata.moc"
