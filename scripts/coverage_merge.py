#!/usr/bin/env python3
"""Merges gcovr JSON reports of builds of the same sources and prints per file
the lines, branches and functions reached, then checks the bars.

gcovr merges such reports itself, but gcov marks an exception edge "(throw)"
only where the code ran: in a build where a line never ran, its exception
edges look like plain branches, and gcovr's merge counts them as missed.
Here a line's branches come from the builds that ran it.

Nothing is left out by a marker: a source that carries gcovr's or lcov's
exclusion markers is refused, with its lines named, so that one added later
cannot pass silently. The branches no host can reach, and the invariants'
checks, are compiled away in the coverage builds (base/invariant.h), so no
line of theirs is counted.

usage: coverage_merge.py LINE_BAR BRANCH_BAR REPORT.json...
"""
import json
import sys


EXCLUSION_MARKERS = ("GCOVR_EXCL", "LCOV_EXCL")


def exclusion_markers(name, source):
    """Where a source asks for lines or branches to be left out."""
    return ["%s:%d" % (name, number) for number, text in enumerate(source, 1)
            if any(marker in text for marker in EXCLUSION_MARKERS)]


def merged_lines(reports):
    lines = {}  # line number -> (count, branches)
    for report in reports:
        for line in report:
            if line.get("gcovr/noncode"):
                continue
            number = line["line_number"]
            branches = [b["count"] for b in line["branches"] if not b.get("throw")]
            if number not in lines:
                lines[number] = (line["count"], branches)
                continue
            count, known = lines[number]
            if line["count"] == 0:
                pass  # a build that never ran the line says nothing of its branches
            elif count == 0 or len(known) != len(branches):
                known = branches if count == 0 or line["count"] > count else known
            else:
                known = [a + b for a, b in zip(known, branches)]
            lines[number] = (count + line["count"], known)
    return lines


def main():
    line_bar, branch_bar = float(sys.argv[1]), float(sys.argv[2])
    files = {}
    for path in sys.argv[3:]:
        with open(path) as report:
            for entry in json.load(report)["files"]:
                files.setdefault(entry["file"], []).append(entry)

    markers = []
    for name in sorted(files):
        with open(name) as source:
            markers += exclusion_markers(name, source.read().split("\n"))
    if markers:
        print("coverage: exclusion markers are refused; take them out: " + ", ".join(markers))
        return 1

    totals = [0, 0, 0, 0, 0, 0]  # lines, reached; branches, taken; functions, run
    print("%-32s %13s %13s %11s   missed" % ("file", "lines", "branches", "functions"))
    for name in sorted(files):
        counted = merged_lines([e["lines"] for e in files[name]])
        functions = {}
        for entry in files[name]:
            for function in entry["functions"]:
                functions[function["name"]] = functions.get(function["name"], 0) + function["execution_count"]
        row = [len(counted), sum(1 for v in counted.values() if v[0] > 0),
               sum(len(v[1]) for v in counted.values()), sum(1 for v in counted.values() for c in v[1] if c > 0),
               len(functions), sum(1 for c in functions.values() if c > 0)]
        totals = [a + b for a, b in zip(totals, row)]
        missed = ",".join(str(n) for n in sorted(counted) if counted[n][0] == 0)
        untaken = ",".join(str(n) for n in sorted(counted) if 0 in counted[n][1])
        print("%-32s %6d/%-6d %6d/%-6d %5d/%-5d   %s" % (name, row[1], row[0], row[3], row[2], row[5], row[4],
                                                     "; ".join(x for x in (missed, "branches " + untaken if untaken else "") if x)))

    def share(reached, of):
        return 100.0 * reached / of if of else 100.0

    line_share, branch_share = share(totals[1], totals[0]), share(totals[3], totals[2])
    print("lines: %.1f%% (%d of %d)" % (line_share, totals[1], totals[0]))
    print("branches: %.1f%% (%d of %d), exception edges left out" % (branch_share, totals[3], totals[2]))
    print("functions: %.1f%% (%d of %d)" % (share(totals[5], totals[4]), totals[5], totals[4]))
    if line_share < line_bar or branch_share < branch_bar:
        print("coverage: below the bars (lines %g%%, branches %g%%)" % (line_bar, branch_bar))
        return 1
    print("coverage: at the bars")
    return 0


if __name__ == "__main__":
    sys.exit(main())
