#!/usr/bin/env bash
# The program's tray icon on a real X desktop (openbox + trayer):
#   1. on the shared test desktop: the icon docks in the tray with its tip;
#      minimising removes the window from the window manager's client list; a left
#      click on the icon brings it back as the active window;
#   2. on a private desktop with no tray host: the window minimises to the taskbar
#      and can be brought back; once a tray host starts, the icon docks and
#      minimising hides into it.
# Usage: tray_e2e.sh PATH_TO_LUMIVOX. Exits 77 (skipped) without a test desktop.
set -uo pipefail

program=${1:-}
[[ -x $program ]] || { echo "skip: program not built"; exit 77; }
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
needs_desktop xdotool xprop xwininfo wmctrl Xvfb openbox trayer

work=$(mktemp -d /tmp/tray-e2e.XXXXXX)
source "$(dirname "$0")/../support/xwindows.sh"
trap stop_started EXIT

program_copy "$program"
export QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS # the XEmbed tray, not a D-Bus one

start_program() {
    (cd "$work/app" && exec ./lumivox) >"$work/program.log" 2>&1 &
    program_pid=$!
    started+=("$program_pid")
}
stop_program() {
    [[ -n ${main:-} ]] && wmctrl -i -c "$main" 2>/dev/null
    wait_until 20 sh -c "! kill -0 $program_pid 2>/dev/null" || kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
}

tooltip_shown() {
    local w
    for w in $(xwininfo -root -tree | grep '("lumivox" "lumivox")' | grep -o '^ *0x[0-9a-f]*'); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP &&
            xwininfo -id "$w" | grep -q IsViewable && return 0
    done
    return 1
}
# The panel may still be settling its layout: take the icon's position afresh.
click_icon() {
    find_icon || return 1
    xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 1
}

# --- 1. The shared desktop, tray host running --------------------------------------
echo "== with a tray host ($DISPLAY)"
start_program
check "main window appears" wait_until 30 find_main_window
check "icon docks in the tray" wait_until 20 find_icon
echo "icon at $icon_x,$icon_y; window $main"
xdotool mousemove $((icon_x - 200)) $((icon_y + 300)) sleep 0.3 mousemove "$icon_x" "$icon_y"
check "hovering the icon shows its tip" wait_until 10 tooltip_shown
xdotool mousemove 640 700

xdotool windowminimize "$main"
check "minimised window leaves the client list" wait_until 10 not_listed
check "minimised window is unmapped" unmapped
check "icon stays in the tray" find_icon
sleep 0.5 # let the double-click interval pass since the last pointer action
click_icon
check "left click on the icon brings the window back" wait_until 10 listed
check "restored window is mapped" wait_until 10 mapped
check "restored window is active" wait_until 10 active
check "restored window is not minimised" \
    sh -c "! xprop -id $main _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN"
click_icon
sleep 1
check "left click on a shown window keeps it shown" mapped
stop_program
check "program ended" sh -c "! kill -0 $program_pid 2>/dev/null"

# --- 2. A private desktop without a tray host ---------------------------------------
private_desktop || exit 1
echo "== without a tray host ($DISPLAY)"
main=
start_program
check "program starts without a tray" wait_until 30 find_main_window
check "program keeps running" kill -0 "$program_pid"
xdotool windowminimize "$main"
check "minimised window stays on the taskbar" wait_until 10 minimised_on_taskbar
wmctrl -i -a "$main"
check "window comes back from the taskbar" wait_until 10 mapped
check "window comes back active" wait_until 10 active

trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$work/trayer.log" 2>&1 &
started+=($!)
check "icon docks once a tray host starts" wait_until 30 find_icon
sleep 1 # the tray host lays out its new icon
xdotool windowminimize "$main"
check "now minimising hides the window" wait_until 10 not_listed ||
    { xprop -id "$main" _NET_WM_STATE WM_STATE; xprop -root _NET_CLIENT_LIST; }
sleep 0.5
click_icon
check "left click brings it back" wait_until 10 mapped
check "and makes it active" wait_until 10 active
stop_program

if ((failures > 0)); then
    echo "--- program output"; cat "$work/program.log"
    echo "$failures check(s) failed"
    exit 1
fi
echo "all tray checks passed"
