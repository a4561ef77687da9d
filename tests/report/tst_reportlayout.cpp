// Layout into pages: breaks, repeated headers, footers, keep-together, totals, roll paper.
#include <QtTest>

#include "common/format.h"
#include "report/engine.h"
#include "report/layout.h"
#include "reportfixtures.h"

using namespace report;

namespace {

const DrawOp* findOp(const PreparedPage& page, const QString& name, const QString& text = {}) {
    for (const DrawOp& op : page.ops)
        if (op.objectName == name && (text.isEmpty() || op.lines.join(QString()) == text))
            return &op;
    return nullptr;
}

QStringList texts(const PreparedPage& page, const QString& name) {
    QStringList out;
    for (const DrawOp& op : page.ops)
        if (op.objectName == name) out << op.lines.join(QString());
    return out;
}

}  // namespace

class TestReportLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    // Text too long for its box: lines as long as they can be, each within the box, no
    // character lost or cut in half (a letter and its accent, an emoji's two halves).
    void longWordsBreakIntoFittingLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");  // mm
        QTest::addColumn<bool>("oneWord");  // every line but the last filled to the brim
        QString letters;
        for (int i = 0; i < 10000; ++i) letters += QChar(u'A' + i % 26);
        QTest::newRow("one 10,000-letter word") << letters << 110.0 << true;
        QTest::newRow("accents as combining marks")
            << QStringLiteral("e\u0301a\u0300").repeated(300) << 40.0 << true;
        QTest::newRow("emoji") << QStringLiteral("\U0001F377").repeated(300) << 40.0 << true;
        QTest::newRow("words around a long word")
            << QStringLiteral("Prosecco ") + QString(500, u'X') + QStringLiteral(" Superiore DOCG")
            << 60.0 << false;
        QTest::newRow("box narrower than a letter") << QStringLiteral("WWWW") << 0.5 << true;
    }
    void longWordsBreakIntoFittingLines() {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(bool, oneWord);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(11);
        font.setBold(true);
        TextMeasure& tm = TextMeasure::instance();
        const QStringList lines = tm.breakLines(font, text, width, true);
        QVERIFY(lines.size() > 1);
        QString joined;
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            QVERIFY(!line.isEmpty());
            QVERIFY2(!line.front().isMark() && !line.front().isLowSurrogate(), qPrintable(line));
            QVERIFY(!line.back().isHighSurrogate());
            const int graphemes = QStringView(line).toUcs4().size();
            QVERIFY2(tm.width(font, line) <= width || graphemes == 1, qPrintable(line));
            if (oneWord && i + 1 < lines.size()) {
                // One more character of the next line would not have fitted.
                qsizetype next = 1;
                while (next < lines[i + 1].size() &&
                       (lines[i + 1][next].isMark() || lines[i + 1][next].isLowSurrogate()))
                    ++next;
                QVERIFY2(tm.width(font, line + lines[i + 1].left(next)) > width, qPrintable(line));
            }
            joined += line;
            if (!oneWord) joined += u' ';
        }
        QString all = text;
        if (!oneWord) {
            all.remove(u' ');
            joined.remove(u' ');
        }
        QCOMPARE(joined, all);
    }

    void pagination_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        // 25 mm of headers, rows of 5 mm down to 277 mm: 50 rows a page.
        QTest::newRow("empty") << 0 << 1;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("full page") << 50 << 1;
        QTest::newRow("one more") << 51 << 2;
        QTest::newRow("two full") << 100 << 2;
        QTest::newRow("many") << 1000 << 20;
    }

    void pagination() {
        QFETCH(int, rows);
        QFETCH(int, pages);
        MemoryDataSource clienti(QStringLiteral("Clienti"),
                                 {QStringLiteral("Nome"), QStringLiteral("Saldo")});
        fixtures::fillCustomers(clienti, rows);
        ReportEngine engine;
        engine.setReport(fixtures::customerList());
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.dataSources().add(&clienti);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        const auto out = fixtures::pagesOf(engine.prepared());
        QCOMPARE(int(out.size()), pages);
        int printed = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            const PreparedPage& page = out[i];
            QCOMPARE(page.size, QSizeF(210, 297));
            QVERIFY(findOp(page, QStringLiteral("Titolo"), QStringLiteral("Lista clienti")));
            // The column header repeats on every page that has rows.
            QCOMPARE(bool(findOp(page, QStringLiteral("ColNome"))), rows > 0);
            // The page footer sits at the bottom with the final page count.
            const DrawOp* foot = findOp(page, QStringLiteral("NumPag"));
            QVERIFY(foot);
            QCOMPARE(foot->rect.top(), 297.0 - 10 - 10 + 2);
            QCOMPARE(foot->lines.join(QString()),
                     QStringLiteral("Pagina %1 di %2").arg(i + 1).arg(pages));
            const QStringList names = texts(page, QStringLiteral("Nome"));
            for (const QString& n : names) QCOMPARE(n, QStringLiteral("Cliente %1").arg(++printed));
            // Nothing runs into the footer.
            for (const DrawOp& op : page.ops)
                if (op.objectName == QLatin1String("Nome"))
                    QVERIFY(op.rect.bottom() <= 277.0 + 1e-6);
        }
        QCOMPARE(printed, rows);
    }

    void keepTogether_data() {
        QTest::addColumn<bool>("keep");
        QTest::newRow("kept") << true;
        QTest::newRow("not kept") << false;
    }

    // Orders of 9 mm with three 5 mm lines each: 24 mm blocks on 277 mm pages.
    void keepTogether() {
        QFETCH(bool, keep);
        MemoryDataSource ordini(QStringLiteral("Ordini"), {QStringLiteral("Id")});
        MemoryDataSource righe(QStringLiteral("righe"),
                               {QStringLiteral("Ordine"), QStringLiteral("Desc")});
        for (int i = 1; i <= 30; ++i) {
            ordini.addRow({i});
            for (int j = 1; j <= 3; ++j) righe.addRow({i, QStringLiteral("%1.%2").arg(i).arg(j)});
        }
        righe.setMaster(&ordini, QStringLiteral("Id"), QStringLiteral("Ordine"));
        Report r;
        r.name = QStringLiteral("ordini");
        ReportPage p;
        Band m = fixtures::band(BandType::MasterData, QStringLiteral("Ordine"), 9,
                                QStringLiteral("Ordini"));
        m.keepTogether = keep;
        m.objects.push_back(
            fixtures::text(QStringLiteral("Id"), QStringLiteral("[Ordini.Id]"), {0, 0, 20, 5}));
        p.bands.push_back(m);
        Band d = fixtures::band(BandType::DetailData, QStringLiteral("Riga"), 5,
                                QStringLiteral("righe"));
        d.objects.push_back(
            fixtures::text(QStringLiteral("Desc"), QStringLiteral("[righe.Desc]"), {10, 0, 40, 5}));
        p.bands.push_back(d);
        Band df = fixtures::band(BandType::DetailFooter, QStringLiteral("Piede"), 0);
        df.objects.push_back(
            fixtures::text(QStringLiteral("Conta"), QStringLiteral("[COUNT()]"), {0, 0, 20, 0}));
        p.bands.push_back(df);
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&ordini);
        engine.dataSources().add(&righe);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        int split = 0;
        int lines = 0;
        for (const PreparedPage& page : fixtures::pagesOf(engine.prepared())) {
            const QStringList ids = texts(page, QStringLiteral("Id"));
            for (const QString& desc : texts(page, QStringLiteral("Desc"))) {
                ++lines;
                if (!ids.contains(desc.section(QLatin1Char('.'), 0, 0))) ++split;
            }
            for (const QString& c : texts(page, QStringLiteral("Conta")))
                QCOMPARE(c, QStringLiteral("3"));
        }
        QCOMPARE(lines, 90);
        QCOMPARE(split > 0, !keep);
        QCOMPARE(engine.prepared().count(), 3);
    }

    void totalsAndGroups() {
        MemoryDataSource righe(QStringLiteral("righe"),
                               {QStringLiteral("Iva"), QStringLiteral("Importo")});
        const QList<std::pair<int, double>> rows = {{4, 10}, {4, 5.5}, {10, 100},
                                                    {22, 1}, {22, 2},  {22, 3}};
        for (const auto& [iva, imp] : rows) righe.addRow({iva, imp});
        Report r;
        r.name = QStringLiteral("fattura");
        ReportPage p;
        Band gh = fixtures::band(BandType::GroupHeader, QStringLiteral("GruppoIva"), 5);
        gh.condition = QStringLiteral("[righe.Iva]");
        gh.objects.push_back(fixtures::text(QStringLiteral("Aliquota"),
                                            QStringLiteral("IVA [righe.Iva]"), {0, 0, 30, 5}));
        p.bands.push_back(gh);
        p.bands.push_back(fixtures::band(BandType::MasterData, QStringLiteral("Riga"), 5,
                                         QStringLiteral("righe")));
        Band gf = fixtures::band(BandType::GroupFooter, QStringLiteral("PiedeIva"), 5);
        ReportObject sub = fixtures::text(
            QStringLiteral("Subtotale"),
            QStringLiteral("[righe.Iva]: [SUM(righe.Importo)] / [COUNT()]"), {0, 0, 60, 5});
        sub.displayFormat = QStringLiteral("0.00");
        gf.objects.push_back(sub);
        p.bands.push_back(gf);
        Band s = fixtures::band(BandType::Summary, QStringLiteral("Totali"), 5);
        s.objects.push_back(
            fixtures::text(QStringLiteral("Totale"),
                           QStringLiteral("[FORMATFLOAT('0.00'; SUM(righe.Importo))] [COUNT()] "
                                          "[MAX(righe.Importo)] [AVG(righe.Iva)]"),
                           {0, 0, 100, 5}));
        p.bands.push_back(s);
        r.pages.push_back(p);
        righe.setCurrent(4);
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&righe);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        const PreparedPage page = *engine.prepared().at(0);
        QCOMPARE(texts(page, QStringLiteral("Aliquota")),
                 QStringList({QStringLiteral("IVA 4"), QStringLiteral("IVA 10"),
                              QStringLiteral("IVA 22")}));
        QCOMPARE(texts(page, QStringLiteral("Subtotale")),
                 QStringList({QStringLiteral("4,00: 15,50 / 2,00"),
                              QStringLiteral("10,00: 100,00 / 1,00"),
                              QStringLiteral("22,00: 6,00 / 3,00")}));
        QCOMPARE(texts(page, QStringLiteral("Totale")),
                 QStringList(QStringLiteral("121,50 6 100 14")));
        QCOMPARE(righe.current(), 4);  // left where it was found
    }

    void masterDetailPositionsKept() {
        MemoryDataSource fatture(QStringLiteral("Fatture"), {QStringLiteral("Num")});
        MemoryDataSource righe(QStringLiteral("righe"),
                               {QStringLiteral("Num"), QStringLiteral("Q")});
        for (int i = 1; i <= 3; ++i) {
            fatture.addRow({i});
            for (int j = 0; j < i; ++j) righe.addRow({i, j});
        }
        righe.setMaster(&fatture, QStringLiteral("Num"), QStringLiteral("Num"));
        fatture.setCurrent(2);
        righe.setCurrent(1);
        Report r;
        ReportPage p;
        p.bands.push_back(fixtures::band(BandType::MasterData, QStringLiteral("F"), 5,
                                         QStringLiteral("Fatture")));
        p.bands.push_back(
            fixtures::band(BandType::DetailData, QStringLiteral("R"), 5, QStringLiteral("righe")));
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&fatture);
        engine.dataSources().add(&righe);
        QVERIFY(engine.prepare());
        QCOMPARE(fatture.current(), 2);
        QCOMPARE(righe.current(), 1);
        QCOMPARE(righe.value(QStringLiteral("Q")).toInt(), 1);
    }

    void totalPagesInsideExpression() {
        MemoryDataSource clienti(QStringLiteral("Clienti"),
                                 {QStringLiteral("Nome"), QStringLiteral("Saldo")});
        fixtures::fillCustomers(clienti, 120);
        Report r = fixtures::customerList();
        r.pages[0].bands[3].objects[0].text =
            QStringLiteral("[IF([PAGE#] = [TOTALPAGES]; 'Ultima'; 'Segue')]");
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&clienti);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        QStringList got;
        for (const PreparedPage& page : fixtures::pagesOf(engine.prepared()))
            got << texts(page, QStringLiteral("NumPag"));
        QCOMPARE(got, QStringList({QStringLiteral("Segue"), QStringLiteral("Segue"),
                                   QStringLiteral("Ultima")}));
    }

    void endlessRollAsTallAsContent_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<double>("height");
        // 3 mm margins, 20 mm heading, 5 mm lines, 10 mm total, 4 mm footer.
        QTest::newRow("one line") << 1 << 3 + 20 + 5 + 10 + 4 + 3.0;
        QTest::newRow("eighty lines") << 80 << 3 + 20 + 400 + 10 + 4 + 3.0;
    }

    void endlessRollAsTallAsContent() {
        QFETCH(int, lines);
        QFETCH(double, height);
        MemoryDataSource righe(QStringLiteral("appoggio_R"), {QStringLiteral("Desc")});
        for (int i = 0; i < lines; ++i) righe.addRow({QStringLiteral("Vino %1").arg(i)});
        Report r;
        ReportPage p;
        p.paperWidth = 80;
        p.paperHeight = 100;
        p.endless = true;
        p.marginLeft = p.marginTop = p.marginRight = p.marginBottom = 3;
        p.bands.push_back(fixtures::band(BandType::ReportTitle, QStringLiteral("Testa"), 20));
        Band d = fixtures::band(BandType::MasterData, QStringLiteral("Righe"), 5,
                                QStringLiteral("appoggio_R"));
        d.objects.push_back(fixtures::text(QStringLiteral("Desc"),
                                           QStringLiteral("[appoggio_R.Desc]"), {0, 0, 74, 5}));
        p.bands.push_back(d);
        p.bands.push_back(fixtures::band(BandType::Summary, QStringLiteral("Totale"), 10));
        Band f = fixtures::band(BandType::PageFooter, QStringLiteral("Piede"), 4);
        f.objects.push_back(
            fixtures::text(QStringLiteral("Fine"), QStringLiteral("Grazie"), {0, 0, 74, 4}));
        p.bands.push_back(f);
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&righe);
        QVERIFY2(engine.prepare(), qPrintable(engine.errorString()));
        QCOMPARE(engine.prepared().count(), 1);
        const PreparedPage page = *engine.prepared().at(0);
        QCOMPARE(page.size.width(), 80.0);
        QVERIFY2(qAbs(page.size.height() - height) < 1e-6,
                 qPrintable(QString::number(page.size.height())));
        QCOMPARE(texts(page, QStringLiteral("Desc")).size(), lines);
        QCOMPARE(findOp(page, QStringLiteral("Fine"))->rect.bottom(), height - 3);
    }

    void growingTextPushesBand() {
        Report r;
        ReportPage p;
        Band b = fixtures::band(BandType::MasterData, QStringLiteral("Dati"), 5);
        b.growToFit = true;
        ReportObject o =
            fixtures::text(QStringLiteral("Note"),
                           QStringLiteral("uno due tre quattro cinque sei sette otto nove dieci "
                                          "undici dodici tredici quattordici"),
                           {0, 0, 25, 5});
        o.wordWrap = o.growToFit = true;
        b.objects.push_back(o);
        p.bands.push_back(b);
        Band after = fixtures::band(BandType::Summary, QStringLiteral("Dopo"), 5);
        after.objects.push_back(
            fixtures::text(QStringLiteral("Dopo"), QStringLiteral("x"), {0, 0, 10, 5}));
        p.bands.push_back(after);
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        QVERIFY(engine.prepare());
        const PreparedPage page = *engine.prepared().at(0);
        const DrawOp* note = findOp(page, QStringLiteral("Note"));
        QVERIFY(note->lines.size() >= 3);
        for (const QString& line : note->lines) QVERIFY(!line.isEmpty());
        QCOMPARE(note->lines.join(QLatin1Char(' ')), o.text);
        QVERIFY(note->rect.height() > 5);
        QCOMPARE(findOp(page, QStringLiteral("Dopo"))->rect.top(), note->rect.bottom());
    }

    void barcodes_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("error");
        QTest::newRow("code128") << int(BarcodeType::Code128) << "12345"
                                 << "";
        QTest::newRow("ean13 computed") << int(BarcodeType::Ean13) << "800123456789"
                                        << "";
        QTest::newRow("ean13 right check") << int(BarcodeType::Ean13) << "8001234567897"
                                           << "";
        QTest::newRow("ean13 bad check") << int(BarcodeType::Ean13) << "8001234567890"
                                         << "8001234567890";
        QTest::newRow("ean13 letters") << int(BarcodeType::Ean13) << "80012345678A"
                                       << "cifre";
        QTest::newRow("ean13 short") << int(BarcodeType::Ean13) << "123"
                                     << "12 o 13";
    }

    void barcodes() {
        QFETCH(int, type);
        QFETCH(QString, data);
        QFETCH(QString, error);
        Report r;
        r.name = QStringLiteral("barcode");
        ReportPage p;
        Band b = fixtures::band(BandType::MasterData, QStringLiteral("Etichetta"), 20);
        ReportObject bc;
        bc.kind = ObjectKind::Barcode;
        bc.name = QStringLiteral("Codice");
        bc.barcodeType = BarcodeType(type);
        bc.text = data;
        bc.geometry = {0, 0, 50, 20};
        b.objects.push_back(bc);
        p.bands.push_back(b);
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        const bool ok = engine.prepare();
        if (error.isEmpty()) {
            QVERIFY2(ok, qPrintable(engine.errorString()));
            const DrawOp op = engine.prepared().at(0)->ops.at(0);
            QVERIFY(op.bars.size() > 10);
            QVERIFY(op.symbolSize.width() > 30);
            // Bars start on whole modules: their edges are integers in module units.
            for (const QRectF& bar : op.bars) QCOMPARE(bar.x(), std::round(bar.x()));
        } else {
            QVERIFY(!ok);
            QVERIFY2(engine.errorString().contains(QStringLiteral("\"Codice\"")),
                     qPrintable(engine.errorString()));
            QVERIFY2(engine.errorString().contains(error), qPrintable(engine.errorString()));
        }
    }

    void objectTextAndPages() {
        Report r = fixtures::customerList();
        ReportPage second = r.pages[0];
        second.name = QStringLiteral("Pagina2");
        r.pages.push_back(second);
        ReportEngine engine;
        engine.setReport(r, QStringLiteral("/x/fattura_imm.frf"));
        QVERIFY(
            engine.setObjectText(QStringLiteral("colnome"), QStringLiteral("Nota di accredito")));
        QCOMPARE(engine.report().findObject(QStringLiteral("ColNome"))->text,
                 QStringLiteral("Nota di accredito"));
        QVERIFY(!engine.setObjectText(QStringLiteral("Fatt"), QStringLiteral("x")));
        QVERIFY(engine.errorString().contains(QStringLiteral("\"Fatt\"")));
        QVERIFY(engine.errorString().contains(QStringLiteral("\"fattura_imm\"")));
        QVERIFY(!engine.deletePage(2));
        QVERIFY(engine.deletePage(1));
        QCOMPARE(engine.report().pages.size(), size_t(1));
        QCOMPARE(engine.report().pages[0].name, QStringLiteral("Pagina1"));
    }

    // The watcher hears of every page with the share done rising to the end; stopping it ends
    // the preparation without an error and gives the cursor back. With the page count inside a
    // computation the first pass is the first half of the work.
    void progressAndCancel_data() {
        QTest::addColumn<bool>("twoPasses");
        QTest::addColumn<int>("stopAtPage");  // 0 = never
        QTest::addColumn<bool>("inSecondPass");
        QTest::newRow("watched to the end") << false << 0 << false;
        QTest::newRow("two passes") << true << 0 << false;
        QTest::newRow("stopped at page 3") << false << 3 << false;
        QTest::newRow("stopped in the second pass") << true << 2 << true;
    }
    void progressAndCancel() {
        QFETCH(bool, twoPasses);
        QFETCH(int, stopAtPage);
        QFETCH(bool, inSecondPass);
        struct Watcher : LayoutProgress {
            int stopAt = 0;
            bool inSecond = false;
            int secondStart = -1;  // index of the first report of the second pass
            QList<int> pages;
            QList<double> done;
            bool report(int p, double d) override {
                if (!pages.isEmpty() && p < pages.last() && secondStart < 0)
                    secondStart = int(pages.size());
                pages << p;
                done << d;
                const bool there = p >= stopAt && (!inSecond || secondStart >= 0);
                return stopAt == 0 || !there;
            }
        } watcher;
        watcher.stopAt = stopAtPage;
        watcher.inSecond = inSecondPass;
        MemoryDataSource clienti(QStringLiteral("Clienti"),
                                 {QStringLiteral("Nome"), QStringLiteral("Saldo")});
        fixtures::fillCustomers(clienti, 200);
        clienti.setCurrent(7);
        Report r = fixtures::customerList();
        if (twoPasses)
            r.pages[0].bands[3].objects[0].text =
                QStringLiteral("[IF([PAGE#] = [TOTALPAGES]; 'Ultima'; 'Segue')]");
        ReportEngine engine;
        engine.setReport(r);
        engine.dataSources().add(&clienti);
        engine.setProgress(&watcher);
        const bool ok = engine.prepare();
        QCOMPARE(ok, stopAtPage == 0);
        QCOMPARE(engine.wasCancelled(), stopAtPage != 0);
        QCOMPARE(clienti.current(), 7);
        for (int i = 1; i < watcher.done.size(); ++i)
            QVERIFY2(watcher.done[i] >= watcher.done[i - 1], "the share done never goes back");
        QCOMPARE(watcher.secondStart >= 0, twoPasses);
        if (twoPasses) QCOMPARE(watcher.done[watcher.secondStart], 0.5);
        if (!ok) {
            QVERIFY(engine.errorString().isEmpty());
            QCOMPARE(watcher.pages.last(), stopAtPage);
            return;
        }
        QVERIFY(watcher.done.last() > 0.9 && watcher.done.last() <= 1.0);
        QCOMPARE(watcher.pages.last(), engine.pageCount());
    }
};

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
