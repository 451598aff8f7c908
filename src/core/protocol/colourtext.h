#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace velmora {

// Colours as chat lines and the settings file write them: a 24-bit value
// 00BBGGRR (red in the lowest byte), written as one of sixteen names when it
// equals that name's value, otherwise as "$" and eight hexadecimal digits.
using ColourValue = std::uint32_t;

// The program's own chat lines (sender 0) are green.
constexpr ColourValue SystemColour = 0x008000;

QByteArray colourToText(ColourValue colour);

// Reads a name (any letter case), "$" and hexadecimal digits, or decimal
// digits. Anything else is not a colour.
std::optional<ColourValue> colourFromText(const QByteArray &text);

} // namespace velmora
