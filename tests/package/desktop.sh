# shellcheck shell=bash
# Shared by the package tests: checks, waiting, and finding the program's main window
# on the test desktop. Source it; set `work` first.

source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
# shellcheck disable=SC2154 # work is the sourcing script's
finish() {
    if ((failures > 0)); then
        local log
        for log in "$work"/*.log; do
            [[ -s $log ]] && { echo "--- $log"; cat "$log"; }
        done
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

same_window() { [[ $((16#${1#0x})) -eq $((16#${2#0x})) ]]; }
client_list() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'; }
window_pid() { xprop -id "$1" _NET_WM_PID 2>/dev/null | grep -o '[0-9]*$'; }
# The program's top-level windows the window manager lists (prints their ids).
program_windows() {
    local w
    for w in $(client_list); do
        xprop -id "$w" WM_CLASS 2>/dev/null | grep '"lumivox"' >/dev/null && echo "$w"
    done
}
# Sets `main` to the main window of process $1.
main_window_of() {
    local w
    for w in $(program_windows); do
        if [[ $(window_pid "$w") == "$1" ]]; then
            main=$w
            return 0
        fi
    done
    return 1
}
mapped() { xwininfo -id "$main" 2>/dev/null | grep "IsViewable" >/dev/null; }
unmapped() { ! mapped; }
active() {
    local a
    a=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*')
    [[ -n $a ]] && same_window "$a" "$main"
}
not_active() { ! active; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# Asks the window manager to close the window, as the title bar's button does.
close_window() { wmctrl -i -c "$main"; }
# True once the program's icon sits in the tray host's panel.
icon_docked() {
    local tree
    tree=$(xwininfo -root -tree 2>/dev/null)
    grep -A1000 '"panel" "trayer"' <<<"$tree" | grep '("lumivox" "lumivox")' >/dev/null
}

# A fake browser first in PATH: closing the program opens the maker's page.
use_fake_browser() {
    mkdir -p "$work/bin"
    printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    export PATH="$work/bin:$PATH"
}

# A portable copy of program $1 in $work/app, with a runtime folder of its own so that no
# other copy on this desktop takes part, and the fake browser. `start` runs it in the
# background (its pid in `pid`); every process in `started` is killed on exit.
portable_copy() {
    mkdir -p "$work/app" "$work/runtime"
    chmod 700 "$work/runtime"
    cp "$1" "$work/app/lumivox"
    export XDG_RUNTIME_DIR="$work/runtime"
    export QT_QPA_PLATFORM=xcb
    unset DBUS_SESSION_BUS_ADDRESS
    use_fake_browser
    started=()
    trap cleanup EXIT
}
run=0
start() {
    run=$((run + 1))
    (cd "$work/app" && exec ./lumivox) >"$work/start$run.log" 2>&1 &
    pid=$!
    started+=("$pid")
}
cleanup() { # SIGKILL ends a stopped process too
    local pid
    for pid in "${started[@]}"; do kill -9 "$pid" 2>/dev/null; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
