#!/usr/bin/env bash
# Runs a window test in a headless Wayland compositor (weston) with no X display:
# once as it is, once more on a session bus of its own whose desktop portal offers
# global shortcuts (tests/timing/dnd_desktop.py).
# Usage: wayland_e2e.sh TEST_PROGRAM. Exits 77 (skipped) without weston or Qt's
# Wayland plugin.
set -uo pipefail

test_program=${1:-}
[[ -x $test_program ]] || { echo "skip: test not built"; exit 77; }
command -v weston >/dev/null || { echo "skip: weston missing"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    { echo "skip: Qt Wayland plugin missing"; exit 77; }

work=$(mktemp -d /tmp/wayland-e2e.XXXXXX)
chmod 700 "$work"
compositor=
started=()
cleanup() {
    [[ -n $compositor ]] && kill "$compositor" 2>/dev/null && wait "$compositor" 2>/dev/null
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/checks.sh"

export XDG_RUNTIME_DIR=$work
weston --backend=headless-backend.so --socket=wayland-test --idle-time=0 \
    --width=1024 --height=768 >"$work/weston.log" 2>&1 &
compositor=$!
wait_until 20 test -S "$work/wayland-test" || { cat "$work/weston.log"; echo "FAIL: weston"; exit 1; }

unset DISPLAY
export WAYLAND_DISPLAY=wayland-test XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
# Widgets draw into shared memory: no EGL client integration, whose GPU driver leaks
# at exit in a way the sanitizer cannot be told about.
export QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=none
"$test_program" || exit 1

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile) ||
    { echo "FAIL: dbus-daemon"; exit 1; }
started+=("$(sed -n 2p <<<"$bus")")
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
/usr/bin/python3 "$(dirname "$0")/../timing/dnd_desktop.py" shortcuts 1 >"$work/portal.log" 2>&1 &
started+=("$!")
wait_until 10 grep -q ready "$work/portal.log" || { cat "$work/portal.log"; exit 1; }
LUMIVOX_TEST_PORTAL=1 "$test_program" --gtest_filter='*Portal*' || exit 1
grep -q "^bound say-time CTRL+ALT+t$" "$work/portal.log" ||
    { cat "$work/portal.log"; echo "FAIL: the combination was not proposed"; exit 1; }
