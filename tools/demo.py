#!/usr/bin/env python3
"""Shows Tessory's main job on the current X display: starts tessory.exe
beside a sample window of known content and drags the target icon onto it
with the real pointer, once per file type (BMP, JPEG, GIF, PNG), through the
auto-save route. A throwaway Wine prefix keeps every real setting out of it.

    demo.py WINDOWS_BUILD_DIR OUT_DIR

Writes the captured images and one screenshot of a drag in progress to
OUT_DIR and prints one line per file: its path, pixel size and format.
"""
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
BUILD = Path(sys.argv[1]).resolve() if len(sys.argv) == 3 else sys.exit(__doc__)
OUT = Path(sys.argv[2]).resolve()
os.environ["TESSORY_BUILD"] = str(BUILD)
os.environ["WINEPREFIX"] = str(BUILD.parent / "demo-wineprefix")
sys.path.insert(0, str(HERE.parent / "tests" / "e2e"))

import e2e_support as e2e  # noqa: E402  (needs TESSORY_BUILD and WINEPREFIX)

FOLDER = "C:\\Tessory demo"
# (image type, its "Image Quality", the extension the auto-save route gives)
KINDS = [(0, 3, "bmp"), (1, 90, "jpg"), (2, 0, "gif"), (3, 0, "png")]


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fresh_prefix():
    shutil.rmtree(e2e.PREFIX, ignore_errors=True)
    run(str(HERE / "wine-prefix.sh"), str(e2e.PREFIX))
    # The session's own processes start here with no output attached, so
    # that none holds a probe's pipe open.
    subprocess.run(["wineserver", "-p"], check=False)
    run(e2e.WINE, str(e2e.PROBE), "reg-dump")


def drag_with_screenshot(app, point, screenshot):
    """Drags the target icon to `point`, taking a screenshot while the
    button is still held over the sample window."""
    run("xdotool", "mousemove", str(app.icon[0]), str(app.icon[1]))
    time.sleep(0.3)
    run("xdotool", "mousedown", "1")
    for step in range(1, 7):
        x = app.icon[0] + (point[0] - app.icon[0]) * step // 6
        y = app.icon[1] + (point[1] - app.icon[1]) * step // 6
        run("xdotool", "mousemove", str(x), str(y))
        time.sleep(0.1)
    time.sleep(0.5)
    run("import", "-window", "root", str(screenshot))
    run("xdotool", "mouseup", "1")


def capture(kind, quality, extension, target, screenshot):
    """One capture of the sample window; returns the file written."""
    settings = e2e.autosave_settings(FOLDER, [("Image Type", "dword", kind), ("Image Quality", "dword", quality),
                                              ("Base File Name", "sz", "demo")])
    app = e2e.Tessory(settings)
    try:
        point = target.quadrant_point(0)
        if screenshot:
            drag_with_screenshot(app, point, screenshot)
        else:
            app.capture(point)
        app.wait_shown(timeout=60)
        folder = e2e.unix_path(FOLDER)
        return e2e.wait_for(lambda: next(iter(sorted(folder.glob(f"*.{extension}"))), None), 60,
                            f"the {extension} file")
    finally:
        app.close()


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.iterdir():
        old.unlink()
    print("demo: preparing a throwaway Wine prefix (up to a minute)", flush=True)
    fresh_prefix()
    e2e.fresh_folder(FOLDER)
    target = e2e.Target()
    written = []
    try:
        for kind, quality, extension in KINDS:
            screenshot = OUT / "drag-in-progress.png" if kind == 0 else None
            image = capture(kind, quality, extension, target, screenshot)
            kept = OUT / f"capture.{extension}"
            shutil.copyfile(image, kept)
            written.append(kept)
            if screenshot:
                written.append(screenshot)
    finally:
        target.close()
        subprocess.run(["wineserver", "-k"], check=False)
    for path in written:
        size_and_format = subprocess.run(["identify", "-format", "%wx%h  %m", f"{path}[0]"], capture_output=True,
                                         text=True, check=True).stdout
        print(f"{path}  {size_and_format}")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.SubprocessError, OSError) as error:
        sys.exit(f"demo: failed: {error}")
