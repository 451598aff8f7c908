// velmora: the game. Without parameters it sets up a solo game; a lobby
// starts it with a player name, the host's address and "true" to host, and
// so does the game itself when the player hosts or joins from the window.

#include "common/programzoom.h"
#include "firstframenote.h"
#include "window/singleinstance.h"
#include "window/tchat.h"

#include <QApplication>
#include <QProcess>
#include <QIcon>

int main(int argc, char *argv[])
{
    velmora::ProgramZoom zoom(velmora::ProgramZoom::stored(argc, argv));
    QApplication app(argc, argv);
    zoom.restoreEnvironment();

    velmora::SingleInstance instance(QStringLiteral("8xolep"));
    if (instance.handOver())
        return 0;
    instance.listen();

    QApplication::setApplicationName(QStringLiteral("Velmora"));
    // Ties the window to the installed menu entry, whose icon the desktop
    // then shows for it; the theme holds the same icon for the title bar.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VELMORA_APP_ID)));

    velmora::Tchat window(QApplication::arguments().mid(1));
    QObject::connect(&instance, &velmora::SingleInstance::activateRequested, &window,
                     &velmora::Tchat::activateFromOtherInstance);
    // Start-up measurements learn when the first frame is on the display.
    velmora::FirstFrameNote firstFrame(qEnvironmentVariable("VELMORA_FIRST_FRAME_FILE"));
    if (qEnvironmentVariableIsSet("VELMORA_FIRST_FRAME_FILE"))
        window.installEventFilter(&firstFrame);
    window.show();
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
