#pragma once
// Connection helpers shared by the data layer's own files (not for the other folders).
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariantList>

namespace dbimpl {

// A system error in words for the user: the common ones in Italian, others as the system says.
QString systemErrorText(int err);
// Why path cannot be accessed with mode (access(2) W_OK, ...), in those words; empty when it can.
QString accessProblem(const QString& path, int mode);

// The engine's text of an error (the driver's wording only when the engine gave none).
QString engineText(const QSqlError& e);
// SQLITE_BUSY: another connection holds the lock this statement needs.
bool isBusy(const QSqlError& e);
// The engine handle of an open connection (nullptr when there is none).
struct sqlite3* handleOf(const QSqlDatabase& c);

// Binds params to st (1, 2, ...) as Database::bindValue converts them; the engine's error code.
int bindAll(struct sqlite3_stmt* st, const QVariantList& params);
// The column of the current row as the Qt driver gives it (integer as qint64, real as double,
// text as QString, null as a null QString).
QVariant columnValue(struct sqlite3_stmt* st, int col);

// Opens a connection on path with the settings every connection of the program uses; throws
// DatabaseError. busyMs: how long a statement waits for another program's lock.
QSqlDatabase openConnection(const QString& name, const QString& path, bool readOnly, int busyMs);
void execOn(QSqlDatabase& c, const QString& sql);

// A connection of its own for a check or a copy, removed again when it goes out of scope.
class ScopedConnection {
public:
    ScopedConnection(const QString& path, bool readOnly, int busyMs);
    ~ScopedConnection();
    ScopedConnection(const ScopedConnection&) = delete;
    ScopedConnection& operator=(const ScopedConnection&) = delete;
    QSqlDatabase& get() { return db_; }

private:
    QString name_;
    QSqlDatabase db_;
};

}  // namespace dbimpl
