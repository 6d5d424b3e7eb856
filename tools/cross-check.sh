#!/usr/bin/env bash
# Splits the fixture set with the Linux command line and, under Wine, with the Windows
# one, both with --verify and --checksums, and fails unless both exit alike and write
# byte-identical page files and manifests, and their --check of them prints the same
# (paths apart). Then runs
# the Windows program on a folder named in other scripts and on a file deeper than 260
# characters, and with the options for archives (--files-from, -o, --pages, --name, --json).
# The fixtures are the fuzz seed corpus (both byte orders, BigTIFF, EXIF,
# GPS, ICC, XMP, SubIFDs, old-style JPEG, looping chains) and a file whose second page
# fails. The caller sets Wine up (tools/wine-env.sh).
# Usage: tools/cross-check.sh LINUX_PLEXIFOLD_SPLIT WINDOWS_PLEXIFOLD_SPLIT_EXE
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
seeds=$(dirname "$linux")/fuzz_seeds
work=$(mktemp -d "${TMPDIR:-/tmp}/plexifold-cross-XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 # Wine passes the arguments on in the locale's character set

"$seeds" "$work/fixtures" >/dev/null
# The second page's first strip moved past the end of the file.
python3 - "$work/fixtures/none-le.tif" "$work/fixtures/second-page-fails.tif" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
first = struct.unpack_from('<I', data, 4)[0]
second = struct.unpack_from('<I', data, first + 2 + 12 * struct.unpack_from('<H', data, first)[0])[0]
for i in range(struct.unpack_from('<H', data, second)[0]):
    entry = second + 2 + 12 * i
    tag, kind, count, value = struct.unpack_from('<HHII', data, entry)
    if tag == 273:
        width = 2 if kind == 3 else 4
        struct.pack_into('<H' if width == 2 else '<I', data,
                         entry + 8 if count * width <= 4 else value, 0xFFF0 if width == 2 else 0x7FFFFFF0)
open(sys.argv[2], 'wb').write(data)
PY

run() { # run PROGRAM ARGS...: the exit status, stderr kept in $work/stderr
    local status=0
    (cd "$work" && "$@") >/dev/null 2>"$work/stderr" || status=$?
    echo "$status"
}

failed=0
cp -r "$work/fixtures" "$work/linux"
cp -r "$work/fixtures" "$work/windows"
linux_status=$(run "$linux" -q --verify --checksums linux/manifest-sha256.txt linux)
windows_status=$(run wine "$windows" -q --verify --checksums windows/manifest-sha256.txt windows)
echo "cross-check: $(ls "$work/fixtures" | wc -l) fixtures, $(ls "$work/linux" | wc -l) files" \
    "after the Linux run; exit status Linux $linux_status, Windows $windows_status"
if [ "$linux_status" != "$windows_status" ]; then
    echo "cross-check: the exit statuses differ" >&2
    failed=1
fi
if ! diff -r "$work/linux" "$work/windows" >&2; then
    echo "cross-check: the page files differ" >&2
    failed=1
fi

# checked PROGRAM... FOLDER: what --check prints of FOLDER, paths from FOLDER on, and its status.
checked() {
    local folder=${*: -1} status=0
    (cd "$work" && "${@:1:$#-1}" --check --checksums "$folder/manifest-sha256.txt" "$folder") \
        >"$work/checked-$folder" 2>&1 || status=$?
    tr -d '\r' <"$work/checked-$folder" | tr '\\' / | sed -E "s#[^ ]*$folder/##g" | sort
    echo "exit status $status"
}
if ! diff <(checked "$linux" linux) <(checked wine "$windows" windows) >&2; then
    echo "cross-check: --check of the page files prints differently" >&2
    failed=1
fi

# pages_match FOLDER: FOLDER holds none-le.tif's page files, equal to the Linux ones.
pages_match() {
    local found=0 page
    for page in "$work"/linux/none-le_page_*.tif; do
        cmp -s "$page" "$1/$(basename "$page")" || return 1
        found=$((found + 1))
    done
    [ "$found" -gt 0 ]
}

named="$work/Überweisungen 2026 日本"
mkdir "$named"
cp "$work/fixtures/none-le.tif" "$named/"
status=$(run wine "$windows" -q "Überweisungen 2026 日本")
if [ "$status" != 0 ] || ! pages_match "$named"; then
    echo "cross-check: a folder named in other scripts: exit status $status" >&2
    cat "$work/stderr" >&2
    failed=1
fi

deep="$work/deep"
while [ ${#deep} -le 300 ]; do deep="$deep/$(printf '%.0sd' {1..60})"; done
mkdir -p "$deep"
cp "$work/fixtures/none-le.tif" "$deep/"
status=$(run wine "$windows" -q "${deep#"$work/"}/none-le.tif")
if [ "$status" != 0 ] || ! pages_match "$deep"; then
    echo "cross-check: a file deeper than 260 characters: exit status $status" >&2
    cat "$work/stderr" >&2
    failed=1
fi
# The options for archives: a UTF-8 list, pages mirrored under an output folder, a page list
# and a name template, results as JSON; the same pages and the same records (but for the
# time and the separators) from both.
(cd "$work" && ls fixtures/*.tif && echo "Überweisungen 2026 日本/none-le.tif") >"$work/list.txt"
archive_run() { # archive_run OUT PROGRAM...: the exit status, the records in $work/OUT.jsonl
    local out=$1 status=0
    shift
    (cd "$work" && "$@" --json --files-from list.txt -o "$out" --pages 1,-1 \
        --name '{stem}-{page}.{ext}' >"$out.jsonl") 2>"$work/stderr" || status=$?
    jq -c 'del(.seconds) | walk(if type == "string" then gsub("\\\\"; "/") else . end)' \
        "$work/$out.jsonl" | sed "s|\"$out/|\"OUT/|g" >"$work/$out.records"
    echo "$status"
}
linux_status=$(archive_run out-linux "$linux")
windows_status=$(archive_run out-windows wine "$windows")
if [ "$linux_status" != "$windows_status" ] || ! diff -r "$work/out-linux" "$work/out-windows" >&2 ||
    ! diff "$work/out-linux.records" "$work/out-windows.records" >&2; then
    echo "cross-check: the archive options differ: exit status Linux $linux_status, Windows $windows_status" >&2
    failed=1
else
    echo "cross-check: the archive options: $(wc -l <"$work/out-linux.records") records and" \
        "$(find "$work/out-linux" -type f | wc -l) page files alike"
fi
exit "$failed"
