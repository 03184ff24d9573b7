// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Hostile pictures against their budgets: how long the loader takes to answer each class of
// file that costs a decoder far more than it shows (refused, or drawn smaller), against loading
// a small file of the same format (a 2048 x 2048 progressive JPEG), measured in the same run. Every
// answer should come within about 2 s. Metafiles are drawn in the helper, whose memory its own
// limit bounds. Run from the build folder, or with TOVIK_METAFILE_HELPER naming tovik-metafile.

#include "benchsupport.h"
#include "imaging/pictures.h"
#include "imaging/startup.h"
#include "support/hostilefiles.h"
#include "support/modernfiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace tovik;
using namespace tovik::bench;
using namespace tovik::test;

namespace {
struct Case {
    const char* what;
    QByteArray hostile;
    QByteArray honest;
};

QString write(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

const char* answer(const PictureLoad& load) {
    switch (load.error) {
    case PictureError::None:
        return "shown";
    case PictureError::TooLarge:
        return "refused: too large";
    case PictureError::NotAPicture:
        return "refused: no picture";
    case PictureError::Missing:
    case PictureError::NoRoom:
        break;
    }
    return "missing";
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    useDecodingHelper();
    if (qEnvironmentVariableIsEmpty("TOVIK_METAFILE_HELPER"))
        qputenv("TOVIK_METAFILE_HELPER",
                QFile::encodeName(QCoreApplication::applicationDirPath() + "/../tovik-metafile"));
    QImage photo(8192, 8192, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    QImage small(2048, 2048, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    QByteArray smallPng;
    {
        QBuffer buffer(&smallPng);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "PNG");
    }
    // The encoders of today's formats run here too: a smaller honest picture keeps them light.
    const QImage modest = small.scaled(512, 512);
    const QByteArray tenMegapixels = makePhotoJpeg(3872, 2592, 85);
    const QByteArray honestWmf = wmfFile(2400, 1800, 1200, wmfFilledBox(2400, 1800));
    const Case cases[] = {
        {"WMF, 16383-unit box", wmfFile(16383, 16383, 56, wmfFilledBox(16383, 16383)), honestWmf},
        {"WMF, flood fill on 16000 x 16000",
         wmfFile(16000, 16000, 96, wmfFilledBox(16000, 16000) + wmfFloodFill(16000, 16000)),
         honestWmf},
        {"WMF, 100 000 SaveDC", wmfFile(2400, 1800, 1200, wmfRecord(0x001E).repeated(100000)),
         honestWmf},
        {"WMF, maze with flood fill", wmfFile(2500, 2500, 96, wmfMaze(2500)), honestWmf},
        {"ICO, 16000 x 16000 PNG inside", iconWithPng(16000, 16000), iconWithPng(256, 256)},
        {"GIF, 65535 x 65535 frame", gifWithLargeFrame(65535, 65535), gifWithLargeFrame(64, 64)},
        {"JPEG, 8192 x 8192, 3000 scans", progressiveJpeg(photo, 3000), progressiveJpeg(small)},
        {"JPEG, CMYK progressive 16000^2", progressiveJpegHeader(16000, 16000, 4),
         progressiveJpeg(small)},
        {"PNG, 16-bit 16384 x 16384", pngHeader(16384, 16384, 16), smallPng},
        {"PNG, 2^31 x 2^31", pngHeader(0x80000000u, 0x80000000u, 8), smallPng},
        {"WebP, animated on 16383^2", animatedWebp(16383, 16383), smallPng},
        {"TIFF, one strip of 16000^2", oneStripTiff(16000, 16000), smallPng},
        {"ICO, broken directory", iconWithBrokenDirectory(), iconWithPng(256, 256)},
        {"SVG, <use> doubled 30 deep", svgUseBomb(30), svgUseBomb(3)},
        {"SVGZ, 1 GiB inflated", svgzBomb(qint64(1) << 30), svgzBomb(100000)},
        {"HEIC, 16000^2 claimed",
         withClaimedHeifSize(heifFile(modest, HeifCodec::Hevc), 16000, 16000),
         heifFile(modest, HeifCodec::Hevc)},
        {"HEIC, stream of 35282 x 32709", heicWithHugeStream(), heifFile(modest, HeifCodec::Hevc)},
        {"AVIF, 16000^2 claimed",
         withClaimedHeifSize(heifFile(modest, HeifCodec::Av1), 16000, 16000),
         heifFile(modest, HeifCodec::Av1)},
        {"JPEG XL, 100000^2 canvas", jxlHeader(100000, 100000), jxlFile(modest)},
        {"WebP, animated on 8192^2", animatedWebp(8192, 8192), smallPng},
        {"HEIC, grid of 16000^2 under ispe 64 x 48",
         withGridOutputSize(heifFile(small.scaled(64, 48), HeifCodec::Hevc), 16000, 16000),
         heifFile(modest, HeifCodec::Hevc)},
        {"HEIC, 20000 items over one stream",
         withExtraHeifItems(heifFile(modest, HeifCodec::Hevc), 20000),
         heifFile(modest, HeifCodec::Hevc)},
        {"WebP, frames beyond their canvas", animatedWebpOf({modest, modest}, {0, 0}, {16, 16}),
         smallPng},
        {"HEIC, ispe 4096^2 over 512^2",
         withClaimedHeifSize(heifFile(modest, HeifCodec::Hevc), 4096, 4096),
         heifFile(modest, HeifCodec::Hevc)},
        {"JPEG, 7000 ICC chunks before 10 MP",
         withIccProfile(tenMegapixels, QByteArray(qsizetype(7000) * 65519, '\x42'), 65519),
         tenMegapixels},
    };
    QTemporaryDir folder;
    std::printf("%-34s %-22s %10s %10s %8s\n", "file", "answer", "ours ms", "honest ms", "ratio");
    for (const Case& c : cases) {
        const QString hostile = write(folder, "hostile", c.hostile);
        const QString honest = write(folder, "honest", c.honest);
        const char* said = "";
        const double ours = bestMs(1, [&] { said = answer(loadPicture(hostile)); });
        const double reference = bestMs(1, [&] { loadPicture(honest); });
        std::printf("%-34s %-22s %10.0f %10.0f %8.2f\n", c.what, said, ours, reference,
                    ours / reference);
        std::fflush(stdout);
    }
    std::printf("peak resident memory of the viewer's side: %.0f MB\n",
                double(peakResidentBytes()) / (1 << 20));
    return 0;
}
