"""One copy per session, the notification-area icon and the start with
Windows, end to end: as a user closes, starts again, and uses the icon's
menu; as login starts the program."""
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

TRAY_ON = [("Show In Tray", "dword", 1)]
TRAY_FOLDER = "C:\\e2e-tray\\"
# The Run value this build's program writes: its path as Wine names it.
START_COMMAND = f'"{z_path(TESSORY)}" --background'


def tool_window_shown():
    return visible_window("form:Tessory") is not None


def menu_shown():
    return probe("class", "#32768", check=False).get("visible") == ["1"]


def run_value():
    return probe("run-value").get("run", [""])[0]


class TrayTessory(Tessory):
    """Tessory with its icon in the notification area, where closing the
    tool window only hides it: "Exit" from the icon's menu ends it."""

    def close(self):
        if self.closed:
            return
        self.closed = True
        try:
            probe("tray-click", "right")
            wait_for(menu_shown, what="the tray menu")
            # Clicked, as a user does: with the tool window hidden in the tray
            # the keyboard may stay with another window.
            left, top, right, bottom = (int(v) for v in probe("class", "#32768")["window"][0].split())
            click_at((left + 20, bottom - 10))  # "Exit", the last entry
            self.process.wait(timeout=60)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=20)


@test
def closing_hides_to_the_tray_and_a_second_start_brings_the_copy_back():
    with TrayTessory(TRAY_ON) as app:
        probe("close", "form:Tessory")
        wait_for(lambda: not tool_window_shown(), what="the tool window to hide in the tray")
        time.sleep(0.5)
        app.process.poll() is None or fail("closing the tool window ended the program")
        second = subprocess.run([WINE, str(TESSORY)], cwd=PREFIX / "drive_c", stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=60)
        second.returncode == 0 or fail(f"the second start ended with {second.returncode}")
        wait_for(tool_window_shown, what="the running copy's window back")
        shown = [line for line in probe("windows").get("shown", []) if line.startswith('TessoryForm "Tessory"')]
        len(shown) == 1 or fail(f"tool windows shown: {shown}")
    app.process.returncode == 0 or fail(f"Exit ended the program with {app.process.returncode}")


@test
def tray_menu_captures_the_active_window():
    folder = fresh_folder(TRAY_FOLDER)
    with Target() as target, TrayTessory(autosave_settings(TRAY_FOLDER, TRAY_ON)) as app:
        probe("tray-click", "right")
        wait_for(menu_shown, what="the tray menu")
        key("Down", "Return")  # "Capture the active window"
        file = wait_for_file(folder / "CAP0000.bmp")
        app.wait_shown()  # after the file's last byte
        target.check_bmp(file)


@test
def background_start_waits_in_the_tray_and_its_icon_picks_a_window():
    folder = fresh_folder(TRAY_FOLDER)
    with Target() as target, TrayTessory(autosave_settings(TRAY_FOLDER, TRAY_ON), shown=False,
                                         args=["--background"]):
        wait_for(lambda: window_info("form:Tessory"), what="the tool window to be made")
        time.sleep(1.0)
        tool_window_shown() and fail("a start at login showed the tool window")
        probe("tray-click", "left")  # the keyboard pick, at the active window
        time.sleep(1.0)
        key("Return")
        file = wait_for_file(folder / "CAP0000.bmp")
        time.sleep(1.0)  # no window comes back to say the file is whole
        target.check_bmp(file)
        tool_window_shown() and fail("the capture showed the tool window hidden in the tray")


@test
def start_with_windows_is_written_corrected_and_removed():
    # A value left by a copy elsewhere names this one once it starts.
    probe("run-set", '"C:\\old place\\tessory.exe" --background')
    with TrayTessory() as app:
        wait_for(lambda: run_value() == START_COMMAND, what=f"the Run value to name this copy ({run_value()})")
        x, y, w, h = app.client
        subprocess.run(["xdotool", "mousemove", str(x + 20), str(y + h // 2), "click", "3"], check=True)
        wait_for(menu_shown, what="the window's menu")
        key("Down", "Return")  # "More options..."
        wait_foreground("More Options", "More Options")
        click_control("More Options", 341)  # the tray on
        click_control("More Options", 342)  # the start with Windows off
        key("Return")
        wait_for(lambda: not visible_window("form:More Options"), what="More Options to close")
        run_value() == "none" or fail(f"the Run value stayed: {run_value()}")
        # Stored at once, before the program ends: a logoff keeps it.
        check_stored(["Show In Tray dword 1"])
