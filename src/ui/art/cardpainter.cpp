#include "cardpainter.h"

#include "faces.h"

#include <QFont>
#include <QLinearGradient>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QTransform>

#include <array>
#include <atomic>
#include <vector>

namespace velmora {

namespace {

// The two design grids; everything below is laid out in these units.
constexpr QSizeF FullGrid{52, 72};
constexpr QSizeF CompactGrid{36, 49};

const QColor Border(96, 96, 96);
const QColor Gold(232, 184, 52);
const QColor GoldEdge(128, 86, 12);

// Suit outlines on a 100 by 100 grid, each touching all four sides.
QPainterPath heartShape()
{
    QPainterPath h;
    h.moveTo(50, 100);
    h.cubicTo(22, 74, 0, 54, 0, 28);
    h.cubicTo(0, 10, 13, 0, 27, 0);
    h.cubicTo(38, 0, 46, 7, 50, 18);
    h.cubicTo(54, 7, 62, 0, 73, 0);
    h.cubicTo(87, 0, 100, 10, 100, 28);
    h.cubicTo(100, 54, 78, 74, 50, 100);
    h.closeSubpath();
    return h;
}

QPainterPath diamondShape()
{
    QPainterPath d;
    d.moveTo(50, 0);
    d.quadTo(66, 28, 90, 50);
    d.quadTo(66, 72, 50, 100);
    d.quadTo(34, 72, 10, 50);
    d.quadTo(34, 28, 50, 0);
    d.closeSubpath();
    return d;
}

QPainterPath stem()
{
    QPainterPath s;
    s.moveTo(46, 58);
    s.cubicTo(46, 82, 40, 93, 28, 100);
    s.lineTo(72, 100);
    s.cubicTo(60, 93, 54, 82, 54, 58);
    s.closeSubpath();
    return s;
}

QPainterPath spadeShape()
{
    QPainterPath s;
    s.moveTo(50, 0);
    s.cubicTo(78, 26, 100, 42, 100, 60);
    s.cubicTo(100, 74, 89, 82, 76, 82);
    s.cubicTo(64, 82, 56, 76, 50, 66);
    s.cubicTo(44, 76, 36, 82, 24, 82);
    s.cubicTo(11, 82, 0, 74, 0, 60);
    s.cubicTo(0, 42, 22, 26, 50, 0);
    s.closeSubpath();
    return s.united(stem());
}

QPainterPath clubShape()
{
    QPainterPath c;
    c.addEllipse(QPointF(50, 24), 24, 24);
    QPainterPath left;
    left.addEllipse(QPointF(24, 57), 24, 24);
    QPainterPath right;
    right.addEllipse(QPointF(76, 57), 24, 24);
    QPainterPath middle;
    middle.addPolygon(QPolygonF({QPointF(50, 30), QPointF(28, 62), QPointF(72, 62)}));
    return c.united(left).united(right).united(middle).united(stem());
}

const QPainterPath &shapeOf(Suit suit)
{
    static const std::array<QPainterPath, 4> shapes{clubShape(), diamondShape(), spadeShape(),
                                                    heartShape()};
    return shapes[static_cast<int>(suit)];
}

QFont rankFont()
{
    QFont f = faces::named(faces::card());
    f.setWeight(QFont::Bold);
    f.setPixelSize(100);
    return f;
}

QString rankText(int code)
{
    static const char *const ranks[] = {"2", "3",  "4", "5", "6", "7", "8",
                                        "9", "10", "J", "Q", "K", "A"};
    return QString::fromLatin1(ranks[rankOf(code)]);
}

bool isCourt(int code) { return rankOf(code) >= 9 && rankOf(code) <= 11; }

// Runs `draw` twice: as given and turned half round about `grid`'s centre,
// for the double-ended parts of a card.
template <class Draw>
void bothEnds(QPainter &p, const QSizeF &grid, Draw &&draw)
{
    draw();
    p.save();
    p.translate(grid.width(), grid.height());
    p.rotate(180);
    draw();
    p.restore();
}

void paintBlank(QPainter &p, const QRectF &card, qreal radius)
{
    p.setPen(QPen(Border, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, radius, radius);
}

// Pip centres for the number cards 2..10 on the full grid, as (column,
// row) with columns -1, 0, 1 and rows 0 (top) to 1 (bottom).
struct Pip
{
    int column;
    qreal row;
};
const std::array<std::vector<Pip>, 9> &pipLayouts()
{
    static const std::array<std::vector<Pip>, 9> layouts{{
        {{0, 0}, {0, 1}},
        {{0, 0}, {0, 0.5}, {0, 1}},
        {{-1, 0}, {1, 0}, {-1, 1}, {1, 1}},
        {{-1, 0}, {1, 0}, {0, 0.5}, {-1, 1}, {1, 1}},
        {{-1, 0}, {1, 0}, {-1, 0.5}, {1, 0.5}, {-1, 1}, {1, 1}},
        {{-1, 0}, {1, 0}, {0, 0.25}, {-1, 0.5}, {1, 0.5}, {-1, 1}, {1, 1}},
        {{-1, 0}, {1, 0}, {0, 0.25}, {-1, 0.5}, {1, 0.5}, {0, 0.75}, {-1, 1}, {1, 1}},
        {{-1, 0},
         {1, 0},
         {-1, 1.0 / 3},
         {1, 1.0 / 3},
         {0, 0.5},
         {-1, 2.0 / 3},
         {1, 2.0 / 3},
         {-1, 1},
         {1, 1}},
        {{-1, 0},
         {1, 0},
         {0, 1.0 / 6},
         {-1, 1.0 / 3},
         {1, 1.0 / 3},
         {-1, 2.0 / 3},
         {1, 2.0 / 3},
         {0, 5.0 / 6},
         {-1, 1},
         {1, 1}},
    }};
    return layouts;
}

} // namespace

namespace {
// Read by the thread that draws pictures ahead.
std::atomic<bool> fourColours = false;
} // namespace

void CardPainter::setFourColour(bool on) { fourColours = on; }

bool CardPainter::fourColour() { return fourColours; }

QColor CardPainter::suitColour(Suit suit)
{
    if (fourColours && suit == Suit::Clubs)
        return QColor(0, 128, 48);
    if (fourColours && suit == Suit::Diamonds)
        return QColor(20, 76, 200);
    return suit == Suit::Diamonds || suit == Suit::Hearts ? QColor(206, 17, 38)
                                                          : QColor(18, 18, 18);
}

QPainterPath CardPainter::suitPath(Suit suit, const QRectF &box, bool flipped)
{
    const qreal side = qMin(box.width(), box.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    if (flipped)
        t.rotate(180);
    t.scale(side / 100, side / 100);
    t.translate(-50, -50);
    return t.map(shapeOf(suit));
}

QPainterPath CardPainter::textPath(const QString &text, const QRectF &box)
{
    // Turning text into outlines is most of what drawing a card costs, and
    // a deck has thirteen texts: each is turned once per run.
    // Pictures are also drawn ahead on a worker thread while the window is
    // built, so the outlines are shared under a lock.
    static QHash<QString, QPainterPath> outlines;
    static QMutex lock;
    QPainterPath raw;
    {
        const QMutexLocker locked(&lock);
        auto found = outlines.find(text);
        if (found == outlines.end()) {
            QPainterPath outline;
            outline.addText(0, 0, rankFont(), text);
            found = outlines.insert(text, outline);
        }
        raw = *found;
    }
    const QRectF b = raw.boundingRect();
    if (b.isEmpty())
        return {};
    const qreal sy = box.height() / b.height();
    const qreal sx = qMin(sy, box.width() / b.width());
    QTransform t;
    t.translate(box.center().x(), box.top());
    t.scale(sx, sy);
    t.translate(-b.center().x(), -b.top());
    return t.map(raw);
}

void CardPainter::paint(QPainter &p, const QRectF &rect, int code)
{
    const bool full = rect.width() >= 44;
    const QSizeF grid = full ? FullGrid : CompactGrid;
    p.save();
    p.translate(rect.topLeft());
    p.scale(rect.width() / grid.width(), rect.height() / grid.height());
    p.setRenderHint(QPainter::Antialiasing);
    if (!isCard(code))
        paintBack(p, QRectF(QPointF(0, 0), grid).adjusted(0.5, 0.5, -0.5, -0.5), full ? 4 : 3);
    else if (full)
        paintFull(p, code);
    else
        paintCompact(p, code);
    p.restore();
}

void CardPainter::paintIndex(QPainter &p, int code, const QRectF &rankBox, const QRectF &suitBox)
{
    const Suit suit = suitOf(code);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(textPath(rankText(code), rankBox));
    p.drawPath(suitPath(suit, suitBox));
}

void CardPainter::paintFull(QPainter &p, int code)
{
    const Suit suit = suitOf(code);
    const QColor ink = suitColour(suit);
    paintBlank(p, QRectF(0.5, 0.5, 51, 71), 4);

    bothEnds(p, FullGrid,
             [&] { paintIndex(p, code, QRectF(2.5, 3.5, 9.5, 10), QRectF(3.25, 15.5, 8, 8)); });

    const int rank = rankOf(code);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    if (rank <= 8) {
        // Number card: the classic pip pattern, lower half upside down.
        for (const Pip &pip : pipLayouts()[rank]) {
            const QPointF c(26 + 8 * pip.column, 13.5 + 45 * pip.row);
            p.drawPath(suitPath(suit, QRectF(c.x() - 4.5, c.y() - 4.5, 9, 9), pip.row > 0.5));
        }
    } else if (rank == 12) {
        // Ace: one big symbol; the ace of spades gets a ring around it.
        if (suit == Suit::Spades) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Gold.darker(115), 1.2));
            p.drawEllipse(QPointF(26, 36), 17, 17);
            p.setPen(QPen(ink, 0.6));
            p.drawEllipse(QPointF(26, 36), 19, 19);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(suitPath(suit, QRectF(12, 22, 28, 28)));
        } else {
            p.drawPath(suitPath(suit, QRectF(10, 20, 32, 32)));
        }
    } else {
        // Court card: a framed panel with the figure at both ends, joined
        // at the shoulders, and the suit beside each head.
        const QRectF frame(13.5, 6.5, 25, 59);
        paintCourtFrame(p, frame, ink);
        p.save();
        p.setClipRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
        bothEnds(p, FullGrid, [&] {
            paintCourtFigure(p, code, QRectF(15, 8.5, 22, 27.5));
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(suitPath(suit, QRectF(15, 8.5, 5.5, 5.5)));
        });
        p.restore();
        p.setPen(QPen(Gold.darker(110), 0.8));
        p.drawLine(QPointF(14, 36), QPointF(38, 36));
    }
}

void CardPainter::paintCompact(QPainter &p, int code)
{
    const Suit suit = suitOf(code);
    const QColor ink = suitColour(suit);
    paintBlank(p, QRectF(0.5, 0.5, 35, 48), 3);
    paintIndex(p, code, QRectF(2, 3, 10.5, 11), QRectF(3.25, 16, 8, 8));

    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    if (isCourt(code)) {
        const QRectF frame(13.5, 13.5, 19.5, 32);
        paintCourtFrame(p, frame, ink);
        p.save();
        p.setClipRect(frame.adjusted(0.4, 0.4, -0.4, -0.4));
        paintCourtFigure(p, code, QRectF(14, 14.5, 18.5, 31));
        p.restore();
    } else if (rankOf(code) == 12) {
        p.drawPath(suitPath(suit, QRectF(11, 17, 23, 23)));
    } else {
        p.drawPath(suitPath(suit, QRectF(13, 20, 19, 19)));
    }
}

void CardPainter::paintCourtFrame(QPainter &p, const QRectF &frame, const QColor &ink)
{
    QLinearGradient bg(frame.topLeft(), frame.bottomRight());
    bg.setColorAt(0, QColor(255, 249, 226));
    bg.setColorAt(1, QColor(244, 226, 172));
    p.setBrush(bg);
    p.setPen(QPen(ink, 0.9));
    p.drawRoundedRect(frame, 1.5, 1.5);
}

void CardPainter::paintCourtFigure(QPainter &p, int code, const QRectF &box)
{
    // A bust on a 100 by 130 grid: the king with a spiked crown and a beard,
    // the queen with a domed crown and long hair, the jack with a feathered
    // cap. The robe takes the suit's colour.
    const QColor ink = suitColour(suitOf(code));
    const int rank = rankOf(code);
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100, box.height() / 130);
    const QPen outline(QColor(90, 56, 24), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen goldEdge(GoldEdge, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    if (rank == 10) { // the queen's hair falls behind her shoulders
        p.setPen(outline);
        p.setBrush(QColor(214, 160, 52));
        p.drawRoundedRect(QRectF(27, 50, 46, 58), 18, 18);
    }

    QPainterPath robe;
    robe.moveTo(-4, 134);
    robe.cubicTo(0, 108, 22, 96, 50, 96);
    robe.cubicTo(78, 96, 100, 108, 104, 134);
    robe.closeSubpath();
    p.setPen(QPen(ink.darker(170), 3));
    p.setBrush(ink);
    p.drawPath(robe);
    p.setPen(QPen(Gold, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(34, 99), QPointF(50, 124), QPointF(66, 99)}));

    p.setPen(outline);
    p.setBrush(QColor(252, 222, 186));
    p.drawEllipse(QPointF(50, 74), 17, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 28, 20));
    p.drawEllipse(QPointF(43, 72), 3.2, 3.6);
    p.drawEllipse(QPointF(57, 72), 3.2, 3.6);
    p.setBrush(QColor(200, 60, 60));
    p.drawEllipse(QPointF(50, 85), 4.5, 2.2);

    switch (rank) {
    case 11: { // king
        QPainterPath beard;
        beard.moveTo(33, 76);
        beard.cubicTo(34, 104, 66, 104, 67, 76);
        beard.cubicTo(60, 86, 40, 86, 33, 76);
        beard.closeSubpath();
        p.setPen(outline);
        p.setBrush(QColor(150, 100, 56));
        p.drawPath(beard);
        QPainterPath crown;
        crown.moveTo(30, 58);
        crown.lineTo(26, 24);
        crown.lineTo(40, 40);
        crown.lineTo(50, 16);
        crown.lineTo(60, 40);
        crown.lineTo(74, 24);
        crown.lineTo(70, 58);
        crown.closeSubpath();
        p.setPen(goldEdge);
        p.setBrush(Gold);
        p.drawPath(crown);
        for (const QPointF tip : {QPointF(26, 21), QPointF(50, 13), QPointF(74, 21)})
            p.drawEllipse(tip, 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(50, 50), 4.5, 4.5);
        break;
    }
    case 10: { // queen
        QPainterPath dome;
        dome.moveTo(32, 58);
        dome.cubicTo(28, 26, 72, 26, 68, 58);
        dome.closeSubpath();
        p.setPen(goldEdge);
        p.setBrush(Gold);
        p.drawPath(dome);
        p.drawLine(QPointF(50, 34), QPointF(50, 24));
        p.drawEllipse(QPointF(50, 20), 5, 5);
        p.setPen(QPen(GoldEdge, 2));
        p.setBrush(Qt::white);
        for (const qreal x : {39.0, 50.0, 61.0})
            p.drawEllipse(QPointF(x, 50), 4, 4);
        break;
    }
    default: { // jack
        QPainterPath feather;
        feather.moveTo(60, 42);
        feather.cubicTo(66, 22, 82, 8, 100, 4);
        feather.cubicTo(94, 18, 84, 34, 68, 46);
        feather.closeSubpath();
        p.setPen(QPen(QColor(90, 90, 90), 2.5));
        p.setBrush(QColor(250, 250, 250));
        p.drawPath(feather);
        QPainterPath cap;
        cap.moveTo(26, 62);
        cap.cubicTo(24, 38, 38, 30, 52, 30);
        cap.cubicTo(68, 30, 80, 40, 76, 62);
        cap.closeSubpath();
        p.setPen(QPen(ink.darker(170), 3));
        p.setBrush(ink);
        p.drawPath(cap);
        p.setPen(goldEdge);
        p.setBrush(Gold);
        p.drawRoundedRect(QRectF(24, 54, 54, 9), 3, 3);
        break;
    }
    }
    p.restore();
}

void CardPainter::paintBack(QPainter &p, const QRectF &card, qreal radius)
{
    paintBlank(p, card, radius);
    const qreal inset = card.width() / 12;
    const QRectF field = card.adjusted(inset, inset, -inset, -inset);

    QPainterPath clip;
    clip.addRoundedRect(field, radius * 0.6, radius * 0.6);
    QLinearGradient navy(field.topLeft(), field.bottomRight());
    navy.setColorAt(0, QColor(36, 62, 142));
    navy.setColorAt(1, QColor(20, 36, 96));
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawPath(clip);

    // Lattice of fine diagonals with a dot in every cell.
    p.save();
    p.setClipPath(clip);
    const qreal step = card.width() / 8.5;
    p.setPen(QPen(QColor(110, 140, 215), 0.7));
    const qreal span = field.width() + field.height();
    for (qreal d = -span; d <= span; d += step) {
        p.drawLine(QPointF(field.left() + d, field.top()),
                   QPointF(field.left() + d + field.height(), field.bottom()));
        p.drawLine(QPointF(field.left() + d, field.bottom()),
                   QPointF(field.left() + d + field.height(), field.top()));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 190, 240));
    for (qreal d = -span; d <= span; d += step)
        for (qreal y = field.top(); y <= field.bottom() + step; y += step)
            p.drawEllipse(QPointF(field.left() + d + step / 2, y), step / 9, step / 9);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(235, 240, 255), 0.8));
    p.drawRoundedRect(field.adjusted(1.5, 1.5, -1.5, -1.5), radius * 0.4, radius * 0.4);

    // A medallion in the middle with a gold diamond.
    const QPointF c = field.center();
    const qreal r = card.width() * 0.2;
    p.setPen(QPen(Gold, card.width() / 40));
    p.setBrush(QColor(24, 42, 110));
    p.drawEllipse(c, r, r * 1.25);
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawPath(suitPath(Suit::Diamonds, QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r)));
}

} // namespace velmora
