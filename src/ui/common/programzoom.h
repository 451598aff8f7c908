#pragma once

#include <QByteArray>

namespace velmora {

// The board's zoom, applied as Qt's own scale factor for the whole program.
// Every coordinate stays logical, so each control is hit where it is drawn
// at every zoom, and the window, its minimum size and its remembered place
// grow with it; the pictures are painted at the resulting pixel ratio.
//
// Qt reads the factor once, when the application object is made, and has
// no public way to change it in a running program: a zoom chosen in the
// menu takes effect at the next start.
class ProgramZoom
{
public:
    // The zoom stored in the settings file. Finding that file takes the
    // program's folder, which only an application object knows, so this
    // makes a short-lived one of its own: call it before the QApplication.
    static int stored(int argc, char **argv);

    // Sets the factor for `percent` on top of any factor the user's
    // environment already asks for (a desktop's own scaling stays). Takes
    // effect for an application object made after it.
    explicit ProgramZoom(int percent);
    // Puts the environment back as it was, once the application object
    // has read it: programs started from this one (the lobby, an
    // installer) must not inherit the zoom.
    void restoreEnvironment();

    // The zoom the program started with; 100 when none was set.
    static int running();

private:
    bool m_set = false;
    bool m_hadFactor = false;
    QByteArray m_factor;
};

} // namespace velmora
