// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The metafile helper's side: it draws with the libraries, which only it links.

#include "plugins/metafile/metafileanswer.h"
#include "plugins/metafile/metafileimage.h"
#include "plugins/metafile/metafilerender.h"
#include "sandbox/sandbox.h"

#include <QFile>
#include <QGuiApplication>
#include <QtEndian>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

namespace tovik {

namespace {
// The helper draws a WMF straight into the library's own pixels: a drawing the library never
// frees, which this process, ending right after, can afford. Only an EMF needs the application
// (Qt SVG draws its text with the system's fonts), which takes a while to start.
QImage drawForHelper(const QByteArray& data, int argc, char* argv[]) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    std::vector<std::uint32_t> argb;
    unsigned width = 0, height = 0;
    if (!metafile::looksLikeWmf(p, std::size_t(data.size()))) {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // fonts, never a screen
        QGuiApplication app(argc, argv);
        return renderMetafile(data).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (!metafile::renderWmfPixels(p, std::size_t(data.size()), argb, width, height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(argb.data()), int(width), int(height),
                  QImage::Format_ARGB32)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void limitThisProcess() {
    const auto limit = [](int resource, rlim_t value) {
        rlimit r{value, value};
        setrlimit(resource, &r);
    };
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, rlim_t(metafileTimeLimitMs() / 1000 + 2)); // the viewer stops waiting sooner
#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves far more address space than it uses
    limit(RLIMIT_AS, rlim_t(MetafileMemoryLimitBytes + (qint64(512) << 20)));
#endif
}

} // namespace

int runMetafileHelper(int argc, char* argv[]) {
    limitThisProcess();
    // The libraries open font files as they draw: those may be read, nothing may be written,
    // connected to or started.
    if (!decoder::enterSandbox(MetafileMemoryLimitBytes + (qint64(512) << 20),
                               decoder::Opening::ReadOnly))
        return 3;
    std::signal(SIGPIPE, SIG_IGN); // a viewer that stopped listening is a failed write
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    const QImage drawn = drawForHelper(in.read(MaxMetafileBytes), argc, argv);
    if (drawn.isNull())
        return 1;
    QByteArray header(MetafileMagic, 4);
    header.resize(MetafileHeaderBytes);
    qToLittleEndian<quint32>(quint32(drawn.width()), header.data() + 4);
    qToLittleEndian<quint32>(quint32(drawn.height()), header.data() + 8);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(header) != MetafileHeaderBytes)
        return 2;
    for (int y = 0; y < drawn.height(); ++y) {
        const qint64 row = qint64(drawn.width()) * 4;
        if (out.write(reinterpret_cast<const char*>(drawn.constScanLine(y)), row) != row)
            return 2;
    }
    return out.flush() ? 0 : 2;
}

} // namespace tovik
