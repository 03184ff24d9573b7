// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A 600-megapixel panorama (30000 x 20000, tiled from real photographs by make_large), which the
// viewer shows from an overview and parts:
// - its overview, whole, against djpeg -scale 1/8 of the same file (the Huffman decoding floor);
//   and how soon its first rows come;
// - a screen's worth at zoom 1 (1920 x 1080) at its top-left and at its bottom-right corner,
//   once the overview is done, against djpeg -crop of the same region;
// - a 1.2-gigapixel PNG (40000 x 30000, photographs again): its overview against inflating its
//   data alone (zlib's floor, measured here), and a screen's worth at zoom 1 at its bottom-right;
// - the same panorama as a TIFF in JPEG-compressed tiles of 256 (as maps are kept): its overview
//   against decoding its tiles alone (libtiff's floor, measured here), a screen's worth at zoom 1
//   at its bottom-right; and as a pyramid (its pages halved down to 512 pixels), whose overview
//   comes from a halved page;
// - the memory of this process and its helper together, sampled throughout.
// Usage: bench_large   (djpeg from libjpeg-turbo-progs and the photographs: bench/setup.sh)

#include "benchsupport.h"
#include "imaging/largepicture.h"
#include "imaging/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <atomic>
#include <cstdio>
#include <thread>

#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

using namespace tovik;
using namespace tovik::bench;

namespace {
const QSize Panorama(30000, 20000);
const QSize Screen(1920, 1080);

const QSize Scan(40000, 30000);

// The picture make_large writes as format at size, made once.
QString made(const char* format, const QString& name, QSize size) {
    const QString path = QDir::tempPath() + "/tovik-large/" + name;
    if (QFileInfo::exists(path))
        return path;
    QProcess setup;
    setup.start(QCoreApplication::applicationDirPath() + "/../../bench/setup.sh", {});
    setup.waitForFinished(-1);
    const QString photos = QString::fromLocal8Bit(setup.readAllStandardOutput()).trimmed();
    QStringList arguments{format, path, QString::number(size.width()),
                          QString::number(size.height())};
    for (const QFileInfo& photo : QDir(photos).entryInfoList({"*.jpg"}, QDir::Files))
        arguments << photo.filePath();
    QDir().mkpath(QFileInfo(path).path());
    return QProcess::execute(QCoreApplication::applicationDirPath() + "/make_large", arguments) == 0
               ? path
               : QString();
}

// Inflating a PNG's data whole, nothing else, its checksum unchecked as the viewer leaves it: what
// reading it row by row cannot go below.
double inflateMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QElapsedTimer t;
    t.start();
    z_stream z{};
    inflateInit2(&z, -15); // raw: the zlib header passed over below
    int zlibHeader = 2;
    std::vector<unsigned char> out(1 << 20);
    file.seek(8);
    for (;;) {
        const QByteArray header = file.read(8);
        if (header.size() < 8 || header.mid(4) == "IEND")
            break;
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        QByteArray data = file.read(length + 4);
        if (header.mid(4) != "IDAT")
            continue;
        const int passed = std::min(zlibHeader, int(length));
        zlibHeader -= passed;
        z.next_in = reinterpret_cast<Bytef*>(data.data()) + passed;
        z.avail_in = length - uInt(passed);
        while (z.avail_in) {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            if (inflate(&z, Z_NO_FLUSH) == Z_STREAM_END)
                break;
        }
    }
    inflateEnd(&z);
    return t.nsecsElapsed() / 1e6;
}

// Decoding every tile of a TIFF's first page, nothing else: what reading it cannot go below.
double tilesMs(const QString& path) {
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return 0;
    QElapsedTimer t;
    t.start();
    TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    std::vector<unsigned char> tile(size_t(TIFFTileSize(tiff)));
    for (uint32_t i = 0; i < TIFFNumberOfTiles(tiff); ++i)
        TIFFReadEncodedTile(tiff, i, tile.data(), tmsize_t(tile.size()));
    const double ms = t.nsecsElapsed() / 1e6;
    TIFFClose(tiff);
    return ms;
}

double djpegMs(const QStringList& arguments) {
    return bestMs(3, [&] {
        QProcess::execute("djpeg", QStringList{"-outfile", "/dev/null"} + arguments);
    });
}

// The memory of this process and its children, the most it came to.
class MemoryWatch {
public:
    MemoryWatch() : m_thread([this] { watch(); }) {}
    ~MemoryWatch() {
        m_stop = true;
        m_thread.join();
    }
    qint64 most() const { return m_most; }
    // The most since the last time asked.
    qint64 phase() { return m_phase.exchange(0); }

private:
    static qint64 residentOf(const QString& pid) {
        QFile status("/proc/" + pid + "/status");
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
        return 0;
    }
    void watch() {
        const QString self = QString::number(getpid());
        while (!m_stop) {
            qint64 sum = residentOf(self);
            QFile children("/proc/" + self + "/task/" + self + "/children");
            if (children.open(QIODevice::ReadOnly))
                for (const QByteArray& child : children.readAll().split(' '))
                    if (!child.trimmed().isEmpty())
                        sum += residentOf(QString::fromLatin1(child.trimmed()));
            m_most = std::max<qint64>(m_most, sum);
            m_phase = std::max<qint64>(m_phase, sum);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::atomic<bool> m_stop = false;
    std::atomic<qint64> m_most = 0, m_phase = 0;
    std::thread m_thread;
};

// Runs the event loop until done says so.
void waitFor(LargePicture& picture, const std::function<bool()>& done) {
    QEventLoop loop;
    QObject::connect(&picture, &LargePicture::arrived, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (!done())
        loop.exec();
}

struct Overview {
    double firstRowsMs = 0, wholeMs = 0;
};

Overview overview(const QString& path, std::unique_ptr<LargePicture>* kept = nullptr) {
    QElapsedTimer t;
    t.start();
    std::unique_ptr<LargePicture> picture = LargePicture::open(path, 0xffc0c0c0);
    if (!picture)
        return {};
    Overview o;
    bool first = true;
    waitFor(*picture, [&] {
        if (first)
            o.firstRowsMs = t.nsecsElapsed() / 1e6;
        first = false;
        return picture->overviewDone();
    });
    o.wholeMs = t.nsecsElapsed() / 1e6;
    if (kept)
        *kept = std::move(picture);
    return o;
}

// A screen's worth at zoom 1 at at, all its parts come.
double screenAt(LargePicture& picture, QPoint at) {
    const QRect view(at, Screen);
    QElapsedTimer t;
    t.start();
    const qsizetype wanted = [&] {
        int count = 0;
        for (int y = view.top() / 512; y <= view.bottom() / 512; ++y)
            count += view.right() / 512 - view.left() / 512 + 1;
        return count;
    }();
    picture.parts(view, 1);
    waitFor(picture, [&] { return picture.parts(view, 1, false).size() == wanted; });
    return t.nsecsElapsed() / 1e6;
}
// The panorama's overview against djpeg -scale 1/8, then screens' worth at zoom 1 at its corners
// against djpeg -crop.
void panorama(const QString& path) {
    Overview best{1e300, 1e300};
    std::unique_ptr<LargePicture> picture;
    for (int run = 0; run < 3; ++run) {
        const Overview o = overview(path, &picture);
        best = {std::min(best.firstRowsMs, o.firstRowsMs), std::min(best.wholeMs, o.wholeMs)};
        picture.reset();
        startHelperAhead();
        QThread::msleep(100);
    }
    const double djpeg = djpegMs({"-scale", "1/8", path});
    std::printf("600 MP JPEG overview: %.0f ms, djpeg -scale 1/8 %.0f ms; target %.0f ms "
                "(1.25 x djpeg + 300)\n",
                best.wholeMs, djpeg, 1.25 * djpeg + 300);
    printRatio("overview against djpeg -scale 1/8", best.wholeMs, djpeg);
    std::printf("first rows on screen: %.0f ms (target 150)\n", best.firstRowsMs);
    overview(path, &picture);
    for (const QPoint at : {QPoint(0, 0), QPoint(Panorama.width() - Screen.width(),
                                                 Panorama.height() - Screen.height())}) {
        const double ours = screenAt(*picture, at);
        const QString crop = QStringLiteral("%1x%2+%3+%4")
                                 .arg(Screen.width())
                                 .arg(Screen.height())
                                 .arg(at.x())
                                 .arg(at.y());
        const double reference = djpegMs({"-crop", crop, path});
        std::printf("1:1 view at %d,%d: %.0f ms (target 500), djpeg -crop %.0f ms\n", at.x(),
                    at.y(), ours, reference);
        printRatio("1:1 view against djpeg -crop (target 0.2)", ours, reference);
    }
    picture.reset();
    startHelperAhead();
}

// A picture's overview against its decoding floor (named floor, measured by floorMs), then a
// screen's worth at zoom 1 at its bottom-right corner.
double againstFloor(const char* name, const QString& path, QSize size, const char* floor,
                    const std::function<double(const QString&)>& floorMs) {
    std::unique_ptr<LargePicture> picture;
    const Overview o = overview(path, &picture);
    const double reference = floorMs(path);
    std::printf("%s overview: %.0f ms, %s %.0f ms\n", name, o.wholeMs, floor, reference);
    printRatio(QStringLiteral("%1 overview against %2").arg(name, floor).toUtf8().constData(),
               o.wholeMs, reference);
    const QPoint corner(size.width() - Screen.width(), size.height() - Screen.height());
    std::printf("%s 1:1 view at %d,%d: %.0f ms (target 500)\n", name, corner.x(), corner.y(),
                screenAt(*picture, corner));
    picture.reset();
    startHelperAhead();
    return reference;
}
} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (QStandardPaths::findExecutable("djpeg").isEmpty()) {
        std::fprintf(stderr, "bench_large: djpeg is missing (bench/setup.sh installs it)\n");
        return 1;
    }
    const QString path = made("jpeg", "panorama.jpg", Panorama);
    const QString scan = made("png", "scan.png", Scan);
    const QString map = made("tiff", "map.tif", Panorama);
    const QString pyramid = made("pyramid", "pyramid.tif", Panorama);
    if (path.isEmpty() || scan.isEmpty() || map.isEmpty() || pyramid.isEmpty()) {
        std::fprintf(stderr, "bench_large: the pictures could not be made\n");
        return 1;
    }
    startImaging();
    startHelperAhead();
    QThread::msleep(200);
    MemoryWatch memory;
    panorama(path);
    againstFloor("1.2-gigapixel PNG", scan, Scan, "its data inflated alone", inflateMs);
    std::printf("most memory with the JPEG and the PNG: %.0f MB\n", memory.phase() / 1048576.0);
    const double tiles =
        againstFloor("600 MP tiled TIFF", map, Panorama, "its tiles decoded alone", tilesMs);
    std::printf("most memory with the tiled TIFF: %.0f MB\n", memory.phase() / 1048576.0);
    std::unique_ptr<LargePicture> picture;
    const Overview halved = overview(pyramid, &picture);
    std::printf("the same as a pyramid: overview %.0f ms\n", halved.wholeMs);
    printRatio("pyramid overview against decoding the full page's tiles", halved.wholeMs, tiles);
    picture.reset();
    std::printf("most memory, this process and its helpers: %.0f MB (target 400)\n",
                memory.most() / 1048576.0);
    return 0;
}
