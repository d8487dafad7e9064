#!/bin/sh
# Renders the README's pictures of the example specimens into docs/: the
# diagrams and the range map through `korvanes plot`, and the desktop
# program's main window (drawn offscreen by the GUI test program, so no
# display is needed).
# Usage: scripts/render-docs.sh [build folder, default build/release]
set -eu
cd "$(dirname "$0")/.."
BUILD="${1:-build/release}"
EXAMPLE=examples/andesite-mt4.kvd
for type in arai zijderveld decay additional all; do
    "$BUILD/bin/korvanes" plot "$EXAMPLE" --type "$type" --out "docs/andesite-$type.png"
done
"$BUILD/bin/korvanes" plot examples/tuff-mt3.kvd --type rangemap --out docs/tuff-rangemap.png
SHOTS=$(mktemp -d)
QT_QPA_PLATFORM=offscreen KORVANES_SCREENSHOT_DIR="$SHOTS" "$BUILD/bin/test_gui" \
    --gtest_also_run_disabled_tests --gtest_filter='DocsScreenshots.*' >/dev/null
cp "$SHOTS/desktop-arai.png" docs/desktop.png
cp "$SHOTS/desktop-study.png" docs/study.png
rm -rf "$SHOTS"
