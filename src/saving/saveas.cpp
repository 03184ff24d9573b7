// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "saving/saveas.h"

#include "app/dirtree.h"
#include "app/frmshowtell.h"
#include "imaging/bitmap.h"
#include "imaging/pictures.h"
#include "nviewlib/nviewlib.h"
#include "saving/frmslider.h"

#include <QtConcurrent/QtConcurrentRun>

namespace tovik {

namespace {
const QString SaveTitle = QStringLiteral("Save As");
const QString FailedText = QStringLiteral("Could not save \"%1\": %2.");
const QString ExtensionText =
    QStringLiteral("Nothing was saved: the file name must end in .jpg or .bmp.");
const QString TooLargeTitle = QStringLiteral("Picture Too Large");
const QString TooLargeText =
    QStringLiteral("The picture is too large to save at this zoom (%1 x %2 pixels).");

// Says why path was not saved; nothing when the user has been told already (no reason).
void reportFailure(frmShowTell& window, const QString& path, const QString& reason) {
    if (!reason.isEmpty())
        window.platform().messages.message(SaveTitle, FailedText.arg(path, reason));
}

QRgb surfaceBackground(const frmShowTell& window) {
    return window.imgOne->palette().color(window.imgOne->backgroundRole()).rgb();
}

void askQualityAndSaveJpeg(frmShowTell& window, const QString& name) {
    frmSlider quality(window);
    quality.exec();
    if (window.state().DialogCancelled) {
        window.state().DialogCancelled = false;
        return;
    }
    saveShownAsJpeg(window, name);
}

// The picture as drawn, rendered for this save alone; false when it cannot be.
bool rendered(frmShowTell& window, QImage* drawn, QString* error) {
    *drawn = window.renderDrawing();
    // A large picture decoded at this zoom would pass the budget.
    if (drawn->isNull() && window.imgThree.large) {
        const QSize size = window.drawingSize();
        window.platform().messages.message(TooLargeTitle,
                                           TooLargeText.arg(size.width()).arg(size.height()));
        error->clear();
        return false;
    }
    if (drawn->isNull() && window.pictureLoaded()) {
        *error = QStringLiteral("there is not enough memory to render the picture");
        return false;
    }
    return true;
}

// Writes the picture as drawn, let go once it is written.
bool writeShown(frmShowTell& window, const QString& path, SafeFile::Kind kind, QString* error) {
    QImage drawn;
    return rendered(window, &drawn, error) &&
           saveBitmap(drawn, surfaceBackground(window), path, kind, error);
}
} // namespace

bool saveShownAsBitmap(frmShowTell& window, const QString& name) {
    QString error;
    if (writeShown(window, name, SafeFile::Kind::Durable, &error))
        return true;
    reportFailure(window, name, error);
    return false;
}

// The scratch bitmap is written on a worker while the library encodes the same pixels, taken as
// it would load them from the scratch; the JPEG replaces the destination only once the scratch
// holds them whole, so that an older scratch never becomes the JPEG.
bool saveShownAsJpeg(frmShowTell& window, const QString& name) {
    const QString scratch = window.platform().workFile(ScratchFileName);
    QImage drawn;
    QString error;
    if (!rendered(window, &drawn, &error)) {
        reportFailure(window, scratch, error);
        return false;
    }
    QFuture<bool> scratchWritten = QtConcurrent::run([&] {
        return saveBitmap(drawn, surfaceBackground(window), scratch, SafeFile::Kind::WorkFile,
                          &error);
    });
    NViewLib& library = window.platform().nviewlib;
    library.NViewLibLoad(opaqueRgb32(drawn, surfaceBackground(window)));
    const QByteArray jpeg = library.encodeJPG(window.state().JPGQuality);
    if (!scratchWritten.result()) {
        reportFailure(window, scratch, error);
        return false;
    }
    if (library.writeJPG(jpeg, name))
        return true;
    reportFailure(window, name, library.lastError());
    return false;
}

void SaveAs_Click(frmShowTell& window) {
    ViewerState& s = window.state();
    s.DialogMode = 4;
    dirTree host(window.platform(), s);
    host.Form_Load();
    if (s.DialogCancelled) {
        s.DialogCancelled = false;
        return;
    }
    const QString name = host.FileName;
    if (name.isEmpty())
        return; // the dialog failed without a name
    const QString extension = name.toUpper().right(3);
    if (extension == QLatin1String("JPG"))
        askQualityAndSaveJpeg(window, name);
    else if (extension == QLatin1String("BMP"))
        saveShownAsBitmap(window, name);
    else
        window.platform().messages.message(SaveTitle, ExtensionText);
}

} // namespace tovik
