#pragma once
// The print selection window: one of its three pages ("CLIENTI", "FATTURE", "MOVIMENTI") is
// shown by the list that needs it. Created once at start-up; what the user types stays for the
// next use, except what the list presets.
#include <QDialog>

#include "printing/printedlists.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class SharedData;

class TSelezioneForm : public QDialog, public SelezioneStampe {
    Q_OBJECT
public:
    enum Pagina { CLIENTI = 0, FATTURE = 1, MOVIMENTI = 2 };

    TSelezioneForm(SharedData& sd, int zoom, QWidget* parent = nullptr);

    bool selezionaClienti(SelezioneClienti& s) override;
    bool selezionaFatture(SelezioneFatture& s) override;
    bool selezionaMovimenti(SelezioneMovimenti& s) override;

    // The page shown (the others are hidden).
    Pagina pagina() const;
    // "&Conferma stampa": checks what was typed; a date that is not one, or a customer or product
    // that does not exist, is shown in a message and the window stays open on it.
    void btn_confermaClick();

    static QString msgClienteSconosciuto(const QString& text);
    static QString msgProdottoSconosciuto(const QString& text);

private:
    void mostraPagina(Pagina p);
    bool esegui();
    void caricaClienti();
    void caricaProdotti();
    void mov_prodChange();
    bool leggiDate(QLineEdit* da, QLineEdit* a, QDate* dDa, QDate* dA);
    static QString valoreScelto(const QComboBox* combo, bool* ok);

    SharedData& sd_;
    QTabWidget* pages_;
    QLineEdit* clienti_da_;
    QLineEdit* clienti_a_;
    QLineEdit* Fattureda_;
    QLineEdit* Fatturea_;
    QComboBox* clientefatt_;
    QCheckBox* Sel_DDT_;
    QCheckBox* Sel_Fatt_;
    QCheckBox* sel_privati_;
    QLineEdit* mov_da_;
    QLineEdit* mov_a_;
    QComboBox* mov_prod_;
    QLabel* mov_descrizione_;
    // What the confirmation read, handed to the list.
    QDate da_;
    QDate a_;
    QString codice_;
};
