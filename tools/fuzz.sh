#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each in turn.
#   tools/fuzz.sh [SECONDS] [TARGET...]
# SECONDS is per target (default 12: about a minute for all five). Extra
# libFuzzer flags come from VELMORA_FUZZ_FLAGS, e.g. "-runs=10000000" for a
# long run. Each target starts from its seeds in fuzz/corpus/<target>/ plus
# what earlier runs found (build-fuzz/corpus/<target>/, never committed);
# a crash is kept in build-fuzz/artifacts/<target>/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-12}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_protocol fuzz_hostengine fuzz_client fuzz_tally fuzz_settings)

# Debug keeps Qt's own index assertions; -O1 keeps the targets fast.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF >/dev/null
ninja -C build-fuzz "${targets[@]}"

# Inputs as long as a real one needs: a game's host stream for the client,
# a few dozen steps for the host engine.
max_len() {
    case $1 in
    fuzz_client) echo 3072 ;;
    fuzz_hostengine | fuzz_tally) echo 1024 ;;
    *) echo 512 ;;
    esac
}

failed=()
for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$t" "build-fuzz/artifacts/$t"
    log="build-fuzz/$t.log"
    echo "== $t (${seconds}s)"
    # shellcheck disable=SC2086 # the extra flags are meant to split
    if ! ASAN_OPTIONS=detect_leaks=1:malloc_context_size=10 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
        "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t/" \
        ${VELMORA_FUZZ_FLAGS:-} "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
        tail -n 60 "$log"
        failed+=("$t")
        continue
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" |
        tr '\n' ' '
    echo
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found crashes in: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
