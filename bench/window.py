"""The window's batch run on many/ against the command line on the same folder.

The window runs where it can be seen: on the display in DISPLAY, else on an Xvfb
started here with openbox (title bar and all), else offscreen. Each window run is
timed from the click on "&Execute" to the closing message, as window_run prints it;
each command-line run is the whole process.
"""

import os
import shutil
import statistics
import subprocess
import tempfile
import time

import tools


class Display:
    """An X display for the window's runs, and how it came about."""

    def __init__(self):
        self.processes = []
        self.env = dict(os.environ)
        self.kind = "offscreen"
        if os.environ.get("DISPLAY"):
            self.kind = f"display {os.environ['DISPLAY']}"
        elif shutil.which("Xvfb"):
            self._start_xvfb()
        else:
            self.env["QT_QPA_PLATFORM"] = "offscreen"

    def _start_xvfb(self):
        # Xvfb picks a free display and writes its number to the pipe.
        read_end, write_end = os.pipe()
        self.processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        self.env["DISPLAY"] = f":{number}"
        self.env.pop("QT_QPA_PLATFORM", None)
        self.kind = "Xvfb"
        if shutil.which("openbox"):
            self.processes.append(subprocess.Popen(["openbox"], env=self.env,
                                                   stdout=subprocess.DEVNULL,
                                                   stderr=subprocess.DEVNULL))
            time.sleep(1.0)
            self.kind = "Xvfb with openbox"

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            process.wait()


def _window_once(exe, folder, env):
    os.sync()
    result = subprocess.run([str(exe), str(folder)], env=env, capture_output=True, text=True)
    if result.returncode != 0:
        raise tools.ToolFailed(f"window: exit {result.returncode}: {result.stderr.strip()}")
    return float(result.stdout.strip())


def run(args, item, fresh_copy, spawn, runs=11):
    """Interleaved window and command-line runs on `item`: the lines of a short report."""
    exe = args.bin / "window_run"
    cli = tools.Ours(args.bin)
    if not exe.exists() or not cli.available():
        return ["Window batch run: skipped, window_run or plexifold-split is not built."]
    display = Display()
    try:
        with tempfile.TemporaryDirectory() as config:
            env = dict(display.env, XDG_CONFIG_HOME=config)

            def time_one(name, folder):
                if name == "window":
                    return _window_once(exe, folder / item.source, env)
                wall, _, code, errors = spawn(cli.command(item, folder), False)
                if code != 0:
                    raise tools.ToolFailed(f"cli: exit {code}: {errors}")
                return wall

            walls = tools.interleaved(item, runs, ("window", "cli"), fresh_copy, args,
                                      time_one)
    except tools.ToolFailed as failure:
        return [f"Window batch run: failed: {failure}"]
    finally:
        display.close()
    window, cli_walls = walls["window"], walls["cli"]
    ratio = statistics.median(w / c for w, c in zip(window, cli_walls))
    return [
        f"Window batch run on {item.source}/ ({item.pages} pages, {display.kind}), "
        f"{runs} interleaved runs after a warm-up:",
        "",
        "| window s (click to message) | command line s (whole process) | window/command line |",
        "|--:|--:|--:|",
        f"| {statistics.median(window):.3f} | {statistics.median(cli_walls):.3f} | {ratio:.2f} |",
    ]
