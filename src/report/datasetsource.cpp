#include "report/datasetsource.h"

#include "data/dataset.h"

namespace report {

DataSetSource::DataSetSource(DataSet& dataSet, const QString& name) : ds_(dataSet), name_(name) {}

QString DataSetSource::name() const {
    return name_.isEmpty() ? ds_.name() : name_;
}

bool DataSetSource::isOpen() const {
    return ds_.isOpen();
}

bool DataSetSource::first() {
    const bool ok = ds_.isOpen() && ds_.first() && !ds_.isEmpty();
    pastEnd_ = !ok;
    return ok;
}

bool DataSetSource::next() {
    const bool moved = ds_.isOpen() && ds_.next();
    if (!moved) pastEnd_ = true;
    return moved;
}

bool DataSetSource::eof() const {
    return !ds_.isOpen() || ds_.isEmpty() || pastEnd_;
}

bool DataSetSource::isEmpty() const {
    return !ds_.isOpen() || ds_.isEmpty();
}

int DataSetSource::recordCount() const {
    return ds_.isOpen() ? ds_.recordCount() : 0;
}

QStringList DataSetSource::fieldNames() const {
    QStringList names;
    for (const auto& f : ds_.fields()) names << f->name();
    return names;
}

bool DataSetSource::hasField(const QString& field) const {
    return ds_.findField(field) != nullptr;
}

QVariant DataSetSource::value(const QString& field) const {
    const Field* f = ds_.findField(field);
    return f ? f->value() : QVariant();
}

QString DataSetSource::displayText(const QString& field) const {
    const Field* f = ds_.findField(field);
    return f ? f->displayText() : QString();
}

QVariant DataSetSource::position() const {
    if (!ds_.isOpen()) return {};
    return QVariantList{ds_.recNo(), ds_.bookmark(), ds_.eof(), pastEnd_};
}

void DataSetSource::restorePosition(const QVariant& position) {
    if (!ds_.isOpen() || ds_.isEmpty()) return;
    const QVariantList p = position.toList();
    if (p.size() != 4) return;
    pastEnd_ = p[3].toBool();
    const int row = p[0].toInt();
    const qint64 mark = p[1].toLongLong();
    const bool atEnd = p[2].toBool();
    // The row number is quick; the bookmark confirms it is still the same row.
    if (!ds_.setRecNo(row) || (mark != 0 && ds_.bookmark() != mark)) ds_.gotoBookmark(mark);
    if (atEnd) {
        ds_.last();
        ds_.next();
    } else if (ds_.eof()) {
        // setRecNo on the current row keeps the end flag: step off and back.
        const int cur = ds_.recNo();
        if (cur > 0) {
            ds_.prior();
            ds_.next();
        } else {
            ds_.first();
        }
    }
}

DataSetSource& DataSetSources::add(DataSet& dataSet, const QString& name) {
    sources_.push_back(std::make_unique<DataSetSource>(dataSet, name));
    return *sources_.back();
}

void DataSetSources::registerIn(DataSourceRegistry& registry) const {
    for (const auto& s : sources_) registry.add(s.get());
}

}  // namespace report
