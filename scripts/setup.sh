#!/usr/bin/env bash
# Installs the Debian packages this program needs to build, run and be tested.
# Only what is missing is installed; run as root or with sudo available.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libpulse-dev libxcb1-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev python3
    # the rules the test command checks
    clang-format shellcheck
    # the desktop the program runs on when there is no display, and the test desktop
    xvfb xauth openbox trayer xdotool wmctrl x11-utils x11-apps imagemagick
    pulseaudio pulseaudio-utils sox
    # the built-in voices (scripts/make-clips.sh)
    espeak-ng
    # a native Wayland session: Qt's plugin and a headless compositor
    qt6-wayland weston
    # a D-Bus tray: a private session bus with the tests' own watcher and host
    dbus dbus-bin python3-dbus python3-gi
    # Chinese text: the window is tested with each of these as the only CJK font
    fonts-wqy-zenhei fonts-wqy-microhei fonts-noto-cjk fonts-droid-fallback
    # the Windows program: cross compiler, GoogleTest sources, and Wine to run it
    # (imagemagick, above, makes its icon)
    g++-mingw-w64-x86-64-posix googletest wine64
    # the Windows installer
    nsis
    # the accessibility bus and a reader for the end-to-end walk of the window
    python3-pyatspi
    # packaging checks
    dpkg-dev desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
