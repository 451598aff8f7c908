#include "tipstyle.h"

#include "art/faces.h"
#include "common/colours.h"

#include <QApplication>
#include <QToolTip>

namespace velmora {

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

} // namespace velmora
