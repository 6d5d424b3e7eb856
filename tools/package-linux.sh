#!/usr/bin/env bash
# Builds a Release with Debian's hardening flags into build-deb/ and makes the Debian
# package build-deb/plexifold_1.00-1_amd64.deb, then checks it. Extra CMake options
# are passed on (e.g. -DPLEXIFOLD_HOMEPAGE_URL=... -DPLEXIFOLD_SCREENSHOT_URL=...).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

dir=build-deb
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
BUILD_DIR=$dir tools/build.sh -DCMAKE_BUILD_TYPE=Release -DPLEXIFOLD_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" "$@"
(cd "$dir" && cpack -G DEB)
tools/check-package.sh "$dir"
