#pragma once
// "Movimenti di scarico registrati": the journal rows of a period still to be exported, the
// cancellation of one row, the journal print and the two export pages.
#include <QDialog>

#include "stock/esportazione.h"
#include "stock/giornale.h"

class DataGrid;
class IniFile;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QWidget;
class SharedData;

class TfrmGiornale : public QDialog {
    Q_OBJECT
public:
    // settings: vinorda.ini, where the grids keep their column widths and order.
    TfrmGiornale(SharedData& sd, IniFile& settings, int zoom = 100, QWidget* parent = nullptr);

    GiornaleMovimenti& giornale() { return giornale_; }

    // Hook: "&Annulla riga" on a document movement deletes the document's line; the hook is then
    // called with the document's number (Docum_numero) to recompute that document's totals.
    // Signature: void(const QString& documNumero). It runs inside the cancellation's transaction
    // (stock given back, line and journal row deleted): whatever it writes commits with them,
    // and if it throws (DatabaseError) the whole cancellation is rolled back and the error shown.
    // It must not ask the user anything. Without a hook the document is left as it is.
    void setRicalcolaDocumento(RicalcolaDocumento hook) {
        giornale_.setRicalcolaDocumento(std::move(hook));
    }
    // "Stam&pa" goes through the print routine: setta_stampante(name, title, false, 0, 1).
    void setPrint(GiornaleMovimenti::PrintFn print) { giornale_.setPrint(std::move(print)); }

    void FormShow();
    void FormClose();
    void apre_db();
    void btn_AnnullaClick();
    void btn_StampaClick();
    void btn_EsportaClick();
    void btn_esporta1Click();
    void SpeedButton1Click();
    void btn_ok_viregClick();
    // "Crea file di esportazione" of the two export pages, over the views as last selected.
    void btn_esporta_viregClick();
    void ExplorerButton3Click();

    // The export folder: the setting, or the data folder when it is empty. Without it the data
    // folder is used.
    void setCartellaEsportazione(std::function<QString()> cartella) {
        cartella_ = std::move(cartella);
    }
    void setOrologio(Orologio orologio) { orologio_ = std::move(orologio); }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    QWidget* exportPage(const char* name, bool vireg);
    void periodoDaCampi();
    void periodoNeiCampi();
    void aggiornaDettaglio();
    bool spuntato(const char* name) const;
    QString cartellaEsportazione() const;
    void esporta(const QString& label,
                 const std::function<EsitoEsportazione(const Avanzamento&)>& run);

    SharedData& sd_;
    IniFile& settings_;
    GiornaleMovimenti giornale_;
    QStackedWidget* pages_ = nullptr;
    QWidget* tabNuovi_ = nullptr;
    QWidget* tabVireg_ = nullptr;
    QWidget* tabCsv_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* tabDocu_ = nullptr;
    QWidget* tabCorr_ = nullptr;
    DataGrid* dbgDocumenti_ = nullptr;
    DataGrid* dbgCorrispettivi_ = nullptr;
    DataGrid* dbgDettaglio_ = nullptr;
    QLabel* dettaglioDi_ = nullptr;
    QLabel* dettaglioLitri_ = nullptr;
    QLineEdit* da_ = nullptr;
    QLineEdit* a_ = nullptr;
    std::function<QString()> cartella_;
    Orologio orologio_ = orologioDiSistema();
};
