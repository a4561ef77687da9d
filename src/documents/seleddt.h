#pragma once
// "Documenti di trasporto non fatturati": a customer's delivery notes not yet invoiced, each
// imported whole into the current summary invoice.
#include <QDialog>

#include "data/dataset.h"

class DataGrid;
class QLabel;
class QPushButton;

class Tsele_ddt_frm : public QDialog {
    Q_OBJECT
public:
    Tsele_ddt_frm(Database& db, int zoom = 100, QWidget* parent = nullptr);
    ~Tsele_ddt_frm() override;

    // Lists the delivery notes of cliente not yet invoiced, for the invoice fattura.
    void preparaElenco(const QString& fattura, const QString& cliente);
    // preparaElenco, the window shown modally, the list closed afterwards.
    void apri(const QString& fattura, const QString& cliente);

    // Imports the delivery note selected; false when nothing was imported.
    bool BitBtn1Click();

    DataSet selebolle;
    DataSet apporighe;

private:
    Database& db_;
    QString fattura_;
    DataGrid* grid_ = nullptr;
    DataGrid* righe_ = nullptr;
    QPushButton* inserisci_ = nullptr;
    QLabel* stato_ = nullptr;
};
