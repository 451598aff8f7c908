#pragma once

#include <QList>
#include <QWidget>

namespace velmora {

// A small line chart of the running money against one opponent, one point
// per game, with the zero line and the latest figure. Drawn with QPainter:
// one polyline and two texts are less than a chart view, its scene and axes
// would cost to set up and to style like the rest of the window.
class TallyChart : public QWidget
{
    Q_OBJECT
public:
    explicit TallyChart(QWidget *parent = nullptr);

    // The running figures, oldest first; empty shows no line.
    void setPoints(const QList<int> &running);
    const QList<int> &points() const { return m_points; }
    // Where point i is drawn, in the widget's coordinates.
    QPointF pointAt(int i) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF plotArea() const;
    double yOf(qint64 value) const;

    QList<int> m_points;
    qint64 m_low = 0;
    qint64 m_high = 0;
};

} // namespace velmora
