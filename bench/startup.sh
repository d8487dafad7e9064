#!/bin/sh
# How long a whole `korvanes` process takes, from exec to exit: the command
# line that a script calling korvanes once per file pays each time. Runs
# each command a few hundred times with hyperfine (Debian package
# `hyperfine`; it is not needed by the build or the tests) and prints the
# medians.
# Usage: bench/startup.sh [path of the korvanes program]
set -eu
cd "$(dirname "$0")/.."
KORVANES="${1:-build/release/bin/korvanes}"
if ! command -v hyperfine >/dev/null 2>&1; then
    echo "bench/startup.sh needs hyperfine (apt-get install hyperfine)" >&2
    exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$KORVANES" criteria write "$out/lab.cri" >/dev/null
hyperfine --shell=none --warmup 20 --runs 300 --style basic --export-csv "$out/times.csv" \
    "$KORVANES analyze examples/basalt-mt1.kvd" \
    "$KORVANES analyze examples/basalt-mt1.kvd --json" \
    "$KORVANES criteria show $out/lab.cri" \
    "$KORVANES plot examples/basalt-mt1.kvd --type arai --out $out/arai.png" >/dev/null 2>"$out/log" ||
    { cat "$out/log" >&2; exit 1; }
# command,mean,stddev,median,user,system,min,max (seconds)
awk -F, 'NR > 1 { printf "%-70s median %.2f ms (min %.2f ms)\n", $1, $4 * 1000, $7 * 1000 }' "$out/times.csv"
