#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmora {

// Decodes baseline and progressive JPEG data with libjpeg's decompressor into
// a QImage. Qt's own image plugins could read JPEG too, but a JPEG plugin is
// an optional part of a Qt installation; linking libjpeg ourselves makes the
// picture independent of which plugins are deployed.
//
// Data is treated as untrusted: any error libjpeg raises, including the
// warnings it gives for corrupt or truncated data, ends the decoding with a
// null image and libjpeg's message, never with an exit or a half-grey
// picture. Pictures above MaxPixels are refused before any pixel memory is
// allocated.
class JpegImage
{
public:
    static constexpr qint64 MaxPixels = 64LL * 1024 * 1024;

    // The picture as RGB888, or a null image with the reason in `error`.
    static QImage decode(const QByteArray &data, QString *error = nullptr);
    // Reads a file (resource paths such as ":/lobby/lobby.jpg" work too).
    static QImage load(const QString &path, QString *error = nullptr);
};

} // namespace velmora
