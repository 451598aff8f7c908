// velmora: the game. Without parameters it sets up a solo game; a lobby
// starts it with a player name, the host's address and "true" to host.

#include "firstframenote.h"
#include "window/singleinstance.h"
#include "window/tchat.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

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
    return app.exec();
}
