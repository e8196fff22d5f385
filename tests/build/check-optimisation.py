#!/usr/bin/env python3
"""The build compiles test code at the test level and everything else at one level of
its own: no library or codec is de-optimised by being tested, and no test source pays
for the libraries' level unless it is marked as doing heavy work of its own
(VEXEL_TEST_AT_LIBRARY_LEVEL), and then it is at exactly the libraries' level.

Usage: check-optimisation.py BUILD_DIR SOURCE_DIR TEST_LEVEL (reads the build's
compile_commands.json)
"""
import json
import os
import shlex
import sys

build, source_root, test_level = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3]
with open(os.path.join(build, "compile_commands.json")) as f:
    entries = json.load(f)


def arguments(entry):
    return entry.get("arguments") or shlex.split(entry["command"])


def last_level(entry):
    args = arguments(entry)
    levels = [a for a in args if a.startswith("-O")]
    return levels[-1] if levels else "-O0"


def relative_output(entry):
    args = arguments(entry)
    out = entry.get("output") or args[args.index("-o") + 1]
    return os.path.relpath(os.path.join(entry["directory"], out), build)


def is_test_code(entry):
    """Built for a test: a test target (under tests/) or the libraries' test support;
    a library's own source compiled into a test target is library code."""
    out = relative_output(entry)
    source = os.path.realpath(entry["file"])
    if out.startswith("libs/common/testsupport/"):
        return True
    if not out.startswith("tests/"):
        return False
    in_tests = source.startswith(os.path.join(source_root, "tests") + os.sep)
    generated = source.startswith(os.path.realpath(build) + os.sep)
    return in_tests or generated


problems = []
library_levels = {}
tests = 0
for entry in entries:
    if "-c" not in arguments(entry):
        continue  # not a compilation
    level = last_level(entry)
    if is_test_code(entry) and "-DVEXEL_TEST_AT_LIBRARY_LEVEL" in arguments(entry):
        # A test program that does heavy work of its own, at the libraries' level.
        library_levels.setdefault(level, []).append(relative_output(entry))
    elif is_test_code(entry):
        tests += 1
        if level != test_level:
            problems.append(f"test code at {level}: {relative_output(entry)}")
    else:
        library_levels.setdefault(level, []).append(relative_output(entry))

if tests == 0:
    problems.append("no test code found in compile_commands.json")
if len(library_levels) != 1:
    for level, outputs in sorted(library_levels.items()):
        problems.append(f"library code at {level}: {len(outputs)} units, e.g. {outputs[:3]}")
elif test_level in library_levels:
    problems.append(f"library code at the test level {test_level}")

for p in problems:
    print("FAIL:", p, file=sys.stderr)
if problems:
    sys.exit(1)
print(f"{tests} test units at {test_level}, library units at {next(iter(library_levels))}")
