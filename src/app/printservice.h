#pragma once
// The main window's report: the engine, the print routine over it, the printed lists, and the
// program's data sets as the templates see them. Every print of the program goes through
// routine().
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "printing/engineoutput.h"
#include "printing/printedlists.h"
#include "printing/settastampante.h"
#include "report/datasetsource.h"
#include "report/engine.h"

class DataSet;
class IniFile;
class SharedData;

class ProgramPrinting : public QObject {
    Q_OBJECT
public:
    // settings: vinorda.ini, where the last template printed is kept for the designer (may be
    // nullptr).
    ProgramPrinting(SharedData& shared, QWidget* window, IniFile* settings = nullptr);

    // The print routine with the data folder and the printers of the settings in force.
    PrintRoutine& routine();
    // The lists of the "&Stampe" menu, printing through routine().
    PrintedLists& lists() { return lists_; }
    // A window's own data set that templates name (documenti, corrispettivi, pagamenti ...).
    void addDataSet(DataSet& ds, const QString& name = {});
    report::ReportEngine& engine() { return engine_; }
    // The spooler for printer names and jobs (nullptr = CUPS); tests give their own.
    void setPrintBackend(report::PrintBackend* backend) {
        engine_.setPrintBackend(backend);
        output_.setBackend(backend);
    }

    // "P&ersonalizzazione stampe": the designer on the template loaded, else on the last one
    // printed (also in an earlier run), else on an empty report.
    void Personalizzazionestampe1Click();

    // The designer's preview: the data sets the template reads, prepared as its print would
    // when nobody has prepared them, around prepare.
    bool previewData(const report::Report& report, const std::function<bool()>& prepare);

private:
    QPointer<QWidget> window_;
    SharedData& shared_;
    IniFile* settings_;
    report::ReportEngine engine_;
    EnginePrintOutput output_;
    PrintRoutine routine_;
    report::DataSetSources sources_;
    PrintedLists lists_;
};
