#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test:
#   0. the tree's rules: C++ formatting and shell scripts (scripts/lint.sh);
#   1. the whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, end-to-end
#      tests included (on a private virtual desktop and sound server);
#   2. the screen-free core (announcer, timing, settings, tips, tray) under ThreadSanitizer;
#   3. bounded fuzzing runs of the settings and tips readers;
#   4. the Windows program: the core's tests and lumivox.exe cross-built with mingw-w64,
#      run under Wine (end-to-end tests on the test desktop).
# Exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

bash scripts/setup.sh || exit 1

jobs=$(nproc)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

failed=()
stage() { # name, command...
    local name=$1; shift
    echo "=== $name"
    if ! "$@"; then failed+=("$name"); fi
}

configure_build() { # dir, cmake args...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j "$jobs"
}

# 0. Formatting and shell scripts, each finding a failure.
stage "format and scripts" bash scripts/lint.sh

# 1. Everything, ASan + UBSan, on the test desktop.
mkdir -p build
stage "build (asan+ubsan)" configure_build build/asan -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1 -g" -DLUMIVOX_SANITIZE=address,undefined
source scripts/testenv.sh
trap testenv_stop EXIT
if testenv_start "$root/build/testenv"; then
    stage "tests (asan+ubsan)" ctest --test-dir build/asan --output-on-failure -j "$jobs" \
        --timeout 600
else
    failed+=("test desktop")
fi
testenv_stop

# 2. The screen-free core under ThreadSanitizer.
stage "build (tsan)" configure_build build/tsan -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1 -g" -DLUMIVOX_SANITIZE=thread -DLUMIVOX_WITH_QT=OFF
stage "tests (tsan)" ctest --test-dir build/tsan --output-on-failure -j "$jobs"

# 3. Fuzzing (clang's libFuzzer), each target for a bounded time.
stage "build (fuzz)" configure_build build/fuzz -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" -DLUMIVOX_WITH_QT=OFF \
    -DLUMIVOX_FUZZ=ON
if ctest --test-dir build/fuzz -N -L fuzz | grep -q "Total Tests: [1-9]"; then
    stage "fuzzing" ctest --test-dir build/fuzz --output-on-failure -L fuzz -j "$jobs"
fi

# 4. The Windows build under Wine, in a prefix of its own under the build folder.
stage "build (windows)" configure_build build/win -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DLUMIVOX_WITH_QT=OFF \
    -DLUMIVOX_BENCH=OFF
source scripts/wineenv.sh
if testenv_start "$root/build/testenv-win" && wineenv_start "$root/build/win/wineprefix"; then
    # A test that fails at once with no output of its own is Wine failing to start it
    # (seen once in many runs): each failure is run once more before it counts.
    stage "tests (windows, wine)" ctest --test-dir build/win --output-on-failure -j "$jobs" \
        --timeout 300 --repeat until-pass:2
else
    failed+=("wine")
fi
wineenv_stop
testenv_stop

if ((${#failed[@]})); then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All test stages passed."
