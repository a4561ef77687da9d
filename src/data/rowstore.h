#pragma once
// The rows a data set holds, kept compactly: per row its key, two state bits per stored column
// and one eight-byte cell each (an integer, a real, a date as day and time of day, or a text as a
// slice of a UTF-8 arena). Values become QVariant only when read. A value that does
// not fit its column's cell (a date with an explicit zone, a number kept in a text column while
// a row is typed, ...) is kept whole in a side list, so what was put is what is read.
//
// Rows have a logical order (what the data set indexes) over physical rows that are only ever
// appended: sorting and removing move four-byte indices, not rows, and closing frees a handful
// of blocks instead of a value per cell.
#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QVariant>
#include <QVector>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "data/field.h"

class RowStore {
public:
    enum class Kind : quint8 { Integer, Real, Bool, Date, Text };
    static Kind kindOf(FieldType t);

    RowStore() = default;
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    // Drops every row and sets the columns: the stored ones by type, then extra ones (computed
    // and looked-up values) kept as variants.
    void reset(const QVector<FieldType>& stored, int extraCount);
    // Drops every row, keeping the columns.
    void clear();

    int size() const { return int(order_.size()); }
    bool isEmpty() const { return order_.empty(); }
    int storedCount() const { return int(kinds_.size()); }
    int columnCount() const { return storedCount() + extraCount_; }
    Kind kind(int col) const { return kinds_[size_t(col)]; }
    // Bytes held for rows and texts (what closing gives back).
    qint64 bytesHeld() const;

    // ---- reading rows in: beginRow, then put* for each non-null cell of it
    void beginRow(qint64 rowid);
    void putInteger(int col, qint64 v) { putCell(col, &v); }
    void putReal(int col, double v) { putCell(col, &v); }
    void putBool(int col, bool v) { putInteger(col, v ? 1 : 0); }
    void putDate(int col, const QDate& date, const QTime& time);
    void putText(int col, const char* utf8, qsizetype bytes);
    void putVariant(int col, const QVariant& v);  // the cell's own form when it fits, else whole

    // ---- rows by logical index
    qint64 rowid(int row) const { return load<qint64>(at(row)); }
    bool calcDone(int row) const { return at(row)[flagsOffset_] != 0; }
    void setCalcDone(int row, bool done) { at(row)[flagsOffset_] = done ? 1 : 0; }
    void clearCalcDone();
    bool isNull(int row, int col) const;
    QVariant value(int row, int col) const;
    void setValue(int row, int col, const QVariant& v);
    // A stored text cell as kept, UTF-8 (empty for null); false when the cell holds no text.
    bool utf8(int row, int col, QByteArrayView* out) const;
    // Cell contents for sorting and comparing without a variant; valid for a non-null cell of
    // the column's own form (isPlain).
    bool isPlain(int row, int col) const { return state(at(row), col) == kValue; }
    qint64 integerAt(int row, int col) const { return load<qint64>(cell(at(row), col)); }
    double realAt(int row, int col) const { return load<double>(cell(at(row), col)); }
    // Wall-clock milliseconds from a fixed origin: orders dates without a time-zone conversion.
    qint64 dateKeyAt(int row, int col) const;

    // Whole rows: stored values then extra ones, as a data set's edit buffer holds them.
    QVector<QVariant> values(int row) const;
    void assign(int row, qint64 rowid, const QVector<QVariant>& values, bool calcDone);
    int append(qint64 rowid, const QVector<QVariant>& values, bool calcDone);
    // A row of another store with the same columns, copied to the end; returns its index.
    int appendCopy(const RowStore& from, int row);

    // Keeps the rows listed, in that order (a sort, a removal, a merge).
    void select(const std::vector<int>& rows);
    void removeAt(int row);

private:
    enum : quint8 { kNull = 0, kValue = 1, kWhole = 2 };
    static constexpr int kChunkRows = 256;
    // Texts live in blocks of the arena, the first ones small, none larger than kBlock; a text
    // is addressed as block * kBlock + position. Longer texts are kept whole.
    static constexpr qsizetype kBlock = qsizetype(1) << 18;
    static constexpr qsizetype kLongText = kBlock / 4;
    static constexpr size_t kMaxBlocks = size_t(0x100000000LL / kBlock);
    template <typename T>
    static T load(const unsigned char* p) {
        T v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    unsigned char* physical(quint32 p) const {
        return chunks_[p / kChunkRows].get() + size_t(p % kChunkRows) * stride_;
    }
    unsigned char* at(int row) const { return physical(order_[size_t(row)]); }
    unsigned char* cell(unsigned char* r, int col) const {
        return r + cellsOffset_ + size_t(col) * 8;
    }
    const char* textAt(quint64 slice) const {
        const quint32 off = quint32(slice);
        return blocks_[off / kBlock].get() + off % kBlock;
    }
    quint8 state(const unsigned char* r, int col) const {
        return quint8(((r[bitsOffset_ + size_t(col) / 4]) >> ((col % 4) * 2)) & 3);
    }
    void setState(unsigned char* r, int col, quint8 s) const {
        unsigned char& b = r[bitsOffset_ + size_t(col) / 4];
        const int shift = (col % 4) * 2;
        b = static_cast<unsigned char>((b & ~(3 << shift)) | (s << shift));
    }
    void putCell(int col, const void* eight) {
        std::memcpy(cell(row_, col), eight, 8);
        setState(row_, col, kValue);
    }
    quint32 newPhysical();
    void writeCell(unsigned char* r, quint32 phys, int col, const QVariant& v);
    bool storeText(unsigned char* r, int col, const char* utf8, qsizetype bytes);
    QVariant dateValue(qint64 key) const;

    std::vector<Kind> kinds_;
    int extraCount_ = 0;
    size_t stride_ = 8;
    size_t bitsOffset_ = 8;
    size_t flagsOffset_ = 8;
    size_t cellsOffset_ = 8;
    std::vector<std::unique_ptr<unsigned char[]>> chunks_;
    quint32 physicalCount_ = 0;
    std::vector<quint32> order_;
    unsigned char* row_ = nullptr;                 // the row being read in
    std::vector<std::unique_ptr<char[]>> blocks_;  // texts, UTF-8
    qsizetype blockUsed_ = 0;
    qsizetype blockSize_ = 0;
    qint64 arenaBytes_ = 0;
    std::vector<quint64> lastText_;          // per column: the slice its last text went to
    std::vector<QVariant> extras_;           // physical row * extraCount_ + extra column
    std::vector<QVariant> whole_;            // values kept whole
    mutable QHash<qint64, QVariant> dates_;  // dates made once: each costs a zone lookup
};
