#pragma once

#include <functional>
#include <utility>

namespace velmora {

// A side window made the first time something asks for it. Most side
// windows never open in a session, and each one made with the game window
// is built and polished before the game window's first frame. `make`
// builds the window with its parent and wires it; whatever it must know
// from before it existed is handed over there.
template <typename W>
class OnDemand
{
public:
    using Make = std::function<W *()>;

    void setMake(Make make) { m_make = std::move(make); }

    // Makes the window if it is not made yet.
    W *get()
    {
        if (!m_window)
            m_window = m_make();
        return m_window;
    }
    // The window if it was made, null otherwise. A change need not reach a
    // window not made yet: it reads the state it shows as it is made.
    W *ifMade() const { return m_window; }

private:
    Make m_make;
    // Owned by its Qt parent, the game window.
    W *m_window = nullptr;
};

} // namespace velmora
