#!/usr/bin/env bash
# Wine for the Windows build's tests: one prefix under the build folder, never
# another. Source this file, then:
#   wineenv_start PREFIX   create the prefix if needed, map the Chinese UI fonts to an
#                          installed CJK font, export WINEPREFIX & co., warm the server
#   wineenv_stop           end that prefix's Wine server
# Debian puts no wine64 on PATH; its binaries live in /usr/lib/wine.

WINEENV_BIN=/usr/lib/wine

wineenv_start() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    # Keeps Wine from offering to download Mono and Gecko.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [[ ! -f "$WINEPREFIX/.lumivox-ready" ]]; then
        mkdir -p "$WINEPREFIX"
        "$WINEENV_BIN/wine64" wineboot -i </dev/null >/dev/null 2>&1 || return 1
        local font
        for font in SimSun 宋体 NSimSun "Microsoft YaHei"; do
            "$WINEENV_BIN/wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
                /v "$font" /d "WenQuanYi Zen Hei" /f </dev/null >/dev/null 2>&1 || return 1
        done
        "$WINEENV_BIN/wineserver" -w
        touch "$WINEPREFIX/.lumivox-ready"
    fi
    # The first Wine process starts services that would inherit (and hold) the
    # caller's output pipe: start them here, with nothing attached.
    "$WINEENV_BIN/wineserver" -p </dev/null >/dev/null 2>&1
    "$WINEENV_BIN/wine64" wineboot </dev/null >/dev/null 2>&1
}

wineenv_stop() {
    if [[ -n "${WINEPREFIX:-}" ]]; then
        "$WINEENV_BIN/wineserver" -k </dev/null >/dev/null 2>&1 || true
        "$WINEENV_BIN/wineserver" -w </dev/null >/dev/null 2>&1 || true
    fi
}
