#!/usr/bin/env bash
# GNU parallel drives plexifold-split over an archive of 2,000 files: stopped with SIGTERM
# mid-run, run again, and the result must be what one process writes.
# parallel_test.sh PLEXIFOLD_SPLIT
set -euo pipefail
split=$1
here=$(cd "$(dirname "$0")" && pwd)
command -v parallel >/dev/null || { echo "GNU parallel is not installed"; exit 77; }

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
archive=$work/archive out=$work/out reference=$work/reference results=$work/results
python3 "$here/make_tree.py" "$archive" 2000
chmod a-w "$archive/Архив/b c" # the archive is read-only; one folder says so
mkdir -p "$results/1" "$results/2"
"$split" -q -r -o "$reference" "$archive"

# Each job keeps its records in a file of its own: parallel loses what it buffers when
# it is stopped.
find "$archive" -type f \( -iname '*.tif' -o -iname '*.tiff' \) -print0 >"$work/list"
job() { echo "'$split' --json --if-exists skip -o '$out' --base '$archive' {} > '$results/$1/{#}.jsonl'"; }

parallel --will-cite -0 -X -j2 "$(job 1)" <"$work/list" &
engine=$!
# SIGTERM once some pages are written, as a scheduler's cancel or time limit sends it.
for _ in $(seq 2000); do
    [ "$(find "$out" -type f 2>/dev/null | head -300 | wc -l)" -ge 300 ] && break
    sleep 0.005
done
kill -TERM "$engine"
status=0
wait "$engine" || status=$?
[ "$status" -ne 0 ] || { echo "the first run ended before it was stopped"; exit 1; }
written=$(find "$out" -type f | wc -l)
echo "first run stopped with status $status after $written page files"

parallel --will-cite -0 -X -j2 "$(job 2)" <"$work/list"
lists() { find "$results/$1" -name '*.jsonl' | paste -sd, -; }
python3 "$here/check_runs.py" "$archive" "$out" "$reference" "$(lists 1)" "$(lists 2)"
