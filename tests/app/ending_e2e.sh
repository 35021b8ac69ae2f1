#!/usr/bin/env bash
# How the program ends when it is not closed through its window, on the test desktop:
#   1. a setting changed by a real click, then SIGTERM (a logout): the change is on
#      disk, the program ends, and no browser was asked to open anything;
#   2. a change, then SIGKILL 1.5 s later: the change is on disk;
#   3. a change, then the X server goes away: the change is on disk, the program ends;
#   4. a countdown speaking every second, its sound server stopped (SIGSTOP), then the
#      window closed: the program ends all the same.
# Close times are printed ("took N ms"). Usage: ending_e2e.sh PATH_TO_LUMIVOX.
# Exits 77 (skipped) without a test desktop.
set -uo pipefail

program=${1:-}
[[ -x $program ]] || { echo "skip: program not built"; exit 77; }
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
needs_desktop xdotool xprop xwininfo wmctrl Xvfb pulseaudio pactl

work=$(mktemp -d /tmp/ending.XXXXXX)
# shellcheck source=../package/desktop.sh
source "$(dirname "$0")/../package/desktop.sh"
# shellcheck source=../../scripts/testenv.sh
source "$(dirname "$0")/../../scripts/testenv.sh"
portable_copy "$program"
settings=$work/app/lvvoxclk.db
# Waits up to $2 s for process $1 to end; prints how long that took.
timed_end() {
    local from=${EPOCHREALTIME/./}
    wait_until "$2" gone "$1" || return 1
    echo "took $(((${EPOCHREALTIME/./} - from) / 1000)) ms"
}
# Places in the window's client area (the layout is fixed at scale 1, 96 dpi).
click_at() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
click_hourly() { click_at 400 68; } # the caption of 整点报时
stored() { grep -q "$1" "$settings"; }

echo "== a click, then SIGTERM"
printf '[Common]\r\nIsHour=0\r\nIsHalf=0\r\n' >"$settings"
start
check "the window shows" wait_until 30 main_window_of "$pid" || finish
sleep 1
click_hourly
sleep 1.5
kill -TERM "$pid"
check "SIGTERM ends the program" timed_end "$pid" 10
wait "$pid"
check "with success, as a close" [ $? -eq 0 ]
check "the change is on disk" stored 'IsHour=1'
check "no browser was asked to open anything" [ ! -e "$work/opened" ]

echo "== a click, then SIGKILL 1.5 s later"
start
check "the window shows" wait_until 30 main_window_of "$pid" || finish
sleep 1
click_hourly
sleep 1.5
kill -KILL "$pid"
check "the change is on disk" stored 'IsHour=0'

echo "== a click, then the X server goes away"
fifo=$work/displayfd
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >"$work/xvfb.log" 2>&1 &
xserver=$!
started+=("$xserver")
if read -r -t 20 number <"$fifo"; then
    (export DISPLAY=":$number"
        start
        echo "$pid" >"$work/x.pid"
        wait_until 30 sh -c "xwininfo -root -tree | grep -q '\"lumivox\"'"
        main=$(xdotool search --sync --onlyvisible --class lumivox | head -1)
        sleep 1
        click_hourly
        sleep 1.5)
    xpid=$(cat "$work/x.pid")
    started+=("$xpid")
    kill -9 "$xserver"
    check "the program ends with its display" timed_end "$xpid" 20
    check "the change is on disk" stored 'IsHour=1'
else
    check "a private X server starts" false
fi

echo "== a countdown speaking, the sound server stopped, the window closed"
testenv_sound_server "$work/pulse" >"$work/pulse.log" 2>&1 &
server=$!
started+=("$server")
export PULSE_SERVER="unix:$work/pulse/native"
server_up() { pactl info >/dev/null 2>&1; }
check "a private sound server starts" wait_until 20 server_up || finish
printf '[Common]\r\nIsSecondCounter=1\r\nLastSecond=900\r\nPerSecond=1\r\n' >"$settings"
start
check "the window shows" wait_until 30 main_window_of "$pid" || finish
sleep 1
click_at 82 284 # 启动
speaking() { pactl list short sink-inputs | grep -q .; }
check "the countdown speaks" wait_until 20 speaking
sleep 1
kill -STOP "$server"
sleep 1
close_window
check "closing ends the program although the sound server is stopped" timed_end "$pid" 3
wait "$pid"
check "with success, nothing left behind touched after its end" [ $? -eq 0 ]
kill -CONT "$server"
check "the close opened the maker's page" wait_until 10 test -s "$work/opened"

finish
