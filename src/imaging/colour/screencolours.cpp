// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/colour/screencolours.h"

#include "plugins/profiles.h"

#include <QColorSpace>
#include <QGuiApplication>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

#include <xcb/xcb.h>

namespace tovik {

namespace {
struct Screen {
    QByteArray icc;                       // empty for sRGB
    QColorSpace space{QColorSpace::SRgb}; // invalid when only lcms2 reads the screen's profile
};

Screen& screen() {
    static Screen s;
    return s;
}

struct ProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;
struct TransformDelete {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

Profile profileOf(const QByteArray& icc) {
    if (icc.isEmpty() || icc.size() > MaxProfileBytes)
        return nullptr;
    return Profile(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
}

Profile screenProfile() {
    return screen().icc.isEmpty() ? Profile(cmsCreate_sRGBProfile()) : profileOf(screen().icc);
}

// RGB32 and ARGB32 hold B, G, R, A in memory; a gray picture made RGB32 has equal channels, and
// lcms2 reads the first of each four as its gray.
constexpr cmsUInt32Number GrayInBgra =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

// Converts rows [top, bottom) with convert, a band on each core for large pictures.
template <typename Convert> void inBands(int rows, Convert convert) {
    const int count = rows >= 256 ? std::max(1, QThread::idealThreadCount()) : 1;
    if (count == 1)
        return convert(0, rows);
    QList<int> bands(count);
    std::iota(bands.begin(), bands.end(), 0);
    QtConcurrent::blockingMap(bands,
                              [&](int i) { convert(rows * i / count, rows * (i + 1) / count); });
}

// In place: each band's memory is the picture's.
BandConversion qtBands(const QColorSpace& from, const QColorSpace& to, QImage::Format format) {
    return [from, to, format](uchar* rows, int width, int count, qsizetype stride) {
        QImage band(rows, width, count, stride, format);
        band.setColorSpace(from);
        band.convertToColorSpace(to);
    };
}

void qtConvert(QImage& image, const QColorSpace& from, const QColorSpace& to) {
    if (image.depth() != 32) {
        image.convertToColorSpace(to);
        return;
    }
    const BandConversion convert = qtBands(from, to, image.format());
    uchar* bits = image.bits(); // detached here, once, before the bands share it
    inBands(image.height(), [&](int top, int bottom) {
        convert(bits + qsizetype(top) * image.bytesPerLine(), image.width(), bottom - top,
                image.bytesPerLine());
    });
    image.setColorSpace(to);
}

Transform transformTo(cmsHPROFILE from, cmsUInt32Number fromFormat) {
    const Profile to = screenProfile();
    if (!from || !to)
        return nullptr;
    // No cache: the bands share the transform.
    return Transform(cmsCreateTransform(from, fromFormat, to.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                        cmsFLAGS_NOCACHE));
}

bool lcmsConvert(QImage& image, const QByteArray& icc) {
    const Profile from = profileOf(icc);
    if (!from)
        return false;
    const cmsColorSpaceSignature space = cmsGetColorSpace(from.get());
    if (space != cmsSigRgbData && space != cmsSigGrayData)
        return false;
    const Transform transform =
        transformTo(from.get(), space == cmsSigRgbData ? TYPE_BGRA_8 : GrayInBgra);
    if (!transform)
        return false;
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    uchar* bits = image.bits();
    const auto stride = cmsUInt32Number(image.bytesPerLine());
    inBands(image.height(), [&](int top, int bottom) {
        uchar* rows = bits + qsizetype(top) * stride;
        cmsDoTransformLineStride(transform.get(), rows, rows, cmsUInt32Number(image.width()),
                                 cmsUInt32Number(bottom - top), stride, stride, 0, 0);
    });
    image.setColorSpace(screen().space);
    return true;
}
} // namespace

BandConversion screenConversion(const QColorSpace& from, QImage::Format format) {
    if (!from.isValid() || from == screen().space ||
        QImage::toPixelFormat(format).bitsPerPixel() != 32)
        return {};
    if (screen().space.isValid())
        return qtBands(from, screen().space, format);
    const Profile profile = profileOf(from.iccProfile());
    std::shared_ptr<void> transform(transformTo(profile.get(), TYPE_BGRA_8).release(),
                                    TransformDelete());
    if (!transform)
        return {};
    return [transform](uchar* rows, int width, int count, qsizetype stride) {
        cmsDoTransformLineStride(transform.get(), rows, rows, cmsUInt32Number(width),
                                 cmsUInt32Number(count), cmsUInt32Number(stride),
                                 cmsUInt32Number(stride), 0, 0);
    };
}

void setScreenProfile(const QByteArray& icc) {
    const Profile readable = profileOf(icc);
    if (!readable || cmsGetColorSpace(readable.get()) != cmsSigRgbData) {
        screen() = Screen{};
        return;
    }
    const QColorSpace space = QColorSpace::fromIccProfile(icc);
    screen() = Screen{space == QColorSpace(QColorSpace::SRgb) ? QByteArray() : icc, space};
}

QByteArray screenProfile() {
    return screen().icc;
}

void toScreenColours(QImage& image) {
    const QByteArray unread = takeUnreadProfile(image);
    const QColorSpace from = image.colorSpace();
    if (image.isNull())
        return;
    if (!from.isValid()) {
        if (!unread.isEmpty())
            lcmsConvert(image, unread);
        return;
    }
    if (from == screen().space)
        return;
    if (screen().space.isValid())
        qtConvert(image, from, screen().space);
    else
        lcmsConvert(image, from.iccProfile());
}

bool cmykToScreen(QImage& image, bool adobe, const QByteArray& icc) {
    const Profile from = profileOf(icc);
    if (!from || cmsGetColorSpace(from.get()) != cmsSigCmykData)
        return false;
    // Adobe's encoders write the inks inverted: 0 is full ink.
    const Transform transform = transformTo(from.get(), adobe ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
    if (!transform)
        return false;
    const int width = image.width();
    // Each row is converted from a copy of its inks into its own place: the picture is the only
    // one of its size, and the fourth byte of each pixel, lcms2's to leave, is made opaque.
    inBands(image.height(), [&](int top, int bottom) {
        std::vector<uchar> inks(size_t(width) * 4);
        for (int y = top; y < bottom; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::memcpy(inks.data(), row, inks.size());
            cmsDoTransform(transform.get(), inks.data(), row, cmsUInt32Number(width));
            for (int x = 0; x < width; ++x)
                row[x] |= 0xff000000u;
        }
    });
    image.setColorSpace(screen().space);
    return true;
}

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

xcb_atom_t atomNamed(xcb_connection_t* connection, const QByteArray& name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()),
            nullptr),
        free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
} // namespace

QByteArray displayProfile() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    const xcb_screen_t* root =
        connection ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data : nullptr;
    const xcb_atom_t atom =
        root ? atomNamed(connection, "_ICC_PROFILE") : xcb_atom_t(XCB_ATOM_NONE);
    if (atom == XCB_ATOM_NONE)
        return {};
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root->root, atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0,
                                                uint32_t(MaxProfileBytes / 4)),
                               nullptr),
        free);
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace tovik
