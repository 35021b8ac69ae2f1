#!/usr/bin/env bash
# The program's tray icon as a StatusNotifierItem, on a private session bus with the
# test watcher and host (sni_host.py) and a private X desktop without an XEmbed tray:
#   1. the watcher there at start-up: the item registers with its title, tip and
#      icon; minimising hides the window; Activate brings it back, the other clicks
#      do nothing; the watcher going away brings a hidden window back, and when it
#      comes back the item registers again; the item leaves when the program ends;
#   2. the watcher appearing 3 s after start-up: the item registers within 3 s and
#      minimising then hides the window into it;
#   3. on the shared test desktop, which has an XEmbed tray too: only the item shows;
#      when the watcher goes, the icon moves to the XEmbed tray and a hidden window
#      stays hidden there.
# Prints the registration times. Usage: sni_e2e.sh PATH_TO_LUMIVOX. Exits 77
# (skipped) without the tools.
set -uo pipefail

program=${1:-}
here=$(cd "$(dirname "$0")" && pwd)
[[ -x $program ]] || { echo "skip: program not built"; exit 77; }
for tool in dbus-daemon dbus-send xdotool xprop xwininfo wmctrl Xvfb openbox; do
    command -v $tool >/dev/null || { echo "skip: $tool missing"; exit 77; }
done
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "skip: python3-dbus missing"; exit 77; }

work=$(mktemp -d /tmp/sni-e2e.XXXXXX)
source "$here/../support/checks.sh"
source "$here/../support/xwindows.sh"
trap stop_started EXIT

program_copy "$program"
shared_display=${DISPLAY:-}
export QT_QPA_PLATFORM=xcb
export QT_LOGGING_RULES="qt.qpa.tray=true"

# A desktop of its own: a window manager and no XEmbed tray.
private_desktop || exit 1

# The session bus.
private_bus || exit 1

now_ms() { date +%s%3N; }
events="$work/events"
: >"$events"
start_host() {
    /usr/bin/python3 "$here/sni_host.py" >>"$events" 2>"$work/host.log" &
    host_pid=$!
    started+=("$host_pid")
    wait_until 10 grep -q watching "$events"
}
stop_host() {
    kill "$host_pid" 2>/dev/null
    wait "$host_pid" 2>/dev/null
}
start_program() {
    (cd "$work/app" && exec ./lumivox) >"$work/program.log" 2>&1 &
    program_pid=$!
    started+=("$program_pid")
}
stop_program() {
    wmctrl -i -c "$main" 2>/dev/null
    wait_until 20 sh -c "! kill -0 $program_pid 2>/dev/null" || kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
}
registrations() { grep -c ' registered ' "$events"; }
registered_more_than() { (($(registrations) > $1)); }
# Milliseconds from $1 to the newest registration.
registered_after() { echo $(($(grep ' registered ' "$events" | tail -1 | cut -d' ' -f1) - $1)); }
item() { grep ' registered ' "$events" | tail -1 | cut -d' ' -f3; }
call_item() { # method
    dbus-send --session --type=method_call --dest="$(item)" /StatusNotifierItem \
        "org.kde.StatusNotifierItem.$1" int32:10 int32:10
}
minimise() { xdotool windowminimize "$main"; }
no_icon() { ! find_icon; }

# --- 1. The watcher is there at start-up --------------------------------------------
echo "== watcher present at start-up"
start_host
t0=$(now_ms)
start_program
check "main window appears" wait_until 30 find_main_window
check "item registers" wait_until 10 registered_more_than 0
echo "registered $(registered_after "$t0") ms after start"
line=$(grep ' registered ' "$events" | tail -1)
echo "item: ${line#* registered }"
check "item's title is the program's name" grep -q ' title=Lumivox语音报时器 ' <<<"$line"
check "item's tool tip is the icon's hint" grep -q ' tip=Lumivox语音定时器 ' <<<"$line"
check "item has its id" grep -q ' id=lumivox ' <<<"$line"
check "item is active" grep -q ' status=Active ' <<<"$line"
check "item shows an icon" grep -qE ' pixmaps=[0-9]+x' <<<"$line"
check "Qt's own icon stays off the bus" test "$(registrations)" -eq 1

minimise
check "minimise hides the window" wait_until 10 not_listed
check "hidden window is unmapped" unmapped
call_item ContextMenu
call_item SecondaryActivate
sleep 1
check "right and middle clicks leave it hidden" unmapped
call_item Activate
check "Activate brings the window back" wait_until 10 mapped
check "restored window is active" wait_until 10 active

minimise
wait_until 10 not_listed
stop_host
t1=$(now_ms)
check "tray going away brings the hidden window back" wait_until 10 mapped
echo "window back $(($(now_ms) - t1)) ms after the watcher left"
before=$(registrations)
t1=$(now_ms)
start_host
check "item registers again when the tray comes back" wait_until 10 registered_more_than "$before"
echo "registered again $(registered_after "$t1") ms after the watcher came"
minimise
check "minimise hides into the returned tray" wait_until 10 not_listed
call_item Activate
wait_until 10 mapped
stop_program
check "item leaves when the program ends" wait_until 10 grep -q ' unregistered ' "$events"
stop_host

# --- 2. The watcher appears 3 s after start-up --------------------------------------
echo "== watcher appearing after start-up"
: >"$events"
main=
start_program
check "main window appears" wait_until 30 find_main_window
sleep 3
t1=$(now_ms)
start_host
check "late watcher gets the item within 3 s" wait_until 3 registered_more_than 0
echo "registered $(registered_after "$t1") ms after the watcher came"
minimise
check "minimise then hides the window" wait_until 10 not_listed
call_item Activate
check "Activate brings it back" wait_until 10 mapped
stop_program
stop_host

# --- 3. Both kinds of tray ----------------------------------------------------------
if [[ -n $shared_display && -n ${TESTENV_TRAYER_PID:-} ]]; then
    echo "== D-Bus and XEmbed trays ($shared_display)"
    export DISPLAY=$shared_display
    : >"$events"
    main=
    start_host
    start_program
    check "main window appears" wait_until 30 find_main_window
    check "item registers" wait_until 10 registered_more_than 0
    sleep 1
    check "no second icon in the XEmbed tray" no_icon
    minimise
    check "minimise hides the window" wait_until 10 not_listed
    stop_host
    check "icon moves to the XEmbed tray" wait_until 10 find_icon
    check "window stays hidden meanwhile" unmapped
    sleep 1 # the tray host lays out its new icon
    find_icon && xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 click 1
    check "a click there brings it back" wait_until 10 mapped
    stop_program
fi

if ((failures > 0)); then
    echo "--- program output"; cat "$work/program.log"
    echo "--- host"; cat "$events" "$work/host.log"
    echo "$failures check(s) failed"
    exit 1
fi
echo "all StatusNotifierItem checks passed"
