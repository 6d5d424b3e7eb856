#!/usr/bin/env python3
"""Times plexifold-split against libtiff's tiffsplit and against cp of the same bytes.

Builds the corpus when needed (make_corpus), then for each item runs the tools
interleaved, each into a fresh folder on the corpus's file system, and prints a
Markdown table of median wall times, paired ratios and peak resident memory.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import report
import tools
import verify
import window
import windows

REPO = Path(__file__).resolve().parent.parent


class Item:
    """One entry of the corpus: a multipage file, or a folder of them."""

    def __init__(self, name, source, files, pages_per_file):
        self.name = name
        self.source = source  # file or folder name in the corpus
        self.files = files
        self.pages_per_file = pages_per_file

    @property
    def is_folder(self):
        return not self.source.endswith(".tif")

    @property
    def pages(self):
        return self.files * self.pages_per_file


ITEMS = [
    Item("fax", "fax.tif", 1, 300),
    Item("scan", "scan.tif", 1, 30),
    Item("lzw", "lzw.tif", 1, 40),
    Item("tiled", "tiled.tif", 1, 20),
    Item("many", "many", 400, 4),
]


def log(text):
    print(text, file=sys.stderr, flush=True)


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build", help="build folder with bin/ (default: build)")
    parser.add_argument("--corpus", help="corpus folder (default: BUILD/bench-corpus)")
    parser.add_argument("--runs", type=int, default=5,
                        help="at least this many timed runs per tool; small items get more, "
                        "up to 30 (default: 5)")
    parser.add_argument("--items", default=",".join(i.name for i in ITEMS),
                        help="comma-separated items (default: all)")
    parser.add_argument("--tools", default="ours,tiffsplit,cp",
                        help="comma-separated tools (default: ours,tiffsplit,cp)")
    parser.add_argument("--no-spread", action="store_true",
                        help="keep run folders beside each other instead of spreading them over "
                        "the file system (chattr +T)")
    parser.add_argument("--no-pixel-check", action="store_true",
                        help="skip comparing our pages with tiffsplit's")
    parser.add_argument("--window", action="store_true",
                        help="also time the window's batch run on many/ against the command line")
    parser.add_argument("--windows", action="store_true",
                        help="also time plexifold-split.exe under Wine on many/ against the "
                        "Linux command line")
    parser.add_argument("--verify", action="store_true",
                        help="time --verify and --check against a plain split instead of the "
                        "tools (use with --items scan,many)")
    parser.add_argument("--windows-build", default="build-win",
                        help="the Windows build folder (default: build-win)")
    args = parser.parse_args()
    args.windows_build = (REPO / args.windows_build).resolve()
    build = (REPO / args.build).resolve()
    args.bin = build / "bin"
    args.corpus = Path(args.corpus).resolve() if args.corpus else build / "bench-corpus"
    names = {i.name: i for i in ITEMS}
    unknown = [n for n in args.items.split(",") if n not in names]
    unknown += [n for n in args.tools.split(",") if n not in ("ours", "tiffsplit", "cp")]
    if unknown or args.runs < 1:
        parser.error(f"unknown items or tools: {unknown}" if unknown else "--runs must be at least 1")
    args.items = [names[n] for n in args.items.split(",")]
    return args


def build_corpus(args):
    maker = args.bin / "make_corpus"
    if not maker.exists():
        sys.exit(f"{maker} is missing: build the project first (see bench/README.md)")
    start = time.perf_counter()
    result = subprocess.run([maker, args.corpus] + [i.name for i in args.items],
                            stdout=subprocess.PIPE, text=True)
    took = time.perf_counter() - start
    log(result.stdout.rstrip())
    if result.returncode != 0:
        sys.exit("make_corpus failed")
    size = sum(report.size_of(args.corpus / i.source) for i in args.items)
    return took, size


def fresh_copy(item, corpus, work, label):
    """A new folder holding hard links to the item's source bytes."""
    folder = work / label
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    source = corpus / item.source
    if item.is_folder:
        (folder / item.source).mkdir()
        for file in sorted(source.iterdir()):
            os.link(file, folder / item.source / file.name)
    else:
        os.link(source, folder / item.source)
    return folder


def spawn(argv, measure_memory):
    """Runs argv: (wall seconds, peak RSS in KiB or None, exit code, stderr).

    Peak RSS comes from /usr/bin/time -v. Its own start costs about a millisecond,
    a tenth of cp's time on the small items, so timed runs go without it.
    """
    time_log = Path(os.environ.get("TMPDIR", "/tmp")) / f"bench-time-{os.getpid()}.txt"
    measure_memory = measure_memory and os.access("/usr/bin/time", os.X_OK)
    wrapper = ["/usr/bin/time", "-v", "-o", str(time_log)] if measure_memory else []
    os.sync()  # writeback of earlier runs must not land in this one
    start = time.perf_counter()
    result = subprocess.run(wrapper + [str(a) for a in argv], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    peak = None
    if measure_memory:
        for line in time_log.read_text().splitlines():
            if "Maximum resident set size" in line:
                peak = int(line.split(":")[1])
        time_log.unlink()
    return wall, peak, result.returncode, result.stderr.strip()


def run_once(tool, item, args, label, measure_memory=False):
    """One checked run of tool on item: (wall, peak KiB, output folder kept for checks)."""
    folder = fresh_copy(item, args.corpus, args.work, label)
    wall, peak, code, errors = spawn(tool.command(item, folder), measure_memory)
    produced = tool.count(item, folder)
    expected = tool.expected(item)
    if code != 0 or produced != expected:
        detail = errors.splitlines()[-1].replace(f"{folder}/", "") if errors else ""
        raise tools.ToolFailed(f"exit {code}, {produced} of {expected} outputs {detail}".strip())
    return wall, peak, folder


def check_pixels(item, ours_folder, peer_folder):
    """Raises ToolFailed unless our pages hold the same pixels as tiffsplit's."""
    ours = tools.Ours.pages(item, ours_folder)
    theirs = tools.Tiffsplit.pages(item, peer_folder)
    checked = 0
    for a, b in zip(ours, theirs):
        same = tools.same_pixels(a, b)
        if same is False:
            raise tools.ToolFailed(f"pixels of {a.name} differ from tiffsplit's {b.name}")
        checked += same is True
    log(f"  pixels: {checked} of our {len(ours)} pages checked, all match tiffsplit's")


class ItemBench:
    """The runs of every tool on one item and what came of them."""

    MAX_RUNS = 30        # small items get more runs, up to this many ...
    TIME_PER_TOOL = 5.0  # ... until each tool has been timed for about this long (s)

    def __init__(self, item, chosen, args):
        self.item = item
        self.args = args
        self.tools = list(chosen)
        self.results = {t.name: {"walls": [], "peak": 0} for t in chosen}

    def drop(self, tool, failure, when):
        log(f"  {tool.name}: {when}: {failure}")
        self.results[tool.name] = {"failed": str(failure)}
        self.tools.remove(tool)

    def round(self, label, measure_memory, keep=False):
        """One run of each tool, in order; returns {tool: (wall, output folder)}."""
        done = {}
        for tool in list(self.tools):
            try:
                wall, peak, folder = run_once(tool, self.item, self.args,
                                              f"{self.item.name}-{label}-{tool.name}", measure_memory)
            except tools.ToolFailed as failure:
                self.drop(tool, failure, label)
                continue
            if peak is not None:
                self.results[tool.name]["peak"] = max(self.results[tool.name]["peak"], peak)
            if not keep:
                shutil.rmtree(folder)
            done[tool] = (wall, folder)
        return done

    def warm_up(self):
        """An untimed, checked round; also compares our pages' pixels with tiffsplit's."""
        done = self.round("warm-up", measure_memory=True, keep=True)
        folders = {tool.name: folder for tool, (_, folder) in done.items()}
        ours = next((t for t in self.tools if t.name == "ours"), None)
        if ours and "tiffsplit" in folders and not self.args.no_pixel_check:
            try:
                check_pixels(self.item, folders["ours"], folders["tiffsplit"])
            except tools.ToolFailed as failure:
                self.drop(ours, failure, "pixel check")
        for folder in folders.values():
            shutil.rmtree(folder)

    def planned_runs(self, first):
        """How many rounds to time, judged by the first timed one: the warm-up
        reads cold data and writes beside earlier outputs, so it says little."""
        slowest = max((wall for wall, _ in first.values()), default=1.0)
        wanted = int(self.TIME_PER_TOOL / max(slowest, 1e-3)) + 1
        return min(max(self.args.runs, wanted), max(self.args.runs, self.MAX_RUNS))

    def run(self):
        item = self.item
        log(f"{item.name}: {item.files} file(s) x {item.pages_per_file} pages")
        self.warm_up()
        runs, n = self.args.runs, 0
        while n < runs:  # interleaved: A B C A B C ...
            done = self.round(f"run{n + 1}", measure_memory=False)
            for tool, (wall, _) in done.items():
                self.results[tool.name]["walls"].append(wall)
            runs = self.planned_runs(done) if n == 0 else runs
            n += 1
            log(f"  run {n}/{runs}: " +
                "  ".join(f"{t.name} {w:.3f} s" for t, (w, _) in done.items()))
        self.round("memory", measure_memory=True)
        for tool in self.tools:
            self.results[tool.name]["runs"] = runs
        return self.results


def make_work_folder(args):
    """The folder that holds each run's fresh folder.

    On ext4 without a journal (as here) a new file skips every inode of its block
    group freed in the last minutes, each skip a lookup: after a run's pages are
    removed, or beside busy neighbours, a create costs 0.1-1 ms instead of 20 us.
    Marked as a top of a hierarchy (chattr +T), its folders are spread over
    block groups, away from those piles. --no-spread measures in place.
    """
    args.work = args.corpus / ".runs"
    shutil.rmtree(args.work, ignore_errors=True)
    args.work.mkdir(parents=True)
    args.spread = False
    if not args.no_spread:
        result = subprocess.run(["chattr", "+T", str(args.work)], capture_output=True, text=True)
        args.spread = result.returncode == 0
        if not args.spread:
            log(f"run folders not spread: {result.stderr.strip()}")


def proof_costs(args, corpus_time, corpus_size):
    """The --verify benchmark: its own table, for each item."""
    lines = []
    try:
        for item in args.items:
            log(f"{item.name}: plain split, --verify and --check")
            lines += verify.run(args, item, fresh_copy, spawn, max(args.runs, 5))
    finally:
        shutil.rmtree(args.work, ignore_errors=True)
    print(report.header(args, corpus_time, corpus_size))
    print("\n".join(verify.HEADER + lines))


def main():
    args = parse_args()
    wanted = args.tools.split(",")
    chosen = [t for t in tools.all_tools(args.bin) if t.name in wanted]
    for tool in chosen:
        if not tool.available():
            log(f"{tool.name}: not installed, left out")
    chosen = [t for t in chosen if t.available()]
    log(f"Corpus in {args.corpus}")
    corpus_time, corpus_size = build_corpus(args)
    make_work_folder(args)
    if args.verify:
        return proof_costs(args, corpus_time, corpus_size)
    table = {}
    window_lines = []
    try:
        for item in args.items:
            table[item.name] = ItemBench(item, chosen, args).run()
            if args.window and item.name == "many":
                log("many: window batch run against the command line")
                window_lines = window.run(args, item, fresh_copy, spawn, max(args.runs, 11))
            if args.windows and item.name == "many":
                log("many: the Windows command line under Wine against the Linux one")
                window_lines += windows.run(args, item, fresh_copy, spawn, max(args.runs, 11))
    finally:
        shutil.rmtree(args.work, ignore_errors=True)
    print(report.header(args, corpus_time, corpus_size))
    print(report.table(args.items, table, args.corpus))
    if window_lines:
        print("\n" + "\n".join(window_lines))


if __name__ == "__main__":
    main()
