#pragma once

#include <QRect>

namespace velmora {

// The game window's place on screen as the settings file keeps it: the
// values last read from the file or last saved at closing. The window
// compares itself against them when it closes, so that an unmoved window
// never rewrites the file.
struct WindowOptions
{
    static constexpr int DefaultLeft = 3;
    static constexpr int DefaultTop = 3;
    static constexpr int DefaultWidth = 798;
    static constexpr int DefaultHeight = 546;

    int left = DefaultLeft;
    int top = DefaultTop;
    int width = DefaultWidth;
    int height = DefaultHeight;

    QRect rect() const { return {left, top, width, height}; }
    static QRect defaultRect() { return {DefaultLeft, DefaultTop, DefaultWidth, DefaultHeight}; }

    // The closing rule. Returns false when `window` equals the remembered
    // place. Otherwise a window wider or taller than the desktop's work area
    // is made 15 pixels narrower or lower (once, not until it fits), the
    // result is remembered and written back to `window`, and true says that
    // the settings need saving.
    bool rememberOnClose(QRect &window, const QSize &workArea);
};

} // namespace velmora
