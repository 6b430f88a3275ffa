"""What the end-to-end scenarios share: the desktop (e2e_desktop), and
their set-up and clean-up: Tessory started fresh with its settings, the
helper window of known content, Wine's Notepad, the probe holding what
another program would hold, auto-save folders and the registry's values.

The programs and holders are context managers that end what they started
whatever happens, the last started first:

    with autosaving("C:\\shots\\") as (folder, app), Target() as target:

Scenarios register themselves with @test.
"""
import contextlib
import subprocess
import time

from e2e_desktop import *  # noqa: F401,F403  (the scenarios see the desktop's vocabulary through this module)

QUADRANTS = [(220, 20, 20), (20, 200, 40), (30, 60, 230), (240, 220, 20)]  # the helper's colours


@contextlib.contextmanager
def holding(*args, what, stdin=None):
    """The probe run with `args` in the background, from a window of its
    own: its process, once it says it holds `what`. It is ended at the end
    if it still runs."""
    holder = subprocess.Popen([WINE, str(PROBE), *args], stdin=stdin, stdout=subprocess.PIPE, text=True)
    try:
        holder.stdout.readline() == "holding\n" or fail(f"the helper could not hold {what}")
        yield holder
    finally:
        holder.kill()
        holder.wait(timeout=10)


def hold_clipboard(seconds):
    """The probe holding the clipboard open for `seconds` (see holding)."""
    return holding("hold-clipboard", str(seconds), what="the clipboard")


class Closing:
    """A program a scenario starts, closed when its `with` block ends."""

    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.close()


class Target(Closing):
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

    def check_bmp(self, path):
        """The BMP file at `path` holds the window's picture (see check_image)."""
        width, height, _, pixel = read_bmp(path)
        self.check_image(width, height, pixel)

    def close(self):
        self.process.kill()
        self.process.wait(timeout=10)


class Notepad(Closing):
    """Wine's own Notepad, shown: a window of another program with a title of its own."""

    TITLE = "Untitled - Notepad"

    def __init__(self):
        self.process = subprocess.Popen([WINE, "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.info = wait_for(lambda: visible_window(self.TITLE), what="Notepad")
        except BaseException:
            self.process.kill()
            raise
        time.sleep(0.5)

    def point(self):
        """The middle of its edit area."""
        x, y, w, h = self.info["client"]
        return x + w // 2, y + h // 2

    def close(self):
        try:
            probe("close", self.TITLE, check=False)
            self.process.wait(timeout=20)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=10)


class Tessory(Closing):
    """tessory.exe (the build's, or the one at `exe`) with the settings and
    arguments given, started fresh. With shown=False it does not wait for the
    main window (something comes first): call wait_started() once it may show."""

    def __init__(self, settings=(), exe=TESSORY, position=(100, 100), shown=True, args=()):
        # Its own settings, and file dialogs that remember no earlier folder.
        commands = ["reg-clear", "forget-dialogs"]
        if position:
            commands += ["reg-dword", "Last X-Pos", str(position[0]), "reg-dword", "Last Y-Pos", str(position[1])]
        for name, kind, value in settings:
            commands += [f"reg-{kind}", name, str(value)]
        probe(*commands)
        self.closed = False
        # Started in C:\ so that a file dialog with no folder to remember opens
        # there, the same on every machine, not in the test tree.
        self.process = subprocess.Popen([WINE, str(exe), *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        cwd=PREFIX / "drive_c")
        if shown:
            self.wait_started()

    def wait_started(self):
        try:
            info = wait_for(lambda: visible_window("form:Tessory"), what="the main window")
        except BaseException:
            self.process.kill()
            raise
        x, y, w, h = info["client"]
        self.client = info["client"]
        self.icon = (x + 2 + 7, y + 3 + 6)

    def capture(self, point, button=1):
        drag(self.icon, point, button)

    def wait_shown(self, timeout=60.0):
        return wait_for(lambda: visible_window("form:Tessory"), timeout, "the main window again")

    def open_help(self):
        """F1 opens the help file beside the program: the window made active
        with a click on its bare part, the help window waited for, closed."""
        x, y, w, h = self.client
        click_at((x + w - 2, y + h - 2))
        key("F1")
        wait_for(lambda: window_info("Tessory Help"), 30, "the help window (the help file beside the program)")
        probe("close", "Tessory Help")

    def close(self):
        """Closes the window as a user would and waits for the program to end;
        a second call does nothing. Whatever goes wrong, the program does not
        outlive its scenario: a copy left running would hold the hotkeys of
        every scenario after it."""
        if self.closed:
            return
        self.closed = True
        try:
            probe("close", "form:Tessory")
            self.process.wait(timeout=60)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=20)


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


@contextlib.contextmanager
def autosaving(windows_folder, extra=(), **options):
    """Tessory auto-saving into `windows_folder`, emptied first, with the
    `extra` settings and Tessory's other `options`: (the folder on this
    machine, the program), closed at the end."""
    folder = fresh_folder(windows_folder)
    with Tessory(autosave_settings(windows_folder, extra), **options) as app:
        yield folder, app


def stored_values():
    """Tessory's values in the registry, each as "name kind value"."""
    return probe("reg-dump").get("value", [])


def check_stored(values):
    """Each of `values` ("name kind value") is in the registry."""
    dump = stored_values()
    for value in values:
        value in dump or fail(f"'{value}' not stored: {dump}")
