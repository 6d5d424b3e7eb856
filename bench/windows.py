"""The Windows command line under Wine on many/ against the Linux command line and against
the least any Windows program does to write the same files there, and the Windows window's
batch run against the Windows command line.

plexifold-split.exe, write_files_win32.exe and window_run_win32.exe come from the Windows build
(tools/build-windows.sh) and run in that build's Wine prefix, with the Wine server started
beforehand, as the tests run them. The command lines are timed as whole processes; the
window from the click on "&Execute" to the closing message, as window_run_win32 prints it,
on the display the Qt window's runs use. All run on fresh copies of the same folder,
interleaved.
"""

import os
import shutil
import statistics
import subprocess

import tools
import window

WINE_ENV = {
    "WINEARCH": "win64",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
}


def _windows_path(path):
    # Z: is the root of the Linux file system under Wine.
    return "Z:" + str(path).replace("/", "\\")


def _start_wine(prefix):
    os.environ.update(WINE_ENV, WINEPREFIX=str(prefix))
    prefix.mkdir(parents=True, exist_ok=True)
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "-p"], **quiet)  # fails when it runs already
    subprocess.run(["wine", "wineboot", "-i"], **quiet, check=True)


def _window_once(exe, source, env):
    os.sync()
    result = subprocess.run(["wine", str(exe), _windows_path(source)], env=env,
                            stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if result.returncode != 0:
        raise tools.ToolFailed(f"window: exit {result.returncode}: {result.stderr.strip()}")
    return float(result.stdout.strip().splitlines()[-1])


def _median_ratio(numerators, denominators):
    return statistics.median(a / b for a, b in zip(numerators, denominators))


def run(args, item, fresh_copy, spawn, runs=11):
    """Interleaved Windows command-line, Linux command-line, Windows floor and Windows window
    runs on `item`: a short report's lines."""
    exe = args.windows_build / "bin" / "plexifold-split.exe"
    floor = args.windows_build / "bin" / "write_files_win32.exe"
    driver = args.windows_build / "bin" / "window_run_win32.exe"
    cli = tools.Ours(args.bin)
    if not exe.exists() or not cli.available() or not shutil.which("wine"):
        return ["Windows command line: skipped, plexifold-split.exe, plexifold-split or wine "
                "is missing (tools/build-windows.sh builds the first)."]
    names = ("windows", "linux") + (("floor",) if floor.exists() else ()) + (
        ("window",) if driver.exists() else ())
    _start_wine(args.windows_build / "wine")
    display = window.Display() if driver.exists() else None
    done = {}

    def time_one(name, folder):
        source = folder / item.source
        done[name] = source
        if name == "window":
            return _window_once(driver, source, display.env)
        if name == "windows":
            argv = ["wine", exe, "--quiet", _windows_path(source)]
        elif name == "floor":  # the pages the Linux run wrote, copied beside the sources
            argv = ["wine", floor, _windows_path(done["linux"] / "*_page_*"),
                    _windows_path(source)]
        else:
            argv = cli.command(item, folder)
        wall, _, code, errors = spawn(argv, False)
        if code != 0:
            raise tools.ToolFailed(f"{name}: exit {code}: {errors}")
        return wall

    try:
        walls = tools.interleaved(item, runs, names, fresh_copy, args, time_one)
    except tools.ToolFailed as failure:
        return [f"Windows runs: failed: {failure}"]
    finally:
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        if display:
            display.close()
    windows, linux = walls["windows"], walls["linux"]
    lines = [
        f"Windows command line under Wine on {item.source}/ ({item.pages} pages), "
        f"{runs} interleaved runs after a warm-up, whole processes:",
        "",
        "| plexifold-split.exe under Wine s | plexifold-split s | Wine/Linux |",
        "|--:|--:|--:|",
        f"| {statistics.median(windows):.3f} | {statistics.median(linux):.3f} "
        f"| {_median_ratio(windows, linux):.2f} |",
    ]
    if "floor" in walls:
        plain = walls["floor"]
        lines += [
            "",
            "The floor under Wine, the same runs: write_files_win32.exe writes the Linux run's "
            "page files beside a fresh copy of the sources, one CreateFileW, WriteFile and "
            "CloseHandle a file, no temporary, no rename:",
            "",
            "| plain writes under Wine s | plain writes/Linux | plexifold-split.exe/plain writes |",
            "|--:|--:|--:|",
            f"| {statistics.median(plain):.3f} | {_median_ratio(plain, linux):.2f} "
            f"| {_median_ratio(windows, plain):.2f} |",
        ]
    if not display:
        return lines + ["", "Windows window: skipped, window_run_win32.exe is not built."]
    win32 = walls["window"]
    return lines + [
        "",
        f"Windows window's batch run under Wine on {item.source}/ ({display.kind}), the same "
        "runs, click to closing message:",
        "",
        "| window s | plexifold-split.exe s | window/command line |",
        "|--:|--:|--:|",
        f"| {statistics.median(win32):.3f} | {statistics.median(windows):.3f} "
        f"| {_median_ratio(win32, windows):.2f} |",
    ]
