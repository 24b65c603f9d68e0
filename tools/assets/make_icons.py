#!/usr/bin/env python3
"""Draws the program icon (ICON 128), the two hand cursors (CURSOR 184, 185)
and the desktop icons installed into the hicolor icon theme.

    make_icons.py SHIP.3ds OUTDIR [PREVIEWDIR]

All three use the classic 16-colour form: 4-bit pixels over the standard VGA
palette plus a 1-bit AND mask for transparency, stored as .ico/.cur
files. The icon is the starship seen from above (rendered by our rasteriser
and snapped to the palette), at 32x32 and 16x16. The cursors are a pointing
hand (hot spot 12, 1 at the finger tip) and the same hand with the finger
lowered two pixels (hot spot 12, 3), built from capsules with a black outline.

The desktop icons (OUTDIR/icons/theme/orbit-patrol-SIZE.png, RGBA) show the
same top view: at 16 and 32 pixels exactly the pixels of the program icon, at
48 pixels and up the ship shaded with its own materials and lights, its edge
anti-aliased through the alpha channel.
"""

import math
import os
import struct
import sys

import raster
import render_ship

# The standard 16-colour VGA palette (RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, WHITE = 0, 8, 7, 15


def nearest(rgb):
    return min(range(16), key=lambda i: sum((PALETTE[i][k] - rgb[k]) ** 2 for k in range(3)))


def bitmap_entry(pixels, size):
    """BITMAPINFOHEADER, palette, 4-bit XOR bitmap, 1-bit AND mask; rows
    bottom-up, each padded to 4 bytes. pixels: rows of palette index or None."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            value = 0 if index is None else index
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def icon_file(images, resource_type, hot_spots=None):
    """images: list of (size, pixels); resource_type 1 = icon, 2 = cursor."""
    entries = b""
    blobs = b""
    offset = 6 + 16 * len(images)
    for n, (size, pixels) in enumerate(images):
        blob = bitmap_entry(pixels, size)
        if resource_type == 1:
            field1, field2 = 1, 4                 # planes, bits per pixel
        else:
            field1, field2 = hot_spots[n]         # hot spot x, y
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, field1, field2, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, resource_type, len(images)) + entries + blobs


# --- Icon --------------------------------------------------------------------

ICON_COLOURS = {
    "HullLight": WHITE, "HullMid": SILVER, "HullDark": GREY, "Accent": 9, "PanelBlue": 4,
    "Canopy": 14, "Cockpit": BLACK, "Metal": GREY, "Burner": 11, "Gunmetal": GREY, "Intake": BLACK,
    "LightRed": 9, "LightGreen": 10,
}


def ship_icon(ship_path, size):
    """Top view, nose up, flat palette colours per material: at 16 and 32
    pixels shading only adds noise. Each pixel takes the colour most of its
    sub-samples see; pixels mostly off the ship stay transparent."""
    ss = 6
    ship_tris = render_ship.load_ship(ship_path, lambda name: {
        "diffuse": (ICON_COLOURS[name] / 16.0, 0.0, 0.0), "specular": (0, 0, 0)})
    canvas = raster.Canvas(size * ss, size * ss, (-1.0, -1.0, -1.0))
    tris = render_ship.place(ship_tris, raster.rotation(0, 90, 0), (0.0, -0.02, -4.55))
    raster.draw_triangles(canvas, tris, focal=size * ss * 2.3, lights=[], ambient=1.0)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            votes = {}
            for dy in range(ss):
                for dx in range(ss):
                    c = canvas.color[y * ss + dy][x * ss + dx]
                    if c[0] >= 0.0:
                        index = int(round(c[0] * 16.0))
                        votes[index] = votes.get(index, 0) + 1
            if sum(votes.values()) * 2 < ss * ss:
                row.append(None)
            else:
                row.append(max(sorted(votes), key=lambda i: votes[i]))
        pixels.append(row)
    # A dark outline keeps the silhouette readable on any desktop colour.
    outlined = [row[:] for row in pixels]
    for y in range(size):
        for x in range(size):
            if pixels[y][x] is None and any(
                    0 <= y + dy < size and 0 <= x + dx < size and pixels[y + dy][x + dx] is not None
                    for dy, dx in ((0, 1), (1, 0), (0, -1), (-1, 0))):
                outlined[y][x] = BLACK
    return outlined


THEME_SIZES = (16, 32, 48, 64, 128, 256)


def palette_rgba(pixels):
    return [[(0, 0, 0, 0) if i is None else PALETTE[i] + (255,) for i in row] for row in pixels]


def shaded_icon(ship_path, size):
    """Top view as in ship_icon, lit like the look-at renders. Each pixel is
    the mean colour of the sub-samples that hit the ship; its alpha is the
    share that did. A one-pixel dark rim under the edge keeps the light hull
    readable on a white panel."""
    ss = 4
    ship_tris = render_ship.load_ship(ship_path)
    canvas = raster.Canvas(size * ss, size * ss, (-1.0, -1.0, -1.0))
    tris = render_ship.place(ship_tris, raster.rotation(0, 90, 0), (0.0, -0.02, -4.55))
    raster.draw_triangles(canvas, tris, focal=size * ss * 2.3, lights=render_ship.LIGHTS, ambient=0.35)
    cover = [[0.0] * size for _ in range(size)]
    colour = [[(0.0, 0.0, 0.0)] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            hits = [canvas.color[y * ss + dy][x * ss + dx] for dy in range(ss) for dx in range(ss)]
            hits = [c for c in hits if c[0] >= 0.0]
            if hits:
                cover[y][x] = len(hits) / (ss * ss)
                colour[y][x] = tuple(sum(c[k] for c in hits) / len(hits) for k in range(3))
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            # Coverage of the neighbourhood, for the rim behind the edge.
            near = max(cover[y + dy][x + dx] for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                       if 0 <= y + dy < size and 0 <= x + dx < size)
            a = cover[y][x]
            rim = 0.6 * near * (1.0 - a)
            alpha = a + rim
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            rgb = tuple(max(0, min(255, int(colour[y][x][k] * a / alpha * 255.0 + 0.5))) for k in range(3))
            row.append(rgb + (max(0, min(255, int(alpha * 255.0 + 0.5))),))
        out.append(row)
    return out


def theme_icons(ship_path, palette_icons):
    icons = {}
    for size in THEME_SIZES:
        icons[size] = palette_rgba(palette_icons[size]) if size in palette_icons else shaded_icon(ship_path, size)
    return icons


# --- Cursors -----------------------------------------------------------------

def capsule(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) <= r


def hand(finger_top):
    """32x32 hand; the index finger's fill starts at row finger_top + 1."""
    size = 32
    fingers = [
        (12, finger_top + 2.6, 12, 15, 1.7),   # index, pointing up
        (15.5, 12.5, 15.5, 15, 1.7),          # middle, folded
        (18.5, 13.5, 18.5, 16, 1.7),          # ring, folded
        (21.3, 15, 21.3, 17, 1.5),            # little, folded
        (7.5, 15.5, 10, 19, 1.7),             # thumb
    ]

    def in_palm(x, y):
        return 9.5 <= x <= 22.5 and 15 <= y <= 24 and not (x > 21.5 and y > 23) or capsule(x, y, 11, 23, 21, 23, 2.0)

    def in_cuff(x, y):
        return 11 <= x <= 21 and 25 <= y <= 28

    fill = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if in_cuff(x, y):
                fill[y][x] = SILVER
            elif in_palm(x, y) or any(capsule(x, y, *f) for f in fingers):
                fill[y][x] = WHITE
    out = [row[:] for row in fill]
    for y in range(size):
        for x in range(size):
            if fill[y][x] is not None:
                continue
            if any(0 <= y + dy < size and 0 <= x + dx < size and fill[y + dy][x + dx] is not None
                   for dy in (-1, 0, 1) for dx in (-1, 0, 1)):
                out[y][x] = BLACK
    # Creases between the folded fingers, the thumb and the cuff line.
    for fx, top in ((14, 13), (17, 14), (20, 15)):
        for y in range(top, 17):
            if out[y][fx] is not None:
                out[y][fx] = BLACK
    for y in range(18, 21):
        out[y][11] = BLACK
    for x in range(11, 22):
        out[24][x] = BLACK
    # Shade the right edge of every white run for a little depth.
    for y in range(size):
        for x in range(size - 1):
            if out[y][x] == WHITE and out[y][x + 1] == BLACK:
                out[y][x] = SILVER
    return out


def preview(pixels, path, zoom=8):
    image = []
    for row in pixels:
        line = []
        for index in row:
            rgb = (0.0, 0.5, 0.5) if index is None else tuple(c / 255 for c in PALETTE[index])
            line += [rgb] * zoom
        image += [line] * zoom
    raster.write_png(path, image)


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    icons = [(32, ship_icon(argv[1], 32)), (16, ship_icon(argv[1], 16))]
    pointing = hand(0)
    pressed = hand(2)
    files = {
        "orbitpatrol.ico": icon_file(icons, 1),
        "hand-pressed.cur": icon_file([(32, pressed)], 2, [(12, 3)]),
        "hand-pointing.cur": icon_file([(32, pointing)], 2, [(12, 1)]),
    }
    for name, data in files.items():
        sub = "icons" if name.endswith(".ico") else "cursors"
        os.makedirs(os.path.join(argv[2], sub), exist_ok=True)
        with open(os.path.join(argv[2], sub, name), "wb") as f:
            f.write(data)
    theme_dir = os.path.join(argv[2], "icons", "theme")
    os.makedirs(theme_dir, exist_ok=True)
    for size, pixels in theme_icons(argv[1], dict(icons)).items():
        raster.write_png_rgba(os.path.join(theme_dir, "orbit-patrol-%d.png" % size), pixels)
    if len(argv) > 3:
        preview(icons[0][1], os.path.join(argv[3], "icon-32.png"))
        preview(icons[1][1], os.path.join(argv[3], "icon-16.png"), 16)
        preview(pointing, os.path.join(argv[3], "cursor-pointing.png"))
        preview(pressed, os.path.join(argv[3], "cursor-pressed.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
