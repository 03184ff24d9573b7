// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

// A GUI application for fonts and image plugins, and a file that holds each input.
inline QString inputFile(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Every decoder fuzzed here, in this process, rather than in the sandboxed helper.
    static const bool env =
        qputenv("QT_QPA_PLATFORM", "offscreen") && qputenv("TOVIK_DECODE_IN_PROCESS", "1");
    static QGuiApplication app(argc, argv);
    static QTemporaryDir folder;
    (void)env;
    const QString path = folder.filePath(QStringLiteral("input"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}
