#include "platform/rawprinter.h"

#include <cups/cups.h>

#include "platform/printers.h"

namespace {
http_t* asHttp(void* p) {
    return static_cast<http_t*>(p);
}

QString cupsText() {
    QString text = QString::fromUtf8(cupsLastErrorString());
    if (text.isEmpty()) text = QString::fromUtf8(ippErrorString(cupsLastError()));
    return text;
}
}  // namespace

RawPrinter::RawPrinter(const QString& printerName, const QString& jobName)
    : printerName_(printerName), jobName_(jobName) {}

RawPrinter::~RawPrinter() {
    if (isOpen()) close();
}

bool RawPrinter::fail(const QString& text) {
    lastError_ = text.left(500);
    if (onError_) onError_(lastError_);
    return false;
}

void RawPrinter::disconnect() {
    if (http_) httpClose(asHttp(http_));
    http_ = nullptr;
}

bool RawPrinter::open() {
    if (isOpen()) return fail(QStringLiteral("Un lavoro di stampa è già aperto"));
    jobId_ = 0;
    QString printer = printerName_;
    if (printer.isEmpty()) printer = defaultPrinter();
    if (printer.isEmpty()) return fail(QStringLiteral("Nessuna stampante predefinita"));

    // A connection of our own: the streamed document must not share the default connection
    // with other spooler calls made while the job is open.
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                30000, nullptr);
    if (!http) return fail(cupsText());

    const QByteArray name = printer.toUtf8();
    const QByteArray title = jobName_.toUtf8();
    const int job = cupsCreateJob(http, name.constData(), title.constData(), 0, nullptr);
    if (job <= 0) {
        const QString text = cupsText();
        httpClose(http);
        return fail(text);
    }
    if (cupsStartDocument(http, name.constData(), job, title.constData(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        const QString text = cupsText();
        cupsCancelJob2(http, name.constData(), job, 0);
        httpClose(http);
        return fail(text);
    }
    http_ = http;
    jobId_ = job;
    openPrinter_ = name;
    return true;
}

bool RawPrinter::write(const QByteArray& bytes) {
    if (!isOpen()) return fail(QStringLiteral("Nessun lavoro di stampa aperto"));
    if (cupsWriteRequestData(asHttp(http_), bytes.constData(), size_t(bytes.size())) !=
        HTTP_STATUS_CONTINUE)
        return fail(cupsText());
    return true;
}

bool RawPrinter::newPage() {
    if (!isOpen()) return fail(QStringLiteral("Nessun lavoro di stampa aperto"));
    return true;
}

bool RawPrinter::close() {
    if (!isOpen()) return fail(QStringLiteral("Nessun lavoro di stampa aperto"));
    const ipp_status_t status = cupsFinishDocument(asHttp(http_), openPrinter_.constData());
    const QString text = cupsText();
    disconnect();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) return fail(text);
    return true;
}

QByteArray cutBytes() {
    return QByteArray("\r\n\r\n\r\n\r\n\x1b\x6d", 10);
}

bool taglia_scontrino(const QString& printerName) {
    RawPrinter printer(printerName, QStringLiteral("MyJob"));
    if (!printer.open()) return false;
    bool ok = printer.write(cutBytes().left(8));
    ok = printer.write(cutBytes().mid(8)) && ok;
    ok = printer.newPage() && ok;
    return printer.close() && ok;
}
