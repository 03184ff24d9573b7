// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "saving/saveas.h"

#include "app/dirtree.h"
#include "app/frmshowtell.h"
#include "platform/pictures.h"
#include "saving/frmslider.h"

namespace tovik {

namespace {
const QString SaveTitle = QStringLiteral("Save As");
const QString FailedText = QStringLiteral("Could not save \"%1\": %2.");
const QString ExtensionText =
    QStringLiteral("Nothing was saved: the file name must end in .jpg or .bmp.");

void reportFailure(frmShowTell& window, const QString& path, const QString& reason) {
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

// Writes the picture as drawn, rendered for this save alone and let go once it is written.
bool writeShown(frmShowTell& window, const QString& path, SafeFile::Kind kind, QString* error) {
    const QImage drawn = window.renderDrawing();
    if (drawn.isNull() && window.pictureLoaded()) {
        *error = QStringLiteral("there is not enough memory to render the picture");
        return false;
    }
    return saveBitmap(drawn, surfaceBackground(window), path, kind, error);
}
} // namespace

bool saveShownAsBitmap(frmShowTell& window, const QString& name) {
    QString error;
    if (writeShown(window, name, SafeFile::Kind::Durable, &error))
        return true;
    reportFailure(window, name, error);
    return false;
}

bool saveShownAsJpeg(frmShowTell& window, const QString& name) {
    const QString scratch = window.platform().workFile(ScratchFileName);
    QString error;
    // A scratch file that cannot be written must not let an older one become the JPEG.
    if (!writeShown(window, scratch, SafeFile::Kind::WorkFile, &error)) {
        reportFailure(window, scratch, error);
        return false;
    }
    NViewLib& library = window.platform().nviewlib;
    if (library.NViewLibLoad(scratch, 0) &&
        library.NViewLibSaveAsJPG(window.state().JPGQuality, name))
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
