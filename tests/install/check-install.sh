#!/bin/sh
# `cmake --install` puts exactly the two programs, the picture helper of the
# command line and the desktop integration in place, and both installed programs answer --version (the project's
# version) and --help without a display.
# With the Python module built, it is installed too, with its type stubs,
# and imports from there and analyses an example.
# Usage: check-install.sh CMAKE BUILD-DIR VERSION [PYTHON-DIR MODULE-FILE PYTHON EXAMPLE]
set -eu
cmake=$1
build=$2
version=$3
python_dir=${4:-}
module=${5:-}
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
if [ -n "$python_dir" ]; then
    expected=$(printf '%s\n%s/%s\n%s/korvanes.pyi' "$expected" "$python_dir" "$module" "$python_dir" | LC_ALL=C sort)
fi
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
if [ -n "$python_dir" ]; then
    PYTHONPATH="$dir/$python_dir" "$6" -c "import korvanes, sys; print(korvanes.analyze(sys.argv[1]).paleointensity)" "$7" \
        | grep -q '^[0-9]' || { echo "the installed Python module does not analyse $7"; exit 1; }
fi
