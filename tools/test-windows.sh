#!/usr/bin/env bash
# Cross-builds the Windows programs into build-win/ and runs, under a headless Wine, the
# tests that need no libtiff (the window's own under a display of their own), the command
# line's cross-check against the Linux build in build/ when both programs are there, the
# window's end-to-end run, and the setup and portable zip made and installed.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-win
tools/build-windows.sh

WINE_BUILD_DIR=$BUILD_DIR
source tools/wine-env.sh
xvfb_start
wine_start
for exe in "$BUILD_DIR"/bin/*.exe; do
    if x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name' |
        grep -viqE 'DLL Name: (kernel32|msvcrt|user32|gdi32|comctl32|comdlg32|shell32|ole32|advapi32|uxtheme|shlwapi|bcrypt)\.dll'; then
        echo "$exe imports more than Windows' own libraries:" >&2
        x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name' >&2
        exit 1
    fi
done
ctest --test-dir "$BUILD_DIR" --output-on-failure
if [ -x build/bin/plexifold-split ] && [ -f "$BUILD_DIR/bin/plexifold-split.exe" ]; then
    tools/cross-check.sh build/bin/plexifold-split "$BUILD_DIR/bin/plexifold-split.exe"
fi
tools/test-win32-window.sh "$BUILD_DIR"
BUILD_WIN=$BUILD_DIR tools/package-windows.sh
tools/check-windows-package.sh "$BUILD_DIR"
