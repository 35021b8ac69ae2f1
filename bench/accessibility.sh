#!/usr/bin/env bash
# What the accessibility bridge costs: start-up (to the first paint) and idle CPU of the
# program on the test desktop, on a private session bus
#   none     with no accessibility bus at all
#   bus      with the desktop's accessibility bus (at-spi2-core) but no screen reader
#   reader   with the bridge forced on, as when a screen reader runs
# Prints one line per case: median and range of start-up, CPU per idle minute.
#   bash bench/accessibility.sh [BUILD_DIR]   (default build/bench; RUNS=5 IDLE_SECONDS=30)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/bench}")
runs=${RUNS:-5}
idle=${IDLE_SECONDS:-30}
[[ -x $build/app/lumivox ]] || { echo "no $build/app/lumivox: build it first"; exit 1; }
source "$root/scripts/testenv.sh"
work=$(mktemp -d /tmp/lumivox-a11y-bench.XXXXXX)
source "$root/tests/support/checks.sh"
source "$root/tests/support/xwindows.sh"
trap 'stop_started; testenv_stop' EXIT
testenv_start "$build/testenv" >"$work/testenv.log" 2>&1
[[ -n ${PULSE_SERVER:-} ]] || { echo "test desktop did not start"; cat "$work/testenv.log"; exit 1; }
probe=(python3 "$root/bench/desktop_bench.py")
mkdir -p "$work/app"
cp "$build/app/lumivox" "$work/app/"
printf '[Common]\r\nIsHour=1\r\nIsHalf=1\r\n' >"$work/app/lvvoxclk.db"
private_bus || exit 1

measure() { # case, environment...
    local what=$1
    shift
    : >"$work/$what.jsonl"
    for ((i = 0; i < runs; i++)); do
        env "$@" "${probe[@]}" paint lumivox "$work/app" -- "$work/app/lumivox" >>"$work/$what.jsonl"
    done
    env "$@" "${probe[@]}" startup lumivox "$work/app" "$idle" -- "$work/app/lumivox" \
        >>"$work/$what.jsonl"
    python3 - "$what" "$work/$what.jsonl" <<'PY'
import json, statistics, sys
rows = [json.loads(l) for l in open(sys.argv[2]) if l.startswith("{")]
ms = sorted(r["startup_ms"] for r in rows if "startup_ms" in r)
idle = [r for r in rows if "idle_cpu_ms_per_min" in r]
tail = (f"  idle {idle[0]['idle_cpu_ms_per_min']:.1f} ms CPU, {idle[0]['idle_wakeups_per_min']:.0f}"
        f" wake-ups per min, peak RSS {idle[0]['rss_mib']:.1f} MiB") if idle else "  idle ?"
print(f"{sys.argv[1]:7} start-up {statistics.median(ms):6.1f} ms ({ms[0]:.1f}-{ms[-1]:.1f},"
      f" n={len(ms)}){tail}")
PY
}

measure none
"/usr/libexec/at-spi-bus-launcher" --launch-immediately >"$work/bus.log" 2>&1 &
started+=($!)
sleep 1
measure bus
measure reader QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
