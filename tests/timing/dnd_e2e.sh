#!/usr/bin/env bash
# What the Linux desktop tells the chime about disturbing the user, read by the
# program's adapter (through dnd_probe) on a private session bus and X desktop:
#   1. nothing there: the chime may speak;
#   2. a notification server (dnd_desktop.py) whose Inhibited is true, then false;
#   3. the desktop portal's GNOME show-banners, false then true, through ReadOne and
#      through the older Read only;
#   4. a full-screen window in front, then the same window no longer full screen.
# Usage: dnd_e2e.sh PATH_TO_DND_PROBE. Exits 77 (skipped) without the tools.
set -uo pipefail

probe=${1:-}
here=$(cd "$(dirname "$0")" && pwd)
[[ -x $probe ]] || { echo "skip: probe not built"; exit 77; }
for tool in dbus-daemon xdotool xprop wmctrl xlogo Xvfb openbox; do
    command -v $tool >/dev/null || { echo "skip: $tool missing"; exit 77; }
done
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "skip: python3-dbus missing"; exit 77; }

work=$(mktemp -d /tmp/dnd-e2e.XXXXXX)
source "$here/../support/checks.sh"
source "$here/../support/xwindows.sh"
trap stop_started EXIT

private_desktop || exit 1
private_bus || exit 1

says() { # expected words of the probe's line
    local line
    line=$("$probe" 2>>"$work/probe.log")
    echo "  $line"
    local word
    for word in "$@"; do grep -qw -- "$word" <<<"$line" || return 1; done
}
serve() { # dnd_desktop.py arguments
    : >"$work/service.out"
    /usr/bin/python3 "$here/dnd_desktop.py" "$@" >"$work/service.out" 2>>"$work/service.log" &
    service_pid=$!
    started+=("$service_pid")
    wait_until 10 grep -q ready "$work/service.out"
}
unserve() {
    kill "$service_pid" 2>/dev/null
    wait "$service_pid" 2>/dev/null
}

check "nothing there: may disturb" says inhibited=0 bannersoff=0 fullscreen=0 now=0

serve notifications 1
check "notifications inhibited: do not disturb" says inhibited=1 now=1
unserve
serve notifications 0
check "notifications not inhibited: may disturb" says inhibited=0 now=0
unserve

serve portal 0
check "banners off (ReadOne): do not disturb" says bannersoff=1 now=1
unserve
serve portal 0 old
check "banners off (Read only): do not disturb" says bannersoff=1 now=1
unserve
serve portal 1
check "banners shown: may disturb" says bannersoff=0 now=0
unserve

xlogo -geometry 200x200+50+50 >/dev/null 2>&1 &
started+=($!)
window=
find_logo() { window=$(xdotool search --classname xlogo 2>/dev/null | head -1) && [[ -n $window ]]; }
wait_until 10 find_logo || { echo "FAIL: test window did not appear"; exit 1; }
wmctrl -i -a "$window"
wmctrl -i -r "$window" -b add,fullscreen
is_full() { xprop -id "$window" _NET_WM_STATE | grep -q FULLSCREEN; }
wait_until 10 is_full
check "full-screen window in front: do not disturb" says fullscreen=1 now=1
wmctrl -i -r "$window" -b remove,fullscreen
wait_until 10 sh -c "! xprop -id $window _NET_WM_STATE | grep -q FULLSCREEN"
check "the same window not full screen: may disturb" says fullscreen=0 now=0

if ((failures > 0)); then
    echo "--- probe"; cat "$work/probe.log"
    echo "--- service"; cat "$work/service.log"
    echo "$failures check(s) failed"
    exit 1
fi
echo "all do-not-disturb checks passed"
