#include "report/preview.h"

#include "common/nativewheel.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "common/messages.h"
#include "report/painter.h"

namespace report {

namespace {
constexpr double kGap = 12;  // pixels around and between pages
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;
}  // namespace

PageView::PageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("pagine"));
    // The program's wheel-to-arrow-key filter leaves widgets with this mark alone.
    setProperty(kNativeWheelProperty, true);
    viewport()->setProperty(kNativeWheelProperty, true);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    viewport()->setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
}

void PageView::setReport(const PageStore* pages) {
    pages_ = pages;
    lastPage_ = -1;
    relayout();
}

double PageView::dotsPerMm() const {
    return zoom_ * logicalDpiX() / 25.4;
}

void PageView::setZoom(double zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (qFuzzyCompare(zoom, zoom_)) return;
    const int page = currentPage();
    zoom_ = zoom;
    relayout();
    showPage(page);
    Q_EMIT zoomChanged(zoom_);
}

double PageView::fitWidthZoom() const {
    if (!pageCount()) return 1.0;
    double w = 0;
    for (int i = 0; i < pageCount(); ++i) w = std::max(w, pages_->pageSize(i).width());
    const double avail = viewport()->width() - 2 * kGap;
    return std::clamp(avail / (w * logicalDpiX() / 25.4), kMinZoom, kMaxZoom);
}

double PageView::fitPageZoom() const {
    if (!pageCount()) return 1.0;
    const QSizeF s = pages_->pageSize(std::max(0, currentPage()));
    const double dpm = logicalDpiX() / 25.4;
    const double zw = (viewport()->width() - 2 * kGap) / (s.width() * dpm);
    const double zh = (viewport()->height() - 2 * kGap) / (std::max(1.0, s.height()) * dpm);
    return std::clamp(std::min(zw, zh), kMinZoom, kMaxZoom);
}

void PageView::relayout() {
    tops_.clear();
    contentWidth_ = contentHeight_ = 0;
    const double dpm = dotsPerMm();
    double y = kGap;
    for (int i = 0; i < pageCount(); ++i) {
        const QSizeF s = pages_->pageSize(i);
        tops_ << y;
        y += s.height() * dpm + kGap;
        contentWidth_ = std::max(contentWidth_, s.width() * dpm + 2 * kGap);
    }
    contentHeight_ = y;
    horizontalScrollBar()->setRange(0, std::max(0, int(contentWidth_ - viewport()->width())));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, int(contentHeight_ - viewport()->height())));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(std::max(1, int(10 * dpm)));
    horizontalScrollBar()->setSingleStep(std::max(1, int(10 * dpm)));
    viewport()->update();
}

QRectF PageView::pageRect(int index) const {
    const QSizeF s = pages_->pageSize(index) * dotsPerMm();
    const double x =
        std::max(kGap, (std::max(contentWidth_, double(viewport()->width())) - s.width()) / 2);
    return QRectF(x, tops_[index], s.width(), s.height());
}

int PageView::currentPage() const {
    if (!pageCount()) return -1;
    const double y = verticalScrollBar()->value() + viewport()->height() / 3.0;
    // The last page starting above y; tops_ grows with the index.
    const auto it = std::upper_bound(tops_.begin(), tops_.end(), y);
    return std::max(0, int(it - tops_.begin()) - 1);
}

void PageView::showPage(int index) {
    if (index < 0 || index >= pageCount()) return;
    verticalScrollBar()->setValue(int(tops_[index] - kGap));
    if (lastPage_ != index) {
        lastPage_ = currentPage();
        Q_EMIT currentPageChanged(lastPage_);
    }
}

void PageView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    if (!pageCount()) return;
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF visible = QRectF(event->rect()).translated(scroll);
    // Only the pages in view: from the last one starting above it.
    const auto from = std::upper_bound(tops_.begin(), tops_.end(), visible.top());
    for (int i = std::max(0, int(from - tops_.begin()) - 1);
         i < pageCount() && tops_[i] <= visible.bottom(); ++i) {
        const QRectF r = pageRect(i);
        if (!r.intersects(visible)) continue;
        const QRectF onScreen = r.translated(-scroll);
        p.fillRect(onScreen.translated(3, 3), QColor(0x40, 0x40, 0x40));
        p.fillRect(onScreen, Qt::white);
        // A page that cannot be read back says so on its blank sheet rather than stopping the
        // window (printing or exporting it fails with the same reason).
        const std::shared_ptr<const PreparedPage> page = pages_->at(i);
        if (!page) {
            p.setPen(Qt::darkRed);
            p.drawText(onScreen.adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                       QStringLiteral("Pagina non leggibile: %1").arg(pages_->errorString()));
            continue;
        }
        p.save();
        p.setClipRect(onScreen);
        paintPage(p, *page, dotsPerMm(), onScreen.topLeft());
        p.restore();
    }
}

void PageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void PageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps) setZoom(zoom_ * std::pow(1.15, steps));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// Ctrl+arrows zoom like Ctrl+wheel (a wheel turned into arrow keys by an application filter
// still zooms and scrolls); Page Up/Down go to the previous and next page.
void PageView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (ctrl) {
                setZoom(zoom_ * (event->key() == Qt::Key_Up ? 1.15 : 1 / 1.15));
                event->accept();
                return;
            }
            break;
        case Qt::Key_PageUp:
            showPage(currentPage() - 1);
            event->accept();
            return;
        case Qt::Key_PageDown:
            showPage(currentPage() + 1);
            event->accept();
            return;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PageView::scrollContentsBy(int dx, int dy) {
    QAbstractScrollArea::scrollContentsBy(dx, dy);
    const int page = currentPage();
    if (page != lastPage_) {
        lastPage_ = page;
        Q_EMIT currentPageChanged(page);
    }
}

// ---------------------------------------------------------------- window

namespace {
QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

ReportPreview::ReportPreview(ReportEngine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine) {
    setObjectName(QStringLiteral("frmAnteprima"));
    setWindowTitle(QStringLiteral("Anteprima - ") + engine.title());
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(900, 700);
    // Never larger than the screen (a small one, or a high scale factor).
    if (QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        resize(size().boundedTo(area.size() - QSize(16, 40)));
        move(area.topLeft() + QPoint(qMax(0, (area.width() - width()) / 2),
                                     qMax(0, (area.height() - height()) / 2)));
    }

    // Two rows, so that Print and Close stay in view on a narrow screen.
    auto* bar = new QHBoxLayout;
    auto* actions = new QHBoxLayout;
    auto* first = button(QStringLiteral("btn_prima"), QStringLiteral("|<"), this);
    auto* prev = button(QStringLiteral("btn_prec"), QStringLiteral("<"), this);
    page_ = new QSpinBox(this);
    page_->setObjectName(QStringLiteral("sel_pagina"));
    pageCount_ = new QLabel(this);
    auto* next = button(QStringLiteral("btn_succ"), QStringLiteral(">"), this);
    auto* last = button(QStringLiteral("btn_ultima"), QStringLiteral(">|"), this);
    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("sel_zoom"));
    for (int z : {50, 75, 100, 150, 200}) zoom_->addItem(QStringLiteral("%1%").arg(z), z / 100.0);
    zoom_->addItem(QStringLiteral("Larghezza pagina"), -1.0);
    zoom_->addItem(QStringLiteral("Pagina intera"), -2.0);
    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("sel_copie"));
    copies_->setRange(1, 99);
    auto* print = button(QStringLiteral("btn_stampa"), QStringLiteral("&Stampa"), this);
    auto* pdf = button(QStringLiteral("btn_pdf"), QStringLiteral("Salva &PDF"), this);
    auto* close = button(QStringLiteral("btn_chiudi"), QStringLiteral("&Chiudi"), this);
    bar->addWidget(first);
    bar->addWidget(prev);
    bar->addWidget(new QLabel(QStringLiteral("Pagina"), this));
    bar->addWidget(page_);
    bar->addWidget(pageCount_);
    bar->addWidget(next);
    bar->addWidget(last);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Zoom"), this));
    bar->addWidget(zoom_);
    bar->addStretch();
    for (QPushButton* b : {first, prev, next, last})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">|")) * 3 + 16);
    actions->addWidget(new QLabel(QStringLiteral("Copie"), this));
    actions->addWidget(copies_);
    actions->addWidget(print);
    actions->addWidget(pdf);
    actions->addStretch();
    actions->addWidget(close);

    view_ = new PageView(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(actions);
    layout->addWidget(view_, 1);

    view_->setReport(&engine_.prepared());
    const int pages = engine_.pageCount();
    page_->setRange(pages ? 1 : 0, pages);
    pageCount_->setText(QStringLiteral("di %1").arg(pages));
    zoom_->setCurrentIndex(2);

    connect(first, &QPushButton::clicked, this, [this] { view_->showPage(0); });
    connect(prev, &QPushButton::clicked, this,
            [this] { view_->showPage(view_->currentPage() - 1); });
    connect(next, &QPushButton::clicked, this,
            [this] { view_->showPage(view_->currentPage() + 1); });
    connect(last, &QPushButton::clicked, this, [this] { view_->showPage(view_->pageCount() - 1); });
    connect(page_, &QSpinBox::valueChanged, this, [this](int v) {
        if (v - 1 != view_->currentPage()) view_->showPage(v - 1);
    });
    connect(view_, &PageView::currentPageChanged, this, &ReportPreview::pageShown);
    connect(zoom_, &QComboBox::activated, this, &ReportPreview::zoomChosen);
    connect(print, &QPushButton::clicked, this, [this] { printNow(); });
    connect(pdf, &QPushButton::clicked, this, &ReportPreview::askPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

int ReportPreview::copies() const {
    return copies_->value();
}
void ReportPreview::setCopies(int copies) {
    copies_->setValue(copies);
}

bool ReportPreview::printNow() {
    const bool ok = engine_.printAndTell(copies());
    printed_ = printed_ || ok;
    return ok;
}

bool ReportPreview::saveAsPdf(const QString& path) {
    if (engine_.exportPdf(path)) return true;
    Mymsg::error(engine_.errorString());
    return false;
}

void ReportPreview::askPdf() {
    const QString folder = engine_.dataFolder().isEmpty() ? QDir::homePath() : engine_.dataFolder();
    const QString name = (engine_.title().isEmpty() ? QStringLiteral("stampa") : engine_.title()) +
                         QStringLiteral(".pdf");
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Salva come PDF"),
                                                      QDir(folder).filePath(name),
                                                      QStringLiteral("Documenti PDF (*.pdf)"));
    if (!path.isEmpty()) saveAsPdf(path);
}

void ReportPreview::zoomChosen(int index) {
    const double z = zoom_->itemData(index).toDouble();
    if (z == -1.0)
        view_->setZoom(view_->fitWidthZoom());
    else if (z == -2.0)
        view_->setZoom(view_->fitPageZoom());
    else
        view_->setZoom(z);
}

void ReportPreview::pageShown(int index) {
    const QSignalBlocker block(page_);
    page_->setValue(index + 1);
}

bool showPreview(ReportEngine& engine, QWidget* parent) {
    if (!engine.isPrepared() && !engine.prepare()) {
        Mymsg::error(engine.errorString());
        return false;
    }
    ReportPreview preview(engine, parent);
    preview.exec();
    return preview.printed();
}

}  // namespace report
