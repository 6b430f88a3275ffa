#!/usr/bin/env python3
"""Builds the Windows Installer package: a per-user install of the given
release's files into %LOCALAPPDATA%\\Programs\\Tessory, a Start menu shortcut to
tessory.exe, an entry "Tessory" in the installed programs list, and a major
upgrade that replaces any other version of the same UpgradeCode.

    msi.py ZIP MSI VERSION

The files are those of the release zip's one folder, byte for byte; one of
them must be tessory.exe. VERSION (a.b.c or a.b.c.d) is the ProductVersion; Windows
Installer compares only its first three fields when it looks for an older
or a newer version. The tables are written as text and put together by
msitools' msibuild; the files travel in one cabinet inside the package.
The same inputs give the same package.

No custom action runs: the package holds only standard actions.
"""
import functools
import hashlib
import operator
import re
import struct
import subprocess
import sys
import tempfile
import uuid
import zipfile
import zlib
from pathlib import Path

PRODUCT = "Tessory"
MANUFACTURER = "Morrowlin, Inc."
# Fixed for every version: what ties a newer package to the one it replaces.
UPGRADE_CODE = "{063BAE46-6DA4-41B6-82F4-F3E9DF5F990F}"
COMPONENT_ID = "{8C99A325-3573-48AE-A9FB-9FD2B9699E1F}"
PROGRAM = "tessory.exe"
# The per-user component's key path (a per-user install keeps its key path
# in HKCU); it records where the program went. The settings stay apart.
INSTALL_KEY = "Software\\Morrowlin, Inc.\\Tessory Installer"
CABINET = "tessory.cab"
FIXED_DOS_TIME = ((2026 - 1980) << 9 | 1 << 5 | 1, 0)  # 2026-01-01 00:00

# Standard actions only, in their usual order. The older version is removed
# inside this install's transaction, so a failure puts it back.
EXECUTE_SEQUENCE = [
    ("FindRelatedProducts", 25), ("LaunchConditions", 100), ("ValidateProductID", 700),
    ("CostInitialize", 800), ("FileCost", 900), ("CostFinalize", 1000), ("MigrateFeatureStates", 1200),
    ("InstallValidate", 1400), ("InstallInitialize", 1500), ("RemoveExistingProducts", 1501),
    ("ProcessComponents", 1600), ("UnpublishFeatures", 1800), ("RemoveRegistryValues", 2600),
    ("RemoveShortcuts", 3200), ("RemoveFiles", 3500), ("RemoveFolders", 3600), ("CreateFolders", 3700),
    ("InstallFiles", 4000), ("CreateShortcuts", 4500), ("WriteRegistryValues", 5000), ("RegisterUser", 6000),
    ("RegisterProduct", 6100), ("PublishFeatures", 6300), ("PublishProduct", 6400), ("InstallFinalize", 6600),
]
UI_SEQUENCE = [
    ("FindRelatedProducts", 25), ("LaunchConditions", 100), ("ValidateProductID", 700), ("CostInitialize", 800),
    ("FileCost", 900), ("CostFinalize", 1000), ("MigrateFeatureStates", 1200), ("ExecuteAction", 1300),
]


def fail(message):
    sys.exit(f"msi: {message}")


def guid(*parts):
    """A GUID fixed by its parts, in the form Windows Installer wants."""
    return "{" + str(uuid.uuid5(uuid.UUID(UPGRADE_CODE), "\n".join(parts))).upper() + "}"


def check_version(version):
    fields = version.split(".")
    limits = (255, 255, 65535, 65535)
    if not 3 <= len(fields) <= 4 or not all(f.isdigit() and int(f) <= m for f, m in zip(fields, limits)):
        fail(f"'{version}' is no product version (a.b.c or a.b.c.d, a and b up to 255, c and d up to 65535)")


def file_version(data, name):
    """The FileVersion of a program's fixed version resource, as a.b.c.d."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        fail(f"{name} has no version resource")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def short_name(name, taken):
    """An 8.3 name for `name`, unique in `taken` (the long name itself when it fits)."""
    stem, _, extension = name.rpartition(".") if "." in name else (name, "", "")
    if re.fullmatch(r"[A-Za-z0-9_\-]{1,8}", stem) and re.fullmatch(r"[A-Za-z0-9_]{0,3}", extension):
        candidate = name.upper()
    else:
        clean = lambda text: re.sub(r"[^A-Za-z0-9_]", "", text).upper()  # noqa: E731
        for number in range(1, 10):
            candidate = f"{clean(stem)[:6]}~{number}" + (f".{clean(extension)[:3]}" if extension else "")
            if candidate not in taken:
                break
    taken.add(candidate)
    return candidate


def cabinet_checksum(data, seed=0):
    """The cabinet format's checksum: the little-endian words XORed, the
    bytes left over taken as one word, most significant first."""
    whole = len(data) // 4 * 4
    checksum = functools.reduce(operator.xor, struct.unpack_from(f"<{whole // 4}I", data), seed)
    rest = 0
    for byte in data[whole:]:
        rest = rest << 8 | byte
    return checksum ^ rest


def cabinet(files):
    """An MSZIP cabinet of (name, data) pairs in one folder: each block of up
    to 32 KiB is a deflate stream of its own."""
    stream = b"".join(data for _, data in files)
    blocks = []
    for start in range(0, max(len(stream), 1), 0x8000):
        plain = stream[start:start + 0x8000]
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = b"CK" + packer.compress(plain) + packer.flush()
        sizes = struct.pack("<HH", len(packed), len(plain))
        blocks.append(struct.pack("<I", cabinet_checksum(sizes, cabinet_checksum(packed))) + sizes + packed)
    entries, offset = [], 0
    for name, data in files:
        date, time = FIXED_DOS_TIME
        entries.append(struct.pack("<IIHHHH", len(data), offset, 0, date, time, 0x20) + name.encode("ascii") + b"\0")
        offset += len(data)
    header_size, folder_size = 36, 8
    files_at = header_size + folder_size
    data_at = files_at + sum(len(entry) for entry in entries)
    total = data_at + sum(len(block) for block in blocks)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, files_at, 0, 3, 1, 1, len(files), 0, 0x7E55, 0)
    folder = struct.pack("<IHH", data_at, len(blocks), 1)  # 1: MSZIP
    return header + folder + b"".join(entries) + b"".join(blocks)


def idt(folder, table, columns, rows):
    """Writes one table as msibuild imports it: names, types, keys, rows.
    `columns` are (name, type) pairs; key columns are marked with '*'."""
    names = [name.lstrip("*") for name, _ in columns]
    keys = [name.lstrip("*") for name, _ in columns if name.startswith("*")]
    lines = ["\t".join(names), "\t".join(kind for _, kind in columns), "\t".join([table, *keys])]
    for row in rows:
        cells = ["" if cell is None else str(cell) for cell in row]
        if any(re.search(r"[\t\r\n]", cell) for cell in cells):
            fail(f"table {table}: a value holds a tab or a line end: {cells}")
        lines.append("\t".join(cells))
    path = folder / f"{table}.idt"
    path.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")
    return path


def tables(folder, version, product_code, files):
    """The package's tables as .idt files under `folder`; `files` are
    (key, name, data) triples."""
    exe = next(data for key, _, data in files if key == PROGRAM)
    taken = set()
    write = lambda *args: idt(folder, *args)  # noqa: E731
    return [
        write("Property", [("*Property", "s72"), ("Value", "l0")], [
            ("ProductName", PRODUCT), ("ProductVersion", version), ("ProductCode", product_code),
            ("UpgradeCode", UPGRADE_CODE), ("Manufacturer", MANUFACTURER), ("ProductLanguage", 1033),
            # Without ALLUSERS the install is per-user and asks for no elevation.
            ("ARPNOMODIFY", 1), ("ARPNOREPAIR", 1), ("SecureCustomProperties", "OLDERFOUND;NEWERFOUND"),
            # A file in use is replaced at the next restart, which the install
            # never starts itself (msiexec then exits with 3010).
            ("REBOOT", "ReallySuppress"),
        ]),
        write("Directory", [("*Directory", "s72"), ("Directory_Parent", "S72"), ("DefaultDir", "l255")], [
            ("TARGETDIR", None, "SourceDir"), ("LocalAppDataFolder", "TARGETDIR", "."),
            ("LocalPrograms", "LocalAppDataFolder", "Programs"), ("INSTALLFOLDER", "LocalPrograms", PRODUCT),
            ("ProgramMenuFolder", "TARGETDIR", "."),
        ]),
        write("Feature", [("*Feature", "s38"), ("Feature_Parent", "S38"), ("Title", "L64"), ("Description", "L255"),
                          ("Display", "I2"), ("Level", "i2"), ("Directory_", "S72"), ("Attributes", "i2")], [
            ("Complete", None, PRODUCT, None, 0, 1, "INSTALLFOLDER", 8),  # 8: never advertised
        ]),
        write("Component", [("*Component", "s72"), ("ComponentId", "S38"), ("Directory_", "s72"),
                            ("Attributes", "i2"), ("Condition", "S255"), ("KeyPath", "S72")], [
            ("Program", COMPONENT_ID, "INSTALLFOLDER", 4 | 256, None, "InstallFolder"),  # registry key path, 64-bit
        ]),
        write("FeatureComponents", [("*Feature_", "s38"), ("*Component_", "s72")], [("Complete", "Program")]),
        write("File", [("*File", "s72"), ("Component_", "s72"), ("FileName", "l255"), ("FileSize", "i4"),
                       ("Version", "S72"), ("Language", "S20"), ("Attributes", "I2"), ("Sequence", "i4")], [
            (key, "Program", f"{short_name(name, taken)}|{name}", len(data),
             file_version(exe, PROGRAM) if key == PROGRAM else None, "0" if key == PROGRAM else None,
             16384, number)  # 16384: in the cabinet
            for number, (key, name, data) in enumerate(files, 1)
        ]),
        write("Media", [("*DiskId", "i2"), ("LastSequence", "i4"), ("DiskPrompt", "L64"), ("Cabinet", "S255"),
                        ("VolumeLabel", "S32"), ("Source", "S72")], [(1, len(files), None, "#" + CABINET, None, None)]),
        write("Shortcut", [("*Shortcut", "s72"), ("Directory_", "s72"), ("Name", "l128"), ("Component_", "s72"),
                           ("Target", "s72"), ("Arguments", "S255"), ("Description", "L255"), ("Hotkey", "I2"),
                           ("Icon_", "S72"), ("IconIndex", "I2"), ("ShowCmd", "I2"), ("WkDir", "S72")], [
            ("StartMenu", "ProgramMenuFolder", PRODUCT, "Program", f"[#{PROGRAM}]", None,
             "Capture the image of one window", None, None, None, None, "INSTALLFOLDER"),
        ]),
        write("Registry", [("*Registry", "s72"), ("Root", "i2"), ("Key", "l255"), ("Name", "L255"), ("Value", "L0"),
                           ("Component_", "s72")], [("InstallFolder", 1, INSTALL_KEY, "Folder", "[INSTALLFOLDER]",
                                                     "Program")]),
        # The install folder goes with the program; "Programs" too if nothing else is left in it.
        write("RemoveFile", [("*FileKey", "s72"), ("Component_", "s72"), ("FileName", "L255"), ("DirProperty", "s72"),
                             ("InstallMode", "i2")], [("InstallFolder", "Program", None, "INSTALLFOLDER", 2),
                                                      ("LocalPrograms", "Program", None, "LocalPrograms", 2)]),
        write("Upgrade", [("*UpgradeCode", "s38"), ("*VersionMin", "S20"), ("*VersionMax", "S20"),
                          ("*Language", "S255"), ("*Attributes", "i4"), ("Remove", "S255"), ("ActionProperty", "s72")], [
            (UPGRADE_CODE, None, version, None, 1, None, "OLDERFOUND"),  # 1: keep the feature states
            (UPGRADE_CODE, version, None, None, 2, None, "NEWERFOUND"),  # 2: only detect
        ]),
        write("LaunchCondition", [("*Condition", "s255"), ("Description", "l255")], [
            ("NOT NEWERFOUND", f"A newer version of {PRODUCT} is already installed."),
        ]),
        write("InstallExecuteSequence", [("*Action", "s72"), ("Condition", "S255"), ("Sequence", "I2")],
              [(action, None, number) for action, number in EXECUTE_SEQUENCE]),
        write("InstallUISequence", [("*Action", "s72"), ("Condition", "S255"), ("Sequence", "I2")],
              [(action, None, number) for action, number in UI_SEQUENCE]),
    ]


class CompoundFile:
    """Just enough of the compound file format that holds an MSI to change
    bytes of a stream in place."""

    END = 0xFFFFFFFE

    def __init__(self, data):
        self.data = data
        data[:8] == bytes.fromhex("d0cf11e0a1b11ae1") or fail("msibuild wrote no compound file")
        self.sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini = 1 << struct.unpack_from("<H", data, 0x20)[0]
        fat_count, directory, _, self.cutoff, minifat, _, difat, _ = struct.unpack_from("<IIIIIIII", data, 0x2C)
        sector_words = f"<{self.sector // 4}I"  # a sector of the allocation tables
        locations = list(struct.unpack_from("<109I", data, 0x4C))[:fat_count]
        while len(locations) < fat_count and difat < self.END:
            words = struct.unpack_from(sector_words, data, self.offset(difat))
            locations += words[:-1][:fat_count - len(locations)]
            difat = words[-1]
        self.fat = [entry for n in locations for entry in struct.unpack_from(sector_words, data, self.offset(n))]
        self.entries = self.read_chain(directory)
        table = self.read_chain(minifat) if minifat < self.END else b""
        self.minifat = struct.unpack(f"<{len(table) // 4}I", table)
        self.root_sectors = self.chain(self.entry(0)[1])

    def offset(self, sector):
        return (sector + 1) * self.sector

    def chain(self, start, table=None):
        table = self.fat if table is None else table
        sectors = []
        while start < self.END and len(sectors) <= len(table):
            sectors.append(start)
            start = table[start]
        return sectors

    def read_chain(self, start):
        return b"".join(self.data[self.offset(n):self.offset(n) + self.sector] for n in self.chain(start))

    def entry(self, index):
        """(name, first sector, size) of directory entry `index`."""
        at = index * 128
        length = struct.unpack_from("<H", self.entries, at + 64)[0]
        name = self.entries[at:at + max(length - 2, 0)].decode("utf-16-le")
        start, size = struct.unpack_from("<IQ", self.entries, at + 116)
        return name, start, size & 0xFFFFFFFF

    def stream_offsets(self, name):
        """The file offset of every byte of stream `name`."""
        for index in range(len(self.entries) // 128):
            found, start, size = self.entry(index)
            if found != name:
                continue
            if size >= self.cutoff:
                return [self.offset(n) + i for n in self.chain(start) for i in range(self.sector)][:size]
            places = []
            for n in self.chain(start, self.minifat):
                at = n * self.mini
                sector = self.root_sectors[at // self.sector]
                places += [self.offset(sector) + at % self.sector + i for i in range(self.mini)]
            return places[:size]
        fail(f"the package has no stream {name!r}")


def set_word_count(msi, value):
    """Sets the summary's Word Count (source image and privilege flags),
    which msibuild leaves at 0."""
    data = bytearray(msi.read_bytes())
    places = CompoundFile(data).stream_offsets("\x05SummaryInformation")
    stream = bytes(data[p] for p in places)
    section = struct.unpack_from("<I", stream, 44)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    for index in range(count):
        property_id, at = struct.unpack_from("<II", stream, section + 8 + 8 * index)
        if property_id == 15:  # PID_WORDCOUNT, a VT_I4
            struct.unpack_from("<I", stream, section + at)[0] == 3 or fail("the summary's Word Count is no integer")
            for i, byte in enumerate(struct.pack("<i", value)):
                data[places[section + at + 4 + i]] = byte
            msi.write_bytes(data)
            return
    fail("the summary has no Word Count")


def release_files(release):
    """(File key, name, data) of each file in the release zip's one folder."""
    try:
        with zipfile.ZipFile(release) as archive:
            entries = [entry for entry in archive.infolist() if not entry.is_dir()]
            folders = {entry.filename.partition("/")[0] for entry in entries}
            len(folders) == 1 or fail(f"{release} holds {len(folders)} top folders, not one")
            files = [(entry.filename.partition("/")[2], archive.read(entry)) for entry in entries]
    except (OSError, zipfile.BadZipFile) as error:
        fail(f"cannot read {release}: {error}")
    for name, _ in files:
        re.fullmatch(r"[A-Za-z0-9_.\-]+", name) or fail(f"'{name}': not a file name of letters, digits, '_', '-', '.'")
    any(name == PROGRAM for name, _ in files) or fail(f"no {PROGRAM} in {release}")
    return [(re.sub(r"[^a-z0-9_.]", "_", name.lower()), name, data) for name, data in files]


def msibuild(*arguments):
    result = subprocess.run(["msibuild", *map(str, arguments)], capture_output=True, text=True)
    if result.returncode != 0:
        fail(f"msibuild {' '.join(map(str, arguments))} failed: {result.stderr.strip() or result.stdout.strip()}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    release, out, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
    check_version(version)
    files = release_files(release)

    inputs = hashlib.sha256(version.encode())
    for key, name, data in files:
        inputs.update(f"{key} {name} {len(data)}\n".encode())
        inputs.update(data)
    product_code = guid("product", version)
    package_code = guid("package", inputs.hexdigest())

    out.parent.mkdir(parents=True, exist_ok=True)
    temporary = out.with_name(out.name + ".part")
    temporary.unlink(missing_ok=True)
    try:
        with tempfile.TemporaryDirectory() as work:
            work = Path(work)
            (work / CABINET).write_bytes(cabinet([(key, data) for key, _, data in files]))
            msibuild(temporary, "-s", PRODUCT, MANUFACTURER, "x64;1033", package_code)
            for table in tables(work, version, product_code, files):
                msibuild(temporary, "-i", table)
            msibuild(temporary, "-a", CABINET, work / CABINET)
        set_word_count(temporary, 2 | 8)  # compressed, no elevation needed
        temporary.replace(out)
    finally:
        temporary.unlink(missing_ok=True)  # nothing half-built stays behind


if __name__ == "__main__":
    main()
