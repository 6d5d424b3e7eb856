#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once as shipped (and checks the
# Debian package made of that build), once as the Windows build under Wine, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, with each fuzz target run for a minute
# in between.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

jobs=$(nproc)
echo "== Build and test: release"
tools/build.sh
ctest --test-dir build --output-on-failure --parallel "$jobs"

echo "== Build and test: Windows, under Wine"
start=$SECONDS
tools/test-windows.sh
echo "== Windows part: $((SECONDS - start)) s"

echo "== Package: the Debian package of the release build"
(cd build && cpack -G DEB >/dev/null)
tools/check-package.sh build

echo "== Fuzz: each target for 60 s"
tests/fuzz/run.sh 60

echo "== Build and test: address and undefined-behaviour sanitizers"
BUILD_DIR=build-asan tools/build.sh -DCMAKE_BUILD_TYPE=Debug -DPLEXIFOLD_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --label-exclude engines
