# shellcheck shell=bash
# Checks and waiting for the end-to-end shell tests. Source it.

failures=0
check() { # description, command...
    local what=$1; shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
        return 1
    fi
}
wait_until() { # seconds, command...
    local limit=$1; shift
    local i
    for ((i = 0; i < limit * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
# Exits 77 (skipped) unless the test desktop is up and every tool named is on PATH.
needs_desktop() { # tool...
    [[ -n ${DISPLAY:-} && -n ${TESTENV_TRAYER_PID:-} ]] || { echo "skip: no test desktop"; exit 77; }
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skip: $tool missing"; exit 77; }
    done
}
# Records the test sink into FILE while a command runs and for SECONDS after it, as
# raw s16le mono 22050 Hz (what tests/win32/find_clips.py reads). The recorder is
# killed on exit with the rest of `started`.
record_sink() { # file seconds command...
    local file=$1 seconds=$2
    shift 2
    parec --latency-msec=20 -d cap.monitor --rate=22050 --channels=1 --format=s16le \
        --raw >"$file" 2>/dev/null &
    local recorder=$!
    started+=("$recorder")
    # A new monitor stream is mute for its first moments.
    wait_until 10 test -s "$file"
    sleep 0.5
    "$@"
    sleep "$seconds"
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null
}
# The clips find_clips.py found (its lines in FILE) came one second apart (a tick's
# late start shifts its clip, not the next ones) and were clearly heard.
one_second_apart() { # file
    # shellcheck disable=SC2016 # awk's own fields
    awk '{ if (NR > 1 && ($1 - last < 850 || $1 - last > 1250)) bad = 1
           if ($2 < 0.7) bad = 1; last = $1 }
         END { exit bad }' "$1"
}
# Milliseconds of sound (not near silence) in a recording made by record_sink.
sound_ms() { # file
    python3 -c 'import array, sys
a = array.array("h", open(sys.argv[1], "rb").read())
print(sum(1 for x in a if abs(x) > 300) * 1000 // 22050)' "$1"
}
# The first sound in a recording made by record_sink is CLIP, clearly heard
# (find_clips.py's normalised correlation at least 0.7).
first_sound_is() { # recording clip.wav
    local found
    found=$(python3 "$(dirname "${BASH_SOURCE[0]}")/../win32/find_clips.py" "$1" "$2") || return 1
    echo "$found"
    awk '{ exit $2 < 0.7 }' <<<"$found"
}
