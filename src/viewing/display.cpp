// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/display.h"

#include "app/frmshowtell.h"
#include "core/zoomsteps.h"
#include "imaging/largepicture.h"
#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "imaging/preview.h"

#include <QGuiApplication>

#include <QStatusBar>

namespace tovik {

namespace {
const QString InvalidTitle = QStringLiteral("Invalid Picture");
const QString InvalidText = QStringLiteral("Invalid Picture Format");
const QString TooLargeTitle = QStringLiteral("Picture Too Large");
const QString TooLargeText = QStringLiteral("The picture is too large to open (%1 x %2 pixels).");

// Reports a failed load as its kind asks; true when the picture can be shown.
bool acceptLoad(frmShowTell& window, const PictureLoad& load) {
    switch (load.error) {
    case PictureError::None:
        return true;
    case PictureError::Missing:
    case PictureError::NoRoom: // only a decode ahead is given less than the budget
        return false;
    case PictureError::NotAPicture:
        window.platform().messages.message(InvalidTitle, InvalidText);
        return false;
    case PictureError::TooLarge:
        window.platform().messages.message(
            TooLargeTitle, TooLargeText.arg(load.claimed.width()).arg(load.claimed.height()));
        return false;
    }
    return false;
}
} // namespace

void ShowNextFrame(frmShowTell& window) {
    if (!window.frames)
        return;
    const QImage frame = window.frames->next();
    if (frame.isNull() || frame.size() != window.imgThree.picture.size()) {
        window.stopAnimation(); // the file changed or broke: its last good frame stays
        return;
    }
    window.imgThree.picture = frame;
    window.imgOne->setFrame(frame);
    window.FrameTimer.start(window.frames->delayMs());
}

namespace {
// Smaller photos decode whole in less time than a preview would save.
constexpr qint64 PreviewPixels = 8'000'000;

// The picture into imgThree and drawn; one the surface cannot hold that large is drawn once more
// at its own size.
void drawHeld(frmShowTell& window, const PictureHolder& picture) {
    window.imgThree = picture;
    window.stopAnimation();
    if (window.redraw() == frmShowTell::Redraw::TooLarge && window.state().ZoomFactor != 1.0f) {
        window.state().ZoomFactor = 1.0f;
        window.redraw();
    }
}

bool showLoaded(frmShowTell& window, const QString& FileName, const PictureLoad& load) {
    if (!acceptLoad(window, load))
        return false;
    drawHeld(window, window.held(load.image));
    if (load.animated) {
        window.frames = std::make_unique<PictureFrames>(FileName, load.delayMs);
        window.FrameTimer.start(window.frames->delayMs());
    }
    window.noteShown(FileName);
    return true;
}

// A large photo shown at once from a scaled decode of what the viewport needs, while the whole
// picture is decoded on the worker. look decodes it at a scale (and as far down as the rows it is
// given need); full is the picture's own size. False when it is not large enough for that.
template <typename Look>
bool showFirstLook(frmShowTell& window, const QString& FileName, QSize full, Look look) {
    if (!full.isValid() || qint64(full.width()) * full.height() < PreviewPixels ||
        !window.placeViewport())
        return false;
    // The full decode first, so that it runs on the other core while the first look decodes.
    frmShowTell::Unfinished waiting{
        window.picturesAhead.claim(FileName, qint64(full.width()) * full.height() * 4),
        window.imgThree, window.state().ZoomFactor};
    const QSize view = window.imgTwo->size() * window.devicePixelRatioF();
    const ViewerState& s = window.state();
    const double zoom = s.FitToWindow
                            ? fitFactor(full.width(), full.height(), view.width(), view.height())
                            : s.ZoomFactor;
    const QImage image =
        look(previewScale(full.width(), full.height(), zoom, view.width(), view.height()));
    if (image.isNull()) {
        showLoaded(window, FileName, window.picturesAhead.result(waiting.decode));
        return true;
    }
    window.awaitPicture(std::move(waiting));
    drawHeld(window, window.held(image, full));
    window.noteShown(FileName);
    return true;
}

// A JPEG's first look, decoded here at a DCT scale.
bool showPreview(frmShowTell& window, const QString& FileName) {
    const OpenPicture file(FileName, OpenPicture::As::Preview);
    JpegPreview preview(file.fd());
    const QRgb fill = window.imgTwo->palette().color(QPalette::Window).rgb();
    return showFirstLook(window, FileName, preview.size(), [&](const PreviewScale& scale) {
        return preview.decode(scale.denominator, scale.rows, fill);
    });
}

// A first look that the decoding helper makes for far less than the whole picture: a camera
// RAW's preview at a DCT scale.
bool showScaledFirst(frmShowTell& window, const QString& FileName) {
    bool quick = false;
    const QSize full = mayBeCameraRaw(FileName) ? pictureSize(FileName, &quick) : QSize();
    return quick && showFirstLook(window, FileName, full, [&](const PreviewScale& scale) {
               const QSize scaled((full.width() + scale.denominator - 1) / scale.denominator,
                                  (full.height() + scale.denominator - 1) / scale.denominator);
               return loadPictureScaled(FileName, scaled);
           });
}
// A picture too large to decode whole, shown from its overview as it comes, and from its parts
// where a zoom needs more. False when it is none: its load then says what it is.
bool showLarge(frmShowTell& window, const QString& FileName) {
    PictureError error = PictureError::None;
    const QRgb fill = window.imgTwo->palette().color(QPalette::Window).rgb();
    std::unique_ptr<LargePicture> large = LargePicture::open(FileName, fill, &error);
    if (!large)
        return error != PictureError::None && !acceptLoad(window, {error, {}, {}});
    PictureHolder held = window.held(large->overview(), large->size());
    held.large = std::move(large);
    drawHeld(window, held);
    window.noteShown(FileName);
    return true;
}
} // namespace

void Display(frmShowTell& window, const QString& FileName) {
    const bool sheet = FileName == window.platform().workFile(SheetFileName);
    window.SB1->showMessage(sheet ? SheetStatusText : FileName);
    window.setUnfinishedAside();
    if (!sheet && (showLarge(window, FileName) ||
                   (!window.picturesAhead.ready(FileName) &&
                    (showPreview(window, FileName) || showScaledFirst(window, FileName)))))
        return;
    showLoaded(window, FileName, window.picturesAhead.take(FileName));
}

bool ShowAgain(frmShowTell& window, const QString& FileName) {
    window.SB1->showMessage(FileName);
    window.dropUnfinished();
    const PictureLoad load = window.picturesAhead.take(FileName);
    return load.error == PictureError::None && showLoaded(window, FileName, load);
}

bool FinishPicture(frmShowTell& window) {
    if (!window.unfinished)
        return true;
    const frmShowTell::Unfinished waiting = std::move(*window.unfinished);
    window.unfinished.reset();
    const bool waits = !waiting.decode.ready();
    if (waits)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const PictureLoad load = window.picturesAhead.result(waiting.decode);
    if (waits)
        QGuiApplication::restoreOverrideCursor();
    if (!acceptLoad(window, load)) {
        window.state().ZoomFactor = waiting.zoomBefore;
        drawHeld(window, waiting.before);
        return false;
    }
    showLoaded(window, waiting.decode.path, load);
    return true;
}

void ShowArrivedPicture(frmShowTell& window) {
    if (window.unfinished && window.unfinished->decode.ready())
        FinishPicture(window);
}

} // namespace tovik
