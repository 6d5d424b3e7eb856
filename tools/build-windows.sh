#!/usr/bin/env bash
# Cross-builds the Windows programs and their tests into BUILD_DIR (default: build-win)
# with MinGW-w64 and a static runtime; the tests are found and run through Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh windows
dir=${BUILD_DIR:-build-win}
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
WINE_BUILD_DIR=$dir
source tools/wine-env.sh
wine_start
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
