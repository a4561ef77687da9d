// Start-up without windows: vinorda.ini, maintenance conditions, default VAT rate, the commands'
// data sets around the modal display, trasferisci.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "app/appsettings.h"
#include "app/startup.h"
#include "app/windowtable.h"
#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/migrations.h"
#include "data/shareddata.h"
#include "support/smalldisk.h"
#include "support/testfolder.h"

namespace {
// Sets the file's version and, for version 0, takes away what the steps add.
void setFileVersion(const QString& folder, int version) {
    Database db;
    db.open(folder);
    if (version == 0)
        for (const char* index :
             {"Fatture_Codice", "Fatture_Destinazione", "Righe_Codice", "Righe_Cod_vino_collegato"})
            db.exec(QStringLiteral("DROP INDEX %1").arg(QString::fromLatin1(index)));
    db.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    db.close();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class TstStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void settings_data();
    void settings();
    void defaultVatRate_data();
    void defaultVatRate();
    void maintenanceConditions_data();
    void maintenanceConditions();
    void damagedDatabaseKeepsBackup();
    void missingDatabaseRunsWithout();
    void schemaVersion_data();
    void schemaVersion();
    void commandDataSets_data();
    void commandDataSets();
    void commandWithoutDatabase();
    void trasferisci_data();
    void trasferisci();
    void backupSettings_data();
    void backupSettings();
    void healthyDatabaseAlwaysOpens_data();
    void healthyDatabaseAlwaysOpens();
};

void TstStartup::settings_data() {
    QTest::addColumn<QString>("ini");  // "-" = no file
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QString>("printer1");
    QTest::addColumn<QString>("selAnno");
    const QString cwd = QDir::currentPath() + QLatin1Char('/');
    QTest::newRow("no ini") << "-"
                            << "./" << 100 << "stampante1"
                            << "Tutti";
    QTest::newRow("empty file") << ""
                                << "./" << 100 << "stampante1"
                                << "Tutti";
    QTest::newRow("empty DIRECTORY") << "[TMainForm]\nDIRECTORY=\n"
                                     << cwd << 100 << "stampante1"
                                     << "Tutti";
    QTest::newRow("literal path") << "[TMainForm]\nDIRECTORY=/srv/cantina/dati/\nZOOM=125\n"
                                  << "/srv/cantina/dati/" << 125 << "stampante1"
                                  << "Tutti";
    QTest::newRow("no trailing slash") << "[TMainForm]\nDIRECTORY=/srv/cantina/dati\n"
                                       << "/srv/cantina/dati/" << 100 << "stampante1"
                                       << "Tutti";
    QTest::newRow("backslashes") << "[TMainForm]\nDIRECTORY=dati\\cantina\\\n"
                                 << "dati/cantina/" << 100 << "stampante1"
                                 << "Tutti";
    QTest::newRow("zoom not a number") << "[TMainForm]\nZOOM=cento\n"
                                       << "./" << 100 << "stampante1"
                                       << "Tutti";
    QTest::newRow("other sections") << "[TfrmIntesta]\nstampante1_Text=Ufficio HP\n"
                                       "[TfrmFatture]\nsel_anno_Text=2016\n"
                                    << "./" << 100 << "Ufficio HP"
                                    << "2016";
}

void TstStartup::settings() {
    QFETCH(QString, ini);
    QFETCH(QString, folder);
    QFETCH(int, zoom);
    QFETCH(QString, printer1);
    QFETCH(QString, selAnno);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vinorda.ini"));
    if (ini != QLatin1String("-")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.toUtf8());
    }
    const AppSettings s = readSettingsFile(path);
    QCOMPARE(s.dataFolder, folder);
    QCOMPARE(s.zoom, zoom);
    QCOMPARE(s.stampante1, printer1);
    QCOMPARE(s.stampante2, QStringLiteral("stampante2"));
    QCOMPARE(s.esportazione, QStringLiteral("esportazione"));
    QCOMPARE(s.exportFolder, QStringLiteral("esportazione/"));
    QCOMPARE(s.selAnno, selAnno);
    QCOMPARE(s.selTipo, QStringLiteral("Tutti"));
}

void TstStartup::defaultVatRate_data() {
    QTest::addColumn<QStringList>("rows");  // "Ordine:IVA"
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty table") << QStringList{} << "";
    QTest::newRow("first by Ordine") << QStringList{"3:4", "1:10", "2:22"} << "10";
    QTest::newRow("first IVA empty") << QStringList{"1:", "2:22"} << "";
}

void TstStartup::defaultVatRate() {
    QFETCH(QStringList, rows);
    QFETCH(QString, expected);
    TestFolder tf(false);
    {
        TestFolder& t = tf;
        t.db().open(t.path());
        for (const QString& r : rows) {
            const QStringList p = r.split(QLatin1Char(':'));
            t.insert(QStringLiteral("IVA"), {{"Ordine", p[0].toInt()}, {"IVA", p[1]}});
        }
        t.insert(QStringLiteral("Intesta"), {{"RagioneSociale", "Cantina"}});
        t.db().close();
    }
    SharedData shared(tf.db());
    AppSettings s;
    s.dataFolder = tf.path();
    const StartupReport r = startDatabase(s, tf.db(), shared);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QVERIFY(r.opened);
    QCOMPARE(r.defaultVatRate, expected);
    QVERIFY(!shared.TAB_IVA.isOpen());
    QVERIFY(shared.Intestazione.isOpen());
    QCOMPARE(shared.Intestazione.field(QStringLiteral("RagioneSociale")).asString(),
             QStringLiteral("Cantina"));
}

void TstStartup::maintenanceConditions_data() {
    QTest::addColumn<bool>("lockedElsewhere");
    QTest::addColumn<bool>("staleMarker");
    QTest::newRow("marker absent") << false << false;
    QTest::newRow("marker held elsewhere") << true << false;
    QTest::newRow("stale marker") << false << true;
}

void TstStartup::maintenanceConditions() {
    QFETCH(bool, lockedElsewhere);
    QFETCH(bool, staleMarker);
    TestFolder tf(false);
    const QString old = tf.file(Database::oldBackupName());
    const QString backup = tf.file(Database::backupName());
    for (const QString& f : {old, backup}) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("vecchio");
    }
    if (staleMarker) {
        QFile marker(tf.file(Database::lockName()));
        QVERIFY(marker.open(QIODevice::WriteOnly));
    }
    LockMarker other(tf.file(Database::lockName()));
    if (lockedElsewhere) QVERIFY(other.acquire());

    SharedData shared(tf.db());
    AppSettings s;
    s.dataFolder = tf.path();
    const StartupReport r = startDatabase(s, tf.db(), shared);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QVERIFY(r.opened);
    QCOMPARE(r.maintenanceRan, !lockedElsewhere);
    QCOMPARE(QFile::exists(old), lockedElsewhere);
    QFile b(backup);
    QVERIFY(b.open(QIODevice::ReadOnly));
    if (lockedElsewhere)
        QCOMPARE(b.readAll(), QByteArray("vecchio"));
    else
        QVERIFY(b.readAll().startsWith("SQLite format 3"));
}

// An original file (version 0) is brought to the current version after the backup, which keeps
// it as it was; a file written by a newer program is refused and left byte for byte, without a
// backup taken over the old one.
void TstStartup::schemaVersion_data() {
    QTest::addColumn<int>("version");
    QTest::newRow("original file") << 0;
    QTest::newRow("current") << Migrations::currentVersion();
    QTest::newRow("newer program") << Migrations::currentVersion() + 1;
}

void TstStartup::schemaVersion() {
    QFETCH(int, version);
    TestFolder tf(false);
    setFileVersion(tf.path(), version);
    const QByteArray before = fileBytes(tf.file(Database::fileName()));
    Database db;
    SharedData shared(db);
    AppSettings settings;
    settings.dataFolder = tf.path();
    const StartupReport r = startDatabase(settings, db, shared);
    if (version > Migrations::currentVersion()) {
        QVERIFY(!r.opened);
        QCOMPARE(r.error, Migrations::msgNewerDatabase(tf.file(Database::fileName()), version));
        QVERIFY(!db.isOpen());
        QCOMPARE(fileBytes(tf.file(Database::fileName())), before);
        QVERIFY(!QFile::exists(tf.file(Database::backupName())));
        return;
    }
    QVERIFY2(r.opened, qPrintable(r.error));
    QCOMPARE(Migrations::versionOf(db), Migrations::currentVersion());
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' "
                                      "AND name IN ('Righe_Codice', 'Fatture_Destinazione')"))
                 .toInt(),
             2);
    QCOMPARE(Migrations::versionOfFile(tf.file(Database::backupName())), version);
}

void TstStartup::damagedDatabaseKeepsBackup() {
    TestFolder tf(false);
    {
        QFile backup(tf.file(Database::backupName()));
        QVERIFY(backup.open(QIODevice::WriteOnly));
        backup.write("ultima copia buona");
        QFile db(tf.file(Database::fileName()));
        QVERIFY(db.open(QIODevice::ReadWrite));
        db.seek(100);
        db.write(QByteArray(3000, '\x5a'));
    }
    SharedData shared(tf.db());
    AppSettings s;
    s.dataFolder = tf.path();
    const StartupReport r = startDatabase(s, tf.db(), shared);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(!r.opened);
    QVERIFY(!tf.db().isOpen());
    QFile backup(tf.file(Database::backupName()));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), QByteArray("ultima copia buona"));
}

void TstStartup::missingDatabaseRunsWithout() {
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("vinorda.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(
        QStringLiteral("[TMainForm]\nDIRECTORY=%1/manca/\nZOOM=90\n").arg(dir.path()).toUtf8());
    ini.close();
    Database db;
    SharedData shared(db);
    const StartupReport r = runStartup(ini.fileName(), db, shared);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(!db.isOpen());
    // The values read before the failure are in force.
    QCOMPARE(App::zoom(), 90);
    QCOMPARE(App::dataFolder(), dir.path() + QStringLiteral("/manca/"));
    QCOMPARE(App::defaultVatRate(), QString());
}

void TstStartup::commandDataSets_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("openDuring");
    QTest::newRow("Anagrafiche") << "Clienti1" << QStringList{"Clienti"};
    QTest::newRow("Prodotti") << "Prodottivinicoli1" << QStringList{"prodotti"};
    QTest::newRow("Fatture") << "Emissionefatture1"
                             << QStringList{"Clienti", "Fatture",  "righe",
                                            "clifatt", "destfatt", "prodotti"};
    QTest::newRow("Sinottico") << "Venditeapannellosinottico1"
                               << QStringList{"prodotti", "Giornale"};
    QTest::newRow("Registrazione rapida")
        << "RegistrazioneconlettoreBarcode1" << QStringList{"prodotti", "Giornale"};
    QTest::newRow("Movimenti") << "Movimenti1" << QStringList{};
    QTest::newRow("Configurazione") << "Registrazione1" << QStringList{};
}

void TstStartup::commandDataSets() {
    QFETCH(QString, command);
    QFETCH(QStringList, openDuring);
    TestFolder tf;
    tf.insert(QStringLiteral("Fatture"), {{"Docum_numero", "B-2016-000001"}, {"Doc_tipo", "B"}});
    tf.insert(QStringLiteral("Fatture"), {{"Docum_numero", "B-2016-000002"}, {"Doc_tipo", "B"}});
    SharedData shared(tf.db());
    shared.Intestazione.open();
    const CommandDef* cmd = findCommand(command);
    QVERIFY(cmd);
    QStringList seen;
    bool filtered = false;
    const bool shown = runCommand(
        *cmd, [&](const QString& n) { return sharedDataSet(shared, n); },
        [&] {
            for (DataSet* ds : shared.all())
                if (ds->isOpen() && ds != &shared.Intestazione) seen << ds->name();
            filtered = shared.Fatture.isFiltered();
        });
    QVERIFY(shown);
    seen.sort();
    openDuring.sort();
    QCOMPARE(seen, openDuring);
    for (DataSet* ds : shared.all())
        if (ds != &shared.Intestazione) QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
    QVERIFY(shared.Intestazione.isOpen());  // never touched by a command
    QVERIFY(!shared.Fatture.isFiltered());
    if (command == QLatin1String("Emissionefatture1")) QVERIFY(filtered);
}

void TstStartup::commandWithoutDatabase() {
    ScriptedMessages messages;
    Database db;  // never opened
    SharedData shared(db);
    bool shown = false;
    const bool ok = runCommand(
        *findCommand(QStringLiteral("Emissionefatture1")),
        [&](const QString& n) { return sharedDataSet(shared, n); }, [&] { shown = true; });
    QVERIFY(!ok);
    QVERIFY(!shown);
    QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
    QVERIFY(!messages.last().isEmpty());
    for (DataSet* ds : shared.all()) QVERIFY(!ds->isOpen());
}

void TstStartup::trasferisci_data() {
    QTest::addColumn<bool>("sourceExists");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("result");
    QTest::newRow("new copy") << true << false << "copia.mdb" << true;
    QTest::newRow("replaces") << true << true << "copia.mdb" << true;
    QTest::newRow("same name") << true << false << "" << true;
    QTest::newRow("no source keeps target") << false << true << "copia.mdb" << false;
}

void TstStartup::trasferisci() {
    QFETCH(bool, sourceExists);
    QFETCH(bool, targetExists);
    QFETCH(QString, newName);
    QFETCH(bool, result);
    QTemporaryDir a, b;
    const QString src = a.path() + QLatin1Char('/');
    const QString dst = b.path() + QLatin1Char('/');
    const QString target = dst + (newName.isEmpty() ? QStringLiteral("database.mdb") : newName);
    if (sourceExists) {
        QFile f(src + QStringLiteral("database.mdb"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("nuovo");
    }
    if (targetExists) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("vecchio");
    }
    QCOMPARE(::trasferisci(src, QStringLiteral("database.mdb"), dst, newName), result);
    QFile t(target);
    if (result || targetExists) {
        QVERIFY(t.open(QIODevice::ReadOnly));
        QCOMPARE(t.readAll(), QByteArray(result ? "nuovo" : "vecchio"));
    }
}

void TstStartup::backupSettings_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("folder");  // "@" = the data folder
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("months");
    QTest::newRow("no keys") << "[TMainForm]\nDIRECTORY=/srv/dati/\n"
                             << "/srv/dati/backup/" << 14 << 12;
    QTest::newRow("second disk") << "[TMainForm]\nDIRECTORY=/srv/dati/\nBACKUP=/mnt/disco2/copie\n"
                                 << "/mnt/disco2/copie/" << 14 << 12;
    QTest::newRow("inside the data folder")
        << "[TMainForm]\nDIRECTORY=/srv/dati/\nBACKUP=copie/\nBACKUP_GIORNI=30\nBACKUP_MESI=0\n"
        << "/srv/dati/copie/" << 30 << 0;
    QTest::newRow("slips in the file")
        << "[TMainForm]\nDIRECTORY=/srv/dati/\nBACKUP=\nBACKUP_GIORNI=0\nBACKUP_MESI=dodici\n"
        << "/srv/dati/backup/" << 14 << 12;
}

void TstStartup::backupSettings() {
    QFETCH(QString, ini);
    QFETCH(QString, folder);
    QFETCH(int, days);
    QFETCH(int, months);
    IniFile file;
    file.fromText(ini);
    const AppSettings s = readSettings(file);
    const MaintenanceOptions o = maintenanceOptions(s);
    QCOMPARE(DatabaseFiles::backupFolder(s.dataFolder, o.backups), folder);
    QCOMPARE(o.backups.days, days);
    QCOMPARE(o.backups.months, months);
}

namespace {
enum class Situation {
    OtherReader,
    DiskNearlyFull,
    DiskFull,
    ReadOnlyFile,
    ReadOnlyFolder,
    ReadOnlyDisk
};

// A database of about a megabyte with two thirds free, so that a compaction is due.
void fillWithFreeSpace(TestFolder& tf) {
    tf.db().open(tf.path());
    tf.insert(QStringLiteral("Intesta"), {{"RagioneSociale", "Cantina"}});
    tf.insert(QStringLiteral("IVA"), {{"Ordine", 1}, {"IVA", "22"}});
    Database::Transaction t(tf.db());
    for (int i = 0; i < 3000; ++i)
        tf.insert(QStringLiteral("Righe"), {{"Descrizione", QString(250, QLatin1Char('r'))}});
    tf.db().exec(QStringLiteral("DELETE FROM Righe WHERE rowid % 3 <> 0"));
    t.commit();
    tf.db().close();
}
}  // namespace

// Whatever stands in the way of the maintenance (another program reading, a full disk, a
// read-only file), a healthy database is opened, without a long wait, and what could not be
// done is skipped or reported.
void TstStartup::healthyDatabaseAlwaysOpens_data() {
    QTest::addColumn<int>("situation");
    QTest::addColumn<bool>("backupsWritten");
    QTest::addColumn<QString>("compactionSkipped");
    QTest::addColumn<QStringList>("warned");
    QTest::newRow("another program reading")
        << int(Situation::OtherReader) << true << "in uso da un altro programma" << QStringList();
    QTest::newRow("disk nearly full") << int(Situation::DiskNearlyFull) << true
                                      << "spazio su disco insufficiente" << QStringList();
    QTest::newRow("disk full") << int(Situation::DiskFull) << false
                               << "spazio su disco insufficiente"
                               << QStringList{"Il disco è pieno", "Il disco è pieno"};
    QTest::newRow("read-only file")
        << int(Situation::ReadOnlyFile) << true << "" << QStringList{"SOLA LETTURA"};
    QTest::newRow("read-only folder") << int(Situation::ReadOnlyFolder) << false << ""
                                      << QStringList{"SOLA LETTURA", "database.ldb",
                                                     "non si può scrivere (permessi insufficienti)",
                                                     "Impossibile creare la cartella delle copie"};
    QTest::newRow("read-only disk")
        << int(Situation::ReadOnlyDisk) << false << ""
        << QStringList{"SOLA LETTURA", "database.ldb",
                       "non si può scrivere (il disco è in sola lettura)",
                       "Impossibile creare la cartella delle copie"};
}

void TstStartup::healthyDatabaseAlwaysOpens() {
    QFETCH(int, situation);
    QFETCH(bool, backupsWritten);
    QFETCH(QString, compactionSkipped);
    QFETCH(QStringList, warned);
    const auto what = Situation(situation);
    TestFolder tf(false);
    fillWithFreeSpace(tf);
    QString folder = tf.path();
    QString why;
    std::unique_ptr<SmallDisk> disk;
    std::unique_ptr<ReadOnlyData> readOnly;
    QProcess reader;
    switch (what) {
        case Situation::OtherReader: {
            const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
            if (cli.isEmpty()) QSKIP("sqlite3 (package sqlite3) is not installed");
            reader.start(cli, {tf.file(QStringLiteral("database.mdb"))});
            QVERIFY(reader.waitForStarted());
            reader.write("BEGIN; SELECT count(*) FROM Righe; SELECT 'pronto';\n");
            while (!reader.readAllStandardOutput().contains("pronto"))
                QVERIFY(reader.waitForReadyRead(10000));
            break;
        }
        case Situation::DiskNearlyFull:
        case Situation::DiskFull: {
            if (!SmallDisk::available(&why)) QSKIP(qPrintable(why));
            disk = std::make_unique<SmallDisk>(8 << 20);
            QVERIFY2(disk->isValid(), qPrintable(disk->errorString()));
            folder = disk->path();
            QVERIFY(QFile::copy(tf.file(QStringLiteral("database.mdb")),
                                folder + QStringLiteral("database.mdb")));
            QFile old(folder + Database::backupName());
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("vecchia copia");
            old.close();
            QVERIFY(disk->leaveFree(what == Situation::DiskFull ? 100 << 10 : 2200 << 10));
            break;
        }
        case Situation::ReadOnlyFile:
        case Situation::ReadOnlyFolder:
        case Situation::ReadOnlyDisk: {
            const auto kind = what == Situation::ReadOnlyFile     ? ReadOnlyData::Kind::File
                              : what == Situation::ReadOnlyFolder ? ReadOnlyData::Kind::Folder
                                                                  : ReadOnlyData::Kind::Disk;
            if (!ReadOnlyData::available(kind, &why)) QSKIP(qPrintable(why));
            readOnly = std::make_unique<ReadOnlyData>(kind, tf.path());
            QVERIFY2(readOnly->isValid(), qPrintable(readOnly->errorString()));
            folder = readOnly->path();
            break;
        }
    }

    Database db;
    SharedData shared(db);
    AppSettings s;
    s.dataFolder = folder;
    QElapsedTimer t;
    t.start();
    const StartupReport r = startDatabase(s, db, shared);
    QVERIFY2(t.elapsed() < 20000, qPrintable(QString::number(t.elapsed())));
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QVERIFY(r.opened && db.isOpen());
    QCOMPARE(r.defaultVatRate, QStringLiteral("22"));
    QVERIFY(r.maintenance.ran);
    QCOMPARE(r.maintenance.backupWritten, backupsWritten);
    // The day's dated copy is left to the main window when it can come from the checked copy.
    QCOMPARE(r.maintenance.datedCopyFrom,
             backupsWritten ? folder + Database::backupName() : QString());
    QVERIFY(r.maintenance.datedBackup.isEmpty());
    QVERIFY(!r.maintenance.compacted);
    QVERIFY2(r.maintenance.compactionSkipped.contains(compactionSkipped),
             qPrintable(r.maintenance.compactionSkipped));
    QCOMPARE(r.warnings.size(), warned.size());
    for (int i = 0; i < warned.size(); ++i)
        QVERIFY2(r.warnings[i].contains(warned[i]), qPrintable(r.warnings[i]));
    QCOMPARE(r.readOnly, what >= Situation::ReadOnlyFile);
    if (r.readOnly) {
        // Every save is refused with the reason, and nothing is written.
        try {
            Database::Transaction tx(db);
            QFAIL("a write transaction on a read-only database");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("sola lettura")), qPrintable(e.text()));
        }
        try {
            db.exec(QStringLiteral("DELETE FROM IVA"));
            QFAIL("a write on a read-only database");
        } catch (const DatabaseError& e) {
            QVERIFY(e.text().startsWith(QStringLiteral("Il database è aperto in sola lettura")));
            QVERIFY(e.text().endsWith(QStringLiteral("(attempt to write a readonly database)")));
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM IVA")).toInt(), 1);
    }
    if (what == Situation::DiskFull) {
        // The last good copy stays, and no half-written copy is left anywhere.
        QFile old(folder + Database::backupName());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("vecchia copia"));
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files), QStringList());
        QCOMPARE(QDir(folder + QStringLiteral("backup")).entryList(QDir::Files), QStringList());
    }
    for (DataSet* ds : shared.all()) ds->close();
    db.close();
    if (reader.state() != QProcess::NotRunning) {
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished());
    }
}

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"
