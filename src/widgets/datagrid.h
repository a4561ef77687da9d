#pragma once
// The data-aware grid: a table view over a DataSetModel whose current row follows the data
// set's cursor both ways, whole-row selection, title and cell click signals, and column widths
// and order kept in an INI file between runs.
#include <QList>
#include <QTableView>

#include "widgets/datasetmodel.h"

class DataSet;
class IniFile;

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    // Binds the grid; columns empty = every visible field. Hidden columns stay in the model.
    void setDataSet(DataSet& ds, const QList<GridColumn>& columns = {});
    DataSetModel* dataModel() const { return model_; }
    DataSet* dataSet() const;

    QString fieldOfColumn(int column) const;
    QString currentField() const;  // field of the current cell's column
    // Puts the current cell on the data set's row in the column of field.
    void focusField(const QString& field);

    // Keys "<objectName>_Colonne" (field:width in visual order). Restoring ignores unknown
    // fields and keeps hidden columns hidden.
    void saveLayout(IniFile& ini, const QString& section) const;
    void restoreLayout(const IniFile& ini, const QString& section);

Q_SIGNALS:
    void titleClicked(const QString& field, int column);
    void cellClicked(const QString& field, int column);

protected:
    // Esc in a cell abandons the record's pending edit; a refused text comes back to the cell.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void changeEvent(QEvent* event) override;

private:
    void reopenRejected();
    void followCursor();
    void applyHidden();
    void viewRowChanged(const QModelIndex& current);

    DataSetModel* model_ = nullptr;
    QList<QMetaObject::Connection> links_;
    bool syncing_ = false;
};
