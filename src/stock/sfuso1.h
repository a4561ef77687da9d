#pragma once
// "Registrazione rapida": discharges and loads entered by product number, typed or read by a
// barcode reader that ends each code with Enter (code, Enter, quantity, Enter, "Conferma").
#include <QDialog>
#include <QPointer>

#include "stock/registrazione.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class SharedData;
class Tfrm_ask;

class TfrmSfuso1 : public QDialog {
    Q_OBJECT
public:
    TfrmSfuso1(SharedData& sd, int zoom = 100, QWidget* parent = nullptr);

    // The product search window created at start-up; without one the window makes its own.
    void setRicerca(Tfrm_ask* ask);
    RegistrazioneRapida& rules() { return rules_; }

    void prepara_prodotto();
    void CodiceExit();
    void CodiceButtonClick();
    void CodiceChange(const QString& text);
    void localclear();
    void DataExit();
    void btnconfermaClick();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double quantita() const;
    bool quantitaLeggibile();
    void mostraQuantita(double q);
    void vaiA(FocusRapido f);

    SharedData& sd_;
    RegistrazioneRapida rules_;
    QPointer<Tfrm_ask> ask_;
    QLineEdit* data_ = nullptr;
    QLineEdit* codice_ = nullptr;
    QToolButton* cerca_ = nullptr;
    QLabel* prodotto_ = nullptr;
    QLineEdit* scaricare_ = nullptr;
    QLabel* giacenza_ = nullptr;
    QLabel* tipoSB_ = nullptr;
    QRadioButton* normale_ = nullptr;
    QRadioButton* scarico_ = nullptr;
    QRadioButton* carico_ = nullptr;
    QPushButton* conferma_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QLabel* totale_ = nullptr;
    bool busy_ = false;  // our own focus moves do not count as leaving a field
};
