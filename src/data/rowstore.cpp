#include "data/rowstore.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace {
constexpr quint64 kNoText = std::numeric_limits<quint64>::max();
constexpr qint64 kMsecsPerDay = 86400000;

// Blocks a closed data set gave back, for the next one to take: memory handed back to the system
// and asked for again costs a page fault per page, more than reading the rows into it. Bounded,
// so that closing a very large data set still returns most of it.
template <typename T>
class SparePool {
public:
    static SparePool& instance() {
        static SparePool pool;
        return pool;
    }
    std::unique_ptr<T[]> take(size_t bytes) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = spare_.find(bytes);
            if (it != spare_.end() && !it->second.empty()) {
                void* p = it->second.back();
                it->second.pop_back();
                held_ -= bytes;
                return std::unique_ptr<T[]>(static_cast<T*>(p));
            }
        }
        return std::make_unique_for_overwrite<T[]>(bytes);
    }
    void give(std::vector<std::unique_ptr<T[]>>& blocks, size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& b : blocks) {
            if (held_ + bytes > kLimit) break;
            spare_[bytes].push_back(b.release());
            held_ += bytes;
        }
    }

private:
    static constexpr size_t kLimit = size_t(48) << 20;
    std::mutex mutex_;
    std::unordered_map<size_t, std::vector<void*>> spare_;
    size_t held_ = 0;
};

bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}
}  // namespace

RowStore::Kind RowStore::kindOf(FieldType t) {
    switch (t) {
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::AutoInc:
            return Kind::Integer;
        case FieldType::Float:
        case FieldType::Currency:
            return Kind::Real;
        case FieldType::Bool:
            return Kind::Bool;
        case FieldType::DateTime:
            return Kind::Date;
        case FieldType::Text:
        case FieldType::Memo:
            break;
    }
    return Kind::Text;
}

void RowStore::reset(const QVector<FieldType>& stored, int extraCount) {
    kinds_.clear();
    for (FieldType t : stored) kinds_.push_back(kindOf(t));
    extraCount_ = extraCount;
    const size_t n = kinds_.size();
    // Key, state bits and flags first: a filter reading one field of every row touches one
    // cache line per row when the field is among the first few.
    bitsOffset_ = 8;
    flagsOffset_ = bitsOffset_ + (n + 3) / 4;
    cellsOffset_ = (flagsOffset_ + 1 + 7) / 8 * 8;
    stride_ = cellsOffset_ + n * 8;
    clear();
}

void RowStore::clear() {
    // Given back at once (an assignment of {} would keep the capacity).
    SparePool<unsigned char>::instance().give(chunks_, kChunkRows * stride_);
    std::vector<std::unique_ptr<unsigned char[]>>().swap(chunks_);
    physicalCount_ = 0;
    std::vector<quint32>().swap(order_);
    row_ = nullptr;
    // Only whole blocks go back: the smaller first ones are cheap to ask for again.
    if (!blocks_.empty() && blockSize_ == kBlock) {
        std::vector<std::unique_ptr<char[]>> whole;
        for (size_t i = 0; i < blocks_.size(); ++i)
            if ((kLongText / 16) << std::min<size_t>(i, 16) >= kBlock)
                whole.push_back(std::move(blocks_[i]));
        SparePool<char>::instance().give(whole, size_t(kBlock));
    }
    std::vector<std::unique_ptr<char[]>>().swap(blocks_);
    blockUsed_ = blockSize_ = 0;
    arenaBytes_ = 0;
    lastText_.assign(kinds_.size(), kNoText);
    std::vector<QVariant>().swap(extras_);
    std::vector<QVariant>().swap(whole_);
    dates_ = {};
}

qint64 RowStore::bytesHeld() const {
    return qint64(chunks_.size()) * kChunkRows * qint64(stride_) +
           qint64(order_.capacity() * sizeof(quint32)) + arenaBytes_ +
           qint64((extras_.capacity() + whole_.capacity()) * sizeof(QVariant));
}

quint32 RowStore::newPhysical() {
    if (physicalCount_ == std::numeric_limits<quint32>::max())
        throw std::length_error("RowStore: troppe righe");
    if (physicalCount_ % kChunkRows == 0)
        chunks_.push_back(SparePool<unsigned char>::instance().take(kChunkRows * stride_));
    const quint32 p = physicalCount_++;
    // Cells are read only where their state says so: the state bits and flags are enough.
    std::memset(physical(p) + bitsOffset_, 0, cellsOffset_ - bitsOffset_);
    if (extraCount_ > 0) extras_.resize(size_t(physicalCount_) * size_t(extraCount_));
    return p;
}

void RowStore::beginRow(qint64 rowid) {
    const quint32 p = newPhysical();
    order_.push_back(p);
    row_ = physical(p);
    std::memcpy(row_, &rowid, 8);
}

void RowStore::putDate(int col, const QDate& date, const QTime& time) {
    const qint64 jd = date.toJulianDay();
    if (!date.isValid() || !time.isValid() || jd < std::numeric_limits<qint32>::min() ||
        jd > std::numeric_limits<qint32>::max()) {
        putVariant(col, QDateTime(date, time));
        return;
    }
    const qint32 parts[2] = {qint32(jd), qint32(time.msecsSinceStartOfDay())};
    putCell(col, parts);
}

void RowStore::putText(int col, const char* utf8, qsizetype bytes) {
    if (storeText(row_, col, utf8, bytes)) return;
    putVariant(col, QString::fromUtf8(utf8, bytes));
}

// A text into the arena, or the slice of the same column's previous text when equal: codes,
// kinds and names repeat down a table.
bool RowStore::storeText(unsigned char* r, int col, const char* utf8, qsizetype bytes) {
    quint64& last = lastText_[size_t(col)];
    if (last != kNoText && qsizetype(last >> 32) == bytes &&
        (bytes == 0 || std::memcmp(textAt(last), utf8, size_t(bytes)) == 0)) {
        std::memcpy(cell(r, col), &last, 8);
        setState(r, col, kValue);
        return true;
    }
    if (bytes > kLongText) return false;
    if (blocks_.empty() || blockUsed_ + bytes > blockSize_) {
        if (blocks_.size() >= kMaxBlocks) return false;
        // Small at first (most data sets are), then whole blocks.
        blockSize_ = std::min(kBlock, std::max(kLongText / 16, blockSize_ * 2));
        blocks_.push_back(blockSize_ == kBlock
                              ? SparePool<char>::instance().take(size_t(kBlock))
                              : std::make_unique_for_overwrite<char[]>(size_t(blockSize_)));
        blockUsed_ = 0;
        arenaBytes_ += blockSize_;
    }
    const qint64 offset = qint64(blocks_.size() - 1) * kBlock + blockUsed_;
    if (bytes) std::memcpy(blocks_.back().get() + blockUsed_, utf8, size_t(bytes));
    blockUsed_ += bytes;
    last = quint64(offset) | (quint64(bytes) << 32);
    std::memcpy(cell(r, col), &last, 8);
    setState(r, col, kValue);
    return true;
}

void RowStore::putVariant(int col, const QVariant& v) {
    writeCell(row_, order_.back(), col, v);
}

// Stores v in a cell of row r: in the column's own form when v has exactly that form (what a
// read gives back), else whole.
void RowStore::writeCell(unsigned char* r, quint32 phys, int col, const QVariant& v) {
    if (col < 0 || col >= columnCount()) return;
    if (col >= storedCount()) {
        extras_[size_t(phys) * size_t(extraCount_) + size_t(col - storedCount())] = v;
        return;
    }
    if (isNullValue(v)) {
        setState(r, col, kNull);
        return;
    }
    const int type = v.typeId();
    const auto plain = [&](qint64 eight) {
        std::memcpy(cell(r, col), &eight, 8);
        setState(r, col, kValue);
    };
    switch (kinds_[size_t(col)]) {
        case Kind::Integer:
            if (type == QMetaType::Int) return plain(v.toInt());
            break;
        case Kind::Real:
            if (type == QMetaType::Double) return plain(std::bit_cast<qint64>(v.toDouble()));
            break;
        case Kind::Bool:
            if (type == QMetaType::Bool) return plain(v.toBool() ? 1 : 0);
            break;
        case Kind::Date:
            if (type == QMetaType::QDateTime) {
                const QDateTime dt = v.toDateTime();
                const qint64 jd = dt.date().toJulianDay();
                if (dt.isValid() && dt.timeSpec() == Qt::LocalTime &&
                    jd >= std::numeric_limits<qint32>::min() &&
                    jd <= std::numeric_limits<qint32>::max()) {
                    const qint32 parts[2] = {qint32(jd), qint32(dt.time().msecsSinceStartOfDay())};
                    return plain(std::bit_cast<qint64>(parts));
                }
            }
            break;
        case Kind::Text:
            if (type == QMetaType::QString) {
                const QByteArray u = v.toString().toUtf8();
                if (storeText(r, col, u.constData(), u.size())) return;
            }
            break;
    }
    const quint64 slot = whole_.size();
    whole_.push_back(v);
    std::memcpy(cell(r, col), &slot, 8);
    setState(r, col, kWhole);
}

void RowStore::clearCalcDone() {
    for (int i = 0; i < size(); ++i) setCalcDone(i, false);
}

bool RowStore::isNull(int row, int col) const {
    if (col >= storedCount()) return isNullValue(value(row, col));
    return state(at(row), col) == kNull;
}

QVariant RowStore::dateValue(qint64 key) const {
    auto it = dates_.constFind(key);
    if (it != dates_.constEnd()) return *it;
    if (dates_.size() >= 65536) dates_.clear();
    const qint64 jd = key >= 0 ? key / kMsecsPerDay : -((-key + kMsecsPerDay - 1) / kMsecsPerDay);
    const int ms = int(key - jd * kMsecsPerDay);
    return *dates_.insert(key,
                          QDateTime(QDate::fromJulianDay(jd), QTime::fromMSecsSinceStartOfDay(ms)));
}

qint64 RowStore::dateKeyAt(int row, int col) const {
    qint32 parts[2];
    std::memcpy(parts, cell(at(row), col), 8);
    return qint64(parts[0]) * kMsecsPerDay + parts[1];
}

QVariant RowStore::value(int row, int col) const {
    if (row < 0 || row >= size() || col < 0 || col >= columnCount()) return QVariant();
    const quint32 phys = order_[size_t(row)];
    if (col >= storedCount())
        return extras_[size_t(phys) * size_t(extraCount_) + size_t(col - storedCount())];
    const unsigned char* r = physical(phys);
    const quint8 s = state(r, col);
    if (s == kNull) return QVariant();
    const unsigned char* c = cell(const_cast<unsigned char*>(r), col);
    if (s == kWhole) return whole_[size_t(load<quint64>(c))];
    switch (kinds_[size_t(col)]) {
        case Kind::Integer:
            return int(load<qint64>(c));
        case Kind::Real:
            return load<double>(c);
        case Kind::Bool:
            return load<qint64>(c) != 0;
        case Kind::Date:
            return dateValue(dateKeyAt(row, col));
        case Kind::Text: {
            const quint64 slice = load<quint64>(c);
            return QString::fromUtf8(textAt(slice), qsizetype(slice >> 32));
        }
    }
    return QVariant();
}

bool RowStore::utf8(int row, int col, QByteArrayView* out) const {
    if (col < 0 || col >= storedCount() || kinds_[size_t(col)] != Kind::Text) return false;
    const unsigned char* r = at(row);
    const quint8 s = state(r, col);
    if (s == kWhole) return false;
    if (s == kNull) {
        *out = QByteArrayView();
        return true;
    }
    const quint64 slice = load<quint64>(cell(const_cast<unsigned char*>(r), col));
    *out = QByteArrayView(textAt(slice), qsizetype(slice >> 32));
    return true;
}

void RowStore::setValue(int row, int col, const QVariant& v) {
    writeCell(at(row), order_[size_t(row)], col, v);
}

QVector<QVariant> RowStore::values(int row) const {
    QVector<QVariant> out(columnCount());
    for (int c = 0; c < columnCount(); ++c) out[c] = value(row, c);
    return out;
}

void RowStore::assign(int row, qint64 rowid, const QVector<QVariant>& values, bool calcDone) {
    unsigned char* r = at(row);
    std::memcpy(r, &rowid, 8);
    const quint32 phys = order_[size_t(row)];
    for (int c = 0; c < columnCount(); ++c) {
        const QVariant v = values.value(c);
        // An unchanged text keeps its slice: posting a row does not grow the arena.
        if (c < storedCount() && kinds_[size_t(c)] == Kind::Text && state(r, c) == kValue &&
            v.typeId() == QMetaType::QString && value(row, c).toString() == v.toString())
            continue;
        writeCell(r, phys, c, v);
    }
    setCalcDone(row, calcDone);
}

int RowStore::append(qint64 rowid, const QVector<QVariant>& values, bool calcDone) {
    beginRow(rowid);
    const int row = size() - 1;
    assign(row, rowid, values, calcDone);
    return row;
}

int RowStore::appendCopy(const RowStore& from, int row) {
    beginRow(from.rowid(row));
    const int mine = size() - 1;
    const unsigned char* src = from.at(row);
    std::memcpy(row_, src, stride_);
    const quint32 phys = order_.back();
    for (int c = 0; c < columnCount(); ++c) {
        const quint8 s = c < storedCount() ? state(src, c) : quint8(kValue);
        if (c >= storedCount() || s == kWhole) {
            writeCell(row_, phys, c, from.value(row, c));
        } else if (s == kValue && kinds_[size_t(c)] == Kind::Text) {
            QByteArrayView t;
            from.utf8(row, c, &t);
            if (!storeText(row_, c, t.data(), t.size()))
                writeCell(row_, phys, c, from.value(row, c));
        }
    }
    return mine;
}

void RowStore::select(const std::vector<int>& rows) {
    // The rows rewritten in their new order: a filter or a grid going down a sorted set then
    // reads memory in sequence instead of jumping from row to row.
    std::vector<std::unique_ptr<unsigned char[]>> old;
    old.swap(chunks_);
    std::vector<QVariant> oldExtras;
    oldExtras.swap(extras_);
    std::vector<quint32> oldOrder;
    oldOrder.swap(order_);
    const auto oldRow = [&](quint32 p) {
        return old[p / kChunkRows].get() + size_t(p % kChunkRows) * stride_;
    };
    physicalCount_ = 0;
    order_.reserve(rows.size());
    for (int r : rows) {
        const quint32 from = oldOrder[size_t(r)];
        const quint32 to = newPhysical();
        order_.push_back(to);
        std::memcpy(physical(to), oldRow(from), stride_);
        for (int k = 0; k < extraCount_; ++k)
            extras_[size_t(to) * size_t(extraCount_) + size_t(k)] =
                std::move(oldExtras[size_t(from) * size_t(extraCount_) + size_t(k)]);
    }
    row_ = nullptr;
    SparePool<unsigned char>::instance().give(old, kChunkRows * stride_);
}

void RowStore::removeAt(int row) {
    order_.erase(order_.begin() + row);
}
