#!/usr/bin/env python3
"""Reads scripts/faults.txt and plants one fault at a time for scripts/plant-faults.sh.

Commands (paths are relative to the repository root, the current folder):
  list [ID...]                 print the faults as a Markdown table
  ids [ID...]                  print the ids, one a line, in file order; unknown ids are an error
  file ID                      print the file the fault changes
  anchor ID                    exit 0 when the text to find occurs exactly once, else say why and exit 1
  plant ID                     replace the text to find (checked first) in the file
  objects ID BUILD_DIR         print the object files that compile the fault's file, from BUILD_DIR/build.ninja
  table RESULTS                print the results (id, outcome, tests; TAB-separated) as a Markdown table with totals
"""

import os
import re
import sys

# Another list can be named in PLANT_FAULTS_FILE (plant-faults.sh --faults FILE).
FAULTS = os.environ.get("PLANT_FAULTS_FILE") or os.path.join(os.path.dirname(os.path.abspath(__file__)), "faults.txt")
KEYS = ("file", "find", "replace", "suffers", "subsystem")


def subsystem_of(path):
    for prefix, name in (("src/model/", "model"), ("src/app/", "app"), ("src/presets/", "presets"),
                         ("src/ui/", "ui"), ("src/platform/", "platform"), ("src/program/", "program"),
                         ("tools/monitor/", "monitor")):
        if path.startswith(prefix):
            return name
    return path.split("/")[0]


def read_faults():
    faults = []
    current = None
    with open(FAULTS, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            head = re.fullmatch(r"\[([A-Za-z0-9_.-]+)\]\s*", line)
            if head:
                current = {"id": head.group(1), "line": number}
                if any(f["id"] == current["id"] for f in faults):
                    sys.exit(f"{FAULTS}:{number}: fault {current['id']} is listed twice")
                faults.append(current)
                continue
            field = re.fullmatch(r"([a-z]+):(.*)", line)
            if not field or current is None or field.group(1) not in KEYS:
                sys.exit(f"{FAULTS}:{number}: expected [id] or one of {', '.join(k + ':' for k in KEYS)}")
            # Blanks around the value are dropped; an anchor needs none to be found.
            current[field.group(1)] = field.group(2).strip()
    for fault in faults:
        missing = [k for k in ("file", "find", "replace", "suffers") if k not in fault]
        if missing:
            sys.exit(f"{FAULTS}:{fault['line']}: fault {fault['id']} lacks {', '.join(missing)}")
        if fault["find"] == fault["replace"]:
            sys.exit(f"{FAULTS}:{fault['line']}: fault {fault['id']} replaces its text by itself")
        fault.setdefault("subsystem", subsystem_of(fault["file"]))
    return faults


def select(faults, ids):
    if not ids:
        return faults
    known = {f["id"]: f for f in faults}
    unknown = [i for i in ids if i not in known]
    if unknown:
        sys.exit("unknown fault id: " + ", ".join(unknown))
    return [known[i] for i in ids]


def one(faults, fault_id):
    return select(faults, [fault_id])[0]


def cell(text):
    return text.replace("|", "\\|")


def code(text):
    # A backtick inside the text would end the code span early: a longer fence keeps it whole.
    fence = "``" if "`" in text else "`"
    pad = " " if "`" in text else ""
    return cell(f"{fence}{pad}{text}{pad}{fence}")


def anchor_problem(fault):
    path = fault["file"]
    if not os.path.isfile(path):
        return f"{path} does not exist"
    with open(path, encoding="utf-8") as f:
        count = f.read().count(fault["find"])
    if count == 0:
        return f"text to find is missing from {path}"
    if count > 1:
        return f"text to find occurs {count} times in {path}"
    return None


def main(argv):
    if not argv:
        sys.exit(__doc__)
    command, args = argv[0], argv[1:]
    faults = read_faults()
    if command == "list":
        print("| id | subsystem | file | find | replace | the user suffers |")
        print("|---|---|---|---|---|---|")
        for f in select(faults, args):
            print(f"| {f['id']} | {f['subsystem']} | {f['file']} | {code(f['find'])} | {code(f['replace'])} | "
                  f"{cell(f['suffers'])} |")
        print(f"\n{len(select(faults, args))} faults")
    elif command == "ids":
        for f in select(faults, args):
            print(f["id"])
    elif command == "file":
        print(one(faults, args[0])["file"])
    elif command == "anchor":
        problem = anchor_problem(one(faults, args[0]))
        if problem:
            print(problem)
            return 1
    elif command == "plant":
        fault = one(faults, args[0])
        problem = anchor_problem(fault)
        if problem:
            print(problem)
            return 1
        with open(fault["file"], encoding="utf-8") as f:
            text = f.read()
        with open(fault["file"], "w", encoding="utf-8") as f:
            f.write(text.replace(fault["find"], fault["replace"], 1))
    elif command == "objects":
        fault, build = one(faults, args[0]), args[1]
        source = os.path.abspath(fault["file"])
        rule = re.compile(r"^build (\S+\.o): CXX_COMPILER\S* " + re.escape(source) + r"(\s|$)")
        with open(os.path.join(build, "build.ninja"), encoding="utf-8") as f:
            for line in f:
                m = rule.match(line)
                if m:
                    print(m.group(1))
    elif command == "table":
        by_id = {f["id"]: f for f in faults}
        rows = []
        with open(args[0], encoding="utf-8") as f:
            for line in f:
                fault_id, outcome, tests = (line.rstrip("\n").split("\t") + ["", ""])[:3]
                rows.append((by_id[fault_id], outcome, tests))
        print("| id | subsystem | fault | caught by |")
        print("|---|---|---|---|")
        for fault, outcome, tests in rows:
            shown = {"caught": ", ".join(tests.split()), "missed": "NOT CAUGHT"}.get(outcome, outcome)
            print(f"| {fault['id']} | {fault['subsystem']} | {cell(fault['suffers'])} | {cell(shown)} |")
        planted = sum(1 for _, o, _ in rows if o in ("caught", "missed"))
        caught = sum(1 for _, o, _ in rows if o == "caught")
        print(f"\nCaught {caught} of {planted} planted faults", end="")
        if planted:
            print(f" ({100 * caught // planted} %)", end="")
        skipped = len(rows) - planted
        print(f"; {skipped} not planted." if skipped else ".")
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
