// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QLockFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tovik {

// Where this running viewer keeps its work files (tempnail.bmp, ~temp.bmp), held under a lock
// for as long as it runs. The first viewer started over an application folder claims it and
// keeps its work files there as always; a viewer started while another holds it gets a private
// folder of its own (locked too, and removed when it ends), so that neither deletes nor
// overwrites the other's sheet. The viewer that claims the application folder tidies what killed
// runs left behind, and only that: the locks tell which viewers still live.
class WorkFolder {
public:
    // workBase is where the first viewer keeps its work files; settingsFolder holds viewer.ini.
    WorkFolder(const QString& workBase, const QString& settingsFolder);
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    QString path() const { return m_path; }

private:
    QLockFile m_lock;
    std::unique_ptr<QTemporaryDir> m_private;
    std::unique_ptr<QLockFile> m_privateLock;
    QString m_path;
};

// Removes what killed viewers left: the work files and the temporaries of a save in workFolder
// (which no live viewer uses), the private folders of second viewers whose lock has no live
// holder, and the settings file's temporaries in settingsFolder written by no live viewer.
void tidyLeftovers(const QString& workFolder, const QString& settingsFolder);

} // namespace tovik
