#pragma once
// What the engine needs of a data source: a cursor over rows with field values and their
// display texts. The program's data sets are adapted to it in report_data; tests and the
// designer use MemoryDataSource.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace report {

class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual QString name() const = 0;
    // A closed source reads as empty.
    virtual bool isOpen() const = 0;
    virtual bool first() = 0;
    virtual bool next() = 0;
    virtual bool eof() const = 0;
    virtual bool isEmpty() const = 0;
    // Rows a walk from first() visits; -1 when the source cannot tell (progress only).
    virtual int recordCount() const { return -1; }
    virtual QStringList fieldNames() const = 0;
    virtual bool hasField(const QString& field) const = 0;
    // Value of the current row: null for a missing value.
    virtual QVariant value(const QString& field) const = 0;
    // Text as the program shows it (the field's display format applied).
    virtual QString displayText(const QString& field) const = 0;
    // The cursor, to give it back as it was found.
    virtual QVariant position() const = 0;
    virtual void restorePosition(const QVariant& position) = 0;
};

// The sources a report may name, by case-insensitive name. Does not own them.
class DataSourceRegistry {
public:
    void add(ReportDataSource* source);
    void remove(const QString& name);
    void clear() { sources_.clear(); }
    ReportDataSource* find(const QString& name) const;
    QList<ReportDataSource*> all() const { return sources_.values(); }

private:
    QHash<QString, ReportDataSource*> sources_;
};

// Rows held in memory. A detail source may follow a master: it then shows only the rows whose
// detailField equals the master's current masterField.
class MemoryDataSource : public ReportDataSource {
public:
    MemoryDataSource(const QString& name, const QStringList& fields);
    void addRow(const QVariantList& values);
    void setDisplayFormat(const QString& field, const QString& format);
    void setMaster(MemoryDataSource* master, const QString& masterField,
                   const QString& detailField);
    int rowCount() const { return int(rows_.size()); }
    int current() const { return cur_; }  // index into the visible rows; -1 before/after
    void setCurrent(int row) { cur_ = row; }

    QString name() const override { return name_; }
    bool isOpen() const override { return true; }
    bool first() override;
    bool next() override;
    bool eof() const override;
    bool isEmpty() const override;
    int recordCount() const override { return int(visibleRows().size()); }
    QStringList fieldNames() const override { return fields_; }
    bool hasField(const QString& field) const override;
    QVariant value(const QString& field) const override;
    QString displayText(const QString& field) const override;
    QVariant position() const override { return cur_; }
    void restorePosition(const QVariant& position) override { cur_ = position.toInt(); }

private:
    QVector<int> visibleRows() const;
    int column(const QString& field) const;

    QString name_;
    QStringList fields_;
    QVector<QVariantList> rows_;
    QHash<int, QString> formats_;
    MemoryDataSource* master_ = nullptr;
    QString masterField_;
    QString detailField_;
    mutable QVector<int> visible_;
    mutable QVariant visibleKey_;
    mutable bool visibleValid_ = false;
    int cur_ = 0;
};

// Display text of a value the way fields show it: numbers in the general format or with the
// pattern, dates dd/mm/yyyy (with the time when there is one).
QString displayValue(const QVariant& value, const QString& format = {});

}  // namespace report
