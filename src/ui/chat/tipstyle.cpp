#include "tipstyle.h"

#include <QApplication>

namespace velmora {

void TipStyle::install()
{
    if (qobject_cast<TipStyle *>(QApplication::style()))
        return;
    // A fresh base of the same kind: the current style stays the
    // application's to delete when the proxy replaces it.
    QApplication::setStyle(new TipStyle(QApplication::style()->name()));
}

int TipStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return WakeUpDelay;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace velmora
