#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default: build) with any extra CMake options.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
