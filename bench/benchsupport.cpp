// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "benchsupport.h"

#include <QFile>

#include <turbojpeg.h>

#include <cstdio>
#include <random>
#include <vector>

namespace tovik::bench {

namespace {
qint64 statusField(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong() *
                   1024;
    return 0;
}
} // namespace

qint64 peakResidentBytes() {
    return statusField("VmHWM:");
}
qint64 residentBytes() {
    return statusField("VmRSS:");
}

QByteArray makePhotoJpeg(int width, int height, int quality) {
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    std::mt19937 noise(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
            const int n = int(noise() % 24);
            p[0] = (unsigned char)((x * 255 / width + n) & 0xff);
            p[1] = (unsigned char)((y * 255 / height + n) & 0xff);
            p[2] = (unsigned char)(((x + y) / 16 % 2 ? 200 : 60) + n / 2);
        }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_420, quality, 0);
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

void printRatio(const char* what, double ours, double reference, const char* unit) {
    std::printf("%-52s %8.1f %s   reference %10.1f %s   ratio %.2f\n", what, ours, unit, reference,
                unit, reference > 0 ? ours / reference : 0.0);
}

} // namespace tovik::bench
