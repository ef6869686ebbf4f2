#!/usr/bin/env python3
"""Which faults do the tests miss? Applies each mutant of scripts/mutants.tsv, one at a time, to a copy of the
tree, rebuilds that copy incrementally, runs the CTest entries of the mutated file's room (and any rooms the
mutant names) and says whether a test failed. Prints killed / survived / equivalent per room, then the survivors.

    scripts/mutate.py [--work DIR] [--only TEXT] [--jobs N]

A mutant line holds tab-separated fields: the file, the text to change (it must occur exactly once), what it
becomes, what a user would meet, and optionally "rooms=a,b" (more rooms to run) or "equivalent=why" (not run,
counted apart). A ⏎ in a field is a line break; lines starting with # are comments. The copy lives in DIR
(build-mutants/ by default) and is kept, so the first run builds everything and the next ones only what changed.
"""

import argparse
import collections
import filecmp
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Mutant:
    def __init__(self, line_number, fields):
        self.line = line_number
        self.path, self.old, self.new, self.meets = fields[:4]
        self.rooms = [room_of(self.path)]
        self.equivalent = ""
        for extra in fields[4:]:
            key, _, value = extra.partition("=")
            if key == "rooms":
                self.rooms += [r for r in value.split(",") if r and r not in self.rooms]
            elif key == "equivalent":
                self.equivalent = value
            else:
                raise ValueError(f"mutants.tsv:{line_number}: unknown field {extra!r}")

    def name(self):
        return f"{self.path}:{self.line} {self.old.strip()!r} -> {self.new.strip()!r}"


def room_of(path):
    parts = path.split("/")
    if parts[0] == "src" and len(parts) > 2:
        return parts[1]
    if parts[0] == "tools":
        # The tools are tested in the room of the code they drive.
        return {"veyracheck-query.cpp": "engine", "veyracheck-audit.cpp": "audit",
                "veyracheck-lists.cpp": "search", "veyracheck-screen.cpp": "search"}.get(parts[1], "app")
    raise ValueError(f"{path}: no room for it")


def read_mutants(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) < 4:
                raise ValueError(f"{path}:{number}: needs file, old, new and what a user meets, tab-separated")
            mutants.append(Mutant(number, [field.replace("\u23ce", "\n") for field in fields]))
    return mutants


def sync_tree(work):
    """Copies the working tree's tracked files into work/tree, touching only the files that differ."""
    tree = os.path.join(work, "tree")
    files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True, capture_output=True).stdout
    for name in filter(None, files.decode().split("\0")):
        source, target = os.path.join(ROOT, name), os.path.join(tree, name)
        if not os.path.isfile(source):
            continue
        if os.path.exists(target) and filecmp.cmp(source, target, shallow=False):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)
    return tree


def build(tree, build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", tree, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                        "-DVEYRA_HARDENING=OFF"], check=True, stdout=subprocess.DEVNULL)
    return subprocess.run(["cmake", "--build", build_dir], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def tests_pass(build_dir, rooms, jobs):
    labels = "^(" + "|".join(rooms) + ")$"
    result = subprocess.run(["ctest", "-L", labels, "-j", str(jobs), "--timeout", "300"], cwd=build_dir,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return result.returncode == 0


def has_tests(build_dir, rooms):
    """A misspelt room runs no test, and would count every mutant in it as a survivor."""
    listed = subprocess.run(["ctest", "-N", "-L", "^(" + "|".join(rooms) + ")$"], cwd=build_dir,
                            capture_output=True, text=True).stdout
    return "Total Tests: 0" not in listed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", default=os.path.join(ROOT, "build-mutants"))
    parser.add_argument("--only", default="", help="run only the mutants whose line holds this text")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    mutants = [m for m in read_mutants(os.path.join(ROOT, "scripts", "mutants.tsv"))
               if args.only in "\t".join([m.path, m.old, m.new, m.meets])]
    tree = sync_tree(args.work)
    build_dir = os.path.join(args.work, "build")
    if not build(tree, build_dir):
        sys.exit("the unmutated copy does not build")

    table = collections.defaultdict(collections.Counter)
    survivors, broken = [], []
    for m in mutants:
        room = m.rooms[0]
        if m.equivalent:
            table[room]["equivalent"] += 1
            continue
        if not has_tests(build_dir, m.rooms):
            broken.append(f"{m.name()}: no tests in the rooms {', '.join(m.rooms)}")
            continue
        target = os.path.join(tree, m.path)
        with open(target, encoding="utf-8") as f:
            original = f.read()
        if original.count(m.old) != 1:
            broken.append(f"{m.name()}: the text occurs {original.count(m.old)} times")
            continue
        try:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original.replace(m.old, m.new))
            if not build(tree, build_dir):
                broken.append(f"{m.name()}: does not build")
                continue
            killed = not tests_pass(build_dir, m.rooms, args.jobs)
        finally:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
        table[room]["killed" if killed else "survived"] += 1
        print(f"{'killed  ' if killed else 'SURVIVED'} {m.name()}", flush=True)
        if not killed:
            survivors.append(f"{m.name()}\n    {m.meets}")
    build(tree, build_dir)  # leaves the copy built as it is, for the next run

    print(f"\n{'room':12} {'killed':>7} {'survived':>9} {'equivalent':>11}")
    totals = collections.Counter()
    for room in sorted(table):
        counts = table[room]
        totals.update(counts)
        print(f"{room:12} {counts['killed']:7} {counts['survived']:9} {counts['equivalent']:11}")
    print(f"{'all':12} {totals['killed']:7} {totals['survived']:9} {totals['equivalent']:11}")
    for s in survivors:
        print("survived:", s)
    for b in broken:
        print("not run:", b)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
