// Paints the program's icon, a fan of cards and a chip on the table's felt,
// and writes it at every size the desktop's icon theme asks for:
//   velmora-iconart assets/icons
// gives assets/icons/hicolor/NxN/apps/example.pelox8.velmora.png. Run once by
// hand when the icon changes; the pictures are committed.
//
// Each size is drawn afresh in its own pixels rather than scaled down from
// the largest, so the cards switch to their compact design where pips would
// blur, as they do on the table.

#include "art/cardpainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

using velmora::CardPainter;

namespace {

const char IconName[] = "example.pelox8.velmora";
const int Sizes[] = {16, 24, 32, 48, 64, 128, 256};

void paintFelt(QPainter &p, qreal n)
{
    // The pot dish of the table: a gold rim around red felt.
    const QPointF c(n / 2, n / 2);
    QLinearGradient rim(0, 0, n, n);
    rim.setColorAt(0, QColor(250, 220, 120));
    rim.setColorAt(0.5, QColor(232, 184, 52));
    rim.setColorAt(1, QColor(140, 96, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawEllipse(c, n * 0.48, n * 0.48);
    QRadialGradient felt(c - QPointF(n * 0.08, n * 0.08), n * 0.45);
    felt.setColorAt(0, QColor(150, 30, 40));
    felt.setColorAt(1, QColor(92, 12, 22));
    p.setBrush(felt);
    p.drawEllipse(c, n * 0.41, n * 0.41);
}

void paintCard(QPainter &p, int code, QPointF pivot, qreal angle, const QRectF &rect, qreal n)
{
    p.save();
    p.translate(pivot);
    p.rotate(angle);
    if (n >= 32) {
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawRoundedRect(rect.translated(n / 128, n / 96), n / 40, n / 40);
    }
    CardPainter::paint(p, rect, code);
    p.restore();
}

void paintChip(QPainter &p, QPointF c, qreal r)
{
    // A five chip seen from above, like the antes in the pots.
    p.setPen(QPen(QColor(110, 14, 18), qMax(0.6, r / 12)));
    p.setBrush(QColor(204, 34, 40));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(250, 250, 250), r / 4, Qt::DotLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.78, r * 0.78);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(c, r * 0.42, r * 0.42);
}

QImage paintIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const qreal n = size;
    paintFelt(p, n);

    // Pay cards of the game: the jack of clubs between two hearts. Below 32
    // pixels three cards crowd each other, so two remain.
    const QSizeF card(n * 0.36, n * 0.5);
    const QRectF rect(-card.width() / 2, -card.height(), card.width(), card.height());
    const QPointF pivot(n * 0.5, n * 0.8);
    if (size >= 32) {
        paintCard(p, 50, pivot, -24, rect, n); // queen of hearts
        paintCard(p, 10, pivot, 0, rect, n);   // jack of clubs
        paintCard(p, 52, pivot, 24, rect, n);  // ace of hearts
        paintChip(p, QPointF(n * 0.74, n * 0.74), n * 0.13);
    } else {
        paintCard(p, 10, pivot, -14, rect, n);
        paintCard(p, 52, pivot, 14, rect, n);
    }
    p.end();
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    // Offscreen: the tool needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-iconart OUTPUT_FOLDER\n");
        return 2;
    }
    for (const int size : Sizes) {
        const QString folder =
            QStringLiteral("%1/hicolor/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString path =
            folder + QLatin1Char('/') + QLatin1String(IconName) + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !paintIcon(size).save(path)) {
            std::fprintf(stderr, "velmora-iconart: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
