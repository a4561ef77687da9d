#include "widgets/datasetmodel.h"

#include "common/messages.h"
#include "data/dataset.h"
#include "widgets/dataerror.h"
#include "widgets/fieldtext.h"

namespace {
bool isNumeric(FieldType t) {
    switch (t) {
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::Float:
        case FieldType::Currency:
        case FieldType::AutoInc:
            return true;
        default:
            return false;
    }
}

}  // namespace

DataSetModel::DataSetModel(DataSet& ds, QObject* parent) : QAbstractTableModel(parent), ds_(ds) {
    connect(&ds_, &DataSet::reset, this, [this] {
        announcing_ = true;
        beginResetModel();
        rebuild();
        endResetModel();
        announcing_ = false;
    });
    connect(&ds_, &DataSet::rowChanged, this, [this](int row) {
        if (row < 0 || row >= rowCount() || columns_.isEmpty()) return;
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(&ds_, &DataSet::rowInserted, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(&ds_, &DataSet::rowsAboutToBeFetched, this, [this](int first, int last) {
        announcing_ = true;
        beginInsertRows({}, first, last);
    });
    connect(&ds_, &DataSet::rowsFetched, this, [this] {
        endInsertRows();
        announcing_ = false;
    });
    connect(&ds_, &DataSet::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        endRemoveRows();
    });
    rebuild();
}

void DataSetModel::setColumns(const QList<GridColumn>& columns) {
    beginResetModel();
    requested_ = columns;
    columns_.clear();
    rebuild();
    endResetModel();
}

void DataSetModel::rebuild() {
    if (requested_.isEmpty()) {
        // Keep read-only marks set on columns taken from the data set.
        QList<GridColumn> cols;
        if (ds_.isOpen()) {
            for (const auto& f : ds_.fields()) {
                if (!f->isVisible()) continue;
                GridColumn c;
                c.field = f->name();
                const int old = columnOf(c.field);
                if (old >= 0) c.readOnly = columns_[old].readOnly;
                cols << c;
            }
        }
        if (!cols.isEmpty() || ds_.isOpen()) columns_ = cols;
    } else {
        // Read-only marks changed at run time survive a reset.
        QList<GridColumn> cols = requested_;
        for (auto& c : cols) {
            const int old = columnOf(c.field);
            if (old >= 0) c.readOnly = columns_[old].readOnly;
        }
        columns_ = cols;
    }
    fieldIndex_.assign(size_t(columns_.size()), -1);
    if (!ds_.isOpen()) return;
    for (int i = 0; i < columns_.size(); ++i) {
        if (Field* f = ds_.findField(columns_[i].field)) fieldIndex_[size_t(i)] = f->index();
    }
}

int DataSetModel::columnOf(const QString& field) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].field.compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString DataSetModel::fieldName(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].field : QString();
}

int DataSetModel::fieldIndex(int column) const {
    if (column < 0 || size_t(column) >= fieldIndex_.size()) return -1;
    return fieldIndex_[size_t(column)];
}

Field* DataSetModel::fieldAt(int column) const {
    const int fi = fieldIndex(column);
    if (fi < 0 || !ds_.isOpen() || fi >= ds_.fieldCount()) return nullptr;
    return &ds_.fieldAt(fi);
}

QString DataSetModel::columnTitle(int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    if (!columns_[column].title.isEmpty()) return columns_[column].title;
    if (Field* f = fieldAt(column)) return f->title();
    return columns_[column].field;
}

void DataSetModel::setColumnReadOnly(const QString& field, bool readOnly) {
    const int c = columnOf(field);
    if (c >= 0) columns_[c].readOnly = readOnly;
    for (auto& r : requested_)
        if (r.field.compare(field, Qt::CaseInsensitive) == 0) r.readOnly = readOnly;
}

bool DataSetModel::isColumnReadOnly(const QString& field) const {
    const int c = columnOf(field);
    return c >= 0 && columns_[c].readOnly;
}

void DataSetModel::setEditable(bool editable) {
    editable_ = editable;
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !ds_.isOpen()) return 0;
    return ds_.recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

bool DataSetModel::editingRow(int row) const {
    return ds_.isEditing() && row == ds_.recNo();
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ds_.isOpen()) return {};
    const int fi = fieldIndex(index.column());
    if (fi < 0 || fi >= ds_.fieldCount() || index.row() >= ds_.recordCount()) return {};
    const int row = index.row();
    Field& f = ds_.fieldAt(fi);
    switch (role) {
        case Qt::DisplayRole:
            return editingRow(row) ? f.displayText() : ds_.displayTextAt(row, fi);
        case Qt::EditRole:
            return fieldEditText(editingRow(row) ? f.value() : ds_.valueAt(row, fi));
        case Qt::TextAlignmentRole:
            return isNumeric(f.type()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            break;
    }
    if (hook_) return hook_(row, f, role);
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return columnTitle(section);
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    Field* f = fieldAt(index.column());
    if (editable_ && f && ds_.canModify() && !columns_[index.column()].readOnly &&
        !f->isReadOnly() && f->kind() == FieldKind::Data && f->type() != FieldType::AutoInc)
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const int row = index.row();
    Field* f = fieldAt(index.column());
    if (!f) return false;
    try {
        if (ds_.recNo() != row && !ds_.setRecNo(row)) return false;
        const QString text = value.toString();
        // Nothing typed over an unchanged cell: no edit started.
        if (!ds_.isEditing() && text == fieldEditText(f->value())) return true;
        QVariant v;
        QString error;
        if (!fieldValueFromText(*f, text, &v, &error)) {
            // The record counts as changed until the cell is corrected or the edit abandoned.
            if (!ds_.isEditing()) ds_.tryEdit();
            ds_.markModified();
            rejected_ = {row, index.column(), text, error};
            Mymsg::message(error);
            return false;
        }
        if (rejected_.row == row && rejected_.column == index.column()) clearRejected();
        if (!ds_.isEditing() && !ds_.tryEdit()) return false;
        f->setValue(v);
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    return true;
}

bool DataSetModel::canFetchMore(const QModelIndex& parent) const {
    // Not while views are still being told of a change: they ask again once it is over.
    return !parent.isValid() && !announcing_ && ds_.canFetchMore();
}

void DataSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    try {
        ds_.fetchMore();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}
