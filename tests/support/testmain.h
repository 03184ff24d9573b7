// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QObject>

#include <functional>
#include <vector>

namespace tovik::test {

// Several test classes in one executable per folder: each registers itself, main runs them all.
std::vector<std::function<QObject*()>>& registeredTests();

struct Registration {
    explicit Registration(std::function<QObject*()> make) {
        registeredTests().push_back(std::move(make));
    }
};

} // namespace tovik::test

#define TOVIK_REGISTER_TEST(Class)                                                                 \
    static const tovik::test::Registration Class##Registration([] { return new Class; });
