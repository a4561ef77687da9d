#pragma once
// The report engine as the program uses it: load a template, give it a title, pick objects and
// pages, prepare, export PDF and print without a dialog. afterPrint() is emitted exactly when a
// print job was accepted (or, with no printer installed, written to a PDF file).
#include <QDateTime>
#include <QObject>
#include <QString>

#include "report/datasource.h"
#include "report/layout.h"
#include "report/model.h"
#include "report/pagestore.h"
#include "report/spooler.h"

namespace report {

class ReportEngine : public QObject {
    Q_OBJECT
public:
    enum class PrintOutcome { Printed, SavedToPdf, Failed };

    explicit ReportEngine(QObject* parent = nullptr);

    // ---- template
    // Loads a template file; false with errorString() naming the report and the file (the
    // report loaded before stays).
    bool loadFromFile(const QString& path);
    bool saveToFile(const QString& path);
    void setReport(const Report& report, const QString& fileName = {});
    void clear();  // an empty report
    Report& report() { return report_; }
    const Report& report() const { return report_; }
    QString fileName() const { return fileName_; }

    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // Replaces the text of the object with that name; false (errorString() names the object)
    // when the template has no such text object.
    bool setObjectText(const QString& name, const QString& text);
    // Removes a template page by position (0 = first); false when there is no such page.
    bool deletePage(int index);

    // ---- data and environment
    DataSourceRegistry& dataSources() { return sources_; }
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }
    QString dataFolder() const { return dataFolder_; }
    // The moment [DATE] and [TIME] show; invalid = now.
    void setCurrentTime(const QDateTime& now) { now_ = now; }

    // ---- output
    // The watcher of the next preparations (not owned; nullptr = none). A preparation it stops
    // returns false with wasCancelled() and an empty errorString().
    void setProgress(LayoutProgress* progress) { progress_ = progress; }
    // Lays out every page and keeps them packed (for the preview): in memory up to a budget,
    // the rest in a temporary file. A file that cannot be written fails it with the reason.
    bool prepare();
    // The bytes of packed pages kept in memory, and the folder of the file for the rest
    // (empty = the system's temporary folder).
    void setPageMemory(qint64 memoryBudget, const QString& folder = {});
    // Drops the prepared pages and their file; printing lays the pages out again.
    void releasePages();
    bool isPrepared() const { return prepared_; }
    bool wasCancelled() const { return cancelled_; }
    // The prepared pages, read back one at a time; empty when not prepared.
    const PageStore& prepared() const { return *pages_; }
    // The prepared pages; without them, the pages of the last PDF or print written.
    int pageCount() const { return prepared_ ? pages_->count() : written_; }
    // The PDF of the prepared pages; without them the pages are laid out and written one by
    // one, never all in memory (the watcher of setProgress() sees it).
    bool exportPdf(const QString& path);
    QByteArray pdfBytes();  // empty on failure

    // The print queue; empty = the system's default.
    void setPrinterName(const QString& name) { printer_ = name; }
    QString printerName() const { return printer_; }
    // Not owned; nullptr = CUPS.
    void setPrintBackend(PrintBackend* backend) { backend_ = backend; }

    // Prints all pages (the prepared ones, else laid out as they are written), copies in one
    // job, without a dialog; a job stopped through the watcher is Failed with wasCancelled(). With
    // no printer installed the pages go to <data folder>/pdf/<title>_<yyyy_mm_dd_hh_nn_ss>.pdf
    // (lastPdfFile()).
    PrintOutcome print(int copies = 1);
    // print(), then tells the user through Mymsg: the spooler's error or where the PDF went.
    bool printAndTell(int copies = 1);
    QString lastPdfFile() const { return lastPdf_; }
    QString lastPrinter() const { return lastPrinter_; }

    QString errorString() const { return error_; }

    // What a preparation lays out: the template, the sources, title, time, watcher and the
    // template's folder.
    LayoutInput layoutInput() const;

Q_SIGNALS:
    void afterPrint();

private:
    PrintBackend& backend() { return backend_ ? *backend_ : CupsBackend::instance(); }
    QString pdfFileName() const;
    bool hasTemplatePages();
    bool writeOutput(QIODevice& device, QString* error, QSizeF* firstPage = nullptr);

    Report report_;
    QString fileName_;
    QString title_;
    DataSourceRegistry sources_;
    QString dataFolder_;
    QDateTime now_;
    std::unique_ptr<PageStore> pages_;
    qint64 pageMemory_ = PageStore::kDefaultMemoryBudget;
    QString pageFolder_;
    bool prepared_ = false;
    int written_ = 0;
    bool cancelled_ = false;
    LayoutProgress* progress_ = nullptr;
    QString printer_;
    PrintBackend* backend_ = nullptr;
    QString lastPdf_;
    QString lastPrinter_;
    QString error_;
};

}  // namespace report
