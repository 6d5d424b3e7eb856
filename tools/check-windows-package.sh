#!/usr/bin/env bash
# Checks what tools/package-windows.sh made in the Windows build folder $1 (default:
# build-win), under a headless Wine with a fresh prefix: the portable zip's files, then
# in both install modes (for the current user; for all users, as Wine's user is an
# administrator) a silent install, its files, Start-menu entry and uninstall key, both
# programs starting, and a silent uninstall that leaves nothing of its own behind.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win}

fail() { echo "check-windows-package: $*" >&2; exit 1; }
say() { echo "check-windows-package: $*"; }

version=$(sed -n 's/^set(PLEXIFOLD_VERSION_TEXT "\(.*\)")$/\1/p' CMakeLists.txt)
setup=$dir/Plexifold-$version-setup.exe
zip=$dir/Plexifold-$version-portable.zip
for f in "$setup" "$zip"; do
    [ -f "$f" ] || fail "$f not found (run tools/package-windows.sh)"
done
shipped="LICENSE.txt
README.txt
plexifold-split.exe
plexifold.exe"

[ "$(unzip -Z1 "$zip" | LC_ALL=C sort)" = "$shipped" ] || fail "$zip does not hold exactly: $shipped"
for exe in plexifold.exe plexifold-split.exe; do
    unzip -p "$zip" "$exe" | cmp -s - "$dir/bin/$exe" || fail "$zip: $exe differs from $dir/bin/"
done
say "$zip holds the programs and texts"
if ! command -v wine >/dev/null; then
    say "wine not installed, skipped: the setup's install, start and uninstall"
    exit 0
fi

WINEPREFIX=$(realpath -m "$dir")/wine-package
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb=""
display_file=$(mktemp)
stop() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    rm -f "$display_file"
}
trap stop EXIT
# The display comes first: Wine's desktop process, started with the prefix, keeps the
# display it was started with.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    [ -s "$display_file" ] || fail "Xvfb did not start"
    DISPLAY=:$(cat "$display_file")
    export DISPLAY
else
    unset DISPLAY
    say "Xvfb or xdotool not installed, skipped: the window's start"
fi

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager every window that closes stalls Wine for seconds.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

unix() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
IFS=';' read -r localappdata appdata programfiles programdata < <(
    wine cmd /c 'echo %LOCALAPPDATA%;%APPDATA%;%ProgramFiles%;%ProgramData%' | tr -d '\r')

# reg_values HIVE: the uninstall key's values as NAME=DATA lines, or nothing.
reg_values() {
    local key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Plexifold'
    wine reg query "$1\\$key" 2>/dev/null | tr -d '\r' |
        sed -n 's/^    \([A-Za-z]*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p'
}

# Runs the uninstaller in LOCATION in place and returns its status when it is done. The
# folder after _?= is taken raw, to the end of the line, so a batch file passes it.
uninstall_in_place() {
    printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$1" "$1" \
        >"$WINEPREFIX/drive_c/uninstall-in-place.bat"
    timeout 60 wine cmd /c 'C:\uninstall-in-place.bat'
}

# check_window LOCATION HIVE SETUP_OPTION: the installed window shows itself under Xvfb
# and stays; while it runs, neither a setup nor an uninstall can report success (the
# uninstall run in place, so that it returns when done, keeps its key); the window
# ends when asked to close.
check_window() {
    [ -n "$xvfb" ] || return 0
    local exe=$1\\plexifold.exe
    timeout 30 wine "$exe" </dev/null >/dev/null 2>&1 &
    local pid=$! found=""
    for _ in $(seq 40); do
        found=$(xdotool search --onlyvisible --name '^Plexifold' 2>/dev/null) && break
        sleep 0.25
    done
    { [ -n "$found" ] && kill -0 "$pid" 2>/dev/null; } || fail "$exe showed no window"
    ! timeout 60 wine "$setup" /S ${3:+"$3"} || fail "a setup over the running $exe reported success"
    ! uninstall_in_place "$1" || fail "an uninstall beside the running $exe reported success"
    [ -n "$(reg_values "$2")" ] || fail "an uninstall beside the running $exe removed its key"
    wine taskkill /im plexifold.exe >/dev/null 2>&1
    wait "$pid" || fail "$exe did not close cleanly (status $?)"
}

# check_install NAME HIVE LOCATION LINK SETUP_OPTION: a silent setup puts exactly the
# zip's files and the uninstaller into LOCATION, the Start-menu entry LINK and the key.
check_install() {
    local name=$1 hive=$2 loc=$3 lnk=$4 inst values
    inst=$(unix "$loc")
    timeout 60 wine "$setup" /S ${5:+"$5"} || fail "$name: the setup failed"
    [ "$(cd "$inst" 2>/dev/null && ls | LC_ALL=C sort)" = "$(printf '%s\nuninstall.exe' "$shipped")" ] ||
        fail "$name: $inst does not hold exactly the shipped files and uninstall.exe"
    while read -r f; do
        unzip -p "$zip" "$f" | cmp -s - "$inst/$f" || fail "$name: the installed $f differs from the zip's"
    done <<<"$shipped"
    [ -f "$lnk" ] || fail "$name: no Start-menu entry $lnk"

    values=$(reg_values "$hive")
    while read -r line; do
        grep -qxF -- "$line" <<<"$values" || fail "$name: $hive's uninstall key lacks $line; it holds:
$values"
    done <<END
DisplayName=Plexifold
DisplayVersion=$version
DisplayIcon=$loc\\plexifold.exe,0
Publisher=The Plexifold developers
InstallLocation=$loc
UninstallString="$loc\\uninstall.exe"
QuietUninstallString="$loc\\uninstall.exe" /S
NoModify=0x1
NoRepair=0x1
END
    grep -qE '^EstimatedSize=0x[0-9a-f]*[1-9a-f]' <<<"$values" || fail "$name: no EstimatedSize"
}

# check_uninstall NAME HIVE LOCATION LINK USER_FILE: the silent uninstall, which runs on
# from a copy of itself after it returns, takes away what the setup made; with USER_FILE,
# a file of the user's in LOCATION, it leaves that file and its folder.
check_uninstall() {
    local name=$1 hive=$2 loc=$3 lnk=$4 user_file=$5 inst
    inst=$(unix "$loc")
    [ -z "$user_file" ] || echo "mine" >"$inst/$user_file"
    wine "$loc\\uninstall.exe" /S
    for _ in $(seq 40); do
        [ ! -e "$inst/uninstall.exe" ] && [ ! -e "$lnk" ] && [ -z "$(reg_values "$hive")" ] && break
        sleep 0.25
    done
    if [ -n "$user_file" ]; then
        [ "$(ls "$inst")" = "$user_file" ] || fail "$name: after the uninstall $inst holds: $(ls "$inst")"
    else
        [ ! -e "$inst" ] || fail "$name: the uninstall left $inst: $(ls "$inst")"
    fi
    [ ! -e "$lnk" ] || fail "$name: the uninstall left $lnk"
    [ -z "$(reg_values "$hive")" ] || fail "$name: the uninstall left $hive's uninstall key"
}

# check_mode NAME HIVE LOCATION START_MENU USER_FILE [SETUP_OPTION]
check_mode() {
    local name=$1 hive=$2 loc=$3 lnk out
    lnk=$(unix "$4")/Plexifold.lnk
    check_install "$name" "$hive" "$loc" "$lnk" "${6:-}"
    out=$(wine "$loc\\plexifold-split.exe" --version | tr -d '\r')
    grep -qw -- "$version" <<<"$out" || fail "$name: plexifold-split.exe --version printed: $out"
    check_window "$loc" "$hive" "${6:-}"
    check_uninstall "$name" "$hive" "$loc" "$lnk" "$5"
    say "$name: installed into $loc, registered in $hive, started, uninstalled"
}

check_mode "current user" HKCU "$localappdata\\Programs\\Plexifold" \
    "$appdata\\Microsoft\\Windows\\Start Menu\\Programs" notes.txt /CurrentUser
check_mode "all users" HKLM "$programfiles\\Plexifold" \
    "$programdata\\Microsoft\\Windows\\Start Menu\\Programs" ""
rm -rf "$WINEPREFIX"
