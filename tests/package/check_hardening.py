#!/usr/bin/env python3
"""Checks that each ELF file given was built with Debian's hardening flags, as hardening-check (devscripts) reads
them: position-independent (PIE), read-only relocations bound at start (RELRO, BIND_NOW), the stack protector and
FORTIFY_SOURCE. Prints one line per file and check; exits 1 when any is missing.

FORTIFY_SOURCE shows only where the compiler knew a buffer's size at a call (__memcpy_chk and the like): a file
with no such call looks the same built with it or without, so fortified calls are asked of the files together."""

import re
import subprocess
import sys


def readelf(option, path):
    return subprocess.run(["readelf", "-W", option, path], check=True, capture_output=True, text=True).stdout


def imported(path):
    return set(re.findall(r"\sUND\s+([^\s@]+)", readelf("--dyn-syms", path)))


def checks(path):
    header = readelf("--file-header", path)
    segments = readelf("--segments", path)
    dynamic = readelf("--dynamic", path)
    return {
        "position-independent": re.search(r"Type:\s+DYN", header) is not None,
        "read-only relocations": "GNU_RELRO" in segments,
        "bound at start": re.search(r"\(BIND_NOW\)|\(FLAGS_1\).*\bNOW\b", dynamic) is not None,
        "stack protector": "__stack_chk_fail" in imported(path),
    }


def fortified(path):
    return any(re.fullmatch(r"__\w+_chk", name) for name in imported(path))


def main(paths):
    failed = 0
    for path in paths:
        for name, held in checks(path).items():
            print(f"{path}: {name}: {'yes' if held else 'NO'}")
            failed += not held
    fortifying = [path for path in paths if fortified(path)]
    for path in paths:
        print(f"{path}: fortified calls: {'yes' if path in fortifying else 'none'}")
    if not fortifying:
        print("no file has a fortified call: FORTIFY_SOURCE did not reach the build")
        failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
