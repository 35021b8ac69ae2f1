#!/usr/bin/env python3
"""Prints bench/run.sh's table: medians and ranges of desktop_bench.py's runs, the
bare Qt window and paplay measured in the same run as references (ratio and
difference), the comparable programs side by side, and the timing benches' figures;
then the program's idle wake-ups by thread and its memory by kind."""
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

    def spread(xs, digits):
        if not xs:
            return "n/a"
        if len(xs) == 1:
            return fmt(xs[0], digits)
        return f"{fmt(med(xs), digits)} ({fmt(min(xs), digits)}–{fmt(max(xs), digits)})"

    # (measure, unit, lumivox runs, reference runs, other name, other value, digits)
    table = []

    def add(label, unit, ours, ref=None, other_name=None, other=None, digits=1):
        table.append((label, unit, ours if isinstance(ours, list) else [ours] if ours is not None else [],
                      ref or [], other_name, other, digits))

    clocks = "gnome-clocks"
    bare = "bench_reference_bare_window"
    for key, label, unit in [("startup_ms", "start-up: process start -> main window first painted", "ms"),
                             ("rss_mib", "peak RSS (VmHWM) 10 s after start-up", "MiB"),
                             ("idle_cpu_ms_per_min",
                              f"idle CPU time, chime on, tips rotating ({idle_s} s window)", "ms/min"),
                             ("idle_wakeups_per_min", "idle wake-ups (context switches, all threads)", "/min"),
                             ("close_ms", "close, idle: wmctrl -c -> process exit", "ms")]:
        # Start-up also has the short start-and-end runs, which give more samples.
        both = (lambda p: values("startup", p, key) + values("paint", p, key)) \
            if key == "startup_ms" else (lambda p: values("startup", p, key))
        other = both(clocks)
        add(label, unit, both("lumivox"), both(bare), clocks if other else None, med(other))
    add("close while counting down aloud: close() -> exit (in-process window)", "ms",
        values("close-speaking", None, "close_ms"))
    add("close, idle: close() -> exit (in-process window, same harness)", "ms",
        values("close-idle", None, "close_ms"))
    say = values("onset", "saytime", "onset_ms")
    add("speech onset: request posted -> first sound at the null sink (ref: paplay, 50 ms)", "ms",
        values("onset", "lumivox", "onset_ms"), values("onset", "paplay", "onset_ms"),
        "saytime" if say else None, med(say), 2)
    add("hotkey: xdotool key started -> first sound at the null sink (ref: paplay, 50 ms)", "ms",
        values("onset", "xdotool", "onset_ms"), values("onset", "paplay", "onset_ms"), digits=2)
    add("command round trip: lumivox --status to a running copy (ref: lumivox --version)", "ms",
        values("run", "lumivox-status", "run_ms"), values("run", "lumivox-version", "run_ms"),
        digits=2)

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
    w = re.search(r"wake-ups: (\d+) for (\d+) checks", open(chime_path).read())
    if w and int(w.group(2)):
        add("chime: wake-ups per minute", "/min", int(w.group(1)) / int(w.group(2)), digits=1)

    head = ("measure", "unit", "lumivox median (range)", "reference median (range)", "ratio",
            "difference", "comparable program", "its value")
    starts = len(values("startup", "lumivox", "startup_ms") + values("paint", "lumivox", "startup_ms"))
    print(f"Lumivox benchmark: medians (min–max) of {runs} runs each (start-up: {starts} runs, "
          f"speech onset: {onset_runs} runs);")
    print("reference: the bare Qt window (paplay for speech onset), measured in the same run")
    print()
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join(["---", "---", "---:", "---:", "---:", "---:", "---", "---:"]) + "|")
    for label, unit, ours, ref, other_name, other, digits in table:
        o, r = med(ours), med(ref)
        ratio = fmt(o / r, 2) if o is not None and r else ""
        diff = f"{o - r:+.{digits}f}" if o is not None and r is not None else ""
        print(f"| {label} | {unit} | {spread(ours, digits)} | {spread(ref, digits) if ref else ''} | "
              f"{ratio} | {diff} | {other_name or ''} | {fmt(other, digits) if other_name else ''} |")
    ours = [r for r in rows if r.get("what") == "startup" and r.get("program") == "lumivox"
            and r.get("wakeups_by_thread")]
    if ours:
        threads = sorted({t for r in ours for t in r["wakeups_by_thread"]})
        print()
        print("lumivox idle wake-ups by thread, per minute (median of runs): " + ", ".join(
            f"{t} {fmt(med([r['wakeups_by_thread'].get(t, 0) for r in ours]))}" for t in threads))
    for program in ("lumivox", bare):
        kinds = [(k, values("startup", program, k)) for k in ("pss_anon_mib", "pss_file_mib",
                                                                "pss_shmem_mib", "rss_end_mib")]
        if all(v for _, v in kinds):
            print(f"{program} memory at 10 s (MiB, median): " + ", ".join(
                f"{k[:-4].replace('_', ' ')} {fmt(med(v))}" for k, v in kinds))
    failed = {}
    for r in rows:
        problem = r.get("error") or r.get("close_error")
        if problem:
            key = (r.get("program", r.get("what")), problem)
            failed[key] = failed.get(key, 0) + 1
    for (program, problem), count in sorted(failed.items()):
        notes.append(f"{program}: {problem} in {count} run(s); those runs leave that figure out")
    notes.append("CPU time is the threads' time on a CPU (/proc/PID/task/*/schedstat); "
                 "wake-ups are context switches")
    if notes:
        print()
        for n in notes:
            print(f"note: {n}")


if __name__ == "__main__":
    main(sys.argv)
