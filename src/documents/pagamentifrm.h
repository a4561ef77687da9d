#pragma once
// "Gestione pagamenti": the invoices with whether, when and how they were paid, edited in place,
// with a filter by customer, dates and unpaid ones, and the printed list.
#include <QDialog>
#include <functional>

#include "data/dataset.h"
#include "documents/pagamenti.h"

class DataGrid;
class DateFieldCheck;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

class Tfrmpagamenti : public QDialog {
    Q_OBJECT
public:
    Tfrmpagamenti(Database& db, int zoom = 100, QWidget* parent = nullptr);
    ~Tfrmpagamenti() override;

    // The print routine (template, title); the caller shows the preview.
    void setPrint(std::function<void(const QString& modello, const QString& titolo)> print) {
        print_ = std::move(print);
    }

    // Opened by the menu command before showing, closed after.
    DataSet pagamenti;

    void filtroClick();
    void SpeedButton1Click();
    void BitBtn4Click();
    bool FormClose();  // false when the row being edited could not be stored (the window stays)

    // The criteria as typed; false after the message when a date is not a date.
    bool criteri(FiltroPagamenti* f);

    static QString msgNienteDaStampare();

    void done(int r) override;

private:
    // Stores the row being edited; false when refused (it stays in edit with what was typed).
    bool salvaRiga();

    DataGrid* grid_ = nullptr;
    QLineEdit* daData_ = nullptr;
    QLineEdit* aData_ = nullptr;
    DateFieldCheck* daCheck_ = nullptr;
    DateFieldCheck* aCheck_ = nullptr;
    QLineEdit* soloCliente_ = nullptr;
    QCheckBox* ckPaga_ = nullptr;
    QPushButton* filtro_ = nullptr;
    std::function<void(const QString&, const QString&)> print_;
};
