#!/usr/bin/env bash
# Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs every test
# there; the end-to-end tests start the sanitized programs. Fails on a failing test and on any sanitizer report, also
# one from a program a test started without looking at how it ended: every report goes to build-asan/sanitizer-logs/.
# Qt is not instrumented; leaks inside the third-party libraries named in scripts/lsan.supp are not ours to fix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh clang libclang-rt-14-dev iproute2

# -O1 -g: quicker to build than -O2, and the stack traces stay whole.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-asan

logs="$PWD/build-asan/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
chmod 1777 "$logs" # tests that drop to another user still get their reports written
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$logs/report"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/report"

status=0
ctest --test-dir build-asan --output-on-failure -j2 "$@" || status=$?
if [ -n "$(ls -A "$logs")" ]; then
    for report in "$logs"/*; do
        echo "== $report" >&2
        cat "$report" >&2
    done
    echo "!! sanitizer reports above" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "Sanitizer suite: no failures, no reports." >&2
exit "$status"
