#pragma once

#include <QFont>
#include <QString>

namespace velmora {

// The typefaces the program draws with, by name. Each comes from a Debian
// package that the build script installs (and the package depends on), so
// the cards and texts look the same on every machine; none is chosen from
// whatever else happens to be installed.
namespace faces {
// The windows' texts. Liberation Sans (fonts-liberation2) is metric
// compatible with it and stands in for it through fontconfig.
inline QString text() { return QStringLiteral("Arial"); }
// The card ranks and suit signs (fonts-dejavu-core).
inline QString card() { return QStringLiteral("DejaVu Sans"); }
// The title lettering of the about box (fonts-dejavu-core).
inline QString title() { return QStringLiteral("DejaVu Serif"); }

// A font of `family` that never falls back silently to a similar face.
QFont named(const QString &family);

// Empty when every face above resolves to the font it was made for;
// otherwise one line per face that does not, saying what would change.
QString missing();
} // namespace faces

} // namespace velmora
