#include "ui/common/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tabulex {

namespace {

// Everything is drawn on a 64-unit grid and scaled.
constexpr qreal kGrid = 64.0;

void drawTable(QPainter& p, const QRectF& r, const QColor& header)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(header);
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), r.height() / 4), 2, 2);
    p.setPen(QPen(QColor(0x9a, 0xa9, 0xbd), 1.2));
    for (int row = 2; row < 4; ++row) {
        const qreal y = r.top() + r.height() * row / 4;
        p.drawLine(QPointF(r.left() + 1, y), QPointF(r.right() - 1, y));
    }
    const qreal x = r.left() + r.width() / 2;
    p.drawLine(QPointF(x, r.top() + r.height() / 4), QPointF(x, r.bottom() - 1));
}

void drawArrow(QPainter& p, QPointF from, QPointF to)
{
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal dir = to.x() > from.x() ? -1 : 1;
    p.drawLine(to, to + QPointF(dir * 5, -5));
    p.drawLine(to, to + QPointF(dir * 5, 5));
}

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);

    QLinearGradient background(0, 0, 0, kGrid);
    background.setColorAt(0, QColor(0x2f, 0x7d, 0xd1));
    background.setColorAt(1, QColor(0x1b, 0x4f, 0x96));
    p.setPen(Qt::NoPen);
    p.setBrush(background);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    drawTable(p, QRectF(8, 9, 22, 24), QColor(0xe8, 0x8a, 0x1a));
    drawTable(p, QRectF(34, 31, 22, 24), QColor(0x3b, 0xb2, 0x73));
    drawArrow(p, QPointF(36, 13), QPointF(55, 13));
    drawArrow(p, QPointF(28, 51), QPointF(9, 51));
    return pixmap;
}

} // namespace

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace tabulex
