#include "smileys.h"

#include "art/tableart.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <map>

namespace velmora {

namespace {

// The faces are drawn on a square of 19 units, squeezed into the
// pictures' 17 by 16 pixels.
constexpr int Size = 19;
constexpr QSize PictureSize(17, 16);

enum class Mouth { Smile, Grin, Flat, Frown, Open, Tongue };
enum class Eyes { Dots, Wink, Closed, Wide, Shades };

struct Face
{
    QColor skin;
    Eyes eyes;
    Mouth mouth;
};

QImage draw(const Face &face, qreal ratio)
{
    QImage image(TableArt::deviceSize(PictureSize, ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(qreal(PictureSize.width()) / Size, qreal(PictureSize.height()) / Size);
    p.setPen(QPen(QColor(90, 60, 0), 1.0));
    p.setBrush(face.skin);
    p.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));

    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::black);
    switch (face.eyes) {
    case Eyes::Dots:
        p.drawEllipse(QPointF(6.5, 7.5), 1.0, 1.4);
        p.drawEllipse(QPointF(12.5, 7.5), 1.0, 1.4);
        break;
    case Eyes::Wink:
        p.drawEllipse(QPointF(6.5, 7.5), 1.0, 1.4);
        p.drawLine(QPointF(11, 7.5), QPointF(14, 7.5));
        break;
    case Eyes::Closed:
        p.drawLine(QPointF(5, 7.5), QPointF(8, 7.5));
        p.drawLine(QPointF(11, 7.5), QPointF(14, 7.5));
        break;
    case Eyes::Wide:
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 0.8));
        p.drawEllipse(QPointF(6.5, 7.0), 2.0, 2.3);
        p.drawEllipse(QPointF(12.5, 7.0), 2.0, 2.3);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(6.5, 7.3), 0.8, 0.9);
        p.drawEllipse(QPointF(12.5, 7.3), 0.8, 0.9);
        break;
    case Eyes::Shades:
        p.drawRoundedRect(QRectF(3.5, 5.5, 5, 3), 1, 1);
        p.drawRoundedRect(QRectF(10.5, 5.5, 5, 3), 1, 1);
        p.drawLine(QPointF(8.5, 6.5), QPointF(10.5, 6.5));
        break;
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap));
    QPainterPath path;
    switch (face.mouth) {
    case Mouth::Smile:
        path.moveTo(5.5, 11.5);
        path.quadTo(9.5, 15.5, 13.5, 11.5);
        p.drawPath(path);
        break;
    case Mouth::Grin:
        path.moveTo(5, 11);
        path.lineTo(14, 11);
        path.quadTo(9.5, 17, 5, 11);
        p.setBrush(Qt::white);
        p.drawPath(path);
        break;
    case Mouth::Flat: p.drawLine(QPointF(6, 13), QPointF(13, 13)); break;
    case Mouth::Frown:
        path.moveTo(5.5, 14.5);
        path.quadTo(9.5, 10.5, 13.5, 14.5);
        p.drawPath(path);
        break;
    case Mouth::Open:
        p.setBrush(QColor(120, 20, 20));
        p.drawEllipse(QPointF(9.5, 13), 2.0, 2.2);
        break;
    case Mouth::Tongue:
        path.moveTo(5.5, 11.5);
        path.quadTo(9.5, 14.5, 13.5, 11.5);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 80, 100));
        p.drawEllipse(QPointF(10.5, 14.2), 1.8, 1.8);
        break;
    }
    return image;
}

const Face &faceOf(int index)
{
    static const QColor yellow(255, 214, 40);
    static const QColor red(240, 90, 60);
    static const QColor green(140, 210, 90);
    static const QColor blue(120, 170, 240);
    static const QColor pink(250, 170, 190);
    static const Face faces[SmileyCount] = {
        {yellow, Eyes::Dots, Mouth::Smile},   {yellow, Eyes::Dots, Mouth::Grin},
        {yellow, Eyes::Wink, Mouth::Smile},   {yellow, Eyes::Dots, Mouth::Frown},
        {yellow, Eyes::Wide, Mouth::Open},    {yellow, Eyes::Dots, Mouth::Tongue},
        {yellow, Eyes::Shades, Mouth::Smile}, {yellow, Eyes::Closed, Mouth::Grin},
        {yellow, Eyes::Dots, Mouth::Flat},    {red, Eyes::Dots, Mouth::Frown},
        {red, Eyes::Wide, Mouth::Flat},       {green, Eyes::Closed, Mouth::Flat},
        {green, Eyes::Wide, Mouth::Open},     {blue, Eyes::Closed, Mouth::Frown},
        {blue, Eyes::Dots, Mouth::Open},      {pink, Eyes::Closed, Mouth::Smile},
        {pink, Eyes::Wink, Mouth::Tongue},    {yellow, Eyes::Closed, Mouth::Smile},
    };
    return faces[index];
}

} // namespace

const QImage &smileyPicture(int index)
{
    // One set per pixel ratio, like the table's pictures; each picture is
    // drawn when first asked for and kept for the run.
    static std::map<int, std::array<QImage, SmileyCount>> sets;
    static const QImage none;
    if (index < 0 || index >= SmileyCount)
        return none;
    const qreal ratio = TableArt::devicePixelRatio();
    QImage &picture = sets[qRound(ratio * 100)][std::size_t(index)];
    if (picture.isNull())
        picture = draw(faceOf(index), ratio);
    return picture;
}

const QList<QImage> &smileyPictures()
{
    static std::map<int, QList<QImage>> sets;
    QList<QImage> &pictures = sets[qRound(TableArt::devicePixelRatio() * 100)];
    if (pictures.isEmpty())
        for (int i = 0; i < SmileyCount; ++i)
            pictures.append(smileyPicture(i));
    return pictures;
}

} // namespace velmora
