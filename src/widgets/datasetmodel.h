#pragma once
// A table model over a DataSet for the grids: one column per chosen field, the display texts of
// the data set, and in-place editing that goes through the data set so that its rules run.
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

class DataSet;
class Field;

struct GridColumn {
    GridColumn() = default;
    GridColumn(const QString& f, const QString& t = {}, bool ro = false, bool hide = false)
        : field(f), title(t), readOnly(ro), hidden(hide) {}
    GridColumn(const char* f, const char* t = nullptr, bool ro = false, bool hide = false)
        : field(QString::fromUtf8(f)), title(QString::fromUtf8(t)), readOnly(ro), hidden(hide) {}
    QString field;
    QString title;  // empty: the field's title
    bool readOnly = false;
    bool hidden = false;
};

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles for one cell (background, foreground, font...): an invalid QVariant keeps the
    // default. Called with the row of the view and the column's field.
    using CellHook = std::function<QVariant(int row, const Field& field, int role)>;

    explicit DataSetModel(DataSet& ds, QObject* parent = nullptr);

    DataSet& dataSet() const { return ds_; }
    // Empty list: every visible field of the data set, in its order (taken at each reset).
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return columns_; }
    int columnOf(const QString& field) const;  // -1 when absent
    QString fieldName(int column) const;
    QString columnTitle(int column) const;
    Field* fieldAt(int column) const;  // nullptr when the data set is closed or lacks the field
    void setColumnReadOnly(const QString& field, bool readOnly);
    bool isColumnReadOnly(const QString& field) const;
    // Grid-wide switch on top of the data set's own read-only state.
    void setEditable(bool editable);
    bool isEditable() const { return editable_; }
    void setCellHook(CellHook hook) { hook_ = std::move(hook); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // A data set read on demand gives the view its further rows as it scrolls down.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // A text typed into a cell that was refused (not a value): the grid gives it back to the
    // user, and the record is not stored while it is pending.
    struct Rejected {
        int row = -1;
        int column = -1;
        QString text;
        QString message;
        bool pending() const { return row >= 0; }
    };
    const Rejected& rejected() const { return rejected_; }
    void clearRejected() { rejected_ = Rejected(); }

private:
    void rebuild();
    int fieldIndex(int column) const;
    bool editingRow(int row) const;

    DataSet& ds_;
    QList<GridColumn> requested_;
    QList<GridColumn> columns_;
    std::vector<int> fieldIndex_;  // per column, -1 when unknown
    bool editable_ = true;
    CellHook hook_;
    Rejected rejected_;
    bool announcing_ = false;  // inside a reset or an insertion of fetched rows
};
