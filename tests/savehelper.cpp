// Saves the tally or the settings over and over, alternating two known
// contents, until it is killed; tst_crashsafe kills it at random moments.
//
//   savehelper tally|settings PATH
//
// Prints "ready" once the first save is on disk.

#include "savecontents.h"

#include <cstdio>
#include <cstring>

using namespace velmora;

int main(int argc, char **argv)
{
    if (argc != 3 ||
        (std::strcmp(argv[1], "tally") != 0 && std::strcmp(argv[1], "settings") != 0)) {
        std::fprintf(stderr, "usage: savehelper tally|settings PATH\n");
        return 2;
    }
    const bool tally = std::strcmp(argv[1], "tally") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    savetest::SettingsSaver settings(path);
    for (long i = 0;; ++i) {
        const int variant = int(i % 2);
        if (!(tally ? savetest::saveTally(path, variant) : settings.save(variant))) {
            std::fprintf(stderr, "savehelper: save failed\n");
            return 1;
        }
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
