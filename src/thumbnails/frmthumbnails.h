// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/sheetlayout.h"
#include "imaging/pictures.h"

#include <QImage>
#include <QMap>
#include <QStringList>
#include <QThread>

#include <vector>

class QPainter;

namespace tovik {

class frmShowTell;
class frmProgress;

// The hidden sheet builder: its load builds the thumbnail sheet of the whole list and leaves it
// in the main window's imgThree, or sets DialogCancelled when the build was halted.
class frmThumbnails {
public:
    explicit frmThumbnails(frmShowTell& main);
    ~frmThumbnails();

    void Form_Load();

    float SheetPercent = 0;
    qint16 SheetWidth = 0;
    QStringList FileNames;
    // How many threads read the files; the sheet is the same whatever the number.
    int Workers = QThread::idealThreadCount();

private:
    struct Measured;
    void BuildThumbnails();
    void ExtractFileNames(const QStringList& paths);
    QList<PictureLoad> read(const QStringList& paths);
    std::vector<Measured> measure(const QStringList& paths);
    QSize sheetSize(const SheetLayout& layout) const;
    bool tooWide(const SheetLayout& layout) const;
    bool halt(const SheetLayout& layout);
    bool stopped();
    void announceWidening(const SheetPlacement& at);
    QSize thumbnailSize(const SheetPlacement& at) const;
    void drawEntry(QPainter& painter, const Measured& item, const SheetPlacement& at,
                   const QImage& thumbnail);
    QImage draw(const std::vector<Measured>& items, const SheetLayout& layout,
                frmProgress& progress);
    void handOver(const QImage& sheet);

    frmShowTell& m_main;
    frmProgress* m_progress = nullptr; // while a build runs
    // The entries that have no thumbnail by their place in the list: refused when measured, or
    // when decoded.
    QMap<qsizetype, QString> m_skipped;
};

} // namespace tovik
