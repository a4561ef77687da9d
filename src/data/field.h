#pragma once
#include <QDateTime>
#include <QString>
#include <QVariant>

class DataSet;

enum class FieldType {
    Text,      // text(n): size() is n
    Memo,      // long text
    Integer,   // 32-bit signed
    SmallInt,  // 16-bit signed
    Float,     // double
    Currency,  // exact, four decimals: stored as ten-thousandths in an INTEGER column
    Bool,      // 0/1
    DateTime,  // stored as "yyyy-MM-dd hh:mm:ss"
    AutoInc,   // assigned by the database on insert
};

enum class FieldKind { Data, Calculated, Lookup };

// Definition of a lookup field: value of resultField in the row of lookupTable whose lookupKey
// equals this data set's keyField.
struct LookupDef {
    QString keyField;
    QString lookupTable;
    QString lookupKey;
    QString resultField;
};

// One column of a data set. Reads and writes go to the data set's current row (or to the row
// being edited); calculated fields are set by the calculate-fields event.
class Field {
public:
    Field(DataSet* owner, int index, const QString& name, FieldType type, int size, FieldKind kind);

    const QString& name() const { return name_; }
    FieldType type() const { return type_; }
    FieldKind kind() const { return kind_; }
    int size() const { return size_; }
    int index() const { return index_; }
    DataSet* dataSet() const { return owner_; }

    // Column title for grids and prints (the field name unless set).
    QString title() const { return title_.isEmpty() ? name_ : title_; }
    void setTitle(const QString& t) { title_ = t; }
    // Display format ("0.00;;#", "#.###", "0.000;;#", "dd/mm/yyyy", ...); empty = default.
    QString displayFormat() const { return format_; }
    void setDisplayFormat(const QString& f) { format_ = f; }
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool r) { readOnly_ = r; }
    bool isRequired() const { return required_; }
    void setRequired(bool r) { required_ = r; }
    bool isVisible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    const LookupDef& lookup() const { return lookup_; }
    void setLookup(const LookupDef& l) { lookup_ = l; }

    // Value of the current row: QVariant() for null. Currency comes as double, DateTime as
    // QDateTime, Bool as bool, integers as int, Float as double, text as QString.
    QVariant value() const;
    bool isNull() const;
    QString asString() const;      // null -> "", numbers in the general format
    double asFloat() const;        // null -> 0
    int asInteger() const;         // null -> 0
    bool asBool() const;           // null -> false
    QDateTime asDateTime() const;  // null -> invalid
    qint64 asCurrency() const;     // ten-thousandths; null -> 0
    // Text as shown in grids and prints: the display format applied (dates dd/MM/yyyy and
    // "dd/MM/yyyy hh:mm" when there is a time).
    QString displayText() const;

    // Sets the value of the row being edited (the data set must be in edit or insert; calculated
    // fields may be set only inside the calculate-fields event). Converts text to the field's
    // type; throws DatabaseError naming the field for a text too long, a number out of range or
    // a text that is not a number or date.
    void setValue(const QVariant& v);
    void clear() { setValue(QVariant()); }
    void setCurrency(qint64 tenThousandths);

    // Converts a value to the field's storage form and checks it (used by setValue and by post).
    QVariant normalized(const QVariant& v) const;

private:
    DataSet* owner_;
    int index_;
    QString name_;
    FieldType type_;
    int size_;
    FieldKind kind_;
    QString title_;
    QString format_;
    bool readOnly_ = false;
    bool required_ = false;
    bool visible_ = true;
    LookupDef lookup_;
};
