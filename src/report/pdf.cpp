#include "report/pdf.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

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

bool writePdf(const PreparedReport& report, QIODevice& device, QString* error) {
    if (report.pages.empty()) {
        if (error) *error = QStringLiteral("Il report non ha pagine da stampare.");
        return false;
    }
    QPdfWriter writer(&device);
    writer.setResolution(kPdfDpi);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("Vinorda Lestro"));
    writer.setPageLayout(QPageLayout(pageSizeOf(report.pages.front()), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) *error = QStringLiteral("Impossibile creare il PDF.");
        return false;
    }
    const double dpm = kPdfDpi / 25.4;
    for (size_t i = 0; i < report.pages.size(); ++i) {
        if (i > 0) {
            writer.setPageLayout(QPageLayout(pageSizeOf(report.pages[i]), QPageLayout::Portrait,
                                             QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
            writer.newPage();
        }
        paintPage(painter, report.pages[i], dpm);
    }
    painter.end();
    return true;
}

bool writePdfFile(const PreparedReport& report, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file \"%1\": %2")
                         .arg(path, file.errorString());
        return false;
    }
    if (!writePdf(report, file, error)) {
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

}  // namespace report
