"""What proof costs: plexifold-split --verify against a plain split, and --check of the
finished tree against splitting it again, with the peak memory of each.

Each round splits a fresh copy of the item plainly and with --verify, then checks the pages
of the plain split with --check (which writes nothing), interleaved. The sources are hard
links into the corpus, read in the warm-up round: the page cache is warm.
"""

import shutil
import statistics
import sys

import tools

LIMITS = {"scan": 1.3, "many": 1.5}  # the most --verify may cost, times a plain split


def _command(exe, mode, folder, item):
    extra = {"plain": [], "verify": ["--verify"], "check": ["--check"]}[mode]
    return [exe, "--quiet"] + extra + [folder / item.source]


def _round(exe, item, args, fresh_copy, spawn, label, measure_memory):
    """One round: {mode: (wall, peak KiB)}."""
    done = {}
    folders = []
    for mode in ("plain", "verify"):
        folder = fresh_copy(item, args.corpus, args.work, f"{item.name}-{label}-{mode}")
        folders.append(folder)
        wall, peak, code, errors = spawn(_command(exe, mode, folder, item), measure_memory)
        pages = tools.Ours.pages(item, folder)
        if code != 0 or len(pages) != item.pages:
            raise tools.ToolFailed(f"{mode}: exit {code}, {len(pages)} pages: {errors}")
        done[mode] = (wall, peak)
    wall, peak, code, errors = spawn(_command(exe, "check", folders[0], item), measure_memory)
    if code != 0:
        raise tools.ToolFailed(f"check: exit {code}: {errors}")
    done["check"] = (wall, peak)
    for folder in folders:
        shutil.rmtree(folder)
    return done


def _median_ratio(a, b):
    return statistics.median(x / y for x, y in zip(a, b))


def run(args, item, fresh_copy, spawn, runs):
    """The rounds on `item`: a short report's lines."""
    exe = args.bin / "plexifold-split"
    first = _round(exe, item, args, fresh_copy, spawn, "warm-up", measure_memory=True)
    peaks = {mode: peak or 0 for mode, (_, peak) in first.items()}
    walls = {mode: [] for mode in first}
    for n in range(runs):
        done = _round(exe, item, args, fresh_copy, spawn, f"run{n + 1}", measure_memory=False)
        for mode, (wall, _) in done.items():
            walls[mode].append(wall)
        print(f"  run {n + 1}/{runs}: " + "  ".join(f"{m} {w:.3f} s" for m, (w, _) in done.items()),
              file=sys.stderr, flush=True)
    verify = _median_ratio(walls["verify"], walls["plain"])
    check = _median_ratio(walls["plain"], walls["check"])
    limit = LIMITS.get(item.name)
    return [
        f"| {item.source}{'/' if item.is_folder else ''} | {item.pages} | {runs} "
        f"| {statistics.median(walls['plain']):.3f} | {statistics.median(walls['verify']):.3f} "
        f"| {statistics.median(walls['check']):.3f} "
        f"| {verify:.2f}{f' (≤ {limit})' if limit else ''} | {check:.1f} (≥ 2) "
        f"| {peaks['plain'] / 1024:.1f} / {peaks['verify'] / 1024:.1f} / "
        f"{peaks['check'] / 1024:.1f} (< 64) |"
    ]


HEADER = [
    "### What proof costs",
    "",
    "Medians of interleaved rounds after a warm-up; each round splits a fresh copy plainly and "
    "with `--verify`, then runs `--check` on the plain split's pages. Ratios are medians of the "
    "rounds' paired ratios; peak RSS from `/usr/bin/time -v` in the warm-up.",
    "",
    "| item | pages | runs | split s | --verify s | --check s | verify/split | split/check "
    "| RSS MiB split / verify / check |",
    "|---|--:|--:|--:|--:|--:|--:|--:|--:|",
]
