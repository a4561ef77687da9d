#include "common/inifile.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    void readsLiterally_data();
    void readsLiterally();
    void missingFileIsEmpty();
    void roundTripKeepsComments();
    void crlfInput();
    void caseInsensitiveKeys();
    void newKeysGoInTheirSection();
    void removeKey();
    void lineBreakInValueStaysOnOneLine();
    void saveToUnwritablePathFails();
    void unreadableFileFails();

private:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

void TestIniFile::readsLiterally_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unix folder") << "DIRECTORY=/srv/cantina/dati/"
                                 << "/srv/cantina/dati/";
    QTest::newRow("windows folder") << "DIRECTORY=C:\\dati\\"
                                    << "C:\\dati\\";
    QTest::newRow("empty value") << "DIRECTORY="
                                 << "";
    QTest::newRow("quotes kept") << "DIRECTORY=\"a b\""
                                 << "\"a b\"";
    QTest::newRow("equals in value") << "DIRECTORY=a=b;c"
                                     << "a=b;c";
    QTest::newRow("blanks around") << "  DIRECTORY = x y  "
                                   << "x y";
}

void TestIniFile::readsLiterally() {
    QFETCH(QString, line);
    QFETCH(QString, expected);
    IniFile ini;
    ini.fromText(QStringLiteral("[TMainForm]\n") + line + QStringLiteral("\nZOOM=100\n"));
    QVERIFY(ini.contains(QStringLiteral("TMainForm"), QStringLiteral("DIRECTORY")));
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("DIRECTORY"),
                       QStringLiteral("default")),
             expected);
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("ZOOM")), QStringLiteral("100"));
}

void TestIniFile::missingFileIsEmpty() {
    const QString path = dir_.filePath(QStringLiteral("vinorda.ini"));
    IniFile ini;
    QVERIFY(ini.load(path));
    QVERIFY(ini.sections().isEmpty());
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("ZOOM"), QStringLiteral("100")),
             QStringLiteral("100"));
    QVERIFY(!ini.contains(QStringLiteral("TMainForm"), QStringLiteral("ZOOM")));
    ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("ZOOM"), QStringLiteral("120"));
    QVERIFY2(ini.save(), qPrintable(ini.errorString()));
    QCOMPARE(IniFile(path).value(QStringLiteral("TMainForm"), QStringLiteral("ZOOM")),
             QStringLiteral("120"));
}

void TestIniFile::roundTripKeepsComments() {
    const QByteArray text =
        "; configurazione\n"
        "[TMainForm]\n"
        "# cartella dei dati\n"
        "DIRECTORY=C:\\dati\\\n"
        "ZOOM = 100\n"
        "\n"
        "[TfrmIntesta]\n"
        "stampante1_Text=HP\n";
    const QString path = write(QStringLiteral("a.ini"), text);
    IniFile ini(path);
    QCOMPARE(ini.toText().toUtf8(), text);  // untouched lines stay as written
    ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("ZOOM"), QStringLiteral("90"));
    QVERIFY(ini.save());

    IniFile again(path);
    QCOMPARE(again.toText(), QStringLiteral("; configurazione\n[TMainForm]\n# cartella dei dati\n"
                                            "DIRECTORY=C:\\dati\\\nZOOM=90\n\n[TfrmIntesta]\n"
                                            "stampante1_Text=HP\n"));
    QCOMPARE(again.sections(), QStringList({"TMainForm", "TfrmIntesta"}));
    QCOMPARE(again.keys(QStringLiteral("TMainForm")), QStringList({"DIRECTORY", "ZOOM"}));
}

void TestIniFile::crlfInput() {
    const QString path =
        write(QStringLiteral("crlf.ini"), "[TMainForm]\r\nDIRECTORY=C:\\dati\\\r\nZOOM=100\r\n");
    IniFile ini(path);
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("DIRECTORY")),
             QStringLiteral("C:\\dati\\"));
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("ZOOM")), QStringLiteral("100"));
    QVERIFY(!ini.toText().contains(QLatin1Char('\r')));
}

void TestIniFile::caseInsensitiveKeys() {
    IniFile ini;
    ini.fromText(QStringLiteral("[TfrmFatture]\nsel_anno_Text=2024\n"));
    QCOMPARE(ini.value(QStringLiteral("tfrmfatture"), QStringLiteral("SEL_ANNO_TEXT")),
             QStringLiteral("2024"));
    ini.setValue(QStringLiteral("TFRMFATTURE"), QStringLiteral("Sel_Anno_Text"),
                 QStringLiteral("2025"));
    QCOMPARE(ini.toText(), QStringLiteral("[TfrmFatture]\nsel_anno_Text=2025\n"));
}

void TestIniFile::newKeysGoInTheirSection() {
    IniFile ini;
    ini.fromText(QStringLiteral("[A]\nx=1\n; nota\n\n[B]\ny=2\n"));
    ini.setValue(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
    ini.setValue(QStringLiteral("C"), QStringLiteral("w"), QStringLiteral("4"));
    QCOMPARE(ini.toText(), QStringLiteral("[A]\nx=1\nz=3\n; nota\n\n[B]\ny=2\n\n[C]\nw=4\n"));
    QCOMPARE(ini.keys(QStringLiteral("A")), QStringList({"x", "z"}));
}

void TestIniFile::removeKey() {
    IniFile ini;
    ini.fromText(QStringLiteral("[A]\nx=1\ny=2\n"));
    ini.remove(QStringLiteral("a"), QStringLiteral("X"));
    QVERIFY(!ini.contains(QStringLiteral("A"), QStringLiteral("x")));
    QCOMPARE(ini.toText(), QStringLiteral("[A]\ny=2\n"));
}

void TestIniFile::lineBreakInValueStaysOnOneLine() {
    IniFile ini;
    ini.setValue(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("uno\r\n[B]\ny=2"));
    IniFile again;
    again.fromText(ini.toText());
    QCOMPARE(again.sections(), QStringList({"A"}));
    QVERIFY(!again.value(QStringLiteral("A"), QStringLiteral("x")).contains(QLatin1Char('\n')));
}

void TestIniFile::saveToUnwritablePathFails() {
    IniFile ini;
    ini.setValue(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1"));
    const QString path = dir_.filePath(QStringLiteral("manca/vinorda.ini"));
    QVERIFY(!ini.saveAs(path));
    QVERIFY(!ini.errorString().isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestIniFile::unreadableFileFails() {
    if (::geteuid() == 0) QSKIP("root reads every file");
    const QString path = write(QStringLiteral("locked.ini"), "[A]\nx=1\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    IniFile ini;
    QVERIFY(!ini.load(path));
    QVERIFY(!ini.errorString().isEmpty());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
