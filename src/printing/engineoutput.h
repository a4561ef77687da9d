#pragma once
// PrintOutput over the report engine: direct printing and the PDF fallback through the engine,
// the paper cut through the raw printer; preview and designer are windows, so the program
// hands them in as callbacks.
#include <functional>
#include <memory>

#include "printing/settastampante.h"
#include "report/engine.h"

class EnginePrintOutput : public PrintOutput {
public:
    // The engine holds the data sources and the data folder; printers come from backend
    // (nullptr = CUPS), the same one the engine prints through.
    explicit EnginePrintOutput(report::ReportEngine& engine,
                               report::PrintBackend* backend = nullptr);

    // The spooler the printers come from (nullptr = CUPS); the engine prints through its own.
    void setBackend(report::PrintBackend* backend) { backend_ = backend; }

    // The preview window on the prepared engine; true when a job was accepted from it.
    std::function<bool(report::ReportEngine&)> showPreview;
    // The designer on the engine's report (loaded from path, "" for a new one).
    std::function<void(report::ReportEngine&)> showDesigner;
    // The watcher of a preparation with that title (progress and "Annulla"); none when unset.
    std::function<std::unique_ptr<report::LayoutProgress>(const QString& title)> progress;

    QStringList installedPrinters() override;
    QString defaultPrinter() override;
    bool preview(const report::Report& report, const QString& path, const QString& title,
                 const QString& printer) override;
    bool print(const report::Report& report, const QString& path, const QString& title,
               const QString& printer) override;
    void cut(const QString& printer) override;
    void openDesigner(report::Report& report, QString& path) override;

private:
    void load(const report::Report& report, const QString& path, const QString& title,
              const QString& printer);
    report::PrintBackend& backend();

    report::ReportEngine& engine_;
    report::PrintBackend* backend_;
};
