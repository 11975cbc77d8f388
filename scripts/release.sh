#!/usr/bin/env bash
# Makes dist/lunetka-<version>-win32.zip: the DLL (stripped), its symbols
# (lunetka.dll.debug, which debuggers find through the DLL's debug link), the
# install notes in Polish and English, and SHA256SUMS. The version comes from
# CMakeLists.txt.
# The package is reproducible: its entries are in a fixed order, with the
# last commit's time (or SOURCE_DATE_EPOCH) and fixed permissions.
#   --no-build   package the built DLL as it is
#   --build DIR  the build folder whose bin/ holds the DLL (build/ by default)
#   --out DIR    write the package into DIR instead of dist/
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build=1
out="$root/dist"
build_dir="$root/build"
while [ $# -gt 0 ]; do
    case "$1" in
        --no-build) build=0 ;;
        --out) out="$2"; shift ;;
        --build) build_dir="$2"; shift ;;
        *) echo "release: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done
[ "$build" -eq 0 ] || bash scripts/build.sh >/dev/null

version="$(sed -n 's/^project(Lunetka VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}"
mkdir -p "$out"
package="$out/lunetka-$version-win32.zip"

dll="$build_dir/bin/lunetka.dll"
[ -f "$dll" ] && [ -f "$dll.debug" ] || { echo "release: no $dll with its symbols" >&2; exit 1; }
python3 - "$package" "$version" "$epoch" "$dll" docs/release/INSTALL-pl.txt \
    docs/release/INSTALL-en.txt <<'PYTHON'
import hashlib, sys, time, zipfile
package, version, epoch, dll, note_pl, note_en = sys.argv[1:]
# Zip keeps local time with two-second steps, from 1980 on: the commit's time in UTC.
stamp = time.gmtime(max(int(epoch), 315532800))[:6]
files = [("lunetka.dll", open(dll, "rb").read()),
         ("lunetka.dll.debug", open(dll + ".debug", "rb").read()),
         ("INSTALL-pl.txt", open(note_pl, "rb").read().replace(b"@VERSION@", version.encode())),
         ("INSTALL-en.txt", open(note_en, "rb").read().replace(b"@VERSION@", version.encode()))]
sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
files.append(("SHA256SUMS", sums.encode()))
with zipfile.ZipFile(package, "w") as archive:
    for name, data in files:
        entry = zipfile.ZipInfo(name, date_time=stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        entry.create_system = 3
        archive.writestr(entry, data)
print(sums, end="")
PYTHON
echo "$(sha256sum "$package" | cut -d' ' -f1)  $(basename "$package")"
