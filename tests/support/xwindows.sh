# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034 # work comes from the calling script, icon_x and icon_y go to it
# The program's main window as the X window manager sees it, for the end-to-end
# shell tests. Source it; find_main_window sets main, the others look at $main.

client_list() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'; }
has_class() { xprop -id "$1" WM_CLASS 2>/dev/null | grep -q '"lumivox"'; }
find_main_window() {
    local w
    for w in $(client_list); do
        if has_class "$w"; then
            main=$w
            return 0
        fi
    done
    return 1
}
same_window() { [[ $((16#${1#0x})) -eq $((16#${2#0x})) ]]; }
listed() { local w; for w in $(client_list); do same_window "$w" "$main" && return 0; done; return 1; }
not_listed() { ! listed; }
mapped() { xwininfo -id "$main" 2>/dev/null | grep -q "IsViewable"; }
unmapped() { ! mapped; }
active() {
    local a
    a=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*')
    [[ -n $a ]] && same_window "$a" "$main"
}
minimised_on_taskbar() {
    listed && xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN
}

# The icon: a window of class $icon_class (the program's own unless the caller says)
# embedded in trayer's panel. Sets icon_x, icon_y (its centre on the screen). Only the panel's
# descendants (the lines indented below it) count: the main window is a sibling
# listed further down the same tree.
find_icon() {
    local line size pos
    line=$(xwininfo -root -tree | awk -v class="(\"${icon_class:-lumivox}\" \"${icon_class:-lumivox}\")" '
        function depth(s) { match(s, /^ */); return RLENGTH }
        inside && depth($0) <= panel { exit }
        inside && index($0, class) { print; exit }
        /\("panel" "trayer"\)/ { inside = 1; panel = depth($0) }')
    [[ -n $line ]] || return 1
    size=$(grep -oE ' [0-9]+x[0-9]+\+' <<<"$line" | head -1)
    size=${size# }
    size=${size%+}
    pos=$(grep -oE ' \+-?[0-9]+\+-?[0-9]+$' <<<"$line")
    pos=${pos# +}
    icon_x=$((${pos%+*} + ${size%x*} / 2))
    icon_y=$((${pos#*+} + ${size#*x} / 2))
    [[ ${size%x*} -gt 1 ]]
}

# The ones below work in $work; what they start goes into `started`.
started=()
# For the caller's exit trap: stops what was started, removes $work.
stop_started() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
# The program in a folder copy of its own (its settings live beside it); closing it
# opens the home page, which goes to a fake browser.
program_copy() { # program
    mkdir -p "$work/app" "$work/bin"
    cp "$1" "$work/app/lumivox"
    printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    export PATH="$work/bin:$PATH"
}
# A session bus of its own. Exports DBUS_SESSION_BUS_ADDRESS.
private_bus() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile) ||
        { echo "FAIL: dbus-daemon did not start"; return 1; }
    started+=("$(sed -n 2p <<<"$bus")")
    export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
}
# A desktop of its own: Xvfb and openbox, no tray host. Exports DISPLAY.
private_desktop() {
    local fifo="$work/displayfd" num
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >"$work/xvfb.log" 2>&1 &
    started+=($!)
    read -r -t 20 num <"$fifo" || { echo "FAIL: private Xvfb did not start"; return 1; }
    export DISPLAY=":$num"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    started+=($!)
    wait_until 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
}
