// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "editing/elsewhere.h"

#include "app/frmshowtell.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace tovik {

namespace {
const QString CopiedNotice = QStringLiteral("Copied");
} // namespace

void CopyCommand(frmShowTell& window) {
    if (!window.pictureLoaded())
        return;
    auto* data = new QMimeData;
    // A picture too large to decode whole is copied as it is shown, when that fits the budget;
    // else only as its file.
    const QImage picture = window.imgThree.large ? window.renderDrawing() : window.imgThree.picture;
    if (!picture.isNull())
        data->setImageData(picture);
    const QString shown = window.shownFile();
    if (!shown.isEmpty()) {
        const QUrl file = QUrl::fromLocalFile(shown);
        data->setUrls({file});
        data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + file.toEncoded());
    }
    QGuiApplication::clipboard()->setMimeData(data);
    window.notice(CopiedNotice);
}

void CopyPathCommand(frmShowTell& window) {
    const QString shown = window.shownFile();
    if (shown.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(shown));
    window.notice(CopiedNotice);
}

void ShowInFolderCommand(frmShowTell& window) {
    const QString shown = window.shownFile();
    if (shown.isEmpty() || window.platform().desktop.showInFolder(shown))
        return;
    window.platform().shell.open(
        QUrl::fromLocalFile(QFileInfo(shown).absolutePath()).toString(QUrl::FullyEncoded));
}

} // namespace tovik
