// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/metadata/exifproperties.h"

#include <QString>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <memory>
#include <optional>

namespace tovik {

namespace {
using Exif = Exiv2::ExifData;

// The file opened by Exiv2 from memory, its metadata read; null when it cannot be.
std::unique_ptr<Exiv2::Image> opened(const ByteView& file) {
    static const bool quiet = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(true); // HEIF, AVIF and JPEG XL keep their EXIF in boxes
        return true;
    }();
    (void)quiet;
    try {
        std::unique_ptr<Exiv2::Image> image(
            Exiv2::ImageFactory::open(static_cast<const Exiv2::byte*>(file.data()),
                                      long(file.size()))
                .release());
        if (image)
            image->readMetadata();
        return image;
    } catch (...) {
        return nullptr; // a file Exiv2 refuses says nothing
    }
}

const Exiv2::Exifdatum* find(const Exif& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() || it->count() == 0 ? nullptr : &*it;
}

QString text(const Exif& exif, const char* key) {
    const Exiv2::Exifdatum* d = find(exif, key);
    return d ? QString::fromStdString(d->toString()).trimmed() : QString();
}

// A rational's value, when it is one and sound.
std::optional<double> number(const Exif& exif, const char* key, long index = 0) {
    const Exiv2::Exifdatum* d = find(exif, key);
    if (!d || index >= d->count())
        return std::nullopt;
    const Exiv2::Rational r = d->toRational(index);
    if (r.second == 0 || !std::isfinite(double(r.first) / r.second))
        return std::nullopt;
    return double(r.first) / r.second;
}

QString exposure(const Exif& exif) {
    const std::optional<double> seconds = number(exif, "Exif.Photo.ExposureTime");
    if (!seconds || *seconds <= 0 || *seconds > 1e5)
        return {};
    if (*seconds < 1)
        return QStringLiteral("1/%1 s").arg(std::lround(1 / *seconds));
    return QStringLiteral("%1 s").arg(*seconds, 0, 'g', 3);
}

QString aperture(const Exif& exif) {
    const std::optional<double> f = number(exif, "Exif.Photo.FNumber");
    return f && *f > 0 && *f < 1000 ? QStringLiteral("f/%1").arg(*f, 0, 'g', 3) : QString();
}

QString millimetres(std::optional<double> length) {
    return length && *length > 0 && *length < 1e5 ? QStringLiteral("%1 mm").arg(*length, 0, 'g', 4)
                                                  : QString();
}

// Exiv2's own words for a coded value ("Fired", "Aperture priority").
QString printed(const Exif& exif, const char* key) {
    const Exiv2::Exifdatum* d = find(exif, key);
    return d ? QString::fromStdString(d->print(&exif)).trimmed() : QString();
}

// "2024:05:17 14:03:00" as "2024-05-17 14:03:00".
QString taken(const Exif& exif) {
    QString when = text(exif, "Exif.Photo.DateTimeOriginal");
    if (when.isEmpty())
        when = text(exif, "Exif.Image.DateTime");
    if (when.size() < 10 || when.at(4) != ':' || when.at(7) != ':')
        return {};
    when[4] = when[7] = QLatin1Char('-');
    return when;
}

// Degrees from degrees, minutes and seconds, negative to the south or west.
std::optional<double> coordinate(const Exif& exif, const char* key, const char* refKey,
                                 char negative, double most) {
    double degrees = 0;
    for (long i = 0, scale = 1; i < 3; ++i, scale *= 60) {
        const std::optional<double> part = number(exif, key, i);
        if (!part || *part < 0)
            return std::nullopt;
        degrees += *part / double(scale);
    }
    if (degrees > most)
        return std::nullopt;
    return text(exif, refKey).startsWith(QLatin1Char(negative)) ? -degrees : degrees;
}

void add(QByteArray& lines, const char* key, const QString& value) {
    QString clean = value;
    clean.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), ' ');
    if (!clean.isEmpty())
        lines += QByteArray(key) + '\t' + clean.left(200).toUtf8() + '\n';
}

void addPlace(QByteArray& lines, const Exif& exif) {
    const auto latitude =
        coordinate(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'S', 90);
    const auto longitude =
        coordinate(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'W', 180);
    if (!latitude || !longitude)
        return;
    add(lines, "Latitude", QString::number(*latitude, 'f', 6));
    add(lines, "Longitude", QString::number(*longitude, 'f', 6));
}
} // namespace

ExifFacts exifProperties(const ByteView& file) {
    const std::unique_ptr<Exiv2::Image> image = opened(file);
    ExifFacts facts;
    if (!image)
        return facts;
    try {
        const Exif& exif = image->exifData();
        QByteArray& lines = facts.lines;
        add(lines, "Make", text(exif, "Exif.Image.Make"));
        add(lines, "Model", text(exif, "Exif.Image.Model"));
        add(lines, "Lens", text(exif, "Exif.Photo.LensModel"));
        add(lines, "Exposure", exposure(exif));
        add(lines, "Aperture", aperture(exif));
        add(lines, "ISO", text(exif, "Exif.Photo.ISOSpeedRatings").section(' ', 0, 0));
        add(lines, "Focal", millimetres(number(exif, "Exif.Photo.FocalLength")));
        const Exiv2::Exifdatum* focal35 = find(exif, "Exif.Photo.FocalLengthIn35mmFilm");
        if (focal35 && focal35->toLong() > 0)
            add(lines, "Focal35", millimetres(double(focal35->toLong())));
        add(lines, "Flash", printed(exif, "Exif.Photo.Flash"));
        add(lines, "Program", printed(exif, "Exif.Photo.ExposureProgram"));
        add(lines, "Taken", taken(exif));
        addPlace(lines, exif);
        if (image->iccProfileDefined())
            facts.icc = QByteArray(reinterpret_cast<const char*>(image->iccProfile()->pData_),
                                   int(image->iccProfile()->size_));
    } catch (...) {
        // The fields read so far stand.
    }
    return facts;
}

} // namespace tovik
