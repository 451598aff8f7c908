#include "pattern.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <cmath>

namespace velmora::pattern {

namespace {

const QColor Cream(250, 243, 206);
const QColor CreamLine(236, 224, 176);
constexpr int Step = 14;

// Pixels on the lattice: whole-pixel places on a painter that maps one unit
// to one pixel.
bool onPixels(const QPainter &p, const QRectF &area)
{
    return p.device() && p.device()->devicePixelRatio() == 1 && p.transform().isIdentity() &&
           QRectF(area.toRect()) == area;
}

} // namespace

void paintLines(QPainter &p, const QRectF &area)
{
    p.fillRect(area, Cream);
    p.setPen(QPen(CreamLine, 1));
    const qreal span = area.width() + area.height();
    for (qreal d = -span; d <= span; d += Step) {
        p.drawLine(QPointF(area.left() + d, area.top()),
                   QPointF(area.left() + d + area.height(), area.bottom()));
        p.drawLine(QPointF(area.left() + d, area.bottom()),
                   QPointF(area.left() + d + area.height(), area.top()));
    }
}

// Antialiased lines cost a good part of the window's first frame, and the
// lattice repeats every Step pixels both ways: one cell is drawn and laid
// like tiles. Only the lines' ends differ from the repeat, so the top and the
// bottom row get their ends drawn. Where two lines cross on a pixel's centre
// (an odd height) the order of blending shows in the last bit, so those
// areas, and any scaled painter, are drawn line by line.
void paint(QPainter &p, const QRectF &area)
{
    const int h = int(area.height());
    if (!onPixels(p, area) || h % 2 != 0 || h < 2 || area.width() < 1) {
        paintLines(p, area);
        return;
    }
    const qreal span = area.width() + area.height();
    // The lines run down-right through x - y = -span (mod Step) and up-right
    // through x + y = h - span (mod Step), counted from the area's corner.
    const qreal down = -span - std::floor(-span / Step) * Step;
    const qreal up = (h - span) - std::floor((h - span) / Step) * Step;
    QImage cell(Step, Step, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter c(&cell);
        c.setRenderHints(p.renderHints());
        c.fillRect(cell.rect(), Cream);
        c.setPen(QPen(CreamLine, 1));
        // Long enough that the ends lie outside the cell, drawn in the
        // directions the lines have on the area.
        for (qreal d = down - 2 * Step; d <= 2 * Step; d += Step)
            c.drawLine(QPointF(d - Step, -Step), QPointF(d + 2 * Step, 2 * Step));
        for (qreal b = up - 2 * Step; b <= 4 * Step; b += Step)
            c.drawLine(QPointF(b - 2 * Step, 2 * Step), QPointF(b + Step, -Step));
    }
    p.save();
    QBrush tiles(cell);
    tiles.setTransform(QTransform::fromTranslate(area.left(), area.top()));
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.fillRect(area, tiles);
    p.restore();

    p.save();
    p.setPen(QPen(CreamLine, 1));
    for (const bool top : {true, false}) {
        const qreal y = top ? area.top() : area.bottom();
        const qreal in = top ? 4 : -4; // a few pixels into the area
        p.setClipRect(QRectF(area.left(), top ? area.top() : area.bottom() - 1, area.width(), 1));
        p.fillRect(area, Cream);
        for (qreal d = -span; d <= span; d += Step) {
            const qreal x = area.left() + d;
            if (x + h < area.left() - 2 || x > area.right() + 2)
                continue;
            // In the order and directions the whole lines are drawn.
            if (top) {
                p.drawLine(QPointF(x, y), QPointF(x + 4, y + in));
                p.drawLine(QPointF(x + h - 4, y + in), QPointF(x + h, y));
            } else {
                p.drawLine(QPointF(x + h - 4, y + in), QPointF(x + h, y));
                p.drawLine(QPointF(x, y), QPointF(x + 4, y + in));
            }
        }
    }
    p.restore();
}

} // namespace velmora::pattern
