// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/helpengine.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/screenmetrics.h"

#include <QLocale>
#include <QString>
#include <QTranslator>

namespace tovik {

class NViewLib; // the JPEG library, which stands outside the program

// The files the program keeps beside itself.
inline const QString HelpFileName = QStringLiteral("viewer.html");
inline const QString ScratchFileName = QStringLiteral("~temp.bmp");
inline const QString SheetFileName = QStringLiteral("tempnail.bmp");
// The start of the names of the copies of turned files that Undo gives back.
inline const QString UndoCopyPrefix = QStringLiteral("~undo-");
// The status text whenever the sheet is on screen.
inline const QString SheetStatusText =
    QStringLiteral("Inserted generated thumbnails as last frame");

// Everything outside the program, handed to the windows at construction.
struct Platform {
    ScreenMetrics& screen;
    Messages& messages;
    Dialogs& dialogs;
    NViewLib& nviewlib;
    Clock& clock;
    HelpEngine& help;
    Shell& shell;
    Registry& registry;
    Desktop& desktop;
    QString appFolder;       // where viewer.ini and the work files live
    QString helpFolder = {}; // where the help file is installed; appFolder when empty
    QString workFolder = {}; // where this run's work files live; appFolder when empty
    // The desktop's shared thumbnails (see standardThumbnailFolder); none are kept when empty.
    QString thumbnailFolder = {};

    // appFolder joined with the platform's separator and a file name.
    QString appFile(const QString& name) const;
    // The same for a work file (tempnail.bmp, ~temp.bmp).
    QString workFile(const QString& name) const;
    QString helpFile() const;
};

// Where the program keeps its files. Run from a folder that holds its help file (a build folder,
// a copy of its own) and can be written, everything stays beside the executable. Installed, it
// never writes into its own folders, even as root: the settings go to the user's configuration
// folder, the work files to the user's cache, and the help file is read from the share folder.
struct AppFolders {
    QString settings; // viewer.ini
    QString work;     // tempnail.bmp, ~temp.bmp
    QString help;     // viewer.html
};

// Qt's own texts (the file and colour dialogs, message box buttons) in the language of locale,
// from the system's Qt translations; the program's own captions and messages stay as written.
// False when there is no translation for it.
bool installQtTranslations(QTranslator& translator, const QLocale& locale);

// The user's folders for an installed program; the real ones come from the desktop's standard
// locations (XDG), tests give their own.
struct UserFolders {
    QString config;     // ~/.config/tovik-viewer
    QString cache;      // ~/.cache/tovik-viewer
    QString oldDataDir; // ~/.local/share/tovik-viewer, where earlier versions kept viewer.ini
};
UserFolders standardUserFolders();
// Where every program of the user's keeps the thumbnails they share: $XDG_CACHE_HOME/thumbnails.
QString standardThumbnailFolder();

// Decides the folders and makes the ones needed; an installed program's viewer.ini is moved once
// from where earlier versions kept it.
AppFolders appFolders(const QString& executableFolder, const UserFolders& user);

} // namespace tovik
