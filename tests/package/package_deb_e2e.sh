#!/usr/bin/env bash
# The Debian package: built by cpack from this build tree, its contents and metadata
# checked, then installed with dpkg, the installed program run on the test desktop
# until its window shows and closed, and the package removed again (always).
# Usage: package_deb_e2e.sh BUILD_DIR. Exits 77 (skipped) where it cannot run: no
# test desktop, no root, or a lumivox package already installed on this machine.
set -uo pipefail

build=${1:-}
[[ -f $build/CPackConfig.cmake ]] || { echo "skip: no CPack configuration in '$build'"; exit 77; }
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
needs_desktop cpack dpkg dpkg-deb desktop-file-validate appstreamcli xprop xwininfo wmctrl python3

work=$(mktemp -d /tmp/package-deb.XXXXXX)
source "$(dirname "$0")/desktop.sh"
installed=0
program_pid=
tips_pid=
cleanup() {
    [[ -n $program_pid ]] && kill -9 "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [[ -n $tips_pid ]] && kill "$tips_pid" 2>/dev/null && wait "$tips_pid" 2>/dev/null
    ((installed)) && dpkg_locked --purge lumivox >"$work/purge.log" 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# Other developers' runs may hold dpkg's lock for a moment.
dpkg_locked() {
    local i
    for ((i = 0; i < 60; i++)); do
        $SUDO dpkg "$@" 2>"$work/dpkg.err" && return 0
        grep -q "lock" "$work/dpkg.err" || { cat "$work/dpkg.err" >&2; return 1; }
        sleep 1
    done
    return 1
}
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
    sudo -n true 2>/dev/null || { echo "skip: installing needs root"; exit 77; }
    SUDO="sudo -n"
fi
if dpkg-query -W -f='${Status}' lumivox 2>/dev/null | grep "ok installed" >/dev/null; then
    echo "skip: a lumivox package is installed already; not touching it"
    exit 77
fi

echo "== building the package"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1
deb=$(compgen -G "$work/out/lumivox_*.deb" | head -1)
check "cpack makes lumivox_<version>_<arch>.deb" [ -n "$deb" ] || finish
field() { dpkg-deb -f "$deb" "$1"; }
check "package name" [ "$(field Package)" = lumivox ]
check "version 1.7.921" [ "$(field Version)" = 1.7.921 ]
check "a maintainer" [ -n "$(field Maintainer)" ]
depends=$(field Depends)
echo "Depends: $depends"
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libpulse0 qt6-qpa-plugins \
    "fonts-wqy-zenhei | fonts-wqy-microhei | fonts-noto-cjk | fonts-droid-fallback"; do
    check "depends on $dep" grep -F -- "$dep" <<<"$depends" >/dev/null
done
for rec in xdg-utils qt6-wayland; do
    check "recommends $rec" grep -F -- "$rec" <<<"$(field Recommends)" >/dev/null
done

echo "== contents"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's#^\./#/#' >"$work/contents.txt"
dpkg-deb -x "$deb" "$work/root"
root=$work/root
has() { grep -Fx "$1" "$work/contents.txt" >/dev/null; }
check "the program in /usr/bin" has /usr/bin/lumivox
check "it is executable" [ -x "$root/usr/bin/lumivox" ]
check "no library of its own beside it (nothing in /usr/lib)" sh -c "! grep '^/usr/lib/.' '$work/contents.txt'"
desktop=$(compgen -G "$root/usr/share/applications/*.desktop" | head -1)
metainfo=$(compgen -G "$root/usr/share/metainfo/*.metainfo.xml" | head -1)
check "a desktop entry" [ -n "$desktop" ] || finish
check "an AppStream metainfo file" [ -n "$metainfo" ] || finish
check "the desktop entry validates" desktop-file-validate "$desktop"
check "the metainfo validates" appstreamcli validate --no-net "$metainfo"

entry() { grep -m1 "^$1=" "$desktop" | cut -d= -f2-; }
check "entry name" [ "$(entry Name)" = "Lumivox语音报时器" ]
check "generic name in English" [ -n "$(entry GenericName)" ]
check "generic name in Chinese" [ -n "$(entry 'GenericName\[zh_CN\]')" ]
check "categories Utility and Clock" [ "$(entry Categories)" = "Utility;Clock;" ]
exec_name=$(entry Exec | cut -d' ' -f1)
check "Exec names the packaged program" has "/usr/bin/$exec_name"
icon=$(entry Icon)
# Each size's folder holds a PNG of that size; the scalable one is SVG.
icons_ok() {
    python3 - "$root/usr/share/icons/hicolor" "$icon" <<'PY'
import os, struct, sys
base, name = sys.argv[1], sys.argv[2]
found = 0
for folder in sorted(os.listdir(base)):
    path = os.path.join(base, folder, "apps", name + (".svg" if folder == "scalable" else ".png"))
    if not os.path.exists(path):
        continue
    data = open(path, "rb").read()
    if folder == "scalable":
        ok = b"<svg" in data[:400]
    else:
        want = int(folder.split("x")[0])
        ok = data[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", data[16:24]) == (want, want)
    print(("" if ok else "wrong: ") + path[len(base):])
    found += ok
    if not ok:
        sys.exit(1)
sys.exit(0 if found >= 6 else 1)
PY
}
check "icons named by the entry, each of its folder's size" icons_ok
for size in 16x16 32x32 48x48 256x256 scalable; do
    check "icon in $size" sh -c "ls '$root/usr/share/icons/hicolor/$size/apps/$icon'.* >/dev/null"
done
check "metainfo launches this desktop entry" \
    grep -F "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo"
check "metainfo has release 1.7.921" grep -F '<release version="1.7.921"' "$metainfo"
check "metainfo has a screenshot" grep -F '<screenshot' "$metainfo"
check "metainfo has a content rating" grep -F '<content_rating' "$metainfo"

echo "== installing"
check "dpkg -i succeeds" dpkg_locked -i "$deb" || finish
installed=1
check "dpkg lists the program" sh -c "dpkg -L lumivox | grep -x /usr/bin/lumivox"

echo "== running the installed program"
# Settings and the one-instance lock in folders of this test's own.
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS
use_fake_browser
# Tips through a local proxy.
printf 'Packaged tip%s%s\r\n' '@#$' http://tips.example/p >"$work/tips-body"
python3 "$(dirname "$0")/../tips/tips_server.py" --body "$work/tips-body" \
    --log "$work/tips-requests.log" >"$work/tips-port" &
tips_pid=$!
wait_until 10 test -s "$work/tips-port"
http_proxy="http://127.0.0.1:$(head -n1 "$work/tips-port")"
export http_proxy HTTP_PROXY=$http_proxy
(cd "$work" && exec /usr/bin/lumivox) >"$work/program.log" 2>&1 &
program_pid=$!
check "its window shows" wait_until 60 main_window_of "$program_pid"
check "mapped on the screen" wait_until 10 mapped
check "titled Lumivox语音报时器" sh -c "xprop -id $main _NET_WM_NAME | grep -F 'Lumivox语音报时器'"
tips_kept() {
    local file
    file=$(find "$work/config" -name tipsupd.dat | head -1)
    [[ -n $file ]] && cmp -s "$work/tips-body" "$file"
}
# The first tips tick comes 15 s after start.
check "it fetches and keeps the tips" wait_until 60 tips_kept ||
    cat "$work/program.log"
close_window
check "it ends when the window is closed" wait_until 30 gone "$program_pid"
program_pid=

echo "== removing"
check "dpkg -r succeeds" dpkg_locked -r lumivox && installed=0
check "the program is gone" [ ! -e /usr/bin/lumivox ]
check "the desktop entry is gone" [ ! -e "/usr/share/applications/$(basename "$desktop")" ]
((installed)) || dpkg_locked --purge lumivox >/dev/null 2>&1

finish
