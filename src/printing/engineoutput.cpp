#include "printing/engineoutput.h"

#include "common/messages.h"
#include "platform/rawprinter.h"

EnginePrintOutput::EnginePrintOutput(report::ReportEngine& engine, report::PrintBackend* backend)
    : engine_(engine), backend_(backend) {}

report::PrintBackend& EnginePrintOutput::backend() {
    return backend_ ? *backend_ : report::CupsBackend::instance();
}

QStringList EnginePrintOutput::installedPrinters() {
    return backend().printers();
}

QString EnginePrintOutput::defaultPrinter() {
    return backend().defaultPrinter();
}

void EnginePrintOutput::load(const report::Report& report, const QString& path,
                             const QString& title, const QString& printer) {
    engine_.setReport(report, path);
    engine_.setTitle(title);
    engine_.setPrinterName(printer);
}

bool EnginePrintOutput::preview(const report::Report& report, const QString& path,
                                const QString& title, const QString& printer) {
    load(report, path, title, printer);
    const std::unique_ptr<report::LayoutProgress> watcher = progress ? progress(title) : nullptr;
    engine_.setProgress(watcher.get());
    const bool prepared = engine_.prepare();
    engine_.setProgress(nullptr);
    if (!prepared) {
        // Stopped by the user: nothing to show and nothing to tell.
        if (!engine_.wasCancelled()) Mymsg::error(engine_.errorString());
        return false;
    }
    const bool printed = showPreview && showPreview(engine_);
    // The engine outlives the window: the pages and their file are not kept for nothing.
    engine_.releasePages();
    return printed;
}

bool EnginePrintOutput::print(const report::Report& report, const QString& path,
                              const QString& title, const QString& printer) {
    // Pages go to the spooler as they are laid out; none is kept.
    load(report, path, title, printer);
    const std::unique_ptr<report::LayoutProgress> watcher = progress ? progress(title) : nullptr;
    engine_.setProgress(watcher.get());
    const bool printed = engine_.printAndTell(1);
    engine_.setProgress(nullptr);
    return printed;
}

void EnginePrintOutput::cut(const QString& printer) {
    taglia_scontrino(printer);
}

void EnginePrintOutput::openDesigner(report::Report& report, QString& path) {
    engine_.setReport(report, path);
    if (showDesigner) showDesigner(engine_);
    // What the user saved is what the next request would load; keep the edits in memory too.
    report = engine_.report();
    path = engine_.fileName();
}
