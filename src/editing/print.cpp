// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "editing/print.h"

#include "app/frmshowtell.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace tovik {

namespace {
const QString PrintTitle = QStringLiteral("Print");
const QString NotPrintedText = QStringLiteral("The picture could not be printed.");

// Where a picture of size goes on a page of area: as large as it fits, centred.
QRect fittedOnPage(QSize picture, QRect area) {
    const QSize fitted = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return {area.x() + (area.width() - fitted.width()) / 2,
            area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height()};
}

bool printPicture(QPrinter& printer, const QImage& picture) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.drawImage(fittedOnPage(picture.size(), area.translated(-area.topLeft())), picture);
    return painter.end();
}
} // namespace

void PrintCommand(frmShowTell& window) {
    if (!window.pictureLoaded())
        return;
    const QImage& picture = window.imgThree.picture;
    QPrinter printer(QPrinter::HighResolution);
    // The name a PDF is offered under: the picture's, without its folder.
    const QString shown = window.shownFile();
    printer.setDocName(shown.isEmpty() ? PrintTitle : QFileInfo(shown).completeBaseName());
    printer.setPageOrientation(picture.width() > picture.height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    if (!window.platform().dialogs.choosePrinter(printer))
        return;
    if (!printPicture(printer, picture))
        window.platform().messages.message(PrintTitle, NotPrintedText);
}

} // namespace tovik
