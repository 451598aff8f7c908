#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The twenty chatter sounds a seated player can send to the table. Sound n
// is stored as "wave" + n; its caption is what the menu shows and what a
// table without chatter sounds prints instead.
namespace velmora::chatter {

inline constexpr int Count = 20;

// 0 is the menu's "<Cancel>", 1..Count the sounds; nothing otherwise.
QString caption(int number);
// "wave" + number.
QByteArray soundName(int number);
// The number of a sound name from the wire, in any letter case ("WAVE7" is
// 7); nothing for anything that is not one of the twenty.
std::optional<int> numberOf(const QString &name);

} // namespace velmora::chatter
