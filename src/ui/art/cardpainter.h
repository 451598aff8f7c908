#pragma once

#include "cards/card.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace velmora {

// Draws playing cards and suit symbols with plain QPainter shapes, at any
// size, so the table needs no picture files and no symbol font. TableArt
// renders its cached card pictures through this; the pot faces use it for
// the small cards they show.
//
// Two designs: the full one (corner indices at both ends, pips, court
// emblems) for targets at least 44 wide, and a compact one (one large index
// and one big suit symbol) for anything narrower, where pips would be
// unreadable. Both are laid out on a fixed grid and scaled to the target.
class CardPainter
{
public:
    static QColor suitColour(Suit suit);
    // Four colours: clubs green and diamonds blue, so that no two suits
    // share a colour. Pictures drawn before a change keep their colours.
    static void setFourColour(bool on);
    static bool fourColour();

    // Outline of a suit symbol, centred in `box` and as large as fits;
    // upside down when `flipped`.
    static QPainterPath suitPath(Suit suit, const QRectF &box, bool flipped = false);

    // Text outline squeezed into `box`: as tall as the box, centred, and
    // narrowed when it would be wider. Used for ranks and short captions.
    static QPainterPath textPath(const QString &text, const QRectF &box);

    // Paints card `code` (1..52) or, for NoCard, the back, filling `rect`.
    static void paint(QPainter &p, const QRectF &rect, int code);

private:
    static void paintFull(QPainter &p, int code);
    static void paintCompact(QPainter &p, int code);
    static void paintBack(QPainter &p, const QRectF &card, qreal radius);
    static void paintIndex(QPainter &p, int code, const QRectF &rankBox, const QRectF &suitBox);
    static void paintCourtFrame(QPainter &p, const QRectF &frame, const QColor &ink);
    static void paintCourtFigure(QPainter &p, int code, const QRectF &box);
};

} // namespace velmora
