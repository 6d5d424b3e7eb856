#!/usr/bin/env bash
# End-to-end run of the Windows window under Xvfb, openbox and Wine, driven with xdotool:
# the folder stored in the registry is used at start (a run there splits its files), "..."
# takes a folder typed into the browser's edit box, Alt+E runs and ends with a box, the page
# files are on disk, DEFAULT_PATH is read back, and a folder without TIFF files gives the
# warning and leaves nothing to run.
# Usage: tools/test-win32-window.sh [BUILD_DIR]   (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build-win}")
exe=$build/bin/plexifold.exe
for tool in Xvfb openbox xdotool xwininfo wine wineserver winepath tiffinfo python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: the window's end-to-end test needs $tool"
        exit 0
    fi
done
[ -f "$exe" ] || { echo "FAIL: $exe is not built"; exit 1; }

work=$build/window-test
rm -rf "$work/folders" "$work/display"
mkdir -p "$work/folders"
export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_pid=""
openbox_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
        import -window root "$work/failure.png" 2>/dev/null && echo "screen: $work/failure.png"
    fi
    exit 1
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s.
wait_until() {
    local limit=$(($1 * 10)) what=$2
    shift 2
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    fail "timed out waiting for $what"
}

# --- display, window manager, Wine
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
wait_until 10 "Xvfb" test -s "$work/display"
export DISPLAY=":$(head -1 "$work/display")"
openbox >/dev/null 2>&1 &
openbox_pid=$!

mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot -i </dev/null >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# --- folders: one stored at start (a name in other scripts), one to pick, one without TIFFs
start="$work/folders/Überweisungen 2026 日本"
picked="$work/folders/scans"
empty="$work/folders/empty"
mkdir -p "$start" "$picked" "$empty"
# write_tiff FILE PAGES: an uncompressed 8-bit grey TIFF, each page 16 x 8 of its own shade.
write_tiff() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
path, pages = sys.argv[1], int(sys.argv[2])
width, height = 16, 8
out = bytearray(b"II*\0\0\0\0\0")
link = 4  # where the offset of the next page goes
for page in range(pages):
    strip = len(out)
    out += bytes([page * 20 % 256]) * (width * height)
    struct.pack_into("<I", out, link, len(out))
    tags = [(256, 3, width), (257, 3, height), (258, 3, 8), (259, 3, 1), (262, 3, 1),
            (273, 4, strip), (277, 3, 1), (278, 3, height), (279, 4, width * height)]
    out += struct.pack("<H", len(tags))
    for tag, kind, value in tags:
        field = struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value)
        out += struct.pack("<HHI", tag, kind, 1) + field
    link = len(out)
    out += b"\0\0\0\0"
open(path, "wb").write(out)
PY
}
write_tiff "$start/doc.tif" 2
write_tiff "$picked/a.tif" 3
write_tiff "$picked/B.TIFF" 10
echo "not an image" >"$picked/notes.txt"
echo "not an image" >"$empty/notes.txt"

windows_path() { winepath -w "$1" 2>/dev/null; }
# The folders are drive T: too, a short path to type.
ln -sfn "$work/folders" "$WINEPREFIX/dosdevices/t:"
# DEFAULT_PATH as `wine reg` exports it: the query prints through the console's code page,
# an export keeps every character.
stored_path() {
    rm -f "$work/stored.reg"
    wine reg export 'HKCU\SOFTWARE\Plexifold' "$(windows_path "$work/stored.reg")" /y \
        </dev/null >/dev/null 2>&1 || return 0
    python3 - "$work/stored.reg" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
found = re.search(r'^"DEFAULT_PATH"="(.*)"\r?$', text, re.M)
print(found.group(1).replace("\\\\", "\\") if found else "")
PY
}
# The stored folder goes in through a .reg file, which keeps its name whatever the locale.
python3 - "$work/start.reg" "$(windows_path "$start")" <<'PY'
import sys
path, folder = sys.argv[1], sys.argv[2].replace("\\", "\\\\")
text = f'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Plexifold]\r\n"DEFAULT_PATH"="{folder}"\r\n'
open(path, "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PY
wine regedit /S "$(windows_path "$work/start.reg")" </dev/null >/dev/null 2>&1
[ "$(stored_path)" = "$(windows_path "$start")" ] || fail "the start folder was not stored"

# --- the window
# Wine draws the frames as Windows does; the title bar and the buttons are then at known
# places of each window. Boxes are closed with the mouse: a key that closes a box leaves
# its release to the next dialog, which then closes at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
visible_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
# geometry WINDOW: sets x, y, width and height of the window with its frame.
geometry() {
    local info
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/.*Width: *//p' <<<"$info")
    height=$(sed -n 's/.*Height: *//p' <<<"$info")
}
click_at() { xdotool mousemove "$1" "$2" click 1; }
main=""
find_main() {
    main=$(visible_named Plexifold | head -1)
    [ -n "$main" ]
}
# A message box bears the title "Plexifold" too: it is the other window of that name.
box() { visible_named Plexifold | grep -v -x "$main" | head -1; }
has_box() { [ -n "$(box)" ]; }
no_box() { [ -z "$(box)" ]; }
click_box_ok() {
    local window
    window=$(box)
    [ -n "$window" ] || return 0
    geometry "$window" 2>/dev/null || return 1
    click_at $((x + width / 2)) $((y + height - 25))
    sleep 0.3
    no_box
}
close_box() { wait_until 10 "the message box to close" click_box_ok; }
activate_main() {
    geometry "$main"
    click_at $((x + 60)) $((y + 10)) # its title bar
}
press_execute() {
    activate_main
    xdotool key --window "$main" alt+e
}
# Clicks at a point of the main window's client area (313 x 73 at 96 DPI).
click_client() {
    geometry "$main"
    local border=$(((width - 313) / 2))
    click_at $((x + border + $1)) $((y + height - 73 - border + $2))
}
browser() { visible_named 'Browse for Folder' | head -1; }
has_browser() { [ -n "$(browser)" ]; }
no_browser() { [ -z "$(browser)" ]; }
# pick_folder WINDOWS_PATH: "...", the path typed into the browser's edit box, OK.
pick_folder() {
    click_client 292 17 # "..."
    wait_until 10 "the folder browser" has_browser
    local dialog
    dialog=$(browser)
    geometry "$dialog"
    click_at $((x + width - 135)) $((y + height - 58)) # the edit box
    xdotool key End shift+Home # the dialog has the focus: real keys
    xdotool type --delay 20 "$1"
    sleep 1 # Wine takes the typed keys in a while after xdotool has sent them
    click_at $((x + width - 133)) $((y + height - 22)) # OK
    wait_until 10 "the folder browser to close" no_browser
}
page_count() { tiffinfo "$1" 2>/dev/null | grep -c '^TIFF Directory'; }
# check_pages FOLDER BASE EXT COUNT: every page file holds one page, as libtiff reads it.
check_pages() {
    local digits=${#4} page file
    for ((page = 1; page <= $4; page++)); do
        file=$(printf "%s/%s_page_%0${digits}d.%s" "$1" "$2" "$page" "$3")
        [ -f "$file" ] || fail "missing page file $file"
        [ "$(page_count "$file")" = 1 ] || fail "$file does not hold exactly one page"
    done
}

# The window's own tests skip without a display; here they have one.
if [ -f "$build/bin/Win32WindowTest.exe" ]; then
    echo "-- the window's layout, states, progress and posted tasks"
    wine "$build/bin/Win32WindowTest.exe" --gtest_brief=1 </dev/null || fail "Win32WindowTest"
fi

wine "$exe" </dev/null >/dev/null 2>&1 &
app_pid=$!
wait_until 20 "the window" find_main

echo "-- the folder stored at start is the one a run splits"
press_execute
wait_until 30 "the box at the end of the run" has_box
check_pages "$start" doc tif 2
close_box
[ "$(stored_path)" = "$(windows_path "$start")" ] || fail "DEFAULT_PATH is not the start folder"

echo "-- \"...\", a folder typed into the browser, Alt+E"
pick_folder "T:\\scans"
press_execute
wait_until 30 "the box at the end of the run" has_box
check_pages "$picked" a tif 3
check_pages "$picked" B TIFF 10
close_box
[ "$(stored_path)" = 'T:\scans' ] || fail "DEFAULT_PATH is not the picked folder: $(stored_path)"

echo "-- a folder without TIFF files: the warning, then nothing to run"
pick_folder "T:\\empty"
wait_until 10 "the warning" has_box
close_box
press_execute
sleep 1
no_box || fail "a run started without TIFF files"
[ "$(stored_path)" = 'T:\scans' ] || fail "DEFAULT_PATH changed without a run"

echo "-- closing the window ends the program"
geometry "$main"
click_at $((x + width - 12)) $((y + 11)) # the close box
wait_until 10 "the program to end" bash -c "! kill -0 $app_pid 2>/dev/null"
wait "$app_pid" || fail "the program ended with status $?"
echo "PASS: the window's end-to-end run"
