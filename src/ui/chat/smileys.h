#pragma once

#include <QImage>
#include <QList>

namespace velmora {

// The eighteen smiley pictures (0..17) shown in chat lines and on the
// smiley button. They are drawn once, at first use, rather than shipped as
// artwork, at the present pixel ratio.
const QList<QImage> &smileyPictures();

} // namespace velmora
