#include "common/inifile.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QHash>
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
    void unreadableFileIsNeverWritten_data();
    void unreadableFileIsNeverWritten();
    void handEditsSurviveASave();
    void encodingRoundTrip_data();
    void encodingRoundTrip();

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

// A file that could not be read keeps every byte, whatever the program sets and saves; the
// refusal says that the settings are not being saved.
void TestIniFile::unreadableFileIsNeverWritten_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("writeOnly");
    const QByteArray good = "; stampanti del negozio\n[TMainForm]\nDIRECTORY=/srv/dati/\n";
    QTest::newRow("no read permission") << good << true;
    QTest::newRow("blocks of zeros after a crash") << good + QByteArray(4096, '\0') << false;
    QTest::newRow("binary file") << QByteArray(
                                        "\x7f"
                                        "ELF\x02\x01\x01\0\0\0",
                                        10)
                                 << false;
    QTest::newRow("UTF-16 cut in a character") << QByteArray("\xff\xfe[\0T\0M\0", 7) << false;
}

void TestIniFile::unreadableFileIsNeverWritten() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, writeOnly);
    if (writeOnly && ::geteuid() == 0) QSKIP("root reads every file");
    const QString path = write(QStringLiteral("vinorda.ini"), bytes);
    if (writeOnly) QFile::setPermissions(path, QFileDevice::WriteOwner);
    IniFile ini;
    QVERIFY(!ini.load(path));
    QVERIFY(!ini.canSave());
    QVERIFY(ini.sections().isEmpty());
    ini.setValue(QStringLiteral("TfrmIntesta"), QStringLiteral("stampante1_Text"),
                 QStringLiteral("HP"));
    QVERIFY(!ini.save());
    QVERIFY2(ini.errorString().contains(QStringLiteral("non vengono salvate")),
             qPrintable(ini.errorString()));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
}

// The user edits the file while the program runs: a save writes the program's changed keys into
// the file as it is then, and keeps every other line, a key the program only re-set included.
void TestIniFile::handEditsSurviveASave() {
    const QString path = write(QStringLiteral("vinorda.ini"),
                               "[TMainForm]\nDIRECTORY=/srv/dati/\nZOOM=100\n\n"
                               "[TfrmIntesta]\nstampante1_Text=HP\nstampante2_Text=CITIZEN\n");
    IniFile ini(path);
    write(QStringLiteral("vinorda.ini"),
          "; cartella sul server\n[TMainForm]\nDIRECTORY=/mnt/server/dati/\nZOOM=100\n"
          "BACKUP=/mnt/disco2/\n\n[TfrmIntesta]\nstampante1_Text=Ufficio\n"
          "stampante2_Text=CITIZEN\n");
    // The window stores all its keys; only the receipt printer really changed.
    ini.setValue(QStringLiteral("TfrmIntesta"), QStringLiteral("stampante1_Text"),
                 QStringLiteral("HP"));
    ini.setValue(QStringLiteral("TfrmIntesta"), QStringLiteral("stampante2_Text"),
                 QStringLiteral("EPSON TM"));
    ini.setValue(QStringLiteral("TfrmFatture"), QStringLiteral("sel_anno_Text"),
                 QStringLiteral("2024"));
    QVERIFY2(ini.save(), qPrintable(ini.errorString()));
    const QString expected = QStringLiteral(
        "; cartella sul server\n[TMainForm]\nDIRECTORY=/mnt/server/dati/\nZOOM=100\n"
        "BACKUP=/mnt/disco2/\n\n[TfrmIntesta]\nstampante1_Text=Ufficio\n"
        "stampante2_Text=EPSON TM\n\n[TfrmFatture]\nsel_anno_Text=2024\n");
    QCOMPARE(IniFile(path).toText(), expected);
    QCOMPARE(ini.toText(), expected);  // the program now sees the hand edits too
    // A second save with nothing changed leaves a later hand edit alone.
    write(QStringLiteral("vinorda.ini"), expected.toUtf8() + "; fine\n");
    QVERIFY(ini.save());
    QCOMPARE(IniFile(path).toText(), expected + QStringLiteral("; fine\n"));
}

// Windows editors write a byte-order mark (UTF-8 or UTF-16) and CR LF; older files the
// single-byte code page. A save writes the file back the same way.
void TestIniFile::encodingRoundTrip_data() {
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("crlf");
    QTest::newRow("UTF-8") << int(IniFile::Encoding::Utf8) << false;
    QTest::newRow("UTF-8 with BOM, CR LF") << int(IniFile::Encoding::Utf8Bom) << true;
    QTest::newRow("UTF-16 LE, CR LF") << int(IniFile::Encoding::Utf16LE) << true;
    QTest::newRow("UTF-16 BE") << int(IniFile::Encoding::Utf16BE) << false;
    QTest::newRow("Latin-1, CR LF") << int(IniFile::Encoding::Latin1) << true;
}

void TestIniFile::encodingRoundTrip() {
    QFETCH(int, encoding);
    QFETCH(bool, crlf);
    const auto enc = IniFile::Encoding(encoding);
    const QString before = QStringLiteral(
        "; Cantina Perù, più copie\n[TMainForm]\nDIRECTORY=/srv/dati/\n[TfrmIntesta]\n"
        "esportazione_Text=/srv/esportazioni àèé/\n");
    const QString path = write(QStringLiteral("vinorda.ini"), IniFile::encode(before, enc, crlf));
    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(int(ini.encoding()), encoding);
    QCOMPARE(ini.crlf(), crlf);
    QCOMPARE(ini.value(QStringLiteral("TfrmIntesta"), QStringLiteral("esportazione_Text")),
             QStringLiteral("/srv/esportazioni àèé/"));
    ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("ZOOM"), QStringLiteral("120"));
    QVERIFY(ini.save());
    QString after = before;
    after.replace(QStringLiteral("DIRECTORY=/srv/dati/\n"),
                  QStringLiteral("DIRECTORY=/srv/dati/\nZOOM=120\n"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes, IniFile::encode(after, enc, crlf));
    // The marks themselves, as another program reads them.
    static const QHash<int, QByteArray> marks{{int(IniFile::Encoding::Utf8Bom), "\xef\xbb\xbf"},
                                              {int(IniFile::Encoding::Utf16LE), "\xff\xfe;\0"},
                                              {int(IniFile::Encoding::Utf16BE), "\xfe\xff\0;"}};
    QVERIFY(bytes.startsWith(marks.value(encoding, QByteArray(";"))));
    QCOMPARE(bytes.contains(enc == IniFile::Encoding::Utf16LE   ? QByteArray("\r\0\n\0", 4)
                            : enc == IniFile::Encoding::Utf16BE ? QByteArray("\0\r\0\n", 4)
                                                                : QByteArray("\r\n")),
             crlf);
    if (enc == IniFile::Encoding::Latin1) QVERIFY(bytes.contains("Per\xf9"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
