// Template files: what is saved loads back unchanged, and bad files are refused by name.
#include <QTemporaryDir>
#include <QtTest>

#include "common/format.h"
#include "report/templatefile.h"
#include "reportfixtures.h"

using namespace report;

class TestReportFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void roundTripIsStable() {
        Report r = fixtures::customerList();
        // Every kind of object with non-default properties, and a second endless page.
        Band& data = r.pages[0].bands[2];
        ReportObject t = fixtures::text(QStringLiteral("Importo"),
                                        QStringLiteral("  [Clienti.Saldo] € <&> \"x\"\nriga 2  "),
                                        {10.5, 0.25, 30, 4.75});
        t.bold = t.italic = t.underline = t.wordWrap = t.growToFit = true;
        t.hAlign = HAlign::Right;
        t.vAlign = VAlign::Bottom;
        t.displayFormat = QStringLiteral("#.###");
        t.fillColor = QColor(200, 10, 10, 128);
        t.frame.left = t.frame.bottom = true;
        t.frame.width = 0.5;
        data.objects.push_back(t);
        ReportObject line;
        line.kind = ObjectKind::Line;
        line.name = QStringLiteral("Linea");
        line.geometry = {0, 4.9, 190, 0};
        line.lineWidth = 0.3;
        data.objects.push_back(line);
        ReportObject bc;
        bc.kind = ObjectKind::Barcode;
        bc.name = QStringLiteral("Codice");
        bc.barcodeType = BarcodeType::Ean13;
        bc.showText = false;
        bc.text = QStringLiteral("[prodotti.Auto_ID]");
        bc.geometry = {0, 0, 40, 15};
        data.objects.push_back(bc);
        ReportObject pic;
        pic.kind = ObjectKind::Picture;
        pic.name = QStringLiteral("Logo");
        pic.pictureFile = QStringLiteral("logo.png");
        pic.keepAspect = false;
        pic.geometry = {150, 0, 40, 20};
        data.objects.push_back(pic);
        data.keepTogether = data.startNewPage = data.printIfEmpty = data.growToFit = true;
        ReportPage roll;
        roll.name = QStringLiteral("Scontrino");
        roll.paperWidth = 80;
        roll.paperHeight = 200;
        roll.endless = true;
        roll.orientation = Orientation::Landscape;
        roll.marginLeft = 3;
        Band g = fixtures::band(BandType::GroupHeader, QStringLiteral("Gruppo"), 6);
        g.condition = QStringLiteral("righe.Codice_IVA");
        roll.bands.push_back(g);
        r.pages.push_back(roll);

        const QByteArray first = templateBytes(r);
        QBuffer buf;
        buf.setData(first);
        buf.open(QIODevice::ReadOnly);
        Report loaded;
        QString error;
        QVERIFY2(readTemplate(buf, &loaded, &error), qPrintable(error));
        QVERIFY(loaded == r);
        QCOMPARE(templateBytes(loaded), first);
    }

    void savesThroughFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("clienti.frf"));
        QString error;
        QVERIFY(saveTemplate(path, fixtures::customerList(), &error));
        Report loaded;
        QVERIFY2(loadTemplate(path, &loaded, &error), qPrintable(error));
        QCOMPARE(loaded.name, QStringLiteral("clienti"));
        QVERIFY(loaded == fixtures::customerList());
    }

    void badFilesRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not xml") << QByteArray("MZ\x90\x00 binary") << "";
        QTest::newRow("other xml") << QByteArray("<html><body/></html>") << "non è un modello";
        QTest::newRow("no version") << QByteArray("<report><page/></report>") << "versione";
        QTest::newRow("future version") << QByteArray("<report version=\"99\"/>") << "99";
        QTest::newRow("truncated")
            << QByteArray(
                   "<report version=\"1\"><page name=\"a\" width=\"210\" height=\"297\">"
                   "<band type=\"masterData\" name=\"b\" height=\"5\"><text name=\"t\"")
            << "";
        QTest::newRow("bad number")
            << QByteArray("<report version=\"1\"><page width=\"abc\" height=\"297\"/></report>")
            << "width";
        QTest::newRow("unknown band")
            << QByteArray(
                   "<report version=\"1\"><page width=\"210\" height=\"297\">"
                   "<band type=\"boh\" height=\"5\"/></page></report>")
            << "boh";
        QTest::newRow("unknown element")
            << QByteArray(
                   "<report version=\"1\"><page width=\"210\" height=\"297\">"
                   "<band type=\"summary\" height=\"5\"><script/></band></page></report>")
            << "script";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void badFilesRefused() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fattura.frf"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        Report r = fixtures::customerList();
        QString error;
        QVERIFY(!loadTemplate(path, &r, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("\"fattura\"")), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(r == fixtures::customerList());  // the report held before is untouched
    }

    void missingFileNamed() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stampe/nessuno.frf"));
        Report r;
        QString error;
        QVERIFY(!loadTemplate(path, &r, &error));
        QVERIFY(error.contains(path));
        QVERIFY(error.contains(QStringLiteral("\"nessuno\"")));
    }
};

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_reportfile.moc"
