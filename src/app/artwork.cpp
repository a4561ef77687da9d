#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QString applicationTitle() {
    return QStringLiteral("Vinorda Lestro ZUPAR 02.01");
}

namespace {
const QColor wine(0x7b, 0x12, 0x2a);
const QColor wineDark(0x4a, 0x08, 0x18);

void drawGlass(QPainter& p, const QRectF& r) {
    const qreal w = r.width();
    const qreal h = r.height();
    const qreal cx = r.center().x();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // bowl
    QPainterPath bowl;
    bowl.moveTo(cx - w * 0.34, r.top() + h * 0.06);
    bowl.lineTo(cx + w * 0.34, r.top() + h * 0.06);
    bowl.cubicTo(cx + w * 0.40, r.top() + h * 0.40, cx + w * 0.22, r.top() + h * 0.58, cx,
                 r.top() + h * 0.60);
    bowl.cubicTo(cx - w * 0.22, r.top() + h * 0.58, cx - w * 0.40, r.top() + h * 0.40,
                 cx - w * 0.34, r.top() + h * 0.06);
    // wine inside the bowl
    QPainterPath level;
    level.addRect(QRectF(r.left(), r.top() + h * 0.26, w, h));
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, wine.lighter(140));
    g.setColorAt(1, wineDark);
    p.fillPath(bowl.intersected(level), g);
    QPen glass(QColor(90, 90, 100), qMax<qreal>(1.0, w * 0.035));
    p.setPen(glass);
    p.setBrush(Qt::NoBrush);
    p.drawPath(bowl);
    // stem and foot
    p.drawLine(QPointF(cx, r.top() + h * 0.60), QPointF(cx, r.top() + h * 0.90));
    p.drawLine(QPointF(cx - w * 0.24, r.top() + h * 0.92),
               QPointF(cx + w * 0.24, r.top() + h * 0.92));
    p.restore();
}
}  // namespace

QPixmap programIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawGlass(p, QRectF(0, 0, size, size));
    return pm;
}

QPixmap splashPicture(int width, int height, bool background) {
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (background) {
        QLinearGradient bg(0, 0, 0, height);
        bg.setColorAt(0, QColor(0xfb, 0xf6, 0xee));
        bg.setColorAt(1, QColor(0xe9, 0xdc, 0xc6));
        p.fillRect(pm.rect(), bg);
    }
    // a bunch of grapes beside the glass
    const qreal r = height * 0.075;
    const QPointF origin(width * 0.66, height * 0.22);
    const int rows[] = {4, 3, 3, 2, 1};
    for (int row = 0; row < 5; ++row) {
        for (int i = 0; i < rows[row]; ++i) {
            const QPointF c(origin.x() + (i - (rows[row] - 1) / 2.0) * r * 1.8,
                            origin.y() + row * r * 1.55);
            QRadialGradient grape(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
            grape.setColorAt(0, QColor(0x9c, 0x4f, 0x96));
            grape.setColorAt(1, QColor(0x3c, 0x12, 0x3f));
            p.setBrush(grape);
            p.setPen(Qt::NoPen);
            p.drawEllipse(c, r, r);
        }
    }
    p.setPen(QPen(QColor(0x4d, 0x7c, 0x2a), height * 0.02));
    p.drawLine(QPointF(origin.x(), origin.y() - r * 1.2),
               QPointF(origin.x() + r * 0.8, origin.y() - r * 2.4));
    drawGlass(p, QRectF(width * 0.10, height * 0.08, height * 0.84 * 0.8, height * 0.84));
    return pm;
}
