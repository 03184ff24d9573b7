// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/orientations.h"

#include <QString>
#include <QtGlobal>

#include <deque>
#include <optional>

namespace tovik {

// One change made to the user's files that Undo takes back.
struct UndoStep {
    enum class Kind { Turned, Trashed } kind = Kind::Turned;
    QString path;                // the picture as the list names it
    Turn turn = Turn::Clockwise; // Turned: what was done to it
    QString keptCopy;            //   the file as it was, byte for byte (none when it failed)
    QByteArray digestAfter;      //   what the file held once turned (platform/filestamp)
    QString trashedFile;         // Trashed: where it lies in the trash
    QString trashedInfo;         //   and its .trashinfo
    qint32 entry = 0;            // Trashed: its place in the list, from 1
};

// The changes made while the program runs, the latest last; the oldest go past MostSteps.
class UndoSteps {
public:
    static constexpr size_t MostSteps = 50;

    // The oldest step, when it had to go to make room.
    std::optional<UndoStep> push(UndoStep step) {
        m_steps.push_back(std::move(step));
        if (m_steps.size() <= MostSteps)
            return std::nullopt;
        UndoStep oldest = std::move(m_steps.front());
        m_steps.pop_front();
        return oldest;
    }
    std::optional<UndoStep> takeLatest() {
        if (m_steps.empty())
            return std::nullopt;
        UndoStep step = std::move(m_steps.back());
        m_steps.pop_back();
        return step;
    }
    // Gives a step that could not be undone back, to be tried again.
    void giveBack(UndoStep step) { m_steps.push_back(std::move(step)); }
    bool empty() const { return m_steps.empty(); }
    size_t size() const { return m_steps.size(); }

private:
    std::deque<UndoStep> m_steps;
};

} // namespace tovik
