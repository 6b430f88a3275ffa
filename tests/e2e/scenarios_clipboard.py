"""The clipboard after a capture, end to end: the image as a bitmap, a DIB and PNG with the
window's pixels; the saved file, its path and the image together after a save; a clipboard
that another program holds for a moment, and one it holds too long."""
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)


def clipboard_formats():
    return sorted(probe("clipboard-formats").get("format", []))


def check_clipboard_dib(target, windows_path):
    """The clipboard's CF_DIB is 24-bit and holds the target window's pixels."""
    found = probe("clipboard-dib", windows_path)
    found["dib"][0].endswith(" 24") or fail(f"the DIB is {found['dib']}")
    target.check_bmp(unix_path(windows_path))


@test
def clipboard_holds_bitmap_dib_and_png_with_the_windows_pixels():
    with Tessory() as app, Target() as target:
        app.capture(target.quadrant_point(0))
        app.wait_shown()
        wait_for(lambda: clipboard_formats() == ["bitmap", "dib", "png"], what="the three image formats")
        check_clipboard_dib(target, "C:\\e2e-clip-dib.bmp")
        probe("clipboard-png", "C:\\e2e-clip.png")
        target.check_image(*read_gif(unix_path("C:\\e2e-clip.png"), "png"))
        probe("clipboard-bmp", "C:\\e2e-clip.bmp")
        target.check_bmp(unix_path("C:\\e2e-clip.bmp"))


@test
def after_a_save_the_image_the_file_and_its_path_are_on_the_clipboard_together():
    copies = [("Copy Image After Save", "dword", 1), ("Copy File After Save", "dword", 1),
              ("Copy Path After Save", "dword", 1)]
    with autosaving("C:\\e2e-after\\", copies) as (folder, app), Target() as target:
        probe("set-clipboard-text", "before")
        app.capture(target.quadrant_point(3))
        app.wait_shown()
        wait_for_file(folder / "CAP0000.bmp")
        wait_for(lambda: clipboard_formats() == ["bitmap", "dib", "files", "png", "text"], what="the whole content")
        path = "C:\\e2e-after\\CAP0000.bmp"
        probe("clipboard-text")["text"] == [path] or fail(f"path text {probe('clipboard-text')}")
        files = probe("clipboard-files")
        files.get("file") == [path] or fail(f"file list {files}")
        files.get("effect") == ["1"] or fail(f"drop effect {files.get('effect')}, not copy")
        check_clipboard_dib(target, "C:\\e2e-after-dib.bmp")


@test
def clipboard_held_for_half_a_second_still_gets_the_image():
    with Tessory() as app, Target() as target:
        probe("set-clipboard-text", "before")
        # The hold begins as the pointer is released over the window, so the
        # capture finds the clipboard held.
        press_at(app.icon)
        move_to(target.quadrant_point(1))
        with hold_clipboard(0.5) as holder:
            release()
            app.wait_shown()
            holder.wait(timeout=30)
        time.sleep(1.0)
        shown_message() and fail("an error box for a short hold")
        wait_for(lambda: clipboard_formats() == ["bitmap", "dib", "png"], what="the image after the hold")
