#pragma once
// A forward-only walk over a select, straight from SQLite: no QVariant per value, text in the
// engine's own UTF-8. The data sets read their rows through it, and so do the exports that go
// over whole tables.
#include <QByteArrayView>
#include <QPointer>
#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;
class Database;

class SqlCursor {
public:
    // Takes the statement of sql from the database's kept ones (prepared now when none is free)
    // and binds params as Database::bindValue converts them; gives it back when destroyed.
    // Throws DatabaseError.
    SqlCursor(Database& db, const QString& sql, const QVariantList& params = {});
    ~SqlCursor();
    SqlCursor(SqlCursor&& other) noexcept;
    SqlCursor& operator=(SqlCursor&&) = delete;
    SqlCursor(const SqlCursor&) = delete;
    SqlCursor& operator=(const SqlCursor&) = delete;

    // The next row; false after the last. Throws DatabaseError with the engine's text.
    bool step();

    int columns() const;
    QString columnName(int i) const;
    // Index of a result column by name (case-insensitive). Throws DatabaseError when absent.
    int column(const QString& name) const;

    // Values of the current row.
    bool isNull(int i) const;
    QByteArrayView utf8(int i) const;  // empty for null; valid until the next step
    QString text(int i) const;
    double real(int i) const;  // 0 for null
    qint64 integer(int i) const;

    sqlite3_stmt* get() const { return st_; }

private:
    QPointer<Database> owner_;  // gone: the statement is finalized instead of given back
    QString sql_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
};
