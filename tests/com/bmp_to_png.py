#!/usr/bin/env python3
"""Converts a 24-bit bottom-up BMP (as addin_test.exe writes it) to PNG with
the standard library only: bmp_to_png.py IN.bmp OUT.png"""
import struct
import sys
import zlib

data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
if bits != 24:
    sys.exit("only 24-bit BMP files")
stride = (width * 3 + 3) & ~3
rows = []
for y in range(height - 1, -1, -1):
    row = data[offset + y * stride: offset + y * stride + width * 3]
    rgb = bytearray(row)
    rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
    rows.append(b"\0" + bytes(rgb))


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
