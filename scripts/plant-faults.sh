#!/usr/bin/env bash
# Plants the faults of scripts/faults.txt one at a time, rebuilds, runs the test suite, and prints which test
# programs caught each one: a fault no test catches is a hole in the suite.
#
#   scripts/plant-faults.sh [options] [ID...]     every fault, or the ones named
#     --list                 print the faults and stop
#     --check                only check that each text to find occurs once and that each planted file compiles
#     --jobs N               ctest -jN (default 2)
#     --build-jobs N         cmake --build -jN (default: Ninja's own)
#     --build-dir DIR        a configured build folder (default build; scripts/build.sh makes one)
#     --baseline             run the suite unplanted first: programs failing then catch nothing
#     --tests REGEX          ctest -R REGEX, for trying the script out; the suite is only whole without it
#     --out FILE             also write the table to FILE
#     --faults FILE          another list of faults, in the form of scripts/faults.txt
#
# The working tree must be clean; it is left exactly as it was, also after Ctrl-C. The build folder is rebuilt from
# the clean tree at the end, so that no planted binary stays behind.
set -euo pipefail
cd "$(dirname "$0")/.."

helper=scripts/faultlist.py
build=build
jobs=2
build_jobs=
check=0
baseline=0
filter=
out=
ids=()
while (($#)); do
    case $1 in
    --list)
        shift
        exec python3 "$helper" list "$@"
        ;;
    --check) check=1 ;;
    --baseline) baseline=1 ;;
    --jobs) jobs=$2; shift ;;
    --build-jobs) build_jobs=$2; shift ;;
    --build-dir) build=$2; shift ;;
    --tests) filter=$2; shift ;;
    --out) out=$2; shift ;;
    --faults) PLANT_FAULTS_FILE=$(realpath "$2"); export PLANT_FAULTS_FILE; shift ;;
    -h | --help)
        sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
        exit 0
        ;;
    -*) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
    *) ids+=("$1") ;;
    esac
    shift
done

id_lines=$(python3 "$helper" ids "${ids[@]}") || exit 2
mapfile -t selected <<<"$id_lines"
[[ -f $build/build.ninja ]] || { echo "no configured build in $build/: run scripts/build.sh first" >&2; exit 2; }
start_state=$(git status --porcelain)
if [[ -n $start_state ]]; then
    echo "the working tree has changes; commit or stash them first:" >&2
    echo "$start_state" >&2
    exit 2
fi

logs=$(mktemp -d "${TMPDIR:-/tmp}/plant-faults.XXXXXX")
results=$logs/results.tsv
: >"$results"
planted_file=

sid_file=$logs/suite.sid

# Ends, by process id, what is still running in the suite's session; notes it in the log ($1).
end_leftovers() {
    [[ -s $sid_file ]] || return 0
    local sid pids
    sid=$(<"$sid_file")
    pids=$(ps -eo pid=,sid= | awk -v s="$sid" '$2 == s { print $1 }')
    if [[ -n $pids ]]; then
        { echo "left running by the suite, ended:"; ps -o pid=,args= -p "${pids//$'\n'/,}"; } >>"$1" 2>&1 || true
        # Asked first, so that an X server or a test can clean up after itself; then ended.
        # shellcheck disable=SC2086
        kill -TERM $pids 2>/dev/null || true
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            pids=$(ps -eo pid=,sid= | awk -v s="$sid" '$2 == s { print $1 }')
            [[ -z $pids ]] && break
            sleep 0.5
        done
        # shellcheck disable=SC2086
        [[ -z $pids ]] || kill -KILL $pids 2>/dev/null || true
        echo "  processes left running by the suite were ended (see $1)" >&2
    fi
    rm -f "$sid_file"
}

restore() {
    if [[ -n $planted_file ]]; then
        git checkout -- "$planted_file"
        planted_file=
    fi
}
interrupted() {
    end_leftovers "$logs/interrupted.log"
    restore
    echo "interrupted; the tree is restored, logs in $logs" >&2
    echo "the build in $build/ may hold planted code until it is built again (cmake --build $build)" >&2
    exit 130
}
trap restore EXIT
trap interrupted INT TERM

build_all() { # $1: log file
    cmake --build "$build" ${build_jobs:+-j "$build_jobs"} >"$1" 2>&1
}

# Runs the suite; writes the names of the test programs that failed (or timed out) to $2, one a line.
run_suite() { # $1: log file, $2: list of failed programs
    local failed=$build/Testing/Temporary/LastTestsFailed.log
    rm -f "$failed"
    local args=(--test-dir "$build" -j "$jobs" --timeout 300 --no-tests=error)
    [[ -n $filter ]] && args+=(-R "$filter")
    local rc=0
    # In a session of its own, so that whatever a test leaves running (a planted fault can keep the program from
    # ending) is found by the session and ended afterwards. Waited for with `wait`, which Ctrl-C interrupts.
    rm -f "$sid_file"
    # A job started with & has SIGINT ignored, which its tests would inherit: they get the default back.
    # shellcheck disable=SC2016 # expanded by the inner shell
    setsid env --default-signal=INT,QUIT bash -c 'echo $$ >"$0"; exec "$@"' "$sid_file" ctest "${args[@]}" >"$1" 2>&1 &
    wait $! || rc=$?
    end_leftovers "$1"
    if [[ -f $failed ]]; then
        cut -d: -f2- "$failed" >"$2"
    elif ((rc != 0)); then
        echo "(ctest itself failed, see $1)" >"$2"
    else
        : >"$2"
    fi
}

# ---- check mode: the anchors, and each planted file compiled on its own
if ((check)); then
    bad=0
    for id in "${selected[@]}"; do
        if ! problem=$(python3 "$helper" anchor "$id"); then
            printf '%-32s NOT PLANTABLE: %s\n' "$id" "$problem"
            bad=$((bad + 1))
            continue
        fi
        file=$(python3 "$helper" file "$id")
        mapfile -t objects < <(python3 "$helper" objects "$id" "$build")
        planted_file=$file
        python3 "$helper" plant "$id" >/dev/null
        if ((${#objects[@]} == 0)); then # a header: only the whole build can tell
            ok=0
            build_all "$logs/$id.build.log" && ok=1
        else
            ok=0
            cmake --build "$build" ${build_jobs:+-j "$build_jobs"} --target "${objects[@]}" \
                >"$logs/$id.build.log" 2>&1 && ok=1
        fi
        restore
        if ((ok)); then
            printf '%-32s ok (%s)\n' "$id" "$file"
        else
            printf '%-32s DOES NOT COMPILE: see %s\n' "$id" "$logs/$id.build.log"
            bad=$((bad + 1))
        fi
    done
    # The objects of the last fault were compiled planted: compile them again from the clean files.
    build_all "$logs/final.build.log" || echo "the clean tree does not build: see $logs/final.build.log" >&2
    [[ $(git status --porcelain) == "$start_state" ]] || { echo "the tree was not left as found" >&2; exit 1; }
    echo "${#selected[@]} faults checked, $bad with problems"
    ((bad == 0))
    exit
fi

# ---- the full run
echo "building the clean tree" >&2
build_all "$logs/clean.build.log" || { echo "the clean tree does not build: see $logs/clean.build.log" >&2; exit 1; }
declare -A unplanted_failures=()
if ((baseline)); then
    echo "running the suite unplanted" >&2
    run_suite "$logs/baseline.test.log" "$logs/baseline.failed"
    while IFS= read -r t; do
        [[ -n $t ]] && unplanted_failures[$t]=1
    done <"$logs/baseline.failed"
    if ((${#unplanted_failures[@]})); then
        echo "failing without any fault (not counted as catching): ${!unplanted_failures[*]}" >&2
    fi
fi

n=0
for id in "${selected[@]}"; do
    n=$((n + 1))
    [[ -z $(git status --porcelain) ]] || { echo "the tree changed during the run; stopping" >&2; exit 1; }
    if ! problem=$(python3 "$helper" anchor "$id"); then
        echo "[$n/${#selected[@]}] $id: not planted: $problem" >&2
        printf '%s\tnot planted: %s\t\n' "$id" "$problem" >>"$results"
        continue
    fi
    planted_file=$(python3 "$helper" file "$id")
    python3 "$helper" plant "$id" >/dev/null
    echo "[$n/${#selected[@]}] $id: building" >&2
    if ! build_all "$logs/$id.build.log"; then
        restore
        echo "[$n/${#selected[@]}] $id: does not build, see $logs/$id.build.log" >&2
        printf '%s\tnot planted: does not build, fix the fault\t\n' "$id" >>"$results"
        continue
    fi
    echo "[$n/${#selected[@]}] $id: testing" >&2
    run_suite "$logs/$id.test.log" "$logs/$id.failed"
    caught=()
    while IFS= read -r t; do
        if [[ -n $t && -z ${unplanted_failures[$t]:-} ]]; then caught+=("$t"); fi
    done <"$logs/$id.failed"
    restore
    if ((${#caught[@]})); then
        echo "[$n/${#selected[@]}] $id: caught by ${caught[*]}" >&2
        printf '%s\tcaught\t%s\n' "$id" "${caught[*]}" >>"$results"
    else
        echo "[$n/${#selected[@]}] $id: NOT CAUGHT" >&2
        printf '%s\tmissed\t\n' "$id" >>"$results"
    fi
done

echo "rebuilding the clean tree" >&2
build_all "$logs/final.build.log" || echo "the clean tree does not build: see $logs/final.build.log" >&2
[[ $(git status --porcelain) == "$start_state" ]] || { echo "the tree was not left as found" >&2; exit 1; }

table=$(python3 "$helper" table "$results")
if [[ -n $filter ]]; then
    table+=$'\n'"Only the tests matching \"$filter\" were run."
fi
echo
echo "$table"
[[ -n $out ]] && echo "$table" >"$out"
echo >&2
echo "logs in $logs" >&2
