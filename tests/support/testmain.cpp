// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/testmain.h"

#include "platform/pictures.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace tovik::test {
std::vector<std::function<QObject*()>>& registeredTests() {
    static std::vector<std::function<QObject*()>> tests;
    return tests;
}
} // namespace tovik::test

int main(int argc, char* argv[]) {
    tovik::shareOneMemoryArena(); // as the program does
    tovik::ignoreBrokenPipes();
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto& make : tovik::test::registeredTests()) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
