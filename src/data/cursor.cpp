#include "data/cursor.h"

#include <sqlite3.h>

#include "data/connection_p.h"
#include "data/database.h"

SqlCursor::SqlCursor(Database& db, const QString& sql, const QVariantList& params)
    : owner_(&db), sql_(sql) {
    st_ = db.takeStatement(sql);
    db_ = sqlite3_db_handle(st_);
    if (dbimpl::bindAll(st_, params) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(db_));
        db.giveBackStatement(sql_, st_);
        st_ = nullptr;
        throw DatabaseError(error);
    }
}

SqlCursor::SqlCursor(SqlCursor&& other) noexcept
    : owner_(std::move(other.owner_)), sql_(std::move(other.sql_)), db_(other.db_), st_(other.st_) {
    other.st_ = nullptr;
}

SqlCursor::~SqlCursor() {
    if (!st_) return;
    if (owner_)
        owner_->giveBackStatement(sql_, st_);
    else
        sqlite3_finalize(st_);
}

bool SqlCursor::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db_)));
}

int SqlCursor::columns() const {
    return sqlite3_column_count(st_);
}

QString SqlCursor::columnName(int i) const {
    return QString::fromUtf8(sqlite3_column_name(st_, i));
}

int SqlCursor::column(const QString& name) const {
    for (int i = 0; i < columns(); ++i)
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    throw DatabaseError(QStringLiteral("Colonna %1 assente").arg(name));
}

bool SqlCursor::isNull(int i) const {
    return sqlite3_column_type(st_, i) == SQLITE_NULL;
}

QByteArrayView SqlCursor::utf8(int i) const {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    return t ? QByteArrayView(t, sqlite3_column_bytes(st_, i)) : QByteArrayView();
}

QString SqlCursor::text(int i) const {
    const QByteArrayView v = utf8(i);
    return QString::fromUtf8(v.data(), v.size());
}

double SqlCursor::real(int i) const {
    return sqlite3_column_double(st_, i);
}

qint64 SqlCursor::integer(int i) const {
    return sqlite3_column_int64(st_, i);
}
