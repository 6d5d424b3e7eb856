"""The Windows command line under Wine on many/ against the Linux command line.

plexifold-split.exe comes from the Windows build (tools/build-windows.sh) and runs in
that build's Wine prefix, with the Wine server started beforehand, as the tests run it.
Both are timed as whole processes on fresh copies of the same folder, interleaved.
"""

import os
import shutil
import statistics
import subprocess

import tools

WINE_ENV = {
    "WINEARCH": "win64",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
}


def _windows_path(path):
    # Z: is the root of the Linux file system under Wine.
    return "Z:" + str(path).replace("/", "\\")


def _pages_in(folder):
    return sum(1 for p in folder.iterdir() if "_page_" in p.name)


def _start_wine(prefix):
    os.environ.update(WINE_ENV, WINEPREFIX=str(prefix))
    prefix.mkdir(parents=True, exist_ok=True)
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "-p"], **quiet, check=True)
    subprocess.run(["wine", "wineboot", "-i"], **quiet, check=True)


def run(args, item, fresh_copy, spawn, runs=11):
    """Interleaved Windows and Linux command-line runs on `item`: a short report's lines."""
    exe = args.windows_build / "bin" / "plexifold-split.exe"
    cli = tools.Ours(args.bin)
    if not exe.exists() or not cli.available() or not shutil.which("wine"):
        return ["Windows command line: skipped, plexifold-split.exe, plexifold-split or wine "
                "is missing (tools/build-windows.sh builds the first)."]
    _start_wine(args.windows_build / "wine")
    walls = {"windows": [], "linux": []}
    try:
        for n in range(runs + 1):  # the first is a warm-up
            for name in ("windows", "linux"):
                folder = fresh_copy(item, args.corpus, args.work, f"windows-{name}-{n}")
                source = folder / item.source
                argv = (["wine", exe, "--quiet", _windows_path(source)] if name == "windows"
                        else cli.command(item, folder))
                wall, _, code, errors = spawn(argv, False)
                if code != 0:
                    raise tools.ToolFailed(f"{name}: exit {code}: {errors}")
                if _pages_in(source) != item.pages:
                    raise tools.ToolFailed(f"{name}: {_pages_in(source)} of {item.pages} pages")
                shutil.rmtree(folder)
                if n:
                    walls[name].append(wall)
    except tools.ToolFailed as failure:
        return [f"Windows command line: failed: {failure}"]
    finally:
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
    windows, linux = walls["windows"], walls["linux"]
    ratio = statistics.median(w / l for w, l in zip(windows, linux))
    return [
        f"Windows command line under Wine on {item.source}/ ({item.pages} pages), "
        f"{runs} interleaved runs after a warm-up, whole processes:",
        "",
        "| plexifold-split.exe under Wine s | plexifold-split s | Wine/Linux |",
        "|--:|--:|--:|",
        f"| {statistics.median(windows):.3f} | {statistics.median(linux):.3f} | {ratio:.2f} |",
    ]
