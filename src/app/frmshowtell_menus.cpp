// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"

#include "app/commandrouter.h"
#include "app/links.h"
#include "app/toolbarbutton.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace tovik {

namespace {
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

    view = topMenu(bar, "view", QStringLiteral("&View"));
    OriginalSize = item(view, "OriginalSize", QStringLiteral("&Original Size"));
    ZoomIn = item(view, "ZoomIn", QStringLiteral("Zoom &In"));
    ZoomOut = item(view, "ZoomOut", QStringLiteral("Zoom O&ut"));
    FitToWindow = item(view, "FitToWindow", QStringLiteral("&Fit to Window"));
    FitToWindow->setCheckable(true);

    Tools = topMenu(bar, "Tools", QStringLiteral("&Tools"));
    Thumbnail = item(Tools, "Thumbnail", QStringLiteral("&Generate Thumbnails"));
    Tools->addSeparator()->setObjectName(QStringLiteral("Separator2"));
    Option = item(Tools, "Option", QStringLiteral("&Set Timer"));

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

void frmShowTell::routeMenus() {
    connect(File, &QMenu::aboutToShow, this, &frmShowTell::File_Click);
    connect(view, &QMenu::aboutToShow, this, &frmShowTell::view_Click);
    connect(Tools, &QMenu::aboutToShow, this, &frmShowTell::Tools_Click);
    for (QAction* action : {Open, SaveAs, CloseFile, OriginalSize, ZoomIn, ZoomOut, FitToWindow,
                            Thumbnail, Option, Contents, HelpIndex, Mail, SiteOne, SiteTwo, About})
        connect(action, &QAction::triggered, this,
                [this, action] { m_commands.menuItem(*this, action->objectName()); });
    connect(Exit, &QAction::triggered, this, &QWidget::close);
    connect(&Timer1, &SlideTimer::Timer, this, [this] { m_commands.slideTick(*this); });
    FrameTimer.setSingleShot(true);
    connect(&FrameTimer, &QTimer::timeout, this, [this] { m_commands.frameTick(*this); });
    // The ClockTimer button shows whether the slide timer is on, whatever turned it on or off.
    connect(&Timer1, &SlideTimer::enabledChanged, this,
            [this](bool on) { Toolbar1->setPressed(ClockTimerButton, on); });
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
}

void frmShowTell::Tools_Click() {
    Thumbnail->setEnabled(pictureLoaded());
    if (!Toolbar1->isEnabled(ThumbnailButton))
        Thumbnail->setEnabled(false);
}

void frmShowTell::Toolbar1_ButtonClick(const QString& key) {
    m_commands.toolbarKey(*this, key);
}

void frmShowTell::keyPressEvent(QKeyEvent* event) {
    if (!m_commands.key(*this, event->keyCombination()))
        QMainWindow::keyPressEvent(event);
}

} // namespace tovik
