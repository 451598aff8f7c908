#include "jpegimage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace velmora {

namespace {

// libjpeg reports a fatal error by calling error_exit, which by default
// ends the process. Ours jumps back into runDecoder instead. The jump only
// crosses libjpeg's C frames and runDecoder's own body, which holds nothing
// with a destructor; every C++ object lives in the Job owned by the caller.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct Job
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
};

[[noreturn]] void errorExit(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (level -1) mean corrupt data that libjpeg would paper over, such
// as a file cut short; trace messages (level >= 0) are ignored.
void emitMessage(j_common_ptr info, int level)
{
    if (level < 0)
        errorExit(info);
}

bool runDecoder(Job &job, const unsigned char *data, unsigned long size)
{
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    jpeg_create_decompress(&job.info);
    jpeg_mem_src(&job.info, data, size);
    jpeg_read_header(&job.info, TRUE);
    job.info.out_color_space = JCS_RGB; // grey pictures are widened to RGB
    if (qint64(job.info.image_width) * job.info.image_height > JpegImage::MaxPixels) {
        std::snprintf(job.errors.message, sizeof job.errors.message, "Picture too large");
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    jpeg_start_decompress(&job.info);
    if (job.info.output_components != 3) {
        std::snprintf(job.errors.message, sizeof job.errors.message, "Unsupported colour format");
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    job.image =
        QImage(int(job.info.output_width), int(job.info.output_height), QImage::Format_RGB888);
    if (job.image.isNull()) {
        std::snprintf(job.errors.message, sizeof job.errors.message, "Out of memory");
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    while (job.info.output_scanline < job.info.output_height) {
        JSAMPROW row = job.image.scanLine(int(job.info.output_scanline));
        jpeg_read_scanlines(&job.info, &row, 1);
    }
    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return true;
}

} // namespace

QImage JpegImage::decode(const QByteArray &data, QString *error)
{
    Job job;
    job.info.err = jpeg_std_error(&job.errors.pub);
    job.errors.pub.error_exit = errorExit;
    job.errors.pub.emit_message = emitMessage;
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("Empty JPEG data");
        return {};
    }
    const bool ok = runDecoder(job, reinterpret_cast<const unsigned char *>(data.constData()),
                               static_cast<unsigned long>(data.size()));
    if (!ok) {
        if (error)
            *error = QString::fromLocal8Bit(job.errors.message);
        return {};
    }
    if (error)
        error->clear();
    return job.image;
}

QImage JpegImage::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return decode(file.readAll(), error);
}

} // namespace velmora
