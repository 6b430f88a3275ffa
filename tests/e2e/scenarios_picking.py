"""Picking, end to end: the outline and label during a drag, Escape from the
keyboard, a quick second press, the first start's placement, and windows
reaching past the screen's edges."""
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

AMBER, DARK = (255, 176, 0), (24, 24, 24)  # the outline's line and edges
BLACK = (0, 0, 0)  # what a capture holds where its window lies on no screen
SCREEN = (1280, 1024)


def outline_around(pixel, window):
    """Whether the amber line runs just outside each side of `window`."""
    left, top, right, bottom = window
    mid_x, mid_y = (left + right) // 2, (top + bottom) // 2
    # The ring is 4 pixels wide: dark, amber, amber, dark from the outside in.
    return all(pixel(x, y) == AMBER for x, y in
               [(left - 2, mid_y), (right + 1, mid_y), (mid_x, top - 2), (mid_x, bottom + 1)])


def outline_shown(window, shown=True):
    """Waits until the screen shows the outline around `window` (or shows none)."""
    return wait_for(lambda: outline_around(screenshot(), window) == shown, timeout=30,
                    what="the outline to " + ("show" if shown else "go"))


def shown_label(target):
    """The label's window when it shows the target's title and size, else None."""
    found = probe("class", "TessoryPickLabel", check=False)
    width, height = target.size()
    if found.get("text") != [f"Tessory Test Target   {width} x {height}"] or found.get("visible") != ["1"]:
        return None
    return [int(v) for v in found["window"][0].split()]


@test
def left_drag_outlines_the_top_level_window_and_the_capture_stays_clean():
    with autosaving("C:\\e2e-outline\\") as (folder, app), Target() as target:
        press_at(app.icon)
        move_to(target.quadrant_point(0))
        outline_shown(target.window)
        label = wait_for(lambda: shown_label(target), what="the label with title and size")
        x, y = target.quadrant_point(0)
        lx, ly = label[:2]
        0 < lx - x <= 40 and 0 < ly - y <= 40 or fail(f"label at {lx},{ly}, pointer at {x},{y}")
        move_to(target.button_point())  # a child window: the outline stays on its top-level window
        outline_shown(target.window)
        move_to(app.icon)  # over Tessory itself: no outline, no label
        outline_shown(target.window, False)
        wait_for(lambda: not shown_label(target), what="the label to go")
        move_to(target.quadrant_point(3))
        release()
        app.wait_shown()
        file = wait_for_file(folder / "CAP0000.bmp", "the capture")
        time.sleep(0.5)
        outline_around(screenshot(), target.window) and fail("the outline outlived the drag")
        shown_label(target) and fail("the label outlived the drag")
        app.close()
        time.sleep(0.5)
        screen = screenshot()  # the window alone, none of Tessory's windows left
        # Below the caption (which the grab's activation recolours), every
        # pixel of the capture is the window's own, as the screen shows it.
        width, height, _, pixel = read_bmp(file)
        left, top = target.window[:2]
        for y in range(target.client[1] - top, height, 3):
            for x in range(0, width, 3):
                pixel(x, y) == screen(left + x, top + y) or fail(f"captured ({x},{y}) {pixel(x, y)} is not the "
                                                                 f"window's {screen(left + x, top + y)}")


@test
def right_drag_outlines_the_window_its_release_captures():
    with autosaving("C:\\e2e-right\\") as (folder, app), Target() as target:
        app.capture(target.quadrant_point(1))  # the left drag that picks the window
        app.wait_shown()
        wait_for_file(folder / "CAP0000.bmp", "the first capture")
        press_at(app.icon, button=3)
        outline_around(screenshot(), target.window) and fail("an outline while over Tessory")
        move_to((target.window[0] - 80, target.window[3] + 40))  # over the desktop, yet the pick stays
        outline_shown(target.window)
        release(button=3)
        app.wait_shown()
        wait_for_file(folder / "CAP0001.bmp", "the right-button capture")
        outline_around(screenshot(), target.window) and fail("the outline outlived the drag")


@test
def escape_from_the_keyboard_cancels_the_drag():
    with autosaving("C:\\e2e-escape\\") as (folder, app), Target() as target:
        press_at(app.icon)
        move_to(target.quadrant_point(0))
        outline_shown(target.window)
        key("Escape")
        wait_for(lambda: not shown_label(target), what="Escape to take the label away")
        outline_shown(target.window, False)
        release()
        time.sleep(2.0)
        list(folder.iterdir()) == [] or fail("the release after Escape captured the window")
        window_info("form:Tessory")["visible"] or fail("the main window is not shown")
        # The next drag works as ever.
        app.capture(target.quadrant_point(0))
        app.wait_shown()
        wait_for_file(folder / "CAP0000.bmp", "the capture after the cancelled drag")


@test
def quick_second_press_on_the_icon_captures():
    with autosaving("C:\\e2e-double\\") as (folder, app), Target() as target:
        subprocess.run(["xdotool", "mousemove", str(app.icon[0]), str(app.icon[1])], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "click", "1", "sleep", "0.12", "mousedown", "1"], check=True)
        move_to(target.quadrant_point(1))
        release()
        app.wait_shown()
        file = wait_for_file(folder / "CAP0000.bmp", "the capture after a double click")
        time.sleep(0.5)
        target.check_bmp(file)


@test
def first_start_places_the_window_inside_the_work_area_off_its_corner():
    subprocess.run(["xdotool", "mousemove", "700", "500"], check=True)
    with Tessory(position=None):
        left, top, right, bottom = window_info("form:Tessory")["window"]
        (left, top) != (0, 0) or fail("the window opened in the screen's corner")
        0 < left and 0 < top and right <= SCREEN[0] and bottom <= SCREEN[1] or fail(
            f"not wholly on the screen: {left},{top},{right},{bottom}")
    check_stored([f"Last X-Pos dword {left}"])  # the place it opened at


def check_edge_capture(target, width, height, pixel):
    """On-screen client pixels at their own offsets; those on no screen black."""
    (width, height) == target.size() or fail(f"image {width}x{height}, window {target.size()}")
    cx, cy, cw, ch = target.client
    left, top = target.window[:2]
    button = (cw * 3 // 4 - 46, ch * 3 // 4 - 18, cw * 3 // 4 + 46, ch * 3 // 4 + 18)
    checked = 0
    for y in range(6, ch - 6, 11):
        for x in range(6, cw - 6, 11):
            if abs(x - cw // 2) < 6 or abs(y - ch // 2) < 6:
                continue
            if button[0] <= x <= button[2] and button[1] <= y <= button[3]:
                continue
            sx, sy = cx + x, cy + y
            on_screen = 0 <= sx < SCREEN[0] and 0 <= sy < SCREEN[1]
            expected = QUADRANTS[(x >= cw // 2) + 2 * (y >= ch // 2)] if on_screen else BLACK
            got = pixel(sx - left, sy - top)
            all(abs(a - b) <= 8 for a, b in zip(got, expected)) or fail(
                f"window at {target.window[:2]}: client ({x},{y}) is {got}, expected {expected}")
            checked += 1
    return checked


@test
def windows_past_the_screen_edges_keep_their_pixels_in_place():
    with autosaving("C:\\e2e-edges\\") as (folder, app):
        # Past the left and bottom edges, past the right edge, past the bottom edge.
        for index, (x, y, w, h) in enumerate([(-200, 500, 640, 600), (1000, 200, 480, 360), (300, 850, 480, 360)]):
            with Target(x=x, y=y, w=w, h=h) as target:
                cx, cy, cw, ch = target.client
                app.capture((max(cx, 0) + 30, max(cy, 0) + 30))
                app.wait_shown()
                file = wait_for_file(folder / f"CAP{index:04d}.bmp")
                time.sleep(0.5)
                width, height, _, pixel = read_bmp(file)
                check_edge_capture(target, width, height, pixel)
