#pragma once
// Layout: fills a template from its data sources into prepared pages.
#include <QDateTime>
#include <QString>

#include "report/datasource.h"
#include "report/model.h"
#include "report/prepared.h"

namespace report {

// Told of the work while a report is laid out, at every new page and every few rows, so a long
// preparation can show how far it is and be stopped.
class LayoutProgress {
public:
    virtual ~LayoutProgress() = default;
    // pages: laid out so far; done: the share of the rows walked (0..1), -1 when unknown.
    // false stops the layout.
    virtual bool report(int pages, double done) = 0;
};

struct LayoutInput {
    const Report* report = nullptr;
    const DataSourceRegistry* sources = nullptr;
    QString title;
    QDateTime now;                       // [DATE] and [TIME]; invalid = the current time
    QString templateFolder;              // pictures named by a relative path are looked for here
    LayoutProgress* progress = nullptr;  // not owned; nullptr = nobody watches
};

// Receives the pages of a layout one at a time, each as soon as nothing can change it any more,
// so a long report need not be held whole in memory.
class PageSink {
public:
    virtual ~PageSink() = default;
    // Throws PageSinkError when it cannot take the page.
    virtual void page(PreparedPage&& page) = 0;
    // A sink that keeps its pages may take them with a standalone page count still open, as
    // placeholder, and be told the count at the end: that spares the counting pass.
    virtual bool keepsPages() const { return false; }
    virtual void setPageTotal(const QString& placeholder, int total) {
        Q_UNUSED(placeholder);
        Q_UNUSED(total);
    }
};

// A sink's refusal of a page: the layout stops and reports text as its error.
struct PageSinkError {
    QString text;
};

// Lays out the whole report. Every data source the report walks is left positioned as it was
// found. On failure returns false and sets *error to a text naming the report and the object.
// When the progress watcher stopped it, returns false with *cancelled set and no error text.
bool layoutReport(const LayoutInput& input, PreparedReport* out, QString* error,
                  bool* cancelled = nullptr);

// The same pages handed to sink in order as they are laid out; *pages gets their number. A
// template that prints the total page count is first laid out once without output to count
// them, unless the sink keeps its pages and the count is only printed, not computed with. Errors
// and cancelling as layoutReport(); the sink may have had some pages by then.
bool streamReport(const LayoutInput& input, PageSink& sink, QString* error,
                  bool* cancelled = nullptr, int* pages = nullptr);

// Text measuring at the one reference resolution every layout uses (mm).
class TextMeasure {
public:
    static TextMeasure& instance();
    double width(const QFont& font, const QString& text);
    double lineHeight(const QFont& font);
    // Lines of text as printed in a box of that width (mm); wrap = break long lines at blanks.
    QStringList breakLines(const QFont& font, const QString& text, double width, bool wrap);

private:
    TextMeasure();
    struct Cache;
    Cache* cache_;
};

}  // namespace report
