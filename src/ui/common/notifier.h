#pragma once

#include "base/error.h"

#include <QObject>

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <utility>

namespace velmora {

// Everything the program tells the user in a box, and the desktop's opener
// for web addresses. The windows reach the user only through one of these,
// so tests can stand in a recording notifier instead of modal dialogs and a
// browser.
//
// It also keeps the program's general error display: `guard` runs one event
// entry point and shows whatever it raised, so no exception ever leaves a Qt
// slot.
class Notifier
{
public:
    virtual ~Notifier() = default;

    // A notice with an OK button ("Game is full").
    void showNotice(const QString &text);
    // The general error box: stop icon, the program's title, the message
    // with a full stop added. While one box is open, further errors are only
    // logged: a broken host could otherwise stack boxes without end.
    void showError(const QString &message);
    bool boxOpen() const { return m_boxes > 0; }
    // Closes every open box as if its OK button were pressed: the program
    // ends and nobody is left to read them. Each box's caller then carries
    // on as after a dismissal.
    void closeBoxes();

    virtual bool openUrl(const QUrl &url);

    template <typename F>
    void guard(F &&entryPoint) noexcept
    {
        if (const std::optional<QString> error = catchError(std::forward<F>(entryPoint)))
            showError(*error);
    }

protected:
    virtual void notice(const QString &text);
    virtual void error(const QString &text);
    // Closes what notice() and error() have open.
    virtual void dismiss();

private:
    int m_boxes = 0;
    // The real boxes now open, innermost last.
    QList<QPointer<QObject>> m_open;
};

} // namespace velmora
