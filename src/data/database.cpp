#include "data/database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QAtomicInt>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include "data/connection_p.h"
#include "data/migrations.h"
#include "data/schema.h"

namespace {
QAtomicInt connectionCounter;
constexpr int kLongWaitMs = 60000;

}  // namespace

namespace dbimpl {

QString systemErrorText(int err) {
    switch (err) {
        case EROFS:
            return QStringLiteral("il disco è in sola lettura");
        case EACCES:
        case EPERM:
            return QStringLiteral("permessi insufficienti");
        case ENOSPC:
            return QStringLiteral("il disco è pieno");
        case ENOENT:
            return QStringLiteral("la cartella non esiste");
        default:
            return QString::fromLocal8Bit(strerror(err));
    }
}

QString accessProblem(const QString& path, int mode) {
    if (::access(QFile::encodeName(path).constData(), mode) == 0) return {};
    return systemErrorText(errno);
}

QString engineText(const QSqlError& e) {
    QString t = e.databaseText();
    if (t.isEmpty()) t = e.text();
    return t.trimmed();
}

bool isBusy(const QSqlError& e) {
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == SQLITE_BUSY;
}

sqlite3* handleOf(const QSqlDatabase& c) {
    if (!c.isValid() || !c.driver()) return nullptr;
    const QVariant h = c.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

int bindAll(sqlite3_stmt* st, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant v = Database::bindValue(params[i]);
        int rc;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(st, i + 1);
        } else {
            switch (v.typeId()) {
                case QMetaType::Double:
                    rc = sqlite3_bind_double(st, i + 1, v.toDouble());
                    break;
                case QMetaType::Int:
                case QMetaType::LongLong:
                case QMetaType::UInt:
                case QMetaType::ULongLong:
                    rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob(st, i + 1, b.constData(), int(b.size()),
                                           SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QByteArray u = v.toString().toUtf8();
                    rc = sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()),
                                           SQLITE_TRANSIENT);
                }
            }
        }
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

QVariant columnValue(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_INTEGER:
            return qint64(sqlite3_column_int64(st, col));
        case SQLITE_FLOAT:
            return sqlite3_column_double(st, col);
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, col)),
                              sqlite3_column_bytes(st, col));
        case SQLITE_NULL:
            return QVariant(QMetaType::fromType<QString>());
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                     sqlite3_column_bytes(st, col));
    }
}

QSqlDatabase openConnection(const QString& name, const QString& path, bool readOnly, int busyMs) {
    QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    c.setDatabaseName(path);
    QString opts = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs);
    if (readOnly) opts += QStringLiteral(";QSQLITE_OPEN_READONLY");
    c.setConnectOptions(opts);
    if (!c.open()) throw DatabaseError(engineText(c.lastError()));
    return c;
}

void execOn(QSqlDatabase& c, const QString& sql) {
    QSqlQuery q(c);
    if (!q.exec(sql)) throw DatabaseError(engineText(q.lastError()));
}

ScopedConnection::ScopedConnection(const QString& path, bool readOnly, int busyMs)
    : name_(QStringLiteral("vl_tmp_%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {
    try {
        db_ = openConnection(name_, path, readOnly, busyMs);
    } catch (...) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw;
    }
}

ScopedConnection::~ScopedConnection() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

}  // namespace dbimpl

using namespace dbimpl;

// ---------------------------------------------------------------------------------------------
LockMarker::LockMarker(const QString& path) : path_(path) {}
LockMarker::~LockMarker() {
    release();
}

bool LockMarker::lock(int how) {
    if (fd_ >= 0) return true;
    const QByteArray name = QFile::encodeName(path_);
    // A holder that leaves removes the file; a lock taken on the removed file would protect
    // nothing, so take it again on the file that is there now.
    for (int attempt = 0; attempt < 10; ++attempt) {
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            error_ = systemErrorText(errno);
            return false;
        }
        // Other users of other workstations must be able to lock it too.
        ::fchmod(fd_, 0666);
        int rc = ::flock(fd_, how | LOCK_NB);
        // A maintenance holds it alone for a moment: a shared holder waits for it.
        if (rc != 0 && how == LOCK_SH) rc = ::flock(fd_, LOCK_SH);
        if (rc != 0) {
            error_ = errno == EWOULDBLOCK ? QStringLiteral("in uso da un altro programma")
                                          : systemErrorText(errno);
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        struct stat held, now;
        if (::fstat(fd_, &held) == 0 && ::stat(name.constData(), &now) == 0 &&
            held.st_ino == now.st_ino && held.st_dev == now.st_dev)
            return true;
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
    error_ = QStringLiteral("il file continua a essere rimosso da un altro programma");
    return false;
}

bool LockMarker::acquire() {
    return lock(LOCK_SH);
}

bool LockMarker::tryExclusive() {
    return lock(LOCK_EX);
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
    // Read-only is enough to test a lock, and works on a marker another user created.
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
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
        ScopedConnection c(path, false, kLongWaitMs);
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

void Database::open(const QString& folder) {
    close();
    folder_ = folder;
    const QString p = path();
    if (!QFile::exists(p))
        throw DatabaseError(QStringLiteral("Impossibile trovare il file %1").arg(p));
    lock_ = std::make_unique<LockMarker>(folder + lockName());
    // Without the marker the data can still be used, but other workstations would think nobody
    // has the database open and run their maintenance under us: the user must hear of it.
    if (!lock_->acquire())
        lockProblem_ = QStringLiteral(
                           "Impossibile creare il file di blocco %1 (%2): le altre "
                           "postazioni non sapranno che il database è in uso.")
                           .arg(folder + lockName(), lock_->errorString());
    // Writing needs the file and, for the rollback journal beside it, the folder.
    if (QString why = accessProblem(p, W_OK); !why.isEmpty())
        readOnlyReason_ = QStringLiteral("il file %1 non si può scrivere (%2)").arg(p, why);
    else if (QString why = accessProblem(folder, W_OK | X_OK); !why.isEmpty())
        readOnlyReason_ =
            QStringLiteral("nella cartella %1 non si può scrivere (%2)").arg(folder, why);
    try {
        openConnection(connName_, p, isReadOnly(), kLongWaitMs);
        QSqlDatabase conn = connection();
        handle_ = handleOf(conn);
        if (!isReadOnly() && sqlite3_db_readonly(handleOf(conn), "main") == 1)
            readOnlyReason_ = QStringLiteral("il file %1 non si può scrivere").arg(p);
        prepareConnection();
        QSqlQuery probe(conn);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            throw DatabaseError(p + QStringLiteral(": ") + engineText(probe.lastError()));
        probe.finish();
        if (QString missing = DatabaseFiles::structureProblem(conn); !missing.isEmpty())
            throw DatabaseError(p + QStringLiteral(": ") + missing);
    } catch (...) {
        close();
        throw;
    }
}

void Database::prepareConnection() {
    QSqlDatabase c = connection();
    // A rollback journal works on a shared folder (WAL does not); FULL sync for every commit.
    // A read-only connection cannot change the journal mode, and writes no journal anyway.
    if (!isReadOnly()) execOn(c, QStringLiteral("PRAGMA journal_mode=DELETE"));
    execOn(c, QStringLiteral("PRAGMA synchronous=FULL"));
    execOn(c, QStringLiteral("PRAGMA busy_timeout=%1").arg(kLongWaitMs));
    execOn(c, QStringLiteral("PRAGMA foreign_keys=OFF"));
    // Every row written on this connection is noted, so that open data sets can follow it.
    if (sqlite3* handle = handleOf(c)) sqlite3_update_hook(handle, &Database::updateHook, this);
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

void Database::setBusyTimeout(int ms) {
    if (handle_) sqlite3_busy_timeout(handle_, ms);
}

sqlite3_stmt* Database::takeStatement(const QString& sql) {
    if (!handle_ || !isOpen()) throw DatabaseError(QStringLiteral("Database non aperto"));
    if (auto it = statements_.find(sql); it != statements_.end()) {
        sqlite3_stmt* st = it.value();
        statements_.erase(it);
        return st;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(handle_, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &st, &tail) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(handle_));
        sqlite3_finalize(st);
        throw DatabaseError(error);
    }
    // One statement per call, as the driver always allowed: what follows would be dropped.
    while (tail && *tail && (*tail == ';' || QChar(QLatin1Char(*tail)).isSpace())) ++tail;
    if (tail && *tail) {
        sqlite3_finalize(st);
        throw DatabaseError(QStringLiteral("Unable to execute multiple statements at a time"));
    }
    if (!st) throw DatabaseError(QStringLiteral("Istruzione vuota: %1").arg(sql));
    return st;
}

void Database::giveBackStatement(const QString& sql, sqlite3_stmt* st) {
    if (!st) return;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    // Kept only for this connection, and one per text: a text run inside itself had two.
    // Pragmas and query plans are made when prepared and would not follow a change of the
    // schema: those are prepared every time.
    if (!handle_ || sqlite3_db_handle(st) != handle_ || statements_.contains(sql) ||
        sqlite3_stmt_isexplain(st) ||
        QStringView(sql).trimmed().startsWith(u"PRAGMA", Qt::CaseInsensitive)) {
        sqlite3_finalize(st);
        return;
    }
    // Texts made at run time (a pragma with its value) must not pile up.
    if (statements_.size() >= 256) dropStatements();
    statements_.insert(sql, st);
}

void Database::dropStatements() {
    for (sqlite3_stmt* st : std::as_const(statements_)) sqlite3_finalize(st);
    statements_.clear();
}

int Database::runKept(const QString& sql, const QVariantList& params, QVariant* first) {
    tryWhileBusy(sql, [&] {
        Try t;
        sqlite3_stmt* st = nullptr;
        try {
            st = takeStatement(sql);
        } catch (const DatabaseError& e) {
            // Busy while reading the schema can be tried again; anything else is an error.
            t.busy = sqlite3_errcode(handle_) == SQLITE_BUSY;
            t.error = e.text();
            return t;
        }
        hookSaw_ = false;
        int rc = bindAll(st, params);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
                if (first) *first = rc == SQLITE_ROW ? columnValue(st, 0) : QVariant();
                t.affected = sqlite3_column_count(st) > 0 ? 0 : sqlite3_changes(handle_);
                t.ok = true;
            }
        }
        if (!t.ok) {
            t.busy = (rc & 0xff) == SQLITE_BUSY;
            t.error = QString::fromUtf8(sqlite3_errmsg(handle_)).trimmed();
        }
        giveBackStatement(sql, st);
        return t;
    });
    return lastAffected_;
}

void Database::tryWhileBusy(const QString& sql, const std::function<Try()>& attempt) {
    if (!isOpen()) throw DatabaseError(QStringLiteral("Database non aperto"));
    if (!failOn_.isEmpty() && sql.contains(failOn_, Qt::CaseInsensitive)) {
        failOn_.clear();
        throw DatabaseError(QStringLiteral("errore simulato: %1").arg(sql));
    }
    // Outside a transaction a statement that found the database busy changed nothing, and a
    // busy COMMIT leaves the transaction open: both can simply be tried again. Those wait in
    // short tries, so the window can show that it waits; any other statement inside a
    // transaction waits in the engine.
    const bool retry =
        txDepth_ == 0 || sql.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0;
    QElapsedTimer waited;
    waited.start();
    bool waiting = false;
    for (;;) {
        // Set for every try: what the window repaints meanwhile may run statements of its own.
        if (retry) setBusyTimeout(lockPollMs);
        const Try t = attempt();
        if (t.ok) {
            if (retry) setBusyTimeout(kLongWaitMs);
            if (waiting) Q_EMIT lockWaitEnded();
            noteStatement(sql, t.affected);
            lastAffected_ = t.affected;
            // A statement outside any transaction is committed as it ends.
            if (txDepth_ == 0 && !autocommit_.isEmpty()) {
                Changes done = std::move(autocommit_);
                autocommit_ = Changes();
                announce(true, std::move(done));
                lastAffected_ = t.affected;
            }
            return;
        }
        // What a failed statement outside a transaction wrote is undone by the engine.
        if (txDepth_ == 0) autocommit_ = Changes();
        if (!retry || !t.busy || waited.elapsed() >= lockWaitLimit_) {
            if (retry) setBusyTimeout(kLongWaitMs);
            if (waiting) Q_EMIT lockWaitEnded();
            throw DatabaseError(t.error);
        }
        waiting = true;
        Q_EMIT lockWait(int(waited.elapsed()));
    }
}

void Database::close() {
    dropStatements();
    handle_ = nullptr;
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
    readOnlyReason_.clear();
    lockProblem_.clear();
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
    QSqlQuery q;
    tryWhileBusy(sql, [&] {
        Try t;
        q = QSqlQuery(connection());
        q.setForwardOnly(true);
        t.ok = q.prepare(sql);
        hookSaw_ = false;
        if (t.ok) {
            for (const QVariant& p : params) q.addBindValue(bindValue(p));
            t.ok = q.exec();
        }
        if (t.ok) {
            t.affected = q.isSelect() ? 0 : q.numRowsAffected();
        } else {
            t.busy = isBusy(q.lastError());
            t.error = engineText(q.lastError());
        }
        return t;
    });
    return q;
}

int Database::exec(const QString& sql, const QVariantList& params) {
    runKept(sql, params, nullptr);
    return lastAffected_;
}

QSqlQuery Database::select(const QString& sql, const QVariantList& params) {
    return run(sql, params);
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    QVariant first;
    runKept(sql, params, &first);
    return first;
}

qint64 Database::lastInsertId() {
    if (!handle_ || !isOpen()) throw DatabaseError(QStringLiteral("Database non aperto"));
    return sqlite3_last_insert_rowid(handle_);
}

QString Database::storedQuerySql(const QString& name) {
    QVariant v = scalar(
        QStringLiteral("SELECT Sql FROM _StoredQueries WHERE Name = ? COLLATE NOCASE"), {name});
    if (!v.isValid())
        throw DatabaseError(QStringLiteral("Query %1 non trovata nel database").arg(name));
    return v.toString();
}

Database::Transaction::Transaction(Database& db) : db_(db) {
    if (db_.isReadOnly())
        throw DatabaseError(
            QStringLiteral("Il database è aperto in sola lettura (%1): le modifiche non possono "
                           "essere salvate.")
                .arg(db_.readOnlyReason()));
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
