// velmora: the game. Without parameters it sets up a solo game; a lobby
// starts it with a player name, the host's address and "true" to host, and
// so does the game itself when the player hosts or joins from the window.

#include "art/tableart.h"
#include "common/programzoom.h"
#include "firstframenote.h"
#include "window/singleinstance.h"
#include "window/tchat.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFontDatabase>
#include <QProcess>
#include <QScopeGuard>
#include <QIcon>

#include <fontconfig/fontconfig.h>

#include <latch>
#include <thread>

int main(int argc, char *argv[])
{
    // Fontconfig reads its configuration and font caches the first time a
    // text is laid out, some milliseconds on every start; done on a thread
    // of its own, it overlaps the connection to the display instead.
    // (FcInit is safe to call from any thread, and Qt's own call later
    // finds the work done.) Once the application object exists, the same
    // thread fills Qt's font database, while the window starts being built.
    // Not the thread that draws ahead: it would go on to load its own fonts
    // under Qt's font lock, and the window, wanting its first font, waited
    // for all of that.
    std::latch appMade(1);
    std::jthread fonts([&appMade] {
        FcInit();
        appMade.wait();
        QFontDatabase::families();
    });
    velmora::ProgramZoom zoom(velmora::ProgramZoom::stored(argc, argv));
    QApplication app(argc, argv);
    appMade.count_down();
    // Qt connects to the session bus the first time the menu bar or the
    // accessibility bridge asks for it, and the window being built waits
    // for the answer (where no bus runs, for a failed attempt to start one:
    // a few milliseconds). Asked here on a thread of its own, the answer
    // comes while the window is built.
    std::thread sessionBus([] { QDBusConnection::sessionBus(); });
    // Both threads are done before the application object goes: a copy that
    // hands over to a running one ends at once, and Qt's teardown meeting
    // fontconfig still loading lost some of its memory.
    const auto helpersDone = qScopeGuard([&fonts, &sessionBus] {
        fonts.join();
        sessionBus.join();
    });
    zoom.restoreEnvironment();

    velmora::SingleInstance instance(QStringLiteral("8xolep"));
    if (instance.handOver())
        return 0;
    velmora::TableArt::drawAhead();
    instance.listen();

    QApplication::setApplicationName(QStringLiteral("Velmora"));
    // Ties the window to the installed menu entry, whose icon the desktop
    // then shows for it.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    // The window shows itself as soon as its frame exists: the display
    // server and the window manager map it while the board is being built.
    velmora::Tchat window(QApplication::arguments().mid(1), nullptr, nullptr,
                          velmora::Tchat::Opening::WhileBuilding);
    // The title bar's icon comes with the program rather than from the icon
    // theme: a theme look-up reads the theme's index and searches its
    // folders, some milliseconds, and finds nothing before installation.
    // It is set once the first frame shows, which does not need it.
    new velmora::AfterFirstFrame(&window, [] {
        QIcon icon;
        for (const int size : {16, 24, 32, 48, 64, 128})
            icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
        QApplication::setWindowIcon(icon);
    });
    QObject::connect(&instance, &velmora::SingleInstance::activateRequested, &window,
                     &velmora::Tchat::activateFromOtherInstance);
    velmora::noteFirstFrame(&window);
    const int rc = app.exec();
    // Hosting or joining from the window: this copy has ended as after
    // "Exit" (the tally saved, the table closed); the new copy must find
    // no running copy to hand over to.
    if (!window.restartParameters().isEmpty()) {
        instance.release();
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                     window.restartParameters()))
            return 1;
    }
    return rc;
}
