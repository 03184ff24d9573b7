#include "support/hostilefiles.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>

namespace tovik::test {

namespace {
// Appends to bytes in the little-endian order of the Windows formats.
struct LeStream : QDataStream {
    explicit LeStream(QByteArray* bytes)
        : QDataStream(bytes, QIODevice::WriteOnly | QIODevice::Append) {
        setByteOrder(QDataStream::LittleEndian);
    }
};

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xffffffffu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk;
    QDataStream out(&chunk, QIODevice::WriteOnly);
    out << quint32(data.size());
    chunk += type + data;
    const quint32 crc = crc32(type + data);
    QDataStream(&chunk, QIODevice::WriteOnly | QIODevice::Append) << crc;
    return chunk;
}

// Where each start-of-scan segment begins, and where the data after the last one ends.
QList<qsizetype> scanStarts(const QByteArray& jpeg) {
    QList<qsizetype> starts;
    for (qsizetype at = 2; at + 1 < jpeg.size();) {
        if (quint8(jpeg[at]) != 0xff) {
            ++at;
            continue;
        }
        const quint8 marker = quint8(jpeg[at + 1]);
        if (marker == 0xda)
            starts << at;
        if (marker == 0x00 || marker == 0xff || (marker >= 0xd0 && marker <= 0xd7)) {
            at += marker == 0xff ? 1 : 2;
        } else if (marker == 0xd9) {
            starts << at; // the end marker closes the last scan
            break;
        } else {
            at += 2 + (quint8(jpeg[at + 2]) << 8 | quint8(jpeg[at + 3]));
        }
    }
    return starts;
}
} // namespace

QByteArray wmfRecord(quint16 function, std::initializer_list<qint16> words) {
    QByteArray record;
    LeStream out(&record);
    out << quint32(3 + words.size()) << function;
    for (const qint16 w : words)
        out << w;
    return record;
}

QByteArray wmfFile(int width, int height, int unitsPerInch, const QByteArray& records) {
    const QByteArray body = records + wmfRecord(0x0000);
    QByteArray placeable;
    LeStream head(&placeable);
    head << quint32(0x9AC6CDD7u) << quint16(0) << qint16(0) << qint16(0) << qint16(width)
         << qint16(height) << quint16(unitsPerInch) << quint32(0);
    quint16 checksum = 0;
    for (qsizetype i = 0; i < placeable.size(); i += 2)
        checksum ^= quint16(quint8(placeable[i]) | quint8(placeable[i + 1]) << 8);
    head << checksum;
    quint32 longest = 0; // in words, as the header says it
    for (qsizetype at = 0; at + 4 <= body.size();) {
        const quint32 words = qFromLittleEndian<quint32>(body.constData() + at);
        longest = std::max(longest, words);
        at += qsizetype(std::max(words, 3u)) * 2;
    }
    QByteArray header;
    LeStream(&header) << quint16(1) << quint16(9) << quint16(0x0300) << quint32(9 + body.size() / 2)
                      << quint16(2) << longest << quint16(0);
    return placeable + header + body;
}

QByteArray wmfFilledBox(int width, int height) {
    return wmfRecord(0x02FC, {0, 0x00ff, 0, 0}) + wmfRecord(0x012D, {0}) + // red brush
           wmfRecord(0x041B, {qint16(height), qint16(width), 0, 0});       // RECTANGLE
}

QByteArray wmfFloodFill(int width, int height) {
    return wmfRecord(0x0548, {0, 0x0000, 0, qint16(height / 2), qint16(width / 2)});
}

QByteArray wmfMaze(int side) {
    // A comb: a spine along one edge with teeth every four units reaching towards the other.
    const auto comb = [side](int firstTooth, qint16 spineY, qint16 tipY) {
        QList<qint16> points;
        for (int x = firstTooth; x < side - 1; x += 4)
            points << qint16(x) << spineY << qint16(x) << tipY << qint16(x) << spineY;
        QByteArray record;
        LeStream out(&record);
        out << quint32(4 + points.size()) << quint16(0x0325) << qint16(points.size() / 2);
        for (const qint16 p : points)
            out << p;
        return record; // POLYLINE
    };
    const qint16 top = 0, bottom = qint16(side - 1);
    return wmfRecord(0x02FA, {0, 1, 0, 0, 0}) + wmfRecord(0x012D, {0}) +   // black pen
           wmfRecord(0x02FC, {0, 0x00ff, 0, 0}) + wmfRecord(0x012D, {1}) + // red brush
           wmfRecord(0x0213, {top, qint16(side - 1)}) +                    // LINETO along the top
           comb(2, top, qint16(side - 3)) + comb(4, bottom, 2) +
           wmfRecord(0x0548, {0, 0, 0, 1, 1}); // EXTFLOODFILL to the black walls, from (1, 1)
}

QByteArray iconWithPng(int width, int height) {
    QByteArray ihdr;
    QDataStream(&ihdr, QIODevice::WriteOnly) << quint32(width) << quint32(height) << quint8(8)
                                             << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
                           pngChunk("IDAT", QByteArray(64, '\0')) + pngChunk("IEND", {});
    QByteArray icon;
    LeStream(&icon) << quint16(0) << quint16(1) << quint16(1) << quint8(0) << quint8(0) << quint8(0)
                    << quint8(0) << quint16(1) << quint16(32) << quint32(png.size())
                    << quint32(6 + 16);
    return icon + png;
}

QByteArray gifWithLargeFrame(int width, int height) {
    QByteArray gif("GIF89a");
    LeStream out(&gif);
    out << quint16(1) << quint16(1) << quint8(0) << quint8(0) << quint8(0); // screen
    out << quint8(0x2c) << quint16(0) << quint16(0) << quint16(width) << quint16(height)
        << quint8(0);                                                           // frame
    out << quint8(8) << quint8(2) << quint8(0x4c) << quint8(0x01) << quint8(0); // LZW data
    out << quint8(0x3b);
    return gif;
}

QByteArray progressiveJpeg(const QImage& picture, int scans) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(picture);
    const QList<qsizetype> starts = scanStarts(jpeg);
    if (scans <= 0 || starts.size() < 2)
        return jpeg;
    const qsizetype last = starts[starts.size() - 2], end = starts.last();
    const QByteArray lastScan = jpeg.mid(last, end - last);
    return jpeg.left(end) + lastScan.repeated(scans - (starts.size() - 1)) + jpeg.mid(end);
}

int jpegScanCount(const QByteArray& jpeg) {
    return int(scanStarts(jpeg).size()) - 1;
}

} // namespace tovik::test
