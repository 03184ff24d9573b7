// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/trash.h"

#include "app/frmshowtell.h"
#include "imaging/turning.h"
#include "platform/filestamp.h"
#include "platform/safefile.h"
#include "platform/trash.h"
#include "viewing/display.h"
#include "viewing/navigation.h"
#include "viewing/reload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tovik {

namespace {
const QString TrashTitle = QStringLiteral("Move to Trash");
const QString NotTrashedText = QStringLiteral("\"%1\" could not be moved to the trash: %2.");
const QString TrashedNotice = QStringLiteral("\"%1\" moved to the trash (Ctrl+Z puts it back)");
const QString DeleteTitle = QStringLiteral("Delete Permanently");
const QString ConfirmText =
    QStringLiteral("Delete \"%1\" for good? It does not go to the trash and cannot be undone.");
const QString NotDeletedText = QStringLiteral("\"%1\" could not be deleted: %2.");
const QString UndoTitle = QStringLiteral("Undo");
const QString NotRestoredText = QStringLiteral("\"%1\" could not be put back: %2.");
const QString NotTurnedBackText = QStringLiteral("\"%1\" could not be turned back: %2.");

QString shownName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void undoTrashing(frmShowTell& window, const UndoStep& step) {
    QString error;
    if (!restoreFromTrash({step.path, step.trashedFile, step.trashedInfo}, &error)) {
        window.platform().messages.message(UndoTitle,
                                           NotRestoredText.arg(shownName(step.path), error));
        window.state().Undo.giveBack(step);
        return;
    }
    ViewerState& s = window.state();
    const qint32 entry = std::clamp(step.entry, 1, s.PictureCount + 1);
    s.insertPicture(entry, step.path);
    ShowEntry(window, entry);
}

// The file's own bytes back while it holds what the turn made of it; else, changed since, the
// turn undone on what it holds now.
TurnResult turnedBack(const UndoStep& step) {
    QFile kept(step.keptCopy);
    if (step.keptCopy.isEmpty() || fileDigest(step.path) != step.digestAfter ||
        !kept.open(QIODevice::ReadOnly))
        return turnPicture(step.path, undoing(step.turn));
    QString error;
    if (!writeFileSafely(step.path, kept.readAll(), SafeFile::Kind::Durable, &error))
        return {TurnResult::Failed, error};
    return {TurnResult::Turned, {}};
}

void undoTurning(frmShowTell& window, const UndoStep& step) {
    const TurnResult result = turnedBack(step);
    if (result.outcome != TurnResult::Turned) {
        window.platform().messages.message(
            UndoTitle, NotTurnedBackText.arg(shownName(step.path), result.reason));
        window.state().Undo.giveBack(step);
        return;
    }
    if (!step.keptCopy.isEmpty())
        QFile::remove(step.keptCopy);
    if (window.shownFile() == step.path)
        Display(window, step.path);
}
} // namespace

void MoveToTrashCommand(frmShowTell& window) {
    const QString shown = window.shownFile();
    if (shown.isEmpty())
        return;
    QString error;
    const std::optional<TrashedFile> trashed = moveToTrash(shown, &error);
    if (!trashed) {
        window.platform().messages.message(TrashTitle, NotTrashedText.arg(shownName(shown), error));
        return;
    }
    const qint32 entry = window.state().CurrentIndex - 1;
    window.state().Undo.push({UndoStep::Kind::Trashed,
                              shown,
                              Turn::Clockwise,
                              {},
                              {},
                              trashed->file,
                              trashed->info,
                              entry});
    LeaveList(window, entry);
    window.notice(TrashedNotice.arg(QFileInfo(shown).fileName()));
}

void DeleteFileCommand(frmShowTell& window) {
    const QString shown = window.shownFile();
    if (shown.isEmpty() ||
        !window.platform().messages.confirm(DeleteTitle, ConfirmText.arg(shownName(shown))))
        return;
    QFile file(shown);
    if (!file.remove()) {
        window.platform().messages.message(
            DeleteTitle, NotDeletedText.arg(shownName(shown), file.errorString()));
        return;
    }
    LeaveList(window, window.state().CurrentIndex - 1);
}

void UndoCommand(frmShowTell& window) {
    const std::optional<UndoStep> step = window.state().Undo.takeLatest();
    if (!step)
        return;
    if (step->kind == UndoStep::Kind::Trashed)
        undoTrashing(window, *step);
    else
        undoTurning(window, *step);
}

} // namespace tovik
