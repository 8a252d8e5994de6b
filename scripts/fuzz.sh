#!/usr/bin/env bash
# Builds every libFuzzer target with clang and the sanitizers into build-fuzz/ and runs each for SECONDS seconds on a
# throw-away copy of its seeds. Further arguments go to libFuzzer. Exits non-zero when any target finds something;
# the inputs that did it are kept in build-fuzz/findings/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [libFuzzer options...]}
shift

scripts/deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARCH_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz --target fuzzers

rm -rf build-fuzz/findings
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for source in fuzz/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    name=${target#fuzz_}
    corpus="$work/$name/corpus"
    findings="$work/$name/findings"
    mkdir -p "$corpus" "$findings"
    # The seeds are copied: libFuzzer adds what it learns to the folder it is given.
    [ -d "fuzz/corpus/$name" ] && cp -R "fuzz/corpus/$name/." "$corpus/"
    options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/")
    [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")

    echo "== $target: ${seconds}s, $(find "$corpus" -type f | wc -l) seeds" >&2
    rm -f "$work/status"
    { "build-fuzz/fuzz/$target" "${options[@]}" "$@" "$corpus" 2>&1 || echo $? >"$work/status"; } |
        tee "$work/$name/log" | grep -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse) ' || true
    status=$(cat "$work/status" 2>/dev/null || echo 0)
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        kept="build-fuzz/findings/$name"
        mkdir -p "$kept"
        cp -R "$findings/." "$kept/" 2>/dev/null || true
        cp "$work/$name/log" "$kept/log.txt"
        echo "!! $target found something (exit $status); inputs and log in $kept/" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Findings in: ${failed[*]}" >&2
    exit 1
fi
echo "No findings." >&2
