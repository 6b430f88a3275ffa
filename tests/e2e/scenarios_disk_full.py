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

from e2e_support import (BUILD, PREFIX, Tessory, Target, desktop_report, drag, fail, key, probe, test, wait_for)

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


class SmallDrive:
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


def error_box(what):
    found = wait_for(lambda: (f := probe("dialog", "Tessory", check=False)) and "dialog" in f and f, timeout=60,
                     what=what)
    wait_for(lambda: probe("foreground").get("foreground") == ["Tessory"], what="the error box to take the keyboard")
    return found["dialog"]


def check_error(lines, extension, path):
    """First line the writer's message, then the full path, then the system's reason."""
    first = FIRST_LINE.get(extension, "Stream write error")
    (len(lines) == 3 and lines[0] == first and lines[1] == path and lines[2].strip()) or \
        fail(f"{extension}: error box says {lines}")


def wait_written(drive, name, extension):
    file = drive.folder / name
    wait_for(lambda: file.exists() and whole(file.read_bytes(), extension), timeout=60, what=f"the whole {name}")


@test
def full_drive_autosave_leaves_no_broken_file_and_says_where_and_why():
    drive = SmallDrive()
    target = Target(x=40, y=40, w=1100, h=900)
    try:
        for type_index, extension in TYPES:
            drive.fill()
            app = Tessory([("Save Option", "dword", 2), ("Sequential File Names", "dword", 1),
                           ("Temp Folder", "sz", "T:\\"), ("Image Type", "dword", type_index)])
            try:
                name = f"CAP0000.{extension}"
                app.capture(target.quadrant_point(3))
                check_error(error_box(f"the {extension} error box"), extension, "T:\\" + name)
                key("Return")
                app.wait_shown()
                drive.files() == [] or fail(f"{extension}: left behind {drive.files()}")
                drive.make_room()
                app.capture(target.quadrant_point(3))
                app.wait_shown(timeout=60)
                wait_written(drive, name, extension)
                (drive.folder / name).unlink()
            finally:
                app.close()
    finally:
        target.close()
        drive.close()


NAME_BOX = 0x47C  # the file dialog's file name box


def save_as(path):
    """Answers the save dialog as a user does: a click in the file name box,
    the name typed in (checked before it is sent), then yes to replacing it."""
    wait_for(lambda: probe("foreground").get("foreground") == ["Save Window Image"], timeout=60,
             what="the save dialog")
    box = probe("control", "Save Window Image", str(NAME_BOX))["control"][0].split()
    left, top, right, bottom = (int(v) for v in box)
    for attempt in (1, 2, 3):
        drag(((left + right) // 2, (top + bottom) // 2), ((left + right) // 2, (top + bottom) // 2))
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
    drive = SmallDrive()
    target = Target(x=40, y=40, w=1100, h=900)
    try:
        for type_index, extension in TYPES:
            name = f"shot.{extension}"
            (drive.folder / name).write_bytes(b"the old picture")
            drive.fill()
            app = Tessory([("Save Option", "dword", 1), ("Image Type", "dword", type_index)])
            try:
                app.capture(target.quadrant_point(3))
                save_as("T:\\" + name)
                check_error(error_box(f"the {extension} error box"), extension, "T:\\" + name)
                key("Return")
                app.wait_shown()
                drive.files() == [name] or fail(f"{extension}: left behind {drive.files()}")
                (drive.folder / name).read_bytes() == b"the old picture" or fail(f"{extension}: old file lost")
                drive.make_room()
                app.capture(target.quadrant_point(3))
                save_as("T:\\" + name)
                app.wait_shown(timeout=60)
                wait_written(drive, name, extension)
                drive.files() == [name] or fail(f"{extension}: left behind {drive.files()}")
                (drive.folder / name).unlink()
            finally:
                app.close()
    finally:
        target.close()
        drive.close()
