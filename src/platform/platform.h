#pragma once

#include "platform/messages.h"
#include "platform/screenmetrics.h"

#include <QString>

namespace tovik {

// Everything outside the program, handed to the windows at construction.
struct Platform {
    ScreenMetrics& screen;
    Messages& messages;
    QString appFolder; // where viewer.ini and the work files live

    // appFolder joined with the platform's separator and a file name.
    QString appFile(const QString& name) const;
};

} // namespace tovik
