// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/metadata/pictureproperties.h"

#include "imaging/metadata/exifproperties.h"
#include "imaging/reading/picturesource.h"

#include <QImageReader>

#include <lcms2.h>

namespace tovik {

namespace {
// Bits a channel of the form the reader decodes to.
int depthOf(QImage::Format format) {
    switch (format) {
    case QImage::Format_Invalid:
        return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_RGBA64:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBX16FPx4:
        return 16;
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBX32FPx4:
        return 32;
    default:
        return 8;
    }
}

void add(QByteArray& lines, const char* key, const QByteArray& value) {
    if (!value.isEmpty())
        lines += QByteArray(key) + '\t' + value + '\n';
}
} // namespace

QByteArray profileDescription(const QByteArray& icc) {
    cmsHPROFILE profile = icc.isEmpty()
                              ? nullptr
                              : cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (!profile)
        return {};
    char text[256] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    cmsCloseProfile(profile);
    return QByteArray(text).simplified().replace('\t', ' ');
}

namespace {
ExifReader exifReader = nullptr; // set before main, read only after
} // namespace

void registerExifReader(ExifReader reader) {
    exifReader = reader;
}

QByteArray propertiesOf(PictureSource& source) {
    const ByteView bytes(source.bytes().constData(), size_t(source.bytes().size()));
    const ExifFacts exif = exifReader ? exifReader(bytes) : ExifFacts();
    QByteArray lines;
    QImageReader& reader = source.reader();
    add(lines, "Format", source.format.toUpper());
    const QSize size = source.claimed; // a picture too large to show still has its size
    const bool sideways = turnsSideways(source);
    if (size.isValid() && !size.isEmpty()) {
        add(lines, "Width", QByteArray::number(sideways ? size.height() : size.width()));
        add(lines, "Height", QByteArray::number(sideways ? size.width() : size.height()));
    }
    if (const int depth = depthOf(reader.imageFormat()))
        add(lines, "Depth", QByteArray::number(depth));
    QByteArray icc = source.format == "jpeg" ? source.jpegColours().icc : QByteArray();
    if (icc.isEmpty())
        icc = exif.icc;
    const QByteArray description = profileDescription(icc);
    add(lines, "Profile",
        description.isEmpty() && !icc.isEmpty() ? "a profile without a name" : description);
    return lines + exif.lines;
}

} // namespace tovik
