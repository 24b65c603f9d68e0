#!/usr/bin/env python3
"""Runs orbit-patrol-inspect render and checks the PNG it writes from scratch:
signature, chunk CRCs, IHDR, the zlib stream (Adler-32 included, and
smaller than a quarter of the pixels), the row filters and the picture (a
black sky with grey stars and a coloured starship in it). Also checks that
bad invocations exit with status 2 and write nothing.
    check_render_png.py TOOL SCRATCH_DIR"""
import os
import struct
import subprocess
import sys
import zlib


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("no PNG signature")
    at, chunks = 8, []
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            fail(f"bad CRC in {kind!r}")
        chunks.append((kind, body))
        at += 12 + length
    kinds = [k for k, _ in chunks]
    if kinds[0] != b"IHDR" or kinds[-1] != b"IEND":
        fail(f"chunk order {kinds}")
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, interlace) != (8, 2, 0):
        fail("not 8-bit RGB without interlace")
    compressed = b"".join(b for k, b in chunks if k == b"IDAT")
    raw = zlib.decompress(compressed)  # checks Adler-32
    stride = width * 3 + 1
    if len(raw) != stride * height:
        fail(f"{len(raw)} bytes of image data for {width}x{height}")
    if len(compressed) * 4 > len(raw):
        fail(f"{len(compressed)} bytes for {len(raw)}: the picture, half black sky, is not compressed")
    rows, above = [], bytearray(width * 3)
    for y in range(height):
        kind, row = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        if kind > 4:
            fail(f"filter type {kind}")
        for i in range(len(row)):
            a = row[i - 3] if i >= 3 else 0
            b, c = above[i], above[i - 3] if i >= 3 else 0
            if kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else b if pb <= pc else c
            else:
                predictor = (0, a, b, (a + b) // 2)[kind]
            row[i] = (row[i] + predictor) & 255
        rows.append(bytes(row))
        above = row
    return width, height, rows


def main():
    tool, scratch = sys.argv[1], sys.argv[2]
    os.makedirs(scratch, exist_ok=True)
    out = os.path.join(scratch, "frame.png")
    subprocess.run([tool, "render", "--frames", "240", "--size", "200x150", "--seed", "7000", "-o", out], check=True)
    width, height, rows = read_png(out)
    if (width, height) != (200, 150):
        fail(f"size {width}x{height}")
    grey = coloured = black = 0
    for row in rows:
        for x in range(width):
            r, g, b = row[3 * x:3 * x + 3]
            if r == g == b == 0:
                black += 1
            elif r == g == b:
                grey += 1
            else:
                coloured += 1
    if black < width * height // 2:
        fail(f"only {black} black pixels: not a sky")
    if grey < 3 or coloured < 20:
        fail(f"{grey} grey and {coloured} coloured pixels: no stars or no ship")

    for bad in (["--frames", "0", "-o", out + ".bad"], ["--size", "12", "-o", out + ".bad"],
                ["--size", "100x100"], ["--frames", "ten", "-o", out + ".bad"], ["--bogus", "1", "-o", out + ".bad"]):
        status = subprocess.run([tool, "render"] + bad, stderr=subprocess.DEVNULL).returncode
        if status != 2:
            fail(f"render {' '.join(bad)} exited {status}, not 2")
        if os.path.exists(out + ".bad"):
            fail("a bad invocation wrote a file")
    print("ok")


main()
