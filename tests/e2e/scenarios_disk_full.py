"""A full drive: every file route and every type fails cleanly, says where
and why, keeps an existing file, and the next capture works once there is
room.

The drive is a small tmpfs mounted under the build folder and mapped as
T: (a link in the prefix's dosdevices); a filler file leaves 4 KB free.
"""
import os
import struct
import subprocess
import time

from pathlib import Path

from e2e_support import (BUILD, PREFIX, Closing, Tessory, Target, autosave_settings, click_control, desktop_report,
                         fail, key, message_box, probe, test, wait_for, wait_foreground)

TYPES = [(0, "bmp"), (1, "jpg"), (2, "gif"), (3, "png")]
FIRST_LINE = {"png": "Error Writing PNG File!"}  # the others: the file layer's "Stream write error"


def as_root(*command, check=True):
    return subprocess.run(list(command) if os.geteuid() == 0 else ["sudo", "-n", *command], check=check)


def whole(data, extension):
    """The file holds one complete picture of its type, not a beginning."""
    if extension == "bmp":
        return data[:2] == b"BM" and len(data) >= 6 and struct.unpack_from("<I", data, 2)[0] == len(data)
    if extension == "jpg":
        return data[:2] == b"\xff\xd8" and data[-2:] == b"\xff\xd9"
    if extension == "gif":
        return data[:3] == b"GIF" and data[-1:] == b";"
    return data[:4] == b"\x89PNG" and data[-12:-4] == b"\0\0\0\0IEND"


class SmallDrive(Closing):
    """An 8 MB tmpfs as drive T:, nearly full until make_room()."""

    def __init__(self, free=4096):
        self.folder = BUILD / "e2e-small-drive"
        self.folder.mkdir(exist_ok=True)
        self.unmount()  # what an interrupted run left mounted
        as_root("mount", "-t", "tmpfs", "-o", "size=8m,mode=0777", "tmpfs", str(self.folder))
        self.link = PREFIX / "dosdevices" / "t:"
        if self.link.is_symlink() or self.link.exists():
            self.link.unlink()
        self.link.symlink_to(self.folder)
        self.filler = self.folder / "filler"
        self.free = free

    def fill(self):
        stat = os.statvfs(self.folder)
        with open(self.filler, "ab") as out:
            out.write(b"\0" * (stat.f_bavail * stat.f_frsize - self.free))

    def make_room(self):
        self.filler.unlink()

    def files(self):
        return sorted(p.name for p in self.folder.iterdir() if p != self.filler)

    def unmount(self):
        # Lazily: the Wine session may still hold the folder open (the save
        # dialog watches it), and it lets go when it ends.
        while str(self.folder) in Path("/proc/mounts").read_text():
            as_root("umount", "-l", str(self.folder))

    def close(self):
        self.link.unlink()
        self.unmount()


def answer_error(extension, path, app):
    """The error box's first line is the writer's message, then the full
    path, then the system's reason; answered, the main window shows again."""
    lines = message_box(f"the {extension} error box")
    first = FIRST_LINE.get(extension, "Stream write error")
    (len(lines) == 3 and lines[0] == first and lines[1] == path and lines[2].strip()) or \
        fail(f"{extension}: error box says {lines}")
    key("Return")
    app.wait_shown()


def wait_written(drive, name, extension):
    file = drive.folder / name
    wait_for(lambda: file.exists() and whole(file.read_bytes(), extension), timeout=60, what=f"the whole {name}")


@test
def full_drive_autosave_leaves_no_broken_file_and_says_where_and_why():
    with SmallDrive() as drive, Target(x=40, y=40, w=1100, h=900) as target:
        for type_index, extension in TYPES:
            drive.fill()
            with Tessory(autosave_settings("T:\\", [("Image Type", "dword", type_index)])) as app:
                name = f"CAP0000.{extension}"
                app.capture(target.quadrant_point(3))
                answer_error(extension, "T:\\" + name, app)
                drive.files() == [] or fail(f"{extension}: left behind {drive.files()}")
                drive.make_room()
                app.capture(target.quadrant_point(3))
                app.wait_shown(timeout=60)
                wait_written(drive, name, extension)
                (drive.folder / name).unlink()


NAME_BOX = 0x47C  # the file dialog's file name box


def save_as(path):
    """Answers the save dialog as a user does: a click in the file name box,
    the name typed in (checked before it is sent), then yes to replacing it."""
    wait_foreground("Save Window Image", "the save dialog")
    for attempt in (1, 2, 3):
        click_control("Save Window Image", NAME_BOX)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "60", path], check=True)
        deadline = time.time() + 15
        while (typed := probe("text", "Save Window Image", str(NAME_BOX)).get("text")) != [path] and \
                time.time() < deadline:
            time.sleep(0.3)
        if typed == [path]:
            break
        attempt < 3 or fail(f"the name box holds {typed}, not {path}\n{desktop_report()}")
    key("Return")
    # The question has the dialog's title; its text tells them apart.
    wait_for(lambda: "already exists" in " ".join(probe("dialog", "Save Window Image", check=False).get("dialog", [])),
             timeout=60, what="the overwrite question")
    time.sleep(0.5)
    key("Return")  # the question's default answer is yes


@test
def full_drive_named_file_keeps_the_old_file_and_says_where_and_why():
    with SmallDrive() as drive, Target(x=40, y=40, w=1100, h=900) as target:
        for type_index, extension in TYPES:
            name = f"shot.{extension}"
            (drive.folder / name).write_bytes(b"the old picture")
            drive.fill()
            with Tessory([("Save Option", "dword", 1), ("Image Type", "dword", type_index)]) as app:
                app.capture(target.quadrant_point(3))
                save_as("T:\\" + name)
                answer_error(extension, "T:\\" + name, app)
                drive.files() == [name] or fail(f"{extension}: left behind {drive.files()}")
                (drive.folder / name).read_bytes() == b"the old picture" or fail(f"{extension}: old file lost")
                drive.make_room()
                app.capture(target.quadrant_point(3))
                save_as("T:\\" + name)
                app.wait_shown(timeout=60)
                wait_written(drive, name, extension)
                drive.files() == [name] or fail(f"{extension}: left behind {drive.files()}")
                (drive.folder / name).unlink()
