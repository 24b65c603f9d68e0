#!/usr/bin/env python3
"""The starship check must catch the faults it exists for.

Each case takes the committed ship file, breaks one thing in its bytes (the
way a careless edit of the generator would) and expects check() to report
it; the untouched file must pass. Run by CTest with the tools/assets folder
on sys.path.
"""

import os
import struct
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "assets"))

import make_starship  # noqa: E402

SHIP = os.path.join(ROOT, "resources", "models", "starship.3ds")


def chunks(data, start, end):
    pos = start
    while pos < end:
        cid, length = struct.unpack_from("<HI", data, pos)
        yield cid, pos, pos + length
        pos += length


def mesh_chunk(data, name, child_id):
    """(start, end) of child_id inside the mesh of the named object."""
    for cid, s, e in chunks(data, 6, len(data)):
        if cid != 0x3D3D:
            continue
        for cid2, s2, e2 in chunks(data, s + 6, e):
            if cid2 != 0x4000:
                continue
            stop = data.index(b"\0", s2 + 6)
            if data[s2 + 6:stop].decode() != name:
                continue
            for cid3, s3, e3 in chunks(data, stop + 1, e2):
                if cid3 == 0x4100:
                    for cid4, s4, e4 in chunks(data, s3 + 6, e3):
                        if cid4 == child_id:
                            return s4, e4
    raise LookupError(name)


def move_points(data, name, dx, dy, dz):
    out = bytearray(data)
    s, _ = mesh_chunk(data, name, 0x4110)
    count = struct.unpack_from("<h", data, s + 6)[0]
    for i in range(count):
        at = s + 8 + 12 * i
        x, y, z = struct.unpack_from("<3f", out, at)
        struct.pack_into("<3f", out, at, x + dx, y + dy, z + dz)
    return bytes(out)


def flip_faces(data, name):
    """Stores every face of one mesh the other way round (flag words kept)."""
    out = bytearray(data)
    s, _ = mesh_chunk(data, name, 0x4120)
    count = struct.unpack_from("<h", data, s + 6)[0]
    for i in range(count):
        at = s + 8 + 8 * i
        a, b, c, flags = struct.unpack_from("<4H", out, at)
        struct.pack_into("<4H", out, at, a, c, b, flags)
    return bytes(out)


def set_all_flags(data, name, value):
    out = bytearray(data)
    s, _ = mesh_chunk(data, name, 0x4120)
    count = struct.unpack_from("<h", data, s + 6)[0]
    for i in range(count):
        struct.pack_into("<H", out, s + 8 + 8 * i + 6, value)
    return bytes(out)


def canopy_material_first(data):
    """Moves the last material chunk in front of the others (same bytes,
    same lengths, only the order inside the editor chunk changes)."""
    for cid, s, e in chunks(data, 6, len(data)):
        if cid == 0x3D3D:
            materials = [(s2, e2) for cid2, s2, e2 in chunks(data, s + 6, e) if cid2 == 0xAFFF]
            first, last = materials[0][0], materials[-1][1]
            body = [data[a:b] for a, b in materials]
            return data[:first] + b"".join([body[-1]] + body[:-1]) + data[last:]
    raise LookupError("editor")


class ShipCheckTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(SHIP, "rb") as f:
            cls.data = f.read()

    def problems(self, data):
        return make_starship.check(data)[0]

    def test_committed_ship_passes(self):
        self.assertEqual(self.problems(self.data), [])

    def test_counts_match_the_file(self):
        _, summary = make_starship.check(self.data)
        self.assertGreaterEqual(summary["materials"], 10)
        self.assertGreaterEqual(summary["meshes"], 12)
        self.assertTrue(8000 <= summary["faces"] <= 20000)

    def test_faults_are_reported(self):
        # File units are ten per frame unit, so 0.3 file units is 0.03.
        cases = {
            "nozzles moved sideways": (move_points(self.data, "Nozzles", 0.3, 0, 0), "nozzle exit"),
            "nozzles moved back": (move_points(self.data, "Nozzles", 0, 0, 0.3), "nozzle exit"),
            "guns moved down": (move_points(self.data, "GunBarrels", 0, -0.3, 0), "gun muzzle"),
            "a fin behind the nozzles": (move_points(self.data, "TailFins", 0, 0, 2.0), "behind the nozzle"),
            "a wing wound inside out": (flip_faces(self.data, "WingUpper"), "inside out"),
            "flag 7 dropped on one mesh": (set_all_flags(self.data, "Fuselage", 3), "mixes windings"),
            "translucent canopy drawn first": (canopy_material_first(self.data), "must come last"),
            "not a 3DS file": (b"\x4d\x3c" + self.data[2:], "unreadable"),
        }
        for what, (data, expected) in cases.items():
            with self.subTest(what):
                found = self.problems(data)
                self.assertTrue(any(expected in p for p in found), found)

    def test_a_small_shift_stays_within_tolerance(self):
        # 0.1 file units = 0.01 in the drawn frame, inside the 0.02 allowed.
        self.assertEqual(self.problems(move_points(self.data, "Nozzles", 0.1, 0, 0)), [])


if __name__ == "__main__":
    unittest.main()
