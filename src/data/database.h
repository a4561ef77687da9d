#pragma once
// The one connection to database.mdb in the data folder, the start-up maintenance, the lock
// marker database.ldb, statements with bound values, and write transactions.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "data/errors.h"
#include "data/maintenance.h"

class LockMarker;
struct sqlite3;
struct sqlite3_stmt;

class Database : public QObject {
    Q_OBJECT
public:
    explicit Database(QObject* parent = nullptr);
    ~Database() override;

    // File names in the data folder.
    static QString fileName() { return QStringLiteral("database.mdb"); }
    static QString lockName() { return QStringLiteral("database.ldb"); }
    static QString backupName() { return QStringLiteral("database_bak.mdb"); }
    static QString oldBackupName() { return QStringLiteral("database.bak_mdb"); }

    // Creates a new database file with the schema and the stored queries. Throws DatabaseError;
    // never overwrites an existing file.
    static void create(const QString& path);

    // Start-up maintenance when nobody holds the lock marker (DatabaseFiles::maintain): check,
    // only then back up, and compact when it can. A damaged database keeps every backup.
    static MaintenanceResult maintain(const QString& folder,
                                      const MaintenanceOptions& options = {}) {
        return DatabaseFiles::maintain(folder, options);
    }

    // Whether another program holds folder's database (a live lock on database.ldb).
    static bool inUseElsewhere(const QString& folder);

    // Opens folder + "database.mdb" (folder ends with "/"), holding the lock marker while open.
    // A file or folder that cannot be written is opened read-only (isReadOnly). Throws
    // DatabaseError with the engine's text (missing file, not a database, a table missing).
    void open(const QString& folder);
    void close();
    bool isOpen() const;
    // Opened read-only: every write is refused with readOnlyReason() (a text for the user).
    bool isReadOnly() const { return !readOnlyReason_.isEmpty(); }
    QString readOnlyReason() const { return readOnlyReason_; }
    // Why the lock marker database.ldb could not be created or held, else empty: other
    // workstations then cannot see that this one has the database open.
    QString lockMarkerProblem() const { return lockProblem_; }
    QString folder() const { return folder_; }
    QString path() const { return folder_ + fileName(); }
    QSqlDatabase connection() const;

    // A statement with bound values; returns the rows affected. Throws DatabaseError.
    int exec(const QString& sql, const QVariantList& params = {});
    // A select with bound values, positioned before the first row. Throws DatabaseError.
    QSqlQuery select(const QString& sql, const QVariantList& params = {});
    // The first column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Id of the row inserted last on this connection.
    qint64 lastInsertId();
    // Text of a stored query kept in the database.
    QString storedQuerySql(const QString& name);

    // Converts a value for binding: QDate/QDateTime to "yyyy-MM-dd hh:mm:ss", bool to 0/1.
    static QVariant bindValue(const QVariant& v);
    static QString dateTimeText(const QDateTime& dt);
    static QDateTime parseDateTime(const QString& text);

    // A write transaction: BEGIN IMMEDIATE (so two writers never deadlock), or a savepoint
    // when one is already open. Rolled back unless commit() was called. Refused at once on a
    // database opened read-only.
    // The outermost commit announces what was written (committed()); a rollback, of the whole
    // transaction or of a savepoint, announces what was undone (rolledBack()).
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Database& db_;
        QString savepoint_;
        bool done_ = false;
    };
    bool inTransaction() const { return txDepth_ > 0; }

    // Rows written, per table, between two announcements. Every write is seen, whoever made it
    // (a data set's post, a rule's statement, a trigger); a table whose rows the engine did not
    // name (a delete of the whole table) is marked whole.
    struct Changes {
        struct Table {
            // rowid -> the data set that wrote it alone, or nullptr (a statement, or several).
            QHash<qint64, const QObject*> rows;
            bool whole = false;
        };
        QHash<QString, Table> tables;  // by lower-case table name
        bool isEmpty() const { return tables.isEmpty(); }
        const Table* table(const QString& name) const;
        void merge(const Changes& other);
    };

    // Marks the statements run while it lives as written by owner (a data set writing its own
    // row), so that owner need not read that row again.
    class WriterScope {
    public:
        WriterScope(Database& db, const QObject* owner);
        ~WriterScope();
        WriterScope(const WriterScope&) = delete;
        WriterScope& operator=(const WriterScope&) = delete;

    private:
        Database& db_;
        const QObject* saved_;
    };

    // Prepared statements are kept by their text and reused: exec(), scalar() and SqlCursor
    // take one (prepared now when none is free) and give it back reset. A statement still in
    // use is not shared, so the same text may run inside itself.
    sqlite3_stmt* takeStatement(const QString& sql);  // throws DatabaseError
    void giveBackStatement(const QString& sql, sqlite3_stmt* st);
    int keptStatements() const { return int(statements_.size()); }

    // For tests: an error raised by the next statement whose text contains the given text.
    void failNextStatementContaining(const QString& text) { failOn_ = text; }

    // A statement that finds the database locked by another workstation is tried again every
    // lockPollMs until lockWaitLimitMs have passed, with lockWait emitted between the tries.
    static constexpr int lockPollMs = 250;
    void setLockWaitLimit(int ms) { lockWaitLimit_ = ms; }
    int lockWaitLimit() const { return lockWaitLimit_; }

Q_SIGNALS:
    void closed();
    // After the outermost commit, or after a statement run outside any transaction.
    void committed(const Database::Changes& changes);
    // After a rollback: the rows changed meanwhile are as they were before.
    void rolledBack(const Database::Changes& changes);
    // A statement waits for another workstation's lock (emitted after each try that found the
    // database busy), and the wait is over (the statement ran or gave up).
    void lockWait(int elapsedMs);
    void lockWaitEnded();

private:
    void prepareConnection();
    void setBusyTimeout(int ms);
    QSqlQuery run(const QString& sql, const QVariantList& params);
    // exec() and scalar() on a kept statement: the first column of the first row into *first.
    int runKept(const QString& sql, const QVariantList& params, QVariant* first);
    // One try of a statement: whether it ran and the rows it changed, else the engine's text
    // and whether another program held the database.
    struct Try {
        bool ok = false;
        int affected = 0;
        bool busy = false;
        QString error;
    };
    // Tries sql again while it finds the database busy (see run()), announcing what it wrote.
    void tryWhileBusy(const QString& sql, const std::function<Try()>& attempt);
    void dropStatements();
    void rowWritten(const char* table, qint64 rowid);
    void noteStatement(const QString& sql, int changedRows);
    void announce(bool commit, Changes changes);
    static void updateHook(void* self, int op, const char* dbName, const char* table,
                           long long rowid);
    QString connName_;
    QString folder_;
    std::unique_ptr<LockMarker> lock_;
    int txDepth_ = 0;
    QString failOn_;
    // One entry per open transaction level (index 0: outermost); outside any transaction the
    // single statement's writes collect in autocommit_.
    std::vector<Changes> changes_;
    Changes autocommit_;
    bool hookSaw_ = false;  // the update hook reported a row during the current statement
    int lastAffected_ = 0;
    const QObject* writer_ = nullptr;
    QString readOnlyReason_;
    QString lockProblem_;
    int lockWaitLimit_ = 60000;
    sqlite3* handle_ = nullptr;                 // the engine's handle of the open connection
    QHash<QString, sqlite3_stmt*> statements_;  // prepared, reset, free to take
};

// The marker database.ldb: held with a shared advisory lock while a program has the database
// open; a file left behind by a crash has no live lock and counts as absent.
class LockMarker {
public:
    explicit LockMarker(const QString& path);
    ~LockMarker();
    // Creates the file and holds a shared lock (waiting while a maintenance holds it alone).
    bool acquire();
    // Holds the marker alone, without waiting: false when another program holds it or the file
    // cannot be created (errorString() tells which).
    bool tryExclusive();
    void release();  // drops the lock and removes the file when nobody else holds it
    QString errorString() const { return error_; }
    // True when some process holds a lock on the file at path.
    static bool isLive(const QString& path);

private:
    bool lock(int how);
    QString path_;
    QString error_;
    int fd_ = -1;
};
