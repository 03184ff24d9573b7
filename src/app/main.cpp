#include "app/frmshowtell.h"
#include "platform/qtmessages.h"
#include "platform/qtscreenmetrics.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tovik::QtScreenMetrics screen;
    tovik::QtMessages messages;
    tovik::Platform platform{screen, messages, QCoreApplication::applicationDirPath()};
    tovik::ViewerState state;
    tovik::frmShowTell window(platform, state);
    messages.setOwner(&window);
    window.show();
    return app.exec();
}
