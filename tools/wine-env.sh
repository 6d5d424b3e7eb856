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
    wineserver -p </dev/null >/dev/null 2>&1
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    wine wineboot -i </dev/null >/dev/null 2>&1
    # Wine marks names with a leading dot hidden; Windows does not.
    wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f </dev/null >/dev/null 2>&1
}
