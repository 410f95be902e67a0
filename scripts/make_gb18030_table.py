#!/usr/bin/env python3
"""Writes resources/codec/gb18030-two-byte.bin: the Unicode character of every two-byte GB18030 code.

The program converts the Chinese code page through the system where it can (ICU under Qt on Linux, code page
54936 on Windows) and through this table where the system has no GB18030 converter (Wine has none). The table
holds the 23,940 two-byte codes, lead byte 0x81-0xFE by trail byte 0x40-0x7E, 0x80-0xFE, each as a 16-bit
little-endian code unit; the four-byte codes follow from it (see src/platform/Gb18030.cpp).

Python's codec follows GB18030-2000; GB18030-2005, which ICU and Windows follow, moved one character: A8BC is
U+1E3F there, and U+E7C7 took its four-byte code. Run it again only to check; the table is committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "codec", "gb18030-two-byte.bin")

TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))

units = []
for lead in range(0x81, 0xFF):
    for trail in TRAILS:
        code = bytes([lead, trail])
        text = "\u1e3f" if code == b"\xa8\xbc" else code.decode("gb18030")
        assert len(text) == 1 and ord(text) <= 0xFFFF, code.hex()
        units.append(ord(text))

assert len(units) == 126 * 190
with open(OUT, "wb") as out:
    out.write(struct.pack("<%dH" % len(units), *units))
