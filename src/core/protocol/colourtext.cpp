#include "colourtext.h"

#include <array>
#include <cctype>

namespace velmora {

namespace {
struct NamedColour
{
    const char *name;
    ColourValue value;
};

constexpr std::array<NamedColour, 16> namedColours{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
}};
} // namespace

QByteArray colourToText(ColourValue colour)
{
    for (const auto &named : namedColours)
        if (named.value == colour)
            return named.name;
    return '$' + QByteArray::number(colour, 16).toUpper().rightJustified(8, '0');
}

std::optional<ColourValue> colourFromText(const QByteArray &text)
{
    for (const auto &named : namedColours)
        if (text.compare(named.name, Qt::CaseInsensitive) == 0)
            return named.value;
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    qulonglong value = 0;
    if (text.startsWith('$')) {
        const QByteArray hex = text.mid(1);
        if (hex.isEmpty() || hex.size() > 8)
            return std::nullopt;
        for (char c : hex)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
        value = hex.toULongLong(&ok, 16);
    } else {
        for (char c : text)
            if (c < '0' || c > '9')
                return std::nullopt;
        value = text.toULongLong(&ok, 10);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (!ok)
        return std::nullopt;
    return static_cast<ColourValue>(value);
}

} // namespace velmora
