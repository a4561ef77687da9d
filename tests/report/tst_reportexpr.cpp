// Expressions in texts, evaluated through the engine on in-memory data.
#include <QtTest>

#include "common/format.h"
#include "report/engine.h"
#include "reportfixtures.h"

using namespace report;

class TestReportExpr : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void evaluates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("literal") << "Totale: "
                                 << ""
                                 << "Totale: ";
        QTest::newRow("escaped bracket") << "[[nota]"
                                         << ""
                                         << "[nota]";
        QTest::newRow("quoted field") << "[Fatture.\"Ragione sociale\"]"
                                      << ""
                                      << "Rossi & C.";
        QTest::newRow("display text") << "[Fatture.Totale]"
                                      << ""
                                      << "1234,5";
        QTest::newRow("source display format") << "[Fatture.Imponibile]"
                                               << ""
                                               << "1.012,30";
        QTest::newRow("format 0.00") << "[Fatture.Totale]"
                                     << "0.00"
                                     << "1234,50";
        QTest::newRow("format #.###") << "[Fatture.Litri]"
                                      << "#.###"
                                      << "12,5";
        QTest::newRow("date") << "[Fatture.Data]"
                              << ""
                              << "05/03/2024";
        QTest::newRow("date format") << "[Fatture.Data]"
                                     << "dd/mm/yyyy"
                                     << "05/03/2024";
        QTest::newRow("DATE") << "[DATE]"
                              << ""
                              << "09/12/2026";
        QTest::newRow("TIME") << "[TIME]"
                              << ""
                              << "08:07";
        QTest::newRow("TITLE") << "Anteprima di [TITLE]"
                               << ""
                               << "Anteprima di Fattura";
        QTest::newRow("arithmetic") << "[Fatture.Totale * 2 - 1]"
                                    << "0.00"
                                    << "2468,00";
        QTest::newRow("precedence") << "[2 + 3 * 4]"
                                    << ""
                                    << "14";
        QTest::newRow("parentheses") << "[(2 + 3) * 4]"
                                     << ""
                                     << "20";
        QTest::newRow("unicode operators") << "[10 × 3 ÷ 4]"
                                           << ""
                                           << "7,5";
        QTest::newRow("unary minus") << "[-Fatture.Litri]"
                                     << "0.0"
                                     << "-12,5";
        QTest::newRow("concat &") << "[Fatture.Numero & '/' & 2024]"
                                  << ""
                                  << "17/2024";
        QTest::newRow("concat +") << "['N. ' + Fatture.Numero]"
                                  << ""
                                  << "N. 17";
        QTest::newRow("if true") << "[IF(Fatture.Totale > 1000; 'alto'; 'basso')]"
                                 << ""
                                 << "alto";
        QTest::newRow("if false comma") << "[IF(Fatture.Totale < 0, 'Nota', 'Fattura')]"
                                        << ""
                                        << "Fattura";
        QTest::newRow("if and/or") << "[IF(Fatture.Litri = 12.5 AND NOT (1 > 2); 'sì'; 'no')]"
                                   << ""
                                   << "sì";
        QTest::newRow("string compare") << "[IF(Fatture.Numero = '17'; 'x'; 'y')]"
                                        << ""
                                        << "x";
        QTest::newRow("null is empty") << "<[Fatture.Note]>"
                                       << ""
                                       << "<>";
        QTest::newRow("null in sum") << "[Fatture.Note + 1]"
                                     << ""
                                     << "1";
        QTest::newRow("formatfloat") << "[FORMATFLOAT('0.000'; 2)]"
                                     << ""
                                     << "2,000";
        QTest::newRow("upper") << "[UPPER(Fatture.Numero & 'a')]"
                               << ""
                               << "17A";
        QTest::newRow("nested brackets") << "[2 * [Fatture.Litri]]"
                                         << ""
                                         << "25";
        QTest::newRow("two expressions") << "[Fatture.Numero] del [Fatture.Data]"
                                         << ""
                                         << "17 del 05/03/2024";
    }

    void evaluates() {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QString error;
        const QString got = evaluateOne(text, format, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(got, expected);
    }

    void errorsNamed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown source") << "[Boh.Campo]"
                                        << "\"Boh\"";
        QTest::newRow("unknown field") << "[Fatture.Inesistente]"
                                       << "Fatture.Inesistente";
        QTest::newRow("unclosed") << "[Fatture.Totale"
                                  << "]";
        QTest::newRow("syntax") << "[1 +* 2]"
                                << "*";
        QTest::newRow("division by zero") << "[1 / 0]"
                                          << "zero";
        QTest::newRow("not a number") << "[Fatture.Numero * 'abc']"
                                      << "abc";
        QTest::newRow("if arity") << "[IF(1; 2)]"
                                  << "IF";
        QTest::newRow("sum in data band") << "[SUM(Fatture.Totale)]"
                                          << "SUM";
    }

    void errorsNamed() {
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QString error;
        evaluateOne(text, {}, &error);
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(QStringLiteral("\"prova\"")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("\"Testo\"")), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

private:
    // One text object on a data band without a source, so it prints once.
    static QString evaluateOne(const QString& text, const QString& format, QString* error) {
        MemoryDataSource fatture(
            QStringLiteral("Fatture"),
            {QStringLiteral("Ragione sociale"), QStringLiteral("Totale"),
             QStringLiteral("Imponibile"), QStringLiteral("Litri"), QStringLiteral("Data"),
             QStringLiteral("Numero"), QStringLiteral("Note")});
        fatture.addRow({QStringLiteral("Rossi & C."), 1234.5, 1012.3, 12.5,
                        QDateTime(QDate(2024, 3, 5), QTime(0, 0)), QStringLiteral("17"),
                        QVariant()});
        fatture.setDisplayFormat(QStringLiteral("Imponibile"), QStringLiteral("#,##0.00"));
        fatture.first();
        Report r;
        r.name = QStringLiteral("prova");
        ReportPage p;
        Band b = fixtures::band(BandType::MasterData, QStringLiteral("Dati"), 10);
        ReportObject o = fixtures::text(QStringLiteral("Testo"), text, {0, 0, 150, 8});
        o.displayFormat = format;
        b.objects.push_back(o);
        p.bands.push_back(b);
        r.pages.push_back(p);
        ReportEngine engine;
        engine.setReport(r);
        engine.setTitle(QStringLiteral("Fattura"));
        engine.setCurrentTime(QDateTime(QDate(2026, 12, 9), QTime(8, 7, 6)));
        engine.dataSources().add(&fatture);
        if (!engine.prepare()) {
            *error = engine.errorString();
            return {};
        }
        error->clear();
        const auto page = engine.prepared().at(0);
        for (const DrawOp& op : page->ops)
            if (op.objectName == QLatin1String("Testo")) return op.lines.join(QLatin1Char('\n'));
        return QStringLiteral("<no op>");
    }
};

QTEST_MAIN(TestReportExpr)
#include "tst_reportexpr.moc"
