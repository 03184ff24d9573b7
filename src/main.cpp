// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"
#include "app/viewerstyle.h"
#include "commands/dispatcher.h"
#include "imaging/startup.h"
#include "nviewlib/nviewlib.h"
#include "platform/qtdesktop.h"
#include "platform/qtdialogs.h"
#include "platform/qthelpengine.h"
#include "platform/qtmessages.h"
#include "platform/qtscreenmetrics.h"
#include "platform/termination.h"
#include "platform/workfolder.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    tovik::shareOneMemoryArena();
    tovik::ignoreBrokenPipes();
    tovik::startHelperAhead();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tovik-viewer"));
    app.setStyle(new tovik::ViewerStyle(app.style()->name())); // the style the user chose
    tovik::startImaging();
    QTranslator qtTexts;
    tovik::installQtTranslations(qtTexts, QLocale::system());
    tovik::QtScreenMetrics screen;
    tovik::QtMessages messages;
    tovik::QtDialogs dialogs;
    tovik::NViewLib nviewlib;
    tovik::QtClock clock;
    tovik::QtHelpEngine help;
    tovik::QtShell shell;
    tovik::SystemRegistry registry;
    tovik::QtDesktop desktop;
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const tovik::AppFolders folders =
        tovik::appFolders(executableFolder, tovik::standardUserFolders());
    // Lives until the window has shut down.
    const tovik::WorkFolder work(folders.work, folders.settings);
    tovik::Platform platform{screen,
                             messages,
                             dialogs,
                             nviewlib,
                             clock,
                             help,
                             shell,
                             registry,
                             desktop,
                             folders.settings,
                             folders.help,
                             work.path(),
                             tovik::standardThumbnailFolder()};
    tovik::ViewerState state;
    tovik::Dispatcher commands;
    tovik::frmShowTell window(platform, state, commands);
    messages.setOwner(&window);
    dialogs.setOwner(&window);
    help.setOwner(&window);
    tovik::closeOnTermination(&window);
    window.show();
    // Pictures named on the command line (a file manager's "Open With"), as if chosen to open;
    // from within the event loop, so that a close asked for while their message shows (a TERM)
    // ends the program rather than an event loop not yet started.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        QTimer::singleShot(0, &window, [&] { commands.filesGiven(window, arguments); });
    return app.exec();
}
