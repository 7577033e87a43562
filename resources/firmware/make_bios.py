#!/usr/bin/env python3
"""Writes bios.bin: the 128-byte image header the tool ships with, then an
8220-byte payload of our own. The payload is opaque to the tool; it only has
to be deterministic so that tests and traces are repeatable."""

import struct
import sys
from pathlib import Path

PAYLOAD_SIZE = 8220
HEADER_SIZE = 128
START_ADDRESS = 4096


def text(value: str, width: int) -> bytes:
    raw = value.encode("ascii")
    assert len(raw) <= width
    return raw + bytes(width - len(raw))


def header(image_size: int) -> bytes:
    h = b"MN05"
    h += bytes([0, 0, 3, 1])
    h += struct.pack("<I", START_ADDRESS)
    h += bytes([1, 9, 0, 0])
    h += text("Nov 10 2014", 16)
    h += text("09:25:14", 16)
    h += struct.pack("<I", START_ADDRESS + image_size)
    h += struct.pack("<I", 55426)
    h += bytes(8)
    h += text("MIRAN-ISP v1.9.0", 32)
    h += text("0000000000000", 32)
    assert len(h) == HEADER_SIZE
    return h


def payload() -> bytes:
    # xorshift32 from a fixed seed
    x = 0x4D4E3035
    out = bytearray()
    for _ in range(PAYLOAD_SIZE):
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        out.append(x & 0xFF)
    return bytes(out)


def main() -> None:
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("bios.bin")
    size = HEADER_SIZE + PAYLOAD_SIZE
    target.write_bytes(header(size) + payload())


if __name__ == "__main__":
    main()
