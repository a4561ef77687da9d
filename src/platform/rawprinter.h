#pragma once
// Raw print jobs: bytes passed unchanged to a print queue (ESC/POS commands for the receipt
// printer). One job with one raw document per open/close.
#include <QByteArray>
#include <QString>
#include <functional>

class RawPrinter {
public:
    using ErrorCallback = std::function<void(const QString& systemText)>;

    RawPrinter() = default;
    explicit RawPrinter(const QString& printerName,
                        const QString& jobName = QStringLiteral("RawPrint"));
    ~RawPrinter();  // closes an open job
    RawPrinter(const RawPrinter&) = delete;
    RawPrinter& operator=(const RawPrinter&) = delete;

    // Empty: the default printer at open time.
    void setPrinterName(const QString& name) { printerName_ = name; }
    QString printerName() const { return printerName_; }
    void setJobName(const QString& name) { jobName_ = name; }
    QString jobName() const { return jobName_; }
    // Receives the spooler's text of a failure (at most 500 characters). None by default.
    void setErrorCallback(ErrorCallback callback) { onError_ = std::move(callback); }

    // Creates the job and starts its raw document (and page). True when all succeeded.
    bool open();
    // All bytes in one call; true on success.
    bool write(const QByteArray& bytes);
    // Ends the page and starts the next one (pages have no meaning to a raw stream).
    bool newPage();
    // Ends the page and the document and hands the job to the spooler; true when accepted.
    bool close();

    bool isOpen() const { return http_ != nullptr; }
    int jobId() const { return jobId_; }  // 0 before a successful open
    QString lastError() const { return lastError_; }

private:
    bool fail(const QString& text);
    void disconnect();

    QString printerName_;
    QString jobName_ = QStringLiteral("RawPrint");
    ErrorCallback onError_;
    QString lastError_;
    void* http_ = nullptr;  // http_t*, kept out of the header
    QByteArray openPrinter_;
    int jobId_ = 0;
};

// Feeds the paper past the cutter and cuts it: four CR LF pairs and ESC "m", as job "MyJob" on
// the given receipt printer. Failures are silent. Returns true when the spooler accepted the job.
bool taglia_scontrino(const QString& printerName);

// The ten bytes of one cut job.
QByteArray cutBytes();
