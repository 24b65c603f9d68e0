#!/usr/bin/env python3
"""Renders the starship file from several sides into PNGs for a look.

    render_ship.py SHIP.3ds OUTDIR [WIDTH]

Reads the file the way the program does (make_starship.parse), assembles the
faces in the program's order and smooths normals with the same 90-degree
crease rule, so the pictures show what the saver will draw, flames included
as plain markers where the engine puts them.
"""

import math
import os
import sys

import make_starship
import raster

CREASE_COS = math.cos(math.radians(90))


def corner_weight(p, q, r):
    a = math.dist(p, q)
    b = math.dist(p, r)
    c = math.dist(q, r)
    if a == 0 or b == 0:
        return 0.0
    return math.acos(max(-1.0, min(1.0, (c * c - a * a - b * b) / (2 * a * b))))


def load_ship(path, material_for=None):
    """Triangles in the ship's oriented frame with smoothed normals.
    material_for(name), when given, replaces the file's colours."""
    with open(path, "rb") as f:
        scene = make_starship.parse(f.read())
    points = [p for m in scene.meshes for p in m["points"]]
    lo = [min(p[k] for p in points) for k in range(3)]
    hi = [max(p[k] for p in points) for k in range(3)]
    scale = 2.0 / max(hi[k] - lo[k] for k in range(3))
    placed = [(scale * p[0], scale * p[1], 1.0 + scale * p[2]) for p in points]

    materials = {}
    for m in scene.materials:
        glow = 0.9 if m["name"] in ("Burner", "LightRed", "LightGreen") else 0.0
        materials[m["name"]] = {"diffuse": m["diffuse"], "specular": m["specular"],
                                "alpha": 0.5 if m["transparency"] == 50 else 1.0,
                                "shininess": 60.0, "highlight_strength": 0.45, "glow": glow}
        if material_for:
            materials[m["name"]] = material_for(m["name"])

    faces = []   # (i0, i1, i2, material, normal)
    base = 0
    for mesh in scene.meshes:
        for group_name, indices in mesh["groups"]:
            for i in indices:
                a, b, c = mesh["faces"][i]
                i0, i1, i2 = a + base, c + base, b + base
                d1 = raster.sub(placed[i1], placed[i0])
                d2 = raster.sub(placed[i2], placed[i1])
                n = raster.normalize(raster.cross(d1, d2))
                if n != (0.0, 0.0, 0.0):
                    faces.append((i0, i1, i2, group_name, n))
        base += len(mesh["points"])

    by_vertex = {}
    for f in faces:
        for v in f[:3]:
            by_vertex.setdefault(v, []).append(f)

    # Per vertex: faces within the crease of the first listed face share one
    # angle-weighted normal; the others take the first of them (assembly's
    # split vertex gets its normal from the first moved face alone).
    corner_normal = {}
    for v, flist in by_vertex.items():
        ref = flist[0][4]
        acc = [0.0, 0.0, 0.0]
        moved = None
        for f in flist:
            if raster.dot(ref, f[4]) > CREASE_COS:
                others = [u for u in f[:3] if u != v]
                w = corner_weight(placed[v], placed[others[0]], placed[others[1]])
                acc = [acc[k] + w * f[4][k] for k in range(3)]
                corner_normal[(id(f), v)] = None
            else:
                if moved is None:
                    moved = f[4]
                corner_normal[(id(f), v)] = moved
        smooth = raster.normalize(acc)
        for f in flist:
            if corner_normal[(id(f), v)] is None:
                corner_normal[(id(f), v)] = smooth

    tris = []
    for f in faces:
        ns = [corner_normal[(id(f), v)] for v in f[:3]]
        tris.append(([placed[f[0]], placed[f[1]], placed[f[2]]], ns, materials[f[3]]))
    return tris


def flame_markers():
    """Small glowing cones at the flame positions, 0.5 long, so a render
    shows whether the hull hides any of them."""
    tris = []
    mat = {"diffuse": (1.0, 0.6, 0.2), "specular": (0, 0, 0), "alpha": 0.6, "glow": 1.2}
    for x, y, z in make_starship.FLAME_POSITIONS:
        n = 10
        for j in range(n):
            a0 = 2 * math.pi * j / n
            a1 = 2 * math.pi * (j + 1) / n
            p0 = (x + 0.05 * math.cos(a0), y + 0.05 * math.sin(a0), z)
            p1 = (x + 0.05 * math.cos(a1), y + 0.05 * math.sin(a1), z)
            tip = (x, y, z + 0.5)
            nrm = raster.normalize(raster.cross(raster.sub(p1, p0), raster.sub(tip, p1)))
            tris.append(([p0, p1, tip], [nrm] * 3, mat))
    return tris


def place(tris, rot, offset, centre=(0.0, 0.0, 0.5)):
    out = []
    for ps, ns, mat in tris:
        qs = [raster.apply(rot, raster.sub(p, centre)) for p in ps]
        qs = [(q[0] + offset[0], q[1] + offset[1], q[2] + offset[2]) for q in qs]
        out.append((qs[0], qs[1], qs[2], raster.apply(rot, ns[0]), raster.apply(rot, ns[1]),
                    raster.apply(rot, ns[2]), mat))
    return out


LIGHTS = [raster.Light((0.5, 0.8, 0.6), (0.95, 0.93, 0.88)), raster.Light((-0.6, -0.3, 0.4), (0.25, 0.3, 0.4))]

VIEWS = [
    # name, yaw, pitch, roll (degrees)
    ("front-left-above", 200, -25, 0),
    ("rear-right-above", -35, -20, 0),
    ("side", 90, 0, 0),
    ("top", 0, 90, 0),
    ("front-right", 150, 25, 0),
    ("rear", 0, -8, 0),
]


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    width = int(argv[3]) if len(argv) > 3 else 480
    height = width * 3 // 4
    ss = 2
    ship = load_ship(argv[1]) + flame_markers()
    os.makedirs(argv[2], exist_ok=True)
    for name, yaw, pitch, roll in VIEWS:
        canvas = raster.Canvas(width * ss, height * ss, (0.03, 0.04, 0.07))
        tris = place(ship, raster.rotation(yaw, pitch, roll), (0.0, 0.0, -4.2))
        raster.draw_triangles(canvas, tris, focal=width * ss * 1.25, lights=LIGHTS)
        raster.write_png(os.path.join(argv[2], "starship-%s.png" % name), raster.downsample(canvas.color, ss))
        print("wrote", name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
