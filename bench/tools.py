"""The tools the benchmark times: ours, libtiff's tiffsplit and cp (the limit)."""

import re
import shutil
import subprocess


class ToolFailed(Exception):
    pass


def _where(item, folder):
    """The folder the item's sources (and the pages written beside them) are in."""
    return folder / item.source if item.is_folder else folder


class Ours:
    name = "ours"

    def __init__(self, bin_folder):
        self.exe = bin_folder / "plexifold-split"

    def available(self):
        return self.exe.exists()

    def command(self, item, folder):
        return [self.exe, "--quiet", folder / item.source]

    def expected(self, item):
        return item.pages

    def count(self, item, folder):
        return len(self.pages(item, folder))

    @staticmethod
    def pages(item, folder):
        return sorted(p for p in _where(item, folder).iterdir() if "_page_" in p.name)


class Tiffsplit:
    name = "tiffsplit"
    # One process per file, as a user would script it.
    LOOP = 'for f in "$1"/*.tif; do tiffsplit "$f" "${f%.tif}_" || exit 1; done'

    def __init__(self, _bin_folder):
        self.exe = shutil.which("tiffsplit")

    def available(self):
        return self.exe is not None

    def command(self, item, folder):
        if item.is_folder:
            return ["/bin/sh", "-c", self.LOOP, "sh", folder / item.source]
        stem = item.source.rsplit(".", 1)[0]
        return [self.exe, folder / item.source, folder / f"{stem}_"]

    def expected(self, item):
        return item.pages

    def count(self, item, folder):
        return len(self.pages(item, folder))

    @staticmethod
    def pages(item, folder):
        # tiffsplit names pages PREFIXaaa.tif, PREFIXaab.tif ... in page order.
        return sorted(p for p in _where(item, folder).iterdir()
                      if re.fullmatch(r".*_[a-z]{3,}\.tif", p.name))


class Cp:
    name = "cp"

    def __init__(self, _bin_folder):
        self.exe = shutil.which("cp")

    def available(self):
        return self.exe is not None

    def command(self, item, folder):
        if item.is_folder:
            target = folder / "copy"
            target.mkdir()  # made here, before the clock starts
            return [self.exe] + sorted((folder / item.source).iterdir()) + [target]
        return [self.exe, folder / item.source, folder / "copy.tif"]

    def expected(self, item):
        return item.files

    def count(self, item, folder):
        if item.is_folder:
            pairs = [(p, folder / "copy" / p.name) for p in (folder / item.source).iterdir()]
        else:
            pairs = [(folder / item.source, folder / "copy.tif")]
        return sum(1 for a, b in pairs if b.exists() and b.stat().st_size == a.stat().st_size)


def all_tools(bin_folder):
    return [Ours(bin_folder), Tiffsplit(bin_folder), Cp(bin_folder)]


def same_pixels(a, b):
    """Whether the single-page TIFF files a and b hold the same pixels; None when
    no tool here can tell. tiffcmp decodes strips but no tiles, which go to ImageMagick.
    """
    result = subprocess.run(["tiffcmp", "-t", a, b], capture_output=True, text=True)
    if result.returncode == 0:
        return True
    if "tiled" not in result.stderr:
        return False
    if shutil.which("compare") is None:
        return None
    result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                            capture_output=True, text=True)
    return result.returncode == 0 and result.stderr.strip() == "0"


def pages_in(folder):
    return sum(1 for p in folder.iterdir() if "_page_" in p.name)


def interleaved(item, runs, names, fresh_copy, args, time_one):
    """Walls by name of `runs` rounds after a warm-up round; each round calls
    time_one(name, folder) for each name in turn on a fresh copy of `item`, and checks that
    it left `item.pages` pages in folder / item.source. A round's folders are removed at its
    end, so a run may read the folders of the runs before it in the round."""
    walls = {name: [] for name in names}
    for n in range(runs + 1):
        folders = {}
        for name in names:
            # A new name each run: ext4 places a spread folder by its name's hash.
            folders[name] = fresh_copy(item, args.corpus, args.work, f"{name}-{n}")
            wall = time_one(name, folders[name])
            pages = pages_in(folders[name] / item.source)
            if pages != item.pages:
                raise ToolFailed(f"{name}: {pages} of {item.pages} pages")
            if n:
                walls[name].append(wall)
        for folder in folders.values():
            shutil.rmtree(folder)
    return walls
