#pragma once

#include "host/hostengine.h"

namespace velmora {

// Direct access to the host's table, for tests and benchmarks that set up a
// position instead of playing up to it. The engine names this as a friend;
// the program itself never reaches in.
struct EngineAccess
{
    static HostEngine::Game &game(HostEngine &engine) { return engine.m_game; }
    static HostEngine::Seat &seat(HostEngine &engine, int seat) { return engine.m_seats[seat]; }
};

} // namespace velmora
