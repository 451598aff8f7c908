#!/usr/bin/env bash
# Builds the libFuzzer targets and runs them.
#   tools/fuzz.sh [SECONDS] [TARGET...]   the brief run CI does: each target
#                                         for SECONDS (default 12, about a
#                                         minute for all six) under
#                                         AddressSanitizer and
#                                         UndefinedBehaviorSanitizer
#   tools/fuzz.sh --long [TARGET...]      the long run: RUNS inputs per target
#                                         (VELMORA_FUZZ_RUNS, default ten
#                                         million), as many targets at once
#                                         as there are cores
# The long run trades AddressSanitizer and comparison tracing for about
# five times the speed (UndefinedBehaviorSanitizer, the standard library's
# and Qt's bounds checks stay); what it keeps is merged down to the inputs
# that reach something new and run once more under both sanitizers, so a
# memory fault it reached is still reported.
# Extra libFuzzer flags come from VELMORA_FUZZ_FLAGS. Each target starts from
# its seeds in fuzz/corpus/<target>/ plus what earlier runs found
# (build-fuzz/corpus/<target>/, never committed); a crash is kept in
# build-fuzz/artifacts/<target>/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

long=false
if [ "${1:-}" = --long ]; then
    long=true
    shift
else
    seconds=${1:-12}
    shift || true
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_protocol fuzz_hostengine fuzz_client fuzz_tally fuzz_settings fuzz_lan)

# build DIR OPTIMISATION SANITIZERS: Debug keeps Qt's own index assertions.
build() {
    cmake -S . -B "$1" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-g $2" -DVELMORA_FUZZ=ON -DVELMORA_FUZZ_SANITIZERS="$3" \
        -DVELMORA_BENCH=OFF >/dev/null
    ninja -C "$1" "${targets[@]}"
}

# Inputs as long as a real one needs: a game's host stream for the client,
# a few dozen steps for the host engine.
max_len() {
    case $1 in
    fuzz_client) echo 3072 ;;
    fuzz_hostengine | fuzz_tally) echo 1024 ;;
    *) echo 512 ;;
    esac
}

# fuzz BUILD TARGET LOG LIBFUZZER-FLAGS...: false when the target failed
fuzz() {
    local dir=$1 t=$2 log=$3
    shift 3
    mkdir -p "build-fuzz/corpus/$t" "build-fuzz/artifacts/$t"
    # shellcheck disable=SC2086 # the extra flags are meant to split
    ASAN_OPTIONS=detect_leaks=1:malloc_context_size=10 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
        "$dir/fuzz/$t" "$@" -timeout=10 -rss_limit_mb=4096 -max_len="$(max_len "$t")" \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t/" \
        ${VELMORA_FUZZ_FLAGS:-} "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1
}

stats() {
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$1" |
        tr '\n' ' '
    echo
}

failed=()
build build-fuzz -O1 address,undefined
cores=$(nproc)
# A target's long run is split into shards when there are cores to spare
# (one target alone runs on every core); the shards share the corpus folder
# and pick up each other's finds as they go.
shards=$((cores / ${#targets[@]}))
[ "$shards" -lt 1 ] && shards=1
if $long; then
    build build-fuzz-long "-O2 -fno-sanitize-coverage=trace-cmp" undefined
    runs=${VELMORA_FUZZ_RUNS:-10000000}
    started=$(date +%s)
    for t in "${targets[@]}"; do
        echo "== $t ($runs inputs in $shards shard(s))"
        rm -f build-fuzz/"$t".long.*
        for ((i = 1; i <= shards; ++i)); do
            while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do wait -n || true; done
            share=$((runs / shards + (i == 1 ? runs % shards : 0)))
            rm -f "build-fuzz/$t.long.$i.rc"
            {
                status=0
                fuzz build-fuzz-long "$t" "build-fuzz/$t.long.$i.log" -runs="$share" || status=$?
                echo "$status" >"build-fuzz/$t.long.$i.rc"
            } &
        done
    done
    wait || true
    echo "long run took $(($(date +%s) - started)) s"
fi
for t in "${targets[@]}"; do
    log="build-fuzz/$t.log"
    if $long; then
        clean=true
        for ((i = 1; i <= shards; ++i)); do
            if [ "$(cat "build-fuzz/$t.long.$i.rc" 2>/dev/null)" != 0 ]; then
                tail -n 60 "build-fuzz/$t.long.$i.log"
                clean=false
            fi
        done
        # The shards keep what is new to each of them, so much of the corpus
        # repeats itself; a merge keeps one input per feature before the
        # slower replay. A failed merge leaves the corpus as it was.
        if $clean; then
            merged="build-fuzz/corpus/$t.merged"
            rm -rf "$merged" && mkdir -p "$merged"
            before=$(find "build-fuzz/corpus/$t" -type f | wc -l)
            if "build-fuzz-long/fuzz/$t" -merge=1 -max_len="$(max_len "$t")" -timeout=10 \
                "$merged" "build-fuzz/corpus/$t" >"build-fuzz/$t.merge.log" 2>&1; then
                rm -rf "build-fuzz/corpus/$t" && mv "$merged" "build-fuzz/corpus/$t"
                echo "== $t: merged $before kept inputs into" \
                    "$(find "build-fuzz/corpus/$t" -type f | wc -l)"
            else
                rm -rf "$merged"
                echo "== $t: merge failed (build-fuzz/$t.merge.log); replaying all $before"
            fi
        fi
        # What the long run kept, once more under both sanitizers.
        if ! $clean || ! fuzz build-fuzz "$t" "$log" -runs=0; then
            $clean && tail -n 60 "$log"
            failed+=("$t")
            continue
        fi
        inputs=$(cat build-fuzz/"$t".long.*.log | awk '/^stat::number_of_executed_units/ { n += $2 } END { print n }')
        rate=$(cat build-fuzz/"$t".long.*.log | awk '/^stat::average_exec_per_sec/ { n += $2 } END { print n }')
        echo "== $t: $inputs inputs at $rate per second, clean;" \
            "its $(grep -Eo '^#[0-9]+[[:space:]]+INITED' "$log" | tr -dc '0-9') kept inputs" \
            "ran clean under both sanitizers"
        continue
    fi
    echo "== $t (${seconds}s)"
    if ! fuzz build-fuzz "$t" "$log" -max_total_time="$seconds"; then
        tail -n 60 "$log"
        failed+=("$t")
        continue
    fi
    stats "$log"
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found crashes in: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
