#pragma once
// "Articoli inseribili in fattura": the products that can go into a document (stock not zero, or
// no stock kept), each added as a new line with the quantity typed.
#include <QDialog>

class DataGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class SharedData;
class DocumentRules;

class TSele_maga_frm : public QDialog {
    Q_OBJECT
public:
    // The shared product list and the lines of the current document are opened by the caller.
    TSele_maga_frm(SharedData& sd, int zoom = 100, QWidget* parent = nullptr);

    // Adds the selected product with the typed quantity; false when no line was added.
    bool SpeedButton3Click();
    void dbgProdottiTitleClick(const QString& field);

    static QString msgQuantitaInsufficiente();
    static QString msgIndicareQuantita();
    static QString nessunInserimento();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // The quantity typed; false after the message when it is not a usable number.
    bool quantita(double* q);

    SharedData& sd_;
    DocumentRules& rules_;
    DataGrid* grid_ = nullptr;
    QLineEdit* quanti_ = nullptr;
    QLabel* stato_ = nullptr;
};
