#pragma once
// Handing a rendered PDF to the print spooler, so the caller learns whether the job was taken.
#include <QByteArray>
#include <QIODevice>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace report {

class PrintBackend {
public:
    virtual ~PrintBackend() = default;
    // Names of the installed print queues.
    virtual QStringList printers() = 0;
    // The system's default queue; empty when none is set.
    virtual QString defaultPrinter() = 0;
    // Sends a PDF document as one job; true only when the spooler accepted it. *error gets the
    // spooler's own text on failure.
    virtual bool submitPdf(const QString& printer, const QString& jobName, const QByteArray& pdf,
                           int copies, QSizeF pageSizeMm, QString* error) = 0;
    // The same, the document read from pdf (open for reading, at its start). A spooler that
    // cannot read in pieces is given the whole document at once.
    virtual bool submitPdfFrom(const QString& printer, const QString& jobName, QIODevice& pdf,
                               int copies, QSizeF pageSizeMm, QString* error);
};

// The CUPS spooler (libcups).
class CupsBackend : public PrintBackend {
public:
    QStringList printers() override;
    QString defaultPrinter() override;
    bool submitPdf(const QString& printer, const QString& jobName, const QByteArray& pdf,
                   int copies, QSizeF pageSizeMm, QString* error) override;
    // Sends the document in pieces as it is read, never whole in memory.
    bool submitPdfFrom(const QString& printer, const QString& jobName, QIODevice& pdf, int copies,
                       QSizeF pageSizeMm, QString* error) override;
    static CupsBackend& instance();
};

// The CUPS "media" value for an exact size in mm ("Custom.80x123.5mm").
QString customMedia(QSizeF sizeMm);

}  // namespace report
