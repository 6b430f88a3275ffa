"""Auto-saved names, end to end: a pattern's fields over Wine's Notepad, a taken name's
" (2)", a missing folder made, a base name no file may have refused at OK."""
import shutil
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)


@test
def pattern_names_the_file_after_the_program_and_title_and_a_taken_name_gets_2():
    pattern = [("File Name Pattern", "sz", "{process} - {title}"), ("Image Type", "dword", 3)]
    # Tessory stands clear of Notepad, which opens large in the corner.
    with autosaving("C:\\e2e-pattern\\", pattern, position=(1100, 900)) as (folder, app), Notepad() as notepad:
        for name in ["notepad - Untitled - Notepad.png", "notepad - Untitled - Notepad (2).png"]:
            app.capture(notepad.point())
            app.wait_shown()
            file = wait_for_file(folder / name)
            time.sleep(0.5)
            file.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" or fail(f"{name} is not a PNG file")
        names = sorted(p.name for p in folder.iterdir())
        len(names) == 2 or fail(f"unexpected files {names}")


@test
def missing_autosave_folder_is_created_with_its_parents():
    top = unix_path("C:\\e2e-missing\\")
    shutil.rmtree(top, ignore_errors=True)
    with Tessory(autosave_settings("C:\\e2e-missing\\deeper\\shots\\")) as app, Target() as target:
        app.capture(target.quadrant_point(2))
        app.wait_shown()
        file = wait_for_file(top / "deeper" / "shots" / "CAP0000.bmp", "CAP0000.bmp in the new folder")
        time.sleep(0.5)
        target.check_bmp(file)


@test
def base_name_no_file_may_have_is_refused_at_ok():
    base_name_edit, ok_button = 145, 1
    with Tessory([("Save Option", "dword", 2)]) as app:
        x, y, _, _ = app.client
        click_at((x + 40, y + 9))  # the Options button
        wait_for(lambda: visible_window("form:Options"), what="the Options dialog")
        time.sleep(0.5)
        click_control("form:Options", base_name_edit)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "60", "a/b:c"], check=True)
        click_control("form:Options", ok_button)
        lines = message_box("the refusal")
        lines == ["The base file name cannot contain these characters: / :"] or fail(f"the box says {lines}")
        key("Return")
        time.sleep(0.5)
        window_info("form:Options")["visible"] or fail("the dialog closed on a refused name")
        click_control("form:Options", base_name_edit)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "60", "shot"], check=True)
        click_control("form:Options", ok_button)
        wait_for(lambda: not window_info("form:Options"), what="the dialog to close")
    check_stored(["Base File Name sz shot"])


@test
def a_long_title_in_a_long_folder_gives_each_capture_its_own_file():
    folder_name = "C:\\e2e-long-titles-" + "f" * 75 + "\\"  # 95 characters
    pattern = [("File Name Pattern", "sz", "{title} {number}"), ("Image Type", "dword", 3)]
    with autosaving(folder_name, pattern) as (folder, app), Target(extra=("--title", "T" * 300)) as target:
        for number in ("0000", "0001", "0002"):
            app.capture(target.quadrant_point(3))
            app.wait_shown(timeout=60)
            wait_for(lambda: any(p.name.endswith(f"T {number}.png") for p in folder.iterdir()), timeout=60,
                     what=f"the file numbered {number}")
        names = sorted(p.name for p in folder.iterdir())
        len(names) == 3 or fail(f"files {names}")
        all(len(folder_name) + len(name) == 259 for name in names) or fail(f"names not fitted to the path: {names}")
