#!/usr/bin/env python3
"""Writes the Windows test pack: every Wine test program CTest runs, the DLLs
they load, and run-tests.cmd, which runs each program as CTest does (the same
arguments and environment) and closes with "N passed, N failed".

Usage: make_test_pack.py BUILD_DIR ZIP_PATH
"""
import json
import os
import subprocess
import sys
import zipfile

DLLS = ["lunetka.dll", "lunetka-checked.dll", "lunetka-failing-alloc.dll", "lunetka-example.dll"]
# Meaningful under Wine alone: its wineserver and its heap checking.
WINE_ONLY_ENVIRONMENT = {"LUNETKA_OWN_SERVER", "LUNETKA_HEAP_CHECKED_APART"}

HEADER = r"""@echo off
rem Lunetka's tests for Windows. Runs every test program in every kind of
rem messenger, as the build's CTest does under Wine, one at a time, each with
rem a log in logs\. "run-tests.cmd KIND" runs only the tests of one kind
rem (ansi, unicode, dialog, subclassing, unloading, rebuilding).
rem The keyboard tests and the handle-reuse tests want the desktop to
rem themselves: leave the machine alone while they run.
setlocal
cd /d "%~dp0"
if not exist logs mkdir logs
set passed=0
set failed=0
set only=%~1
"""

FOOTER = r"""echo %passed% passed, %failed% failed
if %failed% gtr 0 exit /b 1
exit /b 0

:run
rem %1 the test's name, %2 the program, %3 its argument (or nothing).
rem A program that died may still exit 0 (under Wine it does): it passed
rem only if it also printed its closing line.
%2 %~3 > "logs\%~1.log" 2>&1
if errorlevel 1 goto :runfailed
find "@END@" "logs\%~1.log" >nul
if errorlevel 1 goto :runfailed
set /a passed+=1
goto :eof
:runfailed
set /a failed+=1
echo FAILED %~1: see logs\%~1.log
goto :eof
"""


def wine_tests(build):
    listing = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"], check=True,
                             capture_output=True, text=True).stdout
    for test in json.loads(listing)["tests"]:
        command = test.get("command", [])
        if len(command) < 2 or not command[0].endswith("wine-run.sh") or not command[1].endswith(".exe"):
            continue
        environment = []
        end = None
        for prop in test.get("properties", []):
            if prop["name"] == "ENVIRONMENT":
                environment = [v for v in prop["value"] if v.split("=", 1)[0] not in WINE_ONLY_ENVIRONMENT]
            if prop["name"] == "PASS_REGULAR_EXPRESSION":
                end = prop["value"]
        if not isinstance(end, list) or len(end) != 1:
            sys.exit(f"make_test_pack: {test['name']} names no one closing line to pass on")
        yield test["name"], os.path.basename(command[1]), command[2:], environment, end[0]


def script(tests):
    ends = {end for _, _, _, _, end in tests}
    if len(ends) != 1 or '"' in next(iter(ends)):
        sys.exit("make_test_pack: the tests do not share one closing line find can look for")
    lines = [HEADER]
    for number, (name, program, arguments, environment, _) in enumerate(tests):
        kind = name.split(".", 1)[1] if "." in name else ""
        lines.append(f'if not "%only%"=="" if not "%only%"=="{kind}" goto skip{number}\n')
        for variable in environment:
            lines.append(f'set "{variable}"\n')
        argument = f' "{arguments[0]}"' if arguments else ""
        lines.append(f'call :run "{name}" {program}{argument}\n')
        for variable in environment:
            lines.append(f'set "{variable.split("=", 1)[0]}="\n')
        lines.append(f":skip{number}\n")
    lines.append(FOOTER.replace("@END@", ends.pop()))
    return "".join(lines).replace("\n", "\r\n")


def main():
    build, target = sys.argv[1], sys.argv[2]
    tests = list(wine_tests(build))
    if any(len(arguments) > 1 for _, _, arguments, _, _ in tests):
        sys.exit("make_test_pack: a test with more than one argument")
    binaries = os.path.join(build, "bin")
    os.makedirs(os.path.dirname(target) or ".", exist_ok=True)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as pack:
        for name in sorted({program for _, program, _, _, _ in tests}) + DLLS:
            pack.write(os.path.join(binaries, name), name)
        pack.writestr("run-tests.cmd", script(tests))
        pack.writestr("tests.txt", "".join(f"{name}\n" for name, _, _, _, _ in tests))
    print(f"{target}: {len(tests)} tests")


if __name__ == "__main__":
    main()
