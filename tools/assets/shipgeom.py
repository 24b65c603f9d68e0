"""Geometry of the built-in starship, designed in the ship's oriented frame.

Units: the frame the engine draws the ship in (after translate (0, 0, 1) and
scale by modelScale), so the flame and gun positions the effects use can be
written down directly: nozzle exits at (+-0.2, +-0.17, 1.5), gun muzzles at
(+-0.78, +-0.2, 0). +z points backwards, +y is the canopy side. The hull runs
from the nose at z = -0.5 to the nozzle exits at z = 1.5, so its length (2) is
the largest extent and nothing stands behind the nozzles.

Every part is a closed surface whose triangles wind counter-clockwise seen
from outside; the 3DS writer turns that into the file's winding rules.

Tessellation is kept lean (about 8,700 faces, twice that once drawn two-sided):
the ship is rarely more than a few hundred pixels across, and on a software
rasteriser such as llvmpipe every triangle costs time each frame whether or
not it covers a pixel, so finer rings bought no visible detail.
"""

import math

NOZZLE_CENTRES = [(-0.2, -0.17), (0.2, -0.17), (0.2, 0.17), (-0.2, 0.17)]
NOZZLE_EXIT_Z = 1.5
GUN_CENTRES = [(-0.78, -0.2), (-0.78, 0.2), (0.78, 0.2), (0.78, -0.2)]
MUZZLE_Z = 0.0
NOSE_Z = -0.5


class Part:
    """One triangle mesh: points, CCW-outward triangles, a material per face."""

    def __init__(self, name, uv=False):
        self.name = name
        self.points = []
        self.faces = []       # (a, b, c) indices, CCW seen from outside
        self.materials = []   # material name per face
        self.uvs = [] if uv else None

    def point(self, p, uv=(0.0, 0.0)):
        self.points.append(p)
        if self.uvs is not None:
            self.uvs.append(uv)
        return len(self.points) - 1

    def tri(self, a, b, c, material):
        self.faces.append((a, b, c))
        self.materials.append(material)

    def quad(self, a, b, c, d, material):
        self.tri(a, b, c, material)
        self.tri(a, c, d, material)

    def pivot(self):
        n = len(self.points)
        return tuple(sum(p[k] for p in self.points) / n for k in range(3))


def _centroid(ring):
    n = len(ring)
    return tuple(sum(p[k] for p in ring) / n for k in range(3))


def loft(part, rings, material_of, start_apex=None, end_apex=None, v_of=None):
    """Joins rings of equal size into a closed tube.

    rings run along the part; each ring must go counter-clockwise when seen
    from the end the rings run towards, so the quads face outwards. Open ends
    are closed with a fan to the given apex point or to the ring's centroid.
    material_of(i, j, centre) picks a face's material, i = ring gap, j = step
    around. Texture coordinates are (j / n, i / rings) when the part has them.
    """
    n = len(rings[0])
    face_start = len(part.faces)
    ids = []
    for i, ring in enumerate(rings):
        v = v_of(i) if v_of else i / (len(rings) - 1)
        ids.append([part.point(p, (j / n, v)) for j, p in enumerate(ring)])

    for i in range(len(rings) - 1):
        for j in range(n):
            k = (j + 1) % n
            a, b, c, d = ids[i][j], ids[i][k], ids[i + 1][k], ids[i + 1][j]
            centre = _centroid([rings[i][j], rings[i][k], rings[i + 1][k], rings[i + 1][j]])
            part.quad(a, d, c, b, material_of(i, j, centre))

    first = start_apex if start_apex is not None else _centroid(rings[0])
    last = end_apex if end_apex is not None else _centroid(rings[-1])
    s = part.point(first, (0.5, 0.0))
    e = part.point(last, (0.5, 1.0))
    for j in range(n):
        k = (j + 1) % n
        part.tri(s, ids[0][j], ids[0][k], material_of(-1, j, first))
        part.tri(e, ids[-1][k], ids[-1][j], material_of(len(rings) - 1, j, last))
    orient_outwards(part, face_start)


def signed_volume(points, faces):
    """Six times the enclosed volume; positive when faces wind CCW outside."""
    total = 0.0
    for a, b, c in faces:
        p, q, r = points[a], points[b], points[c]
        total += (p[0] * (q[1] * r[2] - q[2] * r[1]) - p[1] * (q[0] * r[2] - q[2] * r[0])
                  + p[2] * (q[0] * r[1] - q[1] * r[0]))
    return total


def orient_outwards(part, face_start):
    """Which way round a loft's rings run depends on the part; the enclosed
    volume's sign tells, so each closed piece is flipped to wind outwards."""
    faces = part.faces[face_start:]
    if signed_volume(part.points, faces) < 0:
        part.faces[face_start:] = [(a, c, b) for a, b, c in faces]


def lathe(part, cx, cy, profile, segments, material_of, uv_along=False):
    """A solid of revolution about the line x = cx, y = cy along z.

    profile is a list of (z, r) from the front to the back with r > 0; the
    two ends are closed on the axis. material_of(i, j, centre) as in loft.
    """
    rings = []
    for z, r in profile:
        ring = []
        for j in range(segments):
            a = 2.0 * math.pi * j / segments
            # Counter-clockwise seen from +z (the direction the rings run).
            ring.append((cx + r * math.cos(a), cy + r * math.sin(a), z))
        rings.append(ring)
    loft(part, rings, material_of,
         start_apex=(cx, cy, profile[0][0]), end_apex=(cx, cy, profile[-1][0]))


def superellipse_ring(cx, cy, z, a, b, exponent, n, squash_bottom=1.0):
    ring = []
    for j in range(n):
        t = 2.0 * math.pi * j / n
        c, s = math.cos(t), math.sin(t)
        x = a * math.copysign(abs(c) ** (2.0 / exponent), c)
        y = b * math.copysign(abs(s) ** (2.0 / exponent), s)
        if y < 0:
            y *= squash_bottom
        ring.append((cx + x, cy + y, z))
    return ring


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


# --- Parts -------------------------------------------------------------------

def fuselage():
    part = Part("Fuselage", uv=True)
    zs = []
    # Dense at the nose, where the curvature is.
    for i in range(28):
        t = i / 27
        zs.append(NOSE_Z + 1.78 * (t ** 1.35))
    rings = []
    for z in zs[1:]:
        u = (z - NOSE_Z) / 1.78
        # Half width and height: an ogive nose growing into a flat body that
        # narrows again between the engines.
        width = 0.17 * math.sin(min(1.0, u / 0.42) * math.pi / 2) ** 0.8
        width -= 0.045 * smoothstep(0.62, 0.95, u)
        height = 0.105 * math.sin(min(1.0, u / 0.36) * math.pi / 2) ** 0.9
        height -= 0.01 * smoothstep(0.7, 1.0, u)
        cy = -0.02 * (1 - smoothstep(0.0, 0.4, u))
        rings.append(superellipse_ring(0.0, cy, z, width, height, 2.6, 24, 0.8))

    def material_of(i, j, c):
        x, y, z = c
        if i < 0:
            return "HullDark"
        if z < -0.42:
            return "HullDark"            # nose cap
        if y > 0 and abs(x) < 0.018 and z > 0.3:
            return "Accent"              # spine stripe
        if y < -0.02 and abs(x) < 0.09 and 0.1 < z < 1.0:
            return "PanelBlue"           # belly panel
        band = int((z + 0.5) / 0.16)
        if abs(x) > 0.1 and band % 3 == 1:
            return "HullDark"            # side panels
        if band % 2 and z > 0.0:
            return "HullMid"
        if -0.2 < z < -0.12 and y > -0.03:
            return "Accent"              # nose band
        return "HullLight"

    loft(part, rings, material_of, start_apex=(0.0, -0.02, NOSE_Z))
    return part


def canopy():
    part = Part("Canopy")
    rings = []
    for i in range(1, 10):
        t = i / 10
        z = -0.2 + 0.42 * t
        w = 0.07 * math.sin(math.pi * t) ** 0.6
        h = 0.06 * math.sin(math.pi * t ** 0.8) ** 0.7
        rings.append(superellipse_ring(0.0, 0.07, z, w, h, 2.0, 16))
    loft(part, rings, lambda i, j, c: "Canopy",
         start_apex=(0.0, 0.07, -0.2), end_apex=(0.0, 0.07, 0.22))
    return part


def canopy_frame():
    """Two thin bows over the canopy, sunk into the hull at both ends."""
    part = Part("CanopyFrame")
    for z0 in (-0.07, 0.09):
        t = (z0 + 0.2) / 0.42
        w = 0.07 * math.sin(math.pi * t) ** 0.6 + 0.004
        h = 0.06 * math.sin(math.pi * t ** 0.8) ** 0.7 + 0.004
        rings = []
        steps = 8
        for k in range(steps + 1):
            a = -0.25 + (math.pi + 0.5) * k / steps
            px, py = w * math.cos(a), 0.07 + h * math.sin(a)
            nx, ny = math.cos(a), math.sin(a)
            ring = []
            for j in range(6):
                b = 2.0 * math.pi * j / 6
                r = 0.006
                ring.append((px + r * math.cos(b) * nx, py + r * math.cos(b) * ny, z0 + r * math.sin(b)))
            rings.append(ring)
        loft(part, rings, lambda i, j, c: "HullDark")
    return part


def cockpit():
    part = Part("Cockpit")
    lathe(part, 0.0, 0.075, [(-0.12, 0.03), (-0.05, 0.045), (0.12, 0.04), (0.16, 0.02)], 16,
          lambda i, j, c: "Cockpit")
    return part


def spine():
    part = Part("Spine")
    rings = []
    for i in range(12):
        t = i / 11
        z = 0.2 + 1.0 * t
        w = 0.05 + 0.03 * math.sin(math.pi * t)
        h = 0.03 + 0.035 * math.sin(math.pi * min(1.0, t * 1.3)) * (1 - 0.5 * t)
        rings.append(superellipse_ring(0.0, 0.08, z, w, h, 3.0, 16))

    def material_of(i, j, c):
        if 0.55 < c[2] < 0.6 or 0.9 < c[2] < 0.95:
            return "Accent"
        return "HullDark" if c[1] < 0.1 else "HullLight"

    loft(part, rings, material_of, start_apex=(0.0, 0.09, 0.12), end_apex=(0.0, 0.08, 1.26))
    return part


def nacelle(index):
    cx, cy = NOZZLE_CENTRES[index]
    part = Part("Engine" + "ABCD"[index])
    profile = [(0.5, 0.05), (0.51, 0.072), (0.55, 0.085), (0.62, 0.095), (0.7, 0.1)]
    for k in range(1, 8):
        profile.append((0.7 + 0.58 * k / 7, 0.1 + 0.004 * math.sin(math.pi * k / 7)))
    profile += [(1.32, 0.098), (1.38, 0.09), (1.42, 0.08)]

    def material_of(i, j, c):
        z = c[2]
        if i < 0 or z < 0.515:
            return "Intake"
        if z < 0.56:
            return "Accent"
        if 0.96 < z < 1.02:
            return "HullDark"
        if abs(c[0] - cx) < 0.03 and (c[1] - cy) * cy > 0:
            return "HullDark"
        return "HullLight"

    lathe(part, cx, cy, profile, 16, material_of)
    return part


def nozzles():
    part = Part("Nozzles")
    for cx, cy in NOZZLE_CENTRES:
        # Outer bell, exit rim at the flame origin, inner wall, burner disc.
        profile = [(1.34, 0.07), (1.36, 0.088), (1.44, 0.094), (NOZZLE_EXIT_Z, 0.1),
                   (NOZZLE_EXIT_Z, 0.08), (1.46, 0.074), (1.43, 0.068)]

        def material_of(i, j, c, cx=cx, cy=cy):
            r = math.hypot(c[0] - cx, c[1] - cy)
            if i >= 5 or (c[2] < 1.46 and r < 0.072):
                return "Burner"
            return "Metal"

        lathe(part, cx, cy, profile, 16, material_of)
    return part


def wing(upper):
    part = Part("WingUpper" if upper else "WingLower", uv=True)
    sign_y = 1 if upper else -1
    for side in (-1, 1):
        rings = []
        stations = 8
        for k in range(stations + 1):
            t = k / stations
            x = 0.12 + (0.74 - 0.12) * t
            le = 0.12 + 0.3 * t ** 0.85         # swept leading edge
            te = 1.2 - 0.4 * t                  # trailing edge
            chord = te - le
            yc = sign_y * (0.13 + 0.07 * t)
            thick = chord * (0.05 - 0.02 * t)
            ring = []
            n = 14
            for j in range(n):
                a = 2.0 * math.pi * j / n
                # Lens airfoil around the chord line, z from le to te.
                zc = le + chord * 0.5 * (1 - math.cos(a))
                yy = yc + 0.5 * thick * math.sin(a) * (1 - 0.3 * math.cos(a))
                ring.append((side * x, yy, zc))
            rings.append(ring)

        def material_of(i, j, c, side=side):
            x, y, z = c
            ax = abs(x)
            if i < 0 or i >= stations:
                return "HullDark"
            if ax > 0.64 and (y * sign_y) > 0.1:
                return "Accent"
            le = 0.12 + 0.3 * ((ax - 0.12) / 0.62) ** 0.85
            if z < le + 0.045:
                return "HullDark"        # leading-edge strip
            if 0.32 < ax < 0.56 and 0.62 < z < 0.95:
                return "PanelBlue"
            if 0.5 < ax < 0.64 and z > 0.6:
                return "HullMid"         # aileron
            if ax < 0.3 and z > 0.85:
                return "HullMid"         # flap
            return "HullLight"

        loft(part, rings, material_of)
    return part


def gun_pods():
    part = Part("GunPods", uv=True)
    for cx, cy in GUN_CENTRES:
        profile = [(0.1, 0.012), (0.13, 0.03), (0.2, 0.042), (0.3, 0.048), (0.7, 0.048),
                   (0.82, 0.04), (0.9, 0.02)]

        def material_of(i, j, c):
            if c[2] < 0.16 or c[2] > 0.8:
                return "HullDark"
            if 0.22 < c[2] < 0.26:
                return "Accent"
            return "HullLight"

        lathe(part, cx, cy, profile, 12, material_of)
    return part


def gun_barrels():
    part = Part("GunBarrels")
    for cx, cy in GUN_CENTRES:
        # Muzzle face at z = 0 with a recessed bore, a brake ring, then the
        # barrel running back into the pod.
        profile = [(0.012, 0.008), (MUZZLE_Z, 0.008), (MUZZLE_Z, 0.016), (0.03, 0.016),
                   (0.034, 0.021), (0.06, 0.021), (0.064, 0.013), (0.15, 0.013)]
        lathe(part, cx, cy, profile, 10, lambda i, j, c: "Gunmetal")
    return part


def endplates():
    part = Part("Endplates")
    for side in (-1, 1):
        x0 = side * 0.78
        rings = []
        for k in range(6):
            y = -0.2 + 0.4 * k / 5
            le, te = 0.32 + 0.06 * abs(y) / 0.2, 0.78
            chord = te - le
            ring = []
            n = 14
            for j in range(n):
                a = 2.0 * math.pi * j / n
                z = le + chord * 0.5 * (1 - math.cos(a))
                x = x0 + side * 0.0 + 0.012 * math.sin(a)
                ring.append((x, y, z))
            rings.append(ring)
        loft(part, rings, lambda i, j, c: "HullDark" if i < 0 or i >= 5 or c[2] > 0.7
             else ("Accent" if abs(c[1]) < 0.05 else "HullLight"))
    return part


def fins(dorsal):
    part = Part("TailFins" if dorsal else "VentralFins", uv=dorsal)
    sign_y = 1 if dorsal else -1
    height = 0.26 if dorsal else 0.14
    for side in (-1, 1):
        cx = side * 0.2
        base_y = sign_y * (0.17 + 0.085)
        cant = math.radians(18 if dorsal else 30)
        rings = []
        stations = 6
        for k in range(stations + 1):
            t = k / stations
            le = 0.78 + 0.36 * t
            te = 1.34 - 0.04 * t
            chord = te - le
            hy = height * t
            # Fin line canted outwards.
            px = cx + side * math.sin(cant) * hy
            py = base_y + sign_y * math.cos(cant) * hy
            ring = []
            n = 14
            for j in range(n):
                a = 2.0 * math.pi * j / n
                z = le + chord * 0.5 * (1 - math.cos(a))
                off = 0.011 * (1 - 0.5 * t) * math.sin(a)
                ring.append((px + off * math.cos(cant), py - sign_y * off * side * math.sin(cant), z))
            rings.append(ring)

        def material_of(i, j, c):
            if i < 0 or i >= stations:
                return "HullDark"
            return "Accent" if i >= stations - 2 else "HullLight"

        loft(part, rings, material_of)
    return part


def nav_lights():
    part = Part("NavLights")
    for side in (-1, 1):
        lathe(part, side * 0.78, 0.0, [(0.5, 0.0001), (0.51, 0.012), (0.53, 0.014), (0.55, 0.012),
                                        (0.56, 0.0001)], 8,
              lambda i, j, c: "LightGreen" if c[0] > 0 else "LightRed")
    return part


MATERIALS = [
    # name, diffuse rgb 0..255, specular rgb, transparency %, shininess %
    ("HullLight", (212, 216, 222), (230, 230, 230), 0, 60),
    ("HullMid", (170, 176, 186), (210, 210, 215), 0, 55),
    ("HullDark", (78, 86, 98), (150, 150, 160), 0, 40),
    ("Accent", (214, 92, 34), (200, 160, 140), 0, 50),
    ("PanelBlue", (52, 82, 140), (160, 170, 200), 0, 50),
    ("Cockpit", (22, 24, 28), (60, 60, 60), 0, 20),
    ("Metal", (120, 122, 128), (240, 240, 240), 0, 90),
    ("Burner", (255, 150, 60), (255, 220, 160), 0, 30),
    ("Gunmetal", (48, 50, 56), (180, 180, 190), 0, 80),
    ("Intake", (14, 14, 16), (20, 20, 20), 0, 10),
    ("LightRed", (255, 40, 30), (255, 200, 200), 0, 60),
    ("LightGreen", (40, 255, 80), (200, 255, 200), 0, 60),
    # Last: the display list draws materials in file order, and the
    # translucent canopy must blend over everything already drawn behind it.
    ("Canopy", (70, 140, 200), (255, 255, 255), 50, 90),
]


def build_parts():
    """All meshes of the ship in file order."""
    parts = [fuselage(), canopy(), canopy_frame(), cockpit(), spine()]
    parts += [nacelle(i) for i in range(4)]
    parts += [nozzles(), wing(True), wing(False), gun_pods(), gun_barrels(), endplates(),
              fins(True), fins(False), nav_lights()]
    return parts
