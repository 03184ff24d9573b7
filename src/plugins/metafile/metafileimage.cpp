// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/metafile/metafileimage.h"

#include "plugins/metafile/metafilerender.h"

#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>

#include <algorithm>
#include <cstdlib>

#include <zlib.h>

namespace tovik {

namespace {
const unsigned char* bytes(const QByteArray& data) {
    return reinterpret_cast<const unsigned char*>(data.constData());
}

QImage wmfImage(const QByteArray& data) {
    std::vector<unsigned char> png;
    metafile::Drawn drawn;
    if (!metafile::renderWmf(bytes(data), std::size_t(data.size()), png, drawn))
        return {};
    const QImage large =
        QImage::fromData(png.data(), int(png.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
    if (large.width() != int(drawn.width * drawn.factor) ||
        large.height() != int(drawn.height * drawn.factor) ||
        large.bytesPerLine() != large.width() * 4)
        return {};
    std::vector<std::uint32_t> argb;
    metafile::reduce(reinterpret_cast<const std::uint32_t*>(large.constBits()), drawn, argb);
    return QImage(reinterpret_cast<const uchar*>(argb.data()), int(drawn.width), int(drawn.height),
                  QImage::Format_ARGB32)
        .copy(); // the pixels outlive argb
}

// A gzipped SVG inflated, or nothing when it inflates beyond MaxMetafileBytes: a megabyte of
// SVGZ may hold a gigabyte, which Qt SVG would inflate whole.
QByteArray inflated(const QByteArray& data) {
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK) // 16: the gzip wrapper
        return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    QByteArray out(qsizetype(1) << 20, Qt::Uninitialized);
    int status = Z_OK;
    while (status == Z_OK) {
        if (z.total_out == uLong(out.size())) {
            if (out.size() >= MaxMetafileBytes)
                break;
            out.resize(std::min<qsizetype>(out.size() * 2, MaxMetafileBytes));
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data() + z.total_out);
        z.avail_out = uInt(out.size() - qsizetype(z.total_out));
        status = inflate(&z, Z_NO_FLUSH);
    }
    out.resize(qsizetype(z.total_out));
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

// Draws an SVG document (or a gzipped one) at its own size, within MaxSide.
QImage svgImage(const QByteArray& data, QSize size = {}) {
    const QByteArray document = data.startsWith("\x1f\x8b") ? inflated(data) : data;
    QSvgRenderer renderer(document);
    if (!renderer.isValid())
        return {};
    if (size.isEmpty()) {
        double width = renderer.defaultSize().width(), height = renderer.defaultSize().height();
        metafile::fitWithinMaxSide(width, height);
        size = QSize(std::max(1, qRound(width)), std::max(1, qRound(height)));
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QImage emfImage(const QByteArray& data) {
    int width = 0, height = 0;
    if (!metafile::emfSize(bytes(data), std::size_t(data.size()), width, height) ||
        !metafile::emfWithinBudget(bytes(data), std::size_t(data.size())))
        return {};
    generatorOptions options{};
    options.nameSpace = const_cast<char*>("svg");
    options.svgDelimiter = true;
    options.imgWidth = width;
    options.imgHeight = height;
    char* svg = nullptr;
    std::size_t svgLength = 0;
    QByteArray input = data; // the converter takes a non-const buffer
    const int ok = emf2svg(input.data(), std::size_t(input.size()), &svg, &svgLength, &options);
    const QByteArray document = ok && svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    std::free(svg);
    return svgImage(document, QSize(width, height));
}
} // namespace

QImage renderMetafile(const QByteArray& data) {
    const auto* p = bytes(data);
    const auto size = std::size_t(data.size());
    if (metafile::looksLikeEmf(p, size))
        return emfImage(data);
    if (metafile::looksLikeWmf(p, size))
        return wmfImage(data);
    return svgImage(data);
}

} // namespace tovik
