#pragma once
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

#include "report/layout.h"
#include "report/prepared.h"

class QPdfWriter;

namespace report {

// Paints pages into a PDF one at a time, each at its own size in mm, so a report can be written
// as it is laid out. The document is complete after finish().
class PdfPageWriter : public PageSink {
public:
    PdfPageWriter(QIODevice& device, const QString& title);
    ~PdfPageWriter() override;
    void page(PreparedPage&& page) override { paint(page); }
    void paint(const PreparedPage& page);
    // False (with *error) when there was no page or the PDF could not be made.
    bool finish(QString* error);
    int pageCount() const { return pages_; }
    QSizeF firstPageSize() const { return firstSize_; }

private:
    QIODevice& device_;
    QString title_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    int pages_ = 0;
    bool failed_ = false;
    QSizeF firstSize_;
};

// Writes the pages as PDF, each page at its own size in mm.
bool writePdf(const PreparedReport& report, QIODevice& device, QString* error);
bool writePdfFile(const PreparedReport& report, const QString& path, QString* error);

// Writes a file through write; the file is replaced only when write succeeded, otherwise the
// one there before stays.
bool saveFile(const QString& path, QString* error,
              const std::function<bool(QIODevice&, QString*)>& write);

}  // namespace report
