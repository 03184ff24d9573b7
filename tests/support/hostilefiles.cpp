// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/hostilefiles.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>

#include <zlib.h>

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

QByteArray pngHeader(quint32 width, quint32 height, int depth) {
    QByteArray ihdr;
    QDataStream(&ihdr, QIODevice::WriteOnly)
        << width << height << quint8(depth) << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
           pngChunk("IDAT", QByteArray(64, '\0')) + pngChunk("IEND", {});
}

QByteArray progressiveJpegHeader(int width, int height, int components) {
    QByteArray jpeg("\xff\xd8", 2);
    QDataStream out(&jpeg, QIODevice::WriteOnly | QIODevice::Append); // big-endian, as JPEG
    out << quint16(0xffdb) << quint16(67) << quint8(0);               // one quantisation table
    for (int i = 0; i < 64; ++i)
        out << quint8(1);
    out << quint16(0xffc2) << quint16(8 + 3 * components) << quint8(8) << quint16(height)
        << quint16(width) << quint8(components);
    for (int k = 0; k < components; ++k)
        out << quint8(k + 1) << quint8(0x11) << quint8(0);
    out << quint16(0xffc4) << quint16(20) << quint8(0); // a DC table of one code
    for (int i = 0; i < 16; ++i)
        out << quint8(i == 0 ? 1 : 0);
    out << quint8(0);
    out << quint16(0xffda) << quint16(6 + 2 * components) << quint8(components);
    for (int k = 0; k < components; ++k)
        out << quint8(k + 1) << quint8(0);
    out << quint8(0) << quint8(0) << quint8(0) << quint32(0) << quint16(0xffd9);
    return jpeg;
}

QByteArray animatedWebp(int width, int height) {
    QByteArray chunks("VP8X");
    LeStream out(&chunks);
    out << quint32(10) << quint8(0x02) << quint8(0) << quint8(0) << quint8(0);
    const auto u24 = [&out](int v) { out << quint8(v) << quint8(v >> 8) << quint8(v >> 16); };
    u24(width - 1);
    u24(height - 1);
    chunks += "ANIM";
    out << quint32(6) << quint32(0) << quint16(0);
    QByteArray webp("RIFF");
    LeStream(&webp) << quint32(4 + chunks.size());
    return webp + "WEBP" + chunks;
}

QByteArray animatedWebpOf(const QList<QImage>& frames, const QList<int>& delaysMs, QSize canvas) {
    QByteArray chunks;
    LeStream out(&chunks); // everything through the stream, which keeps its own place
    const auto u24 = [&out](int v) { out << quint8(v) << quint8(v >> 8) << quint8(v >> 16); };
    const auto raw = [&out](const QByteArray& bytes) {
        out.writeRawData(bytes.constData(), int(bytes.size()));
    };
    raw("VP8X");
    out << quint32(10) << quint8(0x02) << quint8(0) << quint8(0) << quint8(0);
    u24(canvas.width() - 1);
    u24(canvas.height() - 1);
    raw("ANIM");
    out << quint32(6) << quint32(0) << quint16(0);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QByteArray still;
        QBuffer buffer(&still);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "webp");
        writer.setQuality(100); // lossless: one VP8L chunk after the RIFF header
        writer.write(frames[i].convertToFormat(QImage::Format_RGB32));
        const QByteArray bitstream = still.mid(12);
        raw("ANMF");
        out << quint32(16 + bitstream.size());
        u24(0);
        u24(0);
        u24(frames[i].width() - 1);
        u24(frames[i].height() - 1);
        u24(delaysMs.value(i));
        out << quint8(0x02); // drawn over the canvas, not blended
        raw(bitstream.size() % 2 ? bitstream + '\0' : bitstream);
    }
    QByteArray webp("RIFF");
    LeStream(&webp) << quint32(4 + chunks.size());
    return webp + "WEBP" + chunks;
}

QByteArray oneStripTiff(quint32 width, quint32 height) {
    QByteArray tiff("II*\0", 4);
    LeStream out(&tiff);
    const quint16 entries = 9;
    const quint32 bitsAt = 8 + 2 + 12 * entries + 4, stripAt = bitsAt + 6;
    out << quint32(8) << entries;
    const auto entry = [&out](quint16 tag, quint16 type, quint32 count, quint32 value) {
        out << tag << type << count;
        if (type == 3 && count == 1)
            out << quint16(value) << quint16(0);
        else
            out << value;
    };
    entry(256, 4, 1, width);
    entry(257, 4, 1, height);
    entry(258, 3, 3, bitsAt);
    entry(259, 3, 1, 1); // no compression
    entry(262, 3, 1, 2); // RGB
    entry(273, 4, 1, stripAt);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, height); // one strip: the whole picture
    entry(279, 4, 1, width * height * 3);
    out << quint32(0) << quint16(8) << quint16(8) << quint16(8);
    return tiff + QByteArray(256, '\x40');
}

QByteArray iconWithBrokenDirectory() {
    QByteArray icon;
    LeStream out(&icon);
    out << quint16(0) << quint16(1) << quint16(3);
    for (const quint32 offset : {quint32(0x7fffff00), quint32(2), quint32(6 + 3 * 16)})
        out << quint8(16) << quint8(16) << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(1024) << offset;
    return icon + QByteArray("\x12\x34\x56\x78 no image here, only words");
}

QByteArray topDownBitmap(int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    QByteArray bmp("BM");
    LeStream out(&bmp);
    out << quint32(54 + rowBytes * height) << quint32(0) << quint32(54) << quint32(40)
        << qint32(width) << qint32(-height) << quint16(1) << quint16(24) << quint32(0)
        << quint32(rowBytes * height) << quint32(3780) << quint32(3780) << quint32(0) << quint32(0);
    for (int y = 0; y < height; ++y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x)
            row[3 * x + (y < height / 2 ? 2 : 0)] = char(0xff); // B, G, R
        bmp += row;
    }
    return bmp;
}

QByteArray svgUseBomb(int levels) {
    QByteArray svg("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                   "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><defs>"
                   "<rect id=\"l0\" width=\"1\" height=\"1\"/>");
    for (int level = 1; level <= levels; ++level) {
        const QByteArray below = "#l" + QByteArray::number(level - 1);
        svg += "<g id=\"l" + QByteArray::number(level) + "\"><use xlink:href=\"" + below +
               "\"/><use xlink:href=\"" + below + "\"/></g>";
    }
    return svg + "</defs><use xlink:href=\"#l" + QByteArray::number(levels) + "\"/></svg>";
}

QByteArray svgzBomb(qint64 inflated) {
    const QByteArray head("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                          "height=\"10\"><!--");
    const QByteArray tail("--><rect width=\"10\" height=\"10\"/></svg>");
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY); // 16: a gzip wrapper
    QByteArray out, chunk(1 << 20, ' ');
    QByteArray buffer(1 << 16, '\0');
    const auto feed = [&](const QByteArray& in, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        z.avail_in = uInt(in.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            out.append(buffer.constData(), buffer.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (qint64 left = inflated - head.size() - tail.size(); left > 0; left -= chunk.size())
        feed(left >= chunk.size() ? chunk : chunk.left(qsizetype(left)), Z_NO_FLUSH);
    feed(tail, Z_FINISH);
    deflateEnd(&z);
    return out;
}

} // namespace tovik::test
