#!/usr/bin/env bash
# Regenerates every built-in asset under resources/ from the generators in
# this folder (Python 3 standard library, plus cjpeg from libjpeg-turbo-progs
# and tools/jpeg_remux.py for the JPEGs). Deterministic: a second run writes
# the same bytes.
#
#   tools/assets/generate-all.sh             regenerate the assets in resources/
#   tools/assets/generate-all.sh --renders   also redraw the look-at PNGs in docs/assets
#   tools/assets/generate-all.sh --out DIR   write the asset tree under DIR instead
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
res="$root/resources"
docs="$root/docs/assets"
previews=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --renders) mkdir -p "$docs"; previews=("$docs"); shift ;;
    --out) res="$2"; shift 2 ;;
    *) echo "usage: $0 [--renders] [--out DIR]" >&2; exit 2 ;;
  esac
done
mkdir -p "$res/models" "$res/sounds" "$res/textures"

python3 "$here/make_starship.py" "$res/models/starship.3ds"
python3 "$here/make_sounds.py" "$res/sounds" "${previews[@]}"
python3 "$here/make_icons.py" "$res/models/starship.3ds" "$res" "${previews[@]}"
python3 "$here/make_textures.py" "$res/models/starship.3ds" "$res/textures" "${previews[@]}"

if [[ ${#previews[@]} -gt 0 ]]; then
  python3 "$here/render_ship.py" "$res/models/starship.3ds" "$docs" 480
fi
