#include "windowoptions.h"

namespace velmora {

bool WindowOptions::rememberOnClose(QRect &window, const QSize &workArea)
{
    if (window == rect())
        return false;
    if (workArea.width() < window.width())
        window.setWidth(window.width() - 15);
    if (workArea.height() < window.height())
        window.setHeight(window.height() - 15);
    left = window.left();
    top = window.top();
    width = window.width();
    height = window.height();
    return true;
}

} // namespace velmora
