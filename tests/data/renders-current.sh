#!/usr/bin/env bash
# The committed PNGs are what scripts/render-icons makes from the SVGs today: an SVG changed
# without rendering again (or a PNG edited by hand) fails here, naming the file.
set -euo pipefail
source_dir=${1:?usage: renders-current.sh SOURCE_DIR}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/pagiscopo-renders.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

"$source_dir/scripts/render-icons" --into "$scratch"
cd "$scratch"
stale=0
count=0
while IFS= read -r png; do
    count=$((count + 1))
    if ! cmp -s "$png" "$source_dir/data/$png"; then
        echo "stale: data/$png differs from a fresh render of its SVG (run scripts/render-icons)" >&2
        stale=1
    fi
done < <(find . -name '*.png' -printf '%P\n' | sort)
echo "compared $count fresh renders with the PNGs under data/"
if [ "$count" -ne 12 ]; then
    echo "render-icons made $count PNGs, expected 12" >&2
    exit 1
fi
exit "$stale"
