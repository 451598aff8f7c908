#include "tallychart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace velmora {

namespace {
constexpr int Margin = 6;
constexpr int TextRoom = 16; // the caption line above the plot
} // namespace

TallyChart::TallyChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("chart_tally"));
}

void TallyChart::setPoints(const QList<int> &running)
{
    m_points = running;
    // Zero is always in view: the line says how far above or below even.
    m_low = 0;
    m_high = 0;
    for (int p : m_points) {
        m_low = std::min<qint64>(m_low, p);
        m_high = std::max<qint64>(m_high, p);
    }
    update();
}

QRectF TallyChart::plotArea() const
{
    return QRectF(rect()).adjusted(Margin, Margin + TextRoom, -Margin, -Margin);
}

double TallyChart::yOf(qint64 value) const
{
    const QRectF area = plotArea();
    if (m_high == m_low)
        return area.center().y();
    return area.bottom() - double(value - m_low) / double(m_high - m_low) * area.height();
}

QPointF TallyChart::pointAt(int i) const
{
    const QRectF area = plotArea();
    const int n = int(m_points.size());
    const double x = n <= 1 ? area.center().x() : area.left() + area.width() * i / (n - 1);
    return {x, yOf(m_points.value(i))};
}

void TallyChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const QRectF area = plotArea();
    const QRectF caption(Margin, Margin - 2, width() - 2 * Margin, TextRoom);
    p.setPen(Qt::black);
    if (m_points.isEmpty()) {
        p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("No games yet"));
        return;
    }
    const int last = m_points.last();
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1 games").arg(m_points.size()));
    p.setPen(last < 0 ? QColor(192, 0, 0) : QColor(0, 128, 0));
    p.drawText(caption, Qt::AlignRight | Qt::AlignVCenter,
               (last < 0 ? QStringLiteral("-$") : QStringLiteral("$")) +
                   QString::number(std::abs(qint64(last))));

    p.setPen(QPen(QColor(128, 128, 128), 1, Qt::DashLine));
    const double zero = yOf(0);
    p.drawLine(QPointF(area.left(), zero), QPointF(area.right(), zero));

    p.setPen(QPen(QColor(0, 64, 160), 1.5));
    if (m_points.size() == 1) {
        p.setBrush(QColor(0, 64, 160));
        p.drawEllipse(pointAt(0), 2, 2);
        return;
    }
    QPainterPath line(pointAt(0));
    for (int i = 1; i < m_points.size(); ++i)
        line.lineTo(pointAt(i));
    p.drawPath(line);
}

} // namespace velmora
