#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/helpengine.h"
#include "platform/messages.h"
#include "platform/nviewlib/nviewlib.h"
#include "platform/registry.h"
#include "platform/screenmetrics.h"

#include <QString>

namespace tovik {

// The files the program keeps beside itself.
inline const QString HelpFileName = QStringLiteral("viewer.html");
inline const QString ScratchFileName = QStringLiteral("~temp.bmp");
inline const QString SheetFileName = QStringLiteral("tempnail.bmp");
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
    QString appFolder;       // where viewer.ini and the work files live
    QString helpFolder = {}; // where the help file is installed; appFolder when empty
    QString workFolder = {}; // where this run's work files live; appFolder when empty

    // appFolder joined with the platform's separator and a file name.
    QString appFile(const QString& name) const;
    // The same for a work file (tempnail.bmp, ~temp.bmp).
    QString workFile(const QString& name) const;
    QString helpFile() const;
};

// The folder for viewer.ini and the work files: the executable's own, or, where that cannot be
// written (a system-wide install), the user's application data folder.
QString writableAppFolder(const QString& executableFolder);

// Where the help file is: beside the executable, or in the installed share folder.
QString installedHelpFolder(const QString& executableFolder);

} // namespace tovik
