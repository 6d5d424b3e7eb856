#!/usr/bin/env python3
"""Times plexifold-split the way an archive runs it: over a tree of 20,000 small four-page
files in 40 folders.

- one `plexifold-split -r` process against one process a file through GNU parallel, and
  against libtiff's tiffsplit a file through GNU parallel, all at the same -j;
- `-j 2` against `-j 1` (warm cache);
- a re-run with `--if-exists skip` over the finished tree against the first run;
- the peak resident memory of `--files-from` with a list of one million lines and `-n`.

python3 bench/archive.py --build build-release [--runs 3] [--tree DIR]
Prints a Markdown table; progress goes to stderr. Not a test.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
FOLDERS, PER_FOLDER, PAGES = 40, 500, 4


def say(text):
    print(text, file=sys.stderr, flush=True)


def make_tree(root):
    """20,000 four-page files in 40 folders, each page its own bytes; kept between runs."""
    marker = root / ".made"
    if marker.exists():
        return
    sys.path.insert(0, str(REPO / "tests" / "engines"))
    import make_tree as maker  # noqa: E402  the engine tests' writer of small TIFF files
    import random

    rng = random.Random(20000)
    for folder in range(FOLDERS):
        path = root / ("box %02d" % folder)
        path.mkdir(parents=True, exist_ok=True)
        for index in range(PER_FOLDER):
            (path / ("file %03d.tif" % index)).write_bytes(maker.tiff(PAGES, rng))
    marker.touch()


def timed(command, cwd=None, stdin=None):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, stdin=stdin, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, shell=isinstance(command, str))
    return time.perf_counter() - start


def peak_rss_mib(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1]) / 1024


class Runs:
    """Each way of splitting into a fresh output folder; the median of `runs` rounds."""

    def __init__(self, split, tree, scratch):
        self.split, self.tree, self.scratch = split, tree, scratch
        self.list = scratch / "list"
        with open(self.list, "wb") as out:
            subprocess.run(["find", str(tree), "-name", "*.tif", "-print0"], stdout=out, check=True)

    def fresh(self):
        out = self.scratch / "out"
        shutil.rmtree(out, ignore_errors=True)
        subprocess.run(["sync"], check=True)
        return out

    def ours_recursive(self, jobs):
        out = self.fresh()
        return timed([self.split, "-q", "-r", "-j", str(jobs), "-o", out, self.tree])

    def ours_per_file(self, jobs):
        out = self.fresh()
        command = "parallel --will-cite -0 -j%d '%s' -q -o '%s' --base '%s' {} < '%s'" % (
            jobs, self.split, out, self.tree, self.list)
        return timed(command)

    def tiffsplit_per_file(self, jobs):
        out = self.fresh()
        pairs = self.scratch / "pairs"  # source, then the prefix of its pages in the mirror
        with open(pairs, "wb") as file:
            for source in sorted(self.tree.rglob("*.tif")):
                prefix = out / source.relative_to(self.tree).with_suffix("")
                prefix.parent.mkdir(parents=True, exist_ok=True)
                file.write(bytes(source) + b"\0" + bytes(prefix) + b"_\0")
        command = "parallel --will-cite -0 -N2 -j%d tiffsplit {1} {2} < '%s'" % (jobs, pairs)
        return timed(command)

    def rerun_skip(self):
        out = self.scratch / "out"
        return timed([self.split, "-q", "-r", "--if-exists", "skip", "-o", out, self.tree])


def median(runs, measure):
    return statistics.median(measure() for _ in range(runs))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build-release")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--tree", default=None)
    options = parser.parse_args()
    split = (REPO / options.build / "bin" / "plexifold-split").resolve()
    tree = Path(options.tree or REPO / options.build / "bench-archive").resolve()
    make_tree(tree)
    with tempfile.TemporaryDirectory(dir=tree.parent) as scratch:
        runs = Runs(split, tree, Path(scratch))
        say("warming the cache")
        runs.ours_recursive(2)
        figures = {}
        for name, measure in [
            ("ours -r -j2, one process", lambda: runs.ours_recursive(2)),
            ("ours -r -j1, one process", lambda: runs.ours_recursive(1)),
            ("ours through parallel -j2, one process a file", lambda: runs.ours_per_file(2)),
            ("tiffsplit through parallel -j2, one process a file",
             lambda: runs.tiffsplit_per_file(2)),
        ]:
            say("timing " + name)
            figures[name] = median(options.runs, measure)
        runs.ours_recursive(2)
        say("timing the re-run with --if-exists skip")
        first = figures["ours -r -j2, one process"]
        skip = median(options.runs, runs.rerun_skip)
        say("peak memory of --files-from with a million lines")
        million = Path(scratch) / "million"
        with open(runs.list, "rb") as source:
            names = source.read()
        with open(million, "wb") as out:
            for _ in range(1_000_000 // (FOLDERS * PER_FOLDER)):
                out.write(names)
        rss = peak_rss_mib([str(split), "-q", "-n", "-0", "--files-from", str(million),
                            "-o", str(Path(scratch) / "out"), "--base", str(tree)])

    ours = figures["ours -r -j2, one process"]
    print("| way (%d files of %d pages in %d folders) | median s |" %
          (FOLDERS * PER_FOLDER, PAGES, FOLDERS))
    print("|---|--:|")
    for name, seconds in figures.items():
        print("| %s | %.2f |" % (name, seconds))
    print("| ours -r --if-exists skip over the finished tree | %.2f |" % skip)
    print()
    print("| figure | measured | target |")
    print("|---|--:|--:|")
    print("| per-file parallel / -r | %.1f × | ≥ 5 × |" %
          (figures["ours through parallel -j2, one process a file"] / ours))
    print("| tiffsplit per file / -r | %.1f × | ≥ 10 × |" %
          (figures["tiffsplit through parallel -j2, one process a file"] / ours))
    print("| -j1 / -j2 | %.2f × | ≥ 1.5 × |" % (figures["ours -r -j1, one process"] / ours))
    print("| skip re-run / first run | %.2f × | ≤ 0.2 × |" % (skip / first))
    print("| peak RSS, --files-from of 1,000,000 lines, -n | %.1f MiB | < 64 MiB |" % rss)


if __name__ == "__main__":
    main()
