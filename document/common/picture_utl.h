/** @file picture_utl.h ** Decodes the pictures the image preview and the wizard's image page
 ** show: JPEG through libjpeg, GIF (animated too), BMP and PNG through Qt. **/
#pragma once

#include <QImage>
#include <QString>

/// Decodes a JPEG file with libjpeg. A null image (and `error` set) when the file is missing
/// or not a JPEG it can read; a damaged file never aborts the program.
QImage decodeJpeg(const QString& fileName, QString* error = nullptr);

/// Whether opening `fileName` shows it in the image preview rather than as text: a name that
/// ends in ".gif", ".jpg", ".jpeg", ".bmp" or ".png", in any case.
bool isPictureFileName(const QString& fileName);

/// Loads a GIF, JPEG (by content or by its ".jpg"/".jpeg" name), BMP or PNG picture. For an
/// animated GIF this is the first frame; `isAnimatedGif` tells the caller to play it.
QImage loadPicture(const QString& fileName, QString* error = nullptr,
                   bool* isAnimatedGif = nullptr);
