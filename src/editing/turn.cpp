// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "editing/turn.h"

#include "app/frmshowtell.h"
#include "imaging/turning.h"
#include "platform/filestamp.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <utility>

namespace tovik {

namespace {
const QString TurnTitle = QStringLiteral("Rotate or Flip");
const QString RefusedText = QStringLiteral("\"%1\" was left as it is: %2.");
// Writing failed as a save does, and says so in the same words.
const QString FailedText = QStringLiteral("Could not save \"%1\": %2.");
} // namespace

namespace {
// A copy of the file as it is, in the work folder, so that Undo gives back its very bytes; empty
// when it cannot be made (Undo then turns the file back, which loses nothing either).
QString keptCopyOf(const frmShowTell& window, const QString& path) {
    const QString copy = window.platform().workFile(
        UndoCopyPrefix + QString::number(QRandomGenerator::global()->generate64(), 16));
    return QFile::copy(path, copy) ? copy : QString();
}

void remember(frmShowTell& window, UndoStep step) {
    if (const std::optional<UndoStep> dropped = window.state().Undo.push(std::move(step)))
        if (!dropped->keptCopy.isEmpty())
            QFile::remove(dropped->keptCopy);
}
} // namespace

bool TurnShownPicture(frmShowTell& window, Turn turn) {
    const QString shown = window.shownFile();
    if (shown.isEmpty() || !mayTurn(shown))
        return false;
    const QString kept = keptCopyOf(window, shown);
    const TurnResult result = turnPicture(shown, turn);
    if (result.outcome == TurnResult::Turned) {
        UndoStep step{UndoStep::Kind::Turned, shown, turn, kept, fileDigest(shown), {}, {}, 0};
        remember(window, std::move(step));
        return true;
    }
    if (!kept.isEmpty())
        QFile::remove(kept);
    const QString& text = result.outcome == TurnResult::Refused ? RefusedText : FailedText;
    window.platform().messages.message(TurnTitle,
                                       text.arg(QDir::toNativeSeparators(shown), result.reason));
    return false;
}

} // namespace tovik
