#!/usr/bin/env bash
# Splits a file of 100,000 pages with plexifold-split and checks that its peak memory
# stays under 64 MiB and that every page is written. Too slow for the test suite
# (tens of seconds), so it lives here. Usage: bench/many_pages.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
cmake --build "$dir" --target resource_tests plexifold-split >/dev/null
/usr/bin/time -f "%e s wall, %M KiB peak (test process)" "$dir/bin/resource_tests" \
    --gtest_also_run_disabled_tests --gtest_filter='ResourceBounds.DISABLED_*'
