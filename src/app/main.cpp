#include "app/frmshowtell.h"
#include "platform/qtdialogs.h"
#include "platform/qtmessages.h"
#include "platform/qtscreenmetrics.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tovik::QtScreenMetrics screen;
    tovik::QtMessages messages;
    tovik::QtDialogs dialogs;
    tovik::NViewLib nviewlib;
    tovik::QtClock clock;
    tovik::Platform platform{screen,   messages, dialogs,
                             nviewlib, clock,    QCoreApplication::applicationDirPath()};
    tovik::ViewerState state;
    tovik::frmShowTell window(platform, state);
    messages.setOwner(&window);
    dialogs.setOwner(&window);
    window.show();
    return app.exec();
}
