// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/navigation.h"

#include "app/dirtree.h"
#include "app/frmshowtell.h"
#include "app/toolbarbutton.h"
#include "core/dialogtext.h"
#include "core/folderlist.h"
#include "core/navigation.h"
#include "platform/foldernames.h"
#include "viewing/display.h"
#include "viewing/listorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QStatusBar>

namespace tovik {

namespace {
const QString NotOpenedTitle = QStringLiteral("Open");
const QString NotOpenedText = QStringLiteral("These files cannot be read and were left out:\n%1");
} // namespace

void OpenCommand(frmShowTell& window) {
    ViewerState& s = window.state();
    s.DialogCancelled = false;
    s.DialogMode = 1;
    dirTree host(window.platform(), s);
    host.Form_Load();
    if (s.DialogCancelled) {
        s.DialogCancelled = false;
        return;
    }
    s.ZoomFactor = 1.0f;
    ResetViewer(window);
    BuildPictureList(s);
    StartViewing(window);
}

namespace {
// The pictures in a folder, as full paths; none when it cannot be read. Pictures whose names
// cannot be given back to the system go to refused.
QStringList picturesIn(const QDir& folder, QStringList& refused) {
    QStringList paths;
    for (const QString& name : picturesAmong(folder.entryList(QDir::Files | QDir::Readable)))
        paths << folder.absoluteFilePath(name);
    for (const QString& name : picturesAmong(namesThatCannotBeOpened(folder.absolutePath())))
        refused << folder.absoluteFilePath(name);
    return paths;
}

// What was given from outside as the list to open: a folder stands for its pictures, and a file
// named alone for the pictures of its folder (it shows first, and the others a step away).
// The place in the list to start from goes to start; the folder the list is, to folder.
QStringList listToOpen(const QStringList& paths, QStringList& refused, qsizetype& start,
                       QString& folder) {
    QStringList list;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        const QStringList inFolder = file.isDir() ? picturesIn(QDir(path), refused) : QStringList();
        if (file.isFile() && file.isReadable())
            list << file.absoluteFilePath();
        else if (!inFolder.isEmpty())
            list << inFolder;
        else
            refused << file.absoluteFilePath();
    }
    start = 0;
    if (paths.size() == 1 && QFileInfo(paths.first()).isDir())
        folder = QFileInfo(paths.first()).absoluteFilePath();
    if (paths.size() == 1 && list.size() == 1 && QFileInfo(paths.first()).isFile()) {
        const QDir neighbourhood = QFileInfo(list.first()).absoluteDir();
        const QStringList neighbours = picturesIn(neighbourhood, refused);
        start = std::max<qsizetype>(0, neighbours.indexOf(list.first()));
        if (neighbours.contains(list.first())) {
            list = neighbours;
            folder = neighbourhood.absolutePath();
        }
    }
    return list;
}
} // namespace

void OpenFiles(frmShowTell& window, const QStringList& paths) {
    QStringList refused;
    qsizetype start = 0;
    QString folder;
    const QStringList readable = listToOpen(paths, refused, start, folder);
    if (!refused.isEmpty())
        window.platform().messages.message(NotOpenedTitle, NotOpenedText.arg(refused.join('\n')));
    if (readable.isEmpty())
        return;
    ViewerState& s = window.state();
    s.SelectedFiles = selectedFilesText(readable);
    s.ZoomFactor = 1.0f;
    ResetViewer(window);
    BuildPictureList(s);
    if (!folder.isEmpty()) { // a folder's pictures come in the order chosen for folders
        const QStringList ordered = inChosenOrder(s, readable);
        s.setPictureList(ordered);
        // A file named alone still shows first; a folder starts at its first picture.
        if (start > 0 || QFileInfo(paths.first()).isFile())
            start = std::max<qsizetype>(0, ordered.indexOf(readable.at(start)));
    }
    s.ListFolder = folder;
    StartViewing(window, qint32(start) + 1);
}

void BuildPictureList(ViewerState& state) {
    state.setPictureList(splitSelectedFiles(state.SelectedFiles, QDir::separator()));
}

void StartViewing(frmShowTell& window, qint32 first) {
    window.HScroll1->setValue(0);
    window.VScroll1->setValue(0);
    window.state().CurrentIndex = first;
    ShowPicture(window, 0);
}

void ShowPicture(frmShowTell& window, qint32 Direction) {
    ViewerState& s = window.state();
    const auto step = navigationStep(s.CurrentIndex, s.PictureCount, Direction);
    if (!step)
        return;
    ButtonBar& bar = *window.Toolbar1;
    bar.setEnabled(ClockTimerButton, step->slideButtons);
    bar.setEnabled(LoopForeverButton, step->slideButtons);
    s.CurrentIndex = step->index;
    bar.setEnabled(LeftArrowButton, step->back);
    bar.setEnabled(RightArrowButton, step->forward);
    bar.setEnabled(SaveAsButton, true);
    for (int zoom : {ZoomPlusButton, ZoomMinusButton, ZoomEqualButton})
        bar.setEnabled(zoom, true);
    if (!window.sheetFileExists())
        bar.setEnabled(ThumbnailButton, true);
    Display(window, s.PictureList(s.CurrentIndex));
    s.CurrentIndex += 1;
    // The user most likely goes on the same way (forward, after Open).
    if (const auto next = navigationStep(s.CurrentIndex, s.PictureCount, Direction == -1 ? -1 : 1))
        if (next->index != step->index)
            window.picturesAhead.decodeAhead(s.PictureList(next->index),
                                             window.imgThree.picture.sizeInBytes());
}

void ShowEntry(frmShowTell& window, qint32 index) {
    ViewerState& s = window.state();
    if (index < 1 || index > s.PictureCount)
        return;
    s.CurrentIndex = index;
    ShowPicture(window, 0);
}

void ResetViewer(frmShowTell& window) {
    ViewerState& s = window.state();
    s.ZoomFactor = 1.0f;
    window.Timer1.setEnabled(false);
    s.LoopForever = false;
    window.Toolbar1->setPressed(LoopForeverButton, false);
    s.clearPictureList();
    s.CurrentIndex = 1;
    window.SB1->showMessage(QString());
    window.HScroll1->hide();
    window.VScroll1->hide();
    window.imgOne->clear();
    window.imgThree.clear();
    window.stopAnimation();
    window.dropUnfinished();
    window.picturesAhead.clear();
    window.forgetShown();
    for (int index : ButtonsNeedingAPicture)
        window.Toolbar1->setEnabled(index, false);
    QFile::remove(window.platform().workFile(ScratchFileName));
    QFile::remove(window.platform().workFile(SheetFileName));
}

void CloseFileCommand(frmShowTell& window) {
    ResetViewer(window);
    QCoreApplication::processEvents();
}

} // namespace tovik
