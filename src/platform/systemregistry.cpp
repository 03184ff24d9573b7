// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/registry.h"

#include "core/keyvalue.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tovik {

#ifndef Q_OS_WIN
namespace {
const QString ToolPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString ToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

RegistryValue stringValue(const QString& text) {
    RegistryValue v;
    v.type = RegString;
    v.buffer = QByteArray(KeyValueBufferSize, '\0');
    const QByteArray bytes = QFile::encodeName(text).left(KeyValueBufferSize - 1);
    std::copy(bytes.begin(), bytes.end(), v.buffer.begin());
    v.byteCount = quint32(bytes.size() + 1); // stored with its terminating NUL
    return v;
}

// Desktop system-information programs, best first.
const char* const Tools[] = {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor",
                             "xfce4-taskmanager"};

QString installedTool() {
    for (const char* tool : Tools)
        if (const QString path = QStandardPaths::findExecutable(QLatin1String(tool));
            !path.isEmpty())
            return path;
    return {};
}
} // namespace
#endif

#ifdef Q_OS_WIN
QString systemToolFileName() {
    return QStringLiteral("\\MSINFO32.EXE");
}

std::optional<RegistryValue> SystemRegistry::queryValue(quint32 root, const QString& key,
                                                        const QString& valueName) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY(ULONG_PTR(root)), key.toLocal8Bit().constData(), 0, FullAccess,
                      &handle) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue v;
    v.buffer = QByteArray(KeyValueBufferSize, '\0');
    DWORD type = 0, count = KeyValueBufferSize;
    const LONG result = RegQueryValueExA(handle, valueName.toLocal8Bit().constData(), nullptr,
                                         &type, reinterpret_cast<BYTE*>(v.buffer.data()), &count);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    v.type = qint32(type);
    v.byteCount = count;
    return v;
}
#else
QString systemToolFileName() {
    const QString tool = installedTool();
    return QDir::separator() +
           (tool.isEmpty() ? QLatin1String(Tools[0]) : QFileInfo(tool).fileName());
}

// The same two entries, answered from the programs installed here: the tool's full path, and
// the folder it lies in.
std::optional<RegistryValue> SystemRegistry::queryValue(quint32 root, const QString& key,
                                                        const QString& valueName) {
    const QString tool = installedTool();
    if (root != LocalMachine || tool.isEmpty())
        return std::nullopt;
    if (key == ToolPathKey && valueName == QLatin1String("PATH"))
        return stringValue(QDir::toNativeSeparators(tool));
    if (key == ToolFolderKey && valueName == QLatin1String("MSINFO"))
        return stringValue(QDir::toNativeSeparators(QFileInfo(tool).absolutePath()));
    return std::nullopt;
}
#endif

bool SystemRegistry::startProgram(const QString& path) {
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

} // namespace tovik
