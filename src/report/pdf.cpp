#include "report/pdf.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <memory>

#include "report/painter.h"

namespace report {

namespace {
constexpr int kPdfDpi = 1200;

QPageSize pageSizeOf(const PreparedPage& page) {
    QSizeF size = page.size;
    if (size.height() <= 0) size.setHeight(1);
    return QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}
}  // namespace

PdfPageWriter::PdfPageWriter(QIODevice& device, const QString& title)
    : device_(device), title_(title) {}

PdfPageWriter::~PdfPageWriter() {
    if (painter_ && painter_->isActive()) painter_->end();
}

void PdfPageWriter::paint(const PreparedPage& page) {
    if (failed_) return;
    const QPageLayout layout(pageSizeOf(page), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                             QPageLayout::Millimeter);
    if (!writer_) {
        // The writer starts with the first page's size.
        writer_ = std::make_unique<QPdfWriter>(&device_);
        writer_->setResolution(kPdfDpi);
        writer_->setTitle(title_);
        writer_->setCreator(QStringLiteral("Vinorda Lestro"));
        writer_->setPageLayout(layout);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            failed_ = true;
            return;
        }
        firstSize_ = page.size;
    } else {
        writer_->setPageLayout(layout);
        writer_->newPage();
    }
    paintPage(*painter_, page, kPdfDpi / 25.4);
    ++pages_;
}

bool PdfPageWriter::finish(QString* error) {
    if (failed_) {
        if (error) *error = QStringLiteral("Impossibile creare il PDF.");
        return false;
    }
    if (pages_ == 0) {
        if (error) *error = QStringLiteral("Il report non ha pagine da stampare.");
        return false;
    }
    painter_->end();
    return true;
}

bool writePdf(const PreparedReport& report, QIODevice& device, QString* error) {
    PdfPageWriter writer(device, report.title);
    for (const PreparedPage& page : report.pages) writer.paint(page);
    return writer.finish(error);
}

bool saveFile(const QString& path, QString* error,
              const std::function<bool(QIODevice&, QString*)>& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                         .arg(path, file.errorString());
        return false;
    }
    if (!write(file, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}

bool writePdfFile(const PreparedReport& report, const QString& path, QString* error) {
    return saveFile(path, error,
                    [&](QIODevice& device, QString* e) { return writePdf(report, device, e); });
}

}  // namespace report
