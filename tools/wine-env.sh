# Sourced by the Windows scripts: a headless Wine with a fresh prefix inside the build
# folder. The Wine server is started before any program, or CTest waits on the services
# the first Wine process leaves behind; it is stopped when the script ends.
# Needs WINE_BUILD_DIR, the Windows build folder.
export WINEPREFIX="$PWD/${WINE_BUILD_DIR:?}/wine"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_start() {
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1 || true # already running for this prefix
    # Keeps the display's own clean-up when xvfb_start came first.
    trap "wineserver -k >/dev/null 2>&1 || true; ${display_cleanup:-}" EXIT
    wine wineboot -i </dev/null >/dev/null 2>&1
    # Wine marks names with a leading dot hidden; Windows does not.
    wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f </dev/null >/dev/null 2>&1
}

# A display of its own for the programs that load the window system: without one, each of
# them waits for X before it starts. openbox keeps window closes from stalling.
xvfb_start() {
    command -v Xvfb >/dev/null || return 0
    local file
    file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$file" 2>/dev/null &
    local xvfb=$!
    for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -1 "$file")"
    rm -f "$file"
    local wm=""
    if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        wm=$!
    fi
    display_cleanup="kill $xvfb $wm 2>/dev/null || true"
    trap "wineserver -k >/dev/null 2>&1 || true; $display_cleanup" EXIT
}
