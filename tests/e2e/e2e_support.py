"""What the end-to-end scenarios share: the Wine prefix and the programs
under test, the probe helper, the real pointer and keyboard (xdotool), the
helper window of known content, and BMP and GIF readers.

The Windows build tree comes from $TESSORY_BUILD (set by run_e2e.py).
Scenarios register themselves with @test.
"""
import os
import struct
import subprocess
import sys
import time
from pathlib import Path

BUILD = Path(os.environ["TESSORY_BUILD"]).resolve()
ROOT = Path(__file__).resolve().parents[2]
PREFIX = Path(os.environ.setdefault("WINEPREFIX", str(BUILD / "wineprefix")))
os.environ["WINEDEBUG"] = "-all"
WINE = "wine"
TESSORY = BUILD / "app" / "tessory.exe"
TARGET = BUILD / "tests" / "tessory_test_target.exe"
PROBE = BUILD / "tests" / "tessory_test_probe.exe"

QUADRANTS = [(220, 20, 20), (20, 200, 40), (30, 60, 230), (240, 220, 20)]  # the helper's colours


def unix_path(windows_path):
    """Where a C:\\ path of the prefix lies on this machine."""
    assert windows_path[:3].upper() == "C:\\"
    return PREFIX / "drive_c" / windows_path[3:].replace("\\", "/")


def probe(*args, check=True):
    """Runs the probe and returns its lines as {key: [values]}."""
    result = subprocess.run([WINE, str(PROBE), *args], capture_output=True, text=True, timeout=60)
    if check and result.returncode != 0:
        raise AssertionError(f"probe {args} failed ({result.returncode}): {result.stdout}")
    found = {}
    for line in result.stdout.splitlines():
        key, _, rest = line.partition(" ")
        found.setdefault(key, []).append(rest)
    return found


def wait_for(condition, timeout=60.0, what="condition"):
    """Polls `condition` until it gives a true value, which it returns. The
    deadline is one a machine still starting up meets, not a warm one's: a
    wait costs only what it waits for. The condition is asked once more at
    the deadline, however long each asking took; a time-out names what the
    screen showed then."""
    end = time.time() + timeout
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    value = condition()
    if value:
        return value
    raise AssertionError(f"timed out waiting for {what}\n{desktop_report()}")


FAILURES = BUILD / "e2e-failures"  # a screenshot for each time-out


def desktop_report():
    """The visible windows, topmost first, and a screenshot of the screen,
    as text for a failure's message. Never raises: it only explains."""
    lines = []
    try:
        result = subprocess.run([WINE, str(PROBE), "windows", "foreground"], capture_output=True, text=True,
                                timeout=60)
        lines += result.stdout.splitlines()
    except Exception as error:  # the report must not hide the failure it explains
        lines.append(f"(no window list: {error})")
    try:
        FAILURES.mkdir(exist_ok=True)
        picture = FAILURES / f"{time.strftime('%H%M%S')}-{len(list(FAILURES.iterdir())) + 1}.png"
        subprocess.run(f"xwd -root -silent | convert xwd:- png:{picture}", shell=True, check=True, timeout=60)
        lines.append(f"screen: {picture}")
    except Exception as error:
        lines.append(f"(no screenshot: {error})")
    return "\n".join("  " + line for line in lines)


def window_info(title):
    found = probe("window", title, check=False)
    if "window" not in found:
        return None
    return {
        "window": [int(v) for v in found["window"][0].split()],
        "client": [int(v) for v in found["client"][0].split()],
        "visible": found["visible"][0] == "1",
        "topmost": found["topmost"][0] == "1",
    }


def drag(start, end, button=1, steps=6):
    """Presses at `start`, moves to `end` in steps, releases there."""
    subprocess.run(["xdotool", "mousemove", str(start[0]), str(start[1])], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousedown", str(button)], check=True)
    time.sleep(0.2)
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.1)
    subprocess.run(["xdotool", "mouseup", str(button)], check=True)


def press_at(point, button=1):
    """Moves the pointer to `point` and presses `button` there (drags that pause midway)."""
    subprocess.run(["xdotool", "mousemove", str(point[0]), str(point[1])], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousedown", str(button)], check=True)
    time.sleep(0.2)


def move_to(point, steps=4):
    """Moves the pointer to `point` in a few steps from where it is."""
    out = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True).stdout
    here = dict(line.split("=") for line in out.split())
    x0, y0 = int(here["X"]), int(here["Y"])
    for i in range(1, steps + 1):
        subprocess.run(["xdotool", "mousemove", str(x0 + (point[0] - x0) * i // steps),
                        str(y0 + (point[1] - y0) * i // steps)], check=True)
        time.sleep(0.1)
    time.sleep(0.5)


def release(button=1):
    subprocess.run(["xdotool", "mouseup", str(button)], check=True)


def screenshot():
    """The X screen now, as pixel(x, y) -> (r, g, b)."""
    ppm = subprocess.run("xwd -root -silent | convert xwd:- ppm:-", shell=True, capture_output=True,
                         check=True).stdout
    fields, at = [], 0
    while len(fields) < 4:  # "P6", width, height, maximum, each after white space or a comment
        while ppm[at:at + 1].isspace():
            at += 1
        end = ppm.index(b"\n", at) if ppm[at:at + 1] == b"#" else at
        while not ppm[end:end + 1].isspace():
            end += 1
        if ppm[at:at + 1] != b"#":
            fields.append(ppm[at:end])
        at = end
    width = int(fields[1])
    data = ppm[at + 1:]

    def pixel(x, y):
        offset = 3 * (y * width + x)
        return tuple(data[offset:offset + 3])

    return pixel


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(0.3)


def wait_for_prompt(what):
    """Waits until the format prompt shows and has the keyboard."""
    wait_for(lambda: (w := window_info("form:Save Image Format")) and w["visible"], what=what)
    wait_for(lambda: probe("foreground").get("foreground") == ["Save Image Format"], what=what + " to take the keyboard")
    time.sleep(0.3)


def read_bmp(path):
    """A BMP file as (width, height, bits, pixel(x, y) -> (r, g, b)), y = 0 the top row."""
    data = Path(path).read_bytes()
    assert data[:2] == b"BM", f"{path} is not a BMP"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    stride = (width * bits + 31) // 32 * 4

    def pixel(x, y):
        row = offset + stride * (height - 1 - y)
        if bits == 8:
            entry = 54 + 4 * data[row + x]
            return data[entry + 2], data[entry + 1], data[entry]
        at = row + x * bits // 8
        return data[at + 2], data[at + 1], data[at]

    return width, height, bits, pixel


def read_gif(path, kind="gif"):
    """A GIF file (or one of another `kind`, such as "png") decoded by ImageMagick, an outside decoder:
    (width, height, pixel(x, y) -> (r, g, b))."""
    size = subprocess.run(["/usr/bin/identify", "-format", "%w %h", f"{kind}:{path}"], capture_output=True, text=True,
                          check=True).stdout
    width, height = (int(v) for v in size.split())
    rgb = subprocess.run(["/usr/bin/convert", f"{kind}:{path}", "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    len(rgb) == width * height * 3 or fail(f"{path}: {len(rgb)} bytes of pixels for {width}x{height}")

    def pixel(x, y):
        at = 3 * (y * width + x)
        return rgb[at], rgb[at + 1], rgb[at + 2]

    return width, height, pixel


def hold_clipboard(seconds):
    """Has the probe hold the clipboard open for `seconds`, from a window of its own; returns once it holds it."""
    holder = subprocess.Popen([WINE, str(PROBE), "hold-clipboard", str(seconds)], stdout=subprocess.PIPE, text=True)
    holder.stdout.readline() == "holding\n" or fail("the helper could not hold the clipboard")
    return holder


class Target:
    """The helper window of known content."""

    def __init__(self, x=400, y=300, w=320, h=240, extra=()):
        self.report = "C:\\e2e-target.txt"
        report_file = unix_path(self.report)
        if report_file.exists():
            report_file.unlink()
        self.process = subprocess.Popen([WINE, str(TARGET), "--report", self.report, "--x", str(x), "--y", str(y),
                                         "--w", str(w), "--h", str(h), *extra],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            text = wait_for(lambda: report_file.exists() and report_file.read_text(), what="the target window")
        except BaseException:
            self.process.kill()
            raise
        lines = dict(line.split(" ", 1) for line in text.splitlines())
        self.window = [int(v) for v in lines["window"].split()]
        self.client = [int(v) for v in lines["client"].split()]
        self.handle = lines["handle"].strip()
        time.sleep(0.5)

    def size(self):
        return self.window[2] - self.window[0], self.window[3] - self.window[1]

    def button_point(self):
        """A point on the helper's push button, in screen coordinates."""
        x, y, w, h = self.client
        return x + w * 3 // 4, y + h * 3 // 4

    def quadrant_point(self, index):
        """A point of quadrant `index`, near its outer corner (clear of the button)."""
        x, y, w, h = self.client
        return x + (w // 8 if index % 2 == 0 else w * 7 // 8), y + (h // 8 if index < 2 else h * 7 // 8)

    def check_image(self, width, height, pixel):
        """The image is the whole window, its client quadrants at the right offsets."""
        (width, height) == self.size() or fail(f"image {width}x{height}, window {self.size()}")
        for index, colour in enumerate(QUADRANTS):
            sx, sy = self.quadrant_point(index)
            got = pixel(sx - self.window[0], sy - self.window[1])
            close = all(abs(a - b) <= 8 for a, b in zip(got, colour))
            close or fail(f"quadrant {index}: {got}, expected {colour}")

    def close(self):
        self.process.kill()
        self.process.wait(timeout=10)


class Tessory:
    """tessory.exe (the build's, or the one at `exe`) with the settings
    given, started fresh. With shown=False it does not wait for the main
    window (something comes first): call wait_started() once it may show."""

    def __init__(self, settings=(), exe=TESSORY, position=(100, 100), shown=True):
        # Its own settings, and file dialogs that remember no earlier folder.
        commands = ["reg-clear", "forget-dialogs"]
        if position:
            commands += ["reg-dword", "Last X-Pos", str(position[0]), "reg-dword", "Last Y-Pos", str(position[1])]
        for name, kind, value in settings:
            commands += [f"reg-{kind}", name, str(value)]
        probe(*commands)
        # Started in C:\ so that a file dialog with no folder to remember opens
        # there, the same on every machine, not in the test tree.
        self.process = subprocess.Popen([WINE, str(exe)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        cwd=PREFIX / "drive_c")
        if shown:
            self.wait_started()

    def wait_started(self):
        try:
            info = wait_for(lambda: (w := window_info("form:Tessory")) and w["visible"] and w, what="the main window")
        except BaseException:
            self.process.kill()
            raise
        x, y, w, h = info["client"]
        self.client = info["client"]
        self.icon = (x + 2 + 7, y + 3 + 6)

    def capture(self, point, button=1):
        drag(self.icon, point, button)

    def wait_shown(self, timeout=60.0):
        return wait_for(lambda: (w := window_info("form:Tessory")) and w["visible"], timeout, "the main window again")

    def close(self):
        """Closes the window as a user would and waits for the program to end.
        Whatever goes wrong, the program does not outlive its scenario: a copy
        left running would hold the hotkeys of every scenario after it."""
        try:
            probe("close", "form:Tessory")
            self.process.wait(timeout=60)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=20)


def fail(message):
    raise AssertionError(message)


TESTS = []


def test(function):
    TESTS.append(function)
    return function


def autosave_settings(folder, extra=()):
    return [("Save Option", "dword", 2), ("Sequential File Names", "dword", 1), ("Temp Folder", "sz", folder),
            *extra]


def fresh_folder(windows_path):
    folder = unix_path(windows_path)
    folder.mkdir(parents=True, exist_ok=True)
    for item in folder.iterdir():
        item.unlink()
    return folder
