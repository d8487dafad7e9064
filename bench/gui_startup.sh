#!/bin/sh
# Cold start of the desktop program to its first painted document window:
# the whole process, from exec to the end of the first paint of the plot
# pane and exit, on an X server (Xvfb). Prints each run and the median.
#   bench/gui_startup.sh [build/release] [runs]
set -eu
build=${1:-build/release}
runs=${2:-21}
program="$build/bin/korvanestool"
example="$(dirname "$0")/../examples/andesite-mt4.kvd"
config=$(mktemp -d)
trap 'rm -rf "$config"; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true' EXIT

display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

times=""
i=0
while [ "$i" -lt "$runs" ]; do
    start=$(date +%s%N)
    DISPLAY=$display XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$config "$program" --quit-after-first-paint "$example" 2>/dev/null
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    times="$times $ms"
    i=$((i + 1))
done
echo "runs (ms):$times"
echo "$times" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ a[NR] = $1 } END { print "median:", a[int((NR + 1) / 2)], "ms" }'
