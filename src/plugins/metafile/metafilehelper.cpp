// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/metafile/metafileimage.h"
#include "sandbox/sandbox.h"

#include "core/bytes.h"
#include "plugins/metafile/metafilerender.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QtEndian>

#include <cstdio>
#include <cstring>

#include <algorithm>
#include <csignal>

#include <sys/resource.h>

namespace tovik {

namespace {
// The drawing goes back as "TVKM", width and height (32-bit little-endian) and the pixels,
// premultiplied ARGB, row after row.
constexpr char Magic[] = "TVKM";
constexpr qsizetype HeaderBytes = 12;

QString helperPath() {
    const QString named = qEnvironmentVariable("TOVIK_METAFILE_HELPER");
    if (!named.isEmpty())
        return named;
    const QString here = QCoreApplication::applicationDirPath();
    // Beside the viewer in a build folder; in the package's private folder once installed.
    for (const QString& candidate : {here + QStringLiteral("/tovik-metafile"),
                                     here + QStringLiteral("/../lib/tovik-viewer/tovik-metafile")})
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    return {};
}

// The largest answer a helper may give: a drawing is never larger than MaxSide on either side.
constexpr qint64 MostAnswerBytes = HeaderBytes + qint64(metafile::MaxSide) * metafile::MaxSide * 4;

QImage fromHelper(const QByteArray& out) {
    if (out.size() < HeaderBytes || !out.startsWith(Magic))
        return {};
    const ByteView header(out.constData(), HeaderBytes);
    const quint32 width = header.le32(4), height = header.le32(8);
    const quint32 most = metafile::MaxSide;
    if (width == 0 || height == 0 || width > most || height > most ||
        out.size() != HeaderBytes + qsizetype(width) * height * 4)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), out.constData() + HeaderBytes + qsizetype(y) * width * 4,
                    width * 4);
    return image;
}

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

// How long the viewer waits for a drawing; a sanitizer build may be given longer.
int timeLimitMs() {
    bool ok = false;
    const int named = qEnvironmentVariableIntValue("TOVIK_METAFILE_TIME_LIMIT_MS", &ok);
    return ok && named > 0 ? named : MetafileTimeLimitMs;
}

void limitThisProcess() {
    const auto limit = [](int resource, rlim_t value) {
        rlimit r{value, value};
        setrlimit(resource, &r);
    };
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, rlim_t(timeLimitMs() / 1000 + 2)); // the viewer stops waiting sooner
#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves far more address space than it uses
    limit(RLIMIT_AS, rlim_t(MetafileMemoryLimitBytes + (qint64(512) << 20)));
#endif
}

// The helper's answer as it comes, never more than the largest a drawing can be, within the
// time limit; empty when the helper says more, takes longer or does not end well.
QByteArray answerOf(QProcess& process) {
    QDeadlineTimer deadline(timeLimitMs());
    QByteArray answer;
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        answer +=
            process.read(std::min(process.bytesAvailable(), MostAnswerBytes + 1 - answer.size()));
        if (answer.size() > MostAnswerBytes)
            return {};
    }
    if (process.state() != QProcess::NotRunning)
        return {}; // an endless drawing is no picture
    answer += process.read(std::min(process.bytesAvailable(), MostAnswerBytes + 1 - answer.size()));
    if (answer.size() > MostAnswerBytes || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return answer;
}
} // namespace

QImage renderMetafileOutside(const QByteArray& data) {
    if (data.size() > MaxMetafileBytes)
        return {};
    const QString helper = helperPath();
    if (helper.isEmpty()) {
        qWarning("tovik: the metafile helper tovik-metafile was not found");
        return {};
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(helper, {});
    if (!process.waitForStarted(timeLimitMs()))
        return {};
    process.write(data);
    process.closeWriteChannel();
    const QByteArray answer = answerOf(process);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
    }
    return fromHelper(answer);
}

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
    QByteArray header(Magic, 4);
    header.resize(HeaderBytes);
    qToLittleEndian<quint32>(quint32(drawn.width()), header.data() + 4);
    qToLittleEndian<quint32>(quint32(drawn.height()), header.data() + 8);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(header) != HeaderBytes)
        return 2;
    for (int y = 0; y < drawn.height(); ++y) {
        const qint64 row = qint64(drawn.width()) * 4;
        if (out.write(reinterpret_cast<const char*>(drawn.constScanLine(y)), row) != row)
            return 2;
    }
    return out.flush() ? 0 : 2;
}

} // namespace tovik
