"""The settings across a start and a close, end to end: a value stored with
the wrong type is reported, and costs the user none of the other values."""
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

# A user's own settings, every one away from its default.
USERS_VALUES = [("Save Option", "dword", 2), ("Image Type", "dword", 1), ("Sequential File Names", "dword", 1),
                ("Temp Folder", "sz", "C:\\e2e-mine\\"), ("Base File Name", "sz", "shot"),
                ("Capture Sound", "sz", "C:\\sounds\\click.wav")]


def error_box_lines():
    found = probe("dialog", "Tessory", check=False)
    return found.get("dialog")


@test
def mistyped_value_is_reported_once_and_the_users_other_values_survive():
    # "Image Quality" as text, as a hand edit of the registry leaves it.
    app = Tessory(USERS_VALUES + [("Image Quality", "sz", "90")], shown=False)
    try:
        lines = wait_for(error_box_lines, what="the error box")
        lines == ["Failed to get data for 'Image Quality'"] or fail(f"error box says {lines}")
        wait_for(lambda: probe("foreground").get("foreground") == ["Tessory"], what="the error box to take the keyboard")
        key("Return")
        app.wait_started()
        time.sleep(1.0)
        error_box_lines() and fail("a second error box")
        # The window is whole: at its stored place, at its working size (the
        # prefix has 96 DPI), and F1 finds the help file beside the program.
        info = window_info("form:Tessory")
        info["window"][:2] == [100, 100] or fail(f"window at {info['window'][:2]}")
        info["client"][2:] == [74, 18] or fail(f"client area {info['client'][2:]}, not 74 x 18")
        x, y, w, h = app.client
        drag((x + w - 2, y + h - 2), (x + w - 2, y + h - 2))  # a click on the bare window makes it active
        key("F1")
        wait_for(lambda: window_info("Tessory Help"), 30, "the help window (the help file beside the program)")
        probe("close", "Tessory Help")
    finally:
        try:
            app.close()
        finally:
            if app.process.poll() is None:  # held by an error box a failed check left open
                app.process.kill()
    dump = probe("reg-dump").get("value", [])
    kept = [f"{name} {kind} {value}" for name, kind, value in USERS_VALUES]
    for value in kept + ["Image Quality dword 3"]:  # the mistyped value is stored again as a number, its default
        value in dump or fail(f"'{value}' not stored: {dump}")
