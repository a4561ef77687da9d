#include "report/painter.h"

#include <QPaintDevice>
#include <cmath>

namespace report {

QFont reportFont(const QString& family, double pointSize, bool bold, bool italic, bool underline) {
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    // Unhinted outlines keep the advance widths the same at every resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    f.setKerning(true);
    return f;
}

namespace {

struct Mapper {
    double dpm;
    QPointF origin;
    double x(double mm) const { return origin.x() + mm * dpm; }
    double y(double mm) const { return origin.y() + mm * dpm; }
    QRectF rect(const QRectF& r) const {
        return QRectF(x(r.left()), y(r.top()), r.width() * dpm, r.height() * dpm);
    }
    double len(double mm) const { return mm * dpm; }
};

QPen penOf(const Mapper& m, double widthMm, const QColor& color) {
    QPen pen(color);
    pen.setWidthF(std::max(1.0, m.len(widthMm)));
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void drawFrame(QPainter& p, const Mapper& m, const QRectF& r, const Frame& f) {
    if (!f.any()) return;
    p.setPen(penOf(m, f.width, f.color));
    const QRectF d = m.rect(r);
    if (f.left) p.drawLine(d.topLeft(), d.bottomLeft());
    if (f.top) p.drawLine(d.topLeft(), d.topRight());
    if (f.right) p.drawLine(d.topRight(), d.bottomRight());
    if (f.bottom) p.drawLine(d.bottomLeft(), d.bottomRight());
}

// A font sized so that it prints at its point size on the page whatever the device's own dpi.
QFont deviceFont(QPainter& p, const Mapper& m, const DrawOp& op, double pointSize) {
    const int dpi = p.device() ? p.device()->logicalDpiY() : 96;
    const double scale = m.dpm * 25.4 / dpi;
    return reportFont(op.fontFamily, pointSize * scale, op.bold, op.italic, op.underline);
}

void drawText(QPainter& p, const Mapper& m, const DrawOp& op) {
    const QRectF box = m.rect(op.rect);
    if (op.fillColor.isValid()) p.fillRect(box, op.fillColor);
    if (!op.lines.isEmpty()) {
        p.setFont(deviceFont(p, m, op, op.fontSize));
        p.setPen(op.textColor);
        const double lh = m.len(op.lineHeight);
        const double total = lh * op.lines.size();
        double top = box.top();
        if (op.vAlign == VAlign::Center)
            top += (box.height() - total) / 2;
        else if (op.vAlign == VAlign::Bottom)
            top += box.height() - total;
        int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
        switch (op.hAlign) {
            case HAlign::Center:
                flags |= Qt::AlignHCenter;
                break;
            case HAlign::Right:
                flags |= Qt::AlignRight;
                break;
            default:
                flags |= Qt::AlignLeft;
                break;
        }
        const bool clip = total > box.height() + 0.5;
        p.save();
        if (clip) p.setClipRect(box, Qt::IntersectClip);
        const double pad = m.len(kTextPadding);
        for (int i = 0; i < op.lines.size(); ++i) {
            const QRectF lineBox(box.left() + pad, top + i * lh, box.width() - 2 * pad, lh);
            p.drawText(lineBox, flags, op.lines[i]);
        }
        p.restore();
    }
    drawFrame(p, m, op.rect, op.frame);
}

void drawBarcode(QPainter& p, const Mapper& m, const DrawOp& op) {
    if (op.symbolSize.isEmpty()) return;
    const QRectF box = m.rect(op.rect);
    // Every module is a whole number of device dots, so all bars of a width print alike.
    const double units = op.symbolSize.width();
    const int dotsPerModule = std::max(1, int(std::floor(box.width() / units)));
    const double symbolWidth = units * dotsPerModule;
    const int left = int(std::lround(box.left() + (box.width() - symbolWidth) / 2));
    const double yScale = box.height() / op.symbolSize.height();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const QRectF& bar : op.bars) {
        const int x = left + int(std::lround(bar.x() * dotsPerModule));
        const int w = std::max(1, int(std::lround(bar.width() * dotsPerModule)));
        const int y = int(std::lround(box.top() + bar.y() * yScale));
        const int h = int(std::lround(bar.height() * yScale));
        p.fillRect(QRect(x, y, w, h), Qt::black);
    }
    p.setPen(Qt::black);
    for (const auto& t : op.barTexts) {
        // Text size follows the bars' height scale, capped by the module width.
        const double px = t.size * std::min(yScale, double(dotsPerModule) * 1.2);
        const int dpi = p.device() ? p.device()->logicalDpiY() : 96;
        QFont f = reportFont(QStringLiteral("DejaVu Sans"), px * 72.0 / dpi, false, false, false);
        p.setFont(f);
        const QPointF base(left + t.pos.x() * dotsPerModule, box.top() + t.pos.y() * yScale);
        const QRectF r(base.x() - symbolWidth, base.y() - px, 2 * symbolWidth, px * 1.3);
        p.drawText(r, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, t.text);
    }
    p.restore();
}

void drawImage(QPainter& p, const Mapper& m, const DrawOp& op) {
    const QRectF box = m.rect(op.rect);
    if (!op.image.isNull()) {
        QRectF target = box;
        if (op.keepAspect) {
            QSizeF s = op.image.size();
            s.scale(box.size(), Qt::KeepAspectRatio);
            target = QRectF(box.left() + (box.width() - s.width()) / 2,
                            box.top() + (box.height() - s.height()) / 2, s.width(), s.height());
        }
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(target, op.image);
        p.restore();
    }
    drawFrame(p, m, op.rect, op.frame);
}

}  // namespace

void paintPage(QPainter& painter, const PreparedPage& page, double dotsPerMm, QPointF origin) {
    const Mapper m{dotsPerMm, origin};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const DrawOp& op : page.ops) {
        switch (op.kind) {
            case DrawOp::Kind::Text:
                drawText(painter, m, op);
                break;
            case DrawOp::Kind::Line:
                painter.setPen(penOf(m, op.lineWidth, op.lineColor));
                painter.drawLine(QPointF(m.x(op.rect.left()), m.y(op.rect.top())),
                                 QPointF(m.x(op.rect.right()), m.y(op.rect.bottom())));
                break;
            case DrawOp::Kind::Rect:
                painter.setPen(op.lineWidth > 0 ? penOf(m, op.lineWidth, op.lineColor)
                                                : QPen(Qt::NoPen));
                painter.setBrush(op.fillColor.isValid() ? QBrush(op.fillColor) : QBrush());
                painter.drawRect(m.rect(op.rect));
                painter.setBrush(QBrush());
                break;
            case DrawOp::Kind::Image:
                drawImage(painter, m, op);
                break;
            case DrawOp::Kind::Barcode:
                drawBarcode(painter, m, op);
                break;
        }
    }
    painter.restore();
}

QImage renderPage(const PreparedPage& page, double dpi) {
    const double dpm = dpi / 25.4;
    QImage img(std::max(1, int(std::ceil(page.size.width() * dpm))),
               std::max(1, int(std::ceil(page.size.height() * dpm))), QImage::Format_RGB32);
    const int dpMeter = int(dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dpMeter);
    img.setDotsPerMeterY(dpMeter);
    img.fill(Qt::white);
    QPainter p(&img);
    paintPage(p, page, dpm);
    return img;
}

}  // namespace report
