#include "report/spooler.h"

#include <cups/cups.h>

#include <QBuffer>
#include <cmath>

namespace report {

namespace {
QString mmText(double v) {
    QString s = QString::number(std::round(v * 10) / 10, 'f', 1);
    if (s.endsWith(QLatin1String(".0"))) s.chop(2);
    return s;
}
}  // namespace

QString customMedia(QSizeF sizeMm) {
    return QStringLiteral("Custom.%1x%2mm").arg(mmText(sizeMm.width()), mmText(sizeMm.height()));
}

CupsBackend& CupsBackend::instance() {
    static CupsBackend backend;
    return backend;
}

QStringList CupsBackend::printers() {
    cups_dest_t* dests = nullptr;
    const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QStringList names;
    for (int i = 0; i < n; ++i)
        if (!dests[i].instance) names << QString::fromUtf8(dests[i].name);
    cupsFreeDests(n, dests);
    return names;
}

QString CupsBackend::defaultPrinter() {
    cups_dest_t* dests = nullptr;
    const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QString name;
    for (int i = 0; i < n; ++i)
        if (dests[i].is_default) name = QString::fromUtf8(dests[i].name);
    cupsFreeDests(n, dests);
    return name;
}

bool PrintBackend::submitPdfFrom(const QString& printer, const QString& jobName, QIODevice& pdf,
                                 int copies, QSizeF pageSizeMm, QString* error) {
    const QByteArray all = pdf.readAll();
    return submitPdf(printer, jobName, all, copies, pageSizeMm, error);
}

bool CupsBackend::submitPdf(const QString& printer, const QString& jobName, const QByteArray& pdf,
                            int copies, QSizeF pageSizeMm, QString* error) {
    QBuffer buffer;
    buffer.setData(pdf);
    buffer.open(QIODevice::ReadOnly);
    return submitPdfFrom(printer, jobName, buffer, copies, pageSizeMm, error);
}

bool CupsBackend::submitPdfFrom(const QString& printer, const QString& jobName, QIODevice& pdf,
                                int copies, QSizeF pageSizeMm, QString* error) {
    const QByteArray queue = printer.toUtf8();
    const QByteArray title = jobName.isEmpty() ? QByteArray("Stampa") : jobName.toUtf8();
    const QByteArray copiesText = QByteArray::number(std::max(1, copies));
    const QByteArray media = customMedia(pageSizeMm).toUtf8();
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("copies", copiesText.constData(), count, &options);
    count = cupsAddOption("media", media.constData(), count, &options);
    count = cupsAddOption("print-scaling", "none", count, &options);
    const int job =
        cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.constData(), count, options);
    cupsFreeOptions(count, options);
    auto failed = [&] {
        if (error) *error = QString::fromUtf8(cupsLastErrorString());
        return false;
    };
    if (job == 0) return failed();
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
        failed();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        return false;
    }
    const auto abandon = [&] {
        cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        return false;
    };
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = pdf.read(chunk.data(), chunk.size());
        if (n < 0) {
            // The document could not be read to its end: no half job on the printer.
            if (error) *error = pdf.errorString();
            return abandon();
        }
        if (n == 0) break;
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(n)) !=
            HTTP_STATUS_CONTINUE) {
            failed();
            return abandon();
        }
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) > IPP_STATUS_OK_EVENTS_COMPLETE)
        return failed();
    return true;
}

}  // namespace report
