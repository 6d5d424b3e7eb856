"""The benchmark's output: a short header and a Markdown table."""

import datetime
import os
import platform
import statistics
import subprocess

from pathlib import Path

MIB = 1024 * 1024


def _source_folder(build):
    """The source tree the build folder was configured from."""
    cache = build / "CMakeCache.txt"
    if cache.exists():
        for line in cache.read_text(errors="replace").splitlines():
            if line.startswith("CMAKE_HOME_DIRECTORY:"):
                return line.split("=", 1)[1]
    return str(Path(__file__).parent)


def _git_revision(build):
    result = subprocess.run(["git", "-C", _source_folder(build), "describe", "--always",
                             "--dirty"], capture_output=True, text=True)
    return result.stdout.strip() or "unknown"


def _file_system(path):
    result = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "--target", str(path)],
                            capture_output=True, text=True)
    return result.stdout.strip() or "unknown"


def header(args, corpus_seconds, corpus_bytes):
    lines = [
        "## Split benchmark",
        "",
        f"{datetime.date.today()}, revision {_git_revision(args.bin.parent)}, {os.cpu_count()} cores, "
        f"Linux {platform.release()}, corpus on {_file_system(args.corpus)}, "
        f"load average {os.getloadavg()[0]:.2f} at the end, run folders "
        f"{'spread over block groups' if args.spread else 'in one place'}.",
        f"Corpus: {corpus_bytes / MIB:.0f} MiB, ready in {corpus_seconds:.1f} s. "
        "Times are medians of interleaved runs after a warm-up (at least "
        f"{args.runs}, more for small items); ratios are medians of the runs' paired ratios; "
        "peak RSS is the maximum of `/usr/bin/time -v` over the warm-up and one more untimed run.",
        "",
    ]
    return "\n".join(lines)


def _median_ratio(a, b):
    return statistics.median(x / y for x, y in zip(a, b))


def _seconds(result):
    if result is None:
        return "n/a"
    if "failed" in result:
        return "failed"
    return f"{statistics.median(result['walls']):.3f}"


def _ratio(a, b):
    if not a or not b or "walls" not in a or "walls" not in b:
        return "n/a"
    return f"{_median_ratio(a['walls'], b['walls']):.2f}"


def _runs(results):
    return max((r.get("runs", 0) for r in results.values()), default=0) or "n/a"


def _peak(result):
    if not result or "peak" not in result:
        return "n/a"
    return f"{result['peak'] / 1024:.1f}"


def table(items, results, corpus):
    lines = [
        "| item | pages | MiB | runs | ours s | tiffsplit s | cp s | ours/tiffsplit | ours/cp "
        "| tiffsplit/cp | RSS MiB ours | RSS tiffsplit | RSS cp |",
        "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|",
    ]
    notes = []
    for item in items:
        r = results[item.name]
        ours, peer, cp = r.get("ours"), r.get("tiffsplit"), r.get("cp")
        size = size_of(corpus / item.source) / MIB
        lines.append(
            f"| {item.source}{'/' if item.is_folder else ''} | {item.pages} | {size:.1f} "
            f"| {_runs(r)} "
            f"| {_seconds(ours)} | {_seconds(peer)} | {_seconds(cp)} "
            f"| {_ratio(ours, peer)} | {_ratio(ours, cp)} | {_ratio(peer, cp)} "
            f"| {_peak(ours)} | {_peak(peer)} | {_peak(cp)} |")
        for name, result in r.items():
            if "failed" in result:
                notes.append(f"- {item.source}: {name} failed: {result['failed']}")
    return "\n".join(lines + ([""] + notes if notes else []))


def size_of(path):
    if path.is_file():
        return path.stat().st_size
    return sum(p.stat().st_size for p in path.iterdir() if p.is_file())
