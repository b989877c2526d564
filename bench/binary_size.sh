#!/usr/bin/env bash
# Where the bytes of the Windows executables go: builds Ambrelix.exe and
# ambrelix-cli.exe as Release (in their own build folder, with linker maps)
# and prints, for each, its stripped size, the size of each section, the
# libraries and objects that contribute most, and which reference pulls each
# member of libstdc++ and of MinGW's libmingwex into the link (so a stray
# <iostream>, locale or formatting code shows up with its cause).
#
#   bench/binary_size.sh [top]   (default 25 objects; AMBRELIX_SIZE_BUILD_DIR, default build/win32-size)
set -euo pipefail
cd "$(dirname "$0")/.."

top=${1:-25}
build_dir=${AMBRELIX_SIZE_BUILD_DIR:-build/win32-size}
cmake --preset win32 -B "$build_dir" -DAMBRELIX_LINK_MAPS=ON -DAMBRELIX_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target Ambrelix ambrelix-cli >/dev/null

for target in Ambrelix ambrelix-cli; do
  exe="$build_dir/app/$target.exe"
  echo "== $target.exe: $(stat -c %s "$exe") bytes stripped"
  i686-w64-mingw32-objdump -h "$exe" |
    awk 'NF >= 7 && $1 ~ /^[0-9]+$/ { printf "  %-10s %8d\n", $2, ("0x" $3) + 0 }'
  python3 - "$build_dir/maps/$target.map" "$top" <<'PY'
import collections, re, sys

path, top = sys.argv[1], int(sys.argv[2])
text = open(path, errors="replace").read()
short = lambda s: re.sub(r"^.*/", "", s.strip())

# Who pulled each archive member in: "member\n    referrer (symbol)".
pulled = {}
archive = text.split("Archive member included to satisfy reference by file (symbol)")[1]
archive = archive.split("\n\n", 2)[1]
lines = archive.split("\n")
for i, line in enumerate(lines):
    if line and not line.startswith(" "):
        member, _, rest = line.partition("  ")
        reason = rest.strip() or (lines[i + 1].strip() if i + 1 < len(lines) else "")
        pulled[short(member)] = short(reason)

# Input sections by output section: " .text$x  0xADDR  0xSIZE  file", the
# name alone on its line when it is long.
kept = ("text", "rdata", "eh_frame", "data")
sizes = collections.defaultdict(collections.Counter)
memory = text.split("Linker script and memory map", 1)[1]
output, pending = None, None
for line in memory.split("\n"):
    if re.match(r"^\.\S+", line):
        output, pending = line.split()[0].lstrip("."), None
        continue
    m = re.match(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
    if not m:
        alone = re.match(r"^ (\.\S+)$", line)
        pending = alone.group(1) if alone else None
        continue
    if not (m.group(1) or pending) or output not in kept:
        continue
    pending = None
    address, size = int(m.group(2), 16), int(m.group(3), 16)
    if address and size:
        sizes[short(m.group(4))][output] += size

def row(name, c):
    return "  %-58s %8d %8d %8d %8d" % (name[:58], c["text"], c["rdata"], c["eh_frame"],
                                        sum(c[k] for k in kept))

header = "  %-58s %8s %8s %8s %8s" % ("", ".text", ".rdata", ".eh_frame", "all")
libraries = collections.defaultdict(collections.Counter)
for name, c in sizes.items():
    m = re.match(r"(.+?\.a)\(", name)
    libraries[m.group(1) if m else name].update(c)
by_size = lambda d: sorted(d.items(), key=lambda kv: -sum(kv[1][k] for k in kept))
print("  by library or object:")
print(header)
for name, c in by_size(libraries):
    if sum(c[k] for k in kept) >= 1024:
        print(row(name, c))
print(f"  the {top} largest objects:")
print(header)
for name, c in by_size(sizes)[:top]:
    print(row(name, c))
print("  members of the C++ and MinGW runtime libraries and what pulled each in:")
for member, reason in sorted(pulled.items()):
    if member.startswith(("libstdc++.a(", "libmingwex.a(")):
        print("    %-44s <- %s" % (member, reason))
PY
done
