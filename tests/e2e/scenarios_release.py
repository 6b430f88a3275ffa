"""The release zip as a user meets it: unpacked into a folder whose path has
spaces and characters outside ASCII, the program starts from there, opens
its help file beside it, and captures."""
import os
import shutil
import zipfile

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

HOME = "C:\\Programme für Tests\\Tessory ünï 試"
SAVED = "C:\\Aufnahmen ä\\"


def release_zip():
    """The zip the build wrote, as its cache names it."""
    for line in (BUILD / "CMakeCache.txt").read_text().splitlines():
        if line.startswith("TESSORY_RELEASE_ZIP:"):
            return Path(line.partition("=")[2])
    fail("the build names no release zip")


@test
def unpacked_release_starts_opens_its_help_and_captures():
    home = unix_path(HOME)
    shutil.rmtree(home, ignore_errors=True)
    home.mkdir(parents=True)
    with zipfile.ZipFile(release_zip()) as archive:
        archive.extractall(home)
    folder_name = next(home.iterdir()).name
    exe = f"{HOME}\\{folder_name}\\tessory.exe"
    saved = fresh_folder(SAVED)
    # Wine reads a command line outside ASCII in the locale's character set.
    locale = os.environ.get("LC_ALL")
    os.environ["LC_ALL"] = "C.UTF-8"
    try:
        app = Tessory(autosave_settings(SAVED, [("Image Quality", "dword", 3)]), exe=exe)
    finally:
        os.environ.pop("LC_ALL") if locale is None else os.environ.update(LC_ALL=locale)
    try:
        with app, Target() as target:
            app.open_help()
            app.capture(target.quadrant_point(0))
            app.wait_shown(timeout=60)
            image = wait_for(lambda: next(iter(saved.glob("*.bmp")), None), 30, "the captured bitmap")
            target.check_bmp(image)
    finally:
        shutil.rmtree(home, ignore_errors=True)
