// Draws the picture of the lobby download window and writes it as a JPEG:
//   velmora-lobbyart assets/lobby/lobby.jpg
// Run once by hand when the picture changes; the result is committed, so a
// normal build never needs this tool.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

const QSize PictureSize(436, 360);

void drawCard(QPainter &p, QPointF at, qreal angle, const QString &rank, bool red)
{
    p.save();
    p.translate(at);
    p.rotate(angle);
    const QRectF face(-14, -20, 28, 40);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(face, 3, 3);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(red ? QColor(200, 20, 30) : Qt::black);
    p.drawText(face.adjusted(3, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, rank);
    p.drawText(face, Qt::AlignCenter, red ? QStringLiteral("\u2665") : QStringLiteral("\u2663"));
    p.restore();
}

void drawChips(QPainter &p, QPointF at, QColor colour, int count)
{
    for (int i = 0; i < count; ++i) {
        const QRectF chip(at.x() - 9, at.y() - 3 - i * 4, 18, 7);
        p.setPen(QPen(colour.darker(160), 1));
        p.setBrush(colour);
        p.drawEllipse(chip);
    }
}

void drawPlayer(QPainter &p, QPointF at, QColor shirt, const QString &name)
{
    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawRoundedRect(QRectF(at.x() - 16, at.y(), 32, 26), 10, 10);
    p.setBrush(QColor(240, 200, 160));
    p.drawEllipse(at + QPointF(0, -8), 10, 10);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 220));
    p.drawText(QRectF(at.x() - 40, at.y() + 27, 80, 14), Qt::AlignCenter, name);
}

QImage draw()
{
    QImage image(PictureSize, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // An evening room seen through the lobby's window.
    QLinearGradient sky(0, 0, 0, PictureSize.height());
    sky.setColorAt(0, QColor(24, 30, 70));
    sky.setColorAt(1, QColor(70, 28, 60));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        QRadialGradient lamp(QPointF(24 + i * 50, 58), 26);
        lamp.setColorAt(0, QColor(255, 220, 140, 120));
        lamp.setColorAt(1, QColor(255, 220, 140, 0));
        p.setBrush(lamp);
        p.drawEllipse(QPointF(24 + i * 50, 58), 26, 26);
    }

    // The marquee.
    QLinearGradient gold(0, 8, 0, 46);
    gold.setColorAt(0, QColor(255, 230, 120));
    gold.setColorAt(1, QColor(190, 130, 20));
    p.setBrush(QColor(40, 12, 12));
    p.setPen(QPen(gold, 3));
    p.drawRoundedRect(QRectF(60, 8, 316, 40), 8, 8);
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QPen(gold, 1));
    p.drawText(QRectF(60, 8, 316, 40), Qt::AlignCenter, QStringLiteral("PELOX8 LOBBY"));

    // The table with its players.
    const QRectF table(58, 120, 320, 150);
    p.setPen(QPen(QColor(110, 62, 24), 10));
    QRadialGradient felt(table.center(), table.width() / 2);
    felt.setColorAt(0, QColor(40, 150, 70));
    felt.setColorAt(1, QColor(14, 86, 40));
    p.setBrush(felt);
    p.drawEllipse(table);
    drawPlayer(p, QPointF(218, 84), QColor(60, 110, 200), QStringLiteral("Ann"));
    drawPlayer(p, QPointF(30, 186), QColor(200, 70, 60), QStringLiteral("Bob"));
    drawPlayer(p, QPointF(406, 186), QColor(150, 80, 190), QStringLiteral("Cy"));
    drawPlayer(p, QPointF(218, 282), QColor(230, 160, 30), QStringLiteral("You"));

    // A run of one suit across the table, and the pots' chips.
    const char *ranks[] = {"7", "8", "9", "10", "J"};
    for (int i = 0; i < 5; ++i)
        drawCard(p, QPointF(150 + i * 34, 195), -8 + i * 4, QString::fromLatin1(ranks[i]), true);
    drawChips(p, QPointF(110, 170), QColor(210, 40, 40), 4);
    drawChips(p, QPointF(326, 170), QColor(40, 90, 210), 3);
    drawChips(p, QPointF(120, 236), QColor(240, 240, 240), 5);
    drawChips(p, QPointF(316, 236), QColor(30, 30, 30), 2);

    // A chat bubble: the lobby is where players meet.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(300, 72, 124, 34), 10, 10);
    bubble.moveTo(330, 106);
    bubble.lineTo(318, 118);
    bubble.lineTo(344, 106);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(QColor(255, 255, 240));
    p.drawPath(bubble.simplified());
    QFont chat(QStringLiteral("DejaVu Sans"));
    chat.setPixelSize(12);
    p.setFont(chat);
    p.setPen(QColor(30, 30, 120));
    p.drawText(QRectF(300, 72, 124, 34), Qt::AlignCenter, QStringLiteral("One more game?"));

    // The strip at the bottom carries the window's own caption over it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 140));
    p.drawRect(QRectF(0, 326, PictureSize.width(), 34));
    QFont strip(QStringLiteral("DejaVu Sans"));
    strip.setPixelSize(15);
    strip.setBold(true);
    p.setFont(strip);
    p.setPen(QColor(255, 240, 200));
    p.drawText(QRectF(12, 326, 300, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Velmora online tables"));
    p.end();
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velmora-lobbyart OUTPUT.jpg\n");
        return 2;
    }
    if (!draw().save(args.at(1), "JPEG", 88)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
