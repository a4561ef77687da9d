#pragma once
// The customer register: a card of one customer or the list of all, with a search filter on
// any column, editing guarded by the "Modifica" switch.
#include <QDialog>

class ComboLink;
class DataGrid;
class EditToggle;
class IniFile;
class LineEditLink;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;
class RecordNavigator;
class SharedData;

class TfrmClienti : public QDialog {
    Q_OBJECT
public:
    // layout: the INI file that keeps the window's size and grid columns (section "Anagrafiche").
    // The caller opens sd.Clienti before showing the window and closes it afterwards.
    TfrmClienti(SharedData& sd, IniFile& layout, int zoomPercent = 100, QWidget* parent = nullptr);

    static QString section() { return QStringLiteral("Anagrafiche"); }

    // Handlers.
    void FormActivate();
    void btn_nuovoClick();
    void btn_cancellaClick();
    void btn_listaClick(bool pressed);
    void ClientiGridCellClick(const QString& field);
    void ClientiGridTitleClick(const QString& field);
    void ediRicercaChange();
    void SpeedButton1Click(bool pressed);
    // The closing steps; false when a pending change could not be stored (window stays).
    bool FormClose();

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QWidget* buildCard();
    QWidget* buildList();
    void setSearchColumn(const QString& field);
    void followCodeLock();

    SharedData& sd_;
    IniFile& layout_;
    QPushButton* btnNuovo_;
    QPushButton* btnCancella_;
    QPushButton* btnModifica_;
    QPushButton* btnLista_;
    QPushButton* btnFine_;
    QLabel* lblModifica_;
    RecordNavigator* nav_;
    QStackedWidget* notebook_;
    QWidget* pageCard_;
    QWidget* pageList_;
    DataGrid* grid_;
    QLabel* lblCampoRicerca_;
    QLabel* lblCampoRicerca1_;
    QLineEdit* ediRicerca_;
    QToolButton* filtro_;
    QLineEdit* codice_;
    LineEditLink* codiceLink_;
    ComboLink* ivaLink_;
    EditToggle* toggle_;
};
