#include "data/cursor.h"

#include <sqlite3.h>

#include <QSqlDriver>

#include "data/database.h"

SqlCursor::SqlCursor(Database& db, const QString& sql, const QVariantList& params) {
    const QVariant h = db.isOpen() ? db.connection().driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("Database non aperto"));
    db_ = *static_cast<sqlite3* const*>(h.constData());
    if (!db_) throw DatabaseError(QStringLiteral("Database non aperto"));
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &st_, nullptr) != SQLITE_OK)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db_)));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant v = Database::bindValue(params[i]);
        int rc;
        if (!v.isValid() || v.isNull())
            rc = sqlite3_bind_null(st_, i + 1);
        else if (v.typeId() == QMetaType::Double)
            rc = sqlite3_bind_double(st_, i + 1, v.toDouble());
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                 v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong)
            rc = sqlite3_bind_int64(st_, i + 1, v.toLongLong());
        else {
            const QString s = v.toString();
            rc = sqlite3_bind_text16(st_, i + 1, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) {
            const QString error = QString::fromUtf8(sqlite3_errmsg(db_));
            sqlite3_finalize(st_);
            throw DatabaseError(error);
        }
    }
}

SqlCursor::SqlCursor(SqlCursor&& other) noexcept : db_(other.db_), st_(other.st_) {
    other.st_ = nullptr;
}

SqlCursor::~SqlCursor() {
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
