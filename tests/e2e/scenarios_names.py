"""Auto-saved names, end to end: a pattern's fields over Wine's Notepad, a taken name's
" (2)", a missing folder made, a base name no file may have refused at OK."""
import shutil
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)


class Notepad:
    """Wine's own Notepad, a window of another program with a title of its own."""

    TITLE = "Untitled - Notepad"

    def __init__(self):
        self.process = subprocess.Popen([WINE, "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.info = wait_for(lambda: window_info(self.TITLE), 30, "Notepad's window")
        except BaseException:
            self.process.kill()
            raise
        time.sleep(0.5)

    def point(self):
        x, y, w, h = self.info["client"]
        return x + w // 2, y + h // 2

    def close(self):
        self.process.kill()
        self.process.wait(timeout=10)


@test
def pattern_names_the_file_after_the_program_and_title_and_a_taken_name_gets_2():
    folder = fresh_folder("C:\\e2e-pattern\\")
    app = Tessory(autosave_settings("C:\\e2e-pattern\\", [("File Name Pattern", "sz", "{process} - {title}"),
                                                         ("Image Type", "dword", 3)]),
                  position=(1100, 900))  # clear of Notepad, which opens large in the corner
    notepad = Notepad()
    try:
        for name in ["notepad - Untitled - Notepad.png", "notepad - Untitled - Notepad (2).png"]:
            app.capture(notepad.point())
            app.wait_shown()
            file = wait_for(lambda: (folder / name).exists() and folder / name, what=name)
            time.sleep(0.5)
            file.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" or fail(f"{name} is not a PNG file")
        names = sorted(p.name for p in folder.iterdir())
        len(names) == 2 or fail(f"unexpected files {names}")
    finally:
        notepad.close()
        app.close()


@test
def missing_autosave_folder_is_created_with_its_parents():
    top = unix_path("C:\\e2e-missing\\")
    shutil.rmtree(top, ignore_errors=True)
    app, target = Tessory(autosave_settings("C:\\e2e-missing\\deeper\\shots\\")), Target()
    try:
        app.capture(target.quadrant_point(2))
        app.wait_shown()
        file = top / "deeper" / "shots" / "CAP0000.bmp"
        wait_for(lambda: file.exists(), what="CAP0000.bmp in the new folder")
        time.sleep(0.5)
        width, height, _, pixel = read_bmp(file)
        target.check_image(width, height, pixel)
    finally:
        target.close()
        app.close()


def click_control(title, control_id):
    found = probe("control", title, str(control_id))
    left, top, right, bottom = (int(v) for v in found["control"][0].split())
    drag(((left + right) // 2, (top + bottom) // 2), ((left + right) // 2, (top + bottom) // 2))


@test
def base_name_no_file_may_have_is_refused_at_ok():
    base_name_edit, ok_button = 145, 1
    app = Tessory([("Save Option", "dword", 2)])
    try:
        x, y, _, _ = app.client
        drag((x + 40, y + 9), (x + 40, y + 9))  # the Options button
        wait_for(lambda: (w := window_info("form:Options")) and w["visible"], what="the Options dialog")
        time.sleep(0.5)
        click_control("form:Options", base_name_edit)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "60", "a/b:c"], check=True)
        click_control("form:Options", ok_button)
        lines = wait_for(lambda: probe("dialog", "Tessory", check=False).get("dialog"), what="the refusal")
        lines == ["The base file name cannot contain these characters: / :"] or fail(f"the box says {lines}")
        key("Return")
        time.sleep(0.5)
        window_info("form:Options")["visible"] or fail("the dialog closed on a refused name")
        click_control("form:Options", base_name_edit)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "60", "shot"], check=True)
        click_control("form:Options", ok_button)
        wait_for(lambda: not window_info("form:Options"), what="the dialog to close")
    finally:
        app.close()
    "Base File Name sz shot" in probe("reg-dump").get("value", []) or fail("the corrected name was not kept")


@test
def a_long_title_in_a_long_folder_gives_each_capture_its_own_file():
    folder_name = "C:\\e2e-long-titles-" + "f" * 75 + "\\"  # 95 characters
    folder = fresh_folder(folder_name)
    app = Tessory(autosave_settings(folder_name, [("File Name Pattern", "sz", "{title} {number}"),
                                                  ("Image Type", "dword", 3)]))
    target = Target(extra=("--title", "T" * 300))
    try:
        for number in ("0000", "0001", "0002"):
            app.capture(target.quadrant_point(3))
            app.wait_shown(timeout=60)
            wait_for(lambda: any(p.name.endswith(f"T {number}.png") for p in folder.iterdir()), timeout=60,
                     what=f"the file numbered {number}")
        names = sorted(p.name for p in folder.iterdir())
        len(names) == 3 or fail(f"files {names}")
        all(len(folder_name) + len(name) == 259 for name in names) or fail(f"names not fitted to the path: {names}")
    finally:
        target.close()
        app.close()
