#!/bin/sh
# `cmake --install` puts exactly the two programs, the picture helper of the
# command line and the desktop integration in place, and both installed programs answer --version (the project's
# version) and --help without a display.
# Usage: check-install.sh CMAKE BUILD-DIR VERSION
set -eu
cmake=$1
build=$2
version=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cmake" --install "$build" --prefix "$dir" > /dev/null
expected="bin/korvanes
bin/korvanestool
libexec/korvanes/korvanes-plot
share/applications/korvanestool.desktop
share/icons/hicolor/scalable/apps/korvanestool.svg
share/metainfo/org.brenvoll.korvanestool.metainfo.xml
share/mime/packages/korvanestool.xml"
actual=$(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    printf 'installed:\n%s\nexpected:\n%s\n' "$actual" "$expected"
    exit 1
fi

no_display() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"
}
for program in korvanes korvanestool; do
    answer=$(no_display "$dir/bin/$program" --version)
    case "$answer" in
    *" $version") ;;
    *) echo "$program --version: '$answer', expected the version $version"; exit 1 ;;
    esac
    no_display "$dir/bin/$program" --help | grep -q -i "usage"
done
