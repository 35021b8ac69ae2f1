#!/usr/bin/env bash
# The desktop the end-to-end tests run on: a virtual X display with a window manager
# and a tray host, and a sound server whose only output is a null sink ("cap") whose
# monitor can be recorded. Source this file, then:
#   testenv_start DIR   start everything, export DISPLAY, PULSE_SERVER, ...
#   testenv_stop        stop every process testenv_start started, by its id
# Both are safe to call more than once.

TESTENV_PIDS=()

_testenv_wait_for() { # seconds, command...
    local limit=$1; shift
    local i
    for ((i = 0; i < limit * 10; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

testenv_start() {
    local dir=$1
    mkdir -p "$dir"
    export TESTENV_DIR=$dir
    export XDG_RUNTIME_DIR="$dir/xdg-runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

    # X display: let Xvfb pick a free number and tell us which.
    local fifo="$dir/displayfd"
    rm -f "$fifo"; mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >"$dir/xvfb.log" 2>&1 &
    TESTENV_PIDS+=($!)
    local num
    read -r -t 20 num <"$fifo" || { echo "testenv: Xvfb did not start" >&2; return 1; }
    rm -f "$fifo"
    export DISPLAY=":$num"
    export XDG_SESSION_TYPE=x11
    unset WAYLAND_DISPLAY
    # No session bus: the tray goes through the XEmbed host below.
    unset DBUS_SESSION_BUS_ADDRESS

    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
    TESTENV_PIDS+=($!)
    _testenv_wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        echo "testenv: window manager not seen" >&2

    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false --monitor primary >"$dir/trayer.log" 2>&1 &
    export TESTENV_TRAYER_PID=$!
    TESTENV_PIDS+=("$TESTENV_TRAYER_PID")

    # Sound server with a null sink, private to this run.
    export PULSE_RUNTIME_PATH="$dir/pulse"
    export PULSE_STATE_PATH="$dir/pulse"
    export PULSE_SERVER="unix:$dir/pulse/native"
    testenv_sound_server "$dir/pulse" >"$dir/pulse.log" 2>&1 &
    TESTENV_PIDS+=($!)
    _testenv_wait_for 20 pactl info || { echo "testenv: sound server did not start" >&2; cat "$dir/pulse.log" >&2; return 1; }
    pactl set-default-sink cap >/dev/null 2>&1 || true
    _testenv_wait_for 10 sh -c 'xwininfo -root -tree | grep -qi trayer' ||
        echo "testenv: tray host not seen" >&2
    return 0
}

# A sound server whose only output is the null sink "cap", on the socket DIR/native.
# Run it in the background: it becomes the server process itself (its pid is $!).
# Without a display it joins no session bus, so several can run side by side.
testenv_sound_server() {
    local dir=$1
    mkdir -p "$dir"
    DISPLAY='' PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir exec pulseaudio -n \
        --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no --system=false \
        --load="module-null-sink sink_name=cap rate=22050 channels=1" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
        --load="module-always-sink"
}

testenv_stop() {
    local pid
    for pid in "${TESTENV_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${TESTENV_PIDS[@]}"; do
        for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    TESTENV_PIDS=()
}
