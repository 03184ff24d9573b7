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
    QString appFolder; // where viewer.ini and the work files live

    // appFolder joined with the platform's separator and a file name.
    QString appFile(const QString& name) const;
};

} // namespace tovik
