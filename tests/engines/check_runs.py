#!/usr/bin/env python3
"""Checks what the engine tests' runs left behind.

check_runs.py ARCHIVE OUT REFERENCE FIRST_RECORDS SECOND_RECORDS
  The page files under OUT are exactly those under REFERENCE, byte for byte; no temporary
  file is left under ARCHIVE or OUT; the records of the first (stopped) run and the second
  run together name every source: once in the second run as split or skipped, and each
  skipped source as split in the first.
check_runs.py --cover ARCHIVE OUT REFERENCE RECORDS...
  The records together name every source exactly once, as split.
Record files are JSON Lines, several given as one comma-separated argument.
"""
import filecmp
import json
import os
import sys


def fail(message):
    print("check_runs: " + message, file=sys.stderr)
    sys.exit(1)


def files_under(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def sources(archive):
    return {os.path.join(archive, name) for name in files_under(archive)}


def records(argument, base):
    """The records per source path of comma-separated JSON Lines files; a relative path is
    taken from `base`."""
    result = {}
    for path in filter(None, argument.split(",")):
        with open(path, encoding="utf-8") as lines:
            for line in lines:
                record = json.loads(line)
                if record.get("type") == "summary":
                    continue
                path = os.path.normpath(os.path.join(base, record["path"]))
                result.setdefault(path, []).append(record["status"])
    return result


def check_pages(archive, out, reference):
    for root in (archive, out):
        hidden = [name for name in files_under(root) if os.path.basename(name).startswith(".")]
        if hidden:
            fail("temporary files left under %s: %s" % (root, hidden[:3]))
    got, want = files_under(out), files_under(reference)
    if got != want:
        fail("page files differ: %d missing, %d extra, e.g. %s" %
             (len(want - got), len(got - want), sorted(want ^ got)[:3]))
    differ = [n for n in want if not filecmp.cmp(os.path.join(out, n),
                                                 os.path.join(reference, n), shallow=False)]
    if differ:
        fail("%d page files differ from the one-process run, e.g. %s" % (len(differ), differ[0]))
    return len(want)


def main():
    if sys.argv[1] == "--cover":
        archive, out, reference, *lists = sys.argv[2:]
        pages = check_pages(archive, out, reference)
        seen = records(",".join(lists), archive)
        expected = {os.path.normpath(s) for s in sources(archive)}
        if set(seen) != expected:
            fail("records name %d sources of %d" % (len(set(seen) & expected), len(expected)))
        wrong = [s for s, statuses in seen.items() if statuses != ["split"]]
        if wrong:
            fail("not split exactly once: %s %s" % (wrong[0], seen[wrong[0]]))
    else:
        archive, out, reference, first, second = sys.argv[1:]
        pages = check_pages(archive, out, reference)
        before, after = records(first, archive), records(second, archive)
        for source in sorted(os.path.normpath(s) for s in sources(archive)):
            if len(after.get(source, [])) != 1 or after[source][0] not in ("split", "skipped"):
                fail("second run: %s has %s" % (source, after.get(source)))
            if len(before.get(source, [])) > 1:
                fail("first run: %s has %s" % (source, before[source]))
            if after[source][0] == "skipped" and before.get(source) != ["split"]:
                fail("%s skipped without having been split" % source)
    print("check_runs: %d page files as one process writes them" % pages)


if __name__ == "__main__":
    main()
