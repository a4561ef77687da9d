#include "report/datasource.h"

#include <QDateTime>

#include "common/format.h"

namespace report {

void DataSourceRegistry::add(ReportDataSource* source) {
    sources_.insert(source->name().toLower(), source);
}

void DataSourceRegistry::remove(const QString& name) {
    sources_.remove(name.toLower());
}

ReportDataSource* DataSourceRegistry::find(const QString& name) const {
    return sources_.value(name.toLower(), nullptr);
}

MemoryDataSource::MemoryDataSource(const QString& name, const QStringList& fields)
    : name_(name), fields_(fields) {}

void MemoryDataSource::addRow(const QVariantList& values) {
    QVariantList row = values;
    while (row.size() < fields_.size()) row << QVariant();
    rows_.push_back(row);
    visibleValid_ = false;
}

void MemoryDataSource::setDisplayFormat(const QString& field, const QString& format) {
    const int c = column(field);
    if (c >= 0) formats_.insert(c, format);
}

void MemoryDataSource::setMaster(MemoryDataSource* master, const QString& masterField,
                                 const QString& detailField) {
    master_ = master;
    masterField_ = masterField;
    detailField_ = detailField;
    visibleValid_ = false;
}

int MemoryDataSource::column(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVector<int> MemoryDataSource::visibleRows() const {
    if (!master_) {
        if (!visibleValid_) {
            visible_.resize(rows_.size());
            for (int i = 0; i < rows_.size(); ++i) visible_[i] = i;
            visibleValid_ = true;
        }
        return visible_;
    }
    const QVariant key = master_->eof() ? QVariant() : master_->value(masterField_);
    if (!visibleValid_ || key != visibleKey_) {
        visible_.clear();
        const int c = column(detailField_);
        if (!key.isNull() && c >= 0)
            for (int i = 0; i < rows_.size(); ++i)
                if (rows_[i][c] == key) visible_ << i;
        visibleKey_ = key;
        visibleValid_ = true;
    }
    return visible_;
}

bool MemoryDataSource::first() {
    cur_ = 0;
    return !eof();
}

bool MemoryDataSource::next() {
    if (cur_ < visibleRows().size()) ++cur_;
    return !eof();
}

bool MemoryDataSource::eof() const {
    return cur_ < 0 || cur_ >= visibleRows().size();
}

bool MemoryDataSource::isEmpty() const {
    return visibleRows().isEmpty();
}

bool MemoryDataSource::hasField(const QString& field) const {
    return column(field) >= 0;
}

QVariant MemoryDataSource::value(const QString& field) const {
    const int c = column(field);
    const QVector<int> rows = visibleRows();
    if (c < 0 || cur_ < 0 || cur_ >= rows.size()) return {};
    return rows_[rows[cur_]][c];
}

QString MemoryDataSource::displayText(const QString& field) const {
    return displayValue(value(field), formats_.value(column(field)));
}

QString displayValue(const QVariant& value, const QString& format) {
    if (value.isNull() || !value.isValid()) return {};
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return format.isEmpty() ? formatGeneral(value.toDouble())
                                    : formatFloat(format, value.toDouble());
        case QMetaType::QDate:
        case QMetaType::QDateTime: {
            const QDateTime dt = value.typeId() == QMetaType::QDate
                                     ? QDateTime(value.toDate(), QTime(0, 0))
                                     : value.toDateTime();
            if (!format.isEmpty()) return formatDateTime(format, dt);
            return formatDateTime(dt.time() == QTime(0, 0) ? QStringLiteral("dd/mm/yyyy")
                                                           : QStringLiteral("dd/mm/yyyy hh:nn"),
                                  dt);
        }
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("Sì") : QStringLiteral("No");
        default:
            return value.toString();
    }
}

}  // namespace report
