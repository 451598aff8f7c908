#pragma once

#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace velmora {

// A picture that acts like a button: a left click on it (pressed and let go
// over it) runs its action. The start pictures, the logo and the links use
// it.
class ClickLabel : public QLabel
{
public:
    ClickLabel(QWidget *parent, std::function<void()> onClick)
        : QLabel(parent), m_onClick(std::move(onClick))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

} // namespace velmora
