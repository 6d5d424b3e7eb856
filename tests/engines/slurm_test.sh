#!/usr/bin/env bash
# A Slurm job array drives plexifold-split over an archive, each task taking its shard of
# one list: the tasks together split every file once; a task cancelled mid-way and the
# array resubmitted with --if-exists skip leave the set complete.
# slurm_test.sh PLEXIFOLD_SPLIT
set -euo pipefail
split=$1
here=$(cd "$(dirname "$0")" && pwd)
for tool in slurmctld slurmd sbatch scancel munged mungekey; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
[ "$(id -u)" -eq 0 ] || { echo "a cluster of its own needs root"; exit 77; }

work=$(mktemp -d)
chmod 755 "$work" # the cluster's munged runs as munge
cluster=$work/cluster
trap '"$here/slurm_cluster.sh" stop "$cluster"; rm -rf "$work"' EXIT
"$here/slurm_cluster.sh" start "$cluster"
export SLURM_CONF=$cluster/slurm.conf

archive=$work/archive
python3 "$here/make_tree.py" "$archive" 1000 30000
(cd "$archive" && find . -type f \( -iname '*.tif' -o -iname '*.tiff' \) | sort >"$work/list")
(cd "$archive" && "$split" -q -r -o "$work/reference" .)

# array OUT RESULTS [OPTION...]: submits the four tasks and waits for them to end.
array() {
    local out=$1 results=$2
    shift 2
    mkdir -p "$results"
    cat >"$work/job.sh" <<JOB
#!/bin/sh
exec '$split' --files-from '$work/list' --shard "\$SLURM_ARRAY_TASK_ID/\$SLURM_ARRAY_TASK_COUNT" \
    --json -o '$out' $* >'$results/'"\$SLURM_ARRAY_TASK_ID".jsonl
JOB
    sbatch --parsable --array=0-3 --wait --chdir="$archive" --output="$results/slurm-%a.txt" \
        "$work/job.sh" || true
}
lists() { find "$1" -name '*.jsonl' | paste -sd, -; }

array "$work/out" "$work/results" >/dev/null
python3 "$here/check_runs.py" --cover "$archive" "$work/out" "$work/reference" \
    "$(lists "$work/results")"

# The task whose shard holds the long file is cancelled once that file is under way.
task=$(python3 -c '
import sys
h = 0xcbf29ce484222325
for b in "./long.tif".encode():
    h = ((h ^ b) * 0x100000001b3) % 2**64
print(h % 4)')
array "$work/out2" "$work/first" >"$work/job" &
submitted=$!
for _ in $(seq 600); do
    [ -s "$work/job" ] && [ -n "$(find "$work/out2" -name 'long_page_*' 2>/dev/null | head -1)" ] && break
    sleep 0.05
done
scancel "$(head -1 "$work/job")_$task"
wait "$submitted"
pages=$(find "$work/out2" -name 'long_page_*' | wc -l)
[ "$pages" -lt 30000 ] || { echo "the long file was split before the cancel came"; exit 1; }
echo "task $task cancelled after $pages pages of long.tif"

array "$work/out2" "$work/second" --if-exists skip >/dev/null
python3 "$here/check_runs.py" "$archive" "$work/out2" "$work/reference" \
    "$(lists "$work/first")" "$(lists "$work/second")"
