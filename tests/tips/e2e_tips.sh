#!/usr/bin/env bash
# The real program on the test desktop: a portable copy whose tips come through a
# local proxy. After the first 15-second tick the status line must hold the served
# tip, and a click on it must open the tip's link (caught by a stand-in xdg-open).
set -u
source_dir=${LUMIVOX_SOURCE_DIR:?}
binary_dir=${LUMIVOX_BINARY_DIR:?}
program="$binary_dir/app/lumivox"
[ -x "$program" ] || { echo "no program at $program"; exit 77; }

work=$(mktemp -d /tmp/lumivox-tips-e2e.XXXXXX)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    [ -n "${own_env:-}" ] && testenv_stop
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    source "$source_dir/scripts/testenv.sh"
    testenv_start "$work/env" || exit 1
    own_env=1
fi

# Portable copy of the executable alone: the settings file beside it keeps the tips
# file there too.
mkdir -p "$work/app" "$work/bin"
cp "$program" "$work/app/lumivox"
printf '[Common]\r\n' >"$work/app/lvvoxclk.db"

# Links are opened through xdg-open: record them instead.
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened.log"
SCRIPT
chmod +x "$work/bin/xdg-open"

link="http://tips.example/e2e?id=7"
printf 'Local tip for the test@#$%s\r\n' "$link" >"$work/body"
python3 "$source_dir/tests/tips/tips_server.py" --body "$work/body" --log "$work/requests.log" \
    >"$work/port" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n1 "$work/port")
[ -n "$port" ] || { echo "proxy did not start"; exit 1; }

start=$(date +%s)
(cd "$work" && PATH="$work/bin:$PATH" http_proxy="http://127.0.0.1:$port" \
    HTTP_PROXY="http://127.0.0.1:$port" exec "$work/app/lumivox") >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$program_pid" 2>/dev/null | head -n1)
[ -n "$window" ] || { echo "window not seen"; cat "$work/program.log"; exit 1; }

# The first tick comes 15 s after start; allow a generous margin for the download.
for _ in $(seq 1 600); do
    [ -s "$work/requests.log" ] && cmp -s "$work/body" "$work/app/tipsupd.dat" && break
    sleep 0.1
done
echo "request after $(($(date +%s) - start)) s: $(cat "$work/requests.log" 2>/dev/null)"
grep -q '"target": "http://[^"]*/tips.asp"' "$work/requests.log" ||
    { echo "no tips request through the proxy"; exit 1; }
grep -q '"User-Agent": "URLCheck"' "$work/requests.log" || { echo "wrong user agent"; exit 1; }
cmp "$work/body" "$work/app/tipsupd.dat" || { echo "tipsupd.dat differs from the body"; exit 1; }
sleep 2

# The status line: at (2, 3) on the strip that starts 342 px down the window.
xdotool mousemove --window "$window" 12 351 click 1
for _ in $(seq 1 100); do [ -s "$work/opened.log" ] && break; sleep 0.1; done
echo "opened: $(cat "$work/opened.log" 2>/dev/null)"
[ "$(head -n1 "$work/opened.log" 2>/dev/null)" = "$link" ] ||
    { echo "the tip's link was not opened"; cat "$work/program.log"; exit 1; }
[ "$(wc -l <"$work/opened.log")" -eq 1 ] || { echo "opened more than once"; exit 1; }
# Qt only logs a timer it refuses (a negative interval); that timer never fires.
! grep -F "Timers cannot have negative" "$work/program.log" || { echo "a timer was refused"; exit 1; }
echo "ok"
