#include "data/database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAtomicInt>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include "data/migrations.h"
#include "data/schema.h"

namespace {
QAtomicInt connectionCounter;

QString engineText(const QSqlError& e) {
    QString t = e.databaseText();
    if (t.isEmpty()) t = e.text();
    return t.trimmed();
}

// Opens a connection on path with the settings every connection of the program uses.
QSqlDatabase openConnection(const QString& name, const QString& path, bool readOnly = false) {
    QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    c.setDatabaseName(path);
    QString opts = QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000");
    if (readOnly) opts += QStringLiteral(";QSQLITE_OPEN_READONLY");
    c.setConnectOptions(opts);
    if (!c.open()) throw DatabaseError(engineText(c.lastError()));
    return c;
}

void execOn(QSqlDatabase& c, const QString& sql) {
    QSqlQuery q(c);
    if (!q.exec(sql)) throw DatabaseError(engineText(q.lastError()));
}

// "ok", or the first problems the integrity check reports.
QString integrityOf(QSqlDatabase& c) {
    QSqlQuery q(c);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check"))) return engineText(q.lastError());
    QStringList problems;
    while (q.next()) problems << q.value(0).toString();
    if (problems.size() == 1 && problems.first() == QLatin1String("ok")) return {};
    if (problems.isEmpty()) return QStringLiteral("controllo di integrità senza risposta");
    return problems.mid(0, 5).join(QLatin1Char('\n'));
}

// Whether the file looks like a database at all: SQLite opens anything lazily, so read it.
QString checkReadable(QSqlDatabase& c) {
    QSqlQuery q(c);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return engineText(q.lastError());
    return {};
}

class ScopedConnection {
public:
    ScopedConnection(const QString& path, bool readOnly = false)
        : name_(QStringLiteral("vl_tmp_%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {
        db_ = openConnection(name_, path, readOnly);
    }
    ~ScopedConnection() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase& get() { return db_; }

private:
    QString name_;
    QSqlDatabase db_;
};
}  // namespace

// ---------------------------------------------------------------------------------------------
LockMarker::LockMarker(const QString& path) : path_(path) {}
LockMarker::~LockMarker() {
    release();
}

bool LockMarker::acquire() {
    if (fd_ >= 0) return true;
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    if (::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
        // Someone holds it exclusively for a moment (a check in progress): wait for it.
        if (::flock(fd_, LOCK_SH) != 0) {
            ::close(fd_);
            fd_ = -1;
            return false;
        }
    }
    return true;
}

void LockMarker::release() {
    if (fd_ < 0) return;
    // Remove the marker only when we are the last holder.
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) QFile::remove(path_);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool LockMarker::isLive(const QString& path) {
    int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;  // no marker
    bool live = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!live) ::flock(fd, LOCK_UN);
    ::close(fd);
    return live;
}

// ---------------------------------------------------------------------------------------------
Database::Database(QObject* parent)
    : QObject(parent),
      connName_(QStringLiteral("vl_db_%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

Database::~Database() {
    close();
}

void Database::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw DatabaseError(QStringLiteral("Il database %1 esiste già").arg(path));
    {
        ScopedConnection c(path);
        execOn(c.get(), QStringLiteral("PRAGMA journal_mode=DELETE"));
        execOn(c.get(), QStringLiteral("BEGIN IMMEDIATE"));
        try {
            const QStringList statements =
                Schema::schemaSql().split(QLatin1Char(';'), Qt::SkipEmptyParts);
            for (const QString& st : statements)
                if (!st.trimmed().isEmpty()) execOn(c.get(), st);
            for (const auto& q : Schema::storedQueries()) {
                QSqlQuery ins(c.get());
                ins.prepare(QStringLiteral(
                    "INSERT INTO _StoredQueries (Name, Sql, Params) VALUES (?, ?, ?)"));
                ins.addBindValue(q.name);
                ins.addBindValue(q.sql);
                ins.addBindValue(q.paramNames.join(QLatin1Char(',')));
                if (!ins.exec()) throw DatabaseError(engineText(ins.lastError()));
            }
            // A new file is born at the current version, through the same steps an old one
            // takes to reach it.
            for (const Migration& m : Migrations::all())
                for (const QString& st : m.statements) execOn(c.get(), st);
            execOn(c.get(),
                   QStringLiteral("PRAGMA user_version = %1").arg(Migrations::currentVersion()));
            execOn(c.get(), QStringLiteral("COMMIT"));
        } catch (...) {
            QSqlQuery(c.get()).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    }
}

bool Database::inUseElsewhere(const QString& folder) {
    return LockMarker::isLive(folder + lockName());
}

MaintenanceResult Database::maintain(const QString& folder) {
    MaintenanceResult r;
    if (inUseElsewhere(folder)) return r;
    r.ran = true;
    const QString db = folder + fileName();
    const QString backup = folder + backupName();
    const QString old = folder + oldBackupName();
    if (QFile::exists(old)) r.removedOldBackup = QFile::remove(old);
    if (!QFile::exists(db)) {
        r.error = QStringLiteral("Impossibile trovare il file %1").arg(db);
        return r;
    }
    try {
        ScopedConnection c(db);
        // A leftover hot journal from a crash is rolled back by this first read.
        if (QString e = checkReadable(c.get()); !e.isEmpty()) {
            r.error = QStringLiteral("%1: %2").arg(db, e);
            return r;
        }
        if (QString e = integrityOf(c.get()); !e.isEmpty()) {
            r.error = QStringLiteral("Il database %1 è danneggiato:\n%2").arg(db, e);
            return r;
        }
        // Only a healthy database replaces the last good backup: a consistent copy under a
        // temporary name, checked, then renamed over the old one.
        const QString tmp = backup + QStringLiteral(".tmp");
        QFile::remove(tmp);
        QSqlQuery vac(c.get());
        vac.prepare(QStringLiteral("VACUUM INTO ?"));
        vac.addBindValue(tmp);
        if (vac.exec()) {
            bool good = false;
            {
                // The copy was just written from a checked database: the quick check (pages
                // and records, without cross-checking every index) is enough to trust it.
                ScopedConnection check(tmp, true);
                QSqlQuery q(check.get());
                good = q.exec(QStringLiteral("PRAGMA quick_check")) && q.next() &&
                       q.value(0).toString() == QLatin1String("ok");
            }
            if (good && ::rename(QFile::encodeName(tmp).constData(),
                                 QFile::encodeName(backup).constData()) == 0)
                r.backupWritten = true;
            else
                QFile::remove(tmp);
        }
        // Compaction in place, when there is something to give back: a tenth of the file free.
        // (A healthy database needs no repair; a damaged one never gets this far.)
        QSqlQuery pages(c.get());
        qint64 free = 0, total = 0;
        if (pages.exec(QStringLiteral("PRAGMA freelist_count")) && pages.next())
            free = pages.value(0).toLongLong();
        if (pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next())
            total = pages.value(0).toLongLong();
        pages.finish();  // VACUUM refuses to run beside an open statement
        if (free * 10 >= total && free > 0) {
            execOn(c.get(), QStringLiteral("VACUUM"));
            r.compacted = true;
        }
    } catch (const DatabaseError& e) {
        r.error = QStringLiteral("%1: %2").arg(db, e.text());
    }
    return r;
}

void Database::open(const QString& folder) {
    close();
    folder_ = folder;
    const QString p = path();
    if (!QFile::exists(p))
        throw DatabaseError(QStringLiteral("Impossibile trovare il file %1").arg(p));
    lock_ = std::make_unique<LockMarker>(folder + lockName());
    lock_->acquire();  // best effort: a read-only folder still lets the data be read
    try {
        QSqlDatabase c = openConnection(connName_, p);
        prepareConnection();
        QSqlDatabase conn = connection();
        if (QString e = checkReadable(conn); !e.isEmpty())
            throw DatabaseError(p + QStringLiteral(": ") + e);
        QSqlQuery probe(conn);
        if (!probe.exec(QStringLiteral("SELECT 1 FROM Anagrafica LIMIT 0")))
            throw DatabaseError(p + QStringLiteral(": ") + engineText(probe.lastError()));
    } catch (...) {
        close();
        throw;
    }
}

void Database::prepareConnection() {
    QSqlDatabase c = connection();
    // A rollback journal works on a shared folder (WAL does not); FULL sync for every commit.
    execOn(c, QStringLiteral("PRAGMA journal_mode=DELETE"));
    execOn(c, QStringLiteral("PRAGMA synchronous=FULL"));
    execOn(c, QStringLiteral("PRAGMA busy_timeout=60000"));
    execOn(c, QStringLiteral("PRAGMA foreign_keys=OFF"));
    // Every row written on this connection is noted, so that open data sets can follow it.
    const QVariant h = c.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        if (sqlite3* handle = *static_cast<sqlite3* const*>(h.constData()))
            sqlite3_update_hook(handle, &Database::updateHook, this);
}

void Database::updateHook(void* self, int, const char* dbName, const char* table, long long rowid) {
    if (qstrcmp(dbName, "main") != 0) return;
    static_cast<Database*>(self)->rowWritten(table, rowid);
}

const Database::Changes::Table* Database::Changes::table(const QString& name) const {
    auto it = tables.constFind(name.toLower());
    return it == tables.constEnd() ? nullptr : &*it;
}

void Database::Changes::merge(const Changes& other) {
    for (auto t = other.tables.constBegin(); t != other.tables.constEnd(); ++t) {
        Table& mine = tables[t.key()];
        mine.whole = mine.whole || t->whole;
        for (auto r = t->rows.constBegin(); r != t->rows.constEnd(); ++r) {
            auto it = mine.rows.find(r.key());
            if (it == mine.rows.end())
                mine.rows.insert(r.key(), r.value());
            else if (it.value() != r.value())
                it.value() = nullptr;
        }
    }
}

void Database::rowWritten(const char* table, qint64 rowid) {
    hookSaw_ = true;
    Changes& c = changes_.empty() ? autocommit_ : changes_.back();
    Changes::Table& t = c.tables[QString::fromUtf8(table).toLower()];
    if (t.whole) return;
    // Past a few hundred rows the data sets read the table again anyway: stop counting.
    if (t.rows.size() >= 512) {
        t.whole = true;
        t.rows.clear();
        return;
    }
    auto it = t.rows.find(rowid);
    if (it == t.rows.end())
        t.rows.insert(rowid, writer_);
    else if (it.value() != writer_)
        it.value() = nullptr;
}

void Database::noteStatement(const QString& sql, int changedRows) {
    // The engine names no row when it empties a whole table at once: take the table from the
    // statement itself.
    if (hookSaw_ || changedRows <= 0) return;
    static const QRegularExpression target(
        QStringLiteral(
            "^\\s*(?:INSERT\\s+(?:OR\\s+\\w+\\s+)?INTO|REPLACE\\s+INTO|UPDATE(?:\\s+OR\\s+\\w+)?|"
            "DELETE\\s+FROM)\\s+[\"\\[`]?(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = target.match(sql);
    if (!m.hasMatch()) return;
    Changes& c = changes_.empty() ? autocommit_ : changes_.back();
    c.tables[m.captured(1).toLower()].whole = true;
}

void Database::announce(bool commit, Changes changes) {
    if (changes.isEmpty()) return;
    if (commit)
        Q_EMIT committed(changes);
    else
        Q_EMIT rolledBack(changes);
}

Database::WriterScope::WriterScope(Database& db, const QObject* owner)
    : db_(db), saved_(db.writer_) {
    db_.writer_ = owner;
}

Database::WriterScope::~WriterScope() {
    db_.writer_ = saved_;
}

void Database::close() {
    const bool wasOpen = QSqlDatabase::contains(connName_);
    if (wasOpen) {
        {
            QSqlDatabase c = QSqlDatabase::database(connName_, false);
            c.close();
        }
        QSqlDatabase::removeDatabase(connName_);
    }
    lock_.reset();
    txDepth_ = 0;
    changes_.clear();
    autocommit_ = Changes();
    if (wasOpen) Q_EMIT closed();
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(connName_) && QSqlDatabase::database(connName_, false).isOpen();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(connName_, false);
}

QDateTime Database::parseDateTime(const QString& text) {
    if (text.isEmpty()) return {};
    QDateTime d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!d.isValid()) d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid()) d = QDateTime::fromString(text, Qt::ISODate);
    return d;
}

QString Database::dateTimeText(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QVariant Database::bindValue(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            return dateTimeText(v.toDateTime());
        case QMetaType::QDate:
            return dateTimeText(v.toDate().startOfDay());
        case QMetaType::Bool:
            return v.toBool() ? 1 : 0;
        default:
            return v;
    }
}

QSqlQuery Database::run(const QString& sql, const QVariantList& params) {
    if (!isOpen()) throw DatabaseError(QStringLiteral("Database non aperto"));
    if (!failOn_.isEmpty() && sql.contains(failOn_, Qt::CaseInsensitive)) {
        failOn_.clear();
        throw DatabaseError(QStringLiteral("errore simulato: %1").arg(sql));
    }
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) throw DatabaseError(engineText(q.lastError()));
    for (const QVariant& p : params) q.addBindValue(bindValue(p));
    hookSaw_ = false;
    if (!q.exec()) {
        // What a failed statement outside a transaction wrote is undone by the engine.
        if (txDepth_ == 0) autocommit_ = Changes();
        throw DatabaseError(engineText(q.lastError()));
    }
    const int affected = q.isSelect() ? 0 : q.numRowsAffected();
    noteStatement(sql, affected);
    lastAffected_ = affected;
    // A statement outside any transaction is committed as it ends.
    if (txDepth_ == 0 && !autocommit_.isEmpty()) {
        Changes done = std::move(autocommit_);
        autocommit_ = Changes();
        announce(true, std::move(done));
        lastAffected_ = affected;
    }
    return q;
}

int Database::exec(const QString& sql, const QVariantList& params) {
    run(sql, params);
    return lastAffected_;
}

QSqlQuery Database::select(const QString& sql, const QVariantList& params) {
    return run(sql, params);
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    QSqlQuery q = run(sql, params);
    if (!q.next()) return QVariant();
    return q.value(0);
}

qint64 Database::lastInsertId() {
    return scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}

QString Database::storedQuerySql(const QString& name) {
    QVariant v = scalar(
        QStringLiteral("SELECT Sql FROM _StoredQueries WHERE Name = ? COLLATE NOCASE"), {name});
    if (!v.isValid())
        throw DatabaseError(QStringLiteral("Query %1 non trovata nel database").arg(name));
    return v.toString();
}

Database::Transaction::Transaction(Database& db) : db_(db) {
    if (db_.txDepth_ == 0) {
        db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        savepoint_ = QStringLiteral("sp%1").arg(db_.txDepth_);
        db_.exec(QStringLiteral("SAVEPOINT ") + savepoint_);
    }
    ++db_.txDepth_;
    db_.changes_.emplace_back();
}

Database::Transaction::~Transaction() {
    if (done_) return;
    if (db_.txDepth_ > 0) --db_.txDepth_;
    Changes undone;
    if (!db_.changes_.empty()) {
        undone = std::move(db_.changes_.back());
        db_.changes_.pop_back();
    }
    if (!db_.isOpen()) return;
    try {
        if (savepoint_.isEmpty()) {
            db_.exec(QStringLiteral("ROLLBACK"));
        } else {
            db_.exec(QStringLiteral("ROLLBACK TO ") + savepoint_);
            db_.exec(QStringLiteral("RELEASE ") + savepoint_);
        }
    } catch (const DatabaseError&) {
        // The engine already rolled back (for example after a disk error).
    }
    try {
        db_.announce(false, std::move(undone));
    } catch (...) {
        // A data set that cannot read its rows again keeps them; nothing may leave a destructor.
    }
}

void Database::Transaction::commit() {
    if (done_) return;
    db_.exec(savepoint_.isEmpty() ? QStringLiteral("COMMIT")
                                  : QStringLiteral("RELEASE ") + savepoint_);
    done_ = true;
    if (db_.txDepth_ > 0) --db_.txDepth_;
    if (db_.changes_.empty()) return;
    Changes done = std::move(db_.changes_.back());
    db_.changes_.pop_back();
    if (!db_.changes_.empty())
        db_.changes_.back().merge(done);  // a savepoint's writes belong to the enclosing one
    else
        db_.announce(true, std::move(done));
}
