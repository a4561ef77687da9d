#include "app/printservice.h"

#include <QFileInfo>

#include "app/appsettings.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "printing/templates.h"
#include "report/designer/designer.h"
#include "report/expression.h"
#include "report/prepareprogress.h"
#include "report/preview.h"

namespace {
const QString kSection = QStringLiteral("TMainForm");
const QString kUltimaStampa = QStringLiteral("UltimaStampa");
}  // namespace

ProgramPrinting::ProgramPrinting(SharedData& shared, QWidget* window, IniFile* settings)
    : QObject(window),
      window_(window),
      shared_(shared),
      settings_(settings),
      output_(engine_),
      routine_(output_),
      lists_(shared, [this](const QString& name, const QString& title) {
          routine().setta_stampante(name, title, false, PrintMode::Preview, 1);
      }) {
    for (DataSet* ds : shared.all()) addDataSet(*ds);
    routine_.setDataSources(&engine_.dataSources());
    routine_.templateLoaded = [this](const QString& name) {
        if (!settings_ || settings_->value(kSection, kUltimaStampa) == name) return;
        settings_->setValue(kSection, kUltimaStampa, name);
        settings_->save();
    };
    output_.showPreview = [this](report::ReportEngine& engine) {
        return showPreview(engine, window_);
    };
    output_.progress = [this](const QString& title) -> std::unique_ptr<report::LayoutProgress> {
        return std::make_unique<report::PrepareProgress>(window_, title);
    };
    output_.showDesigner = [this](report::ReportEngine& engine) {
        report::Report model = engine.report();
        QString path = engine.fileName().isEmpty() ? App::dataFolder() + QStringLiteral("stampe/")
                                                   : engine.fileName();
        const bool saved = report::ReportDesigner::openDesigner(
            model, path, &engine.dataSources(), window_, [this](report::ReportDesigner& d) {
                d.setPreviewData(
                    [this](const report::Report& r, const std::function<bool()>& prepare) {
                        return previewData(r, prepare);
                    });
                QHash<QString, QString> titles;
                for (const PrintTemplate& t : printTemplates()) titles.insert(t.name, t.title);
                d.setTemplateTitles(titles);
            });
        // Another template opened in the designer is the one loaded from now on.
        const bool other = QFileInfo(path).isFile() && path != engine.fileName();
        if (saved || other) engine.setReport(model, QFileInfo(path).isFile() ? path : QString());
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

void ProgramPrinting::Personalizzazionestampe1Click() {
    PrintRoutine& r = routine();
    if (!r.hasTemplate() && settings_) {
        const QString last = settings_->value(kSection, kUltimaStampa);
        // A template removed or damaged since then: the designer starts empty.
        if (!last.isEmpty()) r.loadTemplateNamed(last);
    }
    r.Personalizzazionestampe1Click();
}

bool ProgramPrinting::previewData(const report::Report& report,
                                  const std::function<bool()>& prepare) {
    bool prepared = false;
    const auto run = [&] { prepared = prepare(); };
    try {
        if (lists_.withListData(report.name, run)) return prepared;
    } catch (const DatabaseError& e) {
        Mymsg::error(e.text());
        return prepare();
    }
    // Other templates: the data sets they read that are closed are opened for the preview only.
    std::vector<DataSet*> opened;
    for (const QString& name : report::usedSources(report)) {
        for (const auto& source : sources_.sources()) {
            if (source->name().compare(name, Qt::CaseInsensitive) != 0) continue;
            DataSet& ds = source->dataSet();
            if (ds.isOpen()) break;
            try {
                ds.open();
                opened.push_back(&ds);
            } catch (const DatabaseError&) {
                // Left closed: its bands print empty, as with no rows.
            }
            break;
        }
    }
    run();
    for (auto it = opened.rbegin(); it != opened.rend(); ++it) (*it)->close();
    return prepared;
}
