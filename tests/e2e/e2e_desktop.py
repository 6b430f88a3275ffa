"""The desktop the end-to-end scenarios drive: the Wine prefix and the
programs' paths, the probe helper, waits for what the screen shows (a
time-out tells what it showed), the real pointer and keyboard (xdotool),
the screen's pixels, and BMP and GIF readers.

The Windows build tree comes from $TESSORY_BUILD (set by run_e2e.py).
"""
import os
import struct
import subprocess
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


def unix_path(windows_path):
    """Where a C:\\ path of the prefix lies on this machine."""
    assert windows_path[:3].upper() == "C:\\"
    return PREFIX / "drive_c" / windows_path[3:].replace("\\", "/")


def z_path(path):
    """A path of this machine as Wine's drive Z: names it."""
    return "Z:" + str(path).replace("/", "\\")


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


def visible_window(title):
    """The window's information (see window_info) while it shows, else None."""
    info = window_info(title)
    return info if info and info["visible"] else None


def wait_foreground(title, what):
    """Waits until the window titled `title` has the keyboard."""
    wait_for(lambda: probe("foreground").get("foreground") == [title], what=what)


def shown_message():
    """The lines of Tessory's message box while one shows, else None."""
    return probe("dialog", "Tessory", check=False).get("dialog")


def message_box(what="the error box", timeout=60.0):
    """Waits until Tessory's message box shows and has the keyboard: its lines."""
    lines = wait_for(shown_message, timeout, what)
    wait_foreground("Tessory", what + " to take the keyboard")
    return lines


def wait_for_file(path, what=None, timeout=60.0):
    """Waits until the file at `path` exists: its path."""
    return wait_for(lambda: path.exists() and path, timeout, what or path.name)


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


def click_at(point):
    """A press and release at `point`, the pointer moved there first."""
    drag(point, point)


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
    wait_for(lambda: visible_window("form:Save Image Format"), what=what)
    wait_foreground("Save Image Format", what + " to take the keyboard")
    time.sleep(0.3)


def click_control(title, control_id):
    """A click in the middle of the control `control_id` of the window `title`."""
    left, top, right, bottom = (int(v) for v in probe("control", title, str(control_id))["control"][0].split())
    click_at(((left + right) // 2, (top + bottom) // 2))


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


def fail(message):
    raise AssertionError(message)
