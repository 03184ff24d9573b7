// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Writes the application icon for the desktop's hicolor theme: OUTDIR/SIZE.png and
// OUTDIR/scalable.svg.
#include "app/artwork.h"

#include <QFile>
#include <QGuiApplication>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    for (int size : {16, 32, 48, 64, 128, 256})
        if (!tovik::applicationIconPixmap(size).save(QString("%1/%2.png").arg(argv[1]).arg(size)))
            return 1;
    QFile svg(QString("%1/scalable.svg").arg(argv[1]));
    return svg.open(QIODevice::WriteOnly) && svg.write(tovik::applicationIconSvg()) > 0 ? 0 : 1;
}
