// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "commands/dispatcher.h"

#include "app/frmshowtell.h"
#include "editing/elsewhere.h"
#include "editing/frmproperties.h"
#include "editing/print.h"
#include "editing/turn.h"
#include "help/frmabout.h"
#include "help/web.h"
#include "saving/saveas.h"
#include "thumbnails/thumbnailcommand.h"
#include "viewing/display.h"
#include "viewing/navigation.h"
#include "viewing/reload.h"
#include "viewing/slideshow.h"
#include "viewing/sorting.h"
#include "viewing/strip.h"
#include "viewing/trash.h"
#include "viewing/zoom.h"

namespace tovik {

namespace {
void forward(frmShowTell& w) {
    ShowPicture(w, 1);
}
void back(frmShowTell& w) {
    ShowPicture(w, -1);
}
void clockTimer(frmShowTell& w) {
    w.Timer1.isEnabled() ? StopSlideShow(w) : StartSlideShow(w);
}
void first(frmShowTell& w) {
    ShowEntry(w, 1);
}
void last(frmShowTell& w) {
    ShowEntry(w, w.state().PictureCount);
}
// The zoom keys and the wheel, like the zoom buttons, do something only with a picture shown.
void zoomIn(frmShowTell& w) {
    if (w.pictureLoaded() && FinishPicture(w))
        tovik::ZoomIn(w);
}
void zoomOut(frmShowTell& w) {
    if (w.pictureLoaded() && FinishPicture(w))
        tovik::ZoomOut(w);
}
void originalSize(frmShowTell& w) {
    if (w.pictureLoaded() && FinishPicture(w))
        tovik::OriginalSize(w);
}
// Commands that act on the picture's own pixels or on its zoom wait for a large photo's full
// decode when its preview is shown, and do nothing when it fails.
template <void (*command)(frmShowTell&)> void onFullPicture(frmShowTell& w) {
    if (FinishPicture(w))
        command(w);
}
// A turned file is shown again at once, as is everything that reads it from now on.
template <Turn turn> void turned(frmShowTell& w) {
    if (TurnShownPicture(w, turn))
        Display(w, w.shownFile());
}
template <SortKey key> void sortBy(frmShowTell& w) {
    SortCommand(w, key);
}
void exitProgram(frmShowTell& w) {
    w.close(); // as File, Exit: the window closes once this command has ended
}
} // namespace

Dispatcher::Dispatcher() {
    // Toolbar keys, compared case-sensitively in this order; the first match acts.
    m_toolbar = {
        {"Open", OpenCommand},
        {"RightArrow", forward},
        {"LeftArrow", back},
        {"ClockTimer", clockTimer},
        {"LoopForever", ToggleLoop},
        {"ZoomPlus", onFullPicture<tovik::ZoomIn>},
        {"ZoomMinus", onFullPicture<tovik::ZoomOut>},
        {"ZoomEqual", onFullPicture<tovik::OriginalSize>},
        {"SaveAs", onFullPicture<SaveAs_Click>},
        {"Thumbnail", onFullPicture<Thumbnail_Click>},
    };
    // Menu items by their names; File, Exit closes the window, which asks mayClose.
    m_menu = {
        {"Open", OpenCommand},
        {"SaveAs", onFullPicture<SaveAs_Click>},
        {"CloseFile", CloseFileCommand},
        {"OriginalSize", onFullPicture<tovik::OriginalSize>},
        {"ZoomIn", onFullPicture<tovik::ZoomIn>},
        {"ZoomOut", onFullPicture<tovik::ZoomOut>},
        {"FitToWindow", onFullPicture<FitToWindowCommand>},
        {"ShowStrip", FolderStripCommand},
        {"Thumbnail", onFullPicture<Thumbnail_Click>},
        {"Option", OptionCommand},
        {"Contents", Contents_Click},
        {"HelpIndex", HelpIndex_Click},
        {"Mail", Mail_Click},
        {"SiteOne", SiteOne_Click},
        {"SiteTwo", SiteTwo_Click},
        {"About", About_Click},
        {"Undo", UndoCommand},
        {"Copy", onFullPicture<CopyCommand>},
        {"CopyPath", CopyPathCommand},
        {"RotateClockwise", turned<Turn::Clockwise>},
        {"RotateCounterClockwise", turned<Turn::CounterClockwise>},
        {"FlipHorizontal", turned<Turn::FlipHorizontal>},
        {"FlipVertical", turned<Turn::FlipVertical>},
        {"MoveToTrash", MoveToTrashCommand},
        {"DeleteFile", DeleteFileCommand},
        {"Reload", ReloadCommand},
        {"ShowInFolder", ShowInFolderCommand},
        {"Print", onFullPicture<PrintCommand>},
        {"Properties", PropertiesCommand},
        {"SortByName", sortBy<SortKey::Name>},
        {"SortByDateTaken", sortBy<SortKey::DateTaken>},
        {"SortByDateModified", sortBy<SortKey::DateModified>},
        {"SortBySize", sortBy<SortKey::Size>},
        {"SortByType", sortBy<SortKey::Type>},
        {"ReverseOrder", ReverseOrderCommand},
        {"Shuffle", ShuffleCommand},
    };
    // Keys, with their modifiers. The Page keys keep their meaning (Page Up forward) whatever the
    // shift state; the others are what other viewers have taught people.
    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    const auto ctrlShift = [](Qt::Key key) {
        return QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, key);
    };
    m_keys = {
        {Qt::Key_Right, forward},
        {Qt::Key_Space, forward},
        {Qt::Key_Left, back},
        {Qt::Key_Backspace, back},
        {Qt::Key_Home, first},
        {Qt::Key_End, last},
        {Qt::Key_Plus, zoomIn},
        {Qt::Key_Equal, zoomIn},
        {Qt::Key_Minus, zoomOut},
        {ctrl(Qt::Key_Plus), zoomIn},
        {ctrl(Qt::Key_Equal), zoomIn},
        {ctrl(Qt::Key_Minus), zoomOut},
        {ctrl(Qt::Key_0), originalSize},
        {ctrl(Qt::Key_Q), exitProgram},
        {Qt::Key_F, onFullPicture<FitToWindowCommand>},
        {Qt::Key_F11, FullScreenCommand},
        {ctrl(Qt::Key_F9), FolderStripCommand},
        {Qt::Key_Escape, LeaveFullScreenCommand},
        // Acting on the picture: with Shift, these are other commands.
        {ctrl(Qt::Key_Z), UndoCommand},
        {ctrl(Qt::Key_C), onFullPicture<CopyCommand>},
        {ctrlShift(Qt::Key_C), CopyPathCommand},
        {ctrl(Qt::Key_R), turned<Turn::Clockwise>},
        {ctrlShift(Qt::Key_R), turned<Turn::CounterClockwise>},
        {Qt::Key_Delete, MoveToTrashCommand},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete), DeleteFileCommand},
        {Qt::Key_F5, ReloadCommand},
        {ctrl(Qt::Key_P), onFullPicture<PrintCommand>},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Return), PropertiesCommand},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Enter), PropertiesCommand},
    };
}

template <typename Work> void Dispatcher::run(frmShowTell& window, Work work) {
    if (m_running)
        return; // dropped, not queued
    m_running = true;
    m_tickDropped = m_frameDropped = m_arrivalDropped = m_changeDropped = false;
    work();
    m_running = false;
    window.followList();
    if (m_tickDropped)
        window.Timer1.restartWait();
    if (m_frameDropped && window.frames)
        window.FrameTimer.start(0); // the animation goes on from the frame it was at
    if (m_arrivalDropped)
        QMetaObject::invokeMethod(
            &window, [this, &window] { pictureArrived(window); }, Qt::QueuedConnection);
    if (m_changeDropped)
        window.ChangeTimer.start();
    if (window.closePending())
        window.close();
}

void Dispatcher::runNamed(frmShowTell& window, const std::vector<Entry>& table,
                          const QString& name) {
    for (const Entry& entry : table)
        if (name == QLatin1String(entry.name)) {
            run(window, [&] { entry.command(window); });
            return;
        }
}

void Dispatcher::toolbarKey(frmShowTell& window, const QString& key) {
    runNamed(window, m_toolbar, key);
}

void Dispatcher::menuItem(frmShowTell& window, const QString& name) {
    runNamed(window, m_menu, name);
}

bool Dispatcher::key(frmShowTell& window, QKeyCombination pressed) {
    if (pressed.key() == Qt::Key_PageUp || pressed.key() == Qt::Key_PageDown) {
        run(window, [&] { pressed.key() == Qt::Key_PageDown ? back(window) : forward(window); });
        return true;
    }
    // The keypad's keys are the same keys; Shift is how some layouts reach + at all, so a key
    // with Shift that has no command of its own is the key without it.
    const Qt::KeyboardModifiers held = pressed.keyboardModifiers() & ~Qt::KeypadModifier;
    for (const QKeyCombination key : {QKeyCombination(held, pressed.key()),
                                      QKeyCombination(held & ~Qt::ShiftModifier, pressed.key())})
        for (const KeyEntry& entry : m_keys)
            if (entry.key == key) {
                run(window, [&] { entry.command(window); });
                return true;
            }
    return false;
}

void Dispatcher::slideTick(frmShowTell& window) {
    if (m_running)
        m_tickDropped = true;
    run(window, [&] { SlideTick(window); });
}

// A frame changes nothing a command could have seen: during a command it waits for its end.
void Dispatcher::frameTick(frmShowTell& window) {
    if (m_running)
        m_frameDropped = true;
    else
        ShowNextFrame(window);
}

// The full picture taking its preview's place may give a message: run as a command, after the
// one running.
void Dispatcher::pictureArrived(frmShowTell& window) {
    if (m_running)
        m_arrivalDropped = true;
    else
        run(window, [&] { ShowArrivedPicture(window); });
}

void Dispatcher::entryChosen(frmShowTell& window, qint32 index) {
    run(window, [&] { ShowEntry(window, index); });
}

void Dispatcher::filesGiven(frmShowTell& window, const QStringList& paths) {
    run(window, [&] { OpenFiles(window, paths); });
}

void Dispatcher::zoomWheel(frmShowTell& window, int direction) {
    run(window, [&] { direction > 0 ? zoomIn(window) : zoomOut(window); });
}

// A change on disk is looked at between commands, after the one running.
void Dispatcher::diskChanged(frmShowTell& window) {
    if (m_running)
        m_changeDropped = true;
    else
        run(window, [&] { DiskChanged(window); });
}

bool Dispatcher::mayClose(frmShowTell&) {
    return !m_running;
}

} // namespace tovik
