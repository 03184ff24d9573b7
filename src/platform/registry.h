// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tovik {

inline constexpr quint32 LocalMachine = 0x80000002u; // HKEY_LOCAL_MACHINE
inline constexpr quint32 FullAccess = 0x2003Fu;

// A value as the registry hands it over: its type, a 1024-byte buffer and the bytes used.
struct RegistryValue {
    qint32 type = 0;
    QByteArray buffer;
    quint32 byteCount = 0;
};

// Where the system information tool is found, and how a program is started. On Windows the real
// registry; elsewhere a lookup of our own that answers the same two entries.
class Registry {
public:
    virtual ~Registry() = default;
    // Opens the key and reads the value; nullopt when either step fails.
    virtual std::optional<RegistryValue> queryValue(quint32 root, const QString& key,
                                                    const QString& valueName) = 0;
    // Starts a program in a normal window without waiting; false when it cannot be started.
    virtual bool startProgram(const QString& path) = 0;
};

// The system information tool's file name, appended to the folder of the second entry.
QString systemToolFileName();

class SystemRegistry : public Registry {
public:
    std::optional<RegistryValue> queryValue(quint32 root, const QString& key,
                                            const QString& valueName) override;
    bool startProgram(const QString& path) override;
};

} // namespace tovik
