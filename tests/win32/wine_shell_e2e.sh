#!/usr/bin/env bash
# lumivox.exe's shell parts under Wine on the test desktop (openbox + trayer):
#   1. tray: the icon docks in trayer; minimising takes the window off the client
#      list, a shell start ("TaskbarCreated") keeps it there, a left click on the
#      icon brings it back;
#   2. tips: fetched through the proxy named in the prefix's Internet settings (the
#      stand-in server checks the request line and agent), the tip shown on the
#      status line, a click on it opens its link;
#   3. one copy: a second start, while the first is in the tray, brings the first
#      window back and ends;
#   4. a tips file that cannot be written shows the exception box once, and the
#      window goes on;
#   5. a tips server that never answers leaves the window answering, and closing
#      does not wait for it;
#   6. on a display without a tray host: Wine's explorer keeps the icon in a tray
#      window of its own, into which a minimise goes and out of which a click brings
#      the window back.
# Usage: wine_shell_e2e.sh LUMIVOX_EXE WINPROBE_EXE SOURCE_DIR. Needs the test desktop
# (scripts/testenv.sh) and the Wine prefix (scripts/wineenv.sh); exits 77 without them.
set -uo pipefail

program=${1:-}
probe=${2:-}
source_dir=${3:-}
wine=/usr/lib/wine/wine64
title="Lumivox语音报时器"
[[ -f $program && -f $probe ]] || { echo "skip: program not built"; exit 77; }
[[ -n ${DISPLAY:-} && -n ${TESTENV_TRAYER_PID:-} ]] || { echo "skip: no test desktop"; exit 77; }
[[ -n ${WINEPREFIX:-} && -x $wine ]] || { echo "skip: no Wine prefix"; exit 77; }

work=$(mktemp -d /tmp/wine-shell.XXXXXX)
[[ -n ${KEEP_WORK:-} ]] && work=$KEEP_WORK
started=()
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null; done
    "$wine" reg delete "$internet" /v ProxyEnable /f >/dev/null 2>&1
    "$wine" reg delete "$internet" /v ProxyServer /f >/dev/null 2>&1
    [[ -n ${KEEP_WORK:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# For private_desktop; the window checks below are this script's own.
# shellcheck source=tests/support/xwindows.sh
source "$(dirname "$0")/../support/xwindows.sh"

# The browser Wine hands web addresses to notes them instead.
export PATH="$source_dir/scripts/headless:$PATH"
export LUMIVOX_OPENED_LOG="$work/opened"
: >"$LUMIVOX_OPENED_LOG"

# A portable copy: its settings and tips file stay beside it.
mkdir -p "$work/app"
cp "$program" "$work/app/lumivox.exe"
printf '[Common]\r\n' >"$work/app/lvvoxclk.db"

tips_server() { # server arguments...
    python3 "$source_dir/tests/tips/tips_server.py" --log "$work/requests" "$@" >"$work/port" &
    started+=("$!")
    wait_until 10 test -s "$work/port" || return 1
    "$wine" reg add "$internet" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
    local proxy
    proxy="127.0.0.1:$(head -1 "$work/port")"
    "$wine" reg add "$internet" /v ProxyServer /d "$proxy" /f >/dev/null 2>&1
    "$wine" reg query "$internet" /v ProxyServer 2>/dev/null | grep -q "$proxy"
}
start_program() { # Wine's arguments; the program alone when none
    (($#)) || set -- "$work/app/lumivox.exe"
    (cd "$work" && exec "$wine" "$@" </dev/null >>"$work/wine.log" 2>&1) &
    program_pid=$!
    started+=("$program_pid")
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" | head -1)
    [[ -n $wid ]]
}
close_program() {
    wmctrl -c "$title"
    wait_until 20 sh -c "! kill -0 $program_pid 2>/dev/null"
}
probe() { "$wine" "$probe" "$@" 2>/dev/null | tr -d '\r'; }

listed() { local w; for w in $(client_list); do ((16#${w#0x} == wid)) && return 0; done; return 1; }
not_listed() { ! listed; }
shown() { listed && ! xprop -id "$wid" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
# Wine docks the icon as a window of its explorer.
icon_class=explorer.exe
# From elsewhere onto the icon, then the click. Wine's docked icon window takes no
# pointer input in some runs (no click reaches its tray at all); then the click is
# handed to the icon's window as the shell would, and the run says so.
click_icon() {
    find_icon || return 1
    xdotool mousemove 600 600 sleep 0.5 mousemove "$icon_x" "$icon_y" sleep 0.2 click 1
    wait_until 5 shown && return 0
    echo "(Wine's tray took no pointer input: the shell's click message sent instead)"
    probe iconclick && wait_until 5 shown
}
tip_shown() { [[ $(probe label lblTips | cut -d' ' -f3-) == "$1" ]]; }

# --- 1 to 3: tray, tips, second start -----------------------------------------------
# shellcheck disable=SC2016 # "@#$" is the tip's separator
printf '只有一条提示@#$http://tip.example/a?b=1\r\n' >"$work/tips.txt"
check "tips server up, set as the prefix's proxy" tips_server --body "$work/tips.txt" || exit 1
check "window appears" start_program || exit 1
check "icon docks in the tray" wait_until 20 find_icon
sleep 1
xdotool windowminimize "$wid"
check "minimise takes the window off the client list" wait_until 10 not_listed
probe shellstart
sleep 1
check "a shell start leaves the window in the tray" not_listed
check "and the icon docked" find_icon
check "a click on the icon brings it back" click_icon

# tmr1 first ticks 15 s after start; the tip follows the download.
check "the tip is shown on the status line" wait_until 40 tip_shown "只有一条提示 >>"
check "one request, as to a proxy, for the tips" python3 -c '
import json, sys
entries = [json.loads(line) for line in open(sys.argv[1])]
target = entries[0]["target"] if len(entries) == 1 else ""
agent = entries[0]["headers"].get("User-Agent") if entries else None
sys.exit(0 if target in ("http://lumivox.example/tips.asp", "http://lumivox.example:80/tips.asp")
         and agent == "URLCheck" else 1)' "$work/requests"
cat "$work/requests"
read -r tip_x tip_y _ < <(probe label lblTips)
xdotool mousemove "$tip_x" "$tip_y" sleep 0.3 click 1
check "a click on the tip opens its link" wait_until 10 grep -qx "http://tip.example/a?b=1" \
    "$LUMIVOX_OPENED_LOG"

xdotool windowminimize "$wid"
wait_until 10 not_listed
"$wine" "$work/app/lumivox.exe" </dev/null >>"$work/wine.log" 2>&1 &
second=$!
started+=("$second")
check "a second start ends" wait_until 30 sh -c "! kill -0 $second 2>/dev/null"
check "and brings the first window back" wait_until 10 shown
check "one window only" test "$(xdotool search --name "$title" | wc -l)" -eq 1
check "program ends on close" close_program
check "the tips file holds the body" cmp -s "$work/tips.txt" "$work/app/tipsupd.dat"

# --- 4: a tips file that cannot be written ---------------------------------------------
rm -f "$work/app/tipsupd.dat"
mkdir "$work/app/tipsupd.dat"
titled() { xdotool search --name "$title" 2>/dev/null | wc -l; }
box_shown() { (($(titled) >= 2)); }
box_gone() { (($(titled) == 1)); }
check "window appears with the tips file blocked" start_program || exit 1
check "the failure shows the exception box" wait_until 40 box_shown
box=$(xdotool search --name "$title" | grep -vx "$wid" | head -1)
xdotool windowactivate --sync "$box" key Return 2>/dev/null
check "the box closes, the window stays" wait_until 10 box_gone
check "and answers" probe answers
check "program ends on close" close_program
rmdir "$work/app/tipsupd.dat"

# --- 5: a server that never answers ----------------------------------------------------
kill "${started[0]}" 2>/dev/null
: >"$work/port"
rm -f "$work/requests"
check "hanging server up" tips_server --hang || exit 1
check "window appears again" start_program || exit 1
check "the download is asked for" wait_until 40 test -s "$work/requests"
sleep 1
check "while the download hangs the window answers" probe answers
check "and closes at once" close_program

# --- 6: no tray host ---------------------------------------------------------------------
# Wine 8 cannot be left without a shell tray: every desktop's explorer makes one, so
# Shell_NotifyIconW succeeds, and with no XEmbed host the icon shows in explorer's own
# "Wine System Tray" window. That window is the tray here. The program runs on a
# desktop of its own ("root": drawn on the X root window) on a private display, so
# the prefix's default desktop, whose explorer draws on the test desktop, is untouched.
standin_tray() {
    local tray
    tray=$(xdotool search --onlyvisible --name "Wine System Tray" 2>/dev/null | head -1)
    [[ -n $tray ]] || return 1
    local info x y height
    info=$(xwininfo -id "$tray")
    x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    height=$(awk '/Height:/ { print $NF }' <<<"$info")
    # The first icon is the square at the window's left.
    icon_x=$((x + height / 2))
    icon_y=$((y + height / 2))
}
private_desktop || exit 1
check "window appears on a display without a tray host" \
    start_program explorer /desktop=root,1024x768 "Z:${work//\//\\}\\app\\lumivox.exe" || exit 1
check "explorer's own tray takes the icon" wait_until 20 standin_tray
sleep 1
xdotool windowminimize "$wid"
check "minimise hides the window into that tray" wait_until 10 not_listed
standin_tray
xdotool mousemove 600 600 sleep 0.3 mousemove "$icon_x" "$icon_y" sleep 0.2 click 1
check "a click on the icon there brings it back" wait_until 10 shown
check "program ends on close" close_program
((failures == 0))
