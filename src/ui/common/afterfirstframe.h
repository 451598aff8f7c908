#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace velmora {

// Runs `then` once the first frame of `window` has been painted and flushed
// to the display: work a window does not need to look right on its first
// frame (its icon, for one) waits until the player already sees it.
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWidget *window, std::function<void()> then)
        : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // A zero timer runs once this paint has been flushed.
            QTimer::singleShot(0, this, [this] {
                m_then();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace velmora
