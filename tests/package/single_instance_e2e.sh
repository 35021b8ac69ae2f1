#!/usr/bin/env bash
# One running copy per user, on the test desktop:
#   1. a second start while the first runs ends by itself, leaves one window, and
#      that window becomes the active one;
#   2. with the window hidden in the tray, a second start brings it back, active;
#   3. two starts at the same moment leave exactly one copy;
#   4. after the running copy is killed (kill -9) a new start runs normally;
#   5. the command line drives the running copy (a countdown heard on the sink as the
#      start button's, the status, a usage error that changes nothing, stop, quit)
#      and the hotkey from the settings file speaks the time from any window.
# Usage: single_instance_e2e.sh PATH_TO_LUMIVOX SOURCE_DIR. Exits 77 (skipped) without
# a test desktop.
set -uo pipefail

program=${1:-}
source_dir=${2:-}
[[ -x $program ]] || { echo "skip: program not built"; exit 77; }
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
needs_desktop xdotool xprop xwininfo wmctrl parec

work=$(mktemp -d /tmp/single-instance.XXXXXX)
source "$(dirname "$0")/desktop.sh"
portable_copy "$program"
printf '[Common]\r\nIsHour=0\r\nIsHalf=0\r\n' >"$work/app/lvvoxclk.db"
window_count() { program_windows | wc -l; }
one_window() { [[ $(window_count) -eq 1 ]]; }

echo "== a second start while the first runs"
start
first=$pid
check "the first copy shows its window" wait_until 30 main_window_of "$first" || finish
wait_until 20 icon_docked

# Something else takes the focus first, so "active" below is the program's doing.
if command -v xlogo >/dev/null; then
    xlogo -geometry 300x300+700+500 >/dev/null 2>&1 &
    started+=($!)
    other=$(timeout 20 xdotool search --sync --onlyvisible --class xlogo | head -1)
    [[ -n $other ]] && xdotool windowactivate --sync "$other" >/dev/null 2>&1
    check "another window is active before the second start" wait_until 10 not_active
fi
start
second=$pid
if check "the second start ends by itself" wait_until 30 gone "$second"; then
    wait "$second"
    check "and reports success" [ $? -eq 0 ]
fi
check "the first copy still runs" kill -0 "$first"
check "one window remains" one_window
check "the first copy's window is active" wait_until 10 active

echo "== a second start while the window hides in the tray"
if icon_docked; then
    # A minimise right after a restore counts as the window manager bouncing the
    # state and is undone: wait as a user would.
    sleep 1
    xdotool windowminimize "$main"
    check "minimising hides the window" wait_until 10 unmapped
    start
    check "the second start ends by itself" wait_until 30 gone "$pid"
    check "the window is shown again" wait_until 10 mapped
    check "and is active" wait_until 10 active
    check "one window remains" one_window
else
    echo "FAIL: the icon never docked in the tray"
    failures=$((failures + 1))
fi

echo "== a copy killed with kill -9 blocks nothing"
kill -9 "$first"
wait "$first" 2>/dev/null
check "it left its lock file behind" [ -e "$work/runtime/lumivox.lock" ]
no_window() { [[ $(window_count) -eq 0 ]]; }
check "its window went with it" wait_until 10 no_window
start
third=$pid
check "a new start shows its window" wait_until 30 main_window_of "$third"
check "and keeps running" kill -0 "$third"

echo "== the socket: only this user, and a stranger's bytes change nothing"
socket_mode=$(stat -c %a "$work/runtime/lumivox.socket")
check "only its owner may reach the socket ($socket_mode)" [ "${socket_mode: -2}" = 00 ]
if [[ -n ${other:-} ]]; then
    xdotool windowactivate --sync "$other" >/dev/null 2>&1
    check "another window is active before them" wait_until 10 not_active
fi
python3 - "$work/runtime/lumivox.socket" <<'EOF'
import socket, sys
for junk in (b"x" * 500, b"hello\n", b"\0\0\0"):
    s = socket.socket(socket.AF_UNIX)
    s.connect(sys.argv[1])
    s.sendall(junk)
    s.close()
EOF
check "the running copy survives them" kill -0 "$third"
if [[ -n ${other:-} ]]; then
    sleep 1
    check "and they do not bring its window forward" not_active
fi
start
check "and still answers a later start" wait_until 30 gone "$pid"
[[ -n ${other:-} ]] && check "which brings its window forward" wait_until 10 active
check "one window remains" one_window

echo "== closing the last copy"
close_window
check "it ends when its window is closed" wait_until 30 gone "$third"

echo "== two starts at the same moment"
start
a=$pid
start
b=$pid
check "one of the two ends by itself" wait_until 30 sh -c "! kill -0 $a 2>/dev/null || ! kill -0 $b 2>/dev/null"
if kill -0 "$a" 2>/dev/null; then survivor=$a; else survivor=$b; fi
check "the other shows its window" wait_until 30 main_window_of "$survivor"
sleep 1
check "one window in all" one_window
check "the survivor runs on" kill -0 "$survivor"
close_window
check "and ends when closed" wait_until 30 gone "$survivor"

echo "== the command line and the hotkey"
lumivox() { (cd "$work/app" && ./lumivox "$@"); }
find_clips() { python3 "$source_dir/tests/win32/find_clips.py" "$@"; }
clips="$source_dir/resources/clips"
out=$(lumivox --status)
check "--status with no copy: not running, status 3 ($out)" [ "$out:$?" = "not running:3" ]
check "and no copy was started for it" [ "$(window_count)" -eq 0 ]
printf '[Common]\r\nIsHour=0\r\nIsHalf=0\r\nHotKey=ctrl+alt+t\r\n' >"$work/app/lvvoxclk.db"
start
copy=$pid
check "a copy runs" wait_until 30 main_window_of "$copy"
for attempt in 1 2 3; do
    record_sink "$work/count.raw" 8.5 lumivox --countdown 0:0:7 --last-seconds 5/1 --cue
    find_clips "$work/count.raw" "$clips/WAV5.wav" "$clips/WAV4.wav" "$clips/WAV3.wav" \
        "$clips/WAV2.wav" "$clips/WAV21.wav" >"$work/heard"
    heard=$?
    echo "attempt $attempt:"
    cat "$work/heard"
    if ((heard == 0)) && one_second_apart "$work/heard"; then break; fi
done
check "--countdown 0:0:7 --last-seconds 5/1 --cue: 5, 4, 3, 2, the cue" test "$heard" -eq 0 &&
    check "one second apart, as the start button's" one_second_apart "$work/heard"
# Nothing is said until 5:00 is left: the hotkey below is heard alone.
lumivox --countdown 0:5:40 --last-minutes 5/1
left=$(lumivox --status)
check "--status prints what is left ($left)" grep -qE "^00:05:[0-9]{2}$" <<<"$left"
error=$(lumivox --countdown 1:99:0 2>&1)
check "a malformed time is a usage error" [ $? -eq 2 ]
check "that says what is wrong" grep -q "^lumivox: --countdown takes H:M:S" <<<"$error"
left=$(lumivox --status --json)
check "and the countdown runs on ($left)" grep -qE '^\{"state":"counting","left":3[0-9]{2},' <<<"$left"

# The hotkey is held on the X server: pressed with another window in front.
[[ -n ${other:-} ]] && xdotool windowactivate --sync "$other" >/dev/null 2>&1
record_sink "$work/once.raw" 5 xdotool key ctrl+alt+t
check "the hotkey: the time is heard" first_sound_is "$work/once.raw" "$clips/WAV11.wav"
record_sink "$work/twice.raw" 8 xdotool key ctrl+alt+t ctrl+alt+t
once=$(sound_ms "$work/once.raw")
twice=$(sound_ms "$work/twice.raw")
check "twice within a second: what is left follows the time (${once} ms, ${twice} ms)" \
    [ "$twice" -gt $((once + 800)) ]

lumivox --stop
check "--stop: idle" [ "$(lumivox --status)" = idle ]
opened_count() { wc -l <"$work/opened" 2>/dev/null || echo 0; }
opened=$(opened_count)
lumivox --quit
check "--quit ends the copy" wait_until 20 gone "$copy"
sleep 1
check "without opening the home page" [ "$(opened_count)" -eq "$opened" ]
check "the settings file keeps the hotkey" grep -q $'^HotKey=Ctrl+Alt+T\r$' "$work/app/lvvoxclk.db"
check "and the options the commands set" grep -q $'^IsMinuteCounter=1\r$' "$work/app/lvvoxclk.db"
(cd "$work/app" && exec ./lumivox --say-time) >"$work/say.log" 2>&1 &
started+=("$!")
check "--say-time with no copy starts one" wait_until 30 main_window_of "$!"
close_window

finish
