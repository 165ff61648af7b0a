// JPEG encoding of a picture through libjpeg-turbo.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The JPEG bytes of `image` at `quality` (1-100, clamped), baseline, 4:2:0,
// with the image's resolution in the JFIF header. False with *error set when
// the image is empty or the library reports a failure.
bool EncodeJpeg(const QImage& image, int quality, QByteArray* out, QString* error = nullptr);
