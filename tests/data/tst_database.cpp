#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QtTest>

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
        for (int i = 0; i < 300; ++i)
            tf.insert("Righe", {{"Descrizione", QString(250, QLatin1Char('r'))}});
        tf.db().exec("DELETE FROM Righe");
        tf.db().close();
        const qint64 before = QFileInfo(tf.file("database.mdb")).size();
        writeFile(tf.file("database.bak_mdb"), "old");
        writeFile(tf.file("database_bak.mdb"), "previous backup");
        std::unique_ptr<OtherHolder> holder;
        if (marker == 1) writeFile(tf.file("database.ldb"), "");
        if (marker == 2) holder = std::make_unique<OtherHolder>(tf.file("database.ldb"));

        MaintenanceResult r = Database::maintain(tf.path());
        QCOMPARE(r.ran, runs);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(QFile::exists(tf.file("database.bak_mdb")), !runs);
        const QByteArray backup = readFile(tf.file("database_bak.mdb"));
        if (runs) {
            QVERIFY(r.backupWritten);
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

    void damagedDatabaseKeepsTheLastGoodBackup() {
        TestFolder tf(true);
        for (int i = 0; i < 400; ++i)
            tf.insert("Anagrafica",
                      {{"Codice", QString::number(i)}, {"RagioneSociale", QString(100, 'x')}});
        tf.db().close();
        writeFile(tf.file("database_bak.mdb"), "last good backup");
        // Scribble over the middle of the file, past the header.
        QFile f(tf.file("database.mdb"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        f.seek(size / 2);
        f.write(QByteArray(8192, '\x5a'));
        f.close();
        MaintenanceResult r = Database::maintain(tf.path());
        QVERIFY(r.ran);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(!r.backupWritten);
        QCOMPARE(readFile(tf.file("database_bak.mdb")), QByteArray("last good backup"));
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

    void connectionSettings() {
        TestFolder tf;
        QCOMPARE(tf.value("PRAGMA journal_mode").toString(), QString("delete"));
        QCOMPARE(tf.value("PRAGMA synchronous").toInt(), 2);
        QCOMPARE(tf.value("PRAGMA busy_timeout").toInt(), 60000);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
