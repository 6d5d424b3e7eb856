#!/usr/bin/env bash
# Builds the Windows programs (tools/build-windows.sh) and packs them into
# $BUILD_WIN/Plexifold-VERSION-setup.exe (NSIS) and $BUILD_WIN/Plexifold-VERSION-portable.zip.
# BUILD_WIN is the Windows build folder (default: build-win); its bin/ holds the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_WIN:-build-win}
tools/deps.sh windows

if [ -x tools/build-windows.sh ]; then
    BUILD_DIR=$dir tools/build-windows.sh
else
    echo "package-windows: tools/build-windows.sh missing; packing the programs in $dir/bin as they are"
fi

version=$(sed -n 's/^set(PLEXIFOLD_VERSION_TEXT "\(.*\)")$/\1/p' CMakeLists.txt)
[[ $version =~ ^([0-9]+)\.([0-9]+)$ ]] || { echo "package-windows: no version in CMakeLists.txt" >&2; exit 1; }
file_version="${BASH_REMATCH[1]}.$((10#${BASH_REMATCH[2]})).0.0"

# The files to ship, with Windows line ends on the texts.
stage=$dir/package
rm -rf "$stage"
mkdir -p "$stage"
cp "$dir/bin/plexifold.exe" "$dir/bin/plexifold-split.exe" "$stage/"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' dist/win/README.txt >"$stage/README.txt"

# The setup wears the program's icon once there is one; NSIS's own until then.
icon=()
[ ! -f dist/icons/plexifold.ico ] || icon=(-DICON="$(realpath dist/icons/plexifold.ico)")

setup=$dir/Plexifold-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFILE_VERSION="$file_version" \
    -DFILES="$(realpath "$stage")" -DOUTFILE="$(realpath -m "$setup")" "${icon[@]}" \
    dist/win/installer.nsi

zip=$dir/Plexifold-$version-portable.zip
rm -f "$zip"
zip -q -X -j -9 "$zip" "$stage"/{plexifold.exe,plexifold-split.exe,LICENSE.txt,README.txt}
echo "package-windows: $setup, $zip"
