// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"

#include "app/artwork.h"
#include "app/commandrouter.h"
#include "app/toolbarbutton.h"
#include "core/rounding.h"
#include "imaging/thumbnailcache.h"
#include "platform/filestamp.h"
#include "tovik/version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

namespace tovik {

namespace {
const QString Caption = QStringLiteral("Tovik Viewer");
const QString SettingsTitle = QStringLiteral("Settings");
const QString SettingsFailedText =
    QStringLiteral("The settings could not be saved in \"%1\": %2. The previous settings stay.");
constexpr double InitialClientWidth = 5160;  // twips
constexpr double InitialClientHeight = 3645; // twips
} // namespace

frmShowTell::frmShowTell(Platform& platform, ViewerState& state, CommandRouter& commands,
                         QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_state(state), m_commands(commands) {
    const ScreenGeometry screen = m_platform.screen.geometry();
    m_tppX = screen.tppX;
    m_tppY = screen.tppY;
    setWindowTitle(Caption);
    setWindowIcon(applicationIcon());
    buildMenus();
    buildParts();
    routeMenus();
    setAcceptDrops(true);
    resizeToInitial();
    Form_Load();
}

frmShowTell::~frmShowTell() = default;

void frmShowTell::resizeToInitial() {
    resize(toPixelsX(InitialClientWidth),
           toPixelsY(InitialClientHeight) + menuBar()->sizeHint().height());
}

void frmShowTell::buildParts() {
    m_client = new QWidget(this);
    m_client->installEventFilter(this);
    setCentralWidget(m_client);
    Toolbar1 = new ButtonBar(m_client);
    connect(Toolbar1, &ButtonBar::ButtonClick, this, &frmShowTell::Toolbar1_ButtonClick);
    SB1 = new QStatusBar(m_client);
    SB1->setSizeGripEnabled(false);
    imgTwo = new QWidget(m_client);   // clips imgOne to the viewport
    imgTwo->installEventFilter(this); // the wheel over the picture
    imgOne = new DrawingSurface(imgTwo);
    imgOne->installEventFilter(this); // dragged with the mouse
    HScroll1 = new QScrollBar(Qt::Horizontal, m_client);
    VScroll1 = new QScrollBar(Qt::Vertical, m_client);
    for (QScrollBar* bar : {HScroll1, VScroll1}) {
        bar->setFocusPolicy(Qt::NoFocus); // the Page keys belong to the main window
        bar->hide();
    }
    connect(&arrival, &QFutureWatcherBase::finished, this,
            [this] { m_commands.pictureArrived(*this); });
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmShowTell::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmShowTell::VScroll1_Change);
    buildStrip();
    Notice = new QLabel(imgTwo);
    Notice->setStyleSheet(QStringLiteral(
        "background: rgba(0, 0, 0, 170); color: white; padding: 6px 12px; border-radius: 4px;"));
    Notice->hide();
    NoticeTimer.setSingleShot(true);
    connect(&NoticeTimer, &QTimer::timeout, Notice, &QWidget::hide);
}

// Thumbnails from the desktop's shared cache, at the size that covers the strip's cells.
void frmShowTell::buildStrip() {
    const auto size =
        devicePixelRatioF() > 1.4 ? ThumbnailCache::Size::Large : ThumbnailCache::Size::Normal;
    const QString names = QStringLiteral("tovik-viewer-%1.%2").arg(VersionMajor).arg(VersionMinor);
    const ThumbnailCache shared(m_platform.thumbnailFolder, size, names);
    const ThumbnailCache none({}, size, names); // the sheet is this run's own: not shared
    const QString sheet = m_platform.workFile(SheetFileName);
    Strip = new FolderStrip(
        [shared, none, sheet](const QString& path, bool anew) {
            return (path == sheet ? none : shared).thumbnail(path, anew);
        },
        m_client);
    Strip->hide();
    connect(Strip, &FolderStrip::chosen, this,
            [this](int index) { m_commands.entryChosen(*this, index + 1); });
}

void frmShowTell::setStripShown(bool on) {
    Strip->setVisible(on && !fullScreen());
    followList();
    dockBars();
    Form_Resize();
}

void frmShowTell::followList() {
    // CurrentIndex is one past the entry on screen, counted from 1.
    Strip->follow(m_state.pictures(), shownPath.isEmpty() ? -1 : m_state.CurrentIndex - 2);
}

QString frmShowTell::noticeText() const {
    return Notice->isVisible() ? Notice->text() : QString();
}

void frmShowTell::notice(const QString& text) {
    constexpr int ShownMs = 4000, Margin = 12;
    Notice->setText(text);
    Notice->adjustSize();
    Notice->move((imgTwo->width() - Notice->width()) / 2,
                 imgTwo->height() - Notice->height() - Margin);
    Notice->show();
    Notice->raise();
    NoticeTimer.start(ShownMs);
}

void frmShowTell::Form_Load() {
    m_helpFile = m_platform.helpFile();
    Timer1.setEnabled(false);
    SettingsDefaultsContext defaults{m_platform.screen.geometry(), frameGeometry().width() * m_tppX,
                                     frameGeometry().height() * m_tppY};
    ReadSettings(m_state, m_platform.appFile(SettingsFileName), defaults, livePlacement());
    m_state.FitToWindow = ReadSwitch(m_platform.appFile(FitFileName));
    m_state.Sort = ReadSortOrder(m_platform.appFile(SortFileName));
    m_state.ShowStrip = ReadSwitch(m_platform.appFile(StripFileName));
    Strip->setVisible(m_state.ShowStrip);
    placeWindow();
    m_state.ZoomFactor = 1.0f;
    for (int index : ButtonsNeedingAPicture)
        Toolbar1->setEnabled(index, false);
}

void frmShowTell::placeWindow() {
    const TwipRect saved{m_state.SavedLeft, m_state.SavedTop, m_state.SavedWidth,
                         m_state.SavedHeight};
    // A placement that cannot show the menu bar, toolbar and status bar is no placement.
    const TwipRect minimum{0, 0, menuBar()->sizeHint().width() * m_tppX,
                           (menuBar()->sizeHint().height() + Toolbar1->sizeHint().height() +
                            SB1->sizeHint().height()) *
                               m_tppY};
    const PlacementDecision decision =
        decidePlacement(m_state.SavedWindowState, saved, m_platform.screen.geometry(), minimum);
    switch (decision.kind) {
    case PlacementDecision::Kind::Maximize:
        // A window manager may remember the maximized size as the one to restore to.
        m_restoreToInitialSize = true;
        setWindowState(Qt::WindowMaximized);
        break;
    case PlacementDecision::Kind::MoveAndSize:
        move(toPixelsX(decision.rect.left), toPixelsY(decision.rect.top));
        resizeOuter({toPixelsX(decision.rect.width), toPixelsY(decision.rect.height)});
        break;
    case PlacementDecision::Kind::Keep:
        break;
    }
}

// The saved size is the outer size, frame included; Qt sizes the inside. Before the window is
// shown it has no frame yet, so the size is met again once the frame is known.
void frmShowTell::resizeOuter(QSize outer) {
    const QSize frameExtra = frameGeometry().size() - size();
    m_outerSizeToMeet = frameExtra.isNull() ? std::optional(outer) : std::nullopt;
    resize(outer - frameExtra);
}

void frmShowTell::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && m_restoreToInitialSize &&
        windowState() == Qt::WindowNoState) {
        m_restoreToInitialSize = false;
        // After the restore's own geometry, which Qt and the window manager apply later.
        QTimer::singleShot(0, this, &frmShowTell::resizeToInitial);
    }
    QMainWindow::changeEvent(event);
}

bool frmShowTell::event(QEvent* event) {
    const bool geometryEvent = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (m_outerSizeToMeet && geometryEvent && windowState() == Qt::WindowNoState &&
        frameGeometry().size() != size())
        resizeOuter(*m_outerSizeToMeet);
    return QMainWindow::event(event);
}

LivePlacement frmShowTell::livePlacement() const {
    if (m_beforeFullScreen)
        return *m_beforeFullScreen;
    const QRect frame = frameGeometry();
    qint32 windowState = 0;
    if (isMinimized())
        windowState = 1;
    else if (isMaximized())
        windowState = 2;
    return {
        {frame.x() * m_tppX, frame.y() * m_tppY, frame.width() * m_tppX, frame.height() * m_tppY},
        windowState};
}

void frmShowTell::setFullScreen(bool on) {
    if (on == fullScreen())
        return;
    if (on) {
        m_beforeFullScreen = livePlacement();
        m_statesBeforeFullScreen = windowState();
    } else {
        m_beforeFullScreen.reset();
    }
    menuBar()->setVisible(!on);
    Toolbar1->setVisible(!on);
    SB1->setVisible(!on);
    Strip->setVisible(!on && m_state.ShowStrip);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    m_client->setPalette(on ? black : palette());
    m_client->setAutoFillBackground(on);
    setWindowState(on ? windowState() | Qt::WindowFullScreen : m_statesBeforeFullScreen);
    Form_Resize();
    keepScreenAwake();
}

void frmShowTell::keepScreenAwake() {
    m_platform.desktop.holdScreenAwake(!m_unloaded && (Timer1.isEnabled() || fullScreen()));
}

QString frmShowTell::shownFile() const {
    const QString& file = m_state.PictureList(m_state.CurrentIndex - 1);
    return file == shownPath && file != m_platform.workFile(SheetFileName) ? file : QString();
}

void frmShowTell::noteShown(const QString& file) {
    const QString stamp = fileStamp(file);
    if (file == shownPath && stamp != shownStamp)
        Strip->forget(file); // written since it was last shown
    shownPath = file;
    shownStamp = stamp;
    const bool sheet = file == m_platform.workFile(SheetFileName);
    watchShown(sheet ? QString() : file);
    emit shownChanged(sheet ? QString() : file);
}

void frmShowTell::forgetShown() {
    shownPath.clear();
    shownStamp.clear();
    watchShown({});
    emit shownChanged({});
}

void frmShowTell::watchShown(const QString& file) {
    const QStringList watched = FolderWatcher.files() + FolderWatcher.directories();
    if (!watched.isEmpty())
        FolderWatcher.removePaths(watched);
    if (!file.isEmpty())
        FolderWatcher.addPaths({file, QFileInfo(file).absolutePath()});
}

ClientFrame frmShowTell::clientFrame() const {
    return {m_client->width() * m_tppX,
            m_client->height() * m_tppY,
            Toolbar1->isHidden() ? 0 : Toolbar1->height() * m_tppY,
            (SB1->isHidden() ? 0 : SB1->height() * m_tppY) +
                (Strip->isHidden() ? 0 : Strip->sizeHint().height() * m_tppY),
            VScroll1->sizeHint().width() * m_tppX,
            HScroll1->sizeHint().height() * m_tppY};
}

bool frmShowTell::saveSettings() {
    const QString path = m_platform.appFile(SettingsFileName);
    QString error;
    if (WriteSettings(m_state, path, livePlacement(), &error))
        return true;
    m_platform.messages.message(SettingsTitle, SettingsFailedText.arg(path, error));
    return false;
}

void frmShowTell::awaitPicture(Unfinished waiting) {
    arrival.setFuture(waiting.decode.picture);
    unfinished = std::move(waiting);
}

void frmShowTell::setUnfinishedAside() {
    if (unfinished)
        picturesAhead.giveBack(unfinished->decode);
    unfinished.reset();
}

void frmShowTell::dropUnfinished() {
    if (unfinished)
        picturesAhead.letGo(unfinished->decode);
    unfinished.reset();
}

bool frmShowTell::sheetFileExists() const {
    return QFile::exists(m_platform.workFile(SheetFileName));
}

void frmShowTell::closeEvent(QCloseEvent* event) {
    if (!m_commands.mayClose(*this)) {
        // Taken, not refused: the window closes once the running work has stopped.
        m_closePending = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmShowTell::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    keepScreenAwake();
    watchShown({});
    QFile::remove(m_platform.workFile(ScratchFileName));
    QFile::remove(m_platform.workFile(SheetFileName));
    const QDir work = QFileInfo(m_platform.workFile(UndoCopyPrefix)).absoluteDir();
    for (const QString& copy : work.entryList({UndoCopyPrefix + '*'}, QDir::Files))
        QFile::remove(work.filePath(copy));
    // No message at exit: a failed write keeps the old file, so nothing is lost.
    WriteSettings(m_state, m_platform.appFile(SettingsFileName), livePlacement());
}

bool frmShowTell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        dockBars();
        Form_Resize();
    }
    if (watched == imgTwo && event->type() == QEvent::Wheel) {
        wheelOverPicture(*static_cast<QWheelEvent*>(event));
        return true;
    }
    if ((watched == imgTwo || watched == imgOne) && event->type() == QEvent::NativeGesture) {
        const auto& pinch = *static_cast<QNativeGestureEvent*>(event);
        pinchOverPicture(pinch, static_cast<QWidget*>(watched)->mapTo(imgTwo, pinch.position()));
        return true;
    }
    if (watched == imgOne && dragPicture(*event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void frmShowTell::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmShowTell::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    // Opened once the drop has ended, so that the drag source never waits on a message box.
    QTimer::singleShot(0, this, [this, paths] { m_commands.filesGiven(*this, paths); });
}

void frmShowTell::dockBars() {
    const int width = m_client->width();
    const int toolbarHeight = Toolbar1->sizeHint().height();
    const int statusHeight = SB1->sizeHint().height();
    Toolbar1->setGeometry(0, 0, width, toolbarHeight);
    SB1->setGeometry(0, m_client->height() - statusHeight, width, statusHeight);
    const int below = SB1->isHidden() ? 0 : statusHeight;
    const int stripHeight = Strip->sizeHint().height();
    Strip->setGeometry(0, m_client->height() - below - stripHeight, width, stripHeight);
}

int frmShowTell::toPixelsX(double twips) const {
    return twipsToPixels(twips, m_tppX);
}
int frmShowTell::toPixelsY(double twips) const {
    return twipsToPixels(twips, m_tppY);
}

} // namespace tovik
