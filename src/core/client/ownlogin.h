#pragma once

#include <QByteArray>

namespace velmora {

// What the table knows of this copy's connection: the player number the
// host gave it (0 before that), whether the login has gone out, and the name
// it logged in with. The session owns these and hands the table a copy
// whenever they change, so the table never reaches back into the session.
struct OwnLogin
{
    int player = 0;
    bool loggedIn = false;
    QByteArray name;
};

} // namespace velmora
