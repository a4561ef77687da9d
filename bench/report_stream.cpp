// Reports written to PDF as they are laid out, time and peak memory, each run in a child process
// of its own so that one side's memory never counts for the other:
//   report_stream list [REPS]           the 1,000-page customer list (50,000 rows made as read)
//   report_stream journal FOLDER [REPS] the journal print of a folder made by "vinorda-dati genera"
// The reference, run in turn with the program, is QPdfWriter writing the same rows directly: the
// same texts at the same places, fonts and page breaks, without the report engine. Prints
//   name size program_ms reference_ms ratio peak_rss_mb
// (peak_rss_mb: the program's child), and the detail on stderr; then the preview's way (every
// page prepared first) against the program's streamed print of the same run.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "common/format.h"
#include "customerlist.h"
#include "report/engine.h"
#include "report/painter.h"
#include "report/templatefile.h"

#ifdef VINORDA_BENCH_JOURNAL
#include "common/messages.h"
#include "data/shareddata.h"
#include "printing/engineoutput.h"
#include "printing/settastampante.h"
#include "printing/templates.h"
#include "report/datasetsource.h"
#include "stock/giornale.h"
#endif

using namespace report;

namespace {

// kB from /proc/self/status ("VmHWM", "VmRSS").
double statusMb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// ---------------------------------------------------------------- the direct reference

// A column of the rows: its text as literals and fields, where it goes, its font and the
// format of its numbers.
struct Column {
    QStringList literals;  // before each field, and the last after them all
    QStringList fields;
    QRectF box;  // mm, relative to the row
    QFont font;
    QString format;
};

QString columnText(const Column& c, ReportDataSource& source) {
    QString out = c.literals[0];
    for (int i = 0; i < c.fields.size(); ++i) {
        const QVariant v = source.value(c.fields[i]);
        out += !c.format.isEmpty() && v.typeId() == QMetaType::Double
                   ? formatFloat(c.format, v.toDouble())
                   : source.displayText(c.fields[i]);
        out += c.literals[i + 1];
    }
    return out;
}

// Fixed texts of a page: header lines and the footer with the page number.
struct DirectPage {
    QSizeF paper{210, 297};
    double left = 10;
    double top = 10;
    double rowHeight = 5;
    int rowsPerPage = 50;
    double bodyTop = 25;     // mm from the paper's top
    double footerTop = 277;  // mm from the paper's top: the page footer band
    std::vector<std::pair<QRectF, QString>> header;
    QFont font;
};

// Rows painted straight onto a QPdfWriter: the texts of the columns, a fixed header and the
// page number on each page.
class DirectPdf {
public:
    DirectPdf(const QString& path, const DirectPage& page, int totalPages)
        : writer_(path), page_(page), total_(totalPages) {
        writer_.setResolution(1200);
        writer_.setPageLayout(QPageLayout(QPageSize(page.paper, QPageSize::Millimeter),
                                          QPageLayout::Portrait, QMarginsF(),
                                          QPageLayout::Millimeter));
        painter_.begin(&writer_);
    }
    // Every row of source, from a new page.
    void rows(ReportDataSource& source, const std::vector<Column>& columns) {
        int row = 0;
        for (source.first(); !source.eof(); source.next(), ++row) {
            if (row % page_.rowsPerPage == 0) startPage();
            const double y = page_.bodyTop + (row % page_.rowsPerPage) * page_.rowHeight;
            for (const Column& c : columns) {
                painter_.setFont(c.font);
                painter_.drawText(box(c.box, y), kFlags, columnText(c, source));
            }
        }
        if (row == 0) startPage();
    }
    int finish() {
        painter_.end();
        return pages_;
    }

private:
    static constexpr int kFlags =
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    QRectF box(const QRectF& r, double y) const {
        constexpr double dpm = 1200 / 25.4;
        return QRectF((page_.left + r.x()) * dpm, (y + r.y()) * dpm, r.width() * dpm,
                      r.height() * dpm);
    }
    void startPage() {
        if (pages_ > 0) writer_.newPage();
        ++pages_;
        painter_.setFont(page_.font);
        for (const auto& [r, t] : page_.header) painter_.drawText(box(r, page_.top), kFlags, t);
        painter_.drawText(box({0, 2, 80, 6}, page_.footerTop), kFlags,
                          QStringLiteral("Pagina %1 di %2").arg(pages_).arg(total_));
    }

    QPdfWriter writer_;
    QPainter painter_;
    DirectPage page_;
    int total_;
    int pages_ = 0;
};

// The columns a data band prints: each text object made of fields of its source and literals.
// The writer's resolution is the engine's (1200 dpi), so a point is a point.
std::vector<Column> columnsOf(const Band& band) {
    std::vector<Column> out;
    static const QRegularExpression field(QStringLiteral("\\[\\w+\\.\"?(\\w+)\"?\\]"));
    for (const ReportObject& o : band.objects) {
        if (o.kind != ObjectKind::Text) continue;
        Column c;
        qsizetype at = 0;
        for (auto it = field.globalMatch(o.text); it.hasNext();) {
            const auto m = it.next();
            c.literals << o.text.mid(at, m.capturedStart() - at);
            c.fields << m.captured(1);
            at = m.capturedEnd();
        }
        if (c.fields.isEmpty()) continue;
        c.literals << o.text.mid(at);
        c.box = o.geometry;
        c.font = reportFont(o.fontFamily, o.fontSize, o.bold, o.italic, o.underline);
        c.format = o.displayFormat;
        out.push_back(c);
    }
    return out;
}

// ---------------------------------------------------------------- the customer list

// One child's work: "program" (streamed), "prepared" (every page packed into the page store
// first, as the preview does) or "reference".
// Prints: ms pages peak_mb data_mb
int listChild(const QString& side, const QString& out) {
    std::fprintf(stderr, "  list %s: %.0f MB before the data\n", qPrintable(side),
                 statusMb("VmRSS"));
    benchlist::Customers clienti;
    const double dataMb = statusMb("VmRSS");
    const Report list = benchlist::customerList();
    QElapsedTimer t;
    t.start();
    int pages = 0;
    if (side == QLatin1String("reference")) {
        DirectPage page;
        page.header = {{{0, 0, 120, 8},
                        QStringLiteral("Lista clienti del %1")
                            .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")))},
                       {{0, 10, 60, 5}, QStringLiteral("Ragione sociale")}};
        page.font = reportFont(QStringLiteral("DejaVu Sans"), 10, false, false, false);
        DirectPdf pdf(out, page, 1000);
        pdf.rows(clienti, columnsOf(list.pages[0].bands[2]));
        pages = pdf.finish();
    } else {
        ReportEngine engine;
        engine.setReport(list);
        engine.setTitle(QStringLiteral("Lista clienti"));
        engine.dataSources().add(&clienti);
        if (side == QLatin1String("prepared") && !engine.prepare()) return 1;
        if (!engine.exportPdf(out)) {
            std::fprintf(stderr, "%s\n", qPrintable(engine.errorString()));
            return 1;
        }
        pages = side == QLatin1String("prepared") ? engine.pageCount() : 1000;
    }
    std::printf("%.1f %d %.1f %.1f\n", t.nsecsElapsed() / 1e6, pages, statusMb("VmHWM"), dataMb);
    return 0;
}

#ifdef VINORDA_BENCH_JOURNAL
// The journal window's print of the whole span, direct to paper; no printer installed, so the
// pages go to a PDF in the data folder's pdf folder, as on a shop's machine without one.
class NoPrinters : public PrintBackend {
public:
    QStringList printers() override { return {}; }
    QString defaultPrinter() override { return {}; }
    bool submitPdf(const QString&, const QString&, const QByteArray&, int, QSizeF,
                   QString*) override {
        return false;
    }
};

int journalChild(const QString& side, const QString& folder, const QString& out) {
    ScriptedMessages quiet;
    Database db;
    db.open(folder);
    SharedData sd(db);
    sd.Intestazione.open();
    GiornaleMovimenti g(sd);
    g.FormShow();
    const double dataMb = statusMb("VmRSS");
    QElapsedTimer t;
    t.start();
    int pages = 0;
    if (side == QLatin1String("reference")) {
        Report model;
        QString error;
        if (!loadTemplate(folder + QStringLiteral("stampe/movimenti.frf"), &model, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        DataSetSource documenti(g.documenti), corrispettivi(g.corrispettivi);
        DirectPage page;
        page.font = reportFont(QStringLiteral("DejaVu Sans"), 8, false, false, false);
        page.header = {
            {{0, 0, 114, 6}, sd.Intestazione.field(QStringLiteral("RagioneSociale")).asString()},
            {{0, 11, 190, 8}, QStringLiteral("Giornale movimenti")}};
        page.bodyTop = 43;
        page.footerTop = 280;
        page.rowsPerPage = 47;
        // The rows of each template page: documents, then direct sales.
        const auto rowsOf = [&](size_t index) -> const Band* {
            if (index >= model.pages.size()) return nullptr;
            for (const Band& b : model.pages[index].bands)
                if (b.type == BandType::MasterData) return &b;
            return nullptr;
        };
        const Band* docs = rowsOf(0);
        const Band* sales = rowsOf(1);
        if (!docs || !sales) return 1;
        const auto pagesFor = [&](int rows) {
            return std::max(1, (rows + page.rowsPerPage - 1) / page.rowsPerPage);
        };
        DirectPdf pdf(
            out, page,
            pagesFor(g.documenti.recordCount()) + pagesFor(g.corrispettivi.recordCount()));
        pdf.rows(documenti, columnsOf(*docs));
        pdf.rows(corrispettivi, columnsOf(*sales));
        pages = pdf.finish();
    } else {
        ReportEngine engine;
        NoPrinters none;
        engine.setPrintBackend(&none);
        DataSetSources sources;
        for (DataSet* ds : sd.all()) engine.dataSources().add(&sources.add(*ds));
        engine.dataSources().add(&sources.add(g.documenti));
        engine.dataSources().add(&sources.add(g.corrispettivi));
        EnginePrintOutput output(engine, &none);
        PrintRoutine routine(output);
        routine.setDataFolder(folder);
        routine.setDataSources(&engine.dataSources());
        engine.setDataFolder(folder);
        if (side == QLatin1String("prepared")) {
            // The preview's way: every page prepared, the window left out.
            output.showPreview = [&](ReportEngine& e) {
                pages = e.pageCount();
                std::fprintf(
                    stderr,
                    "  journal prepared: %d pages packed, %.1f MB in memory, %.1f MB in the file\n",
                    pages, e.prepared().memoryBytes() / 1048576.0,
                    e.prepared().fileBytes() / 1048576.0);
                return false;
            };
            routine.setta_stampante(QStringLiteral("movimenti"),
                                    QStringLiteral("Giornale movimenti"), false, PrintMode::Preview,
                                    1);
            if (pages == 0) {
                std::fprintf(stderr, "journal preview failed: %s\n", qPrintable(quiet.last()));
                return 1;
            }
        } else {
            if (!routine.setta_stampante(QStringLiteral("movimenti"),
                                         QStringLiteral("Giornale movimenti"), false,
                                         PrintMode::OneCopy, 1)) {
                std::fprintf(stderr, "journal print failed: %s\n", qPrintable(quiet.last()));
                return 1;
            }
            QFile::remove(out);
            QFile::rename(engine.lastPdfFile(), out);
        }
    }
    std::printf("%.1f %d %.1f %.1f\n", t.nsecsElapsed() / 1e6, pages, statusMb("VmHWM"), dataMb);
    return 0;
}
#endif

// ---------------------------------------------------------------- the parent

struct Run {
    double ms = 0, peak = 0, data = 0;
    int pages = 0;
};

Run child(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "child %s failed\n", qPrintable(args.join(u' ')));
        std::exit(1);
    }
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    return {f.value(0).toDouble(), f.value(2).toDouble(), f.value(3).toDouble(),
            f.value(1).toInt()};
}

void line(const char* name, const QString& size, const std::vector<Run>& prog,
          const std::vector<Run>& ref) {
    std::vector<double> p, r, peak, refPeak, data;
    for (const Run& x : prog) p.push_back(x.ms), peak.push_back(x.peak), data.push_back(x.data);
    for (const Run& x : ref) r.push_back(x.ms), refPeak.push_back(x.peak);
    const double pm = median(p), rm = median(r);
    std::printf("%s %s %.1f %.1f %.2f %.0f\n", name, qPrintable(size), pm, rm, rm > 0 ? pm / rm : 0,
                *std::max_element(peak.begin(), peak.end()));
    std::fprintf(stderr,
                 "  %s: program min %.1f max %.1f; reference min %.1f max %.1f, peak %.0f MB; "
                 "program data before the report %.0f MB\n",
                 name, *std::min_element(p.begin(), p.end()), *std::max_element(p.begin(), p.end()),
                 *std::min_element(r.begin(), r.end()), *std::max_element(r.begin(), r.end()),
                 median(refPeak), median(data));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    installItalianLocale();
    const QStringList args = app.arguments().mid(1);
    const QString kind = args.value(0);
    // A child: child KIND SIDE OUT [FOLDER]
    if (kind == QLatin1String("child")) {
        if (args.value(1) == QLatin1String("list")) return listChild(args.value(2), args.value(3));
#ifdef VINORDA_BENCH_JOURNAL
        if (args.value(1) == QLatin1String("journal"))
            return journalChild(args.value(2), args.value(4), args.value(3));
#endif
        return 2;
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    if (kind == QLatin1String("list")) {
        const int reps = std::max(1, args.value(1, QStringLiteral("5")).toInt());
        std::vector<Run> prog, ref, old;
        for (int i = 0; i < reps; ++i) {
            prog.push_back(child(
                {QStringLiteral("child"), QStringLiteral("list"), QStringLiteral("program"), pdf}));
            ref.push_back(child({QStringLiteral("child"), QStringLiteral("list"),
                                 QStringLiteral("reference"), pdf}));
            old.push_back(child({QStringLiteral("child"), QStringLiteral("list"),
                                 QStringLiteral("prepared"), pdf}));
        }
        line("report_list_pdf", QStringLiteral("1000"), prog, ref);
        // The preview's path (every page prepared and packed, then read back and written)
        // against the pages written as laid out, in the same run.
        line("report_list_preview", QStringLiteral("1000"), old, prog);
        std::vector<double> pm, om, op;
        for (const Run& x : prog) pm.push_back(x.ms);
        for (const Run& x : old) om.push_back(x.ms), op.push_back(x.peak);
        std::fprintf(stderr,
                     "  report_list_pdf: %.0f pages/s written as laid out; prepared for the "
                     "preview, then written: %.0f pages/s, peak %.0f MB\n",
                     1000 / (median(pm) / 1000), old.front().pages / (median(om) / 1000),
                     median(op));
        return 0;
    }
#ifdef VINORDA_BENCH_JOURNAL
    if (kind == QLatin1String("journal")) {
        QString folder = QDir(args.value(1)).absolutePath() + QLatin1Char('/');
        const int reps = std::max(1, args.value(2, QStringLiteral("3")).toInt());
        std::vector<Run> prog, ref, prep;
        for (int i = 0; i < reps; ++i) {
            prog.push_back(child({QStringLiteral("child"), QStringLiteral("journal"),
                                  QStringLiteral("program"), pdf, folder}));
            ref.push_back(child({QStringLiteral("child"), QStringLiteral("journal"),
                                 QStringLiteral("reference"), pdf, folder}));
            prep.push_back(child({QStringLiteral("child"), QStringLiteral("journal"),
                                  QStringLiteral("prepared"), pdf, folder}));
        }
        Database db;
        db.open(folder);
        const QString size = db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toString();
        line("report_journal_pdf", size, prog, ref);
        std::vector<double> share;
        for (const Run& x : prog) share.push_back(x.peak - x.data);
        std::fprintf(stderr, "  report_journal_pdf: the report's own share %.0f MB\n",
                     median(share));
        // The preview's preparation against the print streamed to PDF in the same run.
        line("report_journal_preview", size, prep, prog);
        std::vector<double> pm, pp;
        for (const Run& x : prep) pm.push_back(x.ms), pp.push_back(x.peak - x.data);
        std::fprintf(stderr,
                     "  report_journal_preview: %d pages prepared, %.0f pages/s, the pages' "
                     "own share %.0f MB\n",
                     prep.front().pages, prep.front().pages / (median(pm) / 1000), median(pp));
        return 0;
    }
#endif
    std::fprintf(stderr, "uso: report_stream list [N] | journal CARTELLA [N]\n");
    return 2;
}
