# shellcheck shell=bash
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
