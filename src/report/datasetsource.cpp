#include "report/datasetsource.h"

#include <algorithm>
#include <limits>

#include "data/dataset.h"

namespace report {

DataSetSource::DataSetSource(DataSet& dataSet, const QString& name) : ds_(dataSet), name_(name) {}

DataSetSource::~DataSetSource() = default;

QString DataSetSource::name() const {
    return name_.isEmpty() ? ds_.name() : name_;
}

bool DataSetSource::isOpen() const {
    return ds_.isOpen();
}

bool DataSetSource::first() {
    if (!copy_ && ds_.isOpen() && ds_.canFetchMore()) copy_ = ds_.forwardCopy();
    DataSet& d = walked();
    const bool ok = d.isOpen() && d.first() && !d.isEmpty();
    pastEnd_ = !ok;
    return ok;
}

bool DataSetSource::next() {
    DataSet& d = walked();
    const bool moved = d.isOpen() && d.next();
    if (!moved) pastEnd_ = true;
    return moved;
}

bool DataSetSource::eof() const {
    return !walked().isOpen() || walked().isEmpty() || pastEnd_;
}

bool DataSetSource::isEmpty() const {
    return !walked().isOpen() || walked().isEmpty();
}

int DataSetSource::recordCount() const {
    if (!ds_.isOpen()) return 0;
    if (!copy_ && !ds_.canFetchMore()) return ds_.recordCount();
    // Not every row is read yet: the database counts them, once a walk.
    if (copyTotal_ < 0) copyTotal_ = walked().totalRowCount();
    return int(std::min<qint64>(copyTotal_, std::numeric_limits<int>::max()));
}

QStringList DataSetSource::fieldNames() const {
    QStringList names;
    for (const auto& f : walked().fields()) names << f->name();
    return names;
}

bool DataSetSource::hasField(const QString& field) const {
    return walked().findField(field) != nullptr;
}

QVariant DataSetSource::value(const QString& field) const {
    const Field* f = walked().findField(field);
    return f ? f->value() : QVariant();
}

QString DataSetSource::displayText(const QString& field) const {
    const Field* f = walked().findField(field);
    return f ? f->displayText() : QString();
}

int DataSetSource::copyRow() const {
    return copy_->releasedRows() + copy_->recNo();
}

namespace {
const QString kCopy = QStringLiteral("copia");
}

QVariant DataSetSource::position() const {
    if (copy_) return QVariantList{kCopy, copyRow(), copy_->bookmark(), copy_->eof(), pastEnd_};
    if (!ds_.isOpen()) return {};
    return QVariantList{ds_.recNo(), ds_.bookmark(), ds_.eof(), pastEnd_};
}

void DataSetSource::restorePosition(const QVariant& position) {
    QVariantList p = position.toList();
    if (!p.isEmpty() && p[0] == kCopy) {
        // A step back within a walk (a group looking at the next row).
        if (!copy_ || p.size() != 5) return;
        pastEnd_ = p[4].toBool();
        const int row = p[1].toInt();
        const qint64 mark = p[2].toLongLong();
        if (row < copy_->releasedRows()) {
            // Given back already: walk to it again.
            copy_->first();
            while (copyRow() < row && copy_->next()) {
            }
        } else {
            copy_->setRecNo(row - copy_->releasedRows());
        }
        if (mark != 0 && copy_->bookmark() != mark) copy_->gotoBookmark(mark);
        if (p[3].toBool()) copy_->next();
        return;
    }
    // The cursor as it was before the walk: the data set was never moved by it.
    copy_.reset();
    copyTotal_ = -1;
    if (!ds_.isOpen() || ds_.isEmpty()) return;
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
