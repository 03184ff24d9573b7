// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"

#include "app/commandrouter.h"
#include "app/links.h"
#include "app/toolbarbutton.h"
#include "imaging/turning.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace tovik {

namespace {
// Writers pause for less than this between the parts of a file they write.
constexpr int ChangeSettleMs = 300;

QAction* item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* topMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}
} // namespace

void frmShowTell::buildMenus() {
    QMenuBar* bar = menuBar();
    File = topMenu(bar, "File", QStringLiteral("&File"));
    Open = item(File, "Open", QStringLiteral("&Open File..."));
    SaveAs = item(File, "SaveAs", QStringLiteral("Save &As..."));
    File->addSeparator()->setObjectName(QStringLiteral("Separator4"));
    CloseFile = item(File, "CloseFile", QStringLiteral("C&lose File"));
    File->addSeparator()->setObjectName(QStringLiteral("Separator"));
    Exit = item(File, "Exit", QStringLiteral("&Exit"));

    buildEditMenu(bar);

    view = topMenu(bar, "view", QStringLiteral("&View"));
    OriginalSize = item(view, "OriginalSize", QStringLiteral("&Original Size"));
    ZoomIn = item(view, "ZoomIn", QStringLiteral("Zoom &In"));
    ZoomOut = item(view, "ZoomOut", QStringLiteral("Zoom O&ut"));
    FitToWindow = item(view, "FitToWindow", QStringLiteral("&Fit to Window"));
    FitToWindow->setCheckable(true);
    ShowStrip = item(view, "ShowStrip", QStringLiteral("Folder S&trip\tCtrl+F9"));
    ShowStrip->setCheckable(true);
    buildSortMenu();

    Tools = topMenu(bar, "Tools", QStringLiteral("&Tools"));
    Thumbnail = item(Tools, "Thumbnail", QStringLiteral("&Generate Thumbnails"));
    Tools->addSeparator()->setObjectName(QStringLiteral("Separator2"));
    Option = item(Tools, "Option", QStringLiteral("&Set Timer"));
    Tools->addSeparator();
    Shuffle = item(Tools, "Shuffle", QStringLiteral("Shu&ffle Slide Show"));
    Shuffle->setCheckable(true);

    Help = topMenu(bar, "Help", QStringLiteral("&Help"));
    Contents = item(Help, "Contents", QStringLiteral("Contents..."));
    HelpIndex = item(Help, "HelpIndex", QStringLiteral("Index..."));
    Mail = item(Help, "Mail", MailCaption);
    Web = Help->addMenu(QStringLiteral("Tovik on the &Web"));
    Web->setObjectName(QStringLiteral("Web"));
    SiteOne = item(Web, "SiteOne", SiteOneCaption);
    SiteTwo = item(Web, "SiteTwo", SiteTwoCaption);
    Help->addSeparator()->setObjectName(QStringLiteral("Separator3"));
    About = item(Help, "About", QStringLiteral("&About Tovik Viewer..."));
}

// How a folder's pictures are listed, after the View menu's own items.
void frmShowTell::buildSortMenu() {
    view->addSeparator();
    SortBy = view->addMenu(QStringLiteral("&Sort By"));
    SortBy->setObjectName(QStringLiteral("SortBy"));
    auto* keys = new QActionGroup(SortBy);
    SortByName = item(SortBy, "SortByName", QStringLiteral("&Name"));
    SortByDateTaken = item(SortBy, "SortByDateTaken", QStringLiteral("Date &Taken"));
    SortByDateModified = item(SortBy, "SortByDateModified", QStringLiteral("Date &Modified"));
    SortBySize = item(SortBy, "SortBySize", QStringLiteral("File &Size"));
    SortByType = item(SortBy, "SortByType", QStringLiteral("T&ype"));
    for (QAction* a : {SortByName, SortByDateTaken, SortByDateModified, SortBySize, SortByType}) {
        a->setCheckable(true);
        keys->addAction(a);
    }
    SortBy->addSeparator();
    ReverseOrder = item(SortBy, "ReverseOrder", QStringLiteral("&Reverse Order"));
    ReverseOrder->setCheckable(true);
}

// Acting on the picture shown. The keys are the dispatcher's; the captions only name them.
void frmShowTell::buildEditMenu(QMenuBar* bar) {
    Edit = topMenu(bar, "Edit", QStringLiteral("&Edit"));
    Undo = item(Edit, "Undo", QStringLiteral("&Undo\tCtrl+Z"));
    Edit->addSeparator();
    Copy = item(Edit, "Copy", QStringLiteral("&Copy\tCtrl+C"));
    CopyPath = item(Edit, "CopyPath", QStringLiteral("Copy &Path\tCtrl+Shift+C"));
    Edit->addSeparator();
    RotateClockwise = item(Edit, "RotateClockwise", QStringLiteral("&Rotate Clockwise\tCtrl+R"));
    RotateCounterClockwise = item(Edit, "RotateCounterClockwise",
                                  QStringLiteral("Rotate Counter-clock&wise\tCtrl+Shift+R"));
    FlipHorizontal = item(Edit, "FlipHorizontal", QStringLiteral("Flip &Horizontal"));
    FlipVertical = item(Edit, "FlipVertical", QStringLiteral("Flip &Vertical"));
    Edit->addSeparator();
    MoveToTrash = item(Edit, "MoveToTrash", QStringLiteral("Move to &Trash\tDelete"));
    DeleteFile = item(Edit, "DeleteFile", QStringLiteral("&Delete Permanently\tShift+Delete"));
    Edit->addSeparator();
    Reload = item(Edit, "Reload", QStringLiteral("Re&load\tF5"));
    ShowInFolder = item(Edit, "ShowInFolder", QStringLiteral("&Show in Folder"));
    Print = item(Edit, "Print", QStringLiteral("Pri&nt...\tCtrl+P"));
    Edit->addSeparator();
    Properties = item(Edit, "Properties", QStringLiteral("Picture Pr&operties\tAlt+Return"));
}

void frmShowTell::routeMenus() {
    connect(File, &QMenu::aboutToShow, this, &frmShowTell::File_Click);
    connect(view, &QMenu::aboutToShow, this, &frmShowTell::view_Click);
    connect(Tools, &QMenu::aboutToShow, this, &frmShowTell::Tools_Click);
    connect(Edit, &QMenu::aboutToShow, this, &frmShowTell::Edit_Click);
    // Every named item goes to the router under its name; File, Exit closes the window.
    for (QAction* action : menuBar()->findChildren<QAction*>())
        if (!action->isSeparator() && !action->objectName().isEmpty() && action != Exit)
            connect(action, &QAction::triggered, this,
                    [this, action] { m_commands.menuItem(*this, action->objectName()); });
    connect(Exit, &QAction::triggered, this, &QWidget::close);
    connect(&Timer1, &SlideTimer::Timer, this, [this] { m_commands.slideTick(*this); });
    FrameTimer.setSingleShot(true);
    connect(&FrameTimer, &QTimer::timeout, this, [this] { m_commands.frameTick(*this); });
    // The ClockTimer button shows whether the slide timer is on, whatever turned it on or off.
    connect(&Timer1, &SlideTimer::enabledChanged, this, [this](bool on) {
        Toolbar1->setPressed(ClockTimerButton, on);
        keepScreenAwake();
    });
    ChangeTimer.setSingleShot(true);
    ChangeTimer.setInterval(ChangeSettleMs);
    for (auto changed : {&QFileSystemWatcher::directoryChanged, &QFileSystemWatcher::fileChanged})
        connect(&FolderWatcher, changed, this, [this] { ChangeTimer.start(); });
    connect(&ChangeTimer, &QTimer::timeout, this, [this] { m_commands.diskChanged(*this); });
}

void frmShowTell::File_Click() {
    const bool loaded = pictureLoaded();
    SaveAs->setEnabled(loaded);
    CloseFile->setEnabled(loaded);
}

void frmShowTell::view_Click() {
    const bool loaded = pictureLoaded();
    for (QAction* a : {OriginalSize, ZoomOut, ZoomIn})
        a->setEnabled(loaded);
    FitToWindow->setChecked(m_state.FitToWindow);
    ShowStrip->setChecked(m_state.ShowStrip);
    const QList<QAction*> keys = {SortByName, SortByDateTaken, SortByDateModified, SortBySize,
                                  SortByType};
    keys.at(int(m_state.Sort.key))->setChecked(true);
    ReverseOrder->setChecked(m_state.Sort.reverse);
}

void frmShowTell::Tools_Click() {
    Thumbnail->setEnabled(pictureLoaded());
    if (!Toolbar1->isEnabled(ThumbnailButton))
        Thumbnail->setEnabled(false);
    Shuffle->setChecked(m_state.Shuffle);
}

void frmShowTell::Edit_Click() {
    const QString file = shownFile();
    const bool turnable = !file.isEmpty() && pictureLoaded() && mayTurn(file);
    for (QAction* a : {RotateClockwise, RotateCounterClockwise, FlipHorizontal, FlipVertical})
        a->setEnabled(turnable);
    for (QAction* a : {CopyPath, MoveToTrash, DeleteFile, Reload, ShowInFolder, Properties})
        a->setEnabled(!file.isEmpty());
    Copy->setEnabled(pictureLoaded());
    Print->setEnabled(pictureLoaded());
    Undo->setEnabled(!m_state.Undo.empty());
}

void frmShowTell::Toolbar1_ButtonClick(const QString& key) {
    m_commands.toolbarKey(*this, key);
}

void frmShowTell::keyPressEvent(QKeyEvent* event) {
    if (!m_commands.key(*this, event->keyCombination()))
        QMainWindow::keyPressEvent(event);
}

} // namespace tovik
