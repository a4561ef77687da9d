#pragma once
// "Sinottico scarico": the counter-sale panel, worked by touch. A grid of product cells built
// once when the program starts, a keypad for the quantity, "SCARICA" to add a line, the sale in
// progress with its total, and the receipt. The sale itself lives in VenditaInCorso.
#include <QDate>
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <functional>

#include "panel/documento.h"
#include "panel/vendita.h"

class QDateEdit;
class QLabel;
class QListView;
class QPushButton;
class QToolButton;
class QAbstractButton;
class CellaSinottico;
class Database;
class PrintRoutine;
class Tfrmvideocli;
class Tfrmvideoscontr;

class Tfrmsinottico : public QDialog {
    Q_OBJECT
public:
    // Prints a template and says whether paper was really printed: name, title, document,
    // output (0 preview, 1 one copy, 2 two copies), printer (1 main, 2 receipt).
    using Stampa = std::function<bool(const QString& name, const QString& title, bool document,
                                      int output, int printer)>;

    // Builds the window and the grid from the grid settings and products as stored now, on the
    // given work area (default: the desktop's), scaled by the screen's density.
    explicit Tfrmsinottico(Database& db, const QRect& areaLavoro = {}, QWidget* parent = nullptr);
    ~Tfrmsinottico() override;

    // The program's print routine as the panel prints: whether paper was really printed by
    // this print. routine gives it with the settings in force.
    static Stampa stampaCon(std::function<PrintRoutine&()> routine);

    VenditaInCorso& vendita() { return vendita_; }
    void setStampa(Stampa stampa) { stampa_ = std::move(stampa); }
    // The header window created at start-up; without one the panel makes its own.
    void setIntestazione(Tfrmvideoscontr* finestra);
    Tfrmvideoscontr* intestazione();
    // The customer window created at start-up, likewise.
    void setClienti(Tfrmvideocli* finestra);
    Tfrmvideocli* clienti();
    // Prints a document made from the sale (two copies on the main printer), positioned on it.
    void setStampaDocumento(StampaDocumentoPannello stampa) { stampaDoc_ = std::move(stampa); }

    int colonne() const { return x_; }
    int righe() const { return y_; }
    CellaSinottico* cella(int colonna, int riga) const;
    CellaSinottico* cella_scelta() const { return scelta_; }
    QDate datamov() const;
    void setDatamov(const QDate& d);

    // Handlers.
    void FormShow();
    void FormClose();
    void btnEsciClick();
    void Scelta_Vino_Click(CellaSinottico* cella);
    void scelta_MouseDown(CellaSinottico* cella);
    void Scelta_MouseUp(CellaSinottico* cella);
    void Inserisce_numeri(QAbstractButton* tasto);
    void Inserisce_virgola();
    void BitBtn1Click();
    void Seleziona(const QString& nome);
    void btnscaricaClick();
    void ScontrinoDblClick(int riga);
    void SpeedButton1Click();
    void StampaIntestClick();
    void FatturaClick();

    static QString msgEliminaRiga(const QString& descrizione) {
        return QStringLiteral("   Eliminare dalla vendita la riga \"%1\" ?   ").arg(descrizione);
    }
    static QString msgSvuotaVendita() {
        return QStringLiteral("   Annullare tutta la vendita in corso ?   ");
    }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void costruisciGriglia(Database& db, const QSize& area);
    void mostra();  // the labels, the entry, the total and "SCARICA" as the sale says
    void evidenzia(CellaSinottico* cella);
    void ripristina();
    // The availability shown again after the stock changed.
    void rileggiScelta();

    VenditaInCorso vendita_;
    Stampa stampa_;
    QPointer<Tfrmvideoscontr> intestazione_;
    QPointer<Tfrmvideocli> clienti_;
    StampaDocumentoPannello stampaDoc_;
    double scala_ = 1;   // pixels: the screen's density over 96, times adatta_
    double adatta_ = 1;  // how much smaller the work area needs the panel
    int x_ = 1;
    int y_ = 1;
    QVector<CellaSinottico*> celle_;  // row by row
    CellaSinottico* scelta_ = nullptr;
    QColor colore_salvato;
    bool aperto_ = false;

    QWidget* pannello_ = nullptr;
    QDateEdit* datamov_ = nullptr;
    QLabel* ingresso_ = nullptr;
    QLabel* tipoSB_ = nullptr;
    QLabel* disponibile_ = nullptr;
    QPushButton* scarica_ = nullptr;
    QListView* scontrino_ = nullptr;
    QLabel* totale_ = nullptr;
    QLabel* ultimo_ = nullptr;
};
