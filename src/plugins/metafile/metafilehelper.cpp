// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/metafile/metafileanswer.h"
#include "plugins/metafile/metafileimage.h"

#include "core/bytes.h"
#include "plugins/metafile/metafilerender.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstring>

#include <algorithm>

namespace tovik {

namespace {
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
constexpr qint64 MostAnswerBytes =
    MetafileHeaderBytes + qint64(metafile::MaxSide) * metafile::MaxSide * 4;

QImage fromHelper(const QByteArray& out) {
    if (out.size() < MetafileHeaderBytes || !out.startsWith(MetafileMagic))
        return {};
    const ByteView header(out.constData(), MetafileHeaderBytes);
    const quint32 width = header.le32(4), height = header.le32(8);
    const quint32 most = metafile::MaxSide;
    if (width == 0 || height == 0 || width > most || height > most ||
        out.size() != MetafileHeaderBytes + qsizetype(width) * height * 4)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y),
                    out.constData() + MetafileHeaderBytes + qsizetype(y) * width * 4, width * 4);
    return image;
}

// The helper's answer as it comes, never more than the largest a drawing can be, within the
// time limit; empty when the helper says more, takes longer or does not end well.
QByteArray answerOf(QProcess& process) {
    QDeadlineTimer deadline(metafileTimeLimitMs());
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
    if (!process.waitForStarted(metafileTimeLimitMs()))
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

} // namespace tovik
