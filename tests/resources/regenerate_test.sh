#!/usr/bin/env bash
# The committed assets are exactly what the generators make: regenerating
# into a scratch folder must give the same bytes for every embedded asset
# file and desktop icon. Fails when a generator changed without its output being committed,
# or when a generator is not deterministic.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$root/tools/assets/generate-all.sh" --out "$scratch"
status=0
count=0
while read -r type id path; do
  [[ -z "${type:-}" || "$type" == \#* ]] && continue
  [[ -f "$scratch/$path" ]] || continue   # not one of the generated assets
  count=$((count + 1))
  if ! cmp -s "$root/resources/$path" "$scratch/$path"; then
    echo "differs from a fresh run: $type $id resources/$path"
    status=1
  fi
done < "$root/resources/resources.manifest"
# The desktop icons are installed, not embedded, so the manifest does not
# list them.
for size in 16 32 48 64 128 256; do
  rel=icons/theme/orbit-patrol-$size.png
  if ! cmp -s "$root/resources/$rel" "$scratch/$rel"; then
    echo "differs from a fresh run: resources/$rel"
    status=1
  fi
done
if [[ $count -lt 10 ]]; then
  echo "only $count generated assets found in the manifest"
  status=1
fi
exit $status
