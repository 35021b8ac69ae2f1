#!/usr/bin/env bash
# The installer and the portable zip under Wine:
#   - cpack makes lumivox-<version>-win64.exe; it installs silently (/S) into
#     Program Files with a Start-menu entry;
#   - the installed program starts, closes, and keeps its settings per user;
#   - the uninstaller (/S) removes the program, its folder and the Start-menu entry;
#   - the portable zip holds the program and the settings file that keeps it portable.
# Usage: wine_installer_e2e.sh BINARY_DIR. Needs the test desktop and the Wine prefix;
# exits 77 without them.
set -uo pipefail

binary_dir=${1:-}
wine=/usr/lib/wine/wine64
title="Lumivox语音报时器"
[[ -f $binary_dir/CPackConfig.cmake ]] || { echo "skip: not configured"; exit 77; }
[[ -n ${DISPLAY:-} ]] || { echo "skip: no test desktop"; exit 77; }
[[ -n ${WINEPREFIX:-} && -x $wine ]] || { echo "skip: no Wine prefix"; exit 77; }
command -v makensis >/dev/null || { echo "skip: makensis missing"; exit 77; }

work=$(mktemp -d /tmp/wine-installer.XXXXXX)
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=tests/support/xwindows.sh
source "$(dirname "$0")/../support/xwindows.sh"
trap stop_started EXIT
PATH="$(dirname "$0")/../../scripts/headless:$PATH"
export PATH
export LUMIVOX_OPENED_LOG="$work/opened"

drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Program Files/Lumivox"
start_menu_entry() { find "$drive_c" -path '*Start Menu/Programs/Lumivox*' -name "$title.lnk" | head -1; }
quietly() { "$@" </dev/null >/dev/null 2>&1; }
no_start_menu_entry() { test -z "$(start_menu_entry)"; }
per_user() { find "$drive_c/users" -maxdepth 4 -name Lumivox -type d; }
per_user | xargs -r rm -rf

(cd "$binary_dir" && cpack -B "$work/package" >"$work/cpack.log" 2>&1)
installer=$(find "$work/package" -maxdepth 1 -name 'lumivox-*-win64.exe' | head -1)
check "cpack makes the installer" test -n "$installer" || { cat "$work/cpack.log"; exit 1; }
echo "installer: $(basename "$installer"), $(stat -c %s "$installer") bytes"

check "silent install ends" quietly timeout 120 "$wine" "$installer" /S
check "program installed in Program Files" test -f "$installed/bin/lumivox.exe"
check "Start-menu entry made" test -n "$(start_menu_entry)"
check "uninstaller installed" test -f "$installed/Uninstall.exe"

"$wine" "C:\\Program Files\\Lumivox\\bin\\lumivox.exe" </dev/null >"$work/wine.log" 2>&1 &
program=$!
started+=("$program")
check "installed program shows its window" \
    test -n "$(timeout 60 xdotool search --sync --onlyvisible --name "$title" | head -1)"
wmctrl -c "$title"
check "and ends on close" wait_until 20 sh -c "! kill -0 $program 2>/dev/null"
check "its settings kept per user" test -n "$(per_user)"
per_user | xargs -r rm -rf

check "silent uninstall ends" quietly timeout 120 "$wine" "C:\\Program Files\\Lumivox\\Uninstall.exe" /S
# The uninstaller goes on from a copy of itself: wait for its work.
check "program removed" wait_until 60 test ! -e "$installed/bin/lumivox.exe"
check "its folder removed" wait_until 30 test ! -e "$installed"
check "Start-menu entry removed" wait_until 10 no_start_menu_entry

(cd "$binary_dir" && cmake --build . --target portable >"$work/portable.log" 2>&1)
zip=$(find "$binary_dir" -maxdepth 1 -name 'lumivox-*-win64-portable.zip' | head -1)
check "portable zip made" test -n "$zip" || exit 1
check "it holds the program and its settings file" python3 -c '
import sys, zipfile
names = sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist() if "/" in n)
sys.exit(0 if names == ["", "lumivox.exe", "lvvoxclk.db"] or names == ["lumivox.exe", "lvvoxclk.db"] else 1)' "$zip"
((failures == 0))
