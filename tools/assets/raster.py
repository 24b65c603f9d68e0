"""A small z-buffer software rasteriser and PNG/PPM writers (stdlib only).

Used to look at the starship from several sides and to paint the About box
picture. Triangles are shaded per pixel (interpolated vertex normals,
Blinn-Phong with a key and a fill light); translucent triangles are blended
after the opaque ones, farthest first. Images are lists of rows of (r, g, b)
floats in 0..1, top row first.
"""

import math
import struct
import zlib


def normalize(v):
    length = math.sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])
    if length == 0.0:
        return (0.0, 0.0, 0.0)
    return (v[0] / length, v[1] / length, v[2] / length)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def rotation(yaw_deg, pitch_deg, roll_deg=0.0):
    """3x3 rows: roll about z, then pitch about x, then yaw about y."""
    def rx(a):
        c, s = math.cos(a), math.sin(a)
        return ((1, 0, 0), (0, c, -s), (0, s, c))

    def ry(a):
        c, s = math.cos(a), math.sin(a)
        return ((c, 0, s), (0, 1, 0), (-s, 0, c))

    def rz(a):
        c, s = math.cos(a), math.sin(a)
        return ((c, -s, 0), (s, c, 0), (0, 0, 1))

    def mul(m, n):
        return tuple(tuple(sum(m[i][k] * n[k][j] for k in range(3)) for j in range(3)) for i in range(3))

    return mul(ry(math.radians(yaw_deg)), mul(rx(math.radians(pitch_deg)), rz(math.radians(roll_deg))))


def apply(m, v):
    return (dot(m[0], v), dot(m[1], v), dot(m[2], v))


class Canvas:
    def __init__(self, width, height, background=(0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        self.color = [[background] * width for _ in range(height)]
        self.depth = [[math.inf] * width for _ in range(height)]


class Light:
    def __init__(self, direction, colour):
        self.direction = normalize(direction)   # towards the light, camera space
        self.colour = colour


def shade(normal, material, lights, ambient):
    n = normalize(normal)
    view = (0.0, 0.0, 1.0)
    dr, dg, db = material["diffuse"]
    sr, sg, sb = material["specular"]
    r = ambient * dr
    g = ambient * dg
    b = ambient * db
    for light in lights:
        lam = dot(n, light.direction)
        if lam <= 0.0:
            continue
        h = normalize((light.direction[0] + view[0], light.direction[1] + view[1],
                       light.direction[2] + view[2]))
        highlight = max(0.0, dot(n, h)) ** material.get("shininess", 40.0) * material.get("highlight_strength", 0.5)
        lr, lg, lb = light.colour
        r += lr * (dr * lam + sr * highlight)
        g += lg * (dg * lam + sg * highlight)
        b += lb * (db * lam + sb * highlight)
    r += material.get("glow", 0.0) * dr
    g += material.get("glow", 0.0) * dg
    b += material.get("glow", 0.0) * db
    return (r, g, b)


def draw_triangles(canvas, tris, focal, lights, ambient=0.18):
    """tris: (p0, p1, p2, n0, n1, n2, material) in camera space, camera at the
    origin looking down -z, y up. material: dict with diffuse, specular, alpha."""
    cx = canvas.width * 0.5
    cy = canvas.height * 0.5
    opaque = [t for t in tris if t[6].get("alpha", 1.0) >= 1.0]
    clear = [t for t in tris if t[6].get("alpha", 1.0) < 1.0]
    clear.sort(key=lambda t: t[0][2] + t[1][2] + t[2][2])   # farthest (most negative z) first
    for group, blend in ((opaque, False), (clear, True)):
        for p0, p1, p2, n0, n1, n2, material in group:
            if p0[2] > -0.01 or p1[2] > -0.01 or p2[2] > -0.01:
                continue
            s = []
            for p in (p0, p1, p2):
                w = -p[2]
                s.append((cx + focal * p[0] / w, cy - focal * p[1] / w, w))
            (x0, y0, w0), (x1, y1, w1), (x2, y2, w2) = s
            area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
            if area >= 0.0:   # counter-clockwise on screen faces the camera (y flipped)
                continue
            xmin = max(0, int(math.floor(min(x0, x1, x2))))
            xmax = min(canvas.width - 1, int(math.ceil(max(x0, x1, x2))))
            ymin = max(0, int(math.floor(min(y0, y1, y2))))
            ymax = min(canvas.height - 1, int(math.ceil(max(y0, y1, y2))))
            if xmin > xmax or ymin > ymax:
                continue
            inv = 1.0 / area
            alpha = material.get("alpha", 1.0)
            flat = None
            if n0 == n1 == n2:
                flat = shade(n0, material, lights, ambient)
            for py in range(ymin, ymax + 1):
                fy = py + 0.5
                row_c = canvas.color[py]
                row_d = canvas.depth[py]
                for px in range(xmin, xmax + 1):
                    fx = px + 0.5
                    b0 = ((x1 - fx) * (y2 - fy) - (x2 - fx) * (y1 - fy)) * inv
                    b1 = ((x2 - fx) * (y0 - fy) - (x0 - fx) * (y2 - fy)) * inv
                    b2 = 1.0 - b0 - b1
                    if b0 < 0.0 or b1 < 0.0 or b2 < 0.0:
                        continue
                    depth = b0 * w0 + b1 * w1 + b2 * w2
                    if depth >= row_d[px]:
                        continue
                    if flat is None:
                        n = (b0 * n0[0] + b1 * n1[0] + b2 * n2[0], b0 * n0[1] + b1 * n1[1] + b2 * n2[1],
                             b0 * n0[2] + b1 * n1[2] + b2 * n2[2])
                        c = shade(n, material, lights, ambient)
                    else:
                        c = flat
                    if blend:
                        old = row_c[px]
                        row_c[px] = (old[0] + (c[0] - old[0]) * alpha, old[1] + (c[1] - old[1]) * alpha,
                                     old[2] + (c[2] - old[2]) * alpha)
                    else:
                        row_c[px] = c
                        row_d[px] = depth


def downsample(image, factor):
    out = []
    height = len(image) // factor
    width = len(image[0]) // factor
    norm = 1.0 / (factor * factor)
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = 0.0
            for dy in range(factor):
                src = image[y * factor + dy]
                for dx in range(factor):
                    p = src[x * factor + dx]
                    r += p[0]
                    g += p[1]
                    b += p[2]
            row.append((r * norm, g * norm, b * norm))
        out.append(row)
    return out


def to_bytes(image):
    out = bytearray()
    for row in image:
        for r, g, b in row:
            out += bytes((max(0, min(255, int(r * 255.0 + 0.5))), max(0, min(255, int(g * 255.0 + 0.5))),
                          max(0, min(255, int(b * 255.0 + 0.5)))))
    return bytes(out)


def write_png(path, image):
    height = len(image)
    width = len(image[0])
    raw = to_bytes(image)
    rows = b"".join(b"\0" + raw[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def block(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    png = b"\x89PNG\r\n\x1a\n" + block(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += block(b"IDAT", zlib.compress(rows, 9)) + block(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_png_rgba(path, pixels):
    """pixels: rows of (r, g, b, a) bytes; straight (not premultiplied) alpha."""
    height = len(pixels)
    width = len(pixels[0])
    rows = b"".join(b"\0" + bytes(v for px in row for v in px) for row in pixels)

    def block(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    png = b"\x89PNG\r\n\x1a\n" + block(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += block(b"IDAT", zlib.compress(rows, 9)) + block(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_ppm(path, image):
    height = len(image)
    width = len(image[0])
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(to_bytes(image))
