// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Writes the hostile classes the budgets stop into the fuzz corpora, so that fuzzing starts from
// them and looks for the next class: fuzz_seeds PICTURE_CORPUS WMF_CORPUS.
#include "support/exiffiles.h"
#include "support/hostilefiles.h"
#include "support/modernfiles.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>

using namespace tovik::test;

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
// Today's formats, honest and lying, and pictures whose colour profiles take each engine's path.
void writeModernSeeds(const QString& pictures, const QImage& small) {
    const QByteArray heic = heifFile(small, HeifCodec::Hevc, 6),
                     avif = heifFile(small, HeifCodec::Av1);
    write(pictures + "/photo.heic", heic);
    write(pictures + "/photo.avif", avif);
    write(pictures + "/deep.heic", heifFile(small, HeifCodec::Hevc, 1, 10));
    write(pictures + "/huge.heic", withClaimedHeifSize(heic, 16000, 16000));
    write(pictures + "/huge.avif", withClaimedHeifSize(avif, 16000, 16000));
    write(pictures + "/photo.jxl", jxlFile(small, JxlColours::DisplayP3, {}, 6));
    write(pictures + "/lossy.jxl", jxlFile(small, JxlColours::SRgb, {}, 1, 1.0f));
    write(pictures + "/huge.jxl", jxlHeader(100000, 100000));
    write(pictures + "/lying.heic", withClaimedHeifSize(heic, 4096, 4096));
    write(pictures + "/items.heic", withExtraHeifItems(heic, 200));
    write(pictures + "/grid.heic", withGridOutputSize(heic, 16000, 16000));
    write(pictures + "/empty.avif", withClaimedHeifSize(avif, 0, 0));
    QByteArray sequence = avif;
    write(pictures + "/sequence.avif", sequence.replace(8, 4, "avis"));
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    small.save(&out, "JPEG");
    write(pictures + "/gray-profile.jpg", withIccProfile(jpeg, linearGrayProfile()));
    write(pictures + "/swapped-profile.jpg", withIccProfile(jpeg, swappedRedAndGreenProfile()));
    write(pictures + "/lab-gray-profile.jpg", withIccProfile(jpeg, labGrayProfile()));
    // More ICC chunks than a profile may hold, gathered no further than the limit.
    write(pictures + "/icc-flood.jpg",
          withIccProfile(jpeg, QByteArray(qsizetype(5) << 20, '\x42'), 65519));
    for (const ExifForm form :
         {ExifForm::Long, ExifForm::CountOfTwo, ExifForm::InIfd1, ExifForm::InSecondApp1})
        write(pictures + QStringLiteral("/orientation-%1.jpg").arg(int(form)),
              withExifOrientation(jpeg, 6, form));
    write(pictures + "/camera.jpg", withExifBlock(jpeg, cameraExif()));
    for (const auto& [name, block] : hostileExifBlocks())
        write(pictures + "/exif-" + QString::fromLatin1(name).replace(' ', '-') + ".jpg",
              withExifBlock(jpeg, block));
    const unsigned char inks[4] = {20, 200, 60, 30};
    write(pictures + "/cmyk-profile.jpg",
          withIccProfile(adobeCmykJpeg(16, 16, inks), simpleCmykProfile(), 100));
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString pictures = QString::fromLocal8Bit(argv[1]), wmf = QString::fromLocal8Bit(argv[2]);
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    write(pictures + "/progressive.jpg", progressiveJpeg(small));
    write(pictures + "/scans.jpg", progressiveJpeg(small, 300));
    write(pictures + "/frame.gif", gifWithLargeFrame(65535, 65535));
    write(pictures + "/png.ico", iconWithPng(16000, 16000));
    write(pictures + "/broken.ico", iconWithBrokenDirectory());
    write(pictures + "/cmyk.jpg", progressiveJpegHeader(16000, 16000, 4));
    write(pictures + "/deep.png", pngHeader(16384, 16384, 16));
    write(pictures + "/overflow.png", pngHeader(0x80000000u, 0x80000000u, 8));
    write(pictures + "/canvas.webp", animatedWebp(16383, 16383));
    write(pictures + "/frames.webp", animatedWebpOf({small, small}, {0, 10}, small.size()));
    write(pictures + "/beyond.webp", animatedWebpOf({small}, {100}, {16, 16}));
    write(pictures + "/strip.tif", oneStripTiff(16000, 16000));
    small.save(pictures + "/rows.png"); // a whole PNG, read row by row
    write(pictures + "/topdown.bmp", topDownBitmap(40, 40));
    write(pictures + "/uses.svg", svgUseBomb(30));
    write(pictures + "/inflates.svgz", svgzBomb(qint64(80) << 20));
    writeModernSeeds(pictures, small);
    write(wmf + "/savedc.wmf", wmfFile(2400, 1800, 1200, wmfRecord(0x001E).repeated(5000)));
    write(wmf + "/box.wmf", wmfFile(16383, 16383, 56, wmfFilledBox(16383, 16383)));
    write(wmf + "/maze.wmf", wmfFile(300, 300, 96, wmfMaze(300)));
    return 0;
}
