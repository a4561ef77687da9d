#include "widgets/datagrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

#include "common/inifile.h"
#include "data/dataset.h"
#include "widgets/dataerror.h"

namespace {
// A cell with a colour of its own (the cell hook) keeps it on the selected row too.
class ColourKeepingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::BackgroundRole).isValid()) option->state &= ~QStyle::State_Selected;
    }
};
}  // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new ColourKeepingDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setAlternatingRowColors(false);
    setWordWrap(false);
    // Fixed row heights keep scrolling through tens of thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int logical) { Q_EMIT titleClicked(fieldOfColumn(logical), logical); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Q_EMIT cellClicked(fieldOfColumn(index.column()), index.column());
    });
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    if (!model_) return;
    if (hint == QAbstractItemDelegate::RevertModelCache) {
        model_->clearRejected();
        DataSet& ds = model_->dataSet();
        if (ds.isEditing()) ds.cancel();
        return;
    }
    if (model_->rejected().pending()) QTimer::singleShot(0, this, [this] { reopenRejected(); });
}

void DataGrid::reopenRejected() {
    if (!model_ || !model_->rejected().pending() || state() == QAbstractItemView::EditingState)
        return;
    const DataSetModel::Rejected r = model_->rejected();
    const QModelIndex index = model_->index(r.row, r.column);
    if (!index.isValid()) {
        model_->clearRejected();
        return;
    }
    setCurrentIndex(index);
    edit(index);
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) {
            e->setText(r.text);
            e->setFocus();
        }
}

void DataGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    // The rows follow the font (the program's zoom).
    if (event->type() == QEvent::FontChange)
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

DataSet* DataGrid::dataSet() const {
    return model_ ? &model_->dataSet() : nullptr;
}

void DataGrid::setDataSet(DataSet& ds, const QList<GridColumn>& columns) {
    for (const auto& c : links_) disconnect(c);
    links_.clear();
    auto* old = model_;
    model_ = new DataSetModel(ds, this);
    model_->setColumns(columns);
    setModel(model_);
    delete old;
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewRowChanged(current); });
    links_ << connect(&ds, &DataSet::currentChanged, this, [this] { followCursor(); });
    links_ << connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        applyHidden();
        followCursor();
    });
    links_ << connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { followCursor(); });
    // A text refused in a cell keeps the record from being stored until it is corrected.
    ds.askBeforePost +=
        [grid = QPointer<DataGrid>(this), model = QPointer<DataSetModel>(model_)](DataSet&) {
            if (!grid || !model || grid->model_ != model || !model->rejected().pending()) return;
            throw Abort{model->rejected().message};
        };
    links_ << connect(&ds, &DataSet::stateChanged, this, [this, &ds] {
        if (!ds.isEditing() && model_ && model_->rejected().pending() &&
            state() != QAbstractItemView::EditingState)
            model_->clearRejected();
    });
    // Default widths from the field sizes; a restored layout overrides them.
    const QFontMetrics fm = fontMetrics();
    for (int c = 0; c < model_->columnCount(); ++c) {
        int chars = 10;
        if (Field* f = model_->fieldAt(c)) {
            if (f->type() == FieldType::Text) chars = qBound(4, f->size(), 24);
            if (f->type() == FieldType::Memo) chars = 24;
        }
        // Digits and capitals are wider than the average character: a full code must fit.
        const int text = fm.horizontalAdvance(QString(chars, QLatin1Char('0'))) + 12;
        const int title = fm.horizontalAdvance(model_->columnTitle(c)) + 16;
        setColumnWidth(c, qMax(title, text));
    }
    applyHidden();
    followCursor();
}

void DataGrid::applyHidden() {
    if (!model_) return;
    for (int c = 0; c < model_->columnCount(); ++c) setColumnHidden(c, model_->columns()[c].hidden);
}

QString DataGrid::fieldOfColumn(int column) const {
    return model_ ? model_->fieldName(column) : QString();
}

QString DataGrid::currentField() const {
    return fieldOfColumn(currentIndex().column());
}

void DataGrid::focusField(const QString& field) {
    if (!model_) return;
    const int c = model_->columnOf(field);
    const int r = model_->dataSet().recNo();
    if (c < 0 || r < 0) return;
    syncing_ = true;
    setCurrentIndex(model_->index(r, c));
    syncing_ = false;
}

void DataGrid::followCursor() {
    if (!model_ || syncing_) return;
    const int r = model_->dataSet().isOpen() ? model_->dataSet().recNo() : -1;
    syncing_ = true;
    if (r < 0 || r >= model_->rowCount()) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
    } else if (currentIndex().row() != r) {
        int c = currentIndex().column();
        if (c < 0 || isColumnHidden(c)) {
            c = 0;
            while (c < model_->columnCount() - 1 && isColumnHidden(c)) ++c;
        }
        const QModelIndex idx = model_->index(r, c);
        selectionModel()->setCurrentIndex(
            idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else if (!selectionModel()->isRowSelected(r, {})) {
        selectionModel()->select(currentIndex(),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    syncing_ = false;
}

void DataGrid::viewRowChanged(const QModelIndex& current) {
    if (syncing_ || !model_ || !current.isValid()) return;
    DataSet& ds = model_->dataSet();
    if (current.row() == ds.recNo()) return;
    bool moved = false;
    try {
        moved = ds.setRecNo(current.row());
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    // A refused post keeps the cursor on the row being edited: bring the view back to it.
    if (!moved) QTimer::singleShot(0, this, [this] { followCursor(); });
}

void DataGrid::saveLayout(IniFile& ini, const QString& section) const {
    if (!model_) return;
    QStringList items;
    const QHeaderView* h = horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (isColumnHidden(logical)) continue;
        items << QStringLiteral("%1:%2").arg(model_->fieldName(logical)).arg(columnWidth(logical));
    }
    ini.setValue(section, objectName() + QStringLiteral("_Colonne"), items.join(u','));
}

void DataGrid::restoreLayout(const IniFile& ini, const QString& section) {
    if (!model_) return;
    const QString text = ini.value(section, objectName() + QStringLiteral("_Colonne"));
    if (text.isEmpty()) return;
    QHeaderView* h = horizontalHeader();
    int visual = 0;
    for (const QString& item : text.split(u',', Qt::SkipEmptyParts)) {
        const int colon = item.lastIndexOf(u':');
        if (colon <= 0) continue;
        const int logical = model_->columnOf(item.left(colon));
        if (logical < 0 || isColumnHidden(logical)) continue;
        bool ok = false;
        const int width = item.mid(colon + 1).toInt(&ok);
        if (ok && width >= 8 && width <= 2000) setColumnWidth(logical, width);
        const int from = h->visualIndex(logical);
        if (from != visual) h->moveSection(from, visual);
        ++visual;
    }
}
