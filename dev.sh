#!/usr/bin/env bash
# One entry point for newcomers and CI:
#   ./dev.sh play   install what is missing, build, start a game
#   ./dev.sh test   install what is missing, build, run every test (also once
#                   under AddressSanitizer and UndefinedBehaviorSanitizer),
#                   then fuzz each input surface briefly (tools/fuzz.sh)
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build qt6-base-dev qt6-multimedia-dev libjpeg-dev
          libbenchmark-dev xvfb xauth openbox fonts-liberation2 fonts-dejavu-core
          clang-format clang libclang-rt-14-dev git iproute2
          libminiupnpc-dev)

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
*)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
