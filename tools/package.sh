#!/usr/bin/env bash
# Builds the Debian package orbit-patrol_<version>_<arch>.deb with CPack from
# the Release build (the same build folder tools/test.sh uses, so CI builds
# nothing twice) and writes it to the project folder, or to --out DIR.
#
#   tools/package.sh [--out DIR]
#   ORBIT_BUILD_DIR   build folder (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root
while [[ $# -gt 0 ]]; do
  case "$1" in
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--out DIR]" >&2; exit 2 ;;
  esac
done
"$root/tools/install-deps.sh"

build=${ORBIT_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [[ "$type" != Release ]]; then
  echo "$0: $build is a $type build; the package is made from a Release build" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc)" --target orbit-patrol orbit-patrol-inspect orbit_dist_files

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
(cd "$build" && cpack -G DEB -B "$staging" >/dev/null)
deb=$(find "$staging" -maxdepth 1 -name 'orbit-patrol_*.deb')
[[ -n "$deb" ]] || { echo "$0: cpack made no package" >&2; exit 1; }
mv -f "$deb" "$out/"
echo "$out/$(basename "$deb")"
