#!/usr/bin/env bash
# Cross-compiles the GL-free core (image/, model3ds/, scene/) and its unit
# tests for arm64 with Debian's aarch64 toolchain and runs the tests under
# qemu-aarch64, so the portable code paths are built and checked on every
# run. Installs what is missing (safe to run again); exits non-zero on any
# failure.
#
#   ORBIT_ARM64_BUILD_DIR  build folder (default: build-arm64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBIT_ARM64_BUILD_DIR:-$root/build-arm64}

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake ninja-build file crossbuild-essential-arm64 qemu-user
  libgtest-dev:arm64 libgmock-dev:arm64
  libgl-dev:arm64 libegl-dev:arm64 libglu1-mesa-dev:arm64 libpng-dev:arm64
)
added_arch=0
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
  added_arch=1
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ] || [ "$added_arch" -eq 1 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" \
  -DORBIT_BUILD_GUI=OFF -DORBIT_BUILD_BENCH=OFF -DORBIT_BUILD_FUZZ=OFF "${launcher[@]}"

tests=(image_tests model3ds_unit_tests scene_tests)
cmake --build "$build" -j"$(nproc)" --target "${tests[@]}"

failed=0
for t in "${tests[@]}"; do
  binary=$(find "$build/tests" -type f -name "$t" | head -n 1)
  if [ -z "$binary" ] || ! file "$binary" | grep -q "ARM aarch64"; then
    echo "test-arm64: $t was not built for arm64" >&2
    failed=1
    continue
  fi
  echo "== $t (qemu-aarch64)"
  if ! qemu-aarch64 -L /usr/aarch64-linux-gnu "$binary" --gtest_brief=1; then
    failed=1
  fi
done
exit "$failed"
