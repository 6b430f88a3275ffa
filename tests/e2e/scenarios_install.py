"""The installer package as an administrator and a user meet it: a silent
install, the program started from its Start menu shortcut, a newer package
installed over the running program, an older one refused, and a silent
uninstall that leaves nothing of the program but the user's settings."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import zipfile

from e2e_support import *  # noqa: F401,F403  (the scenarios' shared vocabulary)

SAVED = "C:\\Installed captures\\"
WORK = BUILD / "install-test"  # the newer package and the installer's logs
UNINSTALL_KEYS = ["HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                  "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"]


def cached(name):
    """A path the build's cache records (the release files)."""
    for line in (BUILD / "CMakeCache.txt").read_text().splitlines():
        if line.startswith(name + ":"):
            return Path(line.partition("=")[2])
    fail(f"the build records no {name}")


def product(msi):
    """(ProductCode, ProductVersion) of a package."""
    lines = subprocess.run(["msiinfo", "export", str(msi), "Property"], capture_output=True, text=True,
                           check=True).stdout.splitlines()
    found = dict(line.split("\t", 1) for line in lines[3:] if "\t" in line)
    return found["ProductCode"], found["ProductVersion"]


def newer_package():
    """The release's files again, packed with a higher version (Windows
    Installer compares the first three fields)."""
    version = product(cached("TESSORY_RELEASE_MSI"))[1].split(".")
    version[2] = str(int(version[2]) + 1)
    msi = WORK / f"tessory-{'.'.join(version)}-x64.msi"
    subprocess.run([sys.executable, str(ROOT / "release" / "build_msi.py"), str(cached("TESSORY_RELEASE_ZIP")),
                    str(msi), ".".join(version)], check=True)
    return msi


def msiexec(*arguments, log):
    """Runs msiexec silently (the menu builder off, so that nothing reaches
    the desktop outside Wine) and returns its exit code once it is done."""
    WORK.mkdir(exist_ok=True)
    overrides = ";".join(filter(None, [os.environ.get("WINEDLLOVERRIDES"), "winemenubuilder.exe=d"]))
    environment = dict(os.environ, WINEDLLOVERRIDES=overrides)
    return subprocess.run([WINE, "msiexec", *arguments, "/qn", "/l*v", str(WORK / f"{log}.log")], env=environment,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300).returncode


def shell_folder(variable):
    """Where %variable% lies on this machine."""
    out = subprocess.run([WINE, "cmd", "/c", f"echo %{variable}%"], capture_output=True, text=True, timeout=60).stdout
    return unix_path(out.strip())


def installed_entry(product_code):
    """The installed programs list's entry of a product: {DisplayName, DisplayVersion}, or None."""
    for key in UNINSTALL_KEYS:
        out = subprocess.run([WINE, "reg", "query", f"{key}\\{product_code}"], capture_output=True, text=True,
                             timeout=60).stdout
        values = {line.split()[0]: line.split(None, 2)[2] for line in out.splitlines()
                  if len(line.split(None, 2)) == 3 and line.split()[1] == "REG_SZ"}
        if values:
            return values
    return None


def shortcut_target(link):
    """The local path a .lnk file points at (its link information)."""
    data = link.read_bytes()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 1:  # an item ID list comes first
        at += 2 + struct.unpack_from("<H", data, at)[0]
    flags & 2 or fail(f"{link} has no link information")
    base = struct.unpack_from("<I", data, at + 16)[0]
    return data[at + base:data.index(b"\0", at + base)].decode("latin-1")


def release_files():
    with zipfile.ZipFile(cached("TESSORY_RELEASE_ZIP")) as archive:
        return {entry.filename.partition("/")[2]: hashlib.sha256(archive.read(entry)).hexdigest()
                for entry in archive.infolist()}


def check_installed(folder):
    found = {path.name: hashlib.sha256(path.read_bytes()).hexdigest() for path in folder.iterdir()}
    found == release_files() or fail(f"{folder} holds {sorted(found)}, not the release's files")


def remove_leftovers(*packages):
    """Uninstalls what an earlier failed attempt left installed."""
    for msi in packages:
        code = product(msi)[0]
        if installed_entry(code):
            msiexec("/x", code, log="leftover")


def settings():
    return sorted(stored_values())


@test
def msi_installs_per_user_starts_from_its_shortcut_and_uninstalls_clean():
    msi = cached("TESSORY_RELEASE_MSI")
    code = product(msi)[0]
    remove_leftovers(msi)
    folder = shell_folder("LOCALAPPDATA") / "Programs" / "Tessory"
    link = shell_folder("APPDATA") / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Tessory.lnk"
    try:
        (rc := msiexec("/i", str(msi), log="install")) == 0 or fail(f"install exited {rc}, see {WORK}")
        check_installed(folder)
        link.is_file() or fail(f"no Start menu shortcut {link}")
        exe = shortcut_target(link)
        unix_path(exe) == folder / "tessory.exe" or fail(f"the shortcut starts {exe}")
        (entry := installed_entry(code)) and entry.get("DisplayName") == "Tessory" or fail(f"installed as {entry}")

        with autosaving(SAVED, exe=exe) as (saved, app), Target() as target:
            app.capture(target.quadrant_point(0))
            app.wait_shown(timeout=30)
            image = wait_for(lambda: next(iter(saved.glob("*.bmp")), None), 30, "the installed program's capture")
            target.check_bmp(image)
        kept = settings()

        (rc := msiexec("/x", code, log="uninstall")) == 0 or fail(f"uninstall exited {rc}, see {WORK}")
        not folder.exists() or fail(f"the uninstall left {sorted(p.name for p in folder.iterdir())}")
        not link.exists() or fail("the uninstall left the Start menu shortcut")
        installed_entry(code) is None or fail("the uninstall left the installed programs entry")
        kept and settings() == kept or fail(f"the uninstall changed the settings: {kept} -> {settings()}")
    finally:
        shutil.rmtree(unix_path(SAVED), ignore_errors=True)


@test
def newer_msi_replaces_the_running_program_and_keeps_settings_older_is_refused():
    older = cached("TESSORY_RELEASE_MSI")
    newer = newer_package()
    (old_code, _), (new_code, new_version) = product(older), product(newer)
    remove_leftovers(older, newer)
    folder = shell_folder("LOCALAPPDATA") / "Programs" / "Tessory"
    try:
        (rc := msiexec("/i", str(older), log="install-older")) == 0 or fail(f"install exited {rc}, see {WORK}")
        with Tessory(autosave_settings(SAVED, [("Image Quality", "dword", 3)]), exe=str(folder / "tessory.exe")):
            kept = settings()
            # Over the running program: files in use are Windows Installer's
            # to handle (replaced now, or at the next restart: exit code 3010).
            rc = msiexec("/i", str(newer), log="upgrade")
            rc in (0, 3010) or fail(f"the upgrade over the running program exited {rc}, see {WORK}")
            installed_entry(old_code) is None or fail("the older version is still installed beside the newer")
            (entry := installed_entry(new_code)) and entry.get("DisplayVersion") == new_version or fail(
                f"after the upgrade the entry is {entry}")
            settings() == kept or fail(f"the upgrade changed the settings: {kept} -> {settings()}")
        check_installed(folder)

        rc = msiexec("/i", str(older), log="downgrade")
        rc not in (0, 3010) or fail("an older package installed over the newer one")
        installed_entry(new_code) or fail("the refused downgrade removed the newer version")
        check_installed(folder)

        (rc := msiexec("/x", new_code, log="uninstall-newer")) == 0 or fail(f"uninstall exited {rc}, see {WORK}")
        not folder.exists() or fail("the uninstall left the install folder")
    finally:
        remove_leftovers(older, newer)
