#!/usr/bin/env python3
"""Known answers for the programmer's protocol, worked out from its written description alone.

For the info block and unique id below and the shipped firmware image, prints the unlock value, the
block key and the first data report of an upload as C++ literals. KnownAnswersTest.cpp holds them as its
expectations: it checks our code against these numbers, not against itself. Run again, and paste the
output there, only when the inputs change:

    python3 update/tests/known_answers.py resources/firmware/bios.bin
"""
import sys

POLYNOMIAL = 0xA481
UNLOCK_MASK = 0x7D19
BLOCK_SIZE = 512
SERIAL_TEXT = "4711000000001"


def crc16(data):
    """Reflected CRC-16: start at 0, xor in each byte, eight right shifts with the polynomial on a 1."""
    c = 0
    for byte in data:
        c ^= byte
        for _ in range(8):
            c = (c >> 1) ^ POLYNOMIAL if c & 1 else c >> 1
    return c


def info_block():
    """48 bytes: the magic, a name, the second level pair 1.0 and the required tool level 1.0."""
    info = bytearray(48)
    info[0:4] = b"MN05"
    info[4:16] = b"KNOWN-ANSWER"
    info[32:36] = bytes([1, 0, 1, 0])
    return bytes(info)


def unique_id():
    return bytes((37 * i + 11) % 256 for i in range(16))


def block_key(uid):
    """Four CRCs over 12-byte windows, low byte first: over bytes 2..13, 0..11, 3..14 and 1..12."""
    key = bytearray()
    for first in (2, 0, 3, 1):
        value = crc16(uid[first : first + 12])
        key += bytes([value % 256, value // 256])
    return bytes(key)


def transform(block, key):
    out = bytearray()
    for i, byte in enumerate(block):
        t = byte ^ key[(i // 16) % 8]
        t = (t + i // 3) % 256
        t ^= key[7 - i % 8]
        t = (t - i // 5) % 256
        out.append(t)
    return bytes(out)


def first_data_report(image, key):
    """Report ID 1, the first block with the serial digits in the cleared serial field, 512 zeros."""
    block = bytearray(image[:BLOCK_SIZE])
    digits = ""
    for ch in SERIAL_TEXT:
        if not ch.isdigit():
            break
        digits += ch
    block[96:128] = bytes(32)
    block[96 : 96 + len(digits)] = digits.encode("ascii")
    return bytes([1]) + transform(bytes(block), key) + bytes(BLOCK_SIZE)


def c_bytes(data):
    return ", ".join("0x%02X" % b for b in data)


def main():
    assert crc16(b"abc") == 0x0CD7 and crc16(b"123456789") == 0xEA53 and crc16(b"") == 0
    with open(sys.argv[1], "rb") as f:
        image = f.read()
    info = info_block()
    uid = unique_id()
    key = block_key(uid)
    report = first_data_report(image, key)
    assert len(report) == 1025 and report[513:] == bytes(512)

    print('constexpr const char* kInfoBlock = "%s";' % info.hex())
    print('constexpr const char* kUniqueId = "%s";' % uid.hex())
    print("constexpr std::uint16_t kInfoCrc = 0x%04X;" % crc16(info))
    print("constexpr std::uint16_t kUnlockValue = 0x%04X;" % (crc16(info) ^ UNLOCK_MASK))
    print("constexpr TBlockKey kBlockKey = {%s};" % c_bytes(key))
    print("// The first data report's bytes 1..512 (byte 0 is 1, bytes 513..1024 are zero).")
    print("constexpr const char* kFirstBlockSent =")
    body = report[1:513].hex()
    for at in range(0, len(body), 64):
        print('    "%s"%s' % (body[at : at + 64], ";" if at + 64 >= len(body) else ""))


if __name__ == "__main__":
    main()
