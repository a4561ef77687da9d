#pragma once
// "Ricerca prodotti": finds a product by part of its ID, code or description and writes its
// Auto_ID into the quick registration's code field.
#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include "stock/ricerca.h"

class DataGrid;
class QPushButton;
class Database;

class Tfrm_ask : public QDialog {
    Q_OBJECT
public:
    Tfrm_ask(Database& db, int zoom = 100, QWidget* parent = nullptr);

    // The field that "Seleziona questo prodotto" writes into.
    void setCodiceTarget(QLineEdit* codice) { target_ = codice; }
    RicercaProdotti& ricerca() { return ricerca_; }

    void FormShow();
    void filtroChange(const QString& text);
    void btn_selezionaClick();
    void btn_annullaClick();

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    RicercaProdotti ricerca_;
    QPointer<QLineEdit> target_;
    QLineEdit* filtro_ = nullptr;
    DataGrid* grid_ = nullptr;
};
