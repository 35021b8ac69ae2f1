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
