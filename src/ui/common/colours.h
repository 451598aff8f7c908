#pragma once

#include <QColor>

namespace velmora {

// The board's light yellow ground. The banners over the table are lettered
// in it and the tips show on it, so the three stay one colour.
inline constexpr QColor BoardColour(255, 255, 170);

} // namespace velmora
