// Prepared pages packed and read back: every drawing operation comes back as laid out and
// paints the same, from memory and from the temporary file, and a page that cannot be kept
// stops the preparation with a message instead of going missing.
#include <sys/resource.h>
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

#include "common/format.h"
#include "report/engine.h"
#include "report/painter.h"
#include "reportfixtures.h"

using namespace report;
using fixtures::text;

namespace {

ReportObject object(ObjectKind kind, const QString& name, QRectF geometry) {
    ReportObject o = text(name, {}, geometry);
    o.kind = kind;
    return o;
}

QByteArray png(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// A picture with transparency and one with a palette, both with detail a resampling would blur.
QImage picture(bool indexed) {
    QImage img(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgba(x * 7, y * 11, (x ^ y) * 9, (x + y) % 3 ? 255 : 60));
    return indexed ? img.convertToFormat(QImage::Format_Indexed8) : img;
}

// The customer list with its "Pagina N di M", or rows with every kind of drawing: wrapped
// styled text, frames, colours, lines, rectangles, a picture on every page and one per row,
// barcodes. Rows enough for several pages.
struct Case {
    Report report = fixtures::customerList();
    std::unique_ptr<MemoryDataSource> rows;
    QTemporaryDir folder;  // the template's folder, with its picture

    explicit Case(bool everything) {
        rows = std::make_unique<MemoryDataSource>(
            QStringLiteral("Righe"),
            QStringList{QStringLiteral("Nome"), QStringLiteral("Codice"), QStringLiteral("Foto")});
        const QByteArray photos[] = {png(picture(true)), png(picture(false))};
        for (int i = 1; i <= 150; ++i)
            rows->addRow({QStringLiteral("Vino %1 con un nome lungo che va a capo").arg(i),
                          QStringLiteral("800%1").arg(i, 9, 10, QLatin1Char('0')), photos[i % 2]});
        ReportPage& p = report.pages[0];
        Band& row = p.bands[2];
        row.dataSource = QStringLiteral("Righe");
        row.objects[0].text = QStringLiteral("[Righe.Nome]");
        row.objects[1].text = QStringLiteral("[LINE#]");
        if (!everything) return;
        row.height = 20;
        ReportObject& name = row.objects[0];
        name.wordWrap = true;
        name.geometry = {0, 0, 40, 12};
        name.bold = name.italic = name.underline = true;
        name.hAlign = HAlign::Center;
        name.vAlign = VAlign::Bottom;
        name.textColor = QColor(0x80, 0x10, 0x20);
        name.fillColor = QColor(255, 255, 200, 128);
        name.frame = {true, false, false, true, 0.6, QColor(Qt::blue)};
        row.objects[1].hAlign = HAlign::Right;
        ReportObject line = object(ObjectKind::Line, QStringLiteral("Riga"), {45, 19, 100, 0});
        line.lineWidth = 0.35;
        line.lineColor = QColor::fromHsv(200, 255, 128);
        ReportObject box = object(ObjectKind::Rectangle, QStringLiteral("Box"), {40, 1, 8, 9});
        box.fillColor = QColor(Qt::green).lighter(150);
        picture(false).save(folder.filePath(QStringLiteral("logo.png")));
        ReportObject logo = object(ObjectKind::Picture, QStringLiteral("Logo"), {150, 0, 30, 10});
        logo.pictureFile = QStringLiteral("logo.png");
        p.bands[0].objects.push_back(logo);
        ReportObject photo = object(ObjectKind::Picture, QStringLiteral("Foto"), {50, 0, 30, 18});
        photo.pictureField = QStringLiteral("[Righe.Foto]");
        photo.keepAspect = false;
        photo.frame = {true, true, true, true, 0.2, QColor(Qt::red)};
        ReportObject ean = object(ObjectKind::Barcode, QStringLiteral("Ean"), {90, 0, 40, 18});
        ean.barcodeType = BarcodeType::Ean13;
        ean.text = QStringLiteral("[Righe.Codice]");
        ReportObject code = object(ObjectKind::Barcode, QStringLiteral("Code"), {140, 0, 50, 12});
        code.text = QStringLiteral("R[LINE#]-[Righe.Nome]");
        code.showText = false;
        for (const ReportObject& o : {line, box, photo, ean, code}) row.objects.push_back(o);
    }

    void attach(ReportEngine& engine) {
        engine.setReport(report, folder.filePath(QStringLiteral("prova.frf")));
        engine.setTitle(QStringLiteral("Prova"));
        engine.setCurrentTime(QDateTime(QDate(2026, 3, 14), QTime(9, 30)));
        engine.dataSources().add(rows.get());
    }

    // The pages as the layout gives them, none packed.
    PreparedReport whole() {
        ReportEngine engine;
        attach(engine);
        PreparedReport out;
        QString error;
        if (!layoutReport(engine.layoutInput(), &out, &error)) qWarning() << error;
        return out;
    }
};

// The first field in which two operations differ, empty when none does.
QString difference(const DrawOp& a, const DrawOp& b) {
    const auto barTexts = [](const DrawOp& op) {
        QStringList out;
        for (const auto& t : op.barTexts)
            out << QStringLiteral("%1,%2,%3,%4")
                       .arg(t.pos.x())
                       .arg(t.pos.y())
                       .arg(t.size)
                       .arg(t.text);
        return out;
    };
    const std::pair<const char*, bool> fields[] = {
        {"kind", a.kind == b.kind},
        {"rect", a.rect == b.rect},
        {"objectName", a.objectName == b.objectName},
        {"lines", a.lines == b.lines},
        {"font", a.fontFamily == b.fontFamily && a.fontSize == b.fontSize},
        {"style", a.bold == b.bold && a.italic == b.italic && a.underline == b.underline},
        {"align", a.hAlign == b.hAlign && a.vAlign == b.vAlign},
        {"lineHeight", a.lineHeight == b.lineHeight},
        {"colours",
         a.textColor == b.textColor && a.fillColor == b.fillColor && a.lineColor == b.lineColor},
        {"frame", a.frame == b.frame},
        {"lineWidth", a.lineWidth == b.lineWidth},
        {"image", a.image == b.image && a.image.format() == b.image.format() &&
                      a.image.colorTable() == b.image.colorTable()},
        {"keepAspect", a.keepAspect == b.keepAspect},
        {"bars", a.bars == b.bars && a.symbolSize == b.symbolSize},
        {"barTexts", barTexts(a) == barTexts(b)},
    };
    for (const auto& [name, same] : fields)
        if (!same) return QStringLiteral("%1 of \"%2\"").arg(QLatin1String(name), a.objectName);
    return {};
}

}  // namespace

class TestPageStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void roundTrip_data() {
        QTest::addColumn<bool>("everything");
        QTest::addColumn<qint64>("budget");  // bytes of packed pages kept in memory
        const qint64 all = PageStore::kDefaultMemoryBudget;
        QTest::newRow("texts, Pagina N di M, in memory") << false << all;
        QTest::newRow("texts, in the file") << false << qint64(0);
        QTest::newRow("every kind of drawing, in memory") << true << all;
        QTest::newRow("every kind of drawing, half in the file") << true << qint64(20000);
        QTest::newRow("every kind of drawing, in the file") << true << qint64(0);
    }
    void roundTrip() {
        QFETCH(bool, everything);
        QFETCH(qint64, budget);
        Case c(everything);
        const PreparedReport expected = c.whole();
        QVERIFY(expected.pages.size() >= 3);
        ReportEngine engine;
        c.attach(engine);
        engine.setPageMemory(budget);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        const PageStore& store = engine.prepared();
        QCOMPARE(store.count(), int(expected.pages.size()));
        QCOMPARE(store.fileBytes() > 0, budget < PageStore::kDefaultMemoryBudget);
        QVERIFY(store.memoryBytes() <= budget);
        QCOMPARE(store.memoryBytes() > 0, budget > 0);
        // Read back out of order, as scrolling does, and twice, once from the unpacked pages.
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = store.count() - 1; i >= 0; --i) {
                const auto page = store.at(i);
                QVERIFY2(page, qPrintable(store.errorString()));
                const PreparedPage& want = expected.pages[size_t(i)];
                QCOMPARE(page->size, want.size);
                QCOMPARE(store.pageSize(i), want.size);
                QCOMPARE(page->ops.size(), want.ops.size());
                for (size_t k = 0; k < want.ops.size(); ++k) {
                    const QString diff = difference(page->ops[k], want.ops[k]);
                    QVERIFY2(diff.isEmpty(),
                             qPrintable(
                                 QStringLiteral("page %1 op %2: %3").arg(i + 1).arg(k).arg(diff)));
                }
                if (pass == 0) QCOMPARE(renderPage(*page, 100), renderPage(want, 100));
            }
        }
        QVERIFY(!store.at(store.count()));
    }

    // No page is lost when the temporary file cannot be made or cannot grow: the preparation
    // fails with the reason, the rows keep their position and no file is left behind.
    void spillFails_data() {
        QTest::addColumn<bool>("fileTooBig");
        QTest::newRow("temporary folder missing") << false;
        QTest::newRow("file cannot grow (disk full)") << true;
    }
    void spillFails() {
        QFETCH(bool, fileTooBig);
        Case c(false);
        c.rows->setCurrent(4);
        ReportEngine engine;
        c.attach(engine);
        QVERIFY(engine.prepare());
        QTemporaryDir temp;
        engine.setPageMemory(2000,
                             fileTooBig ? temp.path() : temp.filePath(QStringLiteral("manca")));
        rlimit before{};
        if (fileTooBig) {
            // Writing past the limit fails as on a full disk; the signal would end the test.
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &before);
            rlimit small = before;
            small.rlim_cur = 1024;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        const bool ok = engine.prepare();
        if (fileTooBig) setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY(!ok);
        QVERIFY(!engine.isPrepared());
        QVERIFY(!engine.wasCancelled());
        QCOMPARE(engine.pageCount(), 0);
        QCOMPARE(c.rows->current(), 4);
        const QString why = fileTooBig ? QStringLiteral("Impossibile scrivere il file temporaneo")
                                       : QStringLiteral("Impossibile creare il file temporaneo");
        QVERIFY2(engine.errorString().startsWith(why), qPrintable(engine.errorString()));
        QVERIFY(engine.errorString().contains(QDir::toNativeSeparators(temp.path())));
        // Nothing left behind in the folder.
        QCOMPARE(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        // With room again, the same engine prepares.
        engine.setPageMemory(2000, temp.path());
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        QCOMPARE(engine.pageCount(), int(c.whole().pages.size()));
    }
};

QTEST_MAIN(TestPageStore)
#include "tst_pagestore.moc"
