// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/largepicture.h"

#include "imaging/decoding/canvas.h"
#include "imaging/helper/decoderclient.h"
#include "imaging/helper/helperpool.h"
#include "imaging/helper/protocol.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/large/largejpeg.h"
#include "imaging/openpicture.h"
#include "imaging/reading/orientation.h"
#include "plugins/jpegscan/jpegindex.h"
#include "plugins/pngscan/pngrows.h"
#include "plugins/tiffscan/tiffframe.h"
#include "plugins/tiffscan/tiffpieces.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include <unistd.h>

namespace tovik {

namespace {
constexpr int PartSide = 512;
// The parts kept: some four screens' worth at zoom 1.
constexpr qint64 PartsBytes = qint64(96) << 20;

// The most pixels a picture read in pieces may have (65536 x 65536), and the most memory what its
// helper keeps of it may take: a PNG's rows past a million pixels would pass it.
constexpr qint64 MostPixels = qint64(1) << 32;
constexpr qint64 MostKeptBytes = PictureBudgetBytes / 4;

// What a picture read in pieces is: its size, and the memory what its helper keeps of it takes.
struct Layout {
    QSize size;
    qint64 keptBytes = 0;
};

// The layout of a file that is a baseline JPEG or a PNG read row by row, whatever its size.
std::optional<Layout> layoutOf(const QByteArray& head) {
    // Stored turned or flipped, its parts would have to be turned too: it keeps the budget.
    const std::optional<jpegscan::JpegLayout> jpeg = jpegscan::baselineLayout(head);
    if (jpeg && exifOrientation(reinterpret_cast<const uchar*>(jpeg->exif.constData()),
                                size_t(jpeg->exif.size())) != QImageIOHandler::TransformationNone)
        return {};
    if (jpeg)
        return Layout{jpeg->size, jpegscan::indexBytes(*jpeg)};
    if (const std::optional<pngscan::PngLayout> png = pngscan::pngLayout(head))
        return Layout{png->size, pngscan::pointCount(*png) * pngscan::pointBytes(*png)};
    return {};
}

// The size a PNG says it has, from one small read; invalid for any other file.
QSize pngSize(int fd) {
    unsigned char head[24];
    if (pread(fd, head, sizeof head, 0) != sizeof head || std::memcmp(head, "\x89PNG", 4) != 0)
        return {};
    const auto word = [&](int at) {
        return int(std::min<quint32>(qFromBigEndian<quint32>(head + at), INT32_MAX));
    };
    return {word(16), word(20)};
}

// Whether a picture of size is too large to decode whole, and not too large to read in pieces.
bool readInPieces(QSize size) {
    const qint64 pixels = qint64(size.width()) * size.height();
    return pixels > LargePicture::largeFrom() && pixels <= MostPixels;
}

// A TIFF is read in pieces through the directory that says its size: one stored turned keeps
// the budget, as one in pieces too large to decode one at a time.
std::optional<Layout> tiffLayout(const tiffscan::TiffFrame& tiff) {
    if (tiff.orientation != 1 || !readInPieces(tiff.size) ||
        qint64(tiff.piece.width()) * tiff.piece.height() * 4 > tiffscan::TiffPieces::MostPieceBytes)
        return {};
    return Layout{tiff.size, 0};
}

// The layout of the picture fd when it is one too large to decode whole read in pieces. Every
// picture shown asks: only one that says it is that large, from a few small reads, has its
// headers read.
std::optional<Layout> largeLayout(int fd) {
    if (fd < 0)
        return {};
    const std::optional<JpegFrame> jpeg = jpegFrame(fd);
    if (const std::optional<tiffscan::TiffFrame> tiff =
            jpeg ? std::nullopt : tiffscan::tiffFrame(fd))
        return tiffLayout(*tiff);
    const QSize claimed = jpeg ? jpeg->size : pngSize(fd);
    if (qint64(claimed.width()) * claimed.height() <= LargePicture::largeFrom())
        return {};
    for (const qint64 bytes : {qint64(64) << 10, jpegscan::MostHeaderBytes}) {
        QByteArray head(bytes, Qt::Uninitialized);
        const ssize_t got = pread(fd, head.data(), size_t(bytes), 0);
        if (got < 8 || (uchar(head[0]) != 0xff && uchar(head[0]) != 0x89))
            return {};
        const std::optional<Layout> layout = layoutOf(head.left(got));
        if (layout)
            return readInPieces(layout->size) && layout->keptBytes <= MostKeptBytes ? layout
                                                                                    : std::nullopt;
        if (got < bytes)
            return {};
    }
    return {};
}

struct PartKey {
    int denominator, column, row;
    auto operator<=>(const PartKey&) const = default;
};
} // namespace

struct LargePicture::Session {
    decoder::Helper helper;
    LargePicture* owner = nullptr;
    qint64 keptBytes = 0; // what the helper keeps of it
    QSize size;
    std::thread worker;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::atomic<bool> done = false;
    std::map<PartKey, QImage> parts;
    std::map<PartKey, quint64> used; // the generation that last wanted it
    std::set<PartKey> failed;
    std::vector<PartKey> queue; // wanted, missing, nearest first
    // The whole picture asked for (its denominator), and once decoded, what came.
    int wholeAsked = 0;
    std::optional<QImage> whole;
    bool ended = false; // the worker is done: nothing more comes
    std::condition_variable wholeCame;
    quint64 generation = 0;
    qint64 bytes = 0;

    ~Session() {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        ::kill(helper.pid, SIGKILL); // ends an answer waited for
        if (worker.joinable())
            worker.join();
        decoder::retire(helper);
    }

    // The overview begun in the helper (with an index of the picture, when indexed): its first
    // answer, with the memory its rows come into.
    std::optional<PictureLoad> begin(int fd, const large::Reduction& reduction, QRgb fill,
                                     bool indexed) {
        if (indexed) {
            decoder::Request keep;
            keep.kind = decoder::Kind::Keep;
            const int index = sealedMemory(std::max<qint64>(1, keptBytes));
            decoder::sendMessage(helper.socket, &keep, sizeof keep, index);
            if (index >= 0)
                ::close(index);
        }
        decoder::Request overview;
        overview.kind = decoder::Kind::Overview;
        overview.fill = fill;
        overview.denominator = reduction.scale;
        overview.box = reduction.box;
        return ask(overview, fd);
    }

    // One request (with fd beside it) and its answer; none when the helper does not answer, or
    // its answer does not hold.
    std::optional<PictureLoad> ask(const decoder::Request& request, int fd) {
        int memory = -1;
        std::optional<decoder::Answer> answer;
        if (decoder::sendMessage(helper.socket, &request, sizeof request, fd))
            answer = receive(&memory);
        std::optional<PictureLoad> load;
        if (answer)
            load = decoder::answeredLoad(*answer, memory, request);
        if (memory >= 0)
            ::close(memory);
        return load;
    }

    std::optional<decoder::Answer> receive(int* memory = nullptr) {
        decoder::Answer answer;
        int fd = -1;
        if (!decoder::readable(helper.socket) ||
            !decoder::receiveMessage(helper.socket, &answer, sizeof answer, &fd))
            return {};
        if (memory)
            *memory = fd;
        else if (fd >= 0)
            ::close(fd);
        return answer;
    }

    void run() {
        while (const std::optional<decoder::Answer> answer = receive()) {
            emit owner->arrived();
            if (!(answer->flags & decoder::Progress))
                break;
        }
        {
            const std::lock_guard lock(mutex);
            done = true;
            wholeCame.notify_all();
        }
        emit owner->arrived();
        while (const std::optional<PartKey> key = next())
            decodePart(*key);
        const std::lock_guard lock(mutex);
        ended = true;
        wholeCame.notify_all();
    }

    std::optional<PartKey> next() {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return stopping || wholeAsked || !queue.empty(); });
        if (stopping)
            return {};
        if (wholeAsked) // the whole, as a part of its own
            return PartKey{std::exchange(wholeAsked, 0), -1, -1};
        const PartKey key = queue.front();
        queue.erase(queue.begin());
        return key;
    }

    QRect rectOf(const PartKey& key) const {
        const QRect reduced(QPoint(0, 0), large::Reduction{key.denominator, 1}.of(size));
        return key.column < 0
                   ? reduced
                   : QRect(key.column * PartSide, key.row * PartSide, PartSide, PartSide) & reduced;
    }

    void decodePart(const PartKey& key) {
        const QRect rect = rectOf(key);
        decoder::Request request;
        request.kind = decoder::Kind::Region;
        request.room = key.column < 0 ? PictureBudgetBytes : qint64(PartSide) * PartSide * 4;
        request.x = rect.x();
        request.y = rect.y();
        request.width = rect.width();
        request.height = rect.height();
        request.denominator = key.denominator;
        const std::optional<PictureLoad> load = ask(request, -1);
        if (key.column < 0) {
            const std::lock_guard lock(mutex);
            whole = load ? load->image : QImage();
            return wholeCame.notify_all();
        }
        {
            const std::lock_guard lock(mutex);
            if (!load || load->image.isNull())
                failed.insert(key);
            else
                bytes += (parts[key] = load->image).sizeInBytes();
        }
        emit owner->arrived();
    }

    // Lets go of the parts least lately wanted while they pass PartsBytes. Under the lock.
    void forget() {
        while (bytes > PartsBytes) {
            const auto oldest = std::min_element(
                used.begin(), used.end(), [](auto& a, auto& b) { return a.second < b.second; });
            if (oldest == used.end() || oldest->second == generation)
                return;
            const auto part = parts.find(oldest->first);
            if (part != parts.end()) {
                bytes -= part->second.sizeInBytes();
                parts.erase(part);
            }
            used.erase(oldest);
        }
    }
};

qint64 LargePicture::largeFrom() {
    const qint64 set = qEnvironmentVariable("TOVIK_LARGE_PICTURE_PIXELS").toLongLong();
    return set > 0 ? set : PictureBudgetBytes / 4;
}

std::unique_ptr<LargePicture> LargePicture::open(const QString& path, QRgb fill,
                                                 PictureError* error) {
    if (error)
        *error = PictureError::None;
    const OpenPicture file(path);
    const std::optional<Layout> layout = largeLayout(file.fd());
    std::optional<decoder::Helper> helper = layout ? decoder::pool().take() : std::nullopt;
    if (!helper)
        return {};
    std::unique_ptr<LargePicture> picture(new LargePicture);
    picture->m_session = std::make_unique<Session>();
    Session& s = *picture->m_session;
    s.helper = *helper;
    s.owner = picture.get();
    s.size = layout->size;
    s.keptBytes = layout->keptBytes;
    const large::Reduction reduction =
        large::overviewReduction(layout->size, std::min(large::OverviewPixels, largeFrom() / 16));
    const std::optional<PictureLoad> load = s.begin(file.fd(), reduction, fill, true);
    if (!load || load->image.size() != reduction.of(layout->size)) {
        if (error)
            *error = load ? load->error : PictureError::NotAPicture;
        return {};
    }
    picture->m_overview = load->image;
    picture->m_size = layout->size;
    picture->m_factor = reduction.factor();
    s.worker = std::thread([&s] { s.run(); });
    return picture;
}

QImage LargePicture::thumbnail(const QString& path, const ThumbnailScale& scale, QSize* claimed) {
    const OpenPicture file(path);
    const std::optional<Layout> layout = largeLayout(file.fd());
    if (!layout)
        return {};
    *claimed = layout->size;
    const QSize size = scale.of(layout->size);
    large::Reduction reduction; // the most that still covers size
    for (int f = 2; f <= 1024; f *= 2) {
        const QSize next = large::Reduction::by(f).of(layout->size);
        if (next.width() < size.width() || next.height() < size.height())
            break;
        reduction = large::Reduction::by(f);
    }
    const QSize overview = reduction.of(layout->size);
    std::optional<decoder::Helper> helper =
        qint64(overview.width()) * overview.height() * 4 <= PictureBudgetBytes
            ? decoder::pool().take()
            : std::nullopt;
    if (!helper)
        return {};
    Session s;
    s.helper = *helper;
    s.keptBytes = layout->keptBytes;
    const std::optional<PictureLoad> first = s.begin(file.fd(), reduction, 0, false);
    if (!first || first->image.size() != overview)
        return {};
    while (const std::optional<decoder::Answer> answer = s.receive())
        if (!(answer->flags & decoder::Progress))
            return first->image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {};
}

LargePicture::~LargePicture() = default;

QImage LargePicture::rendered(QSize size) {
    if (size.isEmpty() || qint64(size.width()) * size.height() * 4 > PictureBudgetBytes)
        return {};
    const auto covers = [&](int factor) {
        return m_size.width() / factor >= size.width() && m_size.height() / factor >= size.height();
    };
    Session& s = *m_session;
    std::unique_lock lock(s.mutex);
    if (covers(m_factor)) {
        s.wholeCame.wait(lock, [&] { return s.done || s.ended; });
        return m_overview.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    int denominator = 8;
    while (denominator > 1 && !covers(denominator))
        denominator /= 2;
    const QSize decoded = large::Reduction{denominator, 1}.of(m_size);
    if (qint64(decoded.width()) * decoded.height() * 4 > PictureBudgetBytes)
        return {};
    s.whole.reset();
    s.wholeAsked = denominator;
    s.wake.notify_one();
    s.wholeCame.wait(lock, [&] { return s.whole || s.ended; });
    const QImage image = s.whole.value_or(QImage());
    s.whole.reset();
    lock.unlock();
    return image.isNull() || image.size() == size
               ? image
               : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

qint64 LargePicture::helperProcess() const {
    return m_session->helper.pid;
}

bool LargePicture::overviewDone() const {
    return m_session->done;
}

QList<LargePicture::Part> LargePicture::parts(const QRect& rect, int denominator, bool ask) {
    Session& s = *m_session;
    const QRect within = rect & QRect(QPoint(0, 0), large::Reduction{denominator, 1}.of(m_size));
    QList<Part> found;
    if (within.isEmpty())
        return found;
    std::vector<PartKey> missing;
    const std::lock_guard lock(s.mutex);
    s.generation += ask;
    for (int row = within.top() / PartSide; row <= within.bottom() / PartSide; ++row)
        for (int column = within.left() / PartSide; column <= within.right() / PartSide; ++column) {
            const PartKey key{denominator, column, row};
            if (ask)
                s.used[key] = s.generation;
            const auto part = s.parts.find(key);
            if (part != s.parts.end())
                found.append({s.rectOf(key), part->second});
            else if (!s.failed.count(key))
                missing.push_back(key);
        }
    if (!ask)
        return found;
    const QPoint middle = within.center();
    // A row of parts at a time, the one nearest the middle first, and in it the nearest part
    // first: a PNG's helper decodes a row of parts at once.
    const auto distance = [&](const PartKey& key) {
        return std::tuple(qAbs(key.row - middle.y() / PartSide), key.row,
                          qAbs(s.rectOf(key).center().x() - middle.x()));
    };
    std::sort(missing.begin(), missing.end(),
              [&](const PartKey& a, const PartKey& b) { return distance(a) < distance(b); });
    s.queue = std::move(missing);
    s.forget();
    s.wake.notify_one();
    return found;
}

} // namespace tovik
