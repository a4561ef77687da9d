#pragma once
// A spooler that answers as told and a one-text template, for the tests of printing.
#include <QStringList>

#include "report/model.h"
#include "report/spooler.h"

class FakeBackend : public report::PrintBackend {
public:
    QStringList queues;
    bool accept = true;
    int submitted = 0;  // jobs handed over, accepted or not
    int accepted = 0;   // jobs accepted, each a PDF
    QStringList printers() override { return queues; }
    QString defaultPrinter() override { return queues.value(0); }
    bool submitPdf(const QString&, const QString&, const QByteArray& pdf, int, QSizeF,
                   QString* error) override {
        if (!pdf.startsWith("%PDF")) *error = QStringLiteral("non è un PDF");
        if (!accept) *error = QStringLiteral("coda ferma");
        ++submitted;
        const bool ok = accept && pdf.startsWith("%PDF");
        accepted += ok ? 1 : 0;
        return ok;
    }
};

// pages pages, each with the title in its report title band.
inline report::Report simpleReport(int pages) {
    report::Report r = report::emptyReport();
    r.pages.resize(1);
    report::Band band;
    band.type = report::BandType::ReportTitle;
    report::ReportObject text;
    text.name = QStringLiteral("Titolo");
    text.text = QStringLiteral("[TITLE]");
    text.geometry = QRectF(0, 0, 60, 6);
    band.objects.push_back(text);
    r.pages.front().bands.push_back(band);
    while (int(r.pages.size()) < pages) r.pages.push_back(r.pages.front());
    return r;
}
