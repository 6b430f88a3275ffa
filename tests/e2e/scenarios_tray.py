"""One copy per session, the notification-area icon and the start with
Windows, end to end: as a user closes, starts again, and uses the icon's
menu; as login starts the program."""
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

TRAY_ON = [("Show In Tray", "dword", 1)]
# The Run value this build's program writes: its path as Wine names it.
START_COMMAND = f'"Z:{str(TESSORY).replace("/", chr(92))}" --background'


def tool_window_shown():
    info = window_info("form:Tessory")
    return bool(info and info["visible"])


def menu_shown():
    return probe("class", "#32768", check=False).get("visible") == ["1"]


def run_value():
    return probe("run-value").get("run", [""])[0]


def start_again(*args):
    """A further start of the program, as a user or login makes it; its exit code."""
    return subprocess.run([WINE, str(TESSORY), *args], cwd=PREFIX / "drive_c", stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=60).returncode


def check_the_one_file(folder, target):
    """The folder's one file is the target window."""
    (file,) = wait_for(lambda: sorted(folder.iterdir()), what="the auto-saved file")
    time.sleep(0.5)  # written whole
    width, height, _, pixel = read_bmp(file)
    target.check_image(width, height, pixel)


def exit_from_tray(app):
    """"Exit" from the icon's menu, the one way out while the icon shows."""
    try:
        probe("tray-click", "right")
        wait_for(menu_shown, what="the tray menu")
        # Clicked, as a user does: with the tool window hidden in the tray
        # the keyboard may stay with another window.
        left, top, right, bottom = [int(v) for v in probe("class", "#32768")["window"][0].split()]
        drag((left + 20, bottom - 10), (left + 20, bottom - 10))  # "Exit", the last entry
        app.process.wait(timeout=60)
    finally:
        if app.process.poll() is None:
            app.process.kill()
            app.process.wait(timeout=20)


@test
def closing_hides_to_the_tray_and_a_second_start_brings_the_copy_back():
    app = Tessory(TRAY_ON)
    try:
        probe("close", "form:Tessory")
        wait_for(lambda: not tool_window_shown(), what="the tool window to hide in the tray")
        time.sleep(0.5)
        app.process.poll() is None or fail("closing the tool window ended the program")
        (code := start_again()) == 0 or fail(f"the second start ended with {code}")
        wait_for(tool_window_shown, what="the running copy's window back")
        shown = [line for line in probe("windows").get("shown", []) if line.startswith('TessoryForm "Tessory"')]
        len(shown) == 1 or fail(f"tool windows shown: {shown}")
    finally:
        exit_from_tray(app)
    app.process.returncode == 0 or fail(f"Exit ended the program with {app.process.returncode}")


@test
def tray_menu_captures_the_active_window():
    folder_path = "C:\\e2e-tray\\"
    fresh_folder(folder_path)
    folder = unix_path(folder_path)
    target = Target()
    app = Tessory(autosave_settings(folder_path, TRAY_ON))
    try:
        probe("tray-click", "right")
        wait_for(menu_shown, what="the tray menu")
        key("Down", "Return")  # "Capture the active window"
        check_the_one_file(folder, target)
        tool_window_shown() or fail("the tool window did not come back after the capture")
    finally:
        try:
            exit_from_tray(app)
        finally:
            target.close()


class Started:
    """A start of the program with arguments of its own."""

    def __init__(self, *args):
        self.process = subprocess.Popen([WINE, str(TESSORY), *args], cwd=PREFIX / "drive_c",
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@test
def background_start_waits_in_the_tray_and_its_icon_picks_a_window():
    folder_path = "C:\\e2e-tray\\"
    fresh_folder(folder_path)
    folder = unix_path(folder_path)
    target = Target()
    probe("reg-clear", *[part for name, kind, value in autosave_settings(folder_path, TRAY_ON)
                         for part in (f"reg-{kind}", name, str(value))])
    app = Started("--background")
    try:
        wait_for(lambda: window_info("form:Tessory"), what="the tool window to be made")
        time.sleep(1.0)
        tool_window_shown() and fail("a start at login showed the tool window")
        probe("tray-click", "left")  # the keyboard pick, at the active window
        time.sleep(1.0)
        key("Return")
        check_the_one_file(folder, target)
        tool_window_shown() and fail("the capture showed the tool window hidden in the tray")
    finally:
        try:
            exit_from_tray(app)
        finally:
            target.close()


@test
def start_with_windows_is_written_corrected_and_removed():
    # A value left by a copy elsewhere names this one once it starts.
    probe("run-set", '"C:\\old place\\tessory.exe" --background')
    app = Tessory()
    try:
        wait_for(lambda: run_value() == START_COMMAND, what=f"the Run value to name this copy ({run_value()})")
        x, y, w, h = app.client
        subprocess.run(["xdotool", "mousemove", str(x + 20), str(y + h // 2), "click", "3"], check=True)
        wait_for(menu_shown, what="the window's menu")
        key("Down", "Return")  # "More options..."
        wait_for(lambda: probe("foreground").get("foreground") == ["More Options"], what="More Options")
        for control in ("341", "342"):  # the tray on, the start with Windows off
            left, top, right, bottom = [int(v) for v in probe("control", "More Options", control)["control"][0].split()]
            drag((left + 8, (top + bottom) // 2), (left + 8, (top + bottom) // 2))
        key("Return")
        wait_for(lambda: not ((w := window_info("form:More Options")) and w["visible"]), what="More Options to close")
        run_value() == "none" or fail(f"the Run value stayed: {run_value()}")
        # Stored at once, before the program ends: a logoff keeps it.
        dump = probe("reg-dump").get("value", [])
        "Show In Tray dword 1" in dump or fail(f"the settings were not stored at OK: {dump}")
    finally:
        exit_from_tray(app)
