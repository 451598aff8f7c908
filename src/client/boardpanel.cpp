#include "boardpanel.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace velmora {

BoardPanel::BoardPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(BoardSize);
}

void BoardPanel::paintEvent(QPaintEvent *)
{
    // The table and hand strip are drawn rather than loaded, so the program
    // carries no artwork of its own.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF table = QRectF(TableRect).adjusted(6, 6, -6, -6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 72, 30));
    p.drawRoundedRect(table, 60, 60);
    QRadialGradient felt(table.center(), table.width() / 1.6);
    felt.setColorAt(0, QColor(40, 140, 70));
    felt.setColorAt(1, QColor(18, 92, 44));
    p.setBrush(felt);
    p.drawRoundedRect(table.adjusted(12, 12, -12, -12), 50, 50);

    const QRectF hand = QRectF(HandRect).adjusted(6, 4, -6, -4);
    QLinearGradient strip(hand.topLeft(), hand.bottomLeft());
    strip.setColorAt(0, QColor(235, 225, 150));
    strip.setColorAt(1, QColor(215, 200, 120));
    p.setBrush(strip);
    p.setPen(QPen(QColor(170, 150, 80), 1));
    p.drawRoundedRect(hand, 8, 8);
}

} // namespace velmora
