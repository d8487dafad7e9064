#!/bin/sh
# Renders the README's pictures of the example specimens into docs/.
# Usage: scripts/render-docs.sh [path of the korvanes program]
set -eu
cd "$(dirname "$0")/.."
KORVANES="${1:-build/release/bin/korvanes}"
EXAMPLE=examples/andesite-mt4.kvd
for type in arai zijderveld decay additional all; do
    "$KORVANES" plot "$EXAMPLE" --type "$type" --out "docs/andesite-$type.png"
done
"$KORVANES" plot examples/tuff-mt3.kvd --type rangemap --out docs/tuff-rangemap.png
