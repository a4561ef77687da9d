#pragma once
// "Intestazione scontrino": the receipt's four heading lines and its number, typed straight into
// the sale's header row. Both buttons store what was typed, so it survives "Annulla".
#include <QDate>
#include <QDialog>

class QLineEdit;
class QPushButton;
class VenditaInCorso;
class LineEditLink;

class Tfrmvideoscontr : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmvideoscontr(QWidget* parent = nullptr);

    // Binds the fields to the sale's header row (once, when the panel is made).
    void collega(VenditaInCorso& vendita);
    void scollega();
    // Shows the window modally over the header row dated datamov; true for "Stampa".
    bool esegui(const QDate& datamov);

    bool stampa_confermata = false;

    void FormShow();
    void BitBtn2Click();  // "Annulla"
    void BitBtn3Click();  // "Stampa"

protected:
    void reject() override;  // Esc and the window's closing: "Annulla"
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void memorizza();

    VenditaInCorso* vendita_ = nullptr;
    QDate datamov_;
    QLineEdit* edit_[5] = {};
    QList<LineEditLink*> links_;
};
