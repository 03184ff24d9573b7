// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/settingsformat.h"
#include "core/sortorder.h"
#include "core/undosteps.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace tovik {

// The process-wide viewer state: the eleven settings values (inherited under their own names)
// and the variables that the windows share.
struct ViewerState : SettingsValues {
    qint32 PictureCount = 0;
    qint32 CurrentIndex = 0;
    QString SelectedFiles;
    float ZoomFactor = 1.0f;
    // Every picture shown at the factor that fits it to the window (never above 1), until a
    // zoom command or the user turns it off; kept across runs outside viewer.ini.
    bool FitToWindow = false;
    // The folder strip along the foot of the window; kept across runs outside viewer.ini.
    bool ShowStrip = false;
    bool LoopForever = false;
    qint16 DialogMode = 0;
    bool DialogCancelled = false;
    // What turned or trashed files Undo can take back, for as long as the program runs.
    UndoSteps Undo;
    // The slide show in random order (Tools, Shuffle; off at each start): the entries of this lap,
    // and how many of them have been shown; none while no lap has begun.
    bool Shuffle = false;
    std::vector<qint32> ShuffleLap;
    size_t ShuffleShown = 0;
    // The order a folder's pictures are listed in; kept across runs outside viewer.ini.
    SortOrder Sort;
    // When each photo sorted by date was taken, by its path, size and modification time: a
    // folder that changes is sorted again without reading every file again.
    QHash<QString, qint64> DatesTaken;
    // The folder the list follows as pictures come and go in it; empty for a list of files.
    QString ListFolder;

    // PictureList is 1-based: entries 1 to PictureCount.
    const QString& PictureList(qint32 index) const;
    const QStringList& pictures() const { return m_pictures; }
    void setPictureList(const QStringList& paths);
    void appendPicture(const QString& path);
    void clearPictureList();
    // Entry index leaves the list, the ones after it moving up; a path comes in at index.
    void removePicture(qint32 index);
    void insertPicture(qint32 index, const QString& path);

private:
    QStringList m_pictures;
};

} // namespace tovik
