#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/, writes the seed corpus and
# runs each target for SECONDS. Fails when a target breaks a guarantee; the input
# that did is kept under build-fuzz/fuzz/<target>/findings/.
# Usage: tests/fuzz/run.sh SECONDS [libFuzzer options, e.g. -jobs=1] [more seed folders]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:?usage: tests/fuzz/run.sh SECONDS [libFuzzer options]}
shift

dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLEXIFOLD_FUZZ=ON -DPLEXIFOLD_BUILD_APP=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target fuzz_seeds fuzz_load_save fuzz_round_trip \
    >/dev/null

work=$dir/fuzz
# libtiff keeps what registering the fixtures' private tags allocates: not ours to free.
ASAN_OPTIONS=detect_leaks=0 "$dir/bin/fuzz_seeds" "$work/seeds" >/dev/null
# Scratch files of each input go to memory when it can.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

status=0
for target in fuzz_load_save fuzz_round_trip; do
    mkdir -p "$work/$target/corpus" "$work/$target/findings"
    echo "== $target: $seconds s"
    # New inputs go to the first folder. The limits hold whatever the copier may write: page files are
    # compared a block at a time, its own allocations stay under a few MiB for inputs
    # of this size, and the pages of one input add up to at most 4 x it + 64 MiB.
    if ! "$dir/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=64 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$work/$target/findings/" \
        "$work/$target/corpus" "$work/seeds" "$@" 2>"$work/$target/log"; then
        status=1
        tail -n 60 "$work/$target/log"
        echo "== $target broke a guarantee: see $work/$target/findings/" >&2
    else
        grep -E '^(#[0-9]+.*DONE|stat::)' "$work/$target/log" || tail -n 5 "$work/$target/log"
    fi
done
exit $status
