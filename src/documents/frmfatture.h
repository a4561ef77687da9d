#pragma once
// "Fatture e Documenti di Trasporto": one document with its header, lines and transport, the
// list of documents, and the creation page; filters by year and kind, editing guarded by the
// "Modifica" switch, printing with the discharge of what was really printed.
#include <QDialog>
#include <functional>

#include "data/dataset.h"
#include "documents/service.h"

class ComboLink;
class DataGrid;
class EditToggle;
class IniFile;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QWidget;
class RecordNavigator;
class SharedData;
class SuggestComboLink;
class DocumentRules;
class PickListDelegate;

class TfrmFatture : public QDialog {
    Q_OBJECT
public:
    // settings: vinorda.ini (section TfrmFatture keeps the two filter choices); layout: form.ini
    // (section "Fatture": place and grid columns). The caller opens the shared data sets as the
    // menu command does and closes them afterwards.
    TfrmFatture(SharedData& sd, IniFile& settings, IniFile& layout, int zoomPercent = 100,
                QWidget* parent = nullptr);

    static QString section() { return QStringLiteral("TfrmFatture"); }
    static QString geometrySection() { return QStringLiteral("Fatture"); }

    // The print routine (template, title -> paper really printed).
    void setPrint(StampaDocumentoFn print) { print_ = std::move(print); }
    // The product picker and the delivery-note import, opened by their buttons.
    void setProductPicker(std::function<void()> open) { picker_ = std::move(open); }
    void setDdtImport(std::function<void()> open) { ddtImport_ = std::move(open); }

    // Handlers.
    void FormActivate();
    bool FormClose();  // false when a pending change could not be stored (the window stays)
    void btn_nuovoClick();
    void btninsertClick();
    void btnnoinsertClick();
    void calcolanumero();
    void calcolaPrimonumero();
    void btn_cancellaClick();
    void btn_listaClick(bool pressed);
    void btn_stampaClick();
    void dbgFattureDblClick();
    void dbgFattureTitleClick(const QString& field);
    void PageControl1Change();
    void sel_annoChange();
    void sel_tipoChange();
    void btnNowClick();
    void BitBtn1Click();
    void BitBtn3Click();
    void Da_ddtClick();
    void dbgRigheColExit(const QString& field);
    void DataFattureDataChange();

    bool modificationOn() const;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTopPanel();
    QWidget* buildSingolo();
    QWidget* buildIntestazione();
    QWidget* buildRighe();
    QWidget* buildTrasporto();
    QWidget* buildLista();
    QWidget* buildNuovo();
    void restoreFilters();
    void saveFilter(const QComboBox* combo);
    void applyFilter();
    // Stores the line being edited, then the header (its totals recomputed); false when refused.
    bool saveLineAndHeader();
    // Puts the header into edit for a button that assigns one of its fields.
    bool headerForAssignment();
    void fillCustomerCombo(QComboBox* combo, DataSet& list);
    QString chosenCode(const QComboBox* combo, const DataSet& list) const;
    int chosenKind() const;
    void showPage(QWidget* page);
    void followTabFocus(QWidget* old, QWidget* now);

    SharedData& sd_;
    DocumentRules& rules_;
    IniFile& settings_;
    IniFile& layout_;
    DataSet intestaFatt_;  // customers offered for the kind chosen on page NUOVO
    DataSet ricevimento_;  // places of delivery: every customer that is not private
    StampaDocumentoFn print_;
    std::function<void()> picker_;
    std::function<void()> ddtImport_;

    QPushButton* btnNuovo_ = nullptr;
    QPushButton* btnCancella_ = nullptr;
    QPushButton* btnModifica_ = nullptr;
    QPushButton* btnLista_ = nullptr;
    QPushButton* btnStampa_ = nullptr;
    QPushButton* btnFine_ = nullptr;
    QLabel* lblModifica_ = nullptr;
    RecordNavigator* nav_ = nullptr;
    QComboBox* selAnno_ = nullptr;
    QComboBox* selTipo_ = nullptr;
    EditToggle* toggle_ = nullptr;

    QStackedWidget* notebook_ = nullptr;
    QWidget* pageSingolo_ = nullptr;
    QWidget* pageLista_ = nullptr;
    QWidget* pageNuovo_ = nullptr;
    QTabWidget* pageControl_ = nullptr;

    QPushButton* daDdt_ = nullptr;
    ComboLink* ivaLink_ = nullptr;
    SuggestComboLink* causaleLink_ = nullptr;
    SuggestComboLink* aspettoLink_ = nullptr;
    DataGrid* dbgRighe_ = nullptr;
    DataGrid* dbgFatture_ = nullptr;
    PickListDelegate* ivaPick_ = nullptr;

    QButtonGroup* kinds_ = nullptr;
    QComboBox* intestazione_ = nullptr;
    QComboBox* destinazione_ = nullptr;
    QDateEdit* dateEdit_ = nullptr;
    QLineEdit* numEdit_ = nullptr;
};
