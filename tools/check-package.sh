#!/usr/bin/env bash
# Checks the Debian package that cpack made in the build folder $1 (default: build):
# its file list, the desktop entry and AppStream file it ships, lintian's verdict, and
# that the manual page names every option and exit status of `plexifold-split --help`.
# A check whose tool is not installed is skipped with a note.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

have() { command -v "$1" >/dev/null || { echo "check-package: $1 not installed, skipped: $2"; false; }; }
fail() { echo "check-package: $*" >&2; exit 1; }

have dpkg-deb "the whole package check" || exit 0
deb=$dir/plexifold_1.00-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "$deb not found (run cpack -G DEB in $dir)"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

expected="usr/bin/plexifold
usr/bin/plexifold-split
usr/share/applications/org.plexifold.Plexifold.desktop
usr/share/doc/plexifold/changelog.Debian.gz
usr/share/doc/plexifold/copyright
usr/share/icons/hicolor/16x16/apps/org.plexifold.Plexifold.png
usr/share/icons/hicolor/32x32/apps/org.plexifold.Plexifold.png
usr/share/icons/hicolor/scalable/apps/org.plexifold.Plexifold.svg
usr/share/lintian/overrides/plexifold
usr/share/man/man1/plexifold-split.1.gz
usr/share/man/man1/plexifold.1.gz
usr/share/metainfo/org.plexifold.Plexifold.metainfo.xml"
actual=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
diff <(echo "$expected") <(echo "$actual") >&2 || fail "the package's files differ from the list above (< expected, > packed)"
echo "check-package: $deb holds the expected $(echo "$actual" | wc -l) files"

if have desktop-file-validate "the desktop entry"; then
    desktop-file-validate "$root"/usr/share/applications/*.desktop
fi
if have appstreamcli "the AppStream file"; then
    appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml
fi
if have lintian "lintian's verdict"; then
    lintian --fail-on error,warning "$deb" || fail "lintian reports the tags above"
fi

# Each option and exit status of the usage text is a heading of the manual page.
help=$("$root/usr/bin/plexifold-split" --help)
page=$(gzip -dc "$root/usr/share/man/man1/plexifold-split.1.gz")
items=$(grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[ ,]//' | sort -u)
items+=" $(sed -n 's/^Exit status: //p' <<<"$help" | grep -oE '[0-9]+ ' | tr -d ' ')"
for item in $items; do
    grep -qF "\\fB$item\\fR" <<<"$page" || fail "the manual page does not describe '$item' of --help"
done
echo "check-package: the manual page describes every option and exit status of --help"
