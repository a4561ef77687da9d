#pragma once
// The product register with its price lists, registry codes and sales panel settings.
#include <QDialog>

class ComboLink;
class DataGrid;
class EditToggle;
class IniFile;
class QLabel;
class QPushButton;
class RecordNavigator;
class SharedData;

class TfrmListino : public QDialog {
    Q_OBJECT
public:
    // layout: the INI file that keeps the window's size and grid columns (section "Listino").
    // The caller opens sd.prodotti before showing the window and closes it afterwards.
    TfrmListino(SharedData& sd, IniFile& layout, int zoomPercent = 100, QWidget* parent = nullptr);

    static QString section() { return QStringLiteral("Listino"); }

    // Handlers.
    void FormActivate();
    void btn_nuovoClick();
    void btn_cancellaClick();
    void ListinoGridTitleClick(const QString& field);
    bool FormClose();  // false when a pending change could not be stored (window stays)

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QWidget* buildDetail();

    SharedData& sd_;
    IniFile& layout_;
    QPushButton* btnNuovo_;
    QPushButton* btnCancella_;
    QPushButton* btnModifica_;
    QPushButton* btnFine_;
    QLabel* lblModifica_;
    RecordNavigator* nav_;
    DataGrid* grid_;
    ComboLink* ivaLink_;
    ComboLink* bottigliaLink_;
    EditToggle* toggle_;
};
