// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/testmain.h"

#include "imaging/startup.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace tovik::test {
std::vector<std::function<QObject*()>>& registeredTests() {
    static std::vector<std::function<QObject*()>> tests;
    return tests;
}
} // namespace tovik::test

namespace {
// Test functions named on the command line run in the classes that have them; the others are
// skipped rather than failed for not knowing them.
bool hasNamedFunction(const QObject& test, int argc, char* argv[]) {
    static const QList<QByteArray> TakeValues{"-o",        "-maxwarnings", "-eventdelay",
                                              "-keydelay", "-mousedelay",  "-seed"};
    bool named = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith('-')) {
            i += TakeValues.contains(arg) ? 1 : 0;
            continue;
        }
        named = true;
        const QByteArray function = arg.split(':').first() + "()"; // "name:row" names a row
        if (test.metaObject()->indexOfMethod(function.constData()) >= 0)
            return true;
    }
    return !named;
}
} // namespace

int main(int argc, char* argv[]) {
    tovik::shareOneMemoryArena(); // as the program does
    tovik::ignoreBrokenPipes();
    QApplication app(argc, argv);
    tovik::useDecodingHelper();
    int failures = 0;
    for (const auto& make : tovik::test::registeredTests()) {
        std::unique_ptr<QObject> test(make());
        if (hasNamedFunction(*test, argc, argv))
            failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
