#!/usr/bin/env python3
"""Prints bench/run.sh's table: medians of desktop_bench.py's runs, the comparable
programs side by side with their ratio, and the timing benches' figures."""
import json
import re
import statistics
import sys


def main(argv):
    results_path, countdown_path, chime_path = argv[1:4]
    runs, onset_runs, idle_s, countdown_s, boundaries = argv[4:9]
    notes = [n for n in argv[9].splitlines() if n.strip()] if len(argv) > 9 else []
    rows = [json.loads(line) for line in open(results_path) if line.strip()]

    def values(what, program, key):
        return [r[key] for r in rows if r.get("what") == what and r.get("program", program) == program
                and r.get(key) is not None]

    def med(xs):
        return statistics.median(xs) if xs else None

    def fmt(x, digits=1):
        return "n/a" if x is None else f"{x:.{digits}f}"

    table = []  # (measure, unit, lumivox, other name, other value, n)

    def add(label, unit, ours, other_name=None, other=None, digits=1):
        table.append((label, unit, ours, other_name, other, digits))

    clocks = "gnome-clocks"
    for key, label, unit in [("startup_ms", "start-up: process start -> main window first painted", "ms"),
                             ("rss_mib", "peak RSS (VmHWM) after 10 s idle", "MiB"),
                             ("idle_cpu_ms_per_min", f"idle CPU time, chime on ({idle_s} s window)", "ms/min"),
                             ("idle_wakeups_per_min", "idle wake-ups (context switches, all threads)", "/min"),
                             ("close_ms", "close, idle: wmctrl -c -> process exit", "ms")]:
        ours = med(values("startup", "lumivox", key))
        other = med(values("startup", clocks, key))
        add(label, unit, ours, clocks if values("startup", clocks, key) else None, other)
    add("close while counting down aloud: close() -> exit (in-process window)", "ms",
        med(values("close-speaking", None, "close_ms")))
    add("close, idle: close() -> exit (in-process window, same harness)", "ms",
        med(values("close-idle", None, "close_ms")))
    say = values("onset", "saytime", "onset_ms")
    add("speech onset: request posted -> first sound at the null sink", "ms",
        med(values("onset", "lumivox", "onset_ms")), "saytime" if say else None, med(say), 2)

    countdown = open(countdown_path).read()
    m = re.search(r"\| locked to the clock \(precise\) \|\s*(\d+) \|\s*([-\d.]+) \|\s*([-\d.]+) \|\s*([-\d.]+) \|",
                  countdown)
    if m:
        add(f"countdown tick offset from t0 + k s, median ({m.group(1)} ticks)", "ms", float(m.group(2)))
        add("countdown tick offset, max |offset|", "ms", float(m.group(3)))
        add("countdown end of run offset", "ms", float(m.group(4)))
    p = re.search(r"\| plain 985 ms, precise\s*\|\s*(\d+) \|\s*([-\d.]+) \|\s*([-\d.]+) \|\s*([-\d.]+) \|",
                  countdown)
    if p:
        add("  for comparison: plain 985 ms timer, end of run offset", "ms", float(p.group(4)))
    c = re.search(r"max \|offset\|: (-?\d+) ms", open(chime_path).read())
    if c:
        add(f"chime: max |offset| from hh:mm:00 over {boundaries} minute boundaries", "ms",
            float(c.group(1)), digits=0)

    head = ("measure", "unit", "lumivox", "comparable program", "its value", "ratio lumivox/it")
    print(f"Lumivox benchmark: medians of {runs} runs (speech onset: {onset_runs} runs)")
    print()
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join(["---", "---", "---:", "---", "---:", "---:"]) + "|")
    for label, unit, ours, other_name, other, digits in table:
        ratio = fmt(ours / other, 2) if ours is not None and other else ""
        print(f"| {label} | {unit} | {fmt(ours, digits)} | {other_name or ''} | "
              f"{fmt(other, digits) if other_name else ''} | {ratio} |")
    failed = {}
    for r in rows:
        problem = r.get("error") or r.get("close_error")
        if problem:
            key = (r.get("program", r.get("what")), problem)
            failed[key] = failed.get(key, 0) + 1
    for (program, problem), count in sorted(failed.items()):
        notes.append(f"{program}: {problem} in {count} run(s); those runs leave that figure out")
    notes.append("CPU time is counted in 10 ms clock ticks; wake-ups are context switches")
    if notes:
        print()
        for n in notes:
            print(f"note: {n}")


if __name__ == "__main__":
    main(sys.argv)
