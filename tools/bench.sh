#!/usr/bin/env bash
# Builds Release into build-release/ and runs the split benchmark; options go to
# bench/run.py (--runs N, --items fax,scan,lzw,tiled,many, --corpus DIR, ...). With
# --windows it also cross-builds plexifold-split.exe into build-win/ and times it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --parallel "$(nproc)" --target plexifold-split make_corpus window_run >&2
if [[ " $* " == *" --windows "* ]]; then
    BUILD_DIR=build-win tools/build-windows.sh >&2
fi
exec python3 bench/run.py --build build-release "$@"
