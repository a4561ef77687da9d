#include "app/printservice.h"

#include "app/appsettings.h"
#include "data/shareddata.h"
#include "report/designer/designer.h"
#include "report/preview.h"

ProgramPrinting::ProgramPrinting(SharedData& shared, QWidget* window)
    : QObject(window), window_(window), output_(engine_), routine_(output_) {
    for (DataSet* ds : shared.all()) addDataSet(*ds);
    routine_.setDataSources(&engine_.dataSources());
    output_.showPreview = [this](report::ReportEngine& engine) {
        return showPreview(engine, window_);
    };
    output_.showDesigner = [this](report::ReportEngine& engine) {
        report::Report model = engine.report();
        const QString path = engine.fileName().isEmpty()
                                 ? App::dataFolder() + QStringLiteral("stampe/")
                                 : engine.fileName();
        if (report::ReportDesigner::openDesigner(model, path, &engine.dataSources(), window_))
            engine.setReport(model, engine.fileName());
    };
}

void ProgramPrinting::addDataSet(DataSet& ds, const QString& name) {
    engine_.dataSources().add(&sources_.add(ds, name));
}

PrintRoutine& ProgramPrinting::routine() {
    const AppSettings& s = App::settings();
    routine_.setDataFolder(App::dataFolder());
    engine_.setDataFolder(App::dataFolder());
    routine_.setPrinterSettings({s.stampante1, s.stampante2});
    return routine_;
}
