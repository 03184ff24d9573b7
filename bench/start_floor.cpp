// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The least a Qt Widgets program does to show a picture named on its command line: a label
// holding it, in a window of its own. bench_start times it beside the viewer and feh, as the
// floor that the toolkit alone sets.

#include <QApplication>
#include <QLabel>
#include <QPixmap>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QLabel picture;
    picture.setPixmap(QPixmap(QString::fromLocal8Bit(argv[1])));
    picture.show();
    return app.exec();
}
