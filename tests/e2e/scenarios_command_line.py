"""The command line, as a script uses it: `wine tessory.exe --capture WHAT ...` waits for the
program, whose file is whole when it returns, whose exit code tells what happened, whose
standard output names the file and whose standard error gives the reason of a failure."""
import re
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def command(*args, timeout=120):
    """Runs tessory.exe with `args` as a script would and waits for it: (exit code, stdout, stderr)."""
    result = subprocess.run([WINE, str(TESSORY), *args], capture_output=True, text=True, timeout=timeout,
                            cwd=PREFIX / "drive_c")
    return result.returncode, result.stdout.strip(), result.stderr.strip()


def expect(outcome, code, what):
    outcome[0] == code or fail(f"{what}: exit code {outcome[0]}, expected {code}; stderr: {outcome[2]!r}")
    return outcome


def settings(*values):
    """Stores the values (name, kind, value) as the program's settings, after clearing them."""
    commands = ["reg-clear"]
    for name, kind, value in values:
        commands += [f"reg-{kind}", name, str(value)]
    probe(*commands)


def shown_window(title):
    """The rectangle (l, t, r, b) of the shown window whose title is `title`."""
    for line in probe("windows").get("shown", []):
        found = re.match(r'\S+ "(.*)" (-?\d+) (-?\d+) (-?\d+) (-?\d+)', line)
        if found and found.group(1) == title:
            return [int(v) for v in found.groups()[1:]]
    return None


def check_equals_screen(rect, width, height, pixel):
    """The image is what the screen shows over `rect`, but for a few pixels (a caret that blinks)."""
    (width, height) == (rect[2] - rect[0], rect[3] - rect[1]) or fail(f"image {width}x{height}, window {rect}")
    screen = screenshot()
    points = [(x, y) for x in range(0, width, max(1, width // 23)) for y in range(0, height, max(1, height // 19))]
    differ = [p for p in points if any(abs(a - b) > 8 for a, b in zip(pixel(*p), screen(rect[0] + p[0], rect[1] + p[1])))]
    len(differ) <= len(points) // 50 or fail(f"{len(differ)} of {len(points)} points differ from the screen: {differ[:5]}")


class WineProgram(Closing):
    """One of Wine's own programs, shown, until closed."""

    def __init__(self, program, title):
        self.process = subprocess.Popen([WINE, program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.title = title
        try:
            self.rect = wait_for(lambda: shown_window(title), what=title)
        except BaseException:
            self.close()
            raise
        time.sleep(0.5)

    def close(self):
        self.process.kill()
        self.process.wait(timeout=20)


@test
def title_query_writes_a_new_folders_file_whole_when_wine_returns():
    settings()
    with Target() as target:
        file = "C:\\e2e-cli\\new\\deeper\\shot.png"
        folder = unix_path("C:\\e2e-cli\\")
        subprocess.run(["rm", "-rf", str(folder)], check=True)
        outcome = expect(command("--capture", "title:tessory TEST target", "--to", file, "--delay", "1"), 0, "title:")
        outcome[1] == file or fail(f"stdout {outcome[1]!r}")
        unix_path(file).read_bytes()[:8] == PNG_SIGNATURE or fail("not a PNG")
        target.check_image(*read_gif(unix_path(file), "png"))


@test
def exact_title_and_handle_name_the_helper_window():
    settings()
    with Target() as target:
        bmp = "C:\\e2e-cli\\exact.bmp"
        expect(command("--capture", "title:=Tessory Test Target", "--to", bmp, "--overwrite"), 0, "title:=")
        width, height, bits, pixel = read_bmp(unix_path(bmp))
        bits == 24 or fail(f"{bits} bits")
        target.check_image(width, height, pixel)
        expect(command("--capture", "title:=Tessory Test", "--to", bmp), 2, "a title only partly equal")
        jpg = "C:\\e2e-cli\\handle.jpg"
        expect(command("--capture", f"handle:{target.handle}", "--to", jpg, "--quality", "95", "--overwrite"), 0,
               "handle:")
        target.check_image(*read_gif(unix_path(jpg), "jpg"))


@test
def process_query_takes_notepad_as_the_screen_shows_it():
    settings()
    with WineProgram("notepad", "Untitled - Notepad") as notepad:
        file = "C:\\e2e-cli\\notepad.bmp"
        expect(command("--capture", "process:NOTEPAD.EXE", "--to", file, "--overwrite"), 0, "process:")
        width, height, _, pixel = read_bmp(unix_path(file))
        check_equals_screen(notepad.rect, width, height, pixel)


@test
def pointer_and_active_take_winemine():
    settings()
    with WineProgram("winemine", "WineMine") as mine:
        l, t, r, b = mine.rect
        subprocess.run(["xdotool", "mousemove", str((l + r) // 2), str(t + 10)], check=True)
        subprocess.run(["xdotool", "click", "1"], check=True)  # on the title bar: it is active now
        time.sleep(0.5)
        for what in ("pointer", "active"):
            file = f"C:\\e2e-cli\\mine-{what}.png"
            expect(command("--capture", what, "--to", file, "--overwrite"), 0, what)
            check_equals_screen(mine.rect, *read_gif(unix_path(file), "png"))


@test
def folder_gets_the_next_free_name_and_stdout_names_it():
    settings(("Sequential File Names", "dword", 1))
    folder = fresh_folder("C:\\e2e-cli-folder\\")
    with Target() as target:
        for name in ("CAP0000.gif", "CAP0001.gif"):
            outcome = expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli-folder\\", "--type",
                                     "gif"), 0, "to a folder")
            outcome[1] == f"C:\\e2e-cli-folder\\{name}" or fail(f"stdout {outcome[1]!r}")
        target.check_image(*read_gif(folder / "CAP0001.gif"))
        expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli-folder\\", "--type", "gif",
                       "--overwrite"), 0, "to a folder, replacing")
        sorted(p.name for p in folder.iterdir()) == ["CAP0000.gif", "CAP0001.gif"] or fail("--overwrite made a file")


@test
def without_to_the_stored_folder_and_names_serve_and_a_stored_prompt_means_png():
    folder = fresh_folder("C:\\e2e-cli-stored\\")
    settings(("Save Option", "dword", 1), ("Image Type", "dword", 4), ("Temp Folder", "sz", "C:\\e2e-cli-stored"),
             ("File Name Pattern", "sz", "{process} {width}x{height}"))
    with Target() as target:
        outcome = expect(command("--capture", "title:Tessory Test"), 0, "the stored route")
        width, height = target.size()
        name = f"tessory_test_target {width}x{height}.png"
        outcome[1] == f"C:\\e2e-cli-stored\\{name}" or fail(f"stdout {outcome[1]!r}")
        target.check_image(*read_gif(folder / name, "png"))
        any(v.startswith("Last X-Pos") for v in probe("reg-dump").get("value", [])) and fail("settings were stored")


@test
def a_wrongly_typed_stored_value_is_told_and_its_default_used():
    folder = fresh_folder("C:\\e2e-cli-typed\\")
    settings(("Temp Folder", "sz", "C:\\e2e-cli-typed\\"), ("Image Type", "sz", "png"),
             ("Sequential File Names", "dword", 1))
    with Target() as target:
        outcome = expect(command("--capture", "title:Tessory Test"), 0, "a wrongly typed value")
        "Image Type" in outcome[2] or fail(f"stderr {outcome[2]!r}")
        outcome[1] == "C:\\e2e-cli-typed\\CAP0000.bmp" or fail(f"stdout {outcome[1]!r}")
        (folder / "CAP0000.bmp").exists() or fail("nothing written")


@test
def clipboard_gets_the_image_and_other_clipboard_use_is_asked_for():
    settings(("Copy Path After Save", "dword", 1), ("Notify After Save", "dword", 1))
    with Target() as target:
        probe("set-clipboard-text", "before")
        expect(command("--capture", "title:Tessory Test", "--to", "clipboard"), 0, "to the clipboard")
        probe("clipboard-bmp", "C:\\e2e-cli-clip.bmp")
        width, height, _, pixel = read_bmp(unix_path("C:\\e2e-cli-clip.bmp"))
        target.check_image(width, height, pixel)
        probe("set-clipboard-text", "kept")
        file = "C:\\e2e-cli\\path.png"
        expect(command("--capture", "title:Tessory Test", "--to", file, "--overwrite"), 0, "the stored after-save")
        probe("clipboard-text")["text"] == ["kept"] or fail("the stored after-save action ran")
        expect(command("--capture", "title:Tessory Test", "--to", file, "--overwrite", "--copy-path"), 0, "--copy-path")
        probe("clipboard-text")["text"] == [file] or fail(f"clipboard {probe('clipboard-text')}")


@test
def bad_arguments_give_one_line_and_exit_code_1():
    for args in (["--capture", "window"], ["--to", "a.png"], ["--capture", "active", "--quality", "101"],
                 ["--capture", "active", "--to", "C:\\a.tiff"], ["--frobnicate"]):
        outcome = expect(command(*args), 1, " ".join(args))
        (outcome[1] == "" and len(outcome[2].splitlines()) == 1) or fail(f"{args}: {outcome}")
    outcome = expect(command("/?"), 0, "/?")
    "--capture WHAT" in outcome[1] or fail("no usage")


@test
def no_window_and_tessorys_own_windows_give_exit_code_2():
    with Tessory():
        outcome = expect(command("--capture", "title:=Tessory", "--to", "C:\\e2e-cli\\own.png"), 2, "the tool window")
        "no window matches title:=Tessory" in outcome[2] or fail(f"stderr {outcome[2]!r}")
        expect(command("--capture", "process:tessory.exe", "--to", "C:\\e2e-cli\\own.png"), 2, "Tessory itself")
        expect(command("--capture", "handle:0x7654320", "--to", "C:\\e2e-cli\\own.png"), 2, "no such handle")
        unix_path("C:\\e2e-cli\\own.png").exists() and fail("a file was written")


@test
def a_window_without_area_gives_exit_code_3():
    settings()
    with Target(w=0, h=0, extra=("--popup",)) as target:
        outcome = expect(command("--capture", f"handle:{target.handle}", "--to", "C:\\e2e-cli\\empty.png"), 3,
                         "no area")
        outcome[2] or fail("no reason given")
        unix_path("C:\\e2e-cli\\empty.png").exists() and fail("a file was written")


@test
def what_cannot_be_written_gives_exit_code_4_and_loses_nothing():
    settings()
    with Target() as target:
        taken = unix_path("C:\\e2e-cli\\taken.png")
        taken.parent.mkdir(parents=True, exist_ok=True)
        taken.write_bytes(b"mine")
        outcome = expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli\\taken.png"), 4, "a file")
        "--overwrite" in outcome[2] or fail(f"stderr {outcome[2]!r}")
        taken.read_bytes() == b"mine" or fail("the file was replaced")
        expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli\\taken.png\\x.png"), 4, "a file as folder")
        probe("set-clipboard-text", "survivor")
        with hold_clipboard(8) as holder:
            outcome = expect(command("--capture", "title:Tessory Test", "--to", "clipboard"), 4, "a busy clipboard")
            "Cannot open clipboard" in outcome[2] or fail(f"stderr {outcome[2]!r}")
            outcome = expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli\\kept.png",
                                     "--overwrite", "--copy-path"), 4, "a file whose path the busy clipboard cannot take")
            outcome[1] == "C:\\e2e-cli\\kept.png" or fail(f"the saved file went unnamed: {outcome}")
            unix_path("C:\\e2e-cli\\kept.png").read_bytes()[:8] == PNG_SIGNATURE or fail("the saved file is gone")
            holder.wait(timeout=30)
        probe("clipboard-text")["text"] == ["survivor"] or fail("the clipboard changed")
        expect(command("--capture", "title:Tessory Test", "--to", "C:\\e2e-cli\\taken.png", "--overwrite"), 0, "replace")
        taken.read_bytes()[:8] == PNG_SIGNATURE or fail("--overwrite did not replace the file")


@test
def a_batch_file_waits_for_the_file_and_sees_the_exit_code():
    settings()
    with Target() as target:
        script = unix_path("C:\\e2e-cli\\capture.bat")
        script.parent.mkdir(parents=True, exist_ok=True)
        (script.parent / "batch.png").unlink(missing_ok=True)
        script.write_text(f'@echo off\r\n"{z_path(TESSORY)}" --capture "title:Tessory Test" --delay 2 '
                          '--to C:\\e2e-cli\\batch.png\r\n'
                          'echo code %ERRORLEVEL%\r\n'
                          'if exist C:\\e2e-cli\\batch.png echo written\r\n'
                          f'"{z_path(TESSORY)}" --capture title:=nothing --to C:\\e2e-cli\\none.png\r\n'
                          'echo code %ERRORLEVEL%\r\n')
        result = subprocess.run([WINE, "cmd", "/c", "C:\\e2e-cli\\capture.bat"], capture_output=True, text=True,
                                timeout=120, cwd=PREFIX / "drive_c")
        lines = [line.strip() for line in result.stdout.splitlines() if line.strip()]
        lines[:2] == ["C:\\e2e-cli\\batch.png", "code 0"] or fail(f"batch output {lines}")
        lines[2:] == ["written", "code 2"] or fail(f"batch output {lines}")
        target.check_image(*read_gif(script.parent / "batch.png", "png"))
