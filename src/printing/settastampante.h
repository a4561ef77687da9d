#pragma once
// The one print routine: every print of the program loads a template from the data folder's
// stampe/ folder, gets a title and a printer, and is previewed, printed once or twice, or opened
// in the designer. The report-printed flag tells callers whether paper was really printed.
//
// The rules here do not know windows or the spooler: what happens with the prepared template
// (preview, direct print, PDF fallback, designer, paper cut) goes through PrintOutput.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "report/datasource.h"
#include "report/model.h"

// vinorda.ini, section TfrmIntesta: stampante1_Text (main printer), stampante2_Text (receipt).
struct PrinterSettings {
    QString mainPrinter = QStringLiteral("stampante1");
    QString receiptPrinter = QStringLiteral("stampante2");
};

enum class PrintMode { Preview = 0, OneCopy = 1, TwoCopies = 2 };

class PrintOutput {
public:
    virtual ~PrintOutput() = default;
    // Queue names in the system's order, and the default queue ("" when none).
    virtual QStringList installedPrinters() = 0;
    virtual QString defaultPrinter() = 0;
    // printer: a queue name, or "" when the machine has no printer at all (the engine then writes
    // a PDF into the data folder's pdf/ folder and tells the user where).
    // Shows the preview; true when the user printed from it and a job was accepted.
    // path: the template's file (pictures are found next to it).
    virtual bool preview(const report::Report& report, const QString& path, const QString& title,
                         const QString& printer) = 0;
    // One copy without a dialog; true when the spooler accepted the job (or the PDF was written).
    virtual bool print(const report::Report& report, const QString& path, const QString& title,
                       const QString& printer) = 0;
    // Feed and cut on the receipt printer.
    virtual void cut(const QString& printer) = 0;
    // The designer on the loaded template; path is the file it came from ("" for a new report).
    // Both follow what the designer ends on (another template opened, a new name saved).
    virtual void openDesigner(report::Report& report, QString& path) = 0;
};

// The main window's report and the routine over it.
class PrintRoutine {
public:
    explicit PrintRoutine(PrintOutput& output) : output_(output) {}

    void setDataFolder(const QString& folder) { dataFolder_ = folder; }  // ends with "/"
    void setPrinterSettings(const PrinterSettings& settings) { settings_ = settings; }
    // The program's data sets as the templates see them (Fatture, documenti, corrispettivi, ...).
    void setDataSources(const report::DataSourceRegistry* sources) { sources_ = sources; }

    // "Editor stampe  contestuale": off at start, not saved.
    void setInlineEditor(bool on) { inlineEditor_ = on; }
    bool inlineEditor() const { return inlineEditor_; }

    // printer: 1 main, 2 receipt. Errors go to the standard error box (Mymsg::error).
    // Returns whether paper was really printed by this call: true only when the spooler
    // accepted a job (or, on a machine without printers, the PDF was written); false for a
    // preview closed without printing, a refused job, a missing template or the designer.
    // The report-printed flag is set in the same cases (and never cleared here).
    bool setta_stampante(const QString& name, const QString& title, bool document, PrintMode output,
                         int printer);
    bool setta_stampante(const QString& name, const QString& title, bool document, int output,
                         int printer) {
        return setta_stampante(name, title, document, PrintMode(qBound(0, output, 2)), printer);
    }

    // "P&ersonalizzazione stampe": the designer on the report as loaded now (or an empty one).
    void Personalizzazionestampe1Click();
    // Whether a template has been loaded in this run.
    bool hasTemplate() const { return loaded_; }
    // Loads stampe/<name>.frf, without printing; false (nothing changed, *error set) when it
    // cannot be read.
    bool loadTemplateNamed(const QString& name, QString* error = nullptr);
    // Told the name of every template a print loads (the designer opens on the last one).
    std::function<void(const QString& name)> templateLoaded;

    // The report-printed flag: callers set it false, print, and read it.
    bool reportPrinted() const { return reportPrinted_; }
    void setReportPrinted(bool printed) { reportPrinted_ = printed; }
    // A print job was sent (from the preview or directly).
    void frReport1AfterPrint() { reportPrinted_ = true; }

    // The printer the last setta_stampante used ("" = none installed), and the loaded report.
    QString lastPrinter() const { return lastPrinter_; }
    const report::Report& loadedReport() const { return report_; }
    QString loadedPath() const { return path_; }

    // Step 3 on its own: the stored name looked up with looklist; no match, an empty name or
    // the default texts "stampante1"/"stampante2" -> the system's default printer; no default
    // -> the first one; no printer at all -> "".
    static QString resolvePrinter(const QString& stored, const QStringList& installed,
                                  const QString& defaultPrinter);

private:
    bool isNegativeDocument() const;
    bool isEmptySource(const QString& name) const;

    PrintOutput& output_;
    PrinterSettings settings_;
    QString dataFolder_;
    const report::DataSourceRegistry* sources_ = nullptr;
    bool inlineEditor_ = false;
    bool reportPrinted_ = false;
    bool loaded_ = false;
    report::Report report_;
    QString path_;
    QString lastPrinter_;
};
