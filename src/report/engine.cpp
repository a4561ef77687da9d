#include "report/engine.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include "common/format.h"
#include "common/messages.h"
#include "report/layout.h"
#include "report/pdf.h"
#include "report/templatefile.h"

namespace report {

ReportEngine::ReportEngine(QObject* parent)
    : QObject(parent), report_(emptyReport()), pages_(std::make_unique<PageStore>()) {}

bool ReportEngine::loadFromFile(const QString& path) {
    Report r;
    if (!loadTemplate(path, &r, &error_)) return false;
    setReport(r, path);
    return true;
}

bool ReportEngine::saveToFile(const QString& path) {
    if (!saveTemplate(path, report_, &error_)) return false;
    fileName_ = path;
    return true;
}

void ReportEngine::setReport(const Report& report, const QString& fileName) {
    report_ = report;
    fileName_ = fileName;
    if (!fileName.isEmpty()) report_.name = QFileInfo(fileName).completeBaseName();
    releasePages();
    written_ = 0;
}

void ReportEngine::clear() {
    setReport(emptyReport());
}

bool ReportEngine::setObjectText(const QString& name, const QString& text) {
    ReportObject* obj = report_.findObject(name);
    if (!obj || obj->kind != ObjectKind::Text) {
        error_ =
            QStringLiteral("Report \"%1\": oggetto \"%2\" non trovato.")
                .arg(report_.name.isEmpty() ? QStringLiteral("senza nome") : report_.name, name);
        return false;
    }
    obj->text = text;
    prepared_ = false;
    return true;
}

bool ReportEngine::deletePage(int index) {
    if (index < 0 || index >= int(report_.pages.size())) {
        error_ = QStringLiteral("Report \"%1\": la pagina %2 non esiste.")
                     .arg(report_.name)
                     .arg(index + 1);
        return false;
    }
    report_.pages.erase(report_.pages.begin() + index);
    prepared_ = false;
    return true;
}

LayoutInput ReportEngine::layoutInput() const {
    LayoutInput in;
    in.report = &report_;
    in.sources = &sources_;
    in.title = title_;
    in.now = now_;
    in.progress = progress_;
    if (!fileName_.isEmpty()) in.templateFolder = QFileInfo(fileName_).absolutePath();
    return in;
}

bool ReportEngine::hasTemplatePages() {
    if (!report_.pages.empty()) return true;
    error_ = QStringLiteral("Report \"%1\": il modello non ha pagine.").arg(report_.name);
    return false;
}

void ReportEngine::setPageMemory(qint64 memoryBudget, const QString& folder) {
    pageMemory_ = memoryBudget;
    pageFolder_ = folder;
}

void ReportEngine::releasePages() {
    prepared_ = false;
    pages_ = std::make_unique<PageStore>();
}

bool ReportEngine::prepare() {
    cancelled_ = false;
    // The pages of the last preparation go first, and their file with them.
    releasePages();
    if (!hasTemplatePages()) return false;
    auto store = std::make_unique<PageStore>(pageMemory_, pageFolder_);
    if (!streamReport(layoutInput(), *store, &error_, &cancelled_)) return false;
    pages_ = std::move(store);
    prepared_ = true;
    return true;
}

bool ReportEngine::writeOutput(QIODevice& device, QString* error, QSizeF* firstPage) {
    PdfPageWriter writer(device, title_);
    if (prepared_) {
        for (int i = 0; i < pages_->count(); ++i) {
            const std::shared_ptr<const PreparedPage> page = pages_->at(i);
            if (!page) {
                *error = pages_->errorString();
                return false;
            }
            writer.paint(*page);
        }
    } else {
        // Laid out and written page by page: only the page at hand is in memory.
        cancelled_ = false;
        if (!hasTemplatePages()) {
            if (error != &error_) *error = error_;
            return false;
        }
        if (!streamReport(layoutInput(), writer, error, &cancelled_)) return false;
    }
    if (!writer.finish(error)) return false;
    if (firstPage) *firstPage = writer.firstPageSize();
    written_ = writer.pageCount();
    return true;
}

QByteArray ReportEngine::pdfBytes() {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!writeOutput(buf, &error_)) return {};
    return bytes;
}

bool ReportEngine::exportPdf(const QString& path) {
    return saveFile(path, &error_, [this](QIODevice& device, QString* error) {
        return writeOutput(device, error);
    });
}

QString ReportEngine::pdfFileName() const {
    QString base = title_.isEmpty() ? QStringLiteral("stampa") : title_;
    // Characters a file name cannot hold on any system.
    static const QString bad = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : base)
        if (bad.contains(c) || c.unicode() < 32) c = QLatin1Char('_');
    const QString folder = QDir(dataFolder_.isEmpty() ? QDir::currentPath() : dataFolder_)
                               .filePath(QStringLiteral("pdf"));
    const QString stamp =
        formatDateTime(QStringLiteral("yyyy_mm_dd_hh_nn_ss"), QDateTime::currentDateTime());
    QString path = QDir(folder).filePath(base + QLatin1Char('_') + stamp + QStringLiteral(".pdf"));
    // Two prints within one second must not overwrite each other.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1_%2_%3.pdf").arg(base, stamp).arg(n));
    return path;
}

ReportEngine::PrintOutcome ReportEngine::print(int copies) {
    lastPdf_.clear();
    lastPrinter_.clear();
    cancelled_ = false;
    if (!prepared_ && !hasTemplatePages()) return PrintOutcome::Failed;
    copies = std::clamp(copies, 1, 999);
    PrintBackend& spool = backend();
    const QStringList installed = spool.printers();
    if (installed.isEmpty()) {
        const QString path = pdfFileName();
        const QString folder = QFileInfo(path).absolutePath();
        const bool hadFolder = QFileInfo::exists(folder);
        if (!QDir().mkpath(folder)) {
            error_ = QStringLiteral("Impossibile creare la cartella \"%1\".").arg(folder);
            return PrintOutcome::Failed;
        }
        if (!exportPdf(path)) {
            // Stopped or failed while the pages were written: no empty folder left behind.
            if (!hadFolder) QDir().rmdir(folder);
            return PrintOutcome::Failed;
        }
        lastPdf_ = path;
        Q_EMIT afterPrint();
        return PrintOutcome::SavedToPdf;
    }
    QString queue = printer_;
    if (queue.isEmpty() || !installed.contains(queue)) queue = spool.defaultPrinter();
    if (queue.isEmpty() || !installed.contains(queue)) queue = installed.front();
    // The job goes to the spooler from a file, so a long report never sits whole in memory.
    QTemporaryFile pdf(
        QDir(QDir::tempPath()).filePath(QStringLiteral("vinorda-stampa-XXXXXX.pdf")));
    if (!pdf.open()) {
        error_ = QStringLiteral("Impossibile creare il file temporaneo della stampa: %1")
                     .arg(pdf.errorString());
        return PrintOutcome::Failed;
    }
    QSizeF firstPage;
    if (!writeOutput(pdf, &error_, &firstPage)) return PrintOutcome::Failed;
    if (!pdf.flush() || pdf.error() != QFileDevice::NoError || !pdf.seek(0)) {
        error_ = QStringLiteral("Impossibile scrivere il file temporaneo della stampa \"%1\": %2")
                     .arg(pdf.fileName(), pdf.errorString());
        return PrintOutcome::Failed;
    }
    QString why;
    if (!spool.submitPdfFrom(queue, title_, pdf, copies, firstPage, &why)) {
        error_ = QStringLiteral("La stampante \"%1\" ha rifiutato la stampa di \"%2\": %3")
                     .arg(queue, title_, why);
        return PrintOutcome::Failed;
    }
    lastPrinter_ = queue;
    Q_EMIT afterPrint();
    return PrintOutcome::Printed;
}

bool ReportEngine::printAndTell(int copies) {
    switch (print(copies)) {
        case PrintOutcome::Printed:
            return true;
        case PrintOutcome::SavedToPdf:
            Mymsg::message(QStringLiteral("   Nessuna stampante installata: la stampa è stata "
                                          "salvata nel file\n%1   ")
                               .arg(QDir::toNativeSeparators(lastPdf_)));
            return true;
        case PrintOutcome::Failed:
            // Stopped by the user: nothing to tell.
            if (!cancelled_) Mymsg::error(error_);
            return false;
    }
    return false;
}

}  // namespace report
