// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "editing/turn.h"

#include "app/frmshowtell.h"
#include "imaging/turning.h"

#include <QDir>

namespace tovik {

namespace {
const QString TurnTitle = QStringLiteral("Rotate or Flip");
const QString RefusedText = QStringLiteral("\"%1\" was left as it is: %2.");
// Writing failed as a save does, and says so in the same words.
const QString FailedText = QStringLiteral("Could not save \"%1\": %2.");
} // namespace

bool TurnShownPicture(frmShowTell& window, Turn turn) {
    const QString shown = window.shownFile();
    if (shown.isEmpty() || !mayTurn(shown))
        return false;
    const TurnResult result = turnPicture(shown, turn);
    if (result.outcome == TurnResult::Turned) {
        window.state().Undo.push({UndoStep::Kind::Turned, shown, turn, {}, {}, 0});
        return true;
    }
    const QString& text = result.outcome == TurnResult::Refused ? RefusedText : FailedText;
    window.platform().messages.message(TurnTitle,
                                       text.arg(QDir::toNativeSeparators(shown), result.reason));
    return false;
}

} // namespace tovik
