"""The settings across a start and a close, end to end: a value stored with
the wrong type is reported, and costs the user none of the other values."""
import time

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

# A user's own settings, every one away from its default.
USERS_VALUES = [("Save Option", "dword", 2), ("Image Type", "dword", 1), ("Sequential File Names", "dword", 1),
                ("Temp Folder", "sz", "C:\\e2e-mine\\"), ("Base File Name", "sz", "shot"),
                ("Capture Sound", "sz", "C:\\sounds\\click.wav")]


@test
def mistyped_value_is_reported_once_and_the_users_other_values_survive():
    # "Image Quality" as text, as a hand edit of the registry leaves it.
    with Tessory(USERS_VALUES + [("Image Quality", "sz", "90")], shown=False) as app:
        lines = message_box()
        lines == ["Failed to get data for 'Image Quality'"] or fail(f"error box says {lines}")
        key("Return")
        app.wait_started()
        time.sleep(1.0)
        shown_message() and fail("a second error box")
        # The window is whole: at its stored place, at its working size (the
        # prefix has 96 DPI), and F1 finds the help file beside the program.
        info = window_info("form:Tessory")
        info["window"][:2] == [100, 100] or fail(f"window at {info['window'][:2]}")
        info["client"][2:] == [74, 18] or fail(f"client area {info['client'][2:]}, not 74 x 18")
        app.open_help()
    kept = [f"{name} {kind} {value}" for name, kind, value in USERS_VALUES]
    check_stored(kept + ["Image Quality dword 3"])  # the mistyped value is stored again as a number, its default
