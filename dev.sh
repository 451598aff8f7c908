#!/usr/bin/env bash
# One entry point for newcomers and CI:
#   ./dev.sh play   install what is missing, build, start a game
#   ./dev.sh test   install what is missing, build, run every test (also once
#                   under AddressSanitizer and UndefinedBehaviorSanitizer),
#                   then fuzz each input surface briefly (tools/fuzz.sh)
#   ./dev.sh package  build the Debian package build/velmora_VERSION-1_ARCH.deb
#                   (prefix /usr) and check it with lintian
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build qt6-base-dev qt6-multimedia-dev libjpeg-dev
          libbenchmark-dev xvfb xauth openbox fonts-liberation2 fonts-dejavu-core
          clang-format clang libclang-rt-14-dev git iproute2
          libminiupnpc-dev libfontconfig-dev desktop-file-utils appstream groff-base man-db systemd wmctrl
          xdotool)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() { # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    ninja -C "$dir"
}

case "${1:-}" in
play)
    install_missing
    build build
    shift
    exec ./build/velmora "$@"
    ;;
test)
    install_missing
    tools/check-layers.sh
    tools/check-format.sh
    build build -DVELMORA_WERROR=ON
    (cd build && ctest --output-on-failure -j2)
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF \
        -DVELMORA_WERROR=ON
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 \
        LSAN_OPTIONS="suppressions=$PWD/../tools/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2)
    tools/fuzz.sh
    ;;
package)
    packages+=(dpkg-dev lintian)
    install_missing
    build build -DCMAKE_INSTALL_PREFIX=/usr
    rm -f build/velmora_*.deb
    (cd build && cpack -G DEB >/dev/null)
    deb=$(ls build/velmora_*.deb)
    # Errors fail; the warning left, initial-upload-closes-no-bugs, asks for
    # the Debian bug that announces a package meant for Debian's archive.
    lintian --fail-on error "$deb"
    echo "$deb"
    ;;
*)
    echo "usage: $0 play|test|package" >&2
    exit 2
    ;;
esac
