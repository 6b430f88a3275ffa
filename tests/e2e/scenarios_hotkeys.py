"""Capturing without the drag, end to end: the hotkeys pressed on the real
keyboard (they reach Wine's desktop, which has the X focus), through the
same grab and delivery as a drag."""
import contextlib
import subprocess
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

NOTEPAD = Notepad.TITLE
FOLDER = "C:\\e2e-hotkey\\"
MOD_ALT = 0x1
MOD_CONTROL = 0x2
VK_SNAPSHOT = 0x2C
CTRL_SHIFT_F9 = (2 | 1) << 8 | 0x78  # HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F9


def saved_files(folder, count=1):
    return wait_for(lambda: len(files := sorted(folder.iterdir())) >= count and files, what="the auto-saved file")


def pointer_hotkey_saves_the_helper(folder, target, quadrant):
    """Ctrl+Alt+PrtScn over a quadrant of the helper window saves the helper's picture."""
    move_to(target.quadrant_point(quadrant))
    key("ctrl+alt+Print")
    (file,) = saved_files(folder)
    target.check_bmp(file)


@contextlib.contextmanager
def autosaving_over_the_helper(extra=()):
    """Tessory auto-saving into an empty FOLDER with the `extra` settings, and the helper window."""
    with autosaving(FOLDER, extra) as (folder, _), Target() as target:
        yield folder, target


def click(point):
    subprocess.run(["xdotool", "mousemove", str(point[0]), str(point[1]), "click", "1"], check=True)
    time.sleep(0.5)


def shown_menu():
    """The open menu as the probe finds it while one shows, else None."""
    found = probe("class", "#32768", check=False)
    return found if found.get("visible") == ["1"] else None


def open_window_menu(client):
    """Opens Tessory's window menu with a right click on the window, whose client area is `client`."""
    x, y, w, h = client
    subprocess.run(["xdotool", "mousemove", str(x + 20), str(y + h // 2), "click", "3"], check=True)
    wait_for(shown_menu, what="the window's menu")


@test
def alt_printscreen_autosaves_the_active_notepad():
    with autosaving(FOLDER) as (folder, app), Notepad() as notepad:
        x, y = notepad.point()
        click((x, y))  # Notepad becomes the active window
        wait_foreground(NOTEPAD, "Notepad to be active")
        key("alt+Print")
        (file,) = saved_files(folder)
        app.wait_shown()
        time.sleep(0.5)
        width, height, _, pixel = read_bmp(file)
        info = window_info(NOTEPAD)
        left, top, right, bottom = info["window"]
        (width, height) == (right - left, bottom - top) or fail(f"image {width}x{height}, Notepad {info['window']}")
        # The middle of Notepad's edit area is white.
        pixel(x - left + 20, y - top + 20) == (255, 255, 255) or fail("no edit area in the image")


@test
def pointer_hotkey_takes_the_window_under_the_pointer():
    with autosaving_over_the_helper() as (folder, target):
        pointer_hotkey_saves_the_helper(folder, target, 2)


def answer_startup_message(app, named):
    """Waits for the start-up message, checks that it names the key and action
    `named`, answers it from the keyboard and waits for the main window: the
    message's lines."""
    lines = message_box("the start-up message")
    named in lines or fail(f"the message says {lines}")
    key("Return")
    app.wait_started()
    return lines


@test
def hotkey_held_by_another_program_is_named_at_start_and_the_others_work():
    with holding("hold-hotkey", str(MOD_ALT), str(VK_SNAPSHOT), "60", what="Alt+PrtScn"), \
            autosaving(FOLDER, shown=False) as (folder, app):
        lines = answer_startup_message(app, "Alt+PrtScn (Capture active window)")
        any("Ctrl+Alt+PrtScn" in line for line in lines) and fail(f"a key that was taken is named: {lines}")
        with Target() as target:
            pointer_hotkey_saves_the_helper(folder, target, 1)


@test
def hotkeys_stored_by_hand_are_the_ones_taken_and_stored_again():
    with autosaving_over_the_helper([("Hotkey Pointer Window", "dword", CTRL_SHIFT_F9)]) as (folder, target):
        move_to(target.quadrant_point(3))
        key("ctrl+alt+Print")  # no longer the pointer hotkey
        time.sleep(1.5)
        list(folder.iterdir()) and fail("the default key captured")
        key("ctrl+shift+F9")
        (file,) = saved_files(folder)
        target.check_bmp(file)
    check_stored([f"Hotkey Pointer Window dword {CTRL_SHIFT_F9}", "Hotkey Active Window dword 1068",
                  "Hotkey Keyboard Pick dword 0", "Capture Delay dword 0", "Capture Pointer dword 0"])


def countdown_shown():
    found = probe("class", "TessoryPickLabel", check=False)
    return found.get("visible") == ["1"] and found["text"][0].isdigit()


@test
def countdown_keeps_a_menu_opened_meanwhile_and_takes_it_into_the_image():
    with autosaving(FOLDER, [("Capture Delay", "dword", 3)]) as (folder, app), Notepad() as notepad:
        info = notepad.info
        left, top, right, bottom = info["window"]
        x, y, w, h = info["client"]
        move_to((x + w // 2, y + h // 2))
        key("ctrl+alt+Print")
        wait_for(countdown_shown, what="the countdown")
        click((left + 20, y - 9))  # "File" on Notepad's menu bar, just above the client area
        menu = wait_for(shown_menu, what="the File menu")
        (file,) = saved_files(folder)
        app.wait_shown()
        time.sleep(0.5)
        shown_menu() or fail("the capture closed the menu")
        m_left, m_top, m_right, m_bottom = (int(v) for v in menu["window"][0].split())
        probe("screen-bmp", "C:\\e2e-screen.bmp", *(str(v) for v in (m_left, m_top, m_right, m_bottom)))
        _, _, _, screen = read_bmp(unix_path("C:\\e2e-screen.bmp"))
        width, height, _, pixel = read_bmp(file)
        b_left, b_top = min(left, m_left), min(top, m_top)
        (width, height) == (max(right, m_right) - b_left, max(bottom, m_bottom) - b_top) or \
            fail(f"image {width}x{height}, Notepad {info['window']}, menu {menu['window']}")
        # The menu as the screen shows it, its item texts included, where
        # Notepad's own image has a blank edit area.
        differ = dark = 0
        for sy in range(m_top, m_bottom):
            for sx in range(m_left, m_right):
                got = pixel(sx - b_left, sy - b_top)
                differ += any(abs(a - b) > 8 for a, b in zip(got, screen(sx - m_left, sy - m_top)))
                dark += all(v < 100 for v in got)
        differ == 0 or fail(f"{differ} pixels of the menu differ from the screen")
        dark > 100 or fail(f"no menu items in the image ({dark} dark pixels)")
        pixel(m_right + 40 - b_left, m_top + 40 - b_top) == (255, 255, 255) or fail("no edit area beside the menu")
        key("Escape")


@test
def escape_cancels_the_countdown():
    with autosaving_over_the_helper([("Capture Delay", "dword", 2)]) as (folder, target):
        move_to(target.quadrant_point(0))
        key("ctrl+alt+Print")
        wait_for(countdown_shown, what="the countdown")
        key("Escape")
        time.sleep(3)
        list(folder.iterdir()) and fail("the cancelled countdown captured")
        countdown_shown() and fail("the countdown is still shown")


@test
def pointer_is_drawn_into_a_hotkey_capture_when_asked():
    with autosaving_over_the_helper([("Capture Pointer", "dword", 1)]) as (folder, target):
        px, py = target.quadrant_point(0)
        move_to((px, py))
        key("ctrl+alt+Print")
        (file,) = saved_files(folder)
        width, height, _, pixel = read_bmp(file)
        ox, oy = px - target.window[0], py - target.window[1]
        # The arrow's hotspot is its tip: below and right of it the arrow covers the red quadrant.
        covered = sum(1 for dx in range(12) for dy in range(16)
                      if any(abs(a - b) > 40 for a, b in zip(pixel(ox + dx, oy + dy), QUADRANTS[0])))
        covered >= 20 or fail(f"no pointer at {ox},{oy} ({covered} pixels differ from the quadrant)")


@test
def keyboard_pick_moves_with_tab_and_captures_with_enter():
    ctrl_alt_k = (2 | 4) << 8 | 0x4B
    with autosaving(FOLDER, [("Hotkey Keyboard Pick", "dword", ctrl_alt_k)]) as (folder, app), Target() as target, \
            Notepad():
        wait_foreground(NOTEPAD, "Notepad to be active")
        key("ctrl+alt+k")  # the pick starts at Notepad, the active window
        wait_for(lambda: (f := probe("class", "TessoryPickLabel", check=False)).get("visible") == ["1"] and
                 f["text"][0].startswith(NOTEPAD), what="the label on Notepad")
        key("Tab")  # the next window down: the helper
        wait_for(lambda: probe("class", "TessoryPickLabel", check=False)["text"][0].startswith("Tessory Test Target"),
                 what="the label on the helper")
        key("Return")
        (file,) = saved_files(folder)
        target.check_bmp(file)


@test
def more_options_from_the_window_menu_are_stored_at_close():
    with Tessory() as app:
        open_window_menu(app.client)
        key("Down", "Return")  # "More options..."
        wait_foreground("More Options", "More Options")
        key("Tab", "Tab", "Tab", "3", "Tab", "space", "Return")  # past the hotkeys: the countdown, the pointer, OK
        wait_for(lambda: not visible_window("form:More Options"), what="More Options to close")
    check_stored(["Capture Delay dword 3", "Capture Pointer dword 1", "Hotkey Active Window dword 1068"])


@test
def hotkey_pressed_while_the_window_menu_is_open_does_nothing():
    with autosaving_over_the_helper([("Hotkey Pointer Window", "dword", CTRL_SHIFT_F9)]) as (folder, target):
        open_window_menu(window_info("form:Tessory")["client"])
        move_to(target.quadrant_point(1))
        key("ctrl+shift+F9")
        key("Escape")
        # The menu handles the press before the Escape that closes it.
        wait_for(lambda: not shown_menu(), what="the menu to close")
        list(folder.iterdir()) and fail("the hotkey captured while the menu was open")
        window_info("form:Tessory")["visible"] or fail("the menu's owner is hidden")
        key("ctrl+shift+F9")
        (file,) = saved_files(folder)
        target.check_bmp(file)


def shown_hint(client):
    """The main window's hint as the tooltip shows it, with the pointer brought onto the Options button."""
    x, y, w, h = client
    move_to((x + w * 3 // 4, y + h + 200))
    move_to((x + w * 3 // 4, y + h // 2))
    found = wait_for(lambda: (t := probe("tooltip", "form:Tessory", check=False)).get("visible") == ["1"] and t,
                     what="the hint")
    return found["text"][0]


@test
def key_held_at_start_is_taken_once_free_and_leaves_the_hint():
    with holding("hold-hotkey-until-told", str(MOD_CONTROL | MOD_ALT), str(VK_SNAPSHOT), what="Ctrl+Alt+PrtScn",
                 stdin=subprocess.PIPE) as holder, autosaving(FOLDER, shown=False) as (folder, app):
        lines = answer_startup_message(app, "Ctrl+Alt+PrtScn (Capture window under pointer)")
        any("try it again" in line for line in lines) or fail(f"no word of trying again: {lines}")
        hint = shown_hint(app.client)
        "not available: Ctrl+Alt+PrtScn" in hint or fail(f"the hint says {hint!r}")
        holder.stdin.write("\n")
        holder.stdin.flush()
        holder.stdout.readline() == "released\n" or fail("the helper did not release the key")
        wait_for(lambda: "Ctrl+Alt+PrtScn" not in shown_hint(app.client), timeout=60, what="the hint to drop the key")
        with Target() as target:
            pointer_hotkey_saves_the_helper(folder, target, 2)
