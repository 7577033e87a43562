#!/usr/bin/env python3
"""check_capture.py RUNNER GALLERY.exe OUT.png: captures the gallery window through the X11 runner and checks
pixels that only a display driver keeping them gives back (Wine's null driver reads white)."""
import struct
import subprocess
import sys
import zlib

runner, program, out = sys.argv[1:4]
result = subprocess.run([runner, program, "--capture", out], capture_output=True, text=True, check=False)
if result.returncode != 0:
    sys.exit(f"the gallery failed ({result.returncode}): {result.stderr}")
origin = next(line.split()[1:] for line in result.stdout.splitlines() if line.startswith("client "))
left, top = int(origin[0]), int(origin[1])

data = open(out, "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
width, height = struct.unpack(">II", data[16:24])
idat, pos = b"", 8
while pos < len(data):
    (length,) = struct.unpack(">I", data[pos : pos + 4])
    if data[pos + 4 : pos + 8] == b"IDAT":
        idat += data[pos + 8 : pos + 8 + length]
    pos += 12 + length
raw = zlib.decompress(idat)
stride = 1 + 3 * width


def pixel(x, y):
    i = y * stride + 1 + 3 * (left + x)
    i += top * stride
    return tuple(raw[i : i + 3])


expected = {
    "lit lamp's body": ((8 + 8, 8 + 9), (0, 255, 0)),
    "dark lamp's body": ((30 + 8, 8 + 9), (255, 0, 0)),
    "lamp's outline": ((8 + 2, 8 + 9), (128, 128, 128)),
    "first block": ((8 + 3, 48 + 7), (0, 0, 128)),
}
failed = [f"{name} at {at}: {pixel(*at)} instead of {colour}" for name, (at, colour) in expected.items()
          if pixel(*at) != colour]
if failed:
    sys.exit("\n".join(failed))
print(f"{width} x {height}, client at ({left}, {top}): pixels as painted")
