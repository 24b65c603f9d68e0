#!/usr/bin/env python3
"""Paints the four built-in JPEG pictures and encodes them.

    make_textures.py SHIP.3ds OUTDIR [PREVIEWDIR]

    planet.jpg  (Jpg 148) 512x512 equirectangular planet, 4:2:0, one table
                per DQT/DHT segment
    bolt.jpg    (Jpg 150) 128x128 bolt glow, 4:4:4, restart every 16 MCUs,
                tables merged into one DQT and one DHT, APP13 + APP14 first
    about.jpg   (Jpg 135) 320x240 ship and planet in space, 4:2:0, restart
                every 20 MCUs, merged tables, APP13 + APP14
    cube.jpg    (Jpg 179) 64x64 emblem for the spinning cube, 4:2:0, one
                table per segment

Pictures are painted here (stdlib only), written as PPM, encoded by cjpeg
with every option that shapes the stream given explicitly, then re-muxed by
tools/jpeg_remux.py into the segment layout each resource needs.

The planet is sampled from 3-D value noise on the unit sphere, so it wraps
in longitude and has no seam or pinch at the poles. Its top row is the +z
pole of gluSphere's mapping (t = 1), as the image is stored bottom-up.
"""

import math
import os
import subprocess
import sys
import tempfile

import raster
import render_ship

HERE = os.path.dirname(os.path.abspath(__file__))
REMUX = os.path.join(HERE, "..", "jpeg_remux.py")


# --- Noise -----------------------------------------------------------------

class ValueNoise:
    """Smooth 3-D value noise over a 256-entry lattice from our own LCG."""

    def __init__(self, seed):
        state = seed
        perm = list(range(256))
        for i in range(255, 0, -1):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            j = state % (i + 1)
            perm[i], perm[j] = perm[j], perm[i]
        self.perm = perm + perm
        values = []
        for _ in range(256):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            values.append(state / 0x7FFFFFFF * 2.0 - 1.0)
        self.values = values

    def at(self, x, y, z):
        xi, yi, zi = math.floor(x), math.floor(y), math.floor(z)
        fx, fy, fz = x - xi, y - yi, z - zi
        u = fx * fx * (3 - 2 * fx)
        v = fy * fy * (3 - 2 * fy)
        w = fz * fz * (3 - 2 * fz)
        p, val = self.perm, self.values
        xi &= 255
        yi &= 255
        zi &= 255
        a, b = p[xi] + yi, p[xi + 1] + yi
        aa, ab, ba, bb = p[a] + zi, p[a + 1] + zi, p[b] + zi, p[b + 1] + zi
        x1 = val[p[aa]] + u * (val[p[ba]] - val[p[aa]])
        x2 = val[p[ab]] + u * (val[p[bb]] - val[p[ab]])
        x3 = val[p[aa + 1]] + u * (val[p[ba + 1]] - val[p[aa + 1]])
        x4 = val[p[ab + 1]] + u * (val[p[bb + 1]] - val[p[ab + 1]])
        y1 = x1 + v * (x2 - x1)
        y2 = x3 + v * (x4 - x3)
        return y1 + w * (y2 - y1)

    def fractal(self, x, y, z, octaves, lacunarity=2.03, gain=0.5):
        total, amp, freq = 0.0, 1.0, 1.0
        for _ in range(octaves):
            total += amp * self.at(x * freq + 17.3, y * freq + 5.1, z * freq + 9.7)
            amp *= gain
            freq *= lacunarity
        return total


def lerp(a, b, t):
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


# --- Pictures ----------------------------------------------------------------

def planet(size=512):
    terrain = ValueNoise(148)
    clouds = ValueNoise(1480)
    image = []
    for row in range(size):
        lat = math.pi * (0.5 - (row + 0.5) / size)        # +pi/2 at the top row
        cl, sl = math.cos(lat), math.sin(lat)
        line = []
        for col in range(size):
            lon = 2 * math.pi * (col + 0.5) / size
            x, y, z = cl * math.cos(lon), cl * math.sin(lon), sl
            h = terrain.fractal(2.2 * x, 2.2 * y, 2.2 * z, 6) + 0.08
            if h < 0.0:
                c = lerp((0.05, 0.16, 0.42), (0.08, 0.32, 0.62), max(0.0, 1.0 + h * 2.5))
            elif h < 0.04:
                c = (0.76, 0.72, 0.52)
            else:
                m = min(1.0, (h - 0.04) * 2.2)
                c = lerp((0.22, 0.46, 0.18), (0.5, 0.42, 0.3), m)
                if h > 0.6:
                    c = lerp(c, (0.9, 0.9, 0.92), min(1.0, (h - 0.6) * 6))
            ice = abs(sl) + 0.08 * terrain.at(6 * x, 6 * y, 6 * z)
            if ice > 0.86:
                c = lerp(c, (0.93, 0.95, 0.98), min(1.0, (ice - 0.86) * 12))
            # Clouds stretched along the latitude lines, like banded weather.
            k = clouds.fractal(2.0 * x, 2.0 * y, 7.0 * z, 6, gain=0.55)
            cover = max(0.0, min(1.0, (k - 0.22) * 2.5))
            c = lerp(c, (1.0, 1.0, 1.0), cover * 0.85)
            line.append(c)
        image.append(line)
    return image


def bolt(size=128):
    """Additive glow: a white-hot core along the middle column, red-orange
    halo, black at every edge so the long thin quads show no border."""
    image = []
    for row in range(size):
        t = (row + 0.5) / size
        along = math.sin(math.pi * t) ** 0.7
        line = []
        for col in range(size):
            s = (col + 0.5) / size - 0.5
            core = math.exp(-(s / 0.06) ** 2) * along
            halo = math.exp(-(s / 0.17) ** 2) * along
            edge = min(1.0, (0.5 - abs(s)) * 12, (0.5 - abs(t - 0.5)) * 12)
            r = (0.95 * halo + 0.9 * core) * edge
            g = (0.3 * halo + 0.85 * core) * edge
            b = (0.12 * halo + 0.8 * core) * edge
            line.append((min(r, 1.0), min(g, 1.0), min(b, 1.0)))
        image.append(line)
    return image


def cube_emblem(size=64):
    """An orbit ring around a small planet with a chevron crossing it."""
    ss = 4
    big = size * ss
    # The ship: an arrowhead on the ring's upper right, flying up and right.
    d = (0.6, -0.8)
    n = (0.8, 0.6)
    centre = (0.5, -0.42)
    chevron = [(centre[0] + u * d[0] + v * n[0], centre[1] + u * d[1] + v * n[1])
               for u, v in ((0.24, 0.0), (-0.15, 0.17), (-0.06, 0.0), (-0.15, -0.17))]
    image = []
    for row in range(big):
        y = (row + 0.5) / big * 2 - 1
        line = []
        for col in range(big):
            x = (col + 0.5) / big * 2 - 1
            c = lerp((0.06, 0.1, 0.3), (0.02, 0.03, 0.1), min(1.0, math.hypot(x, y) / 1.2))
            d = math.hypot(x, y)
            if d < 0.38:
                light = max(0.0, 0.4 - 0.6 * (x + y) / 0.38 * 0.5)
                c = lerp((0.1, 0.4, 0.75), (0.6, 0.85, 1.0), min(1.0, light))
            ex = (x * 0.92 - y * 0.39) / 0.86
            ey = (x * 0.39 + y * 0.92) / 0.36
            ring = abs(math.hypot(ex, ey) - 1.0)
            in_front = (x * 0.39 + y * 0.92) > 0
            if ring < 0.09 and (in_front or d >= 0.38):
                c = (0.98, 0.55, 0.15)
            if inside(chevron, x, y):
                c = (1.0, 1.0, 1.0)
            if 0.92 < max(abs(x), abs(y)):
                c = (0.85, 0.88, 0.95)     # a light frame marks the cube's edges
            line.append(c)
        image.append(line)
    return raster.downsample(image, ss)


def inside(polygon, x, y):
    """Even-odd rule point-in-polygon test."""
    result = False
    for i in range(len(polygon)):
        (x0, y0), (x1, y1) = polygon[i], polygon[i - 1]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            result = not result
    return result


def sphere_pixel(planet_tex, dx, dy, radius, light):
    """Shade one point of a textured sphere seen face-on; None off it."""
    r2 = dx * dx + dy * dy
    if r2 >= radius * radius:
        return None
    nz = math.sqrt(radius * radius - r2) / radius
    nx, ny = dx / radius, dy / radius
    # Tilt the globe so its pole leans towards the viewer a little.
    tilt = 0.35
    py = ny * math.cos(tilt) + nz * math.sin(tilt)
    pz = -ny * math.sin(tilt) + nz * math.cos(tilt)
    lat = math.asin(max(-1.0, min(1.0, py)))
    lon = math.atan2(nx, pz) + 2.0
    size = len(planet_tex)
    row = min(size - 1, int((0.5 - lat / math.pi) * size))
    col = int((lon / (2 * math.pi)) % 1.0 * size) % size
    lam = max(0.0, nx * light[0] + ny * light[1] + nz * light[2])
    c = planet_tex[row][col]
    rim = (1 - nz) ** 3
    return tuple(c[k] * (0.04 + 1.0 * lam) + (0.15, 0.3, 0.6)[k] * rim * lam for k in range(3))


def about_picture(planet_tex, ship_path, width=320, height=240):
    ss = 2
    w, h = width * ss, height * ss
    canvas = raster.Canvas(w, h, (0.0, 0.0, 0.0))
    stars = ValueNoise(135)
    light = raster.normalize((-0.6, 0.45, 0.65))
    pcx, pcy, pr = 0.26 * w, 0.3 * h, 0.42 * h
    for y in range(h):
        for x in range(w):
            c = sphere_pixel(planet_tex, x - pcx, pcy - y, pr, light)
            if c is None:
                n = stars.at(x * 0.9, y * 0.9, 3.0)
                glow = math.exp(-max(0.0, math.hypot(x - pcx, y - pcy) - pr) / (0.05 * h)) * 0.25
                c = (0.01 + 0.15 * glow, 0.015 + 0.3 * glow, 0.04 + 0.6 * glow)
                if n > 0.93:
                    c = (0.9, 0.9, 1.0)
            canvas.color[y][x] = c
    ship = render_ship.load_ship(ship_path) + render_ship.flame_markers()
    tris = render_ship.place(ship, raster.rotation(215, -28, -18), (0.55, 0.55, -5.2))
    raster.draw_triangles(canvas, tris, focal=w * 1.1, lights=render_ship.LIGHTS)
    image = raster.downsample(canvas.color, ss)
    # The labels (lower left) and the cube button (lower right) together
    # span the dialog's bottom 36 %: fade to near black from 50 % down, and
    # a little further at the sides, where text and button edges sit.
    for y in range(height):
        v = y / height
        for x in range(width):
            u = x / width
            fade = min(1.0, max(0.0, (v - 0.5) / 0.12))
            side = 1.0 if (u < 0.72 or u > 0.74) else 0.85
            shade = 1.0 - 0.92 * fade * side
            c = image[y][x]
            image[y][x] = (c[0] * shade, c[1] * shade, c[2] * shade)
    return image


# --- Encoding ------------------------------------------------------------------

JPEGS = {
    # name: (cjpeg options, re-mux options)
    "planet.jpg": (["-quality", "90", "-sample", "2x2,1x1,1x1", "-restart", "0"], ["--tables", "split"]),
    "bolt.jpg": (["-quality", "92", "-sample", "1x1,1x1,1x1", "-restart", "16B"],
                 ["--tables", "merge", "--app13", "--app14"]),
    "about.jpg": (["-quality", "90", "-sample", "2x2,1x1,1x1", "-restart", "20B"],
                  ["--tables", "merge", "--app13", "--app14"]),
    "cube.jpg": (["-quality", "92", "-sample", "2x2,1x1,1x1", "-restart", "0"], ["--tables", "split"]),
}


def encode(image, name, out_dir, work_dir):
    ppm = os.path.join(work_dir, name + ".ppm")
    raw = os.path.join(work_dir, name)
    raster.write_ppm(ppm, image)
    cjpeg_options, remux_options = JPEGS[name]
    subprocess.run(["cjpeg", "-baseline", "-dct", "int"] + cjpeg_options + ["-outfile", raw, ppm], check=True)
    subprocess.run([sys.executable, REMUX, raw, os.path.join(out_dir, name)] + remux_options, check=True)


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = argv[2]
    os.makedirs(out_dir, exist_ok=True)
    planet_tex = planet()
    pictures = {"planet.jpg": planet_tex, "bolt.jpg": bolt(), "cube.jpg": cube_emblem(),
                "about.jpg": about_picture(planet_tex, argv[1])}
    with tempfile.TemporaryDirectory() as work:
        for name, image in pictures.items():
            encode(image, name, out_dir, work)
            if len(argv) > 3:
                raster.write_png(os.path.join(argv[3], name.replace(".jpg", ".png")), image)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
