#pragma once
// The main window's report: the engine, the print routine over it, and the program's data sets
// as the templates see them. Every print of the program goes through routine().
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "printing/engineoutput.h"
#include "printing/settastampante.h"
#include "report/datasetsource.h"
#include "report/engine.h"

class DataSet;
class SharedData;

class ProgramPrinting : public QObject {
    Q_OBJECT
public:
    ProgramPrinting(SharedData& shared, QWidget* window);

    // The print routine with the data folder and the printers of the settings in force.
    PrintRoutine& routine();
    // A window's own data set that templates name (documenti, corrispettivi, pagamenti ...).
    void addDataSet(DataSet& ds, const QString& name = {});
    report::ReportEngine& engine() { return engine_; }
    // The spooler for printer names and jobs (nullptr = CUPS); tests give their own.
    void setPrintBackend(report::PrintBackend* backend) {
        engine_.setPrintBackend(backend);
        output_.setBackend(backend);
    }

private:
    QPointer<QWidget> window_;
    report::ReportEngine engine_;
    EnginePrintOutput output_;
    PrintRoutine routine_;
    report::DataSetSources sources_;
};
