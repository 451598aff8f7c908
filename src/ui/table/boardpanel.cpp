#include "boardpanel.h"

#include "art/tableart.h"

#include <QPaintEvent>
#include <QPainter>

namespace velmora {

BoardPanel::BoardPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(BoardSize);
    // The board paints every pixel of its own (the chat column's ground
    // included), so the window below it is never painted for nothing.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The pictures are opaque but kept with an alpha channel, which the painter
// blends pixel by pixel; without one it copies them.
const QPixmap &BoardPanel::withoutAlpha(const QPixmap &art, Opaque &copy)
{
    if (copy.key != art.cacheKey()) {
        copy.key = art.cacheKey();
        copy.pixmap = QPixmap::fromImage(art.toImage().convertToFormat(QImage::Format_RGB32));
    }
    return copy.pixmap;
}

void BoardPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QPixmap &table = withoutAlpha(TableArt::tableBackground(TableRect.size()), m_opaqueTable);
    const QPixmap &hand = withoutAlpha(TableArt::handStrip(), m_opaqueHand);
    // One rectangle at a time: clipped to a region of many rectangles the
    // painter blends span by span and hands the spans to other threads,
    // while inside one rectangle it copies the pixels straight across.
    for (const QRect &rect : event->region()) {
        p.setClipRect(rect);
        if (rect.intersects(TableRect))
            p.drawPixmap(TableRect.topLeft(), table);
        if (rect.intersects(HandRect))
            p.drawPixmap(HandRect.topLeft(), hand);
        for (const QRect &ground : QRegion(rect).subtracted(TableRect).subtracted(HandRect))
            p.fillRect(ground, palette().window());
    }
}

} // namespace velmora
