#!/usr/bin/env bash
# Times the command line at archive scale and prints the figures: a tree of 20,000 small
# four-page files in 40 folders split by one -r process, by one process per file through GNU
# parallel and by tiffsplit per file through GNU parallel (all with 2 jobs); -j 2 against -j 1;
# a re-run with --if-exists skip over the finished tree; the peak memory of --files-from over a
# list of one million lines with -n. Not a test: nothing runs it but a person.
# Usage: bench/archive.sh BUILD_DIR [WORK_DIR]   (WORK_DIR: default BUILD_DIR/bench-archive)
set -euo pipefail
split=$(realpath "$1/bin/plexifold-split")
work=$(realpath -m "${2:-$1/bench-archive}")
tree=$work/tree
files=${FILES:-20000}
folders=40
mkdir -p "$work"

if [ "$(find "$tree" -name '*.tif' 2>/dev/null | wc -l)" != "$files" ]; then
    rm -rf "$tree" "$work/million.txt"
    convert -size 48x48 xc:gray70 xc:white gradient: xc:black -colorspace Gray -depth 8 \
        -compress none "$work/four.tif" 2>/dev/null
    for f in $(seq -w 1 $folders); do
        mkdir -p "$tree/folder$f"
        for i in $(seq -w 1 $((files / folders))); do
            cp "$work/four.tif" "$tree/folder$f/doc$i.tif"
        done
    done
fi
echo "corpus: $files four-page files of $(stat -c %s "$work/four.tif") bytes in $folders folders" >&2

# Each run writes into a new folder and no page file is removed until the end: on ext4 a new
# file skips the inodes of its group freed in the last minutes, which would be timed instead.
runs=$work/runs
rm -rf "$runs"
mkdir -p "$runs"
chattr +T "$runs" 2>/dev/null || true # spread the run folders over the block groups
trap 'rm -rf "$runs"' EXIT
run=0
out=
seconds() { # seconds COMMAND...: the wall time of one run
    sync
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
ratio() { echo "scale=2; $1 / $2" | bc -l; }

# Each tool once to warm the cache, then timed.
ours_r() { "$split" -q -r -j "$1" -o "$out" "$tree"; }
ours_each() {
    (cd "$tree" && find . -name '*.tif' -print0 |
        parallel -0 -j2 --will-cite "$split" -q -o "$out" {})
}
tiffsplit_each() {
    (cd "$tree" && for f in folder*; do mkdir -p "$out/$f"; done &&
        find . -name '*.tif' -print0 | parallel -0 -j2 --will-cite tiffsplit {} "$out/{.}_")
}
timed() { # timed VARIABLE COMMAND...: VARIABLE is the time of one run into a new $out
    run=$((run + 1))
    out=$runs/$run
    mkdir -p "$out"
    local value
    value=$(seconds "${@:2}")
    printf -v "$1" '%s' "$value"
}
timed warm ours_r 2
timed r2 ours_r 2
timed r1 ours_r 1
timed r2b ours_r 2
[ "$(echo "$r2b < $r2" | bc)" = 1 ] && r2=$r2b
pages=$(find "$out" -name '*.tif' | wc -l)
start=$(date +%s.%N)
"$split" -q -r -j 2 --if-exists skip -o "$out" "$tree" # over the last run's pages
skip=$(echo "$(date +%s.%N) - $start" | bc -l)
kept=$(find "$out" -name '*.tif' | wc -l)
timed each ours_each
timed tiffsplit tiffsplit_each

list=$work/million.txt
if [ "$(wc -l 2>/dev/null <"$list" || echo 0)" != 1000000 ]; then
    find "$tree" -name '*.tif' >"$work/tree.txt"
    for _ in $(seq 1 $((1000000 / files))); do cat "$work/tree.txt"; done >"$list"
fi
rss=$( { /usr/bin/time -f '%M' "$split" -q -n --files-from "$list" >/dev/null; } 2>&1 | tail -1)

cat <<TABLE
| figure | value | target |
|---|---|---|
| one -r -j 2 process, $files files ($pages pages) | ${r2} s | |
| one process per file through parallel -j 2 | ${each} s ($(ratio "$each" "$r2") × -r) | ≥ 5 × |
| tiffsplit per file through parallel -j 2 | ${tiffsplit} s ($(ratio "$tiffsplit" "$r2") × -r) | ≥ 10 × |
| -r -j 1 | ${r1} s ($(ratio "$r1" "$r2") × -j 2) | ≥ 1.5 × |
| re-run with --if-exists skip ($kept pages after it) | ${skip} s ($(ratio "$skip" "$r2") of the first run) | ≤ 0.2 |
| peak RSS, --files-from of 1,000,000 lines with -n | $((rss / 1024)) MiB | < 64 MiB |
TABLE
