#!/bin/bash
# Mutation run: applies each one-line fault of a list to the source tree, one
# at a time, rebuilds only the tests named for it, runs them and counts the
# faults the tests notice ("killed"). Every file is put back afterwards, also
# when the run is interrupted. Run by hand, never in CI: it edits the tree.
#
#   tools/mutate.sh [LIST] [BUILD-DIR]
#
# LIST defaults to tools/mutations.txt (format described there), BUILD-DIR to
# build. Configure the build first. Exit status 0 when every fault was killed.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
list=${1:-$root/tools/mutations.txt}
build=${2:-$root/build}
[[ $build = /* ]] || build=$root/$build
log=$(mktemp -d /tmp/velmora-mutate.XXXXXX)
[ -f "$build/build.ninja" ] || { echo "no configured build in $build" >&2; exit 2; }

current=""   # the file under mutation, for the trap
# Put back with a fresh time stamp, so that the next build replaces what
# was built from the fault.
restore() {
    if [ -n "$current" ]; then
        cp "$log/original" "$root/$current"
        current=""
    fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

# The clean tree must build and pass first, or every fault would look killed.
mapfile -t unique < <(grep -vE '^[[:space:]]*(#|$)' "$list" | awk '{print $2}' | tr ',' '\n' | sort -u)
if ! ninja -C "$build" "${unique[@]}" >"$log/baseline-build.txt" 2>&1; then
    echo "the clean tree does not build: $log/baseline-build.txt" >&2; exit 2
fi
baseline="^($(IFS='|'; echo "${unique[*]}"))\$"
if ! ctest --test-dir "$build" -R "$baseline" --timeout 120 >"$log/baseline-test.txt" 2>&1; then
    echo "the clean tree fails its tests: $log/baseline-test.txt" >&2; exit 2
fi

killed=0; survived=0; broken=0; total=0; n=0
survivors=()
while IFS= read -r line || [ -n "$line" ]; do
    [[ -z "${line// }" || $line == \#* ]] && continue
    read -r file tests expr <<<"$line"
    n=$((n + 1))
    IFS=, read -r -a targets <<<"$tests"
    printf '%2d %-36s %s\n' "$n" "$file" "$expr"

    cp "$root/$file" "$log/original"
    current=$file
    sed -i -e "$expr" "$root/$file"
    changed=$(diff "$log/original" "$root/$file" | grep -c '^>')
    if [ "$changed" -ne 1 ]; then
        echo "   not applied: changes $changed lines"
        restore
        broken=$((broken + 1))
        continue
    fi
    total=$((total + 1))
    if ! ninja -C "$build" "${targets[@]}" >"$log/build-$n.txt" 2>&1; then
        # A fault the compiler refuses is no test's merit: not counted.
        echo "   does not compile (see $log/build-$n.txt)"
        total=$((total - 1)); broken=$((broken + 1))
        restore
        continue
    fi
    regex="^($(IFS='|'; echo "${targets[*]}"))\$"
    if ctest --test-dir "$build" -R "$regex" --timeout 120 >"$log/test-$n.txt" 2>&1; then
        echo "   SURVIVED"
        survived=$((survived + 1))
        survivors+=("$n: $file $expr")
    else
        failed=$(grep -oE '[0-9]+ - tst_[a-z_]+' "$log/test-$n.txt" | sed 's/.* - //' | tr '\n' ' ')
        echo "   killed by $failed"
        killed=$((killed + 1))
    fi
    restore
done <"$list"

# Leave the build matching the clean tree.
ninja -C "$build" "${unique[@]}" >"$log/rebuild.txt" 2>&1 || echo "rebuild of the clean tree failed: $log/rebuild.txt"

echo
echo "killed $killed of $total faults ($broken not applied or not compiling)"
for s in "${survivors[@]}"; do echo "  survived: $s"; done
echo "logs in $log"
[ "$survived" -eq 0 ]
