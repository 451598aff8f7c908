#pragma once

#include <QImage>
#include <QList>

namespace velmora {

constexpr int SmileyCount = 18;

// The eighteen smiley pictures (0..17) shown in chat lines and on the
// smiley button. They are drawn once, at first use, rather than shipped as
// artwork, at the present pixel ratio.
const QList<QImage> &smileyPictures();
// One of them (a null picture outside 0..17), drawn without the others.
const QImage &smileyPicture(int index);

} // namespace velmora
