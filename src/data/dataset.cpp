#include "data/dataset.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/messages.h"
#include "data/cursor.h"
#include "data/database.h"

// Makes Field read a given row (or the edit buffer, -1) for the time of a computation.
class ActiveRow {
public:
    ActiveRow(const DataSet& ds, int row) : ds_(ds), saved_(ds.activeRow_) { ds_.activeRow_ = row; }
    ~ActiveRow() { ds_.activeRow_ = saved_; }

private:
    const DataSet& ds_;
    int saved_;
};

namespace {
const QString kRowid = QStringLiteral("__rowid");

// Value read from the database converted to the field's type in memory.
QVariant fromStorage(FieldType t, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (t) {
        case FieldType::Currency:
            return double(v.toLongLong()) / 10000.0;
        case FieldType::Float:
            return v.toDouble();
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc:
            return v.toInt();
        case FieldType::Bool:
            return v.toLongLong() != 0;
        case FieldType::DateTime: {
            QDateTime d = Database::parseDateTime(v.toString());
            return d.isValid() ? QVariant(d) : QVariant();
        }
        default:
            return v.toString();
    }
}

// Value in memory converted for a bound statement.
QVariant toStorage(FieldType t, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (t) {
        case FieldType::Currency:
            return qint64(std::llround(v.toDouble() * 10000.0));
        case FieldType::Bool:
            return v.toBool() ? 1 : 0;
        case FieldType::DateTime:
            return Database::dateTimeText(v.toDateTime());
        default:
            return v;
    }
}

// "yyyy-MM-dd hh:mm:ss" (or just the date) as stored, in UTF-8, split without the general
// parser: loading a journal reads hundreds of thousands of these. Returns false for any other
// form.
bool splitStoredDate(const char* p, int n, QDate* date, QTime* time) {
    auto num = [p](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i) {
            const char c = p[i];
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    if (n != 19 && n != 10) return false;
    const int y = num(0, 4), mo = num(5, 2), d = num(8, 2);
    const int h = n == 19 ? num(11, 2) : 0, mi = n == 19 ? num(14, 2) : 0,
              se = n == 19 ? num(17, 2) : 0;
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || se < 0) return false;
    *date = QDate(y, mo, d);
    *time = QTime(h, mi, se);
    return date->isValid() && time->isValid();
}

bool sameValue(const QVariant& a, const QVariant& b) {
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an == bn;
    return a == b;
}

// Tables named after FROM and JOIN, to give result columns their declared types.
QStringList tablesIn(const QString& sql) {
    static const QRegularExpression re(QStringLiteral("\\b(?:FROM|JOIN)\\s+([A-Za-z_][A-Za-z0-9_]*)"
                                                      "(?:\\s*,\\s*([A-Za-z_][A-Za-z0-9_]*))?"),
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    auto it = re.globalMatch(sql);
    while (it.hasNext()) {
        auto m = it.next();
        for (int i = 1; i <= 2; ++i)
            if (!m.captured(i).isEmpty() && Schema::table(m.captured(i)))
                out << Schema::table(m.captured(i))->name;
    }
    return out;
}

// A select from one table that can be written back: "SELECT cols FROM Table [WHERE/ORDER ...]".
QString singleTableOf(const QString& sql) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*SELECT\\s+(?!DISTINCT\\b)(.+?)\\s+FROM\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*"
                       "(?:$|;|\\s+WHERE\\b|\\s+ORDER\\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression multi(
        QStringLiteral("\\b(JOIN|GROUP|UNION|HAVING)\\b|\\(\\s*SELECT"),
        QRegularExpression::CaseInsensitiveOption);
    auto m = re.match(sql);
    if (!m.hasMatch() || multi.match(sql).hasMatch()) return {};
    const QString cols = m.captured(1);
    if (cols.contains(QLatin1Char('(')) || !Schema::table(m.captured(2))) return {};
    return Schema::table(m.captured(2))->name;
}

// Names of a select's result columns, and which one is the row identity (-1: none).
QStringList resultNames(const SqlCursor& st, int* rowidCol) {
    QStringList names;
    *rowidCol = -1;
    for (int i = 0; i < st.columns(); ++i) {
        names << st.columnName(i);
        if (names.last() == kRowid) *rowidCol = i;
    }
    return names;
}

QString stripSemicolon(QString s) {
    s = s.trimmed();
    while (s.endsWith(QLatin1Char(';'))) s.chop(1);
    return s;
}
}  // namespace

DataSet::DataSet(Database& db, const QString& name, QObject* parent)
    : QObject(parent), db_(db), name_(name) {
    setObjectName(name);
    connect(&db_, &Database::closed, this, [this] {
        if (isOpen()) close();
    });
    connect(&db_, &Database::committed, this,
            [this](const Database::Changes& c) { databaseChanged(c, false); });
    connect(&db_, &Database::rolledBack, this,
            [this](const Database::Changes& c) { databaseChanged(c, true); });
}

DataSet::~DataSet() = default;

// ---- source ---------------------------------------------------------------------------------

void DataSet::setTable(const QString& table, const QString& where, const QVariantList& params) {
    const TableDef* t = Schema::table(table);
    if (!t) throw DatabaseError(QStringLiteral("Tabella %1 sconosciuta").arg(table));
    table_ = t->name;
    where_ = where;
    params_ = params;
    sql_.clear();
    storedQuery_.clear();
    writableSource_ = true;
    sourceTables_ = {table_};
    defineFields(t->fields);
}

void DataSet::setStoredQuery(const QString& name, const QVariantList& params) {
    if (isOpen()) close();
    storedQuery_ = name;
    params_ = params;
    table_.clear();
    sql_.clear();
    where_.clear();
    writableSource_ = false;
}

void DataSet::setSql(const QString& sql, const QVariantList& params) {
    if (isOpen()) close();
    sql_ = sql;
    params_ = params;
    storedQuery_.clear();
    where_.clear();
    table_ = singleTableOf(sql);
    writableSource_ = !table_.isEmpty();
    sourceTables_ = tablesIn(sql);
}

void DataSet::defineFields(const QVector<FieldDef>& stored) {
    fields_.clear();
    fieldIndex_.clear();
    for (const auto& d : stored) {
        auto f = std::make_unique<Field>(this, int(fields_.size()), d.name, d.type, d.size,
                                         FieldKind::Data);
        f->setTitle(d.title);
        f->setRequired(d.required);
        if (d.type == FieldType::AutoInc) f->setReadOnly(true);
        fieldIndex_.insert(d.name.toLower(), int(fields_.size()));
        fields_.push_back(std::move(f));
    }
    storedCount_ = int(fields_.size());
    for (const auto& e : extraDefs_) {
        Field& f = *fields_.emplace_back(
            std::make_unique<Field>(this, int(fields_.size()), e.name, e.type, e.size, e.kind));
        f.setLookup(e.lookup);
        f.setReadOnly(true);
        fieldIndex_.insert(e.name.toLower(), f.index());
    }
}

Field& DataSet::addExtra(const ExtraDef& def) {
    if (isOpen())
        throw DatabaseError(
            QStringLiteral("Campo %1: il data set %2 è aperto").arg(def.name, name_));
    extraDefs_.push_back(def);
    Field& f = *fields_.emplace_back(
        std::make_unique<Field>(this, int(fields_.size()), def.name, def.type, def.size, def.kind));
    f.setLookup(def.lookup);
    f.setReadOnly(true);
    fieldIndex_.insert(def.name.toLower(), f.index());
    return f;
}

Field& DataSet::addCalculatedField(const QString& name, FieldType type, int size) {
    return addExtra({name, type, size, FieldKind::Calculated, {}});
}

Field& DataSet::addLookupField(const QString& name, FieldType type, const LookupDef& def,
                               int size) {
    return addExtra({name, type, size, FieldKind::Lookup, def});
}

void DataSet::sortBy(const QString& field) {
    if (!field.isEmpty() && isOpen() && !findField(field))
        throw DatabaseError(QStringLiteral("Campo %1 non trovato in %2").arg(field, name_));
    if (isOpen() && !checkBrowseMode()) return;
    if (isOpen() && !field.isEmpty()) fetchAll();  // a sort needs every row
    sortField_ = field;
    if (!isOpen()) return;
    const qint64 mark = bookmark();
    sortRows();
    rebuildView();
    int pos = view_.isEmpty() ? -1 : 0;
    for (int i = 0; i < view_.size(); ++i)
        if (rows_.rowid(view_[i]) == mark) pos = i;
    setCursor(pos, false);
    bof_ = pos <= 0;
    eof_ = view_.isEmpty();
    Q_EMIT reset();
    Q_EMIT currentChanged(cur_);
    afterScroll(*this);
}

void DataSet::setMasterLink(DataSet* master, const QString& masterField,
                            const QString& detailField) {
    if (master_) {
        disconnect(master_, nullptr, this, nullptr);
        master_->details_.removeAll(this);
    }
    master_ = master;
    masterField_ = masterField;
    detailField_ = detailField;
    if (master_) {
        master_->details_.append(this);
        connect(master_, &DataSet::currentChanged, this, [this] { masterMoved(); });
        connect(master_, &DataSet::reset, this, [this] { masterMoved(); });
    }
}

void DataSet::masterMoved() {
    if (!isOpen()) return;
    if (isEditing()) cancel();
    load();
    rebuildView();
    setCursor(view_.isEmpty() ? -1 : 0, false);
    bof_ = true;
    eof_ = view_.isEmpty();
    Q_EMIT reset();
    Q_EMIT currentChanged(cur_);
    afterScroll(*this);
}

// ---- reading --------------------------------------------------------------------------------

QString DataSet::selectText(QVariantList* binds) const {
    *binds = params_;
    QString base;
    if (!storedQuery_.isEmpty() || (!sql_.isEmpty() && table_.isEmpty())) {
        base = stripSemicolon(storedQuery_.isEmpty() ? sql_ : db_.storedQuerySql(storedQuery_));
        return base;
    }
    if (!sql_.isEmpty()) {
        // A one-table select: add the row identity so that rows can be written back.
        static const QRegularExpression sel(QStringLiteral("^\\s*SELECT\\s+"),
                                            QRegularExpression::CaseInsensitiveOption);
        base = stripSemicolon(sql_);
        base.replace(sel, QStringLiteral("SELECT %1.rowid AS %2, ").arg(table_, kRowid));
        return base;
    }
    QStringList conds;
    if (!where_.isEmpty()) conds << QStringLiteral("(%1)").arg(where_);
    if (master_) {
        conds << QStringLiteral("\"%1\" = ?").arg(detailField_);
        binds->append(master_->isOpen() ? master_->field(masterField_).value() : QVariant());
    }
    base = QStringLiteral("SELECT rowid AS %1, * FROM %2").arg(kRowid, table_);
    if (!conds.isEmpty()) base += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    return base;
}

void DataSet::loadLookups() {
    lookups_.clear();
    for (const auto& f : fields_) {
        if (f->kind() != FieldKind::Lookup) continue;
        const LookupDef& l = f->lookup();
        QHash<QString, QVariant> map;
        const FieldDef* rd = Schema::field(l.lookupTable, l.resultField);
        QSqlQuery q = db_.select(QStringLiteral("SELECT \"%1\", \"%2\" FROM %3")
                                     .arg(l.lookupKey, l.resultField, l.lookupTable));
        while (q.next()) {
            const QString key = q.value(0).toString();
            if (!map.contains(key))
                map.insert(key, rd ? fromStorage(rd->type, q.value(1)) : q.value(1));
        }
        lookups_.insert(f->index(), map);
    }
}

bool DataSet::masterValueEmpty() const {
    if (!master_) return false;
    const QVariant mv = master_->isOpen() && !master_->isEmpty()
                            ? master_->field(masterField_).value()
                            : QVariant();
    return !mv.isValid() || mv.isNull() || mv.toString().isEmpty();
}

void DataSet::load() {
    // Read again (a refresh, a change followed): as many rows as were read before.
    const qint64 limit = paged() ? std::max<qint64>(pageRows_, qint64(rows_.size())) : -1;
    releasedView_ = 0;
    releasedSource_ = 0;
    prepareStore(rows_);
    view_.clear();
    complete_ = true;
    if (masterValueEmpty()) return;
    QVariantList binds;
    QString sql = selectText(&binds);
    if (!storedQuery_.isEmpty()) sourceTables_ = tablesIn(sql);
    if (limit >= 0) {
        sql = pageSql(sql);
        binds << limit << 0;
    }
    SqlCursor st(db_, sql, binds);
    const int ncols = st.columns();
    int rowidCol = -1;
    const QStringList names = resultNames(st, &rowidCol);
    bool haveRow = st.step();
    if (table_.isEmpty() || !sql_.isEmpty()) {
        // Result columns of a query: type each by the tables it names, else by its value.
        QVector<FieldDef> defs;
        for (int i = 0; i < ncols; ++i) {
            const QString& col = names[i];
            if (col == kRowid) continue;
            if (const FieldDef* d = Schema::resultColumn(sourceTables_, col)) {
                FieldDef c = *d;
                c.name = col;
                c.required = false;
                defs.push_back(c);
            } else {
                FieldType t = FieldType::Text;
                const int ct = haveRow ? sqlite3_column_type(st.get(), i) : SQLITE_NULL;
                if (ct == SQLITE_INTEGER) t = FieldType::Integer;
                if (ct == SQLITE_FLOAT) t = FieldType::Float;
                defs.push_back({col, t, 0, false, {}});
            }
        }
        bool same = storedCount_ == defs.size();
        for (int i = 0; same && i < defs.size(); ++i)
            same = fields_[size_t(i)]->name() == defs[i].name &&
                   fields_[size_t(i)]->type() == defs[i].type;
        if (!same) {
            defineFields(defs);
            loadLookups();  // lookup values are kept by field index, which just changed
        }
    }
    prepareStore(rows_);
    readRows(st, names, rowidCol, haveRow, rows_);
    complete_ = limit < 0 || qint64(rows_.size()) < limit;
    sortRows();
}

void DataSet::prepareStore(RowStore& store) const {
    QVector<FieldType> types;
    for (int i = 0; i < storedCount_; ++i) types << fields_[size_t(i)]->type();
    store.reset(types, fieldCount() - storedCount_);
}

template <typename Stmt>
void DataSet::readRows(Stmt& st, const QStringList& names, int rowidCol, bool haveRow,
                       RowStore& out, qint64 serialFrom) {
    // Result columns mapped to fields by name.
    const int ncols = int(names.size());
    QVector<int> colOf(storedCount_, -1);
    QVector<FieldType> typeOf(storedCount_);
    for (int i = 0; i < storedCount_; ++i) {
        colOf[i] = int(names.indexOf(fields_[size_t(i)]->name()));
        if (colOf[i] < 0)
            for (int c = 0; c < ncols; ++c)
                if (names[c].compare(fields_[size_t(i)]->name(), Qt::CaseInsensitive) == 0)
                    colOf[i] = c;
        typeOf[i] = fields_[size_t(i)]->type();
    }
    sqlite3_stmt* s = st.get();
    qint64 serial = serialFrom;  // rows without an identity of their own: their position
    while (haveRow) {
        out.beginRow(rowidCol >= 0 ? sqlite3_column_int64(s, rowidCol) : ++serial);
        for (int i = 0; i < storedCount_; ++i) {
            const int col = colOf[i];
            if (col < 0) continue;
            const int ct = sqlite3_column_type(s, col);
            if (ct == SQLITE_NULL) continue;
            switch (typeOf[i]) {
                case FieldType::Currency:
                    out.putReal(i, ct == SQLITE_FLOAT
                                       ? std::round(sqlite3_column_double(s, col)) / 10000.0
                                       : double(sqlite3_column_int64(s, col)) / 10000.0);
                    break;
                case FieldType::Float:
                    out.putReal(i, sqlite3_column_double(s, col));
                    break;
                case FieldType::Integer:
                case FieldType::SmallInt:
                case FieldType::AutoInc:
                    out.putInteger(i, int(sqlite3_column_int64(s, col)));
                    break;
                case FieldType::Bool:
                    out.putBool(i, sqlite3_column_int64(s, col) != 0);
                    break;
                case FieldType::DateTime: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                    const int n = sqlite3_column_bytes(s, col);
                    QDate date;
                    QTime time;
                    // Kept as day and time of day: no time-zone conversion while reading.
                    if (splitStoredDate(p, n, &date, &time)) {
                        out.putDate(i, date, time);
                    } else {
                        const QDateTime d = Database::parseDateTime(QString::fromUtf8(p, n));
                        if (d.isValid()) out.putVariant(i, d);
                    }
                    break;
                }
                case FieldType::Text:
                case FieldType::Memo: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                    out.putText(i, p, sqlite3_column_bytes(s, col));
                    break;
                }
            }
        }
        haveRow = st.step();
    }
}

// ---- reading on demand ----------------------------------------------------------------------

void DataSet::setFetchOnDemand(int pageRows) {
    pageRows_ = std::max(0, pageRows);
}

bool DataSet::paged() const {
    return pageRows_ > 0 && !writableSource_ && sortField_.isEmpty();
}

QString DataSet::pageSql(const QString& sql) {
    // No order of its own: the rows come in the source's order.
    return QStringLiteral("SELECT * FROM (\n%1\n) LIMIT ? OFFSET ?").arg(sql);
}

bool DataSet::canFetchMore() const {
    return isOpen() && !complete_;
}

// Appends up to limit rows of the source after those already read.
int DataSet::readPage(qint64 limit) {
    QVariantList binds;
    const QString sql = pageSql(selectText(&binds));
    const qint64 offset = sourceRowsRead();
    binds << limit << offset;
    SqlCursor st(db_, sql, binds);
    int rowidCol = -1;
    const QStringList names = resultNames(st, &rowidCol);
    const bool haveRow = st.step();
    readRows(st, names, rowidCol, haveRow, rows_, offset);
    const qint64 added = sourceRowsRead() - offset;
    complete_ = added < limit;
    return int(added);
}

int DataSet::fetchMore(int atLeast) {
    // A grid told of new rows may ask for more at once: that waits until these are in place.
    if (fetching_) return 0;
    const QScopedValueRollback<bool> busy(fetching_, true);
    const int from = int(view_.size());
    // Pages grow with the rows read: walking a whole large source costs a few dozen readings.
    // Walking forward, a page never holds more than kForwardPage rows.
    constexpr qint64 kForwardPage = 65536;
    while (int(view_.size()) == from && canFetchMore()) {
        const int before = int(rows_.size());
        qint64 page = std::max(qint64(pageRows_), sourceRowsRead() / 4);
        if (forward_) page = std::min(page, kForwardPage);
        readPage(std::max(page, qint64(atLeast)));
        QVector<int> accepted;
        for (int i = before; i < int(rows_.size()); ++i)
            if (!filtered_ || accepts(i)) accepted.push_back(i);
        if (accepted.isEmpty()) continue;
        const int first = int(view_.size());
        Q_EMIT rowsAboutToBeFetched(first, first + int(accepted.size()) - 1);
        view_ += accepted;
        Q_EMIT rowsFetched(first, int(view_.size()) - 1);
    }
    return int(view_.size()) - from;
}

void DataSet::fetchAll() {
    while (canFetchMore())
        if (fetchMore(std::numeric_limits<int>::max()) == 0) break;
}

// Before the next page of a forward walk: only the current row and those after it are kept.
void DataSet::releaseBehind() {
    if (cur_ <= 0 || cur_ >= view_.size() || isEditing()) return;
    RowStore kept;
    prepareStore(kept);
    for (int v = cur_; v < view_.size(); ++v) kept.appendCopy(rows_, view_[v]);
    releasedSource_ += rows_.size() - kept.size();
    releasedView_ += cur_;
    rows_.clear();
    view_.clear();
    for (int i = 0; i < kept.size(); ++i) view_.push_back(rows_.appendCopy(kept, i));
    cur_ = 0;
}

std::unique_ptr<DataSet> DataSet::forwardCopy() const {
    if (!isOpen() || !paged() || master_ || filtered_ || isEditing()) return nullptr;
    for (const QPointer<DataSet>& d : details_)
        if (d) return nullptr;
    auto copy = std::make_unique<DataSet>(db_, name_);
    copy->table_ = table_;
    copy->where_ = where_;
    copy->sql_ = sql_;
    copy->storedQuery_ = storedQuery_;
    copy->params_ = params_;
    copy->writableSource_ = writableSource_;
    copy->sourceTables_ = sourceTables_;
    copy->readOnly_ = true;
    copy->extraDefs_ = extraDefs_;
    QVector<FieldDef> stored;
    for (int i = 0; i < storedCount_; ++i) {
        const Field& f = *fields_[size_t(i)];
        stored.push_back({f.name(), f.type(), f.size(), f.isRequired(), {}});
    }
    copy->defineFields(stored);
    copy->onCalcFields = onCalcFields;
    copy->follows_ = false;
    copy->pageRows_ = pageRows_;
    copy->forward_ = true;
    copy->open();
    for (const auto& f : fields_) {
        if (Field* c = copy->findField(f->name())) {
            c->setTitle(f->title());
            c->setDisplayFormat(f->displayFormat());
            c->setVisible(f->isVisible());
        }
    }
    return copy;
}

qint64 DataSet::totalRowCount() const {
    if (!isOpen()) return -1;
    if (!canFetchMore()) return releasedView_ + view_.size();
    QVariantList binds;
    const QString sql = QStringLiteral("SELECT count(*) FROM (\n%1\n)").arg(selectText(&binds));
    return db_.scalar(sql, binds).toLongLong();
}

// True when the view has viewRows rows, reading on as needed.
bool DataSet::fetchTo(int viewRows) {
    while (int(view_.size()) < viewRows && canFetchMore())
        if (fetchMore(viewRows - int(view_.size())) == 0) break;
    return int(view_.size()) >= viewRows;
}

void DataSet::sortRows() {
    const Field* f = sortField_.isEmpty() ? nullptr : findField(sortField_);
    const int count = rows_.size();
    if (!f || count < 2) return;
    const int fi = f->index();
    const bool stored = fi < storedCount_;
    if (!stored)
        for (int i = 0; i < count; ++i)
            if (!rows_.calcDone(i)) computeDerived(i);
    const size_t n = size_t(count);
    std::vector<int> order(n);
    for (int i = 0; i < count; ++i) order[size_t(i)] = i;
    const FieldType t = f->type();
    if (t == FieldType::Text || t == FieldType::Memo) {
        // Case is ignored, as the windows' lists always did; nulls first.
        std::vector<QString> keys(n);
        for (int i = 0; i < count; ++i)
            keys[size_t(i)] = rows_.value(i, fi).toString().toCaseFolded();
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    } else {
        // Keys read once: converting a variant in every comparison costs more than the sort.
        std::vector<double> keys(n);
        std::vector<char> nulls(n);
        for (int i = 0; i < count; ++i) {
            double& key = keys[size_t(i)];
            if (stored && rows_.isPlain(i, fi)) {
                // Straight from the cell: dates in wall-clock order, without a zone conversion.
                switch (rows_.kind(fi)) {
                    case RowStore::Kind::Integer:
                    case RowStore::Kind::Bool:
                        key = double(rows_.integerAt(i, fi));
                        break;
                    case RowStore::Kind::Real:
                        key = rows_.realAt(i, fi);
                        break;
                    case RowStore::Kind::Date:
                        key = double(rows_.dateKeyAt(i, fi));
                        break;
                    case RowStore::Kind::Text:
                        key = rows_.value(i, fi).toDouble();
                        break;
                }
                continue;
            }
            const QVariant v = rows_.value(i, fi);
            nulls[size_t(i)] = v.isNull() || !v.isValid();
            if (nulls[size_t(i)]) continue;
            if (t == FieldType::DateTime) {
                const QDateTime d = v.toDateTime();
                key = double(d.date().toJulianDay()) * 86400000.0 + d.time().msecsSinceStartOfDay();
            } else {
                key = v.toDouble();
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            if (nulls[size_t(a)] || nulls[size_t(b)]) return nulls[size_t(a)] && !nulls[size_t(b)];
            return keys[size_t(a)] < keys[size_t(b)];
        });
    }
    rows_.select(order);
}

QVariant DataSet::rowValue(int rowIndex, int fieldIndex) const {
    return rowIndex < 0 ? buffer_.values.value(fieldIndex) : rows_.value(rowIndex, fieldIndex);
}

void DataSet::computeDerived(int rowIndex) const {
    const auto done = [&] {
        if (rowIndex < 0)
            buffer_.calcDone = true;
        else
            rows_.setCalcDone(rowIndex, true);
    };
    if (storedCount_ == fieldCount()) {
        done();
        return;
    }
    const auto set = [&](int fi, const QVariant& v) {
        if (rowIndex < 0)
            buffer_.values[fi] = v;
        else
            rows_.setValue(rowIndex, fi, v);
    };
    for (const auto& f : fields_) {
        if (f->kind() != FieldKind::Lookup) continue;
        const Field* key = findField(f->lookup().keyField);
        set(f->index(), key ? lookupValue(*f, rowValue(rowIndex, key->index())) : QVariant());
    }
    if (onCalcFields) {
        for (const auto& f : fields_)
            if (f->kind() == FieldKind::Calculated) set(f->index(), QVariant());
        ActiveRow guard(*this, rowIndex);
        const bool saved = inCalc_;
        inCalc_ = true;
        try {
            onCalcFields(const_cast<DataSet&>(*this));
        } catch (...) {
            inCalc_ = saved;
            throw;
        }
        inCalc_ = saved;
    }
    done();
}

QVariant DataSet::lookupValue(const Field& f, const QVariant& k) const {
    if (!k.isValid() || k.isNull()) return QVariant();
    auto it = lookups_.constFind(f.index());
    if (it == lookups_.constEnd()) return QVariant();
    return it->value(k.toString());
}

bool DataSet::accepts(int rowIndex) {
    if (!onFilterRecord) return true;
    // Calculated and lookup fields are computed only when the filter reads one of them (see
    // currentValue): filtering tens of thousands of rows by stored fields stays cheap.
    ActiveRow guard(*this, rowIndex);
    return onFilterRecord(*this);
}

void DataSet::rebuildView() {
    view_.clear();
    view_.reserve(rows_.size());
    for (int i = 0; i < rows_.size(); ++i)
        if (!filtered_ || accepts(i)) view_.push_back(i);
}

int DataSet::rowForRead(int viewRow) const {
    if (viewRow < 0 || viewRow >= view_.size()) return -1;
    const int r = view_[viewRow];
    if (!rows_.calcDone(r)) computeDerived(r);
    return r;
}

QVariant DataSet::currentValue(int fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= fieldCount()) return QVariant();
    if (activeRow_ == -1) return buffer_.values.value(fieldIndex);
    if (activeRow_ >= 0) {
        if (fieldIndex >= storedCount_ && !inCalc_ && !rows_.calcDone(activeRow_))
            computeDerived(activeRow_);
        return rows_.value(activeRow_, fieldIndex);
    }
    if (isEditing()) return buffer_.values.value(fieldIndex);
    const int r = rowForRead(cur_);
    return r >= 0 ? rows_.value(r, fieldIndex) : QVariant();
}

bool DataSet::currentUtf8(int fieldIndex, QByteArrayView* out) const {
    if (fieldIndex < 0 || fieldIndex >= storedCount_ || activeRow_ == -1) return false;
    int r = activeRow_;
    if (r < 0) {
        if (isEditing() || cur_ < 0 || cur_ >= view_.size()) return false;
        r = view_[cur_];
    }
    return rows_.utf8(r, fieldIndex, out);
}

void DataSet::setCurrentValue(int fieldIndex, const QVariant& v) {
    if (inCalc_) {
        if (activeRow_ == -1)
            buffer_.values[fieldIndex] = v;
        else if (activeRow_ >= 0)
            rows_.setValue(activeRow_, fieldIndex, v);
        return;
    }
    if (!isEditing())
        throw DatabaseError(QStringLiteral("%1 non è in modifica: impossibile cambiare %2")
                                .arg(name_, fields_[size_t(fieldIndex)]->name()));
    if (fields_[size_t(fieldIndex)]->kind() != FieldKind::Data)
        throw DatabaseError(QStringLiteral("Il campo %1 non si può modificare")
                                .arg(fields_[size_t(fieldIndex)]->name()));
    if (sameValue(buffer_.values[fieldIndex], v)) return;
    buffer_.values[fieldIndex] = v;
    modified_ = true;
    buffer_.calcDone = false;
    computeDerived(-1);
    Q_EMIT rowChanged(cur_);
}

QVariant DataSet::valueAt(int row, int fieldIndex) const {
    if (row == -1) row = cur_;
    if (isEditing() && row == cur_) return buffer_.values.value(fieldIndex);
    const int r = rowForRead(row);
    return r >= 0 ? rows_.value(r, fieldIndex) : QVariant();
}

QString DataSet::displayTextAt(int row, int fieldIndex) const {
    if (row == -1) row = cur_;
    if (fieldIndex < 0 || fieldIndex >= fieldCount()) return {};
    if (isEditing() && row == cur_) {
        ActiveRow guard(*this, -1);
        return fields_[size_t(fieldIndex)]->displayText();
    }
    if (rowForRead(row) < 0) return {};
    ActiveRow guard(*this, view_[row]);
    return fields_[size_t(fieldIndex)]->displayText();
}

Field* DataSet::findField(const QString& name) const {
    auto it = fieldIndex_.constFind(name.toLower());
    return it == fieldIndex_.constEnd() ? nullptr : fields_[size_t(*it)].get();
}

Field& DataSet::field(const QString& name) const {
    Field* f = findField(name);
    if (!f) throw DatabaseError(QStringLiteral("%1: campo '%2' non trovato").arg(name_, name));
    return *f;
}

// ---- life -----------------------------------------------------------------------------------

void DataSet::open() {
    if (isOpen()) return;
    if (table_.isEmpty() && sql_.isEmpty() && storedQuery_.isEmpty())
        throw DatabaseError(QStringLiteral("%1: nessuna origine dei dati").arg(name_));
    if (!db_.isOpen()) throw DatabaseError(QStringLiteral("Database non aperto"));
    loadLookups();
    load();
    rebuildView();
    state_ = State::Browse;
    modified_ = false;
    setCursor(view_.isEmpty() ? -1 : 0, false);
    bof_ = true;
    eof_ = view_.isEmpty();
    Q_EMIT stateChanged();
    Q_EMIT reset();
    Q_EMIT currentChanged(cur_);
    afterOpen(*this);
    afterScroll(*this);
}

void DataSet::close() {
    if (!isOpen()) return;
    beforeClose(*this);
    rows_.clear();
    view_.clear();
    buffer_ = Row();
    modified_ = false;
    cur_ = -1;
    bof_ = eof_ = true;
    complete_ = true;
    releasedView_ = 0;
    releasedSource_ = 0;
    state_ = State::Inactive;
    Q_EMIT stateChanged();
    Q_EMIT reset();
    Q_EMIT currentChanged(-1);
}

void DataSet::refresh() {
    if (!isOpen()) return;
    if (!checkBrowseMode()) return;
    const qint64 mark = bookmark();
    const int oldPos = cur_;
    loadLookups();
    load();
    reloadKeeping(mark, oldPos);
}

// After the rows were read again: the view rebuilt, the cursor back on the row with that key
// (or near where it was), and the world told.
void DataSet::reloadKeeping(qint64 mark, int oldPos) {
    rebuildView();
    int pos = -1;
    for (int i = 0; i < view_.size() && mark; ++i)
        if (rows_.rowid(view_[i]) == mark) {
            pos = i;
            break;
        }
    if (pos < 0 && !view_.isEmpty()) pos = qBound(0, oldPos, int(view_.size()) - 1);
    setCursor(pos, false);
    bof_ = pos <= 0;
    eof_ = view_.isEmpty();
    Q_EMIT reset();
    Q_EMIT currentChanged(cur_);
    afterScroll(*this);
}

void DataSet::setReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    Q_EMIT readOnlyChanged(readOnly);
}

bool DataSet::canModify() const {
    return writableSource_ && !readOnly_ && isOpen();
}

void DataSet::requireWritable(const char* what) const {
    if (!isOpen()) throw DatabaseError(QStringLiteral("%1: data set chiuso").arg(name_));
    if (!writableSource_ || readOnly_)
        throw DatabaseError(QStringLiteral("%1: impossibile %2, i dati sono in sola lettura")
                                .arg(name_, QString::fromUtf8(what)));
}

// ---- navigation -----------------------------------------------------------------------------

void DataSet::setCursor(int viewRow, bool notify) {
    const bool moved = cur_ != viewRow;
    cur_ = viewRow;
    if (notify && moved) {
        Q_EMIT currentChanged(cur_);
        afterScroll(*this);
    }
}

bool DataSet::first() {
    if (!checkBrowseMode()) return false;
    if (releasedView_ > 0) {
        // A forward walk gave back the first rows: read them again.
        load();
        rebuildView();
        Q_EMIT reset();
    }
    setCursor(view_.isEmpty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.isEmpty();
    return true;
}

bool DataSet::last() {
    if (!checkBrowseMode()) return false;
    fetchAll();
    setCursor(int(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.isEmpty();
    return true;
}

bool DataSet::next() {
    if (!checkBrowseMode()) return false;
    if (cur_ + 1 >= view_.size()) {
        if (forward_) releaseBehind();
        fetchTo(cur_ + 2);
    }
    if (cur_ + 1 < view_.size()) {
        setCursor(cur_ + 1);
        bof_ = eof_ = false;
        return true;
    }
    eof_ = true;
    return false;
}

bool DataSet::prior() {
    if (!checkBrowseMode()) return false;
    if (cur_ > 0) {
        setCursor(cur_ - 1);
        bof_ = eof_ = false;
        return true;
    }
    bof_ = true;
    return false;
}

bool DataSet::setRecNo(int row) {
    if (row < 0 || !fetchTo(row + 1)) return false;
    if (row == cur_) return true;
    if (!checkBrowseMode()) return false;
    setCursor(row);
    bof_ = eof_ = false;
    return true;
}

bool DataSet::locate(const QString& fieldName, const QVariant& value) {
    const Field& f = field(fieldName);
    QVariant want;
    try {
        want = f.normalized(value);
    } catch (const DatabaseError&) {
        return false;  // a text that is not a number matches no numeric value
    }
    const int fi = f.index();
    for (int i = 0; fetchTo(i + 1); ++i) {
        const QVariant v = rows_.value(rowForRead(i), fi);
        bool eq;
        if (f.type() == FieldType::Float || f.type() == FieldType::Currency)
            eq = !v.isNull() && !want.isNull() && v.toDouble() == want.toDouble();
        else
            eq = sameValue(v, want);
        if (eq) {
            if (!checkBrowseMode()) return false;
            setCursor(i);
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

qint64 DataSet::bookmark() const {
    if (cur_ < 0 || cur_ >= view_.size()) return 0;
    return rows_.rowid(view_[cur_]);
}

bool DataSet::gotoBookmark(qint64 mark) {
    for (int i = 0; fetchTo(i + 1); ++i)
        if (rows_.rowid(view_[i]) == mark) return setRecNo(i);
    return false;
}

// ---- editing --------------------------------------------------------------------------------

bool DataSet::tryEdit() {
    if (state_ == State::Edit || state_ == State::Insert) return true;
    requireWritable("modificare");
    if (cur_ < 0) {
        append();
        return true;
    }
    if (!askFirst(beforeEdit)) return false;
    const int r = rowForRead(cur_);
    buffer_ = Row{rows_.rowid(r), rows_.values(r), rows_.calcDone(r)};
    state_ = State::Edit;
    modified_ = false;
    Q_EMIT stateChanged();
    return true;
}

void DataSet::edit() {
    tryEdit();
}

void DataSet::append() {
    requireWritable("inserire");
    if (!checkBrowseMode()) return;
    returnTo_ = bookmark();
    buffer_ = Row();
    buffer_.values.resize(fieldCount());
    for (int i = 0; i < storedCount_; ++i)
        if (fields_[size_t(i)]->type() == FieldType::Bool) buffer_.values[i] = false;
    if (master_ && master_->isOpen() && !master_->isEmpty())
        if (Field* link = findField(detailField_))
            buffer_.values[link->index()] = master_->field(masterField_).value();
    view_.push_back(rows_.append(0, buffer_.values, false));
    state_ = State::Insert;
    cur_ = int(view_.size()) - 1;
    bof_ = eof_ = false;
    Q_EMIT rowInserted(cur_);
    Q_EMIT stateChanged();
    Q_EMIT currentChanged(cur_);
    try {
        onNewRecord(*this);
    } catch (const Abort& a) {
        cancel();
        if (!a.message.isEmpty()) Mymsg::message(a.message);
        return;
    }
    modified_ = false;
    computeDerived(-1);
    Q_EMIT rowChanged(cur_);
}

bool DataSet::askFirst(const Event<DataSet&>& event) {
    try {
        event(*this);
    } catch (const Abort& a) {
        if (!a.message.isEmpty()) Mymsg::message(a.message);
        return false;
    }
    return true;
}

// Marks a data set as writing for the time of a post or delete: what the database announces
// meanwhile waits until the data set knows which rows are its own.
class WritingGuard {
public:
    explicit WritingGuard(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~WritingGuard() { flag_ = saved_; }

private:
    bool& flag_;
    bool saved_;
};

void DataSet::writeBuffer(int rowIndex) {
    // Checks of the data layer itself: types, sizes, ranges, required fields.
    for (int i = 0; i < storedCount_; ++i) {
        const Field& f = *fields_[size_t(i)];
        if (f.type() == FieldType::AutoInc) continue;
        buffer_.values[i] = f.normalized(buffer_.values[i]);
        const QVariant& v = buffer_.values[i];
        if (f.isRequired() && (v.isNull() || !v.isValid() || v.toString().isEmpty()))
            throw DatabaseError(QStringLiteral("Il campo %1 è obbligatorio").arg(f.name()));
    }
    QStringList cols;
    QVariantList vals;
    Database::WriterScope own(db_, this);
    try {
        if (state_ == State::Insert) {
            QStringList marks;
            for (int i = 0; i < storedCount_; ++i) {
                const Field& f = *fields_[size_t(i)];
                if (f.type() == FieldType::AutoInc) continue;
                cols << QStringLiteral("\"%1\"").arg(f.name());
                marks << QStringLiteral("?");
                vals << toStorage(f.type(), buffer_.values[i]);
            }
            db_.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(table_, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                     vals);
            buffer_.rowid = db_.lastInsertId();
            for (int i = 0; i < storedCount_; ++i)
                if (fields_[size_t(i)]->type() == FieldType::AutoInc)
                    buffer_.values[i] = int(buffer_.rowid);
        } else {
            for (int i = 0; i < storedCount_; ++i) {
                const Field& f = *fields_[size_t(i)];
                if (f.type() == FieldType::AutoInc ||
                    sameValue(rows_.value(rowIndex, i), buffer_.values[i]))
                    continue;
                cols << QStringLiteral("\"%1\" = ?").arg(f.name());
                vals << toStorage(f.type(), buffer_.values[i]);
            }
            if (!cols.isEmpty()) {
                vals << buffer_.rowid;
                db_.exec(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                             .arg(table_, cols.join(QLatin1Char(','))),
                         vals);
            }
        }
    } catch (const DatabaseError& e) {
        static const QRegularExpression uniq(
            QStringLiteral("UNIQUE constraint failed: \\w+\\.(\\w+)"));
        auto m = uniq.match(e.text());
        if (m.hasMatch()) {
            const Field* f = findField(m.captured(1));
            const QString v = f ? buffer_.values[f->index()].toString() : QString();
            throw DatabaseError(
                QStringLiteral("Esiste già un record con %1 \"%2\": il valore deve essere unico")
                    .arg(m.captured(1), v));
        }
        throw;
    }
}

bool DataSet::post() {
    if (!isEditing()) return true;
    if (!askFirst(askBeforePost)) return false;
    if (!isEditing()) return true;
    // What the user typed survives a refusal or an error: the row stays in edit with it.
    const State editState = state_;
    const Row typed = buffer_;
    const bool typedModified = modified_;
    const int rowIndex = view_[cur_];
    const Row stored{rows_.rowid(rowIndex), rows_.values(rowIndex), rows_.calcDone(rowIndex)};
    const qint64 keyBefore = editState == State::Insert ? returnTo_ : bookmark();
    auto restore = [&] {
        rows_.assign(rowIndex, stored.rowid, stored.values, stored.calcDone);
        buffer_ = typed;
        modified_ = typedModified;
        if (state_ != editState) {
            state_ = editState;
            Q_EMIT stateChanged();
        }
        Q_EMIT rowChanged(cur_);
    };
    return inWriteTransaction(
        [&] {
            beforePost(*this);
            writeBuffer(rowIndex);
            // The row as stored, for whoever reads the data set from here on.
            buffer_.calcDone = false;
            rows_.assign(rowIndex, buffer_.rowid, buffer_.values, false);
            computeDerived(rowIndex);
            state_ = State::Browse;
            modified_ = false;
            Q_EMIT stateChanged();
            Q_EMIT rowChanged(cur_);
            afterPost(*this);
        },
        restore, keyBefore);
}

// A write (before-event, statement, after-event) in one transaction. An Abort rolls it back and
// shows its message once the database is free; undo puts the data set back after any rollback.
template <typename Write, typename Undo>
bool DataSet::inWriteTransaction(Write&& write, Undo&& undo, qint64 keyBefore) {
    QString refusal;
    bool refused = false;
    {
        WritingGuard writing(writing_);
        try {
            Database::Transaction tx(db_);
            try {
                write();
            } catch (const Abort& a) {
                refused = true;
                refusal = a.message;
            }
            if (!refused) tx.commit();
        } catch (...) {
            undo();
            throw;
        }
        if (refused) undo();
    }
    if (refused) {
        if (!refusal.isEmpty()) Mymsg::message(refusal);
        return false;
    }
    rememberUndoKey(keyBefore);
    flushPending();
    return true;
}

void DataSet::rememberUndoKey(qint64 key) {
    // Inside a caller's transaction: should it roll back, the cursor goes back where it was
    // before this data set's first write in it.
    if (undoKey_ < 0 && db_.inTransaction()) undoKey_ = key;
}

void DataSet::cancel() {
    if (!isEditing()) return;
    if (state_ == State::Insert) {
        const int row = cur_;
        view_.removeAt(row);
        rows_.removeAt(rows_.size() - 1);
        state_ = State::Browse;
        modified_ = false;
        Q_EMIT rowRemoved(row);
        // Back to the row the user was on before "new".
        cur_ = qMin(row, int(view_.size()) - 1);
        for (int i = 0; i < view_.size() && returnTo_; ++i)
            if (rows_.rowid(view_[i]) == returnTo_) cur_ = i;
        if (cur_ < 0 && !view_.isEmpty()) cur_ = 0;
        Q_EMIT stateChanged();
        Q_EMIT currentChanged(cur_);
        afterScroll(*this);
        flushPending();
        return;
    }
    state_ = State::Browse;
    modified_ = false;
    buffer_ = Row();
    Q_EMIT stateChanged();
    Q_EMIT rowChanged(cur_);
    flushPending();
}

bool DataSet::remove() {
    requireWritable("cancellare");
    if (state_ == State::Insert) {
        cancel();
        return true;
    }
    if (cur_ < 0) return false;
    if (state_ == State::Edit) cancel();
    if (!askFirst(askBeforeDelete)) return false;
    if (cur_ < 0) return false;
    const int row = cur_;
    const qint64 rowid = rows_.rowid(view_[row]);
    bool deleted = false;
    // A rolled-back delete brings the row back as the database has it.
    auto reread = [&] {
        if (!deleted) return;
        try {
            load();
            reloadKeeping(rowid, row);
        } catch (const DatabaseError&) {
            // The first error is the one to tell.
        }
    };
    return inWriteTransaction(
        [&] {
            beforeDelete(*this);
            {
                Database::WriterScope own(db_, this);
                db_.exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table_), {rowid});
            }
            deleted = true;
            const int rowIndex = view_[row];
            rows_.removeAt(rowIndex);
            view_.removeAt(row);
            for (int& v : view_)
                if (v > rowIndex) --v;
            Q_EMIT rowRemoved(row);
            cur_ = qMin(row, int(view_.size()) - 1);
            eof_ = view_.isEmpty() || cur_ == view_.size() - 1;
            bof_ = cur_ <= 0;
            Q_EMIT currentChanged(cur_);
            afterDelete(*this);
            afterScroll(*this);
        },
        reread, rowid);
}

// ---- following the database -----------------------------------------------------------------

void DataSet::databaseChanged(const Database::Changes& changes, bool undone) {
    if (!isOpen() || !follows_) return;
    if (isEditing() || writing_) {
        pending_.merge(changes);
        pendingUndone_ = pendingUndone_ || undone;
        return;
    }
    try {
        applyChanges(changes, undone);
    } catch (const DatabaseError&) {
        // The rows stay as they were read; the next refresh brings them in line.
    }
}

void DataSet::flushPending() {
    if (pending_.isEmpty() || isEditing() || writing_ || !isOpen()) return;
    const Database::Changes changes = std::move(pending_);
    const bool undone = pendingUndone_;
    pending_ = Database::Changes();
    pendingUndone_ = false;
    applyChanges(changes, undone);
}

void DataSet::applyChanges(const Database::Changes& changes, bool undone) {
    const qint64 undoKey = undoKey_;
    if (!db_.inTransaction()) undoKey_ = -1;
    bool lookupsTouched = false;
    for (const auto& f : fields_)
        if (f->kind() == FieldKind::Lookup && changes.table(f->lookup().lookupTable))
            lookupsTouched = true;
    const bool tableSource = storedQuery_.isEmpty() && sql_.isEmpty() && !table_.isEmpty();
    const Database::Changes::Table* own = tableSource ? changes.table(table_) : nullptr;
    bool sourceTouched = own != nullptr;
    if (!tableSource)
        for (const QString& t : sourceTables_)
            if (changes.table(t)) sourceTouched = true;
    if (!sourceTouched && !lookupsTouched) return;

    const qint64 mark = undone && undoKey >= 0 ? undoKey : bookmark();
    const int oldPos = cur_;
    if (lookupsTouched) {
        loadLookups();
        rows_.clearCalcDone();
    }
    if (sourceTouched) {
        // Committed rows of a table are read one by one; a rollback, a whole table or a query
        // reads everything again, in the source's own order.
        const bool all = undone || !own || own->whole;
        QList<qint64> ids;
        if (!all)
            for (auto it = own->rows.constBegin(); it != own->rows.constEnd(); ++it)
                if (it.value() != this) ids << it.key();
        if (all || ids.size() > 500) {
            load();
        } else if (!ids.isEmpty()) {
            rereadRows(ids);
        } else if (!lookupsTouched) {
            return;  // only its own rows, already in place
        }
    }
    reloadKeeping(mark, oldPos);
}

void DataSet::rereadRows(const QList<qint64>& ids) {
    RowStore fresh;
    prepareStore(fresh);
    if (!masterValueEmpty()) {
        QVariantList binds;
        QString sql = selectText(&binds);
        QStringList marks;
        for (qint64 id : ids) {
            marks << QStringLiteral("?");
            binds << id;
        }
        sql = QStringLiteral("SELECT * FROM (%1) WHERE %2 IN (%3)")
                  .arg(sql, kRowid, marks.join(QLatin1Char(',')));
        SqlCursor st(db_, sql, binds);
        int rowidCol = -1;
        const QStringList names = resultNames(st, &rowidCol);
        const bool haveRow = st.step();
        readRows(st, names, rowidCol, haveRow, fresh);
    }
    QHash<qint64, int> freshAt;
    for (int i = 0; i < fresh.size(); ++i) freshAt.insert(fresh.rowid(i), i);
    const QSet<qint64> wanted(ids.begin(), ids.end());
    // Rows read again take the place of the ones they replace; new rows come last.
    std::vector<int> merged;
    merged.reserve(size_t(rows_.size() + fresh.size()));
    QSet<qint64> placed;
    const int before = rows_.size();
    for (int i = 0; i < before; ++i) {
        const qint64 id = rows_.rowid(i);
        if (!wanted.contains(id)) {
            merged.push_back(i);
            continue;
        }
        auto f = freshAt.constFind(id);
        if (f == freshAt.constEnd()) continue;  // deleted, or no longer in this set
        merged.push_back(rows_.appendCopy(fresh, *f));
        placed.insert(id);
    }
    for (int i = 0; i < fresh.size(); ++i)
        if (!placed.contains(fresh.rowid(i))) merged.push_back(rows_.appendCopy(fresh, i));
    rows_.select(merged);
    sortRows();
}

bool DataSet::checkBrowseMode() {
    for (const QPointer<DataSet>& d : std::as_const(details_))
        if (d && d->isEditing() && !d->checkBrowseMode()) return false;
    if (!isEditing()) return true;
    if (modified_) return post();
    cancel();
    return true;
}

void DataSet::setFiltered(bool on) {
    if (filtered_ == on && !on) return;
    if (isOpen() && !checkBrowseMode()) return;
    filtered_ = on;
    if (!isOpen()) return;
    rebuildView();
    setCursor(view_.isEmpty() ? -1 : 0, false);
    bof_ = true;
    eof_ = view_.isEmpty();
    Q_EMIT reset();
    Q_EMIT currentChanged(cur_);
    afterScroll(*this);
}
