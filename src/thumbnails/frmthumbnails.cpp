// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "thumbnails/frmthumbnails.h"

#include "app/frmshowtell.h"
#include "core/colorref.h"
#include "core/layout.h"
#include "core/rounding.h"
#include "imaging/pictures.h"
#include "thumbnails/frmprogress.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QPainter>
#include <QProgressBar>
#include <QScopeGuard>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentMap>

#include <atomic>

namespace tovik {

namespace {
const QString WidenTitle = QStringLiteral("Increase Width");
const QString WidenForPicture =
    QStringLiteral("I need to increase the width to allow for the graphic.");
const QString WidenForName = QStringLiteral("I need to increase the width to allow for the label.");
const QString LongTitle = QStringLiteral("Picture is too long");
const QString LongText = QStringLiteral(
    "Thumbnail graphic is too long. Try using less pictures per page, or widen the page. This "
    "attempt was halted, please try again.");
const QString WideTitle = QStringLiteral("Picture is too wide");
const QString WideText = QStringLiteral(
    "Thumbnail graphic is too wide to be made in memory. Try a smaller percentage. This attempt "
    "was halted, please try again.");
const QString SkippedTitle = QStringLiteral("Generate Thumbnails");
const QString SkippedText =
    QStringLiteral("These files could not be read as pictures and have no thumbnail:\n%1");

// Names are measured in one font and drawn in another, as the sheet has always done.
QFont sheetFont(const QString& family) {
    QFont font(family);
    font.setPointSizeF(8.25);
    return font;
}
} // namespace

struct frmThumbnails::Measured {
    qsizetype index; // in the list
    QString path;
    QString name;
    SheetEntry entry;
    QImage thumbnail; // null when its data are broken
};

namespace {
// Each file read once, on a pool of workers, for both its size and its thumbnail. The thumbnails
// of a sheet that can be drawn take no more than the sheet itself: once they would, only sizes
// are read (the sheet is then too large to draw, and is halted).
class Reading {
public:
    explicit Reading(const ThumbnailScale& scale) : m_scale(scale) {}

    PictureLoad operator()(const QString& path) {
        if (m_bytes > SurfaceBudgetBytes)
            return {PictureError::None, {}, pictureSize(path)};
        PictureLoad load = loadThumbnail(path, m_scale);
        m_bytes += load.image.sizeInBytes();
        return load;
    }

private:
    ThumbnailScale m_scale;
    std::atomic<qint64> m_bytes = 0;
};
} // namespace

frmThumbnails::frmThumbnails(frmShowTell& main) : m_main(main) {}
frmThumbnails::~frmThumbnails() = default;

void frmThumbnails::Form_Load() {
    SheetPercent = m_main.state().ThumbScale;
    SheetWidth = m_main.state().ThumbPageWidth;
    BuildThumbnails();
}

void frmThumbnails::ExtractFileNames(const QStringList& paths) {
    FileNames.clear();
    for (const QString& path : paths) {
        const qsizetype at = path.lastIndexOf(QDir::separator());
        FileNames << (at < 0 ? QString() : path.mid(at + 1));
    }
}

// The reading runs while window events are let through, so that the progress window paints
// and a close is heard; a close ends it at the next file.
QList<PictureLoad> frmThumbnails::read(const QStringList& paths) {
    QThreadPool workers;
    workers.setMaxThreadCount(std::max(1, Workers));
    Reading reading({SheetPercent, m_main.tppX(), m_main.tppY()});
    QFuture<PictureLoad> loads =
        QtConcurrent::mapped(&workers, paths, [&](const QString& path) { return reading(path); });
    QFutureWatcher<PictureLoad> watcher;
    QEventLoop waiting;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &waiting, &QEventLoop::quit);
    QTimer closeHeard;
    QObject::connect(&closeHeard, &QTimer::timeout, &waiting, [&] {
        if (stopped())
            loads.cancel();
    });
    closeHeard.start(50);
    watcher.setFuture(loads);
    if (!loads.isFinished())
        waiting.exec();
    loads.waitForFinished();
    return loads.isCanceled() ? QList<PictureLoad>() : loads.results();
}

std::vector<frmThumbnails::Measured> frmThumbnails::measure(const QStringList& paths) {
    const QFontMetricsF label(sheetFont(QStringLiteral("Times New Roman")));
    const double tx = m_main.tppX(), ty = m_main.tppY();
    const QList<PictureLoad> loads = read(paths);
    std::vector<Measured> items;
    for (qsizetype i = 0; i < loads.size(); ++i) {
        const QSize size = loads[i].claimed;
        if (!size.isValid() || size.isEmpty()) {
            m_skipped.insert(i, paths[i]);
            continue;
        }
        const double labelWidth =
            FileNames[i].isEmpty() ? 0 : roundHalfEven(label.horizontalAdvance(FileNames[i]));
        items.push_back({i,
                         paths[i],
                         FileNames[i],
                         {size.width() * tx, size.height() * ty, labelWidth * tx,
                          roundHalfEven(label.height()) * ty},
                         loads[i].image});
    }
    return items;
}

void frmThumbnails::BuildThumbnails() {
    ViewerState& s = m_main.state();
    frmProgress progress(m_main);
    m_progress = &progress;
    const auto built = qScopeGuard([this] { m_progress = nullptr; });
    progress.show();
    progress.PB1->setValue(progressStep(s.PictureCount));
    PauseOneSecond(m_main.platform().clock);
    if (stopped())
        return;
    QStringList paths;
    for (qint32 i = 1; i <= s.PictureCount; ++i)
        paths << s.PictureList(i);
    ExtractFileNames(paths);
    const std::vector<Measured> items = measure(paths);
    if (stopped())
        return;
    std::vector<SheetEntry> entries;
    for (const Measured& m : items)
        entries.push_back(m.entry);
    const SheetLayout layout =
        layoutSheet(entries, SheetPercent, SheetWidth, m_main.tppX(), m_main.tppY());
    const QImage sheet = draw(items, layout, progress);
    progress.PB1->setValue(progress.PB1->maximum());
    progress.hide();
    if (!m_skipped.isEmpty())
        m_main.platform().messages.message(
            SkippedTitle, SkippedText.arg(QStringList(m_skipped.values()).join('\n')));
    if (stopped() || halt(layout) || sheet.isNull())
        return;
    handOver(sheet);
}

// The safe points of a build, after each pause and message: a close of the window or of the
// progress window asked for meanwhile ends the build there, and nothing is handed over.
bool frmThumbnails::stopped() {
    if (!m_main.closePending() && !(m_progress && m_progress->closeAsked))
        return false;
    m_main.state().DialogCancelled = true;
    return true;
}

QSize frmThumbnails::sheetSize(const SheetLayout& layout) const {
    return {twipsToPixels(layout.width, m_main.tppX()),
            twipsToPixels(layout.height, m_main.tppY())};
}

bool frmThumbnails::tooWide(const SheetLayout& layout) const {
    const QSize size = sheetSize(layout);
    return qint64(size.width()) * size.height() * 4 > SurfaceBudgetBytes;
}

bool frmThumbnails::halt(const SheetLayout& layout) {
    if (!layout.tooLong && !tooWide(layout))
        return false;
    if (layout.tooLong)
        m_main.platform().messages.message(LongTitle, LongText);
    else
        m_main.platform().messages.message(WideTitle, WideText);
    m_main.state().DialogCancelled = true;
    return true;
}

void frmThumbnails::announceWidening(const SheetPlacement& at) {
    Platform& platform = m_main.platform();
    if (at.widenedForPicture) {
        platform.messages.message(WidenTitle, WidenForPicture);
        PauseOneSecond(platform.clock);
    }
    if (at.widenedForName) {
        platform.messages.message(WidenTitle, WidenForName);
        PauseOneSecond(platform.clock);
    }
}

QSize frmThumbnails::thumbnailSize(const SheetPlacement& at) const {
    return {std::max(1, twipsToPixels(at.drawWidth, m_main.tppX())),
            std::max(1, twipsToPixels(at.drawHeight, m_main.tppY()))};
}

void frmThumbnails::drawEntry(QPainter& painter, const Measured& item, const SheetPlacement& at,
                              const QImage& thumbnail) {
    const double tx = m_main.tppX(), ty = m_main.tppY();
    const QPoint corner(twipsToPixels(at.x, tx), twipsToPixels(at.y, ty));
    painter.drawImage(QRect(corner, thumbnailSize(at)), thumbnail);
    // The name's top-left corner at the point: the baseline one ascent below it.
    const QPointF text(twipsToPixels(at.textX, tx), twipsToPixels(at.textY, ty));
    painter.drawText(text + QPointF(0, painter.fontMetrics().ascent()), item.name);
}

QImage frmThumbnails::draw(const std::vector<Measured>& items, const SheetLayout& layout,
                           frmProgress& progress) {
    const ViewerState& s = m_main.state();
    // A sheet that will be halted is not drawn; its messages and progress still come.
    const bool drawable = !layout.tooLong && !tooWide(layout);
    QImage sheet = drawable ? QImage(sheetSize(layout), QImage::Format_RGB32) : QImage();
    sheet.fill(fromColorRef(s.ThumbBackColor));
    QPainter painter;
    if (!sheet.isNull() && painter.begin(&sheet)) {
        painter.setFont(sheetFont(QStringLiteral("Arial")));
        painter.setPen(fromColorRef(s.ThumbTextColor));
    }
    const qint32 step = progressStep(s.PictureCount);
    QProgressBar* bar = progress.PB1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        announceWidening(layout.placements[i]);
        // The progress shows, and a close of either window is heard, between entries too; a
        // command asked for meanwhile is dropped as during any command.
        QCoreApplication::processEvents();
        if (stopped())
            return {};
        if (painter.isActive()) {
            if (items[i].thumbnail.isNull()) // its header passed, its data did not
                m_skipped.insert(items[i].index, items[i].path);
            drawEntry(painter, items[i], layout.placements[i], items[i].thumbnail);
        }
        bar->setValue(bar->maximum() > bar->value() + step ? bar->value() + step : bar->maximum());
    }
    return sheet;
}

void frmThumbnails::handOver(const QImage& sheet) {
    m_main.stopAnimation();
    m_main.imgThree.clear();
    m_main.imgOne->clear();
    m_main.imgThree = m_main.held(sheet);
}

} // namespace tovik
