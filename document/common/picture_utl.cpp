/** @file picture_utl.cpp ** Picture decoding for the image preview. **/
#include "document/common/picture_utl.h"

#include <QFile>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler exits the process; ours returns to the decoder instead. Only
// libjpeg's own C frames lie between setjmp and longjmp, so no destructor is skipped.
extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

extern "C" void jpegSilence(j_common_ptr, int) { }

bool decodeInto(const QByteArray& data, QImage& image, QString& error)
{
    jpeg_decompress_struct cinfo;
    JpegError jerr;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = jpegErrorExit;
    jerr.pub.emit_message = jpegSilence;
    jerr.message[0] = '\0';
    // Everything the jump may revisit lives outside this frame's locals that change after it.
    QImage* out = &image;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_decompress(&cinfo);
        error = QString::fromLatin1(jerr.message);
        *out = QImage();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&cinfo);
    *out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGBX8888);
    if (out->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        error = QStringLiteral("The picture is too large.");
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool looksLikeJpeg(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(3);
    return head.size() == 3 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8
        && uchar(head[2]) == 0xFF;
}

} // namespace

bool isPictureFileName(const QString& fileName)
{
    static const QStringList extensions { QStringLiteral(".gif"), QStringLiteral(".jpg"),
        QStringLiteral(".jpeg"), QStringLiteral(".bmp"), QStringLiteral(".png") };
    for (const QString& extension : extensions)
        if (fileName.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

QImage decodeJpeg(const QString& fileName, QString* error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return QImage();
    }
    const QByteArray data = f.readAll();
    QImage image;
    QString message;
    if (!decodeInto(data, image, message) && error)
        *error = message;
    return image;
}

QImage loadPicture(const QString& fileName, QString* error, bool* isAnimatedGif)
{
    if (isAnimatedGif)
        *isAnimatedGif = false;
    const QString lower = fileName.toLower();
    if (looksLikeJpeg(fileName) || lower.endsWith(QLatin1String(".jpg"))
        || lower.endsWith(QLatin1String(".jpeg")))
        return decodeJpeg(fileName, error);
    QImageReader reader(fileName);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return image;
    }
    if (isAnimatedGif)
        *isAnimatedGif = reader.format() == "gif" && reader.supportsAnimation()
            && reader.imageCount() > 1;
    return image;
}
