#!/usr/bin/env bash
# The benchmark table: builds the program and its bench programs (Release, in
# build/bench), starts the test desktop (scripts/testenv.sh) and prints one table of
# medians and ranges over several runs, beside a bare Qt window with one CJK label
# (bench_reference_bare_window, the floor for any Qt Widgets program) measured in
# the same run, alternating with the program, and comparable Debian programs.
#
#   bash bench/run.sh           full run (about 14 minutes)
#   bash bench/run.sh --quick   fewer and shorter runs (about 3 minutes)
#
# Tunables (environment): RUNS (start-up/idle/close runs per program), STARTUP_RUNS
# (further start-up-only runs per program, which end right after the first paint), ONSET_RUNS,
# IDLE_SECONDS (idle window after the 10 s settle), COUNTDOWN_SECONDS (timing bench),
# CHIME_BOUNDARIES (minute boundaries the chime bench waits for), COMPARE=0 (no
# comparable programs), INSTALL_LIMIT_MB (largest install accepted for them).
#
# Methods:
#   start-up   process start -> first X DAMAGE report on its mapped main window (the
#              first drawing into it), seen by an X client that watches the root
#   memory     VmHWM (peak resident set) from /proc/PID/status, 10 s after start-up,
#              and its kinds from /proc/PID/smaps_rollup (anonymous, file, shared)
#   idle       CPU time (/proc/PID/task/*/schedstat) and context switches of all
#              threads (voluntary + involuntary, /proc/PID/task/*/status) while idle,
#              per minute, from 20 s after start-up; the program runs from a portable
#              copy whose lvvoxclk.db has the hour and half-hour chime on, no
#              countdown, and its tips come from a local server posing as the proxy
#              (tests/tips/tips_server.py), so the status line rotates
#   close      wmctrl -c on the main window -> process exit (pidfd); while speaking:
#              an in-process window (bench_app_close) counting down aloud every second
#   onset      request posted (bench_app_speech_onset: the real announcer thread and
#              PulseAudio output) or command started (saytime) -> first chunk holding a
#              sample above 500 read from the null sink's monitor (parec, 10 ms latency);
#              the reference is paplay --latency-msec=50 of the first clip spoken;
#              hotkey: xdotool key started -> first loud chunk, against a running copy
#   command    lumivox --status against a running copy, process start -> exit; the
#              reference is lumivox --version (no copy asked), alternating
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

quick=0
[[ ${1:-} == --quick ]] && quick=1
if ((quick)); then
    RUNS=${RUNS:-2} STARTUP_RUNS=${STARTUP_RUNS:-6} ONSET_RUNS=${ONSET_RUNS:-3} IDLE_SECONDS=${IDLE_SECONDS:-10}
    COUNTDOWN_SECONDS=${COUNTDOWN_SECONDS:-15} CHIME_BOUNDARIES=${CHIME_BOUNDARIES:-1}
else
    # A whole minute of idle: the minute chime counts once, the 15 s tips rotation four
    # times; a half minute holds the chime or not and reads 0 or 2 per minute for it.
    RUNS=${RUNS:-5} STARTUP_RUNS=${STARTUP_RUNS:-20} ONSET_RUNS=${ONSET_RUNS:-7} IDLE_SECONDS=${IDLE_SECONDS:-60}
    COUNTDOWN_SECONDS=${COUNTDOWN_SECONDS:-60} CHIME_BOUNDARIES=${CHIME_BOUNDARIES:-2}
fi
COMPARE=${COMPARE:-1}
INSTALL_LIMIT_MB=${INSTALL_LIMIT_MB:-80}

build=$root/build/bench
log() { echo "$*" >&2; }

log "== building (Release, $build)"
bash scripts/setup.sh >&2 || exit 1
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVOX_TESTS=OFF \
    -DLUMIVOX_BENCH=ON >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j 2 --target lumivox bench_app_speech_onset bench_app_close \
    bench_timing_countdown bench_timing_chime bench_reference_bare_window \
    bench_announcer_voiceload >&2 || exit 1

# Comparable programs from Debian, installed only when the install is modest.
notes=()
compare_install() { # package
    local p=$1 mb
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "ok installed" >/dev/null && return 0
    [[ $(id -u) -eq 0 ]] || { notes+=("$p: not installed (needs root to install)"); return 1; }
    mb=$(apt-get install --assume-no --no-install-recommends "$p" 2>/dev/null |
        sed -n 's/^After this operation, \([0-9.,]*\) \([kMG]\)B.*/\1 \2/p')
    if [[ -z $mb ]]; then
        notes+=("$p: not available from the configured Debian sources")
        return 1
    fi
    local value=${mb% *} unit=${mb#* }
    value=${value//,/}
    local size_mb
    size_mb=$(awk -v v="$value" -v u="$unit" 'BEGIN { if (u=="k") v/=1024; if (u=="G") v*=1024; printf "%d", v }')
    if ((size_mb > INSTALL_LIMIT_MB)); then
        notes+=("$p: skipped, its install takes ${size_mb} MB (limit ${INSTALL_LIMIT_MB} MB)")
        return 1
    fi
    log "== installing $p (${size_mb} MB)"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >&2 ||
        { notes+=("$p: install failed"); return 1; }
}
have_saytime=0 have_clocks=0
if ((COMPARE)); then
    compare_install saytime && have_saytime=1
    compare_install gnome-clocks && have_clocks=1
fi

source scripts/testenv.sh
trap testenv_stop EXIT
testenv_start "$build/desktop" >&2 || exit 1
export PATH="$root/scripts/headless:$PATH" LUMIVOX_OPENED_LOG=/dev/null
export QT_QPA_PLATFORM=xcb

work=$(mktemp -d /tmp/lumivox-bench.XXXXXX)
trap 'testenv_stop; rm -rf "$work"' EXIT
results=$work/results.jsonl
probe=(python3 "$root/bench/desktop_bench.py")

# A portable copy with the chime on (hours, half hours, quarters, a quiet night) and no
# countdown.
mkdir -p "$work/app" "$work/close"
cp "$build/app/lumivox" "$work/app/"
# The hotkey is held too: its grab must add no wake-ups.
printf '[Common]\r\nIsHour=1\r\nIsHalf=1\r\nIsQuarter=1\r\nIsQuiet=1\r\nHotKey=Ctrl+Alt+T\r\n' \
    >"$work/app/lvvoxclk.db"
mkdir -p "$work/bare"
sep='@#$'
printf 'Tip one%s%s\r\nTip two%s%s\r\nTip three%s%s\r\n' "$sep" http://tips.example/1 "$sep" \
    http://tips.example/2 "$sep" http://tips.example/3 >"$work/tips-body"
python3 "$root/tests/tips/tips_server.py" --body "$work/tips-body" >"$work/tips-port" &
tips_server=$!
trap 'kill "$tips_server" 2>/dev/null; testenv_stop; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do [[ -s $work/tips-port ]] && break; sleep 0.1; done
tips_proxy="http://127.0.0.1:$(head -n1 "$work/tips-port")"
# Counting down from 50 s, every second spoken from the start.
printf '[Common]\r\nIsHour=0\r\nIsHalf=0\r\nHourCounter=0\r\nMinuteCounter=0\r\nSecondCounter=50\r\nIsSecondCounter=1\r\nLastSecond=50\r\nPerSecond=1\r\n' \
    >"$work/close/lvvoxclk.db"

log "== start-up, memory, idle and close: lumivox and the bare Qt window, alternating, x $RUNS"
for ((i = 0; i < RUNS; i++)); do
    http_proxy=$tips_proxy HTTP_PROXY=$tips_proxy \
        "${probe[@]}" startup lumivox "$work/app" "$IDLE_SECONDS" -- "$work/app/lumivox" >>"$results"
    "${probe[@]}" startup bench_reference_bare_window "$work/bare" "$IDLE_SECONDS" -- \
        "$build/bench/bench_reference_bare_window" >>"$results"
done
log "== start-up alone: lumivox and the bare Qt window, alternating, x $STARTUP_RUNS"
for ((i = 0; i < STARTUP_RUNS; i++)); do
    "${probe[@]}" paint lumivox "$work/app" -- "$work/app/lumivox" >>"$results"
    "${probe[@]}" paint bench_reference_bare_window "$work/bare" -- \
        "$build/bench/bench_reference_bare_window" >>"$results"
done
if ((have_clocks)); then
    log "== the same: gnome-clocks x $RUNS"
    mkdir -p "$work/clocks-home"
    for ((i = 0; i < RUNS; i++)); do
        HOME="$work/clocks-home" GSETTINGS_BACKEND=memory \
            "${probe[@]}" startup clocks "$work" "$IDLE_SECONDS" -- gnome-clocks >>"$results"
    done
fi
log "== close while speaking x $RUNS"
for ((i = 0; i < RUNS; i++)); do
    cp "$work/close/lvvoxclk.db" "$work/close/start.db"
    "${probe[@]}" close-inprocess "$build/bench/bench_app_close" "$work/close" speaking >>"$results"
    cp "$work/close/start.db" "$work/close/lvvoxclk.db"
    "${probe[@]}" close-inprocess "$build/bench/bench_app_close" "$work/close" idle >>"$results"
    cp "$work/close/start.db" "$work/close/lvvoxclk.db"
done
log "== speech onset x $ONSET_RUNS"
"${probe[@]}" onset-announcer "$build/bench/bench_app_speech_onset" "$ONSET_RUNS" >>"$results"
# The same first clip (WAV11) through paplay with a 50 ms target latency.
"${probe[@]}" onset-command "$ONSET_RUNS" -- paplay --latency-msec=50 \
    "$root/resources/clips/WAV11.wav" >>"$results"
if ((have_saytime)); then
    "${probe[@]}" onset-command "$ONSET_RUNS" -- saytime >>"$results"
fi
log "== hotkey onset and command round trip, against a running copy"
(cd "$work/app" && exec ./lumivox) >/dev/null 2>&1 &
copy=$!
for _ in $(seq 1 300); do "$work/app/lumivox" --status >/dev/null 2>&1 && break; sleep 0.1; done
"${probe[@]}" onset-command "$ONSET_RUNS" -- xdotool key ctrl+alt+t >>"$results"
for ((i = 0; i < ONSET_RUNS * 3; i++)); do
    "${probe[@]}" run-time lumivox-status -- "$work/app/lumivox" --status >>"$results"
    "${probe[@]}" run-time lumivox-version -- "$work/app/lumivox" --version >>"$results"
done
"$work/app/lumivox" --quit >/dev/null
wait "$copy"
testenv_stop

log "== countdown accuracy ($COUNTDOWN_SECONDS s) and chime ($CHIME_BOUNDARIES boundaries)"
"$build/bench/bench_timing_countdown" "$COUNTDOWN_SECONDS" >"$work/countdown.txt" 2>&1
"$build/bench/bench_timing_chime" "$CHIME_BOUNDARIES" >"$work/chime.txt" 2>&1

log "== voice pack load (worker thread's work, in process)"
"$build/bench/bench_announcer_voiceload" >"$work/voiceload.txt" 2>&1

python3 "$root/bench/table.py" "$results" "$work/countdown.txt" "$work/chime.txt" \
    "$RUNS" "$ONSET_RUNS" "$IDLE_SECONDS" "$COUNTDOWN_SECONDS" "$CHIME_BOUNDARIES" \
    "$(printf '%s\n' "${notes[@]}")"
cat "$work/voiceload.txt"
echo
echo "Command: bash bench/run.sh${1:+ $1} (RUNS=$RUNS STARTUP_RUNS=$STARTUP_RUNS ONSET_RUNS=$ONSET_RUNS IDLE_SECONDS=$IDLE_SECONDS COUNTDOWN_SECONDS=$COUNTDOWN_SECONDS CHIME_BOUNDARIES=$CHIME_BOUNDARIES)"
echo "Machine: $(nproc) cores, $(uname -sr), $(date -u +%Y-%m-%d)"
