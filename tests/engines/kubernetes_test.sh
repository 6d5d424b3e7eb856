#!/usr/bin/env bash
# The Indexed Job of dist/kubernetes runs here as its pods would: its container command,
# taken from the file, once for every completion index, over a small archive mounted at
# /archive and /out by substitution. The pods together must split every file once.
# kubernetes_test.sh PLEXIFOLD_SPLIT JOB_YAML
set -euo pipefail
split=$1 job=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
archive=$work/archive out=$work/out
python3 "$here/make_tree.py" "$archive" 60
(cd "$archive" && find . -type f \( -iname '*.tif' -o -iname '*.tiff' \) >list.txt)
(cd "$archive" && "$split" -q -r -o "$work/reference" .)

# The container's shell command (a folded block under args:) and the completion count.
read -r completions command < <(python3 - "$job" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
completions = re.search(r"^\s*completions:\s*(\d+)", text, re.M).group(1)
block = re.search(r"^(\s*)args:\n\s*- >-\n((?:\1\s+.*\n)+)", text, re.M).group(2)
print(completions, " ".join(line.strip() for line in block.splitlines()))
PY
)
command=${command//\/archive/$archive}
command=${command//\/out/$out}
mkdir -p "$work/bin"
ln -s "$(readlink -f "$split")" "$work/bin/plexifold-split"
for ((index = 0; index < completions; index++)); do
    (cd "$archive" && PATH=$work/bin:$PATH JOB_COMPLETION_INDEX=$index sh -c "$command") ||
        { echo "pod $index failed: $command"; exit 1; }
done
mv "$out/records" "$work/records"
records=$(find "$work/records" -name '*.jsonl' | paste -sd, -)
rm -f "$archive/list.txt"
python3 "$here/check_runs.py" --cover "$archive" "$out" "$work/reference" "$records"
