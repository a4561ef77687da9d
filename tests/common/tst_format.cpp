#include "common/format.h"

#include <QRandomGenerator>
#include <QTest>
#include <clocale>
#include <cmath>

class TestFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void cleanup() { installItalianLocale(); }

    void formatFloat_data();
    void formatFloat();
    void formatFloatIgnoresDefaultLocale_data();
    void formatFloatIgnoresDefaultLocale();
    void formatFloatWithOtherLocale();
    void formatGeneral_data();
    void formatGeneral();
    void formatDateTime_data();
    void formatDateTime();
    void parseNumber_data();
    void parseNumber();
    void fastFormatsAgree();
};

void TestFormat::formatFloat_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("money zero empty") << "0.00;;#" << 0.0 << "";
    QTest::newRow("money") << "0.00;;#" << 1.5 << "1,50";
    QTest::newRow("money negative") << "0.00;;#" << -2.0 << "-2,00";
    QTest::newRow("money rounds to zero") << "0.00;;#" << 0.004 << "";
    QTest::newRow("money negative rounds to zero") << "0.00;;#" << -0.004 << "";
    QTest::newRow("money half up") << "0.00;;#" << 0.125 << "0,13";
    QTest::newRow("money half away negative") << "0.00;;#" << -0.125 << "-0,13";
    QTest::newRow("decimal not binary 1.005") << "0.00" << 1.005 << "1,01";
    QTest::newRow("decimal not binary 2.675") << "0.00" << 2.675 << "2,68";
    QTest::newRow("money large no grouping") << "0.00;;#" << 1234567.891 << "1234567,89";

    QTest::newRow("sharp 12.5") << "#.###" << 12.5 << "12,5";
    QTest::newRow("sharp zero") << "#.###" << 0.0 << "";
    QTest::newRow("sharp integer") << "#.###" << 7.0 << "7";
    QTest::newRow("sharp fraction only") << "#.###" << 0.5 << ",5";
    QTest::newRow("sharp rounds") << "#.###" << 1.23456 << "1,235";
    QTest::newRow("sharp negative") << "#.###" << -3.25 << "-3,25";
    QTest::newRow("sharp tiny") << "#.###" << 0.0004 << "";
    QTest::newRow("sharp alone") << "#" << 0.0 << "";
    QTest::newRow("sharp alone 42") << "#" << 42.4 << "42";

    QTest::newRow("stock zero") << "0.###" << 0.0 << "0";
    QTest::newRow("stock 12.5") << "0.###" << 12.5 << "12,5";
    QTest::newRow("stock minus quarter") << "0.###" << -0.25 << "-0,25";
    QTest::newRow("stock rounds") << "0.###" << 10.00049 << "10";
    QTest::newRow("stock rounds up") << "0.###" << 9.9995 << "10";
    QTest::newRow("stock negative to zero") << "0.###" << -0.0001 << "0";

    QTest::newRow("six digits") << "000000" << 7.0 << "000007";
    QTest::newRow("six digits rounding") << "000000" << 41.5 << "000042";
    QTest::newRow("six digits overflow") << "000000" << 1234567.0 << "1234567";
    QTest::newRow("seventeen digits") << "00000000000000000" << 123.0 << "00000000000000123";
    QTest::newRow("fixed numero") << "000000.000" << 1234.5 << "001234,500";

    QTest::newRow("euro") << "0.00 €;;#" << 3.0 << "3,00 €";
    QTest::newRow("euro zero") << "0.00 €;;#" << 0.0 << "";
    QTest::newRow("euro negative") << "0.00 €;;#" << -1.5 << "-1,50 €";
    QTest::newRow("litres") << "0.000;;#" << 2.5 << "2,500";
    QTest::newRow("litres zero") << "0.000;;#" << 0.0 << "";

    QTest::newRow("grouping") << "#,##0.00" << 1234567.5 << "1.234.567,50";
    QTest::newRow("grouping small") << "#,##0.00" << 12.0 << "12,00";
    QTest::newRow("grouping thousand") << "#,##0" << 1000.0 << "1.000";
    QTest::newRow("negative section") << "0.00;(0.00)" << -4.0 << "(4,00)";
    QTest::newRow("two sections zero") << "0.00;(0.00)" << 0.0 << "0,00";
    QTest::newRow("zero section text") << "0;-0;'nulla'" << 0.0 << "nulla";
    QTest::newRow("quoted digits") << "'N. 0'0" << 5.0 << "N. 05";
    QTest::newRow("quoted semicolon") << "0\";\"0" << 12.0 << "1;2";
    QTest::newRow("literal between digits") << "000-000" << 1234.0 << "001-234";
}

void TestFormat::formatFloat() {
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(::formatFloat(pattern, value), expected);
}

void TestFormat::formatFloatIgnoresDefaultLocale_data() {
    QTest::addColumn<QLocale>("defaultLocale");
    QTest::newRow("C") << QLocale(QLocale::C);
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
}

// The program writes Italian whatever the machine's locale says.
void TestFormat::formatFloatIgnoresDefaultLocale() {
    QFETCH(QLocale, defaultLocale);
    QLocale::setDefault(defaultLocale);
    std::setlocale(LC_ALL, "C");
    QCOMPARE(::formatFloat(QStringLiteral("0.00"), 1234.5), QStringLiteral("1234,50"));
    QCOMPARE(::formatFloat(QStringLiteral("#,##0.###"), 1234.5), QStringLiteral("1.234,5"));
    QCOMPARE(::formatGeneral(0.1), QStringLiteral("0,1"));
    double v = 0;
    QVERIFY(::parseNumber(QStringLiteral("1,25"), &v));
    QCOMPARE(v, 1.25);
}

void TestFormat::formatFloatWithOtherLocale() {
    const QLocale c = QLocale::c();
    QCOMPARE(::formatFloat(QStringLiteral("0.###"), -0.25, c), QStringLiteral("-0.25"));
    QCOMPARE(::formatFloat(QStringLiteral("#,##0.00"), 1234.5, c), QStringLiteral("1,234.50"));
}

void TestFormat::formatGeneral_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("integer") << 12.0 << "12";
    QTest::newRow("fraction") << 1234.5 << "1234,5";
    QTest::newRow("tenth") << 0.1 << "0,1";
    QTest::newRow("binary noise hidden") << 0.1 + 0.2 << "0,3";
    QTest::newRow("negative") << -7.25 << "-7,25";
    QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("huge") << 1e20 << "1E20";
    QTest::newRow("huge fraction") << 1.5e20 << "1,5E20";
    QTest::newRow("small fixed") << 0.00001 << "0,00001";
    QTest::newRow("tiny") << 1.5e-7 << "1,5E-7";
}

void TestFormat::formatGeneral() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(::formatGeneral(value), expected);
}

void TestFormat::formatDateTime_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");
    const QDateTime t(QDate(2017, 1, 31), QTime(18, 5, 9));
    const QDateTime early(QDate(2024, 3, 4), QTime(7, 8, 0));
    QTest::newRow("date") << "dd/mm/yyyy" << t << "31/01/2017";
    QTest::newRow("date padded") << "dd/mm/yyyy" << early << "04/03/2024";
    QTest::newRow("date time") << "dd/mm/yyyy hh:nn" << t << "31/01/2017 18:05";
    QTest::newRow("mm after hh is minutes") << "dd/mm/yyyy hh:mm" << early << "04/03/2024 07:08";
    QTest::newRow("file name") << "yyyy_mm_dd_hh_nn" << t << "2017_01_31_18_05";
    QTest::newRow("stamp") << "yyyymmddhhnnss" << t << "20170131180509";
    QTest::newRow("compact") << "yyyymmdd" << early << "20240304";
    QTest::newRow("iso") << "yyyy-mm-dd" << t << "2017-01-31";
    QTest::newRow("short tokens") << "d/m/yy h:n:s" << early << "4/3/24 7:8:0";
    QTest::newRow("upper case tokens") << "DD/MM/YYYY" << t << "31/01/2017";
    QTest::newRow("quoted text") << "'ore' hh" << t << "ore 18";
    QTest::newRow("invalid") << "dd/mm/yyyy" << QDateTime() << "";
}

void TestFormat::formatDateTime() {
    QFETCH(QString, pattern);
    QFETCH(QDateTime, value);
    QFETCH(QString, expected);
    QCOMPARE(::formatDateTime(pattern, value), expected);
}

void TestFormat::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");
    QTest::newRow("comma") << "1,5" << true << 1.5;
    QTest::newRow("point") << "1.5" << true << 1.5;
    QTest::newRow("integer") << "42" << true << 42.0;
    QTest::newRow("negative") << "-2,25" << true << -2.25;
    QTest::newRow("plus") << "+3" << true << 3.0;
    QTest::newRow("blanks around") << "  7,1 " << true << 7.1;
    QTest::newRow("leading separator") << ",5" << true << 0.5;
    QTest::newRow("negative leading separator") << "-,5" << true << -0.5;
    QTest::newRow("trailing separator") << "5," << true << 5.0;
    QTest::newRow("grouping refused") << "1.234,5" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("separator only") << "," << false << 0.0;
    QTest::newRow("letters") << "12a" << false << 0.0;
    QTest::newRow("inner blank") << "1 000" << false << 0.0;
}

void TestFormat::parseNumber() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    double value = -999;
    QCOMPARE(::parseNumber(text, &value), ok);
    if (ok)
        QCOMPARE(value, expected);
    else
        QCOMPARE(value, -999.0);  // left untouched
}

// The quick byte formats of the export files write what the general routines write, also for
// values a hair from a half and for magnitudes where 15 significant digits cut the integer.
void TestFormat::fastFormatsAgree() {
    QList<double> values{0.0,
                         -0.0,
                         0.75,
                         12.5,
                         1000.0,
                         -2.5,
                         0.1 + 0.2,
                         1e-5,
                         1.5e-7,
                         1e20,
                         1.5e20,
                         0.5,
                         -0.5,
                         2.5,
                         1234.5678,
                         123456789012345.0,
                         99999999999999.5,
                         1e14 + 0.5,
                         4503599627370495.5,
                         7.4 / 0.75,
                         9.0 / 0.75,
                         0.3 / 0.1};
    // Litres given to the thousandth and to the hundred-thousandth, times 100000 as stored in
    // the registry file: the halves of the second kind fall either side of .5 in binary.
    for (int i = -3000; i <= 3000; ++i) values << i * 0.001 << i * 0.00001 + 0.000005;
    QRandomGenerator rng(13);
    for (int i = 0; i < 5000; ++i) {
        const double magnitude = std::pow(10.0, rng.bounded(-6, 16));
        values << (rng.generateDouble() - 0.5) * magnitude;
        values << std::round(rng.generateDouble() * magnitude) / 100000 + 0.000005;
    }
    for (double v : values) {
        for (int digits : {9, 10, 17}) {
            const double x = digits == 17 ? v * 100000 : v;
            QCOMPARE(formatZeroPadded(x, digits),
                     ::formatFloat(QString(digits, QLatin1Char('0')), x).toLatin1());
        }
        QCOMPARE(formatGeneralLatin1(v), ::formatGeneral(v).toLatin1());
    }
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
