#!/usr/bin/env python3
"""The coverage merge refuses a source that carries an exclusion marker, and
counts a clean one: a marker added later cannot pass silently."""
import json
import os
import subprocess
import sys
import tempfile

MERGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "coverage_merge.py")


def report(path, lines):
    return {"files": [{"file": path, "functions": [{"name": "f", "execution_count": 1}],
                       "lines": [{"line_number": n, "count": c, "branches": []} for n, c in lines]}]}


def merge(folder, source_text, lines):
    source = os.path.join(folder, "unit.cpp")
    with open(source, "w") as out:
        out.write(source_text)
    json_path = os.path.join(folder, "unit.json")
    with open(json_path, "w") as out:
        json.dump(report(source, lines), out)
    return subprocess.run([sys.executable, MERGE, "100", "97", json_path], capture_output=True, text=True)


def main():
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        clean = merge(folder, "int f()\n{\n    return 1;\n}\n", [(1, 1), (3, 1)])
        if clean.returncode != 0 or "lines: 100.0% (2 of 2)" not in clean.stdout:
            failures.append("a clean source: " + clean.stdout)
        for marker in ("// GCOVR_EXCL_LINE", "// GCOVR_EXCL_BR_LINE", "// LCOV_EXCL_START"):
            marked = merge(folder, "int f()\n{\n    return 1;  %s\n}\n" % marker, [(1, 1), (3, 1)])
            if marked.returncode == 0 or "unit.cpp:3" not in marked.stdout:
                failures.append(marker + " was not refused: " + marked.stdout)
    for failure in failures:
        print("coverage_merge: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
