#!/usr/bin/env bash
# Regenerates every built-in asset under resources/ from the generators in
# this folder. Deterministic: a second run writes the same bytes.
#
#   tools/assets/generate-all.sh            regenerate the assets
#   tools/assets/generate-all.sh --renders  also redraw the look-at PNGs in docs/assets
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
res="$root/resources"
mkdir -p "$res/models"

python3 "$here/make_starship.py" "$res/models/starship.3ds"

if [[ "${1:-}" == "--renders" ]]; then
  python3 "$here/render_ship.py" "$res/models/starship.3ds" "$root/docs/assets" 480
fi
