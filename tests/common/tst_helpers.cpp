#include "common/format.h"
#include "common/helpers.h"

#include <QTest>

class TestHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void cleanup() { installItalianLocale(); }

    void novirgola_data();
    void novirgola();
    void looklist_data();
    void looklist();
    void segno_data();
    void segno();
    void terna_data();
    void terna();
    void numero_data();
    void numero();
    void numeroIgnoresDefaultLocale_data();
    void numeroIgnoresDefaultLocale();
    void litri();
};

void TestHelpers::novirgola_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every comma") << "1.234,5"
                                 << "1.234.5";
    QTest::newRow("several") << ",1,2,"
                             << ".1.2.";
    QTest::newRow("none") << "12"
                          << "12";
    QTest::newRow("empty") << ""
                           << "";
}

void TestHelpers::novirgola() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::novirgola(text), expected);
}

void TestHelpers::looklist_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    const QStringList printers{"Ufficio A", "Banco scontrini", "Ufficio B"};
    QTest::newRow("first of two") << printers << "Ufficio" << 0;
    QTest::newRow("second") << printers << "Banco" << 1;
    QTest::newRow("empty text") << printers << "" << 0;
    QTest::newRow("whole name") << printers << "Ufficio B" << 2;
    QTest::newRow("case sensitive") << printers << "banco" << -1;
    QTest::newRow("longer than item") << printers << "Ufficio A4" << -1;
    QTest::newRow("not a prefix") << printers << "scontrini" << -1;
    QTest::newRow("empty list") << QStringList() << "Banco" << -1;
    QTest::newRow("empty list empty text") << QStringList() << "" << -1;
}

void TestHelpers::looklist() {
    QFETCH(QStringList, list);
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(::looklist(list, text), expected);
}

void TestHelpers::segno_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    QTest::newRow("zero") << 0.0 << 1.0;
    QTest::newRow("small negative") << -0.004 << -1.0;
    QTest::newRow("positive") << 12.5 << 1.0;
    QTest::newRow("negative") << -3.0 << -1.0;
}

void TestHelpers::segno() {
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(double(::segno(x)), expected);
}

void TestHelpers::terna_data() {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero no suffix") << "000"
                                    << "mila"
                                    << "";
    QTest::newRow("unomila") << "001"
                             << "mila"
                             << "mille";
    QTest::newRow("teens") << "017"
                           << ""
                           << "diciassette";
    QTest::newRow("ten") << "010"
                         << ""
                         << "dieci";
    QTest::newRow("hundred ten") << "110"
                                 << ""
                                 << "centodieci";
    QTest::newRow("no elision") << "981"
                                << ""
                                << "novecentoottantauno";
    QTest::newRow("tens only") << "040"
                               << "mila"
                               << "quarantamila";
    QTest::newRow("hundreds only") << "300"
                                   << ""
                                   << "trecento";
    QTest::newRow("one with other suffix") << "001"
                                           << ""
                                           << "uno";
    QTest::newRow("short text padded") << "5"
                                       << ""
                                       << "cinque";
}

void TestHelpers::terna() {
    QFETCH(QString, digits);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QCOMPARE(::terna_in_lettere(digits, suffix), expected);
}

void TestHelpers::numero_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 0.0 << "";
    QTest::newRow("0.5") << 0.5 << "/500";
    QTest::newRow("10") << 10.0 << "dieci";
    QTest::newRow("21") << 21.0 << "ventiuno";
    QTest::newRow("101") << 101.0 << "centouno";
    QTest::newRow("110") << 110.0 << "centodieci";
    QTest::newRow("1000") << 1000.0 << "mille";
    QTest::newRow("1001") << 1001.0 << "milleuno";
    QTest::newRow("1234.5") << 1234.5 << "milleduecentotrentaquattro/500";
    QTest::newRow("2000") << 2000.0 << "duemila";
    QTest::newRow("21000") << 21000.0 << "ventiunomila";
    QTest::newRow("100000") << 100000.0 << "centomila";
    QTest::newRow("999999.999") << 999999.999 << "novecentonovantanovemilanovecentonovantanove/999";
    QTest::newRow("1.0004") << 1.0004 << "uno";
    QTest::newRow("12.3456") << 12.3456 << "dodici/346";
    QTest::newRow("decimals carry") << 9.9996 << "dieci";
    QTest::newRow("just below a million") << 999999.9996 << "unmilione";
    QTest::newRow("a million") << 1000000.0 << "unmilione";
    QTest::newRow("millions") << 1234567.0
                              << "unmilioneduecentotrentaquattromilacinquecentosessantasette";
    QTest::newRow("two millions") << 2000001.0 << "duemilioniuno";
    QTest::newRow("a billion") << 1001000000.0 << "unmiliardounmilione";
    QTest::newRow("largest") << 999999999999.0
                             << "novecentonovantanovemiliardinovecentonovantanovemilioni"
                                "novecentonovantanovemilanovecentonovantanove";
    QTest::newRow("negative") << -21.5 << "meno ventiuno/500";
    QTest::newRow("negative rounding to zero") << -0.0004 << "";
}

void TestHelpers::numero() {
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(::numero_in_lettere(x), expected);
}

void TestHelpers::numeroIgnoresDefaultLocale_data() {
    QTest::addColumn<QLocale>("defaultLocale");
    QTest::newRow("C") << QLocale(QLocale::C);
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
}

void TestHelpers::numeroIgnoresDefaultLocale() {
    QFETCH(QLocale, defaultLocale);
    QLocale::setDefault(defaultLocale);
    QCOMPARE(::numero_in_lettere(1234.5), QStringLiteral("milleduecentotrentaquattro/500"));
    QCOMPARE(::numero_in_lettere(1234567.0),
             QStringLiteral("unmilioneduecentotrentaquattromilacinquecentosessantasette"));
}

void TestHelpers::litri() {
    QCOMPARE(::litri_in_lettere(1234.5), QStringLiteral("1234,5  milleduecentotrentaquattro/500"));
    QCOMPARE(::litri_in_lettere(0), QStringLiteral("  "));
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
