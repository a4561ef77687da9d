#pragma once
// "Stampa Ricevute, Fatture e Documenti di trasporto": the kind of document and the customer a
// sale is turned into. Made once, so the kind chosen stays chosen from one sale to the next.
#include <QDialog>

#include "data/dataset.h"

class QAbstractButton;
class QButtonGroup;
class DataGrid;
class Database;

class Tfrmvideocli : public QDialog {
    Q_OBJECT
public:
    // The three kinds by their series letter (Doc_tipo).
    enum Tipo { Ricevuta, Trasporto, Fattura };

    explicit Tfrmvideocli(Database& db, QWidget* parent = nullptr);

    // The customers of the chosen kind: Anagrafica by RagioneSociale, filtered.
    DataSet clienti;

    Tipo tipo() const;
    // The kind chosen as the documents number it (DocumentKind index).
    int tipoDocumento() const;
    void setTipo(Tipo t);
    // Codice of the customer chosen; empty when the list is empty.
    QString cliente() const;

    // Opens the customers, shows the window modally, closes them; true for "Stampa".
    bool esegui();
    bool stampa_confermata = false;

    void FormShow();
    void Seleziona_top();
    bool clientiFilterRecord(DataSet& ds) const;
    void SpeedButton1Click();  // first
    void SpeedButton2Click();  // 15 up
    void SpeedButton3Click();  // 15 down
    void SpeedButton4Click();  // last
    void BitBtn2Click();       // "Annulla"
    void BitBtn3Click();       // "Stampa"

protected:
    void reject() override;

private:
    void sposta(int righe);

    QButtonGroup* tipi_ = nullptr;
    DataGrid* griglia_ = nullptr;
    QString scelto_;
};
