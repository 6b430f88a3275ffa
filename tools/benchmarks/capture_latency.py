#!/usr/bin/env python3
"""Capture latency under Wine: how long after the mouse button's release
over a window the file is complete, and the tool window is shown again.

Drives the real tessory.exe with the real pointer (xdotool), as the
end-to-end tests do, against a 1280 x 960 window of known content, saving
each file type to an auto-save folder. Then runs tessory_bench_capture.exe,
which times the same capture's stages (grab, encode, write, sound) inside
one process, against its own 1280 x 960 window. A benchmark, run by hand:

    xvfb-run -a -s "-screen 0 1280x1024x24" \\
        python3 tools/benchmarks/capture_latency.py build/windows [RUNS]

RUNS (default 7) captures per type follow one warm-up capture; the figures
are medians in milliseconds. The release is timed when xdotool returns from
sending it; the file is complete when its format's last bytes are there
(polled every millisecond); "shown" comes from a watcher inside Wine reading
the same system clock. The program itself logs the end of each step of the
capture (TESSORY_STEP_LOG); a second table gives each step's median end
after the release, and the time it took after the step before.
"""
import os
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(sys.argv[1]).resolve()
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
os.environ["TESSORY_BUILD"] = str(BUILD)
os.environ["WINEPREFIX"] = str(BUILD / "wineprefix-bench")
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import e2e_support as e2e  # noqa: E402  (needs TESSORY_BUILD and WINEPREFIX)

FOLDER = "C:\\bench-latency\\"
STEP_LOG = "C:\\bench-latency-steps.txt"
os.environ["TESSORY_STEP_LOG"] = STEP_LOG
# (label, Image Type, Image Quality, extension)
TYPES = [("BMP 24-bit", 0, 3, "bmp"), ("BMP 8-bit", 0, 1, "bmp"), ("JPEG q90", 1, 90, "jpg"), ("GIF", 2, 0, "gif"),
         ("PNG", 3, 0, "png")]


def complete(path, extension):
    """True once the file holds its whole format: the BMP's stated size, or the last bytes of the others."""
    try:
        with open(path, "rb") as file:
            head = file.read(6)
            file.seek(0, os.SEEK_END)
            size = file.tell()
            file.seek(max(0, size - 12))
            tail = file.read()
    except OSError:
        return False
    if extension == "bmp":
        return size >= 14 and int.from_bytes(head[2:6], "little") == size
    ends = {"jpg": b"\xff\xd9", "gif": b"\x00\x3b", "png": b"IEND\xaeB`\x82"}[extension]
    return tail.endswith(ends)


def watch_file(path, extension, found):
    end = time.time() + 60
    while time.time() < end:
        if complete(path, extension):
            found.append(time.time())
            return
        time.sleep(0.001)


def logged_steps(start):
    """The steps the program logged from byte `start` on: (name, seconds), and the log's new end."""
    try:
        with open(e2e.unix_path(STEP_LOG), "rb") as log:
            log.seek(start)
            text = log.read().decode()
    except FileNotFoundError:
        return [], start
    # The program may be writing as the log is read: a last line without
    # its end is left for the next read.
    text = text[:text.rfind("\n") + 1]
    steps = []
    for line in text.splitlines():
        stamp, name = line.split(" ", 1)
        steps.append((name, float(stamp)))
    return steps, start + len(text.encode())


def capture_once(app, point, path, extension, log_start):
    """One capture: (file complete, window shown again, {step: end}), in ms after the release."""
    watcher = subprocess.Popen([e2e.WINE, str(e2e.PROBE), "watch-shown", "form:Tessory", "60"], stdout=subprocess.PIPE,
                               text=True)
    assert watcher.stdout.readline().strip() == "watching"
    found = []
    poller = threading.Thread(target=watch_file, args=(path, extension, found))
    poller.start()
    subprocess.run(["xdotool", "mousemove", str(app.icon[0]), str(app.icon[1])], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousedown", "1"], check=True)
    time.sleep(0.2)
    for i in range(1, 7):
        x = app.icon[0] + (point[0] - app.icon[0]) * i // 6
        y = app.icon[1] + (point[1] - app.icon[1]) * i // 6
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.1)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)
    released = time.time()
    out, _ = watcher.communicate(timeout=60)
    poller.join()
    shown = [float(line.split()[1]) for line in out.splitlines() if line.startswith("shown ")]
    if not shown or not found:
        raise AssertionError(f"no {'file' if not found else 'window shown'} for {path}")
    # The program writes its steps once its windows are shown again, just
    # after the watcher has seen them.
    end = time.time() + 5
    steps, log_end = logged_steps(log_start)
    while "windows shown" not in (name for name, _ in steps) and time.time() < end:
        time.sleep(0.01)
        steps, log_end = logged_steps(log_start)
    ends = {name: (stamp - released) * 1000 for name, stamp in steps}
    return (found[0] - released) * 1000, (shown[0] - released) * 1000, ends, log_end


def measure(target, label, image_type, quality, extension):
    folder = e2e.fresh_folder(FOLDER)
    settings = e2e.autosave_settings(FOLDER, [("Image Type", "dword", image_type), ("Image Quality", "dword", quality)])
    app = e2e.Tessory(settings)
    try:
        point = (900, 600)  # over the target, clear of the tool window
        files, shown, steps = [], [], {}
        _, log_at = logged_steps(0)
        for run in range(RUNS + 1):
            path = folder / f"CAP{run:04d}.{extension}"
            file_ms, shown_ms, ends, log_at = capture_once(app, point, path, extension, log_at)
            if run > 0:
                files.append(file_ms)
                shown.append(shown_ms)
                for name, end in ends.items():
                    steps.setdefault(name, []).append(end)
            time.sleep(0.5)
        return statistics.median(files), statistics.median(shown), {
            name: statistics.median(ends) for name, ends in steps.items()}
    finally:
        app.close()


def main():
    subprocess.run([str(ROOT / "tools" / "wine-prefix.sh")], check=True)
    subprocess.run(["wineserver", "-p"], check=False)
    subprocess.run([e2e.WINE, str(e2e.PROBE), "reg-dump"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=120)
    print(subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip())
    target = e2e.Target(x=0, y=0, w=1280, h=960)
    try:
        width, height = target.size()
        print(f"\nFrom the release, target {width} x {height}, median of {RUNS} after one warm-up:\n")
        print("| type | file complete | tool window shown |\n|---|---|---|")
        steps = {}
        for label, image_type, quality, extension in TYPES:
            file_ms, shown_ms, steps[label] = measure(target, label, image_type, quality, extension)
            print(f"| {label} | {file_ms:.0f} ms | {shown_ms:.0f} ms |", flush=True)
    finally:
        target.close()
    print("\nEach step's end after the release as the program logs it, median ms (in brackets: after the step before):\n")
    labels = [label for label, *_ in TYPES]
    print("| step | " + " | ".join(labels) + " |\n|---|" + "---|" * len(labels))
    names = sorted({name for ends in steps.values() for name in ends},
                   key=lambda name: statistics.median(ends[name] for ends in steps.values() if name in ends))
    for name in names:
        cells = []
        for label in labels:
            ends = steps[label]
            if name not in ends:
                cells.append("")
                continue
            before = [ends[other] for other in ends if ends[other] < ends[name]]
            cells.append(f"{ends[name]:.1f} ({ends[name] - max(before, default=0):.1f})")
        print(f"| {name} | " + " | ".join(cells) + " |")
    bench = BUILD / "tools" / "tessory_bench_capture.exe"
    print(f"\nStages in one process (tessory_bench_capture.exe, median of {RUNS}, ms):\n")
    result = subprocess.run([e2e.WINE, str(bench), "--runs", str(RUNS), "--folder", "C:\\bench-latency"],
                            capture_output=True, text=True, timeout=600)
    print(result.stdout + result.stderr)
    subprocess.run(["wineserver", "-k"], check=False)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
