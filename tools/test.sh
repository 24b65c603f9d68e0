#!/usr/bin/env bash
# Installs what is missing, builds Orbit Patrol and runs the whole test suite.
# Exits non-zero on any failure. Tests that need an X server run under Xvfb;
# GL tests use a headless EGL context and need no display.
#
#   ORBIT_BUILD_DIR   build folder (default: build)
#   ORBIT_CMAKE_ARGS  extra CMake arguments (the sanitizer run of .ci/run uses it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"

build=${ORBIT_BUILD_DIR:-$root/build}
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release ${ORBIT_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"

export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_odr_violation=0}"
case "${ORBIT_CMAKE_ARGS:-}" in
  *ORBIT_SANITIZE=ON*)
    # Full stacks let the suppressions match leaks inside Mesa and Qt's GLX
    # code (the fast unwinder stops inside the sanitizer runtime there), and
    # llvmpipe's code generator deadlocks under the slow unwinder, so the
    # sanitizer run renders with softpipe.
    export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=0"
    export LSAN_OPTIONS="$LSAN_OPTIONS:fast_unwind_on_malloc=0"
    export GALLIUM_DRIVER=softpipe
    ;;
esac
cd "$build"
# Unit and headless GL tests run in parallel; X11 tests one at a time, since
# they share one X server, its focus and its pointer (the two-monitor test
# starts an Xvfb of its own). The Wayland tests start their own headless sway
# and print why when they skip.
ctest --output-on-failure -j"$(nproc)" -LE "x11|wayland"
xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp -noreset" ctest --output-on-failure -L x11
ctest --output-on-failure -L wayland
