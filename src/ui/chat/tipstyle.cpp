#include "tipstyle.h"

#include "art/faces.h"
#include "common/colours.h"

#include <QApplication>
#include <QIconEngine>
#include <QPointer>
#include <QToolTip>

#include <functional>

namespace velmora {

namespace {

// An icon whose pictures are made the first time one is wanted.
class DeferredIcon : public QIconEngine
{
public:
    explicit DeferredIcon(std::function<QIcon()> make) : m_make(std::move(make)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIcon(*this); }

private:
    const QIcon &icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QIcon m_icon;
};

} // namespace

void TipStyle::install()
{
    if (qobject_cast<TipStyle *>(QApplication::style()))
        return;
    // The default size is read before the style changes: installing a
    // style resets the tooltips' font and palette to the style's own, so
    // ours are set afterwards.
    const int defaultPoints = QToolTip::font().pointSize();
    // A fresh base of the same kind: the current style stays the
    // application's to delete when the proxy replaces it.
    QApplication::setStyle(new TipStyle(QApplication::style()->name()));

    QFont font = faces::named(faces::text());
    font.setBold(true);
    font.setPointSize(defaultPoints + FontPointsAdded);
    QToolTip::setFont(font);
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, BoardColour);
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
}

int TipStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return WakeUpDelay;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QIcon TipStyle::standardIcon(StandardPixmap icon, const QStyleOption *option,
                             const QWidget *widget) const
{
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(icon, option, widget);
    // The option and the widget may be gone by the time the arrow is drawn;
    // the arrow depends on neither.
    return QIcon(new DeferredIcon([style = QPointer<const TipStyle>(this), icon] {
        return style ? style->QProxyStyle::standardIcon(icon) : QIcon();
    }));
}

} // namespace velmora
