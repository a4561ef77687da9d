#include "panel/cella.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int bordo = 2;             // width of one bevel
constexpr int cornice = 2;           // the dark frame of the selected cell
constexpr double corpoMassimo = 28;  // points: the panel's large type, on large cells
constexpr double corpoMinimo = 7;

void bevel(QPainter& p, QRect r, CellaSinottico::Bevel b) {
    if (b == CellaSinottico::Bevel::Nessuno) return;
    const bool alto = b == CellaSinottico::Bevel::Rialzato;
    const QColor chiaro(255, 255, 255, 200);
    const QColor scuro(0, 0, 0, 150);
    for (int i = 0; i < bordo; ++i) {
        p.setPen(alto ? chiaro : scuro);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(alto ? scuro : chiaro);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}
}  // namespace

CellaSinottico::CellaSinottico(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CellaSinottico::setCaption(const QString& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    fontPer_ = {};
    update();
}

void CellaSinottico::setColore(const QColor& colore) {
    colore_ = colore;
    update();
}

void CellaSinottico::setBevelEsterno(Bevel b) {
    esterno_ = b;
    update();
}

void CellaSinottico::setBevelInterno(Bevel b) {
    interno_ = b;
    update();
}

void CellaSinottico::setProdotto(bool on) {
    prodotto_ = on;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CellaSinottico::resizeEvent(QResizeEvent* e) {
    fontPer_ = {};
    QWidget::resizeEvent(e);
}

QFont CellaSinottico::carattere(const QRect& area) const {
    if (fontPer_ == area.size()) return font_;
    QFont f = font();
    f.setBold(true);
    auto entra = [&](double pt, int wrap) {
        f.setPointSizeF(pt);
        const QRect need = QFontMetrics(f).boundingRect(area, Qt::AlignCenter | wrap, caption_);
        return need.width() <= area.width() && need.height() <= area.height();
    };
    // Whole words, in the largest type they fit; a word too long even for the smallest type is
    // broken where it must be rather than cut off.
    double pt = corpoMassimo;
    while (pt > corpoMinimo && !entra(pt, Qt::TextWordWrap)) pt -= 1;
    flags_ = entra(pt, Qt::TextWordWrap) ? Qt::TextWordWrap : Qt::TextWrapAnywhere;
    f.setPointSizeF(std::max(pt, corpoMinimo));
    font_ = f;
    fontPer_ = area.size();
    return font_;
}

void CellaSinottico::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor fondo = colore_.isValid() ? colore_ : palette().color(QPalette::Window);
    p.fillRect(rect(), fondo);
    QRect r = rect();
    bevel(p, r, esterno_);
    r.adjust(bordo, bordo, -bordo, -bordo);
    if (interno_ != Bevel::Nessuno) {
        // The selected cell carries a dark frame inside its bevel, seen from across the counter.
        bevel(p, r, interno_);
        const QRect c = r.adjusted(bordo, bordo, -bordo, -bordo);
        p.setPen(QPen(Qt::black, cornice, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(
            QRectF(c).adjusted(cornice / 2.0, cornice / 2.0, -cornice / 2.0, -cornice / 2.0));
    }
    if (caption_.isEmpty()) return;
    // The caption keeps its place and size whether the cell is selected or not.
    const int dentro = bordo + cornice;
    const QRect testo = r.adjusted(dentro, dentro, -dentro, -dentro);
    if (testo.width() <= 0 || testo.height() <= 0) return;
    // Dark text on light colours, white on dark ones.
    const int luce = (fondo.red() * 299 + fondo.green() * 587 + fondo.blue() * 114) / 1000;
    p.setPen(luce < 128 ? Qt::white : Qt::black);
    p.setFont(carattere(testo));
    p.setClipRect(testo);
    p.drawText(testo, Qt::AlignCenter | flags_, caption_);
}

void CellaSinottico::mousePressEvent(QMouseEvent* e) {
    if (!prodotto_ || e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    Q_EMIT premuta(this);
}

void CellaSinottico::mouseReleaseEvent(QMouseEvent* e) {
    if (!prodotto_ || e->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(e);
    Q_EMIT rilasciata(this);
    if (rect().contains(e->position().toPoint())) Q_EMIT toccata(this);
}
