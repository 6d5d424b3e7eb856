#!/usr/bin/env bash
# Installs what is missing, builds and starts Plexifold.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/build.sh
if [ -x build/bin/plexifold ]; then
    exec build/bin/plexifold
fi
exec build/bin/plexifold-split --help
