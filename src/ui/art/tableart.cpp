#include "tableart.h"

#include "cardpainter.h"
#include "faces.h"
#include "pattern.h"
#include "cards/pots.h"
#include "protocol/table.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <array>
#include <future>
#include <thread>
#include <map>
#include <optional>
#include <vector>

namespace velmora {

namespace {

const QColor FeltLight(44, 132, 70);
const QColor FeltDark(18, 84, 42);
const QColor WoodLight(168, 108, 52);
const QColor WoodDark(98, 56, 22);
const QColor Gold(232, 184, 52);

// All pictures rendered at one device pixel ratio. Held in a std::map so
// that references handed out stay valid when other ratios are added.
struct Sheet
{
    std::array<QPixmap, DeckSize + 1> large;
    std::array<QPixmap, DeckSize + 1> small;
    std::array<QPixmap, 3> chips;
    std::array<QPixmap, PotCount> pots;
    std::array<QPixmap, TableArt::ChipPileCount> piles;
    std::array<QPixmap, TableArt::PhraseCount> phrases;
    QPixmap eyes, turn, dealer, strip, dish, logo;
    std::array<QPixmap, 2> start, box;
    std::map<std::pair<int, int>, QPixmap> tables, panels;
};

std::optional<qreal> ratioOverride;

std::map<int, Sheet> &sheets()
{
    static std::map<int, Sheet> all;
    return all;
}

// Keyed by hundredths: ratios come from zoom percentages and screen factors,
// and 1.25 and 1.2500000001 are one sheet, not two.
int sheetKey(qreal ratio) { return qRound(ratio * 100); }
Sheet &sheet() { return sheets()[sheetKey(TableArt::devicePixelRatio())]; }

const QPixmap &none()
{
    static const QPixmap empty;
    return empty;
}

template <class Draw>
QPixmap render(QSize logical, Draw &&draw)
{
    QPixmap pm = TableArt::canvas(logical);
    QPainter p(&pm);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    draw(p);
    return pm;
}

// The same on an image, which unlike a pixmap may be painted on any thread.
template <class Draw>
QImage renderImage(QSize logical, qreal ratio, Draw &&draw)
{
    QImage image(TableArt::deviceSize(logical, ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    draw(p);
    return image;
}

template <class Draw>
const QPixmap &cached(QPixmap &slot, QSize logical, Draw &&draw)
{
    if (slot.isNull())
        slot = render(logical, std::forward<Draw>(draw));
    return slot;
}

QColor chipColour(TableArt::Chip kind)
{
    switch (kind) {
    case TableArt::Chip::One: return QColor(238, 238, 232);
    case TableArt::Chip::Five: return QColor(204, 34, 40);
    case TableArt::Chip::Ten: return QColor(34, 78, 190);
    }
    return Qt::gray;
}

QColor chipSpots(TableArt::Chip kind)
{
    return kind == TableArt::Chip::One ? QColor(34, 78, 190) : QColor(250, 250, 250);
}

void paintChipSide(QPainter &p, TableArt::Chip kind)
{
    // 12 by 4, stacked flush in a column: a shaded body, a dark seam at the
    // bottom to part it from the chip below, and edge spots.
    const QColor body = chipColour(kind);
    QLinearGradient g(0, 0, 0, 4);
    g.setColorAt(0, body.lighter(125));
    g.setColorAt(0.5, body);
    g.setColorAt(1, body.darker(150));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, 0, 12, 3.5), 1.2, 1.2);
    p.setBrush(QColor(40, 30, 20, 170));
    p.drawRect(QRectF(0.5, 3.4, 11, 0.6));
    p.setBrush(chipSpots(kind));
    for (const qreal x : {1.2, 5.2, 9.2})
        p.drawRect(QRectF(x, 0.9, 1.6, 1.8));
}

// One chip seen from above at a slant, its top face centred on `c`.
void paintChipTop(QPainter &p, const QPointF &c, TableArt::Chip kind)
{
    const QColor body = chipColour(kind);
    const qreal rx = 7, ry = 3, thick = 2;
    QPainterPath side;
    side.moveTo(c.x() - rx, c.y());
    side.lineTo(c.x() - rx, c.y() + thick);
    side.arcTo(QRectF(c.x() - rx, c.y() + thick - ry, 2 * rx, 2 * ry), 180, 180);
    side.lineTo(c.x() + rx, c.y());
    side.closeSubpath();
    p.setPen(QPen(body.darker(220), 0.5));
    p.setBrush(body.darker(135));
    p.drawPath(side);
    p.setBrush(body);
    p.drawEllipse(c, rx, ry);
    p.setPen(QPen(chipSpots(kind), 0.9, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rx - 1.6, ry - 0.8);
}

void paintDish(QPainter &p)
{
    const QPointF c(26, 26);
    QRadialGradient shadow(c + QPointF(1, 1.5), 26);
    shadow.setColorAt(0.85, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(c + QPointF(1, 1.5), 26, 26);

    QLinearGradient rim(0, 0, 52, 52);
    rim.setColorAt(0, QColor(250, 220, 120));
    rim.setColorAt(0.5, Gold);
    rim.setColorAt(1, QColor(140, 96, 24));
    p.setBrush(rim);
    p.setPen(QPen(QColor(110, 72, 16), 0.8));
    p.drawEllipse(c, 24.5, 24.5);

    QRadialGradient felt(c - QPointF(4, 4), 24);
    felt.setColorAt(0, QColor(150, 30, 40));
    felt.setColorAt(1, QColor(92, 12, 22));
    p.setBrush(felt);
    p.setPen(QPen(QColor(120, 80, 20), 0.6));
    p.drawEllipse(c, 20.5, 20.5);
}

void paintCardAt(QPainter &p, int code, const QPointF &pivot, qreal angle, const QRectF &rect)
{
    p.save();
    p.translate(pivot);
    p.rotate(angle);
    // A soft drop shadow lifts the card off the dish.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(rect.translated(0.8, 1.0), 2.5, 2.5);
    CardPainter::paint(p, rect, code);
    p.restore();
}

void drawAtOrigin(QPainter &p, const QPixmap &picture) { p.drawPixmap(0, 0, picture); }
void drawAtOrigin(QPainter &p, const QImage &picture) { p.drawImage(0, 0, picture); }

// Every pot lies in the same dish, drawn once (a pixmap, or an image on the
// thread that draws ahead); on the empty picture a copy of it is exactly
// the dish drawn afresh.
template <class Picture>
void paintPotFace(QPainter &p, int pot, const Picture &dish)
{
    drawAtOrigin(p, dish);
    const QSizeF one(30, 41);
    switch (pot) {
    case Kitty: break;
    case PotEightNineTen: {
        // Any suits will do, so the fan mixes them.
        const QRectF r(-11, -36, 22, 30);
        paintCardAt(p, 7, QPointF(26, 47), -24, r); // 8 of clubs
        paintCardAt(p, 47, QPointF(26, 47), 0, r);  // 9 of hearts
        paintCardAt(p, 35, QPointF(26, 47), 24, r); // 10 of spades
        break;
    }
    case PotQueenKingHearts: {
        const QRectF r(-12.5, -37, 25, 34);
        paintCardAt(p, 50, QPointF(26, 46), -14, r);
        paintCardAt(p, 51, QPointF(26, 46), 14, r);
        break;
    }
    default: {
        paintCardAt(p, PotCard[pot], QPointF(26, 26), 0,
                    QRectF(-one.width() / 2, -one.height() / 2, one.width(), one.height()));
        break;
    }
    }
}

void paintChipPile(QPainter &p, int index)
{
    // A few stacks along the lower half of the dish, so the pot's card stays
    // readable. The layout comes from the index alone: the same pile always
    // looks the same.
    quint32 seed = 2654435761u * quint32(index + 1);
    auto next = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(below));
    };
    struct Stack
    {
        QPointF base;
        int height;
        TableArt::Chip kind;
    };
    std::vector<Stack> stacks;
    const int count = 2 + next(3);
    const qreal columns[] = {9, 19, 29, 39};
    const int first = next(5 - count);
    for (int i = 0; i < count; ++i) {
        const qreal x = columns[first + i] + next(4);
        const qreal y = 42 + next(6) - (i % 2) * 4;
        stacks.push_back({QPointF(x, y), 1 + next(5), TableArt::Chip(next(3))});
    }
    std::sort(stacks.begin(), stacks.end(),
              [](const Stack &a, const Stack &b) { return a.base.y() < b.base.y(); });
    for (const Stack &s : stacks)
        for (int k = 0; k < s.height; ++k)
            paintChipTop(p, s.base - QPointF(0, 2 * k), s.kind);
}

void paintEyes(QPainter &p)
{
    for (const qreal cx : {6.0, 18.0}) {
        QPainterPath eye;
        eye.moveTo(cx - 5.6, 6);
        eye.quadTo(cx, -0.6, cx + 5.6, 6);
        eye.quadTo(cx, 12.6, cx - 5.6, 6);
        eye.closeSubpath();
        p.setPen(QPen(QColor(40, 30, 20), 1));
        p.setBrush(Qt::white);
        p.drawPath(eye);
        p.save();
        p.setClipPath(eye);
        // Glancing to the side: the watcher looks on.
        const QPointF iris(cx + 1.6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 110, 190));
        p.drawEllipse(iris, 3, 3);
        p.setBrush(QColor(10, 10, 10));
        p.drawEllipse(iris, 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawEllipse(iris + QPointF(-0.9, -1), 0.7, 0.7);
        p.restore();
    }
}

void paintTurnMark(QPainter &p)
{
    // An hourglass: the sand runs while the seat decides.
    QLinearGradient wood(0, 0, 38, 0);
    wood.setColorAt(0, WoodDark);
    wood.setColorAt(0.5, WoodLight);
    wood.setColorAt(1, WoodDark);
    p.setPen(QPen(QColor(70, 36, 10), 0.8));
    p.setBrush(wood);
    p.drawRect(QRectF(8, 6, 2.5, 40));
    p.drawRect(QRectF(27.5, 6, 2.5, 40));

    QPainterPath glass;
    glass.moveTo(10.5, 6);
    glass.cubicTo(10.5, 18, 17.5, 22, 17.5, 26);
    glass.cubicTo(17.5, 30, 10.5, 34, 10.5, 46);
    glass.lineTo(27.5, 46);
    glass.cubicTo(27.5, 34, 20.5, 30, 20.5, 26);
    glass.cubicTo(20.5, 22, 27.5, 18, 27.5, 6);
    glass.closeSubpath();
    p.setBrush(QColor(225, 240, 250, 200));
    p.setPen(QPen(QColor(90, 120, 150), 0.8));
    p.drawPath(glass);

    p.save();
    p.setClipPath(glass);
    const QColor sand(238, 176, 58);
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    p.drawRect(QRectF(8, 15, 22, 12));
    QPainterPath heap;
    heap.moveTo(8, 46);
    heap.quadTo(19, 30, 30, 46);
    p.drawPath(heap);
    p.drawRect(QRectF(18.4, 24, 1.2, 16));
    p.restore();

    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.setOpacity(0.6);
    p.drawRoundedRect(QRectF(12.2, 8, 1.4, 8), 0.7, 0.7);
    p.setOpacity(1);

    p.setPen(QPen(QColor(70, 36, 10), 0.8));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(3.5, 1.5, 31, 5), 2, 2);
    p.drawRoundedRect(QRectF(3.5, 45.5, 31, 5), 2, 2);
}

void paintDealerMark(QPainter &p)
{
    // The dealer button: a white puck lettered D.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    p.drawEllipse(QRectF(1, 2.2, 16.5, 12.5));
    p.setBrush(QColor(150, 150, 145));
    p.drawEllipse(QRectF(0.6, 1.8, 16.8, 12.4));
    QRadialGradient top(QPointF(7, 4.5), 10);
    top.setColorAt(0, Qt::white);
    top.setColorAt(1, QColor(222, 222, 214));
    p.setBrush(top);
    p.setPen(QPen(QColor(180, 24, 30), 1.1));
    p.drawEllipse(QRectF(0.8, 0.6, 16.4, 12.4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 24));
    p.drawPath(CardPainter::textPath(QStringLiteral("D"), QRectF(4.5, 3, 9, 8)));
}

void paintStartButton(QPainter &p, bool pressed)
{
    const QRectF r(1, 1, 155, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    if (!pressed)
        p.drawRoundedRect(r.translated(0.8, 1.2), 10, 10);
    const QRectF face = pressed ? r.translated(0.6, 0.8) : r;

    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, pressed ? QColor(176, 36, 32) : QColor(230, 70, 56));
    g.setColorAt(1, pressed ? QColor(104, 10, 12) : QColor(140, 14, 16));
    p.setBrush(g);
    p.setPen(QPen(QColor(92, 8, 8), 1.2));
    p.drawRoundedRect(face, 10, 10);
    p.setPen(QPen(Gold, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(face.adjusted(2.5, 2.5, -2.5, -2.5), 8, 8);

    if (!pressed) {
        QLinearGradient gloss(face.topLeft(), QPointF(face.left(), face.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1, QColor(255, 255, 255, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(QRectF(face.left() + 4, face.top() + 3.5, face.width() - 8, 15), 6, 6);
    }

    const QPointF shift = face.topLeft() - r.topLeft();
    const QRectF text = QRectF(34, 13.5, 89, 15).translated(shift);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 0, 0, 160));
    p.drawPath(CardPainter::textPath(QStringLiteral("START GAME"), text.translated(0.8, 1)));
    p.setBrush(QColor(255, 246, 214));
    p.drawPath(CardPainter::textPath(QStringLiteral("START GAME"), text));

    p.setBrush(Gold);
    p.setPen(QPen(QColor(110, 60, 0), 0.6));
    p.drawPath(CardPainter::suitPath(Suit::Spades, QRectF(12, 13, 16, 16).translated(shift)));
    p.drawPath(CardPainter::suitPath(Suit::Hearts, QRectF(129, 13, 16, 16).translated(shift)));
}

void paintTable(QPainter &p, QSize size)
{
    const QRectF all(QPointF(0, 0), size);
    pattern::paint(p, all);
    p.setPen(QPen(QColor(200, 182, 120), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(1, 1, -1, -1));

    // The tray is laid out around the pots on the full-size table.
    p.save();
    p.scale(size.width() / qreal(TableArt::TableSize.width()),
            size.height() / qreal(TableArt::TableSize.height()));
    const QPointF c(278, 213);
    const qreal rx = 150, ry = 160;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 70, 20, 60));
    p.drawEllipse(c + QPointF(2, 3), rx + 2, ry + 2);
    QLinearGradient rim(c - QPointF(rx, ry), c + QPointF(rx, ry));
    rim.setColorAt(0, WoodLight.lighter(115));
    rim.setColorAt(1, WoodDark);
    p.setBrush(rim);
    p.setPen(QPen(QColor(70, 36, 10), 1));
    p.drawEllipse(c, rx, ry);
    QRadialGradient felt(c - QPointF(20, 30), ry * 1.1);
    felt.setColorAt(0, FeltLight);
    felt.setColorAt(1, FeltDark);
    p.setBrush(felt);
    p.setPen(QPen(QColor(60, 30, 8), 1));
    p.drawEllipse(c, rx - 7, ry - 7);
    p.setPen(QPen(QColor(255, 230, 140, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rx - 12, ry - 12);
    p.restore();
}

void paintHandStrip(QPainter &p)
{
    const QRectF all(0, 0, 548, 100);
    pattern::paint(p, all);
    QLinearGradient rail(0, 0, 0, 5);
    rail.setColorAt(0, WoodLight);
    rail.setColorAt(1, WoodDark);
    p.fillRect(QRectF(0, 0, 548, 4), rail);

    // The trough the cards stand in: eleven cards 25 apart from 45.
    const QRectF trough(36.5, 6.5, 320, 87);
    p.setPen(QPen(QColor(70, 36, 10), 1));
    p.setBrush(WoodLight);
    p.drawRoundedRect(trough, 9, 9);
    QLinearGradient felt(trough.topLeft(), trough.bottomLeft());
    felt.setColorAt(0, FeltDark);
    felt.setColorAt(1, FeltLight);
    p.setBrush(felt);
    p.setPen(QPen(QColor(60, 30, 8), 0.8));
    p.drawRoundedRect(trough.adjusted(3, 3, -3, -3), 7, 7);

    // A paler note under the prompt line on the right.
    const QRectF note(391.5, 12.5, 142, 72);
    p.setPen(QPen(QColor(200, 182, 120), 1));
    p.setBrush(QColor(255, 252, 228));
    p.drawRoundedRect(note, 6, 6);
}

void paintOnOffBox(QPainter &p, bool on)
{
    const QRectF frame(0.5, 0.5, 35, 33);
    QLinearGradient bevel(frame.topLeft(), frame.bottomRight());
    bevel.setColorAt(0, QColor(250, 250, 246));
    bevel.setColorAt(1, QColor(130, 126, 116));
    p.setPen(QPen(QColor(70, 66, 60), 1));
    p.setBrush(bevel);
    p.drawRoundedRect(frame, 4, 4);

    const QRectF face = frame.adjusted(3.5, 3.5, -3.5, -3.5);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, on ? QColor(70, 190, 80) : QColor(214, 212, 206));
    g.setColorAt(1, on ? QColor(24, 120, 40) : QColor(164, 160, 152));
    p.setBrush(g);
    p.setPen(QPen(QColor(60, 56, 50), 0.8));
    p.drawRoundedRect(face, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? QColor(255, 255, 255) : QColor(120, 24, 24));
    const QRectF text = on ? QRectF(9, 11, 18, 12) : QRectF(7, 11, 22, 12);
    p.drawPath(CardPainter::textPath(on ? QStringLiteral("ON") : QStringLiteral("OFF"), text));
}

void paintLogo(QPainter &p)
{
    const QSize size = TableArt::LogoSize;
    p.setPen(QPen(QColor(120, 72, 30), 1));
    p.setBrush(QColor(18, 92, 44));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
    QFont font = faces::named(faces::text());
    font.setPixelSize(22);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(255, 214, 40));
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("Velmora"));
}

void paintPhraseBubble(QPainter &p, int number)
{
    p.setPen(QPen(QColor(40, 70, 140), 1));
    p.setBrush(QColor(255, 255, 235));
    p.drawRoundedRect(QRectF(0.5, 0.5, 20, 11), 4, 4);
    const QPointF tail[] = {{5, 11.5}, {4, 14.5}, {9, 11.5}};
    p.drawPolygon(tail, 3);
    QFont font = faces::named(faces::text());
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, 21, 12), Qt::AlignCenter, QString::number(number));
}

// The pictures of the table's first frame, drawn ahead (TableArt::drawAhead)
// in groups, in the order the window asks for them. Each group is taken in
// when one of its pictures is first wanted, so the window waits at most
// for the group it needs, not for the rest.
enum AheadGroup { PotFaces, PhraseBubbles, Logo, Board, AheadGroups };

struct PendingAhead
{
    int key = 0;
    std::array<std::future<std::vector<QImage>>, AheadGroups> groups;
    std::array<bool, AheadGroups> taken{};
    std::jthread painter;
};

std::optional<PendingAhead> pendingAhead;

// The places of `group` in `s`, in the order the thread draws them.
std::vector<QPixmap *> aheadPlaces(Sheet &s, AheadGroup group)
{
    std::vector<QPixmap *> places;
    switch (group) {
    case PotFaces:
        for (QPixmap &pm : s.pots)
            places.push_back(&pm);
        break;
    case PhraseBubbles:
        for (QPixmap &pm : s.phrases)
            places.push_back(&pm);
        break;
    case Board:
        places = {&s.tables[{TableArt::TableSize.width(), TableArt::TableSize.height()}], &s.strip};
        break;
    case Logo: places = {&s.logo}; break;
    case AheadGroups: break;
    }
    return places;
}

// Takes the pictures of `group` drawn ahead into their sheet, waiting for
// the thread if it has not drawn them yet; a picture drawn meanwhile on
// this thread is kept.
void collectAhead(AheadGroup group)
{
    if (!pendingAhead || pendingAhead->taken[group])
        return;
    PendingAhead &pending = *pendingAhead;
    pending.taken[group] = true;
    std::vector<QImage> pictures = pending.groups[group].get();
    const std::vector<QPixmap *> places = aheadPlaces(sheets()[pending.key], group);
    for (std::size_t i = 0; i < places.size() && i < pictures.size(); ++i)
        if (places[i]->isNull())
            *places[i] = QPixmap::fromImage(std::move(pictures[i]));
    if (std::all_of(pending.taken.begin(), pending.taken.end(), [](bool t) { return t; }))
        pendingAhead.reset(); // joins the finished thread
}

} // namespace

qreal TableArt::devicePixelRatio()
{
    qreal ratio = 1;
    if (ratioOverride)
        ratio = *ratioOverride;
    else if (const QScreen *screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr)
        ratio = screen->devicePixelRatio();
    // Rendered at the ratio itself, also a fractional one: a picture made
    // sharper and scaled down on drawing loses its fine lines to the
    // scaling, while one at the ratio is copied pixel for pixel.
    return ratio > 0 ? ratio : 1;
}

QSize TableArt::deviceSize(QSize logical, qreal ratio)
{
    // Rounded up: a 36 by 49 card at 1.5 is 54 by 73.5 pixels, and the
    // last half row stays clear rather than cut off.
    return QSize(qCeil(logical.width() * ratio - 0.01), qCeil(logical.height() * ratio - 0.01));
}

QPixmap TableArt::canvas(QSize logical)
{
    const qreal ratio = devicePixelRatio();
    QPixmap pm(deviceSize(logical, ratio));
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

void TableArt::setDevicePixelRatio(qreal ratio)
{
    ratioOverride = ratio > 0 ? std::optional<qreal>(ratio) : std::nullopt;
}

void TableArt::setFourColourDeck(bool on)
{
    if (on == CardPainter::fourColour())
        return;
    // Pot faces drawn ahead in the old colours are taken in first, and
    // then dropped with the others.
    collectAhead(PotFaces);
    CardPainter::setFourColour(on);
    // The slots stay where they are, so references handed out remain valid.
    for (auto &[ratio, s] : sheets()) {
        Q_UNUSED(ratio)
        for (auto *pictures : {&s.large, &s.small})
            pictures->fill(QPixmap());
        s.pots.fill(QPixmap());
    }
}

bool TableArt::fourColourDeck() { return CardPainter::fourColour(); }

const QPixmap &TableArt::card(int code, CardSize size)
{
    if (code < 0 || code > DeckSize)
        return none();
    Sheet &s = sheet();
    const bool large = size == CardSize::Large;
    const QSize logical = large ? LargeCardSize : SmallCardSize;
    return cached(large ? s.large[code] : s.small[code], logical, [&](QPainter &p) {
        CardPainter::paint(p, QRectF(QPointF(0, 0), logical), code);
    });
}

const QPixmap &TableArt::chip(Chip kind)
{
    const int i = static_cast<int>(kind);
    if (i < 0 || i > 2)
        return none();
    return cached(sheet().chips[i], ChipSize, [&](QPainter &p) { paintChipSide(p, kind); });
}

const QPixmap &TableArt::potFace(int pot)
{
    if (!isPot(pot))
        return none();
    collectAhead(PotFaces);
    const QPixmap &dish = cached(sheet().dish, PotSize, paintDish);
    return cached(sheet().pots[pot - 1], PotSize, [&](QPainter &p) { paintPotFace(p, pot, dish); });
}

const QPixmap &TableArt::chipPile(int index)
{
    if (index < 0 || index >= ChipPileCount)
        return none();
    return cached(sheet().piles[index], PotSize, [&](QPainter &p) { paintChipPile(p, index); });
}

const QPixmap &TableArt::eyes() { return cached(sheet().eyes, EyesSize, paintEyes); }

const QPixmap &TableArt::turnMark() { return cached(sheet().turn, TurnMarkSize, paintTurnMark); }

const QPixmap &TableArt::dealerMark()
{
    return cached(sheet().dealer, DealerMarkSize, paintDealerMark);
}

const QPixmap &TableArt::startButton(bool pressed)
{
    return cached(sheet().start[pressed ? 1 : 0], StartButtonSize,
                  [&](QPainter &p) { paintStartButton(p, pressed); });
}

const QPixmap &TableArt::handStrip()
{
    collectAhead(Board);
    return cached(sheet().strip, HandStripSize, paintHandStrip);
}

const QPixmap &TableArt::tableBackground(QSize size)
{
    if (size.isEmpty())
        return none();
    collectAhead(Board);
    return cached(sheet().tables[{size.width(), size.height()}], size,
                  [&](QPainter &p) { paintTable(p, size); });
}

const QPixmap &TableArt::panelBackground(QSize size)
{
    if (size.isEmpty())
        return none();
    return cached(sheet().panels[{size.width(), size.height()}], size,
                  [&](QPainter &p) { pattern::paint(p, QRectF(QPointF(0, 0), size)); });
}

namespace {
class RenderOnShow : public QObject
{
public:
    RenderOnShow(QWidget *widget, std::function<void()> render)
        : QObject(widget), m_render(std::move(render))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            m_render();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_render;
};
} // namespace

void TableArt::whenShown(QWidget *widget, std::function<void()> render)
{
    if (widget->isVisible())
        render();
    else
        widget->installEventFilter(new RenderOnShow(widget, std::move(render)));
}

void TableArt::setPanelBackground(QWidget *widget)
{
    // The size of now: the window may grow to its contents when it shows.
    whenShown(widget, [widget, size = widget->size()] {
        QPalette pal = widget->palette();
        pal.setBrush(QPalette::Window, panelBackground(size));
        widget->setPalette(pal);
    });
}

const QPixmap &TableArt::logo()
{
    collectAhead(Logo);
    return cached(sheet().logo, LogoSize, paintLogo);
}

const QPixmap &TableArt::phraseBubble(int number)
{
    if (number < 1 || number > PhraseCount)
        return none();
    collectAhead(PhraseBubbles);
    return cached(sheet().phrases[number - 1], PhraseBubbleSize,
                  [number](QPainter &p) { paintPhraseBubble(p, number); });
}

void TableArt::drawAhead()
{
    if (pendingAhead)
        return;
    const qreal ratio = devicePixelRatio();
    std::array<std::promise<std::vector<QImage>>, AheadGroups> promises;
    PendingAhead &pending = pendingAhead.emplace();
    pending.key = sheetKey(ratio);
    for (int g = 0; g < AheadGroups; ++g)
        pending.groups[g] = promises[g].get_future();
    pending.painter = std::jthread([ratio, promises = std::move(promises)]() mutable {
        std::vector<QImage> pots;
        const QImage dish = renderImage(PotSize, ratio, paintDish);
        for (int pot = 1; pot <= PotCount; ++pot)
            pots.push_back(
                renderImage(PotSize, ratio, [&](QPainter &p) { paintPotFace(p, pot, dish); }));
        promises[PotFaces].set_value(std::move(pots));

        std::vector<QImage> bubbles;
        for (int n = 1; n <= PhraseCount; ++n)
            bubbles.push_back(renderImage(PhraseBubbleSize, ratio,
                                          [n](QPainter &p) { paintPhraseBubble(p, n); }));
        promises[PhraseBubbles].set_value(std::move(bubbles));

        promises[Logo].set_value({renderImage(LogoSize, ratio, paintLogo)});
        promises[Board].set_value(
            {renderImage(TableSize, ratio, [](QPainter &p) { paintTable(p, TableSize); }),
             renderImage(HandStripSize, ratio, paintHandStrip)});
    });
}

const QPixmap &TableArt::onOffBox(bool on)
{
    return cached(sheet().box[on ? 1 : 0], OnOffBoxSize,
                  [&](QPainter &p) { paintOnOffBox(p, on); });
}

void TableArt::preload()
{
    for (int code = 0; code <= DeckSize; ++code) {
        card(code, CardSize::Large);
        card(code, CardSize::Small);
    }
    for (const Chip kind : {Chip::One, Chip::Five, Chip::Ten})
        chip(kind);
    for (int pot = 1; pot <= PotCount; ++pot)
        potFace(pot);
    for (int i = 0; i < ChipPileCount; ++i)
        chipPile(i);
    eyes();
    turnMark();
    dealerMark();
    startButton(false);
    startButton(true);
    handStrip();
    tableBackground();
    onOffBox(false);
    onOffBox(true);
}

} // namespace velmora
