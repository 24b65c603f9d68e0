#!/usr/bin/env python3
"""Writes the built-in starship (FILE3DS 184) and checks a written file.

    make_starship.py OUT.3ds            write the model
    make_starship.py --check FILE.3ds   re-read FILE the way the program does
                                        and verify it; exit 1 on any fault

The ship is designed in the engine's oriented frame (see shipgeom.py) and
stored in file units ten times larger, shifted so that the frame's (0, 0, 1)
is the file origin; the program undoes both with its translate and modelScale.

Winding: the reader swaps b and c of faces whose flag word is 7 and assembly
then adds every face as (a, c, b). So flag-7 faces are stored in their front
(counter-clockwise) order and all other faces the other way round.

The check works only from the file's bytes: it parses the chunks, assembles
the faces in the program's order, derives size and modelScale as assembly
does, and measures nozzle exits and gun muzzles from the geometry itself.
"""

import math
import struct
import sys

import shipgeom

FILE_UNITS_PER_FRAME_UNIT = 10.0
TOLERANCE = 0.02

FLAME_POSITIONS = [(-0.2, -0.17, 1.5), (0.2, -0.17, 1.5), (0.2, 0.17, 1.5), (-0.2, 0.17, 1.5)]
GUN_POSITIONS = [(-0.78, -0.2, 0.0), (-0.78, 0.2, 0.0), (0.78, 0.2, 0.0), (0.78, -0.2, 0.0)]

FLAG_FRONT_ORDER = 7   # stored a, b, c as drawn
FLAG_PLAIN = 3         # stored a, c, b


# --- Writing -------------------------------------------------------------------

def chunk(chunk_id, payload=b"", children=()):
    body = payload + b"".join(children)
    return struct.pack("<HI", chunk_id, 6 + len(body)) + body


def name_bytes(name):
    assert len(name) <= 16
    return name.encode("ascii") + b"\0"


def colour24(rgb):
    return chunk(0x0011, bytes(rgb))


def percent(value):
    return chunk(0x0030, struct.pack("<h", value))


def material_chunk(name, diffuse, specular, transparency, shininess):
    ambient = tuple(int(c * 0.3) for c in diffuse)
    return chunk(0xAFFF, children=[
        chunk(0xA000, name_bytes(name)),
        chunk(0xA010, children=[colour24(ambient)]),
        chunk(0xA020, children=[colour24(diffuse)]),
        chunk(0xA030, children=[colour24(specular)]),
        chunk(0xA040, children=[percent(shininess)]),
        chunk(0xA041, children=[percent(shininess // 2)]),
        chunk(0xA050, children=[percent(transparency)]),
        chunk(0xA100, struct.pack("<h", 3)),
    ])


def to_file(p):
    return (p[0] * FILE_UNITS_PER_FRAME_UNIT, p[1] * FILE_UNITS_PER_FRAME_UNIT,
            (p[2] - 1.0) * FILE_UNITS_PER_FRAME_UNIT)


def mesh_chunk(part):
    points = [to_file(p) for p in part.points]
    assert len(points) <= 32767 and len(part.faces) <= 32767
    point_data = struct.pack("<h", len(points)) + b"".join(struct.pack("<3f", *p) for p in points)

    face_data = bytearray(struct.pack("<h", len(part.faces)))
    for i, (a, b, c) in enumerate(part.faces):
        if i % 3 == 0:
            face_data += struct.pack("<4H", a, b, c, FLAG_FRONT_ORDER)
        else:
            face_data += struct.pack("<4H", a, c, b, FLAG_PLAIN)

    groups = []
    for material in dict.fromkeys(part.materials):
        indices = [i for i, m in enumerate(part.materials) if m == material]
        groups.append(chunk(0x4130, name_bytes(material) + struct.pack("<H", len(indices))
                            + struct.pack("<%dH" % len(indices), *indices)))
    smoothing = chunk(0x4150, struct.pack("<%dI" % len(part.faces), *([1] * len(part.faces))))

    pivot = to_file(part.pivot())
    matrix = struct.pack("<12f", 1, 0, 0, 0, 1, 0, 0, 0, 1, *pivot)
    children = [chunk(0x4110, point_data)]
    if part.uvs is not None:
        children.append(chunk(0x4140, struct.pack("<h", len(part.uvs))
                              + b"".join(struct.pack("<2f", *uv) for uv in part.uvs)))
    children.append(chunk(0x4160, matrix))
    children.append(chunk(0x4120, bytes(face_data), groups + [smoothing]))
    return chunk(0x4000, name_bytes(part.name), [chunk(0x4100, children=children)])


def keyframer_chunk(parts):
    nodes = []
    for index, part in enumerate(parts):
        nodes.append(chunk(0xB002, children=[
            chunk(0xB030, struct.pack("<h", index)),
            chunk(0xB010, name_bytes(part.name) + struct.pack("<hhh", 0, 0, -1)),
            chunk(0xB013, struct.pack("<3f", *to_file(part.pivot()))),
        ]))
    return chunk(0xB000, children=[
        chunk(0xB00A, struct.pack("<h", 5) + name_bytes("ORBITPATROL") + struct.pack("<i", 100)),
        chunk(0xB008, struct.pack("<ii", 0, 100)),
    ] + nodes)


def build_file():
    parts = shipgeom.build_parts()
    materials = [material_chunk(*m) for m in shipgeom.MATERIALS]
    editor = chunk(0x3D3D, children=[chunk(0x3D3E, struct.pack("<I", 3)),
                                     chunk(0x0100, struct.pack("<f", 1.0))]
                   + materials + [mesh_chunk(p) for p in parts])
    return chunk(0x4D4D, children=[chunk(0x0002, struct.pack("<I", 3)), editor,
                                   keyframer_chunk(parts)])


# --- Reading, as the program does -------------------------------------------

class Scene:
    def __init__(self):
        self.materials = []   # dicts
        self.meshes = []      # dicts
        self.chunk_ids = set()
        self.colour_chunk_ids = set()
        self.texture_maps = 0


def _read_name(data, pos, end):
    stop = data.index(b"\0", pos, end)
    return data[pos:stop].decode("ascii"), stop + 1


def _children(data, start, end):
    pos = start
    while pos < end:
        cid, length = struct.unpack_from("<HI", data, pos)
        if length < 6 or pos + length > end:
            raise ValueError("chunk 0x%04X at %d has a bad length %d" % (cid, pos, length))
        yield cid, pos + 6, pos + length
        pos += length


def _percent(data, start, end):
    value = 0
    for cid, s, _ in _children(data, start, end):
        if cid == 0x0030:
            value = struct.unpack_from("<h", data, s)[0]
    return value


def _colour(scene, data, start, end):
    rgb = (0.0, 0.0, 0.0)
    for cid, s, _ in _children(data, start, end):
        scene.colour_chunk_ids.add(cid)
        if cid == 0x0011:
            rgb = tuple(b * 0.00390625 for b in data[s:s + 3])
        elif cid == 0x0010:
            rgb = struct.unpack_from("<3f", data, s)
    return rgb


def _material(scene, data, start, end):
    m = {"name": "", "transparency": None}
    for cid, s, e in _children(data, start, end):
        scene.chunk_ids.add(cid)
        if cid == 0xA000:
            m["name"] = _read_name(data, s, e)[0]
        elif cid in (0xA010, 0xA020, 0xA030):
            m[{0xA010: "ambient", 0xA020: "diffuse", 0xA030: "specular"}[cid]] = _colour(scene, data, s, e)
        elif cid == 0xA050:
            m["transparency"] = _percent(data, s, e)
        elif cid == 0xA200:
            scene.texture_maps += 1
    scene.materials.append(m)


def _mesh(scene, name, data, start, end):
    mesh = {"name": name, "points": [], "faces": [], "flags": [], "groups": [], "uvs": None,
            "matrix": None}
    for cid, s, e in _children(data, start, end):
        scene.chunk_ids.add(cid)
        if cid == 0x4110:
            n = struct.unpack_from("<h", data, s)[0]
            mesh["points"] = [struct.unpack_from("<3f", data, s + 2 + 12 * i) for i in range(n)]
        elif cid == 0x4140:
            n = struct.unpack_from("<h", data, s)[0]
            mesh["uvs"] = [struct.unpack_from("<2f", data, s + 2 + 8 * i) for i in range(n)]
        elif cid == 0x4160:
            mesh["matrix"] = struct.unpack_from("<12f", data, s)
        elif cid == 0x4120:
            n = struct.unpack_from("<h", data, s)[0]
            for i in range(n):
                a, b, c, flags = struct.unpack_from("<4H", data, s + 2 + 8 * i)
                if flags == 7:
                    b, c = c, b
                mesh["faces"].append((a, b, c))
                mesh["flags"].append(flags)
            for sub, ss, se in _children(data, s + 2 + 8 * n, e):
                scene.chunk_ids.add(sub)
                if sub == 0x4130:
                    group_name, p = _read_name(data, ss, se)
                    count = struct.unpack_from("<H", data, p)[0]
                    indices = struct.unpack_from("<%dH" % count, data, p + 2)
                    mesh["groups"].append((group_name, list(indices)))
    scene.meshes.append(mesh)


def parse(data):
    scene = Scene()
    cid, length = struct.unpack_from("<HI", data, 0)
    if cid != 0x4D4D or length != len(data):
        raise ValueError("not a 3DS main chunk covering the file")
    for cid, s, e in _children(data, 6, length):
        scene.chunk_ids.add(cid)
        if cid != 0x3D3D:
            continue
        for cid2, s2, e2 in _children(data, s, e):
            scene.chunk_ids.add(cid2)
            if cid2 == 0xAFFF:
                _material(scene, data, s2, e2)
            elif cid2 == 0x4000:
                name, p = _read_name(data, s2, e2)
                for cid3, s3, e3 in _children(data, p, e2):
                    scene.chunk_ids.add(cid3)
                    if cid3 == 0x4100:
                        _mesh(scene, name, data, s3, e3)
    return scene


# --- Checking ------------------------------------------------------------------

def _components(faces):
    parent = {}

    def find(x):
        while parent.setdefault(x, x) != x:
            parent[x] = parent[parent[x]]
            x = parent[x]
        return x

    for a, b, c in faces:
        ra = find(a)
        for v in (b, c):
            rv = find(v)
            if rv != ra:
                parent[rv] = ra
    groups = {}
    for f in faces:
        groups.setdefault(find(f[0]), []).append(f)
    return list(groups.values())


def _is_closed(faces):
    edges = {}
    for a, b, c in faces:
        for e in ((a, b), (b, c), (c, a)):
            edges[e] = edges.get(e, 0) + 1
    return all(n == 1 and edges.get((e[1], e[0])) == 1 for e, n in edges.items())


def _is_degenerate(p0, p1, p2):
    d1 = [p1[k] - p0[k] for k in range(3)]
    d2 = [p2[k] - p1[k] for k in range(3)]
    n = (d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2], d1[0] * d2[1] - d1[1] * d2[0])
    return n[0] * n[0] + n[1] * n[1] + n[2] * n[2] == 0.0


def _match(found, expected, what, problems):
    for target in expected:
        best = min(found, key=lambda p: math.dist(p, target)) if found else None
        if best is None or math.dist(best, target) > TOLERANCE:
            problems.append("%s at %s: nearest found %s" % (what, target, best))


def check(data):
    """Returns (problems, summary) for the bytes of a 3DS file."""
    problems = []
    try:
        scene = parse(data)
    except (ValueError, struct.error) as err:
        return ["unreadable: %s" % err], {}

    # Assembly: one vertex array, faces as (a, c, b) per material group.
    vertices = []
    assembled = {}   # mesh index -> faces in assembled order (global indices)
    base = 0
    names = {m["name"] for m in scene.materials}
    for index, mesh in enumerate(scene.meshes):
        vertices += mesh["points"]
        seen = []
        out = []
        for group_name, indices in mesh["groups"]:
            if group_name not in names:
                problems.append("mesh %s names missing material %s" % (mesh["name"], group_name))
            for i in indices:
                if i >= len(mesh["faces"]):
                    problems.append("mesh %s group index %d out of range" % (mesh["name"], i))
                    continue
                a, b, c = mesh["faces"][i]
                out.append((a + base, c + base, b + base))
                seen.append(i)
        if sorted(seen) != list(range(len(mesh["faces"]))):
            problems.append("mesh %s: material groups do not cover each face once" % mesh["name"])
        if not mesh["groups"]:
            problems.append("mesh %s has no material groups" % mesh["name"])
        if mesh["matrix"] is None:
            problems.append("mesh %s has no local matrix" % mesh["name"])
        if max((max(f) for f in mesh["faces"]), default=-1) >= len(mesh["points"]):
            problems.append("mesh %s has a face index beyond its points" % mesh["name"])
        assembled[index] = out
        base += len(mesh["points"])

    # Size and scale exactly as the program measures them (doubles over floats).
    lo = [min(v[k] for v in vertices) for k in range(3)]
    hi = [max(v[k] for v in vertices) for k in range(3)]
    size = max(hi[k] - lo[k] for k in range(3))
    model_scale = 2.0 / size if size > 1e-10 else 2.0

    def oriented(v):
        return (model_scale * v[0], model_scale * v[1], 1.0 + model_scale * v[2])

    placed = [oriented(v) for v in vertices]
    by_name = {m["name"]: i for i, m in enumerate(scene.meshes)}

    def ends(mesh_name, pick_max):
        if mesh_name not in by_name:
            problems.append("no mesh named %s" % mesh_name)
            return []
        found = []
        for comp in _components(assembled[by_name[mesh_name]]):
            ids = {v for f in comp for v in f}
            zs = [placed[v][2] for v in ids]
            z_end = max(zs) if pick_max else min(zs)
            rim = [placed[v] for v in ids if abs(placed[v][2] - z_end) < 1e-6]
            found.append(tuple(sum(p[k] for p in rim) / len(rim) for k in range(3)))
        return found

    nozzles = ends("Nozzles", True)
    muzzles = ends("GunBarrels", False)
    if len(nozzles) != 4 or len(muzzles) != 4:
        problems.append("want 4 nozzles and 4 muzzles, found %d and %d" % (len(nozzles), len(muzzles)))
    _match(nozzles, FLAME_POSITIONS, "nozzle exit", problems)
    _match(muzzles, GUN_POSITIONS, "gun muzzle", problems)

    nozzle_z = max((p[2] for p in nozzles), default=1.5)
    rearmost = max(p[2] for p in placed)
    if rearmost > nozzle_z + 1e-6:
        problems.append("geometry reaches z = %.4f behind the nozzle exits at %.4f" % (rearmost, nozzle_z))

    # Winding: every closed piece must enclose positive volume with the
    # assembled order, i.e. wind counter-clockwise seen from outside.
    degenerate = 0
    for index, faces in assembled.items():
        for comp in _components(faces):
            if not _is_closed(comp):
                problems.append("mesh %s has a piece that is not closed or mixes windings" % scene.meshes[index]["name"])
            elif shipgeom.signed_volume(placed, comp) <= 0:
                problems.append("mesh %s has a piece wound inside out" % scene.meshes[index]["name"])
        degenerate += sum(1 for a, b, c in faces if _is_degenerate(vertices[a], vertices[b], vertices[c]))
    if degenerate:
        problems.append("%d degenerate faces (assembly would drop them)" % degenerate)

    # Structure the program's reader and assembly paths are meant to meet.
    face_count = sum(len(m["faces"]) for m in scene.meshes)
    point_count = len(vertices)
    translucent = [m["name"] for m in scene.materials if m["transparency"] == 50]
    opaque = [m for m in scene.materials if m["transparency"] == 0]
    uv_meshes = sum(1 for m in scene.meshes if m["uvs"])
    flag7 = sum(m["flags"].count(7) for m in scene.meshes)
    if len(scene.materials) < 10:
        problems.append("only %d materials" % len(scene.materials))
    if len(translucent) != 1 or len(opaque) != len(scene.materials) - 1:
        problems.append("want one 50 % transparent material and the rest opaque (0 %)")
    elif scene.materials[-1]["name"] != translucent[0]:
        problems.append("the translucent material must come last, so it is drawn over the rest")
    if scene.texture_maps or scene.colour_chunk_ids - {0x0011}:
        problems.append("colours must be 24-bit chunks only and no texture maps")
    if len(scene.meshes) < 12:
        problems.append("only %d meshes" % len(scene.meshes))
    if not 4 <= uv_meshes <= 6:
        problems.append("%d meshes carry texture coordinates, want about 5" % uv_meshes)
    if flag7 == 0 or flag7 == face_count:
        problems.append("want some, not all, faces with flag word 7")
    if not 8000 <= face_count <= 20000:
        problems.append("%d faces, want 8,000 to 20,000" % face_count)
    for cid in (0x0002, 0x3D3E, 0x0100, 0xA040, 0xA041, 0x4150, 0xB000):
        if cid not in scene.chunk_ids:
            problems.append("chunk 0x%04X missing" % cid)

    summary = {"bytes": len(data), "materials": len(scene.materials), "meshes": len(scene.meshes),
               "points": point_count, "faces": face_count, "uv meshes": uv_meshes,
               "flag-7 faces": flag7, "size": size, "modelScale": model_scale,
               "nozzles": nozzles, "muzzles": muzzles}
    return problems, summary


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        with open(argv[2], "rb") as f:
            problems, summary = check(f.read())
        for key, value in summary.items():
            print("%s: %s" % (key, value))
        for p in problems:
            print("FAULT: " + p)
        print("ship check: %s" % ("FAILED" if problems else "ok"))
        return 1 if problems else 0
    if len(argv) == 2:
        data = build_file()
        problems, _ = check(data)
        if problems:
            for p in problems:
                print("FAULT: " + p, file=sys.stderr)
            return 1
        with open(argv[1], "wb") as f:
            f.write(data)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
