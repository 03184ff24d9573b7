// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "app/buttonbar.h"
#include "app/drawingsurface.h"
#include "app/folderstrip.h"
#include "app/pictureholder.h"
#include "app/slidetimer.h"
#include "core/layout.h"
#include "imaging/largepicture.h"
#include "imaging/picturesahead.h"
#include "platform/platform.h"
#include "settings/drives.h"
#include "settings/viewerstate.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QMenuBar;
class QScrollBar;
class QStatusBar;
class QNativeGestureEvent;
class QWheelEvent;

namespace tovik {

class CommandRouter;

// The main window: it is the program. Its controls carry their own names; the commands it
// routes live in the folders of their subsystems.
class frmShowTell : public QMainWindow {
    Q_OBJECT
public:
    frmShowTell(Platform& platform, ViewerState& state, CommandRouter& commands,
                QWidget* parent = nullptr);
    ~frmShowTell() override;

    Platform& platform() const { return m_platform; }
    ViewerState& state() const { return m_state; }

    // Start-up, layout on resize and shutdown.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    // The one way the picture area is drawn, for resize, Display and zoom alike: the viewport,
    // imgThree onto imgOne at ZoomFactor from the top-left corner, the scroll bars. Each caller
    // decides what a failure means to it.
    enum class Redraw { Drawn, NoRoom, NoPicture, TooLarge };
    Redraw redraw();
    // Draws imgThree onto imgOne at ZoomFactor (resize steps 2 and 3). Returns false when the
    // drawing would be too large for Save As to render.
    bool drawPicture();
    // The picture as drawn, rendered whole at the current zoom for Save As; null when nothing is
    // shown. Scaled as the program has always saved it, so saved files keep their pixels.
    QImage renderDrawing() const;
    // The drawing's size in device pixels: picture pixels times the zoom.
    QSize drawingSize() const;
    // Places, ranges and shows or hides the scroll bars for the current viewport and surface.
    void LayoutScrollBars();
    // Resize step 1: the viewport below the toolbar. False when the client area is too small.
    bool placeViewport();

    // Enabling steps run when a top-level menu opens.
    void File_Click();
    void view_Click();
    void Tools_Click();
    void Edit_Click();

    void Toolbar1_ButtonClick(const QString& key);

    // A close was asked for while work that must not be interrupted ran: that work ends at its
    // next safe point, handing nothing over, and the window then closes.
    bool closePending() const { return m_closePending; }

    // Writes viewer.ini from the state and the live placement; a failure is reported with the
    // file's name and the reason, and the old file stays as it was.
    bool saveSettings();

    bool pictureLoaded() const { return !imgThree.isEmpty(); }
    // The list's entry on screen; empty when none is, or the sheet is.
    QString shownFile() const;
    // A short notice over the foot of the picture, gone after a few seconds.
    void notice(const QString& text);
    QString noticeText() const; // while it shows
    // The screen saver held off while a slide show runs or the window is full screen.
    void keepScreenAwake();
    // Notes the file just shown: what it is now (shownStamp), and it and its folder watched;
    // forgets it when nothing is shown any more.
    void noteShown(const QString& file);
    void forgetShown();
    // Watches the file and its folder alone, for a file written in place and for pictures that
    // are replaced, come or go (nothing when empty): two watches, however large the folder.
    void watchShown(const QString& file);

    // Full screen: the picture alone on black, the menus, the toolbar and the status bar hidden;
    // the window's placement stays what it was for viewer.ini.
    void setFullScreen(bool on);
    bool fullScreen() const { return m_beforeFullScreen.has_value(); }
    bool sheetFileExists() const;
    ClientFrame clientFrame() const;
    LivePlacement livePlacement() const;
    double tppX() const { return m_tppX; }
    double tppY() const { return m_tppY; }
    // picture held as imgThree, its size in twips that of its pixels on screen at zoom 1: one
    // picture pixel to a device pixel, whatever the screen's scale. A preview is held at the
    // size of the picture it stands for (pixels).
    PictureHolder held(const QImage& picture, QSize pixels = {}) const;
    QString helpFile() const { return m_helpFile; }

    // Menus and their items.
    QMenu* File = nullptr;
    QMenu* view = nullptr;
    QMenu* Tools = nullptr;
    QMenu* Edit = nullptr;
    QMenu* Help = nullptr;
    QMenu* Web = nullptr;
    QAction* Open = nullptr;
    QAction* SaveAs = nullptr;
    QAction* CloseFile = nullptr;
    QAction* Exit = nullptr;
    QAction* OriginalSize = nullptr;
    QAction* ZoomIn = nullptr;
    QAction* ZoomOut = nullptr;
    QAction* FitToWindow = nullptr; // checked while pictures are fitted to the window
    QAction* ShowStrip = nullptr;   // checked while the folder strip shows
    QAction* Thumbnail = nullptr;
    QAction* Option = nullptr;
    QAction* Shuffle = nullptr; // checked while the slide show runs in random order
    QAction* Contents = nullptr;
    QAction* HelpIndex = nullptr;
    QAction* Mail = nullptr;
    QAction* SiteOne = nullptr;
    QAction* SiteTwo = nullptr;
    QAction* About = nullptr;
    QAction* Undo = nullptr;
    QAction* Copy = nullptr;
    QAction* CopyPath = nullptr;
    QAction* RotateClockwise = nullptr;
    QAction* RotateCounterClockwise = nullptr;
    QAction* FlipHorizontal = nullptr;
    QAction* FlipVertical = nullptr;
    QAction* MoveToTrash = nullptr;
    QAction* DeleteFile = nullptr;
    QAction* Reload = nullptr;
    QAction* ShowInFolder = nullptr;
    QAction* Print = nullptr;
    QAction* Properties = nullptr;
    QMenu* SortBy = nullptr;
    QAction* SortByName = nullptr;
    QAction* SortByDateTaken = nullptr;
    QAction* SortByDateModified = nullptr;
    QAction* SortBySize = nullptr;
    QAction* SortByType = nullptr;
    QAction* ReverseOrder = nullptr;

    // The window's parts.
    ButtonBar* Toolbar1 = nullptr;
    QStatusBar* SB1 = nullptr;
    QWidget* imgTwo = nullptr;
    DrawingSurface* imgOne = nullptr;
    PictureHolder imgThree;
    // The pictures likely to be shown next, decoded while this one is looked at.
    PicturesAhead picturesAhead;
    // While imgThree holds a large photo's preview: its full decode, and what was shown before
    // (back on screen should the full decode fail). The router hears when the decode ends.
    struct Unfinished {
        PicturesAhead::Decode decode;
        PictureHolder before;
        float zoomBefore = 1.0f;
    };
    std::optional<Unfinished> unfinished;
    void awaitPicture(Unfinished waiting);
    // The unfinished picture's decode handed back to picturesAhead (the user stepped on), or
    // dropped with everything ahead.
    void setUnfinishedAside();
    void dropUnfinished();
    // The shown file and its folder, watched; a change is looked at once writing has paused.
    QFileSystemWatcher FolderWatcher;
    QTimer ChangeTimer;
    // The file last shown and what it was then (see viewing/reload), to tell a change.
    QString shownPath;
    QString shownStamp;
    QLabel* Notice = nullptr;
    QTimer NoticeTimer;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    // The list's thumbnails along the foot of the window, above the status bar, while ShowStrip.
    FolderStrip* Strip = nullptr;
    // Shows or hides the strip and lays the window out again.
    void setStripShown(bool on);
    // The strip shows the list and the entry on screen as they are now (after each command,
    // once the list and the entry have settled).
    void followList();
    SlideTimer Timer1;
    // An animated picture's frames after the first, and the wait for the next one.
    std::unique_ptr<PictureFrames> frames;
    QTimer FrameTimer;
    QFutureWatcher<PictureLoad> arrival; // of the unfinished picture
    void stopAnimation() {
        FrameTimer.stop();
        frames.reset();
    }
    // imgOne's size in twips: imgThree's size times ZoomFactor.
    double surfaceWidth = 0, surfaceHeight = 0;
    // The most memory Save As may take to render the picture as drawn: the zoom stops below it.
    qint64 renderBudget = SurfaceBudgetBytes;

signals:
    // Another file is shown (empty: none), for the windows that follow the picture shown.
    void shownChanged(const QString& file);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildParts();
    void buildStrip();
    void buildMenus();
    void buildEditMenu(QMenuBar* bar);
    void buildSortMenu();
    void routeMenus();
    void placeWindow();
    void resizeToInitial();
    void resizeOuter(QSize outer);
    void dockBars();
    void wheelOverPicture(const QWheelEvent& event);
    void pinchOverPicture(const QNativeGestureEvent& event, QPointF inViewport);
    void zoomAt(QPointF pointer, int direction);
    bool dragPicture(const QEvent& event);
    void scrollBy(QPoint pixels);
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;

    Platform& m_platform;
    ViewerState& m_state;
    CommandRouter& m_commands;
    bool m_closePending = false;
    QWidget* m_client = nullptr; // the client area below the menu bar
    QString m_helpFile;
    double m_tppX = 15, m_tppY = 15;
    bool m_unloaded = false;
    // The saved outer size, until the window manager has framed the window and it can be met.
    std::optional<QSize> m_outerSizeToMeet;
    // Wheel movement not yet worth a whole scroll step (a touchpad sends small ones), per bar.
    double m_wheelRestX = 0, m_wheelRestY = 0;
    // A pinch not yet worth a zoom step.
    double m_pinchRest = 0;
    // Where the left button took hold of the picture, while it is held.
    std::optional<QPoint> m_dragFrom;
    // The placement and state before full screen, while it lasts.
    std::optional<LivePlacement> m_beforeFullScreen;
    Qt::WindowStates m_statesBeforeFullScreen;
    // Started maximized: the first restore goes to the initial size.
    bool m_restoreToInitialSize = false;
};

} // namespace tovik
