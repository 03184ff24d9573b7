#include "platform/platform.h"

#include <QDir>

namespace tovik {

QString Platform::appFile(const QString& name) const {
    return QDir::toNativeSeparators(appFolder + QLatin1Char('/') + name);
}

} // namespace tovik
