"""The capture routes, end to end: clipboard, auto-save (bitmap and GIF), the format prompt,
always-on-top and hung targets, a busy clipboard."""
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)


@test
def clipboard_route_grabs_the_whole_window_from_its_button():
    with Tessory() as app, Target() as target:
        probe("set-clipboard-text", "before")
        app.capture(target.button_point())
        app.wait_shown()
        found = wait_for(lambda: (f := probe("clipboard-bmp", "C:\\e2e-clip.bmp", check=False)) and "bitmap" in f and f,
                         what="a bitmap on the clipboard")
        found["palette"] == ["0"] or fail("a palette was placed")
        target.check_bmp(unix_path("C:\\e2e-clip.bmp"))
        probe("clipboard-text")["text"] == ["<none>"] or fail("the previous text survived")
        info = window_info("Tessory Test Target")
        info["topmost"] and fail("the target stayed always-on-top")
    # The ten values are stored at close.
    names = ["Last X-Pos", "Last Y-Pos", "Save Option", "Image Quality", "Image Type", "Show Options", "Temp Folder",
             "Sequential File Names", "Base File Name", "Capture Sound"]
    dump = stored_values()
    for name in names:
        any(v.startswith(name + " ") for v in dump) or fail(f"{name} not stored: {dump}")
    any(v == "Last X-Pos dword 100" for v in dump) or fail(f"position not stored: {dump}")


@test
def release_over_the_tool_window_captures_nothing():
    with Tessory() as app:
        probe("set-clipboard-text", "kept")
        x, y, w, h = app.client
        app.capture((x + w - 3, y + h - 2))
        time.sleep(1.5)
        probe("clipboard-text")["text"] == ["kept"] or fail("the clipboard changed")


@test
def always_on_top_target_stays_on_top():
    with Tessory() as app, Target(extra=("--topmost",)) as target:
        app.capture(target.quadrant_point(0))
        app.wait_shown()
        time.sleep(0.5)
        window_info("Tessory Test Target")["topmost"] or fail("the target lost its always-on-top state")


@test
def busy_clipboard_shows_the_error_and_keeps_the_contents():
    with Tessory() as app, Target() as target:
        probe("set-clipboard-text", "survivor")
        with hold_clipboard(5) as holder:
            app.capture(target.quadrant_point(1))
            lines = message_box()
            lines == ["Cannot open clipboard", "tessory_test_probe.exe"] or fail(f"error box says {lines}")
            window_info("form:Tessory")["visible"] or fail("the main window stayed hidden behind the error")
            key("Return")
            holder.wait(timeout=30)
        probe("clipboard-text")["text"] == ["survivor"] or fail("the previous contents were lost")


@test
def autosave_route_writes_sequential_names_with_the_windows_pixels():
    with autosaving("C:\\e2e-shots\\") as (folder, app), Target() as target:
        for name in ["CAP0000.bmp", "CAP0001.bmp"]:
            app.capture(target.quadrant_point(2))
            app.wait_shown()
            file = wait_for_file(folder / name)
            width, height, bits, pixel = read_bmp(file)
            bits == 24 or fail(f"{name} has {bits} bits per pixel")
            target.check_image(width, height, pixel)
        sorted(p.name for p in folder.iterdir()) == ["CAP0000.bmp", "CAP0001.bmp"] or fail("unexpected files")


@test
def autosave_as_gif_writes_the_windows_pixels():
    # 640 x 480 is large enough for the GIF writer to code on its second thread.
    with autosaving("C:\\e2e-gif\\", [("Image Type", "dword", 2)]) as (folder, app), Target(w=640, h=480) as target:
        app.capture(target.quadrant_point(1))
        app.wait_shown()
        gif = wait_for_file(folder / "CAP0000.gif")
        gif.read_bytes()[:6] == b"GIF87a" or fail("CAP0000.gif is not a GIF87a file")
        target.check_image(*read_gif(gif))


@test
def hung_window_does_not_freeze_tessory():
    with autosaving("C:\\e2e-hung\\") as (folder, app), Target(extra=("--hang-after", "200")) as target:
        time.sleep(1.0)  # the helper has stopped answering by now
        started = time.time()
        app.capture(target.quadrant_point(3))
        app.wait_shown(timeout=60)  # a freeze would be for good
        wait_for_file(folder / "CAP0000.bmp", "the hung window's capture")
        print(f"  hung target: shown again after {time.time() - started:.1f} s")
        width, height, _, _ = read_bmp(folder / "CAP0000.bmp")
        (width, height) == target.size() or fail("wrong size")


@test
def prompt_is_answered_from_the_keyboard():
    with autosaving("C:\\e2e-prompt\\", [("Image Type", "dword", 4)]) as (folder, app), Target() as target:
        # Enter takes the default, "Windows Bitmap".
        app.capture(target.quadrant_point(0))
        wait_for_prompt("the prompt")
        window_info("form:Tessory")["visible"] and fail("the main window shows during the capture")
        key("Return")
        app.wait_shown()
        wait_for_file(folder / "CAP0000.bmp")
        # Escape writes nothing.
        app.capture(target.quadrant_point(0))
        wait_for_prompt("the prompt again")
        key("Escape")
        app.wait_shown()
        time.sleep(1.0)
        sorted(p.name for p in folder.iterdir()) == ["CAP0000.bmp"] or fail("a file was written after Escape")
        # Tab to the format list, down to "PNG Image", Enter: that one capture is a PNG.
        app.capture(target.quadrant_point(0))
        wait_for_prompt("the prompt a third time")
        key("Tab", "Tab", "Down", "Down", "Down", "Return")
        app.wait_shown()
        png = wait_for_file(folder / "CAP0000.png")
        time.sleep(0.5)
        png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n" or fail("CAP0000.png is not a PNG file")
