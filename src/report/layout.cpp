#include "report/layout.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <limits>
#include <memory>

#include "common/format.h"
#include "report/barcode.h"
#include "report/expression.h"
#include "report/painter.h"

namespace report {

// ---------------------------------------------------------------- text measuring

namespace {
// Every layout measures at this resolution, whatever the output device.
constexpr double kReferenceDpi = 1200.0;
constexpr double kRefDotsPerMm = kReferenceDpi / 25.4;
}  // namespace

struct TextMeasure::Cache {
    QImage device{1, 1, QImage::Format_Mono};
    QHash<QString, std::shared_ptr<QFontMetricsF>> metrics;

    QFontMetricsF& of(const QFont& font) {
        const QString key = font.key();
        auto it = metrics.find(key);
        if (it == metrics.end())
            it = metrics.insert(key, std::make_shared<QFontMetricsF>(font, &device));
        return **it;
    }
};

TextMeasure::TextMeasure() : cache_(new Cache) {
    const int dpm = int(kReferenceDpi / 0.0254 + 0.5);
    cache_->device.setDotsPerMeterX(dpm);
    cache_->device.setDotsPerMeterY(dpm);
}

TextMeasure& TextMeasure::instance() {
    static TextMeasure measure;
    return measure;
}

double TextMeasure::width(const QFont& font, const QString& text) {
    return cache_->of(font).horizontalAdvance(text) / kRefDotsPerMm;
}

double TextMeasure::lineHeight(const QFont& font) {
    return cache_->of(font).lineSpacing() / kRefDotsPerMm;
}

namespace {

// Where a word longer than the box is cut: never inside a surrogate pair, nor before an accent
// that belongs to the letter in front of it.
bool cutAllowedAt(const QString& word, qsizetype at) {
    if (at <= 0 || at >= word.size()) return true;
    return !word.at(at).isLowSurrogate() && !word.at(at).isMark();
}

// Pieces of a word longer than the box, each the longest that fits (at least one character).
// The cut is guessed from the widths of single characters, then checked on the piece itself
// (kerning may differ by a character or two), so a word costs time in proportion to its length.
void breakWord(QFontMetricsF& fm, const QString& word, double limit, QStringList& out,
               QString& rest) {
    const qsizetype n = word.size();
    qsizetype start = 0;
    const auto fits = [&](qsizetype end) {
        return fm.horizontalAdvance(QStringView(word).mid(start, end - start).toString()) <= limit;
    };
    for (;;) {
        qsizetype end = start;
        double sum = 0;
        while (end < n) {
            sum += fm.horizontalAdvance(word.at(end));
            if (sum > limit) break;
            ++end;
        }
        const auto back = [&](qsizetype e) {
            while (e > start + 1 && !cutAllowedAt(word, e)) --e;
            return e;
        };
        const auto forward = [&](qsizetype e) {
            while (e < n && !cutAllowedAt(word, e)) ++e;
            return e;
        };
        end = end <= start ? forward(start + 1) : back(end);
        while (end - start > 1 && !fits(end)) {
            const qsizetype shorter = back(end - 1);
            if (shorter == end) break;
            end = shorter;
        }
        for (qsizetype longer = forward(end + 1); end < n && longer <= n && fits(longer);
             longer = forward(end + 1))
            end = longer;
        if (end >= n) {
            rest = word.mid(start);
            return;
        }
        out << word.mid(start, end - start);
        start = end;
    }
}

}  // namespace

QStringList TextMeasure::breakLines(const QFont& font, const QString& text, double width,
                                    bool wrap) {
    QStringList out;
    const QStringList paragraphs = QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    if (!wrap) return paragraphs;
    QFontMetricsF& fm = cache_->of(font);
    const double limit = width * kRefDotsPerMm;
    for (const QString& para : paragraphs) {
        if (fm.horizontalAdvance(para) <= limit) {
            out << para;
            continue;
        }
        // A line grows word by word only up to the box width, so each measure is short.
        QString line;
        const QStringList words = para.split(QLatin1Char(' '));
        for (const QString& word : words) {
            if (!line.isEmpty() && fm.horizontalAdvance(line + QLatin1Char(' ') + word) <= limit) {
                line += QLatin1Char(' ') + word;
                continue;
            }
            if (!line.isEmpty()) out << line;
            line.clear();
            if (fm.horizontalAdvance(word) <= limit)
                line = word;
            else
                breakWord(fm, word, limit, out, line);
        }
        out << line;
    }
    return out;
}

// ---------------------------------------------------------------- layout

namespace {

struct LayoutError {
    QString text;
};

struct LayoutCancelled {};

struct Block {
    const Band* header = nullptr;
    const Band* data = nullptr;
    const Band* footer = nullptr;
    std::vector<const Band*> groupHeaders;  // outer first
    std::vector<const Band*> groupFooters;  // same order as groupHeaders (outer first)
    std::vector<Block> details;
    ReportDataSource* source = nullptr;
};

struct Section {
    const ReportPage* page = nullptr;
    const Band* title = nullptr;
    const Band* pageHeader = nullptr;
    const Band* pageFooter = nullptr;
    const Band* summary = nullptr;
    std::vector<Block> masters;
};

struct Aggregate {
    const Node* node = nullptr;
    const Band* target = nullptr;  // data band whose rows are counted
    const Band* owner = nullptr;   // band that prints the value
    double sum = 0;
    double min = 0;
    double max = 0;
    int count = 0;   // rows
    int values = 0;  // non-null values
    void reset() {
        sum = min = max = 0;
        count = values = 0;
    }
};

struct BandInstance {
    std::vector<DrawOp> ops;
    double height = 0;
};

// Counts the pages and hands them on, when there is somewhere to hand them.
class CountingSink : public PageSink {
public:
    explicit CountingSink(PageSink* next = nullptr) : next_(next) {}
    int pages = 0;
    void page(PreparedPage&& page) override {
        ++pages;
        if (next_) next_->page(std::move(page));
    }

private:
    PageSink* next_;
};

class Layouter : public EvalContext {
public:
    explicit Layouter(const LayoutInput& in) : in_(in), report_(*in.report) {
        now_ = in.now.isValid() ? in.now : QDateTime::currentDateTime();
        reportName_ = report_.name.isEmpty() ? QStringLiteral("senza nome") : report_.name;
    }

    void prepare() {
        for (const auto& page : report_.pages) sections_.push_back(buildSection(page));
        for (const auto& page : report_.pages)
            for (const auto& band : page.bands) parseBand(band);
        for (const Section& s : sections_) registerAggregates(s);
    }

    bool needsSecondPass() const { return totalPagesInExpressions_; }
    bool usesTotalPages() const { return usesTotalPages_; }

    // Every page kept, as the preview needs them.
    void run(int knownTotal, PreparedReport* out) {
        runPass(knownTotal, nullptr, {}, knownTotal >= 0 ? 1 : 0, needsSecondPass() ? 2 : 1);
        if (knownTotal_ < 0 && usesTotalPages_) {
            const QString marker = totalPagesMarker();
            const QString total = QString::number(pages_.size());
            for (auto& page : pages_)
                for (auto& op : page.ops)
                    if (op.kind == DrawOp::Kind::Text)
                        for (QString& line : op.lines) line.replace(marker, total);
        }
        out->title = in_.title;
        out->pages = std::move(pages_);
    }

    // Every page handed to sink once finished. markerTotal: the page count the marker of a
    // standalone [TOTALPAGES] stands for, replaced as each page leaves (empty = none).
    void stream(int knownTotal, PageSink& sink, const QString& markerTotal, int pass, int passes) {
        runPass(knownTotal, &sink, markerTotal, pass, passes);
        flush();
        sink_ = nullptr;
    }

    // Only the number of pages: a band that cannot grow is as tall as drawn, so its contents
    // are not worked out.
    int countPages(int passes) {
        CountingSink counter;
        countOnly_ = true;
        runPass(-1, &counter, {}, 0, passes);
        flush();
        countOnly_ = false;
        sink_ = nullptr;
        return counter.pages;
    }

    // Sources walked by the report, masters first: the order to give positions back in.
    std::vector<ReportDataSource*> walkedSources() const {
        std::vector<ReportDataSource*> list;
        auto add = [&](ReportDataSource* s) {
            if (s && std::find(list.begin(), list.end(), s) == list.end()) list.push_back(s);
        };
        for (const Section& s : sections_)
            for (const Block& b : s.masters) add(b.source);
        for (const Section& s : sections_)
            for (const Block& b : s.masters)
                for (const Block& d : b.details) add(d.source);
        return list;
    }

    // ---- EvalContext
    QVariant variable(const QString& name) override {
        if (name == QLatin1String("PAGE#")) return pageNo_;
        if (name == QLatin1String("TOTALPAGES")) {
            if (knownTotal_ >= 0) return knownTotal_;
            return totalPagesInExpressions_ ? QVariant(0) : QVariant(totalPagesMarker());
        }
        if (name == QLatin1String("DATE")) return now_.date();
        if (name == QLatin1String("TIME")) return formatDateTime(QStringLiteral("hh:nn"), now_);
        if (name == QLatin1String("TITLE")) return in_.title;
        if (name == QLatin1String("LINE#")) return lineNo_;
        return {};
    }

    ReportDataSource* sourceFor(const QString& source, const QString& field) {
        ReportDataSource* src = in_.sources ? in_.sources->find(source) : nullptr;
        if (!src)
            throw ExpressionError{QStringLiteral("sorgente dati \"%1\" sconosciuta").arg(source)};
        if (!src->isOpen() || src->eof()) return nullptr;
        if (!src->hasField(field))
            throw ExpressionError{QStringLiteral("campo \"%1.%2\" sconosciuto").arg(source, field)};
        return src;
    }

    QVariant fieldValue(const QString& source, const QString& field) override {
        ReportDataSource* src = sourceFor(source, field);
        return src ? src->value(field) : QVariant();
    }

    QString fieldText(const QString& source, const QString& field) override {
        ReportDataSource* src = sourceFor(source, field);
        return src ? src->displayText(field) : QString();
    }

    QVariant aggregate(const Node& node) override {
        const auto it = aggIndex_.constFind(&node);
        if (it == aggIndex_.constEnd()) return 0;
        const Aggregate& a = aggregates_[size_t(*it)];
        if (node.name == QLatin1String("COUNT")) return a.count;
        if (node.name == QLatin1String("SUM")) return a.sum;
        if (a.values == 0) return QVariant();
        if (node.name == QLatin1String("AVG")) return a.sum / a.values;
        if (node.name == QLatin1String("MIN")) return a.min;
        return a.max;
    }

private:
    [[noreturn]] void fail(const QString& what) {
        throw LayoutError{QStringLiteral("Report \"%1\": %2").arg(reportName_, what)};
    }

    // ---- structure
    Section buildSection(const ReportPage& page) {
        Section s;
        s.page = &page;
        const Band* pendingHeader = nullptr;
        const Band* pendingDetailHeader = nullptr;
        std::vector<const Band*> pendingGroups;
        std::vector<const Band*> groupFooters;
        auto bandName = [](const Band& b) {
            return b.name.isEmpty() ? bandTypeName(b.type) : b.name;
        };
        for (const Band& b : page.bands) {
            Block* master = s.masters.empty() ? nullptr : &s.masters.back();
            switch (b.type) {
                case BandType::ReportTitle:
                    s.title = &b;
                    break;
                case BandType::PageHeader:
                    s.pageHeader = &b;
                    break;
                case BandType::PageFooter:
                    s.pageFooter = &b;
                    break;
                case BandType::Summary:
                    s.summary = &b;
                    break;
                case BandType::MasterHeader:
                    pendingHeader = &b;
                    break;
                case BandType::GroupHeader:
                    if (b.condition.trimmed().isEmpty())
                        fail(QStringLiteral("la banda \"%1\" non ha la condizione del gruppo")
                                 .arg(bandName(b)));
                    pendingGroups.push_back(&b);
                    break;
                case BandType::MasterData: {
                    Block blk;
                    blk.header = pendingHeader;
                    blk.data = &b;
                    blk.groupHeaders = pendingGroups;
                    blk.groupFooters.assign(pendingGroups.size(), nullptr);
                    blk.source = resolveSource(b);
                    s.masters.push_back(std::move(blk));
                    pendingHeader = nullptr;
                    pendingGroups.clear();
                    groupFooters.clear();
                    break;
                }
                case BandType::DetailHeader:
                    pendingDetailHeader = &b;
                    break;
                case BandType::DetailData: {
                    if (!master)
                        fail(QStringLiteral("la banda di dettaglio \"%1\" non segue una banda "
                                            "master")
                                 .arg(bandName(b)));
                    Block blk;
                    blk.header = pendingDetailHeader;
                    blk.data = &b;
                    blk.source = resolveSource(b);
                    if (!blk.source)
                        fail(QStringLiteral("la banda di dettaglio \"%1\" non ha una sorgente dati")
                                 .arg(bandName(b)));
                    master->details.push_back(std::move(blk));
                    pendingDetailHeader = nullptr;
                    break;
                }
                case BandType::DetailFooter:
                    if (!master || master->details.empty())
                        fail(QStringLiteral("il piè di dettaglio \"%1\" non segue una banda di "
                                            "dettaglio")
                                 .arg(bandName(b)));
                    master->details.back().footer = &b;
                    footerTarget_.insert(&b, master->details.back().data);
                    break;
                case BandType::GroupFooter: {
                    // Footers come innermost first, below the data band.
                    if (!master)
                        fail(QStringLiteral("il piè di gruppo \"%1\" non segue una "
                                            "banda master")
                                 .arg(bandName(b)));
                    groupFooters.push_back(&b);
                    const size_t n = master->groupHeaders.size();
                    if (groupFooters.size() > n)
                        fail(QStringLiteral("il piè di gruppo \"%1\" non ha un'intestazione di "
                                            "gruppo")
                                 .arg(bandName(b)));
                    for (size_t i = 0; i < groupFooters.size(); ++i)
                        master->groupFooters[n - 1 - i] = groupFooters[i];
                    footerTarget_.insert(&b, master->data);
                    break;
                }
                case BandType::MasterFooter:
                    if (!master)
                        fail(QStringLiteral("il piè \"%1\" non segue una banda master")
                                 .arg(bandName(b)));
                    master->footer = &b;
                    footerTarget_.insert(&b, master->data);
                    break;
            }
        }
        for (const Block& m : s.masters) {
            for (const Block& d : m.details) dataBands_.push_back(d.data);
            dataBands_.push_back(m.data);
        }
        return s;
    }

    ReportDataSource* resolveSource(const Band& b) {
        if (b.dataSource.isEmpty()) return nullptr;
        ReportDataSource* src = in_.sources ? in_.sources->find(b.dataSource) : nullptr;
        if (!src)
            fail(QStringLiteral("la banda \"%1\" usa la sorgente dati \"%2\", che non esiste")
                     .arg(b.name.isEmpty() ? bandTypeName(b.type) : b.name, b.dataSource));
        return src;
    }

    void parseBand(const Band& band) {
        for (const ReportObject& obj : band.objects) {
            QString text;
            if (obj.kind == ObjectKind::Text || obj.kind == ObjectKind::Barcode)
                text = obj.text;
            else if (obj.kind == ObjectKind::Picture && !obj.pictureField.isEmpty())
                text = obj.pictureField;
            else
                continue;
            ParsedText parsed;
            QString error;
            if (!parseText(text, &parsed, &error))
                fail(QStringLiteral("oggetto \"%1\": %2").arg(obj.name, error));
            if (parsed.usesTotalPages) {
                usesTotalPages_ = true;
                if (!parsed.totalPagesStandalone) totalPagesInExpressions_ = true;
            }
            texts_.insert(&obj, std::move(parsed));
        }
        if (band.type == BandType::GroupHeader) {
            QString cond = band.condition.trimmed();
            if (cond.startsWith(QLatin1Char('[')) && cond.endsWith(QLatin1Char(']')))
                cond = cond.mid(1, cond.size() - 2);
            QString error;
            auto node = parseExpression(cond, &error);
            if (!node) fail(QStringLiteral("banda \"%1\": %2").arg(band.name, error));
            conditions_.insert(&band, std::shared_ptr<Node>(std::move(node)));
        }
    }

    // The data band an aggregate of a band counts.
    const Band* aggregateTarget(const Section& s, const Band& owner, const ReportObject& obj,
                                const Node& node) {
        if (!node.source.isEmpty()) {
            for (const Band* b : dataBands_)
                if (b->name.compare(node.source, Qt::CaseInsensitive) == 0) return b;
            fail(QStringLiteral("oggetto \"%1\": %2: banda \"%3\" inesistente")
                     .arg(obj.name, node.name, node.source));
        }
        if (const Band* t = footerTarget_.value(&owner)) return t;
        if (owner.type == BandType::Summary || owner.type == BandType::PageFooter ||
            owner.type == BandType::PageHeader) {
            if (s.masters.empty()) return nullptr;
            // The master band whose source the argument reads, else the first one.
            QString source;
            if (!node.args.empty())
                visitNodes(*node.args[0], [&](const Node& n) {
                    if (n.kind == Node::Kind::Field && source.isEmpty()) source = n.source;
                });
            for (const Block& m : s.masters)
                if (!source.isEmpty() &&
                    m.data->dataSource.compare(source, Qt::CaseInsensitive) == 0)
                    return m.data;
            return s.masters.front().data;
        }
        fail(QStringLiteral("oggetto \"%1\": %2 si può usare solo nei piè di banda, di pagina e "
                            "nel riepilogo (banda \"%3\")")
                 .arg(obj.name, node.name, owner.name));
    }

    void registerAggregates(const Section& s) {
        for (const Band& band : s.page->bands) {
            for (const ReportObject& obj : band.objects) {
                const auto it = texts_.constFind(&obj);
                if (it == texts_.constEnd()) continue;
                for (const auto& seg : it->segments) {
                    if (!seg.expr) continue;
                    visitNodes(*seg.expr, [&](const Node& n) {
                        if (n.kind != Node::Kind::Aggregate) return;
                        Aggregate a;
                        a.node = &n;
                        a.owner = &band;
                        a.target = aggregateTarget(s, band, obj, n);
                        aggIndex_.insert(&n, int(aggregates_.size()));
                        byTarget_[a.target].push_back(int(aggregates_.size()));
                        byOwner_[&band].push_back(int(aggregates_.size()));
                        aggregates_.push_back(a);
                    });
                }
            }
        }
    }

    void resetAggregates(const Band* owner) {
        if (!owner) return;
        const auto it = byOwner_.constFind(owner);
        if (it == byOwner_.constEnd()) return;
        for (int i : *it) aggregates_[size_t(i)].reset();
    }

    void accumulate(const Band* target) {
        const auto it = byTarget_.constFind(target);
        if (it == byTarget_.constEnd()) return;
        for (int i : *it) {
            Aggregate& a = aggregates_[size_t(i)];
            ++a.count;
            if (a.node->args.empty()) continue;
            QVariant v;
            try {
                v = evaluate(*a.node->args[0], *this);
            } catch (const ExpressionError& e) {
                fail(QStringLiteral("banda \"%1\", %2: %3")
                         .arg(a.owner->name, a.node->name, e.text));
            }
            if (v.isNull()) continue;
            const double d = toNumber(v);
            a.sum += d;
            a.min = a.values ? std::min(a.min, d) : d;
            a.max = a.values ? std::max(a.max, d) : d;
            ++a.values;
        }
    }

    void runPass(int knownTotal, PageSink* sink, const QString& markerTotal, int pass, int passes) {
        knownTotal_ = knownTotal;
        sink_ = sink;
        markerTotal_ = markerTotal;
        startProgress(pass, passes);
        pages_.clear();
        handedOver_ = 0;
        hold_ = std::numeric_limits<size_t>::max();
        pageNo_ = 0;
        for (auto& a : aggregates_) a.reset();
        for (const Section& s : sections_) runSection(s);
    }

    size_t pageTotal() const { return handedOver_ + pages_.size(); }

    // Hands the finished pages to the sink, but not the open one nor any page a row kept
    // together may still move from.
    void flush() {
        if (!sink_) return;
        size_t end = std::min(hold_, pageTotal() - (pageOpen_ ? 1 : 0));
        if (end <= handedOver_) return;
        const size_t n = end - handedOver_;
        const QString marker = markerTotal_.isEmpty() ? QString() : totalPagesMarker();
        for (size_t i = 0; i < n; ++i) {
            PreparedPage& page = pages_[i];
            if (!marker.isEmpty())
                for (auto& op : page.ops)
                    if (op.kind == DrawOp::Kind::Text)
                        for (QString& line : op.lines) line.replace(marker, markerTotal_);
            sink_->page(std::move(page));
        }
        pages_.erase(pages_.begin(), pages_.begin() + std::ptrdiff_t(n));
        handedOver_ = end;
    }

    // ---- progress
    // The rows of the master bands are the measure of the work; a second pass (the page count
    // known) is the second half of it.
    void startProgress(int pass, int passes) {
        if (!in_.progress) return;
        pass_ = pass;
        passes_ = passes;
        rowsDone_ = 0;
        rowsTotal_ = 0;
        for (const Section& s : sections_) {
            for (const Block& m : s.masters) {
                const int n = m.source && m.source->isOpen() ? m.source->recordCount() : 1;
                if (n < 0) {
                    rowsTotal_ = -1;
                    return;
                }
                rowsTotal_ += std::max(n, 1);
            }
        }
    }

    // Called at each new page and for each master row; the watcher hears of every page and of
    // every 64th row (a page may hold many rows, an endless one all of them).
    void tick(bool page) {
        if (!in_.progress) return;
        if (!page && (++rowsDone_ & 63) != 0) return;
        double done = -1;
        if (rowsTotal_ > 0)
            done = (pass_ + std::min(1.0, double(rowsDone_) / rowsTotal_)) / passes_;
        if (!in_.progress->report(int(pageTotal()), done)) throw LayoutCancelled{};
    }

    // ---- pages
    double pageLimit() const {
        if (page_->endless) return std::numeric_limits<double>::max();
        return page_->height() - page_->marginBottom -
               (section_->pageFooter ? section_->pageFooter->height : 0.0);
    }

    void runSection(const Section& s) {
        section_ = &s;
        page_ = s.page;
        pageOpen_ = false;
        activeHeaders_.clear();
        for (const Band& b : s.page->bands)
            if (b.type == BandType::Summary) resetAggregates(&b);
        newPage();
        for (const Block& m : s.masters) runMaster(m);
        if (s.summary) {
            if (s.summary->startNewPage && curY_ > bodyTop_) newPage();
            outputBand(*s.summary);
        }
        finishPage();
        flush();
    }

    void newPage() {
        const bool first = !pageOpen_;
        if (pageOpen_) finishPage();
        flush();
        PreparedPage p;
        p.size = QSizeF(page_->width(), page_->endless ? 0.0 : page_->height());
        pages_.push_back(std::move(p));
        pageOpen_ = true;
        ++pageNo_;
        tick(true);
        curY_ = page_->marginTop;
        resetAggregates(section_->pageFooter);
        resetAggregates(section_->pageHeader);
        if (first && section_->title) place(renderBand(*section_->title));
        if (section_->pageHeader) place(renderBand(*section_->pageHeader));
        for (const Band* h : activeHeaders_) place(renderBand(*h));
        bodyTop_ = curY_;
    }

    void finishPage() {
        if (!pageOpen_) return;
        PreparedPage& p = pages_.back();
        if (section_->pageFooter) {
            BandInstance f = renderBand(*section_->pageFooter);
            const double y =
                page_->endless ? curY_ : page_->height() - page_->marginBottom - f.height;
            const double saved = curY_;
            curY_ = y;
            place(std::move(f));
            if (!page_->endless) curY_ = saved;
        }
        if (page_->endless) p.size.setHeight(curY_ + page_->marginBottom);
        pageOpen_ = false;
    }

    void place(BandInstance inst) {
        PreparedPage& p = pages_.back();
        const QPointF offset(page_->marginLeft, curY_);
        for (DrawOp& op : inst.ops) {
            op.rect.translate(offset);
            p.ops.push_back(std::move(op));
        }
        curY_ += inst.height;
    }

    // Prints a band at the current position, on a new page when it does not fit.
    void outputBand(const Band& band) {
        BandInstance inst = renderBand(band);
        if (curY_ + inst.height > pageLimit() + 1e-9 && curY_ > bodyTop_ + 1e-9) {
            newPage();
            inst = renderBand(band);  // page numbers may have changed
        }
        place(std::move(inst));
    }

    // A header goes to the next page rather than stand alone at the bottom of one.
    void outputHeader(const Band& header, const Band* next) {
        if (header.startNewPage && curY_ > bodyTop_ + 1e-9) newPage();
        const double need = header.height + (next ? next->height : 0.0);
        if (curY_ + need > pageLimit() + 1e-9 && curY_ > bodyTop_ + 1e-9) newPage();
        outputBand(header);
        if (header.repeatOnNewPage) activeHeaders_.push_back(&header);
    }

    void dropHeader(const Band* header) {
        if (!header || !header->repeatOnNewPage) return;
        for (auto it = activeHeaders_.end(); it != activeHeaders_.begin();) {
            --it;
            if (*it == header) {
                activeHeaders_.erase(it);
                return;
            }
        }
    }

    void outputFooter(const Band& footer) {
        if (footer.startNewPage && curY_ > bodyTop_ + 1e-9) newPage();
        outputBand(footer);
    }

    struct Snapshot {
        size_t pages;
        size_t ops;
        double curY;
        int pageNo;
        double bodyTop;
        std::vector<Aggregate> aggregates;
        std::vector<const Band*> headers;
    };

    Snapshot snapshot() const {
        return {pageTotal(),   pages_.back().ops.size(), curY_, pageNo_, bodyTop_, aggregates_,
                activeHeaders_};
    }

    void restore(const Snapshot& s) {
        pages_.resize(s.pages - handedOver_);
        pages_.back().ops.resize(s.ops);
        curY_ = s.curY;
        pageNo_ = s.pageNo;
        bodyTop_ = s.bodyTop;
        aggregates_ = s.aggregates;
        activeHeaders_ = s.headers;
        pageOpen_ = true;
    }

    static bool hasRows(ReportDataSource* src) { return src && src->isOpen() && !src->isEmpty(); }

    QVariant groupValue(const Band* groupHeader) {
        try {
            return evaluate(*conditions_.value(groupHeader), *this);
        } catch (const ExpressionError& e) {
            fail(QStringLiteral("banda \"%1\": %2").arg(groupHeader->name, e.text));
        }
    }

    void runMaster(const Block& m) {
        ReportDataSource* src = m.source;
        const bool rows = !src || hasRows(src);
        if (!rows && !m.data->printIfEmpty) return;
        resetAggregates(m.footer);
        for (const Band* gf : m.groupFooters) resetAggregates(gf);
        if (m.header) outputHeader(*m.header, m.data);
        if (!src || !rows) {
            // One instance: no source at all, or an empty one printed with empty fields.
            if (src) src->first();
            lineNo_ = 1;
            outputRow(m, 0);
        } else {
            const size_t ng = m.groupHeaders.size();
            std::vector<QVariant> current(ng);
            src->first();
            int row = 0;
            int groupStart = 0;  // 0 = every group starts at the first row
            while (!src->eof()) {
                for (size_t g = size_t(groupStart); g < ng; ++g) {
                    current[g] = groupValue(m.groupHeaders[g]);
                    resetAggregates(m.groupFooters[g]);
                    outputHeader(*m.groupHeaders[g], m.data);
                }
                lineNo_ = row + 1;
                outputRow(m, row);
                int endLevel = int(ng);
                if (ng > 0) {
                    // Look at the next row to know which groups end here.
                    const QVariant pos = src->position();
                    src->next();
                    if (src->eof()) {
                        endLevel = 0;
                    } else {
                        for (size_t g = 0; g < ng; ++g) {
                            if (groupValue(m.groupHeaders[g]) != current[g]) {
                                endLevel = int(g);
                                break;
                            }
                        }
                    }
                    src->restorePosition(pos);
                }
                for (int g = int(ng) - 1; g >= endLevel; --g) {
                    dropHeader(m.groupHeaders[size_t(g)]);
                    if (m.groupFooters[size_t(g)]) outputFooter(*m.groupFooters[size_t(g)]);
                }
                groupStart = endLevel;
                ++row;
                src->next();
                tick(false);
            }
        }
        dropHeader(m.header);
        if (m.footer) outputFooter(*m.footer);
    }

    void outputRow(const Block& m, int row) {
        const Band& band = *m.data;
        if (band.startNewPage && row > 0) newPage();
        const bool fresh = curY_ <= bodyTop_ + 1e-9;
        if (!band.keepTogether || fresh) {
            rowContent(m);
            return;
        }
        const Snapshot snap = snapshot();
        // The page the row starts on stays until the row is known to fit.
        const size_t held = hold_;
        hold_ = std::min(hold_, snap.pages - 1);
        rowContent(m);
        const bool broke = pageTotal() > snap.pages;
        if (broke) restore(snap);
        hold_ = held;
        if (broke) {
            // The row and its details broke across pages: start them on a new page instead.
            newPage();
            rowContent(m);
        }
    }

    void rowContent(const Block& m) {
        const int line = lineNo_;
        outputBand(*m.data);
        accumulate(m.data);
        for (const Block& d : m.details) runDetail(d);
        lineNo_ = line;
    }

    void runDetail(const Block& d) {
        ReportDataSource* src = d.source;
        const bool rows = hasRows(src);
        if (!rows && !d.data->printIfEmpty) return;
        resetAggregates(d.footer);
        const int outerLine = lineNo_;
        if (d.header) outputHeader(*d.header, d.data);
        src->first();
        if (!rows) {
            lineNo_ = 1;
            outputBand(*d.data);
            accumulate(d.data);
        } else {
            int row = 0;
            while (!src->eof()) {
                if (d.data->startNewPage && row > 0) newPage();
                lineNo_ = ++row;
                outputBand(*d.data);
                accumulate(d.data);
                src->next();
            }
        }
        dropHeader(d.header);
        lineNo_ = outerLine;
        if (d.footer) outputFooter(*d.footer);
    }

    // ---- band contents
    BandInstance renderBand(const Band& band) {
        BandInstance inst;
        inst.height = band.height;
        if (countOnly_ && !band.growToFit) return inst;
        for (const ReportObject& obj : band.objects) {
            try {
                renderObject(band, obj, &inst);
            } catch (const ExpressionError& e) {
                fail(QStringLiteral("oggetto \"%1\": %2").arg(obj.name, e.text));
            }
        }
        return inst;
    }

    QString evalText(const ReportObject& obj) {
        const auto it = texts_.constFind(&obj);
        if (it == texts_.constEnd()) return obj.text;
        if (it->isConstant()) return it->segments[0].literal;
        return evaluateText(*it, *this, obj.displayFormat);
    }

    void renderObject(const Band& band, const ReportObject& obj, BandInstance* inst) {
        DrawOp op;
        op.objectName = obj.name;
        op.rect = obj.geometry;
        switch (obj.kind) {
            case ObjectKind::Text: {
                op.kind = DrawOp::Kind::Text;
                op.fontFamily = obj.fontFamily;
                op.fontSize = obj.fontSize;
                op.bold = obj.bold;
                op.italic = obj.italic;
                op.underline = obj.underline;
                op.hAlign = obj.hAlign;
                op.vAlign = obj.vAlign;
                op.textColor = obj.textColor;
                op.fillColor = obj.fillColor;
                op.frame = obj.frame;
                const QFont font =
                    reportFont(obj.fontFamily, obj.fontSize, obj.bold, obj.italic, obj.underline);
                TextMeasure& tm = TextMeasure::instance();
                op.lineHeight = tm.lineHeight(font);
                op.lines = tm.breakLines(font, evalText(obj),
                                         obj.geometry.width() - 2 * kTextPadding, obj.wordWrap);
                if (obj.growToFit) {
                    const double h = op.lines.size() * op.lineHeight;
                    if (h > op.rect.height()) op.rect.setHeight(h);
                }
                break;
            }
            case ObjectKind::Line:
                op.kind = DrawOp::Kind::Line;
                op.lineWidth = obj.lineWidth;
                op.lineColor = obj.lineColor;
                break;
            case ObjectKind::Rectangle:
                op.kind = DrawOp::Kind::Rect;
                op.lineWidth = obj.lineWidth;
                op.lineColor = obj.lineColor;
                op.fillColor = obj.fillColor;
                break;
            case ObjectKind::Picture:
                op.kind = DrawOp::Kind::Image;
                op.frame = obj.frame;
                op.keepAspect = obj.keepAspect;
                op.image = picture(obj);
                break;
            case ObjectKind::Barcode: {
                op.kind = DrawOp::Kind::Barcode;
                const QString data = evalText(obj).trimmed();
                if (data.isEmpty()) return;  // nothing to encode on this row (e.g. empty field)
                QString error;
                if (!encodeBarcode(obj.barcodeType, data, obj.showText, &op, &error))
                    throw ExpressionError{
                        QStringLiteral("codice a barre \"%1\" non valido: %2").arg(data, error)};
                break;
            }
        }
        if (band.growToFit) inst->height = std::max(inst->height, op.rect.bottom());
        inst->ops.push_back(std::move(op));
    }

    QImage picture(const ReportObject& obj) {
        if (!obj.pictureField.isEmpty()) {
            const auto it = texts_.constFind(&obj);
            QVariant v;
            if (it != texts_.constEnd()) {
                const ParsedText& t = *it;
                // A single [source.Field] gives the field's raw value (image bytes or a path).
                if (t.segments.size() == 1 && t.segments[0].expr && t.segments[0].literal.isEmpty())
                    v = evaluate(*t.segments[0].expr, *this);
                else
                    v = evaluateText(t, *this);
            }
            if (v.typeId() == QMetaType::QByteArray) {
                QImage img;
                img.loadFromData(v.toByteArray());
                return img;
            }
            return loadPicture(v.toString());
        }
        return loadPicture(obj.pictureFile);
    }

    QImage loadPicture(const QString& file) {
        if (file.isEmpty()) return {};
        QString path = file;
        if (QFileInfo(path).isRelative() && !in_.templateFolder.isEmpty())
            path = QDir(in_.templateFolder).filePath(file);
        auto it = pictures_.find(path);
        if (it == pictures_.end()) it = pictures_.insert(path, QImage(path));
        return *it;
    }

    const LayoutInput& in_;
    const Report& report_;
    QString reportName_;
    QDateTime now_;
    std::vector<Section> sections_;
    QHash<const ReportObject*, ParsedText> texts_;
    QHash<const Band*, std::shared_ptr<Node>> conditions_;
    QHash<const Band*, const Band*> footerTarget_;
    std::vector<const Band*> dataBands_;
    std::vector<Aggregate> aggregates_;
    QHash<const Node*, int> aggIndex_;
    QHash<const Band*, QVector<int>> byTarget_;
    QHash<const Band*, QVector<int>> byOwner_;
    QHash<QString, QImage> pictures_;
    bool usesTotalPages_ = false;
    bool totalPagesInExpressions_ = false;
    int pass_ = 0;
    int passes_ = 1;
    qint64 rowsDone_ = 0;
    qint64 rowsTotal_ = 0;  // -1 when a source cannot tell its rows

    int knownTotal_ = -1;
    std::vector<PreparedPage> pages_;  // pages not yet handed to the sink
    PageSink* sink_ = nullptr;         // nullptr = every page stays in pages_
    bool countOnly_ = false;
    QString markerTotal_;
    size_t handedOver_ = 0;                             // pages given to the sink
    size_t hold_ = std::numeric_limits<size_t>::max();  // first page that must stay
    const Section* section_ = nullptr;
    const ReportPage* page_ = nullptr;
    bool pageOpen_ = false;
    int pageNo_ = 0;
    int lineNo_ = 0;
    double curY_ = 0;
    double bodyTop_ = 0;
    std::vector<const Band*> activeHeaders_;
};

}  // namespace

namespace {

// Runs body on a prepared layouter; every data source walked gets its position back after each
// pass (giveBack) and at the end, also on failure. Errors become texts.
template <typename Body>
bool runLayout(const LayoutInput& input, QString* error, bool* cancelled, Body&& body) {
    if (cancelled) *cancelled = false;
    Layouter layouter(input);
    std::vector<ReportDataSource*> walked;
    std::vector<QVariant> positions;
    try {
        layouter.prepare();
        walked = layouter.walkedSources();
        for (ReportDataSource* s : walked) positions.push_back(s->position());
        auto giveBack = [&] {
            for (size_t i = 0; i < walked.size(); ++i) walked[i]->restorePosition(positions[i]);
        };
        try {
            body(layouter, giveBack);
        } catch (...) {
            giveBack();
            throw;
        }
        giveBack();
        return true;
    } catch (const LayoutCancelled&) {
        if (cancelled) *cancelled = true;
        if (error) error->clear();
        return false;
    } catch (const LayoutError& e) {
        if (error) *error = e.text;
        return false;
    } catch (const PageSinkError& e) {
        if (error) *error = e.text;
        return false;
    } catch (const ExpressionError& e) {
        if (error)
            *error = QStringLiteral("Report \"%1\": %2")
                         .arg(input.report->name.isEmpty() ? QStringLiteral("senza nome")
                                                           : input.report->name,
                              e.text);
        return false;
    }
}

}  // namespace

bool layoutReport(const LayoutInput& input, PreparedReport* out, QString* error, bool* cancelled) {
    PreparedReport result;
    const bool ok = runLayout(input, error, cancelled, [&](Layouter& layouter, auto giveBack) {
        layouter.run(-1, &result);
        if (layouter.needsSecondPass()) {
            // [TOTALPAGES] inside a computation: lay out again with the count known.
            const int total = int(result.pages.size());
            giveBack();
            layouter.run(total, &result);
        }
    });
    if (ok) *out = std::move(result);
    return ok;
}

bool streamReport(const LayoutInput& input, PageSink& sink, QString* error, bool* cancelled,
                  int* pages) {
    CountingSink out(&sink);
    const bool ok = runLayout(input, error, cancelled, [&](Layouter& layouter, auto giveBack) {
        if (!layouter.usesTotalPages()) {
            layouter.stream(-1, out, {}, 0, 1);
            return;
        }
        if (!layouter.needsSecondPass() && sink.keepsPages()) {
            layouter.stream(-1, out, {}, 0, 1);
            sink.setPageTotal(totalPagesMarker(), out.pages);
            return;
        }
        // The count first, without output; then the pages with it.
        const int total = layouter.countPages(2);
        giveBack();
        if (layouter.needsSecondPass())
            layouter.stream(total, out, {}, 1, 2);
        else
            layouter.stream(-1, out, QString::number(total), 1, 2);
    });
    if (pages) *pages = out.pages;
    return ok;
}

}  // namespace report
