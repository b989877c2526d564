#!/usr/bin/env bash
# Builds the Windows executable and runs it under Wine in the user's own
# Wine prefix. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

export WINEDEBUG=${WINEDEBUG:--all}
echo "The calculator window is not built yet; running the console companion on the default coil:"
echo "  ambrelix-cli --mode height --D 80 --P 4.2 --A 101 --OD 3.2 --ID 1.2"
wine build/win32/app/ambrelix-cli.exe --mode height --D 80 --P 4.2 --A 101 --OD 3.2 --ID 1.2
