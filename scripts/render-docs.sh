#!/bin/sh
# Renders the README's pictures of an example specimen into docs/.
# Usage: scripts/render-docs.sh [path of the korvanes program]
set -eu
cd "$(dirname "$0")/.."
KORVANES="${1:-build/release/bin/korvanes}"
EXAMPLE=examples/andesite-mt4.kvd
for type in arai zijderveld decay additional all; do
    "$KORVANES" plot "$EXAMPLE" --type "$type" --out "docs/andesite-$type.png"
done
