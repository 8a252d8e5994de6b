#!/usr/bin/env bash
# Non-blank, non-comment lines of C++ (.cpp, .h) in the program (src/, tools/) and in its tests (tests/, fuzz/),
# and the tests' share of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | awk '
        { line = $0 }
        inblock { if (sub(/.*\*\//, "", line)) inblock = 0; else next }
        { while (match(line, /\/\*/)) { rest = substr(line, RSTART + 2)
              if (match(rest, /\*\//)) line = substr(line, 1, index(line, "/*") - 1) substr(rest, RSTART + 2)
              else { line = substr(line, 1, index(line, "/*") - 1); inblock = 1 } } }
        { sub(/^[ \t]*\/\/.*/, "", line) }
        line ~ /[^ \t]/ { n++ }
        END { print n + 0 }'
}
program=$(count src tools)
tests=$(count tests fuzz)
echo "program (src, tools): $program"
echo "tests (tests, fuzz):  $tests"
awk -v t="$tests" -v p="$program" 'BEGIN { printf "tests / program:      %.1f %%\n", 100 * t / p }'
