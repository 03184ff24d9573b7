#include "commands/dispatcher.h"

#include "app/frmshowtell.h"
#include "help/frmabout.h"
#include "help/web.h"
#include "saving/saveas.h"
#include "thumbnails/thumbnailcommand.h"
#include "viewing/navigation.h"
#include "viewing/slideshow.h"
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
} // namespace

Dispatcher::Dispatcher() {
    constexpr Kind User = Kind::User, Exclusive = Kind::Exclusive;
    // Toolbar keys, compared case-sensitively in this order; the first match acts.
    m_toolbar = {
        {"Open", OpenCommand, User},         {"RightArrow", forward, User},
        {"LeftArrow", back, User},           {"ClockTimer", clockTimer, User},
        {"LoopForever", ToggleLoop, User},   {"ZoomPlus", tovik::ZoomIn, User},
        {"ZoomMinus", tovik::ZoomOut, User}, {"ZoomEqual", tovik::OriginalSize, User},
        {"SaveAs", SaveAs_Click, User},      {"Thumbnail", Thumbnail_Click, Exclusive},
    };
    // Menu items by their names; File, Exit closes the window, which asks mayClose.
    m_menu = {
        {"Open", OpenCommand, User},
        {"SaveAs", SaveAs_Click, User},
        {"CloseFile", CloseFileCommand, User},
        {"OriginalSize", tovik::OriginalSize, User},
        {"ZoomIn", tovik::ZoomIn, User},
        {"ZoomOut", tovik::ZoomOut, User},
        {"Thumbnail", Thumbnail_Click, Exclusive},
        {"Option", OptionCommand, User},
        {"Contents", Contents_Click, User},
        {"HelpIndex", HelpIndex_Click, User},
        {"Mail", Mail_Click, User},
        {"SiteOne", SiteOne_Click, User},
        {"SiteTwo", SiteTwo_Click, User},
        {"About", About_Click, User},
    };
}

void Dispatcher::run(frmShowTell& window, Command command, Kind kind) {
    if (m_exclusive)
        return; // dropped, not queued
    if (kind == Kind::User) {
        command(window);
        return;
    }
    m_exclusive = true;
    command(window);
    m_exclusive = false;
    if (window.closePending())
        window.close();
}

void Dispatcher::runNamed(frmShowTell& window, const std::vector<Entry>& table,
                          const QString& name) {
    for (const Entry& entry : table)
        if (name == QLatin1String(entry.name)) {
            run(window, entry.command, entry.kind);
            return;
        }
}

void Dispatcher::toolbarKey(frmShowTell& window, const QString& key) {
    runNamed(window, m_toolbar, key);
}

void Dispatcher::menuItem(frmShowTell& window, const QString& name) {
    runNamed(window, m_menu, name);
}

void Dispatcher::pageKey(frmShowTell& window, int direction) {
    run(window, direction < 0 ? back : forward, Kind::User);
}

void Dispatcher::slideTick(frmShowTell& window) {
    run(window, SlideTick, Kind::Exclusive);
}

void Dispatcher::filesGiven(frmShowTell& window, const QStringList& paths) {
    if (!m_exclusive)
        OpenFiles(window, paths);
}

void Dispatcher::zoomWheel(frmShowTell& window, int direction) {
    if (window.pictureLoaded()) // as the zoom buttons and menu items, usable with a picture
        run(window, direction > 0 ? tovik::ZoomIn : tovik::ZoomOut, Kind::User);
}

bool Dispatcher::mayClose(frmShowTell&) {
    return !m_exclusive;
}

} // namespace tovik
