#!/usr/bin/env python3
"""tessory-encode --type bmp read back by ImageMagick, an outside decoder.

At --quality 3 and 4 (24 and 32 bits) ImageMagick must read exactly the
input pixels; at 2 (16 bits) the 5-6-5 values, expanded as ImageMagick
expands them; at 1 (8 bits) equal input colours must stay equal.

    encode_bmp_test.py TESSORY_ENCODE
"""
import random
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ENCODER = sys.argv[1]
CONVERT = shutil.which("convert") if Path("/usr/bin/convert").exists() else None
WIDTH, HEIGHT = 37, 23  # odd sizes: every row is padded


def pixels():
    rng = random.Random(20261208)
    fixed = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (8, 4, 8), (0, 0, 0), (255, 255, 255)]
    out = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if y == 0:
                out.append(fixed[x % len(fixed)])
            elif x < 4:
                out.append((200, 100, 50))  # a repeated colour
            else:
                out.append((rng.randrange(256), rng.randrange(256), rng.randrange(256)))
    return out


def widen(value, bits):
    return (value << (8 - bits)) | (value >> (2 * bits - 8))


def read_back(path):
    raw = subprocess.run(["/usr/bin/convert", str(path), "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def main():
    if not CONVERT:
        print("ImageMagick is not installed: skipped")
        return 0
    source = pixels()
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        ppm = Path(folder) / "in.ppm"
        ppm.write_bytes(f"P6\n{WIDTH} {HEIGHT}\n255\n".encode() + bytes(c for p in source for c in p))
        for quality in (1, 2, 3, 4):
            bmp = Path(folder) / f"out{quality}.bmp"
            subprocess.run([ENCODER, "--type", "bmp", "--quality", str(quality), str(ppm), str(bmp)], check=True)
            got = read_back(bmp)
            if quality in (3, 4):
                expected = source
            elif quality == 2:
                # The stored 5-6-5 words, which ImageMagick widens by repeating their top bits.
                expected = [(widen(r >> 3, 5), widen(g >> 2, 6), widen(b >> 3, 5)) for r, g, b in source]
            else:
                mapping = {}
                consistent = all(mapping.setdefault(s, g) == g for s, g in zip(source, got))
                expected = got if consistent and len(got) == len(source) else None
            ok = got == expected
            failures += not ok
            print(f"{'ok' if ok else 'FAILED'} quality {quality}")
    print(f"{4 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
