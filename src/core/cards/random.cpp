#include "random.h"

#include <chrono>

namespace velmora {

Random &processRandom()
{
    static Random random(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return random;
}

} // namespace velmora
