#pragma once
// Company header settings: the Intesta row, the VAT codes and the printers and export folder
// kept in vinorda.ini.
#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class DataGrid;
class FieldLink;
class IniFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class RecordNavigator;
class SharedData;

class TfrmIntesta : public QDialog {
    Q_OBJECT
public:
    // settings: vinorda.ini, section TfrmIntesta.
    TfrmIntesta(SharedData& sd, IniFile& settings, int zoomPercent = 100,
                QWidget* parent = nullptr);

    static QString section() { return QStringLiteral("TfrmIntesta"); }
    QString esportazioneText() const;
    QString stampante1Text() const;
    QString stampante2Text() const;
    void setEsportazioneText(const QString& folder);  // the exports write it back
    // Reads the three settings from the INI file / writes them and saves the file.
    void restoreSettings();
    bool storeSettings();

    // Where the installed printers and the default one come from (the system's by default).
    void setPrinterSource(std::function<QStringList()> printers,
                          std::function<QString()> defaultPrinter);
    // The note beside a printer name: empty when an installed printer's name begins with it,
    // otherwise which printer will be used instead.
    static QString printerNote(const QString& stored, const QStringList& installed,
                               const QString& defaultPrinter);

    // Handlers.
    void btnModificaClick();
    void btnFineModificaClick();
    // The closing steps; false when a pending VAT change could not be stored (window stays).
    bool formClose();

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void headerLook(bool editing);
    void showPrinterNotes();

    SharedData& sd_;
    IniFile& ini_;
    QTabWidget* pages_;
    QList<QWidget*> headerEdits_;
    QList<FieldLink*> headerLinks_;
    QPushButton* btnModifica_;
    QPushButton* btnFine_;
    DataGrid* grid_;
    RecordNavigator* nav_;
    QLineEdit* esportazione_;
    QComboBox* stampante1_;
    QComboBox* stampante2_;
    QLabel* nota1_;
    QLabel* nota2_;
    std::function<QStringList()> printersFn_;
    std::function<QString()> defaultFn_;
    QStringList printers_;
    QString defaultPrinter_;
};
