#!/usr/bin/env python3
"""Rewrite the segment layout of a baseline JPEG without touching its pictures.

The program's JPEG resources come in two layouts: one quantisation or Huffman
table per DQT/DHT segment, or all quantisation tables in one DQT segment and
all Huffman tables in one DHT segment with APP13 and APP14 segments in front
of the tables. cjpeg writes only the first kind, so this tool re-muxes its
output. Only the marker segments before the first SOS are rewritten; the scan
header, entropy-coded data and everything after it are copied byte for byte.

Examples:
  jpeg_remux.py in.jpg out.jpg --tables merge --app13 --app14
  jpeg_remux.py in.jpg out.jpg --tables split --dri-first
  jpeg_remux.py in.jpg out.jpg --add-dri0 --comment "hello"

Python 3 standard library only.
"""

import argparse
import struct
import sys

SOI = 0xD8
EOI = 0xD9
SOS = 0xDA
DQT = 0xDB
DHT = 0xC4
DRI = 0xDD
APP13 = 0xED
APP14 = 0xEE
COM = 0xFE


class RemuxError(Exception):
    pass


def read_segments(data):
    """Split data into (marker, payload) pairs up to and including SOS.

    Returns the list and the index of the first byte after the SOS segment.
    The payload excludes the marker and the length field.
    """
    if data[:2] != b"\xff\xd8":
        raise RemuxError("not a JPEG file (no SOI at the start)")
    pos = 2
    segments = []
    while True:
        if pos + 4 > len(data):
            raise RemuxError("file ends before the first SOS segment")
        if data[pos] != 0xFF:
            raise RemuxError("expected a marker at offset %d" % pos)
        marker = data[pos + 1]
        if marker == 0xFF:  # fill byte
            pos += 1
            continue
        if marker in (SOI, EOI) or 0xD0 <= marker <= 0xD7:
            raise RemuxError("unexpected marker FF%02X before SOS" % marker)
        (length,) = struct.unpack(">H", data[pos + 2:pos + 4])
        if length < 2 or pos + 2 + length > len(data):
            raise RemuxError("bad segment length at offset %d" % pos)
        segments.append((marker, bytes(data[pos + 4:pos + 2 + length])))
        pos += 2 + length
        if marker == SOS:
            return segments, pos


def split_dqt(payload):
    """Yield each quantisation table (table byte plus its values)."""
    pos = 0
    while pos < len(payload):
        precision = payload[pos] >> 4
        size = 1 + (128 if precision else 64)
        if pos + size > len(payload):
            raise RemuxError("truncated DQT table")
        yield payload[pos:pos + size]
        pos += size


def split_dht(payload):
    """Yield each Huffman table (class/id byte, 16 counts, values)."""
    pos = 0
    while pos < len(payload):
        if pos + 17 > len(payload):
            raise RemuxError("truncated DHT table")
        count = sum(payload[pos + 1:pos + 17])
        size = 17 + count
        if pos + size > len(payload):
            raise RemuxError("truncated DHT table values")
        yield payload[pos:pos + size]
        pos += size


def encode_segment(marker, payload):
    if len(payload) + 2 > 0xFFFF:
        raise RemuxError("segment FF%02X too long after merging" % marker)
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def app13_payload():
    # A Photoshop 3.0 resource block with one empty 8BIM record, as image
    # editors write it.
    return b"Photoshop 3.0\x00" + b"8BIM" + struct.pack(">H", 0x0404) + b"\x00\x00" + struct.pack(">I", 0)


def app14_payload(transform):
    # Adobe segment: version 100, flags 0, 0, colour transform.
    return b"Adobe" + struct.pack(">HHHB", 100, 0, 0, transform)


def relayout(segments, args):
    tables_mode = args.tables
    out = []
    dqt_tables = [t for m, p in segments if m == DQT for t in split_dqt(p)]
    dht_tables = [t for m, p in segments if m == DHT for t in split_dht(p)]
    dri = [p for m, p in segments if m == DRI]
    if args.add_dri0 and not dri:
        dri = [struct.pack(">H", 0)]
        args.dri_first = True

    inserted = []
    if args.app13:
        inserted.append((APP13, app13_payload()))
    if args.app14:
        inserted.append((APP14, app14_payload(args.app14_transform)))
    if args.comment is not None:
        inserted.append((COM, args.comment.encode("latin-1")))
    if args.dri_first:
        inserted.extend((DRI, p) for p in dri)

    def table_segments(marker, tables):
        if tables_mode == "merge":
            return [(marker, b"".join(tables))]
        return [(marker, t) for t in tables]

    first_table_done = False
    dqt_done = dht_done = False
    for marker, payload in segments:
        is_table = marker in (DQT, DHT)
        if is_table and not first_table_done:
            out.extend(inserted)
            first_table_done = True
        if marker == DRI and args.dri_first:
            continue
        if tables_mode == "keep" or not is_table:
            if marker == SOS and not first_table_done:
                out.extend(inserted)
                first_table_done = True
            out.append((marker, payload))
            continue
        if marker == DQT and not dqt_done:
            out.extend(table_segments(DQT, dqt_tables))
            dqt_done = True
        elif marker == DHT and not dht_done:
            out.extend(table_segments(DHT, dht_tables))
            dht_done = True
    return out


def main(argv):
    parser = argparse.ArgumentParser(
        description="Rewrite the marker segments of a baseline JPEG (before its first SOS) "
                    "without changing the coded picture.",
        epilog=__doc__.split("\n\n", 2)[2] if __doc__ else None,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("input", help="baseline JPEG to read")
    parser.add_argument("output", help="file to write")
    parser.add_argument("--tables", choices=("keep", "merge", "split"), default="keep",
                        help="merge: all DQT tables into one segment and all DHT tables into one; "
                             "split: one table per segment; keep: leave them (default)")
    parser.add_argument("--app13", action="store_true",
                        help="insert a Photoshop APP13 segment before the first table segment")
    parser.add_argument("--app14", action="store_true",
                        help="insert an Adobe APP14 segment before the first table segment")
    parser.add_argument("--app14-transform", type=int, default=1, choices=(0, 1, 2),
                        help="colour transform byte of the APP14 segment (default 1, YCbCr)")
    parser.add_argument("--comment", help="insert a COM segment with this Latin-1 text before the tables")
    parser.add_argument("--dri-first", action="store_true",
                        help="move an existing DRI segment in front of the tables (kept unchanged otherwise)")
    parser.add_argument("--add-dri0", action="store_true",
                        help="when there is no DRI, insert one with restart interval 0 in front of the tables")
    args = parser.parse_args(argv)

    try:
        with open(args.input, "rb") as f:
            data = f.read()
        segments, scan_start = read_segments(data)
        layout = relayout(segments, args)
        result = b"\xff\xd8" + b"".join(encode_segment(m, p) for m, p in layout) + data[scan_start:]
        with open(args.output, "wb") as f:
            f.write(result)
    except (OSError, RemuxError) as error:
        print("jpeg_remux: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
