#!/usr/bin/env bash
# Runs the real program (the normal build) under valgrind's memcheck, offscreen, with the time warning off and a
# temporary settings folder, sending on a pseudo-terminal while the packet monitor reads the other end; SECONDS
# (default 60) after the first packet arrives, ends it with SIGTERM and summarises. Fails on any invalid access or uninitialised use, and on a
# definite leak not inside the third-party libraries named in scripts/valgrind.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps.sh valgrind socat
scripts/build.sh >/dev/null

work=$(mktemp -d)
link_a=/dev/qm-valgrind-$$-a # the program accepts serial devices under /dev/ only
link_b=/dev/qm-valgrind-$$-b
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work" "$link_a" "$link_b"
}
trap cleanup EXIT

mkdir -p "$work/config/Quillmarch" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
printf '[Settings]\nTimeWarn=False\nGroup-A="1-4\\t8\\t30\\tLOBBY\\t0"\nGroup-C="10,12\\t3\\t2\\tDOCK \\"7\\"\\t0"\n' \
    >"$work/config/Quillmarch/Quillmarch.ini"

socat pty,raw,echo=0,link="$link_a" pty,raw,echo=0,link="$link_b" 2>"$work/socat.log" &
pids+=($!)
for _ in $(seq 50); do [ -e "$link_a" ] && [ -e "$link_b" ] && break; sleep 0.1; done
build/quillmarch-monitor "$link_b" >"$work/monitor.log" 2>"$work/monitor.err" &
pids+=($!)

export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime"
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --track-origins=yes --num-callers=40 --suppressions=scripts/valgrind.supp --gen-suppressions=all \
    --log-file="$work/valgrind.log" build/quillmarch "$link_a" &
program=$!
pids+=("$program")
# Under valgrind the start alone can take a minute on a busy machine: the time counts from the first packet.
started=$SECONDS
until grep -q ' ok$' "$work/monitor.log"; do
    if ! kill -0 "$program" 2>/dev/null || [ $((SECONDS - started)) -gt 600 ]; then
        echo "valgrind: no packet arrived" >&2
        break
    fi
    sleep 1
done
echo "valgrind: first packet after $((SECONDS - started))s; sending for ${seconds}s" >&2
sleep "$seconds"
kill -TERM "$program" 2>/dev/null || true
status=0
wait "$program" || status=$?

log=build/valgrind-$(date -u +%Y%m%dT%H%M%SZ).log
cp "$work/valgrind.log" "$log"
packets=$(grep -c ' ok$' "$work/monitor.log" || true)
bad=$(grep -vc ' ok$' "$work/monitor.log" || true)
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -1)
definite=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$log" | tail -1)
invalid=$(grep -cE 'Invalid (read|write|free)|uninitialised|Mismatched free' "$log" || true)
echo "valgrind: ${seconds}s, program exit status $status; packets read back: $packets good, $bad other lines"
echo "valgrind: errors $errors, invalid accesses/uninitialised uses $invalid, definitely lost ${definite:-0} bytes" \
    "(after suppressions); full log in $log"
grep -E 'suppressed:|definitely lost:|indirectly lost:|possibly lost:|still reachable:' "$log" | sed 's/^==[0-9]*== */  /'
[ "$status" -eq 0 ] && [ "${errors:-1}" -eq 0 ] && [ "$packets" -gt 0 ]
