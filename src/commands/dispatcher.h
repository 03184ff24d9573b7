#pragma once

#include "app/commandrouter.h"

#include <QString>

#include <vector>

namespace tovik {

// The toolbar key table, the menu item table, the Page keys and the slide timer's tick, and the
// one rule that keeps commands from running inside each other.
//
// Some work lets window events through while it runs: the sheet builder's pauses, the message
// box of a slide that cannot be shown. Such work runs as exclusive: meanwhile a toolbar click,
// a menu item or a Page key does nothing (nothing is queued to run later), a slide tick is
// dropped (the next one comes on the interval), and a close request is kept until the work has
// stopped at its next safe point. A modal dialog the user opened is not exclusive work: the slide
// show goes on behind it.
class Dispatcher : public CommandRouter {
public:
    Dispatcher();

    void toolbarKey(frmShowTell& window, const QString& key) override;
    void menuItem(frmShowTell& window, const QString& name) override;
    void pageKey(frmShowTell& window, int direction) override;
    void slideTick(frmShowTell& window) override;
    void filesGiven(frmShowTell& window, const QStringList& paths) override;
    void zoomWheel(frmShowTell& window, int direction) override;
    bool mayClose(frmShowTell& window) override;

    bool exclusiveWorkRunning() const { return m_exclusive; }

private:
    enum class Kind { User, Exclusive };
    using Command = void (*)(frmShowTell&);
    struct Entry {
        const char* name;
        Command command;
        Kind kind;
    };

    void run(frmShowTell& window, Command command, Kind kind);
    void runNamed(frmShowTell& window, const std::vector<Entry>& table, const QString& name);

    std::vector<Entry> m_toolbar;
    std::vector<Entry> m_menu;
    bool m_exclusive = false;
};

} // namespace tovik
