#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
# With no display (no DISPLAY or WAYLAND_DISPLAY) it runs the program on a virtual
# display instead, saves a screenshot of its window, prints where, and closes it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
mkdir -p build
cmake -S "$root" -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMIVOX_TESTS=OFF -DLUMIVOX_BENCH=OFF >build/release.configure.log 2>&1 ||
    { cat build/release.configure.log; exit 1; }
cmake --build build/release --target lumivox -j "$(nproc)"
program="$root/build/release/app/lumivox"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program"
fi

echo "No display here: starting the program on a virtual display."
source scripts/testenv.sh
trap testenv_stop EXIT
testenv_start "$root/build/run-desktop"
export LUMIVOX_OPENED_LOG="$root/build/run-desktop/opened.txt"
rm -f "$LUMIVOX_OPENED_LOG"
PATH="$root/scripts/headless:$PATH" "$program" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "Lumivox" | head -1) || true
if [[ -z "$wid" ]]; then
    echo "The window did not appear." >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 2 # let it paint
shot="$root/build/screenshot.png"
import -window "$wid" "$shot"
echo "Screenshot of the window: $shot"
wmctrl -i -c "$wid" # a normal close, as from the title bar
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "The program did not close; stopping it." >&2
    kill "$pid"
fi
wait "$pid" || true
if [[ -s "$LUMIVOX_OPENED_LOG" ]]; then
    echo "On closing it asked the browser to open: $(cat "$LUMIVOX_OPENED_LOG")"
fi
