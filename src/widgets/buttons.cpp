#include "widgets/buttons.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace {
void drawPage(QPainter& p) {
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(14, 2);
    page.lineTo(19, 7);
    page.lineTo(19, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(14, 2), QPointF(14, 7));
    p.drawLine(QPointF(14, 7), QPointF(19, 7));
}

void drawNuovo(QPainter& p) {
    drawPage(p);
    p.setPen(QPen(QColor(20, 140, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 11), QPointF(12, 19));
    p.drawLine(QPointF(8, 15), QPointF(16, 15));
}

void drawCancella(QPainter& p) {
    p.setPen(QPen(QColor(200, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
}

void drawLock(QPainter& p, bool open) {
    p.setPen(QPen(QColor(90, 90, 90), 2.5));
    p.setBrush(Qt::NoBrush);
    if (open)
        p.drawArc(QRectF(11, 2, 10, 12), 0 * 16, 180 * 16);
    else
        p.drawArc(QRectF(7, 3, 10, 12), 0 * 16, 180 * 16);
    p.drawLine(QPointF(open ? 21 : 17, 9), QPointF(open ? 21 : 17, open ? 9 : 11));
    if (!open) p.drawLine(QPointF(7, 9), QPointF(7, 11));
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(QRectF(4, 11, 16, 11), 2, 2);
    p.setBrush(QColor(80, 50, 0));
    p.drawEllipse(QPointF(12, 16), 1.6, 1.6);
}

void drawModifica(QPainter& p) {
    drawPage(p);
    p.save();
    p.translate(12, 13);
    p.rotate(-45);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawRect(QRectF(-8, -2.5, 13, 5));
    p.setBrush(QColor(240, 200, 170));
    QPolygonF tip;
    tip << QPointF(5, -2.5) << QPointF(10, 0) << QPointF(5, 2.5);
    p.drawPolygon(tip);
    p.setBrush(QColor(230, 110, 120));
    p.drawRect(QRectF(-10, -2.5, 2, 5));
    p.restore();
}

void drawScheda(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 120), 1.2));
    p.setBrush(QColor(250, 250, 235));
    p.drawRoundedRect(QRectF(2, 5, 20, 14), 2, 2);
    p.setBrush(QColor(120, 150, 210));
    p.drawRect(QRectF(4, 8, 6, 7));
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(12, 9), QPointF(20, 9));
    p.drawLine(QPointF(12, 12), QPointF(20, 12));
    p.drawLine(QPointF(12, 15), QPointF(18, 15));
}

void drawLista(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2, 3, 20, 18));
    p.setBrush(QColor(120, 150, 210));
    p.drawRect(QRectF(2, 3, 20, 4));
    for (int y = 11; y <= 19; y += 4) p.drawLine(QPointF(2, y), QPointF(22, y));
    p.drawLine(QPointF(9, 3), QPointF(9, 21));
}

void drawChiudi(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1.2));
    p.setBrush(QColor(190, 140, 80));
    p.drawRect(QRectF(3, 2, 11, 20));
    p.setBrush(QColor(60, 40, 20));
    p.drawEllipse(QPointF(11.5, 12), 1.2, 1.2);
    p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(14, 12), QPointF(22, 12));
    p.drawLine(QPointF(19, 9), QPointF(22, 12));
    p.drawLine(QPointF(19, 15), QPointF(22, 12));
}

void drawStampa(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 2, 10, 7));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 15, 12, 7));
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawLine(QPointF(8, 18), QPointF(16, 18));
    p.drawLine(QPointF(8, 20), QPointF(14, 20));
    p.setBrush(QColor(40, 200, 60));
    p.drawEllipse(QPointF(19, 12), 1.2, 1.2);
}

QIcon draw(int index) {
    QPixmap pix(24, 24);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case ImgNuovo:
            drawNuovo(p);
            break;
        case ImgCancella:
            drawCancella(p);
            break;
        case ImgBlocca:
            drawLock(p, false);
            break;
        case ImgModifica:
            drawModifica(p);
            break;
        case ImgScheda:
            drawScheda(p);
            break;
        case ImgLista:
            drawLista(p);
            break;
        case ImgChiudi:
            drawChiudi(p);
            break;
        case ImgStampa:
            drawStampa(p);
            break;
        default:
            break;
    }
    p.end();
    return QIcon(pix);
}
}  // namespace

QIcon buttonImage(int index) {
    if (index < 0 || index >= buttonImageCount) return QIcon();
    static std::array<QIcon, buttonImageCount> cache;
    if (cache[size_t(index)].isNull()) cache[size_t(index)] = draw(index);
    return cache[size_t(index)];
}

void imposta_pulsanti(QAbstractButton* button, int imageIndex, const QString& caption) {
    if (!button) return;
    button->setIcon(QIcon());
    button->setIcon(buttonImage(imageIndex));
    button->setIconSize(QSize(24, 24));
    button->setText(caption);
}
