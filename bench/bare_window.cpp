// The yardstick for the game's start-up: a bare Qt window with one label,
// reporting its first frame the way the game does (VELMORA_FIRST_FRAME_FILE).
// bench/startup-xvfb.sh starts both in turn.

#include "firstframenote.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Velmora"));
    label.resize(790, 520);
    velmora::noteFirstFrame(&label);
    label.show();
    return app.exec();
}
