#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when missing.
# With "windows": those of the Windows cross build and of running it under Wine.
set -euo pipefail

if [ "${1:-}" = windows ]; then
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev nlohmann-json3-dev
              wine64 wine fonts-wine nsis zip unzip)
else
    packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
              libtiff-dev libtiff-tools libcli11-dev nlohmann-json3-dev libgtest-dev libssl-dev
              clang libclang-rt-14-dev
              xvfb xdotool openbox x11-utils
              scdoc dpkg-dev file lintian appstream desktop-file-utils)
    # The Windows installer, the portable zip and their check.
    packages+=(nsis zip unzip)
    # The engines that the command line is tested under: GNU parallel and a Slurm cluster.
    packages+=(parallel slurm-wlm munge)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
