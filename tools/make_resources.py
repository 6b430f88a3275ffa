#!/usr/bin/env python3
"""Draws the program's pictures: the target icon of the main window
(app/res/target.bmp, 15 x 13, 24-bit) and the program icon
(app/res/tessory.ico, 16 to 256 pixels). Run it after changing the drawing;
the results are kept in the repository."""
import math
import struct
import sys
import zlib
from pathlib import Path

RED = (200, 30, 30)
WHITE = (255, 255, 255)
DARK = (40, 40, 48)
FACE = (240, 240, 240)


def target_pixel(x, y, cx, cy, radius):
    """Colour and coverage of a crosshair target at (x, y): two rings and a cross."""
    d = math.hypot(x - cx, y - cy)
    r = d / radius
    if abs(x - cx) <= radius * 0.07 or abs(y - cy) <= radius * 0.07:
        if r <= 1.05:
            return DARK, 1.0
    if r <= 0.22:
        return RED, 1.0
    if r <= 0.45:
        return WHITE, 1.0
    if r <= 0.7:
        return RED, 1.0
    if r <= 0.82:
        return WHITE, 1.0
    if r <= 1.0:
        return RED, 1.0
    if r <= 1.0 + 1.5 / radius:
        return RED, max(0.0, 1.0 - (r - 1.0) * radius / 1.5)
    return (0, 0, 0), 0.0


def sample(size_x, size_y, x, y, cx, cy, radius, n=4):
    """Supersampled colour and alpha of pixel (x, y)."""
    acc = [0.0, 0.0, 0.0]
    alpha = 0.0
    for i in range(n):
        for j in range(n):
            c, a = target_pixel(x + (i + 0.5) / n, y + (j + 0.5) / n, cx, cy, radius)
            alpha += a
            for k in range(3):
                acc[k] += c[k] * a
    alpha /= n * n
    if alpha == 0:
        return (0, 0, 0), 0
    return tuple(int(round(acc[k] / (alpha * n * n))) for k in range(3)), alpha


# The main window's target, drawn pixel by pixel to stay crisp at 15 x 13:
# r = red ring and centre, d = dark crosshair, . = button face.
TARGET = [
    ".......d.......",
    ".....rrdrr.....",
    "...rr..d..rr...",
    "..r....d....r..",
    "..r....r....r..",
    ".r....rrr....r.",
    "ddddddrrrdddddd",
    ".r....rrr....r.",
    "..r....r....r..",
    "..r....d....r..",
    "...rr..d..rr...",
    ".....rrdrr.....",
    ".......d.......",
]


def target_bitmap():
    """The 15 x 13 target on the button face, as a 24-bit BMP."""
    colours = {"r": RED, "d": DARK, ".": FACE}
    w, h = len(TARGET[0]), len(TARGET)
    rows = []
    for line in reversed(TARGET):  # bottom-up
        row = bytearray()
        for ch in line:
            c = colours[ch]
            row += bytes((c[2], c[1], c[0]))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    return header + info + data


def icon_rgba(size):
    out = []
    for y in range(size):
        for x in range(size):
            c, a = sample(size, size, x, y, size / 2, size / 2, size * 0.44)
            out.append((c[0], c[1], c[2], int(round(a * 255))))
    return out


def png(size, pixels):
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in pixels[y * size:(y + 1) * size]) for y in range(size))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(size, pixels):
    """An icon image as a 32-bit DIB with its AND mask (bottom-up)."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((p[2], p[1], p[0], p[3])) for y in range(size - 1, -1, -1)
                   for p in pixels[y * size:(y + 1) * size])
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y * size + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return info + xor + bytes(mask)


def icon():
    sizes = [16, 20, 24, 32, 40, 48, 64, 128, 256]
    images = [(s, png(s, icon_rgba(s)) if s >= 64 else dib(s, icon_rgba(s))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in images:
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    res = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "app" / "res")
    res.mkdir(parents=True, exist_ok=True)
    (res / "target.bmp").write_bytes(target_bitmap())
    (res / "tessory.ico").write_bytes(icon())


if __name__ == "__main__":
    main()
