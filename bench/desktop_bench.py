#!/usr/bin/env python3
"""Measures a desktop program on the test desktop (DISPLAY, PULSE_SERVER set by
scripts/testenv.sh) and prints one JSON object per measurement run.

  startup  CLASS CWD IDLE -- CMD...  process start -> first damage (drawing) of its
                                main window, VmHWM 10 s after start-up, CPU time and
                                wake-ups per minute while idle (from 20 s after start-up,
                                when the first tips tick is over, for IDLE seconds),
                                close request (wmctrl -c) -> exit
  onset-announcer BENCH         request posted -> first loud sample on the sink monitor
  onset-command -- CMD...       process start -> first loud sample on the sink monitor
  close-inprocess BENCH DIR MODE  "closing" printed -> process exit
  run-time NAME -- CMD...       process start -> exit, for a command that ends itself
  paint    CLASS CWD -- CMD...  process start -> first damage only (ended with SIGTERM)

Window painting is seen through the X DAMAGE extension: the first damage report on
a mapped top-level window whose WM_CLASS contains CLASS is the first time anything
was drawn into it. Process exit is seen through a pidfd, CPU time and context
switches come from /proc (all threads)."""
import ctypes
import ctypes.util
import json
import os
import select
import signal
import subprocess
import sys
import threading
import time

RATE = 22050
LOUD = 500  # sample magnitude that counts as sound (digital silence is 0)


def now_ns():
    return time.monotonic_ns()


def emit(**fields):
    print(json.dumps(fields), flush=True)


# --- X11 -----------------------------------------------------------------------
class X11:
    SubstructureNotifyMask = 1 << 19
    StructureNotifyMask = 1 << 17
    CreateNotify = 16
    MapNotify = 19

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.xd = ctypes.CDLL(ctypes.util.find_library("Xdamage"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x.XGetClassHint.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
        self.xd.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                  ctypes.POINTER(ctypes.c_int)]
        self.xd.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.xd.XDamageCreate.restype = ctypes.c_ulong
        # Windows come and go while we look at them: ignore X errors.
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self._handler = handler_type(lambda d, e: 0)
        self.x.XSetErrorHandler(self._handler)
        self.dpy = self.x.XOpenDisplay(None)
        if not self.dpy:
            raise SystemExit("no X display")
        self.root = self.x.XDefaultRootWindow(self.dpy)
        ev, err = ctypes.c_int(), ctypes.c_int()
        if not self.xd.XDamageQueryExtension(self.dpy, ctypes.byref(ev), ctypes.byref(err)):
            raise SystemExit("X server without DAMAGE")
        self.damage_notify = ev.value
        self.x.XSelectInput(self.dpy, self.root, self.SubstructureNotifyMask)
        self.x.XSync(self.dpy, 0)

    def wm_class(self, window):
        class XClassHint(ctypes.Structure):
            _fields_ = [("res_name", ctypes.c_char_p), ("res_class", ctypes.c_char_p)]
        hint = XClassHint()
        if not self.x.XGetClassHint(self.dpy, window, ctypes.byref(hint)):
            return ""
        text = b" ".join(v or b"" for v in (hint.res_name, hint.res_class)).decode(errors="replace")
        return text

    def is_main_sized(self, window):
        """Tray icons and tooltips are small; a main window is not."""
        root = ctypes.c_ulong()
        x, y = ctypes.c_int(), ctypes.c_int()
        w, h, bw, depth = (ctypes.c_uint() for _ in range(4))
        if not self.x.XGetGeometry(self.dpy, window, ctypes.byref(root), ctypes.byref(x),
                                   ctypes.byref(y), ctypes.byref(w), ctypes.byref(h),
                                   ctypes.byref(bw), ctypes.byref(depth)):
            return False
        return w.value >= 150 and h.value >= 100

    def wait_first_paint(self, match, deadline):
        """Returns (ns of the first damage on a mapped window of class `match`, window)."""
        event = (ctypes.c_long * 24)()
        mapped = set()
        fd = self.x.XConnectionNumber(self.dpy)
        while now_ns() < deadline:
            if not self.x.XPending(self.dpy):
                select.select([fd], [], [], 0.05)
                continue
            self.x.XNextEvent(self.dpy, event)
            at = now_ns()
            kind = ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0]
            if kind == self.CreateNotify:
                window = event[5]
                self.x.XSelectInput(self.dpy, window, self.StructureNotifyMask)
                self.xd.XDamageCreate(self.dpy, window, 3)  # report when non-empty
                self.x.XFlush(self.dpy)
            elif kind == self.MapNotify:
                mapped.add(event[5])
            elif kind == self.damage_notify:
                window = event[4]
                if (window in mapped and match.lower() in self.wm_class(window).lower()
                        and self.is_main_sized(window)):
                    return at, window
        return None, None

    def close(self):
        self.x.XCloseDisplay(self.dpy)


# --- processes -----------------------------------------------------------------
def wait_exit(pid, timeout_s):
    """ns when process `pid` (our child) ended, None on timeout."""
    fd = os.pidfd_open(pid)
    try:
        poller = select.poll()
        poller.register(fd, select.POLLIN)
        if not poller.poll(timeout_s * 1000):
            return None
        return now_ns()
    finally:
        os.close(fd)


def cpu_ns(pid):
    """Per thread: time on a CPU so far in ns (schedstat: finer than clock ticks)."""
    return per_thread(pid, "schedstat", lambda f: int(f.read().split()[0]))


def context_switches(pid):
    """Per thread: voluntary + involuntary context switches so far."""
    return per_thread(pid, "status", lambda f: sum(int(line.split()[1]) for line in f if line.startswith(
        ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"))))


def thread_names(pid):
    return per_thread(pid, "comm", lambda f: f.read().strip())


def per_thread(pid, name, read):
    """read(file) of /proc/PID/task/*/NAME for each thread still there."""
    values = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/{name}") as f:
                values[task] = read(f)
        except FileNotFoundError:
            pass
    return values


def switches_since(before, after):
    """Also serves for CPU time: any per-thread count that only grows."""
    # Threads that ended took their counts with them; new ones count from zero.
    return sum(max(0, n - before.get(t, 0)) for t, n in after.items())


def managed_window_of(pid):
    """The window manager's window of process pid (wmctrl -lp), or None."""
    out = subprocess.run(["wmctrl", "-lp"], capture_output=True, text=True).stdout
    for line in out.splitlines():
        fields = line.split()
        if len(fields) > 2 and fields[2] == str(pid):
            return fields[0]
    return None


def vm_hwm_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return None


def memory_kib(pid):
    """Resident memory by kind: anonymous (heaps, stacks), file-backed (code, data,
    fonts), shared memory."""
    kinds = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            key = line.split(":")[0]
            if key in ("Rss", "Pss_Anon", "Pss_File", "Pss_Shmem"):
                kinds[key] = int(line.split()[1])
    return kinds


def first_paint(match, cwd, cmd, what):
    """Starts cmd; returns (process, result so far, window), or None after reporting
    that no window was painted."""
    x = X11()
    start = now_ns()
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    painted, window = x.wait_first_paint(match, start + 60 * 10**9)
    x.close()
    result = {"what": what, "program": os.path.basename(cmd[0])}
    if painted is None:
        proc.kill()
        proc.wait()
        emit(**result, error="no window painted")
        return None
    result["startup_ms"] = (painted - start) / 1e6
    return proc, result, window


def paint(match, cwd, cmd):
    """Start-up alone, for more samples than the long runs give: ended by SIGTERM
    a moment after the first paint."""
    started = first_paint(match, cwd, cmd, "paint")
    if started:
        proc, result, _ = started
        time.sleep(1)
        proc.terminate()
        proc.wait()
        emit(**result)


def startup(match, cwd, cmd, idle_s, settle_s=10, idle_from_s=20):
    started = first_paint(match, cwd, cmd, "startup")
    if not started:
        return
    proc, result, window = started
    time.sleep(settle_s)
    result["rss_mib"] = vm_hwm_kib(proc.pid) / 1024
    for key, kib in memory_kib(proc.pid).items():
        result[key.lower() + "_mib"] = kib / 1024
    time.sleep(max(0, idle_from_s - settle_s))
    cpu, switches, t0 = cpu_ns(proc.pid), context_switches(proc.pid), now_ns()
    time.sleep(idle_s)
    minutes = (now_ns() - t0) / 60e9
    result["idle_cpu_ms_per_min"] = switches_since(cpu, cpu_ns(proc.pid)) / 1e6 / minutes
    after = context_switches(proc.pid)
    result["idle_wakeups_per_min"] = switches_since(switches, after) / minutes
    result["threads"] = len(after)
    names = thread_names(proc.pid)
    by_thread = {}
    for task, n in sorted(after.items(), key=lambda item: int(item[0])):
        # The main thread and others of the same name (the announcer) told apart.
        name = "main" if task == str(proc.pid) else names.get(task, "?")
        while name in by_thread:
            name += "+"
        by_thread[name] = max(0, n - switches.get(task, 0)) / minutes
    result["wakeups_by_thread"] = by_thread
    result["rss_end_mib"] = vm_hwm_kib(proc.pid) / 1024
    target = managed_window_of(proc.pid) or hex(window)
    asked = now_ns()
    subprocess.run(["wmctrl", "-i", "-c", target], check=False)
    ended = wait_exit(proc.pid, 10)
    if ended is None:
        proc.kill()
        result["close_error"] = "did not exit within 10 s"
    else:
        result["close_ms"] = (ended - asked) / 1e6
    proc.wait()
    emit(**result)


# --- sound ---------------------------------------------------------------------
class MonitorRecorder:
    """parec on the sink monitor; chunks stamped with the time they were read."""

    def __init__(self):
        self.proc = subprocess.Popen(
            ["parec", "-d", "cap.monitor", "--latency-msec=10", "--format=s16le",
             f"--rate={RATE}", "--channels=1", "--raw"], stdout=subprocess.PIPE)
        self.lock = threading.Lock()
        self.loud_at = []  # ns of each loud stretch's first sample, after `armed`
        self.last_loud = 0
        self.armed = None
        self.got_data = threading.Event()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            data = os.read(fd, 882)  # 20 ms
            at = now_ns()
            if not data:
                return
            self.got_data.set()
            n = len(data) // 2
            samples = memoryview(data[: n * 2]).cast("h")
            for i, s in enumerate(samples):
                if abs(s) > LOUD:
                    # When the chunk holding it was read: an upper bound, late by at
                    # most parec's 10 ms latency.
                    t = at
                    with self.lock:
                        if self.armed is not None and t >= self.armed and not self.loud_at:
                            self.loud_at.append(t)
                        self.last_loud = at
                    break

    def wait_quiet(self, quiet_s=0.8, timeout_s=30):
        end = now_ns() + timeout_s * 10**9
        while now_ns() < end:
            with self.lock:
                last = self.last_loud
            if now_ns() - last > quiet_s * 1e9:
                return True
            time.sleep(0.05)
        return False

    def arm(self, at):
        with self.lock:
            self.armed = at
            self.loud_at = []

    def first_loud(self, timeout_s=15):
        end = now_ns() + timeout_s * 10**9
        while now_ns() < end:
            with self.lock:
                if self.loud_at:
                    return self.loud_at[0]
            time.sleep(0.005)
        return None

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait()


def onset_announcer(bench, runs):
    rec = MonitorRecorder()
    rec.got_data.wait(10)
    time.sleep(1.5)  # a new monitor stream stays mute for about a second
    proc = subprocess.Popen([bench], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    proc.stdout.readline()  # ready
    for _ in range(runs):
        rec.wait_quiet()
        rec.arm(now_ns())
        proc.stdin.write("go\n")
        proc.stdin.flush()
        posted = int(proc.stdout.readline().split()[1])
        heard = rec.first_loud()
        if heard is None:
            emit(what="onset", program="lumivox", error="nothing heard")
        else:
            emit(what="onset", program="lumivox", onset_ms=(heard - posted) / 1e6)
    proc.stdin.close()
    proc.wait()
    rec.stop()


def onset_command(cmd, runs):
    rec = MonitorRecorder()
    rec.got_data.wait(10)
    time.sleep(1.5)
    for _ in range(runs):
        rec.wait_quiet()
        start = now_ns()
        rec.arm(start)
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        heard = rec.first_loud()
        proc.wait()
        if heard is None:
            emit(what="onset", program=os.path.basename(cmd[0]), error="nothing heard")
        else:
            emit(what="onset", program=os.path.basename(cmd[0]), onset_ms=(heard - start) / 1e6)
    rec.stop()


def run_time(name, cmd):
    """One run of a command that ends by itself: process start -> exit."""
    start = now_ns()
    proc = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    ms = (now_ns() - start) / 1e6
    emit(what="run", program=name, run_ms=ms if proc.returncode == 0 else None)


def close_inprocess(bench, settings_dir, mode):
    proc = subprocess.Popen([bench, settings_dir, mode], stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline()
    if not line.startswith("closing"):
        proc.kill()
        proc.wait()
        emit(what="close-" + mode, error="no close reported")
        return
    asked = int(line.split()[1])
    ended = wait_exit(proc.pid, 30)
    proc.wait()
    emit(what="close-" + mode, close_ms=(ended - asked) / 1e6 if ended else None)


def main(argv):
    verb = argv[1]
    if verb == "startup":
        dash = argv.index("--")
        match, cwd, idle_s = argv[2], argv[3], float(argv[4])
        startup(match, cwd, argv[dash + 1:], idle_s)
    elif verb == "paint":
        dash = argv.index("--")
        paint(argv[2], argv[3], argv[dash + 1:])
    elif verb == "onset-announcer":
        onset_announcer(argv[2], int(argv[3]))
    elif verb == "onset-command":
        dash = argv.index("--")
        onset_command(argv[dash + 1:], int(argv[2]))
    elif verb == "run-time":
        dash = argv.index("--")
        run_time(argv[2], argv[dash + 1:])
    elif verb == "close-inprocess":
        close_inprocess(argv[2], argv[3], argv[4])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
