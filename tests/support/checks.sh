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
