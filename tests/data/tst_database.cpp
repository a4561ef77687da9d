#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QtTest>

#include "data/cursor.h"
#include "data/database.h"
#include "support/testfolder.h"

namespace {
// Another program holding the database: a shared lock on the marker from a second descriptor.
class OtherHolder {
public:
    explicit OtherHolder(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0666);
        ::flock(fd_, LOCK_SH);
    }
    ~OtherHolder() {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }

private:
    int fd_;
};

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void fillCustomers(TestFolder& tf, int n) {
    Database::Transaction t(tf.db());
    for (int i = 0; i < n; ++i)
        tf.insert("Anagrafica",
                  {{"Codice", QString::number(i)}, {"RagioneSociale", QString(100, 'x')}});
    t.commit();
}

// Every file under folder (relative name -> content), folders included as empty content.
QMap<QString, QByteArray> filesIn(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(folder).relativeFilePath(path),
                   it.fileInfo().isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return out;
}

// "2024-01-01..2024-01-31, 2024-05-02": the days listed, in order.
QList<QDate> dates(const QString& text) {
    QList<QDate> out;
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.trimmed().split("..");
        QDate d = QDate::fromString(ends.first(), Qt::ISODate);
        const QDate last = QDate::fromString(ends.last(), Qt::ISODate);
        for (; d <= last; d = d.addDays(1)) out << d;
    }
    return out;
}

enum class Damage {
    ZeroLength,
    EmptySqlite,
    MissingTable,
    MissingColumn,
    Truncated,
    Scribbled,
    ZeroedPage,
    ScribbledLastPage,
    BadHeader,
    NotSqlite,
    Directory
};

void runSql(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "spoil");
        c.setDatabaseName(path);
        QVERIFY(c.open());
        for (const QString& st : statements) QVERIFY2(QSqlQuery(c).exec(st), qPrintable(st));
        c.close();
    }
    QSqlDatabase::removeDatabase("spoil");
}

void spoil(const QString& path, Damage damage) {
    QFile f(path);
    switch (damage) {
        case Damage::ZeroLength:
            QVERIFY(f.resize(0));
            break;
        case Damage::EmptySqlite:
            QVERIFY(f.remove());
            runSql(path, {"PRAGMA user_version = 1"});
            break;
        case Damage::MissingTable:
            runSql(path, {"DROP TABLE Prodotti"});
            break;
        case Damage::MissingColumn:
            runSql(path, {"DROP INDEX Giornale_Tipo_Periodo", "DROP INDEX Giornale_Tipo_Cod_vino",
                          "ALTER TABLE Giornale DROP COLUMN Litri"});
            break;
        case Damage::Truncated:
            QVERIFY(f.resize(f.size() * 6 / 10));
            break;
        case Damage::Scribbled:
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() / 2);
            f.write(QByteArray(8192, '\x5a'));
            break;
        case Damage::ZeroedPage:
            // The third page: a table's first page, as a cut write leaves it.
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(2 * 4096);
            f.write(QByteArray(4096, '\0'));
            break;
        case Damage::ScribbledLastPage:
            // An index page at the end of the file.
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() - 4096);
            f.write(QByteArray(4096, '\x5a'));
            break;
        case Damage::BadHeader:
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.write("Vinorda: dati\0\0\0", 16);
            break;
        case Damage::NotSqlite:
            writeFile(path, QByteArray("[TMainForm]\nDIRECTORY=./\n").repeated(200));
            break;
        case Damage::Directory:
            QVERIFY(f.remove());
            QVERIFY(QDir().mkdir(path));
            break;
    }
}
}  // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void createRefusesToOverwrite() {
        TestFolder tf(false);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database::create(tf.file("database.mdb")));
    }

    void openMissingDatabaseGivesTheEngineText() {
        QTemporaryDir dir;
        Database db;
        try {
            db.open(dir.path() + "/");
            QFAIL("opened a missing database");
        } catch (const DatabaseError& e) {
            QVERIFY(e.text().contains("database.mdb"));
        }
        QVERIFY(!db.isOpen());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db.exec("DELETE FROM Giornale"));
    }

    void openGarbageIsAnError() {
        QTemporaryDir dir;
        writeFile(dir.path() + "/database.mdb", QByteArray(4096, 'x'));
        Database db;
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db.open(dir.path() + "/"));
        QVERIFY(!db.isOpen());
    }

    void lockMarkerWhileOpen() {
        TestFolder tf(false);
        const QString marker = tf.file("database.ldb");
        QVERIFY(!Database::inUseElsewhere(tf.path()));
        {
            Database db;
            db.open(tf.path());
            QVERIFY(QFile::exists(marker));
            QVERIFY(Database::inUseElsewhere(tf.path()));
        }
        QVERIFY(!QFile::exists(marker));
        // A marker left by a crash has no live lock: stale, treated as absent.
        writeFile(marker, "");
        QVERIFY(!Database::inUseElsewhere(tf.path()));
    }

    // The maintenance conditions: marker live -> nothing; absent or stale -> old backup name
    // deleted, backup replaced by a checked copy, compacted.
    void maintenance_data() {
        QTest::addColumn<int>("marker");  // 0 none, 1 stale file, 2 held by another program
        QTest::addColumn<bool>("runs");
        QTest::newRow("no marker") << 0 << true;
        QTest::newRow("stale marker") << 1 << true;
        QTest::newRow("marker held") << 2 << false;
    }
    void maintenance() {
        QFETCH(int, marker);
        QFETCH(bool, runs);
        TestFolder tf(true);
        tf.insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Uno"}});
        // Rows written and deleted leave free pages for the compaction to give back.
        {
            Database::Transaction t(tf.db());
            for (int i = 0; i < 300; ++i)
                tf.insert("Righe", {{"Descrizione", QString(250, QLatin1Char('r'))}});
            t.commit();
        }
        tf.db().exec("DELETE FROM Righe");
        tf.db().close();
        const qint64 before = QFileInfo(tf.file("database.mdb")).size();
        writeFile(tf.file("database.bak_mdb"), "old");
        writeFile(tf.file("database_bak.mdb"), "previous backup");
        std::unique_ptr<OtherHolder> holder;
        if (marker == 1) writeFile(tf.file("database.ldb"), "");
        if (marker == 2) holder = std::make_unique<OtherHolder>(tf.file("database.ldb"));

        MaintenanceOptions options;
        options.today = QDate(2024, 5, 17);
        MaintenanceResult r = Database::maintain(tf.path(), options);
        QCOMPARE(r.ran, runs);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join('\n')));
        QCOMPARE(QFile::exists(tf.file("database.bak_mdb")), !runs);
        // Besides the last good copy, a dated one in backup/.
        QCOMPARE(r.datedBackup, runs ? tf.file("backup/database_2024-05-17.mdb") : QString());
        QCOMPARE(QFile::exists(tf.file("backup/database_2024-05-17.mdb")), runs);
        const QByteArray backup = readFile(tf.file("database_bak.mdb"));
        if (runs) {
            QVERIFY(r.backupWritten);
            // The dated copy is the checked backup itself.
            QCOMPARE(readFile(r.datedBackup), backup);
            QVERIFY(r.compacted);
            QVERIFY(QFileInfo(tf.file("database.mdb")).size() < before);
            QVERIFY(backup.startsWith("SQLite format 3"));
            Database copy;
            // The backup is a whole database with the data.
            QTemporaryDir d2;
            QVERIFY(QFile::copy(tf.file("database_bak.mdb"), d2.path() + "/database.mdb"));
            copy.open(d2.path() + "/");
            QCOMPARE(copy.scalar("SELECT RagioneSociale FROM Anagrafica").toString(),
                     QString("Uno"));
        } else {
            QCOMPARE(backup, QByteArray("previous backup"));
        }
        QVERIFY(!QFile::exists(tf.file("database_bak.mdb.tmp")));
        Database db;
        db.open(tf.path());
        QCOMPARE(db.scalar("SELECT count(*) FROM Anagrafica").toInt(), 1);
    }

    void noCompactionWithoutFreeSpace() {
        TestFolder tf(true);
        tf.insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Uno"}});
        tf.db().close();
        MaintenanceResult r = Database::maintain(tf.path());
        QVERIFY(r.ran && r.backupWritten);
        QVERIFY(!r.compacted);
    }

    // Every kind of damaged file met after accidents: the check refuses it before any copy is
    // made, the error names the fault, and every existing backup stays as it was.
    void damagedFileKeepsEveryBackup_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("reported");
        // Whether opening refuses it as well (the full integrity check is the maintenance's).
        QTest::addColumn<bool>("openRefused");
        QTest::newRow("zero-length")
            << int(Damage::ZeroLength) << "manca la tabella Intesta" << true;
        QTest::newRow("empty SQLite")
            << int(Damage::EmptySqlite) << "manca la tabella Intesta" << true;
        QTest::newRow("missing table")
            << int(Damage::MissingTable) << "manca la tabella Prodotti" << true;
        QTest::newRow("missing column")
            << int(Damage::MissingColumn) << "nella tabella Giornale mancano i campi Litri" << true;
        QTest::newRow("truncated") << int(Damage::Truncated) << "danneggiato" << true;
        QTest::newRow("scribbled pages") << int(Damage::Scribbled) << "danneggiato" << false;
        QTest::newRow("zeroed page") << int(Damage::ZeroedPage) << "danneggiato" << false;
        QTest::newRow("scribbled last page")
            << int(Damage::ScribbledLastPage) << "danneggiato" << false;
        QTest::newRow("bad header")
            << int(Damage::BadHeader)
            << "non è un database del programma, o è danneggiato.\n(file is not a database)"
            << true;
        QTest::newRow("not SQLite") << int(Damage::NotSqlite) << "(file is not a database)" << true;
        QTest::newRow("a directory") << int(Damage::Directory) << "è una cartella" << true;
    }
    void damagedFileKeepsEveryBackup() {
        QFETCH(int, damage);
        QFETCH(QString, reported);
        QFETCH(bool, openRefused);
        TestFolder tf(true);
        fillCustomers(tf, 400);
        tf.db().close();
        writeFile(tf.file("database_bak.mdb"), "ultima copia buona");
        QVERIFY(QDir().mkpath(tf.file("backup")));
        writeFile(tf.file("backup/database_2024-05-01.mdb"), "copia del primo maggio");
        writeFile(tf.file("backup/database_2024-05-16.mdb"), "copia di ieri");
        const QMap<QString, QByteArray> before = filesIn(tf.path());
        spoil(tf.file("database.mdb"), Damage(damage));

        MaintenanceOptions options;
        options.today = QDate(2024, 5, 17);
        const MaintenanceResult r = Database::maintain(tf.path(), options);
        QVERIFY(r.ran);
        QVERIFY2(r.error.contains(reported), qPrintable(r.error));
        QVERIFY(!r.backupWritten);
        QVERIFY(r.datedBackup.isEmpty() && r.removedBackups.isEmpty());
        QMap<QString, QByteArray> after = filesIn(tf.path());
        after.remove("database.mdb");
        QMap<QString, QByteArray> expected = before;
        expected.remove("database.mdb");
        QCOMPARE(after, expected);  // nothing replaced, nothing left behind (no .tmp)
        if (openRefused) {
            Database db;
            QVERIFY_THROWS_EXCEPTION(DatabaseError, db.open(tf.path()));
        }
    }

    // A start-up after one that checked and copied the database: when nothing touched the file
    // since, the check and the copy are skipped (the copy is that file); anything else that
    // happened in between brings both back, and damage is still refused.
    void unchangedDatabaseSkipsCheckAndCopy_data() {
        QTest::addColumn<QString>("between");
        QTest::addColumn<bool>("skipped");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("a committed write") << "write" << false;
        QTest::newRow("a journal left by a crash") << "journal" << false;
        QTest::newRow("the copy removed") << "no copy" << false;
        QTest::newRow("the copy replaced") << "other copy" << false;
        QTest::newRow("damaged pages") << "damage" << false;
        QTest::newRow("a table dropped, same size") << "drop" << false;
    }
    void unchangedDatabaseSkipsCheckAndCopy() {
        QFETCH(QString, between);
        QFETCH(bool, skipped);
        TestFolder tf(true);
        fillCustomers(tf, 400);
        tf.db().close();
        MaintenanceOptions options;
        options.compact = false;
        options.today = QDate(2024, 5, 16);
        MaintenanceResult r = Database::maintain(tf.path(), options);
        QVERIFY(r.backupWritten && !r.unchanged);
        const QByteArray copy = readFile(tf.file("database_bak.mdb"));

        if (between == "write") {
            Database db;
            db.open(tf.path());
            QCOMPARE(db.exec("UPDATE Anagrafica SET RagioneSociale = 'Nuovo' WHERE Codice = '7'"),
                     1);
        } else if (between == "journal") {
            writeFile(tf.file("database.mdb-journal"), "");
        } else if (between == "no copy") {
            QFile::remove(tf.file("database_bak.mdb"));
        } else if (between == "other copy") {
            writeFile(tf.file("database_bak.mdb"), "un'altra copia");
        } else if (between == "damage") {
            spoil(tf.file("database.mdb"), Damage::ScribbledLastPage);
        } else if (between == "drop") {
            spoil(tf.file("database.mdb"), Damage::MissingTable);
        }
        options.today = QDate(2024, 5, 17);
        r = Database::maintain(tf.path(), options);
        QCOMPARE(r.unchanged, skipped);
        if (between == "damage" || between == "drop") {
            QVERIFY(!r.error.isEmpty());
            QCOMPARE(readFile(tf.file("database_bak.mdb")), copy);
            return;
        }
        QVERIFY2(r.error.isEmpty() && r.warnings.isEmpty(),
                 qPrintable(r.error + r.warnings.join('\n')));
        QCOMPARE(r.backupWritten, !skipped);
        if (skipped) QCOMPARE(readFile(tf.file("database_bak.mdb")), copy);
        // Every day still gets its dated copy, the same as the checked copy.
        QCOMPARE(r.datedBackup, tf.file("backup/database_2024-05-17.mdb"));
        QCOMPARE(readFile(r.datedBackup), readFile(tf.file("database_bak.mdb")));
        // and the day before's copy still holds that day, whatever replaced the checked copy.
        QCOMPARE(readFile(tf.file("backup/database_2024-05-16.mdb")), copy);
        // The start after this one skips again: nothing changed since (a journal file still
        // there, even an empty one, always brings the check back).
        r = Database::maintain(tf.path(), options);
        QVERIFY(r.error.isEmpty());
        QCOMPARE(r.unchanged, !QFile::exists(tf.file("database.mdb-journal")));
        // A later start-up the same day, after a mistake: the checked copy moves on, the day's
        // dated copy keeps the data as the day began.
        const QByteArray morning = readFile(tf.file("backup/database_2024-05-17.mdb"));
        {
            Database db;
            db.open(tf.path());
            QCOMPARE(db.exec("DELETE FROM Anagrafica"), 400);
        }
        r = Database::maintain(tf.path(), options);
        QVERIFY(r.error.isEmpty() && r.backupWritten && r.datedBackup.isEmpty());
        QVERIFY(readFile(tf.file("database_bak.mdb")) != morning);
        QCOMPARE(readFile(tf.file("backup/database_2024-05-17.mdb")), morning);
    }

    // The copies kept after start-ups over simulated months and years: the last 14 days and
    // the first copy of each of the last 12 months.
    void backupRotation_data() {
        QTest::addColumn<QString>("startups");
        QTest::addColumn<bool>("closedSundaysAndAugust");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("months");
        QTest::addColumn<QString>("kept");
        QTest::newRow("a month") << "2024-03-10..2024-04-08" << false << 14 << 12
                                 << "2024-03-10, 2024-03-26..2024-04-08";
        const QString year =
            "2024-01-01, 2024-02-01, 2024-03-01, 2024-04-01, 2024-05-01, "
            "2024-06-01, 2024-07-01, 2024-08-01, 2024-09-01, 2024-10-01, "
            "2024-11-01, 2024-12-01, 2024-12-18..2024-12-31";
        QTest::newRow("a year") << "2024-01-01..2024-12-31" << false << 14 << 12 << year;
        QTest::newRow("thirteen months") << "2023-12-01..2024-12-31" << false << 14 << 12 << year;
        QTest::newRow("closed on Sundays and in August")
            << "2024-01-01..2024-12-31" << true << 14 << 12
            << "2024-01-01, 2024-02-01, 2024-03-01, 2024-04-01, 2024-05-01, 2024-06-01, "
               "2024-07-01, 2024-09-02, 2024-10-01, 2024-11-01, 2024-12-02, "
               "2024-12-18..2024-12-21, 2024-12-23..2024-12-28, 2024-12-30, 2024-12-31";
        QTest::newRow("back after three months away")
            << "2024-01-01..2024-01-31, 2024-05-02" << false << 14 << 12
            << "2024-01-01, 2024-05-02";
        QTest::newRow("three days, no monthly copies")
            << "2024-03-01..2024-03-20" << false << 3 << 0 << "2024-03-18..2024-03-20";
        QTest::newRow("clock set back a year")
            << "2025-01-10..2025-01-12, 2024-06-01..2024-06-03" << false << 14 << 12
            << "2024-06-01..2024-06-03, 2025-01-10..2025-01-12";
    }
    void backupRotation() {
        QFETCH(QString, startups);
        QFETCH(bool, closedSundaysAndAugust);
        QFETCH(int, days);
        QFETCH(int, months);
        QFETCH(QString, kept);
        QList<QDate> copies;
        for (const QDate& day : dates(startups)) {
            if (closedSundaysAndAugust && (day.dayOfWeek() == 7 || day.month() == 8)) continue;
            if (!copies.contains(day)) copies << day;
            copies = DatabaseFiles::datesToKeep(copies, day, days, months);
        }
        QCOMPARE(copies, dates(kept));
    }

    // The same on disk, through the start-up maintenance: each start-up writes its dated copy
    // and removes what the rotation no longer keeps, but nothing else of the folder; a start-up
    // whose copy cannot be written removes nothing.
    void datedCopiesOnDisk() {
        TestFolder tf(true);
        fillCustomers(tf, 20);
        tf.db().close();
        MaintenanceOptions options;
        options.backups.folder = "copie";  // inside the data folder
        options.compact = false;
        const QString dir = tf.file("copie/");
        QVERIFY(QDir().mkpath(dir));
        writeFile(dir + "database_2024-01-26_101500.mdb", "copia fatta a mano");
        writeFile(dir + "note.txt", "appunti");
        for (const QDate& day : dates("2024-01-25..2024-02-20")) {
            options.today = day;
            const MaintenanceResult r = Database::maintain(tf.path(), options);
            QVERIFY2(r.error.isEmpty() && r.warnings.isEmpty(),
                     qPrintable(r.error + r.warnings.join('\n')));
            QCOMPARE(r.datedBackup, dir + DatabaseFiles::datedName(day));
        }
        QStringList expected{"database_2024-01-25.mdb", "database_2024-01-26_101500.mdb",
                             "database_2024-02-01.mdb", "note.txt"};
        for (const QDate& d : dates("2024-02-07..2024-02-20"))
            expected << DatabaseFiles::datedName(d);
        expected.sort();
        QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name), expected);
        // A copy is a whole database with the data.
        QCOMPARE(DatabaseFiles::checkFile(dir + "database_2024-02-01.mdb", 0).problem, QString());

        // The next copy cannot take its name: a warning, and the old copies all stay.
        QVERIFY(QDir().mkpath(dir + DatabaseFiles::datedName(QDate(2024, 3, 20))));
        options.today = QDate(2024, 3, 20);
        const MaintenanceResult r = Database::maintain(tf.path(), options);
        QVERIFY(r.error.isEmpty());
        QCOMPARE(r.warnings.size(), 1);
        QVERIFY(r.removedBackups.isEmpty());
        QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name), expected);
        QVERIFY(QDir(dir).entryList({"*.tmp"}, QDir::AllEntries).isEmpty());
    }

    // The start-up's own copy is not read through again: what a copy cut short or left
    // unfinished shows (its length against its pages, its tables) is enough to refuse it.
    void writtenCopyCheck_data() {
        QTest::addColumn<int>("damage");  // -1: intact, -2: the last page lost, -3: a page more
        QTest::addColumn<QString>("reported");
        QTest::newRow("intact") << -1 << "";
        QTest::newRow("last page lost") << -2 << "non si legge come database";
        QTest::newRow("a page more") << -3 << "non corrisponde alle sue pagine";
        QTest::newRow("truncated") << int(Damage::Truncated) << "non si legge come database";
        QTest::newRow("zero-length") << int(Damage::ZeroLength) << "non si legge come database";
        QTest::newRow("not SQLite") << int(Damage::NotSqlite) << "non si legge come database";
        QTest::newRow("missing table") << int(Damage::MissingTable) << "manca la tabella Prodotti";
    }
    void writtenCopyCheck() {
        QFETCH(int, damage);
        QFETCH(QString, reported);
        TestFolder tf(true);
        fillCustomers(tf, 300);
        const QString copy = tf.file("copia.mdb");
        QCOMPARE(DatabaseFiles::writeCheckedCopy(tf.db().path(), copy, 0), QString());
        tf.db().close();
        if (damage == -2 || damage == -3) {
            QFile f(copy);
            QVERIFY(f.resize(f.size() + (damage == -2 ? -4096 : 4096)));
        } else if (damage >= 0) {
            spoil(copy, Damage(damage));
        }
        const QString problem = DatabaseFiles::checkWrittenCopy(copy).problem;
        QVERIFY2(reported.isEmpty() ? problem.isEmpty() : problem.contains(reported),
                 qPrintable(problem));
    }

    void missingDatabaseIsReportedByMaintenance() {
        QTemporaryDir dir;
        MaintenanceResult r = Database::maintain(dir.path() + "/");
        QVERIFY(r.ran);
        QVERIFY(r.error.contains("database.mdb"));
        QVERIFY(!QFile::exists(dir.path() + "/database_bak.mdb"));
    }

    void transactionRollsBackUnlessCommitted() {
        TestFolder tf;
        {
            Database::Transaction t(tf.db());
            tf.db().exec("INSERT INTO IVA (Ordine, IVA) VALUES (?, ?)", {1, "22"});
        }
        QCOMPARE(tf.count("IVA"), 0);
        {
            Database::Transaction t(tf.db());
            tf.db().exec("INSERT INTO IVA (Ordine, IVA) VALUES (?, ?)", {1, "22"});
            {
                Database::Transaction inner(tf.db());
                tf.db().exec("INSERT INTO IVA (Ordine, IVA) VALUES (?, ?)", {2, "10"});
            }  // inner rolled back alone
            t.commit();
        }
        QCOMPARE(tf.count("IVA"), 1);
    }

    void injectedFailureStopsTheStatement() {
        TestFolder tf;
        tf.db().failNextStatementContaining("INSERT INTO Giornale");
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 tf.db().exec("INSERT INTO Giornale (Litri) VALUES (1)"));
        QCOMPARE(tf.count("Giornale"), 0);
        tf.db().exec("INSERT INTO Giornale (Litri) VALUES (1)");
        QCOMPARE(tf.count("Giornale"), 1);
    }

    void valuesAreBoundNeverSpliced() {
        TestFolder tf;
        const QString nasty = QStringLiteral("x\"; DROP TABLE Prodotti; --'");
        tf.db().exec("INSERT INTO Prodotti (Codice_prodotto, Litri) VALUES (?, ?)", {nasty, 1.5});
        QCOMPARE(
            tf.db().exec("UPDATE Prodotti SET Litri = ? WHERE Codice_prodotto = ?", {2.0, nasty}),
            1);
        QCOMPARE(
            tf.value("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?", {nasty}).toDouble(),
            2.0);
    }

    // Statements are kept and reused: what scalar() returns and what it binds must be what the
    // driver gives for the same statement.
    void keptStatementsAnswerAsTheDriver_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::newRow("integer") << "SELECT 7" << QVariantList{};
        QTest::newRow("real") << "SELECT 2.5" << QVariantList{};
        QTest::newRow("text") << "SELECT 'Città'" << QVariantList{};
        QTest::newRow("null") << "SELECT NULL" << QVariantList{};
        QTest::newRow("no row") << "SELECT 1 WHERE 0" << QVariantList{};
        QTest::newRow("date bound") << "SELECT ?" << QVariantList{QDate(2024, 3, 31)};
        QTest::newRow("date and time bound")
            << "SELECT ?" << QVariantList{QDateTime(QDate(2024, 10, 27), QTime(2, 30))};
        QTest::newRow("bool bound") << "SELECT ?" << QVariantList{true};
        QTest::newRow("bytes bound") << "SELECT ?" << QVariantList{QByteArray("a\0b", 3)};
        QTest::newRow("text bound") << "SELECT ? || '!'" << QVariantList{QString("perché")};
        for (const QVariant& v : {QVariant(1.5), QVariant(3), QVariant(qint64(1) << 40),
                                  QVariant(QString("x")), QVariant()})
            QTest::newRow(qPrintable("stored as " + QString(v.typeName())))
                << "SELECT typeof(?)" << QVariantList{v};
    }
    void keptStatementsAnswerAsTheDriver() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        TestFolder tf;
        QSqlQuery q = tf.db().select(sql, params);
        const QVariant driver = q.next() ? q.value(0) : QVariant();
        q.finish();
        for (int i = 0; i < 2; ++i) {  // prepared, then kept
            const QVariant kept = tf.db().scalar(sql, params);
            QCOMPARE(kept.isValid(), driver.isValid());
            QCOMPARE(kept.isNull(), driver.isNull());
            QCOMPARE(kept.typeId(), driver.typeId());
            QCOMPARE(kept, driver);
        }
    }

    void keptStatementsFollowTheirUse() {
        TestFolder tf;
        Database& db = tf.db();
        for (int i = 0; i < 30; ++i)
            db.exec("INSERT INTO Prodotti (Codice_prodotto, Litri) VALUES (?, ?)",
                    {QString("P%1").arg(i, 2, 10, QChar('0')), i});
        const int kept = db.keptStatements();
        // New values each time; a null after a value is a null.
        for (int i = 0; i < 30; ++i)
            QCOMPARE(db.scalar("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?",
                               {QString("P%1").arg(i, 2, 10, QChar('0'))})
                         .toInt(),
                     i);
        QCOMPARE(db.scalar("SELECT ? IS NULL", {1}).toInt(), 0);
        QCOMPARE(db.scalar("SELECT ? IS NULL", {QVariant()}).toInt(), 1);
        QCOMPARE(db.keptStatements(), kept + 2);

        // The same text inside its own walk: the walk goes on undisturbed.
        const QString all = "SELECT Codice_prodotto FROM Prodotti ORDER BY 1";
        QStringList seen;
        {
            SqlCursor c(db, all);
            while (c.step()) {
                seen << c.text(0);
                QCOMPARE(db.scalar(all).toString(), QString("P00"));
            }
        }
        QCOMPARE(seen.size(), 30);
        QCOMPARE(seen.last(), QString("P29"));

        // A table changed under a kept statement is read as it is now.
        db.exec("CREATE TABLE Prova (a INTEGER)");
        db.exec("INSERT INTO Prova VALUES (1)");
        QCOMPARE(db.scalar("SELECT * FROM Prova").toInt(), 1);
        db.exec("DROP TABLE Prova");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db.scalar("SELECT * FROM Prova"));
        db.exec("CREATE TABLE Prova (b TEXT, a INTEGER)");
        db.exec("INSERT INTO Prova VALUES ('due', 2)");
        QCOMPARE(db.scalar("SELECT * FROM Prova").toString(), QString("due"));

        // Two statements in one text: refused, and neither runs.
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 db.exec("INSERT INTO IVA (Ordine, IVA) VALUES (1, '22'); "
                                         "DELETE FROM Prodotti"));
        QCOMPARE(tf.count("IVA"), 0);
        QCOMPARE(tf.count("Prodotti"), 30);

        // A connection opened again starts with none of the old ones.
        const QString folder = db.folder();
        db.close();
        QCOMPARE(db.keptStatements(), 0);
        db.open(folder);
        QCOMPARE(db.scalar("SELECT count(*) FROM Prodotti").toInt(), 30);
        QCOMPARE(db.lastInsertId(), 0);
        db.exec("INSERT INTO IVA (Ordine, IVA) VALUES (1, '22')");
        QCOMPARE(db.lastInsertId(), tf.value("SELECT max(rowid) FROM IVA").toLongLong());
    }

    void connectionSettings() {
        TestFolder tf;
        QCOMPARE(tf.value("PRAGMA journal_mode").toString(), QString("delete"));
        QCOMPARE(tf.value("PRAGMA synchronous").toInt(), 2);
        // Between statements the engine waits long for a lock; a statement run by the data
        // layer waits in short tries of its own.
        QSqlQuery q(tf.db().connection());
        QVERIFY(q.exec("PRAGMA busy_timeout") && q.next());
        QCOMPARE(q.value(0).toInt(), 60000);
        QCOMPARE(tf.value("PRAGMA busy_timeout").toInt(), Database::lockPollMs);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
