#!/usr/bin/env python3
"""Writes Sopora's icon files into src/res/icons/.

    python3 tools/make_icons.py           regenerate every .ico
    python3 tools/make_icons.py --check   parse the written files back and verify them

Standard library only. The output is deterministic, so regenerating on any machine
gives byte-identical files and a stale or hand-edited icon shows up in `git diff`.

The 32x32 pictures are drawn from shapes (signed distance functions, anti-aliased by
supersampling). The 16x16 pictures are pixel art: at that size hand-placed pixels stay
crisp where a scaled-down drawing turns to mush. The scale digits of the load graph
are 4x7 8-bit palette icons: white figures in a transparent (AND mask) field.
"""

import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "src", "res", "icons")

# ---------------------------------------------------------------------------
# Raster image with straight (not premultiplied) alpha, as .ico files store it.
# Colours are 0..255 floats, alpha is 0..1; quantised only when encoded.
# ---------------------------------------------------------------------------


class Image:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, x, y, rgb, a):
        """Composites one colour over pixel (x, y) with coverage/opacity a."""
        if a <= 0.0:
            return
        p = self.px[y * self.w + x]
        da = p[3]
        out = a + da * (1.0 - a)
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * da * (1.0 - a)) / out
        p[3] = out

    def composite(self, other):
        """Lays other (same size) over this image."""
        for y in range(self.h):
            for x in range(self.w):
                r, g, b, a = other.px[y * other.w + x]
                self.blend(x, y, (r, g, b), a)

    def rgba8(self, x, y):
        r, g, b, a = self.px[y * self.w + x]
        a8 = int(a * 255.0 + 0.5)
        if a8 == 0:
            return (0, 0, 0, 0)  # keep hidden colour bits clean
        return (int(r + 0.5), int(g + 0.5), int(b + 0.5), a8)


def pixel_art(rows, palette):
    """Builds an image from rows of characters; palette maps char -> (r,g,b[,a])."""
    img = Image(len(rows[0]), len(rows))
    for y, row in enumerate(rows):
        if len(row) != img.w:
            raise ValueError("ragged pixel-art row %d: %r" % (y, row))
        for x, ch in enumerate(row):
            if ch == ".":
                continue
            c = palette[ch]
            img.blend(x, y, c[:3], c[3] / 255.0 if len(c) > 3 else 1.0)
    return img


# ---------------------------------------------------------------------------
# Shapes as signed distance functions: f(x, y) < 0 inside, > 0 outside, in pixels.
# Pixel (i, j) covers [i, i+1) x [j, j+1), so edges on whole numbers come out crisp.
# No helper or combinator overstates the distance to the edge, which lets fill()
# skip supersampling for pixels well inside or well outside a shape.
# ---------------------------------------------------------------------------


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r_outer, r_inner):
    mid, half = (r_outer + r_inner) / 2.0, (r_outer - r_inner) / 2.0
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - mid) - half


def box(x0, y0, x1, y1):
    def f(x, y):
        qx = max(x0 - x, x - x1)
        qy = max(y0 - y, y - y1)
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0)
    return f


def segment(x0, y0, x1, y1, width):
    """A stroke with round caps (a capsule)."""
    ex, ey = x1 - x0, y1 - y0
    ee = ex * ex + ey * ey

    def f(x, y):
        wx, wy = x - x0, y - y0
        t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
        return math.hypot(wx - ex * t, wy - ey * t) - width / 2.0
    return f


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def f(x, y):
        d2 = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            dx, dy = wx - ex * t, wy - ey * t
            d2 = min(d2, dx * dx + dy * dy)
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        d = math.sqrt(d2)
        return -d if inside else d
    return f


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def grow(shape, d):
    """The shape widened by d pixels on every side (round corners)."""
    return lambda x, y: shape(x, y) - d


SUPERSAMPLE = 8


def fill(img, shape, colour):
    """Paints shape with anti-aliased edges; colour is (r,g,b) or a function of (x,y)."""
    n = SUPERSAMPLE
    offsets = [(k + 0.5) / n for k in range(n)]
    for y in range(img.h):
        for x in range(img.w):
            d = shape(x + 0.5, y + 0.5)
            if d >= 0.75:  # farther than half a pixel diagonal: untouched
                continue
            if d <= -0.75:
                cover = 1.0
            else:
                hits = sum(1 for oy in offsets for ox in offsets
                           if shape(x + ox, y + oy) <= 0.0)
                cover = hits / float(n * n)
            if cover > 0.0:
                rgb = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                img.blend(x, y, rgb, cover)


def outlined(img, shape, colour, line, width=1.0):
    """Fills shape over a band of line colour, the usual icon outline."""
    fill(img, grow(shape, width), line)
    fill(img, shape, colour)


def vgradient(top, bottom, y0, y1):
    """Colour fading from top (at y0) to bottom (at y1)."""
    def f(x, y):
        t = min(max((y - y0) / float(y1 - y0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return f


def radial(inner, outer, cx, cy, r):
    def f(x, y):
        t = min(math.hypot(x - cx, y - cy) / r, 1.0)
        return tuple(a + (b - a) * t for a, b in zip(inner, outer))
    return f


# ---------------------------------------------------------------------------
# Colours. Every picture has a dark outline (black, or a dark shade of its fill):
# on a light taskbar the outline carries the silhouette, on a dark one the fill does.
# ---------------------------------------------------------------------------

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

CHIP_BODY = (150, 150, 150)
CHIP_LIGHT = (196, 196, 196)
CHIP_SHADE = (108, 108, 108)
CHIP_MARK = (72, 72, 72)
CHIP_PIN = (222, 222, 222)
CHIP_LEG = (156, 156, 156)

RED = (228, 32, 32)
RED_LIGHT = (246, 92, 80)
RED_DARK = (128, 8, 8)

BLUE = (40, 120, 232)
BLUE_LIGHT = (110, 170, 250)
BLUE_DARK = (12, 52, 140)

GREY = (160, 160, 160)
GREY_LIGHT = (200, 200, 200)
GREY_DARK = (64, 64, 64)

YELLOW = (255, 208, 0)
YELLOW_LIGHT = (255, 232, 96)

INFO_BLUE = (24, 92, 210)
BUBBLE_EDGE = (60, 72, 96)

# ---------------------------------------------------------------------------
# 16x16 pixel art. '.' is transparent everywhere.
# ---------------------------------------------------------------------------

# Legs are mid grey so they show on light and dark taskbars alike; the black tip
# and the body outline keep them apart from the background and the body.
CHIP_16 = [
    "....kk.kk.kk....",
    "....ll.ll.ll....",
    "....ll.ll.ll....",
    "...kkkkkkkkkk...",
    "kllkhhhhhhhhkllk",
    "kllkhogggggdkllk",
    "...khggggggdk...",
    "kllkhggggggdkllk",
    "kllkhggggggdkllk",
    "...khggggggdk...",
    "kllkhggggggdkllk",
    "kllkhdddddddkllk",
    "...kkkkkkkkkk...",
    "....ll.ll.ll....",
    "....ll.ll.ll....",
    "....kk.kk.kk....",
]
CHIP_16_PALETTE = {"k": BLACK, "l": CHIP_LEG, "g": CHIP_BODY, "h": CHIP_LIGHT,
                   "d": CHIP_SHADE, "o": CHIP_MARK}

# The prohibition sign laid over the chip. ',' is a half-covered edge pixel; the
# bar runs from top left to bottom right, as on a road sign.
PROHIBITION_16 = [
    ".....,rrrr,.....",
    "...,rrrrrrrr,...",
    "..rrrr,..,rrr,..",
    ".,rrr......,rr,.",
    ".rrrrr......,rr.",
    ",rr.rrr......rr,",
    "rr,..rrr.....,rr",
    "rr....rrr.....rr",
    "rr.....rrr....rr",
    "rr,.....rrr..,rr",
    ",rr......rrr.rr,",
    ".rr,......rrrrr.",
    ".,rr,......rrr,.",
    "..,rrr,..,rrrr..",
    "...,rrrrrrrr,...",
    ".....,rrrr,.....",
]
PROHIBITION_16_PALETTE = {"r": RED, ",": RED + (128,)}

INFO_16 = [
    "..kkkkkkkkkkkk..",
    ".kwwwwwwwwwwwwk.",
    "kwwwwwwbbwwwwwwk",
    "kwwwwwwbbwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwwwwwbbbwwwwwwk",
    "kwwwwwwbbwwwwwwk",
    "kwwwwwwbbwwwwwwk",
    "kwwwwwwbbwwwwwwk",
    "kwwwwwbbbbwwwwwk",
    ".kwwwwwwwwwwwwk.",
    "..kwwwkkkkkkkk..",
    "..kwwk..........",
    "..kwk...........",
    "..kk............",
    "................",
]
INFO_16_PALETTE = {"k": BUBBLE_EDGE, "w": WHITE, "b": INFO_BLUE}

WARNING_16 = [
    ".......kk.......",
    "......kyyk......",
    "......kyyk......",
    ".....kyyyyk.....",
    ".....kyyyyk.....",
    "....kyykkyyk....",
    "....kyykkyyk....",
    "...kyyykkyyyk...",
    "...kyyykkyyyk...",
    "..kyyyykkyyyyk..",
    "..kyyyyyyyyyyk..",
    ".kyyyyykkyyyyyk.",
    ".kyyyyykkyyyyyk.",
    "kyyyyyyyyyyyyyyk",
    "kkkkkkkkkkkkkkkk",
    "................",
]
WARNING_16_PALETTE = {"k": BLACK, "y": YELLOW}

ERROR_16 = [
    ".....,oooo,.....",
    "...,oorrrroo,...",
    "..,orrrrrrrro,..",
    ".,orrrrrrrrrro,.",
    ".orrwwrrrrwwrro.",
    ",orrwwwrrwwwrro,",
    "orrrrwwwwwwrrrro",
    "orrrrrwwwwrrrrro",
    "orrrrrwwwwrrrrro",
    "orrrrwwwwwwrrrro",
    ",orrwwwrrwwwrro,",
    ".orrwwrrrrwwrro.",
    ".,orrrrrrrrrro,.",
    "..,orrrrrrrro,..",
    "...,oorrrroo,...",
    ".....,oooo,.....",
]
ERROR_16_PALETTE = {"o": RED_DARK, ",": RED_DARK + (120,), "r": RED, "w": WHITE}

# Shared by the three straight arrows; 'l' is the lit left edge.
ARROW_DOWN_16 = [
    "................",
    ".....kkkkkk.....",
    ".....klfffk.....",
    ".....klfffk.....",
    ".....klfffk.....",
    ".....klfffk.....",
    ".....klfffk.....",
    ".....klfffk.....",
    ".kkkkklfffkkkkk.",
    ".klfffffffffffk.",
    "..klfffffffffk..",
    "...klfffffffk...",
    "....klfffffk....",
    ".....klfffk.....",
    "......klfk......",
    ".......kk.......",
]

# Light falls from the top left, as on the straight arrows.
ARROW_TURN_UP_16 = [
    "................",
    "..........k.....",
    ".........klk....",
    "........klffk...",
    ".......klffffk..",
    "......klffffffk.",
    ".....klffffffffk",
    ".....kkkklffkkkk",
    "........klffk...",
    "........klffk...",
    "kkkkkkkklfffk...",
    "klllllllffffk...",
    "kffffffffffk....",
    "kfffffffffk.....",
    "kkkkkkkkkk......",
    "................",
]


def arrow_palette(fill_rgb, light_rgb, line_rgb):
    return {"k": line_rgb, "f": fill_rgb, "l": light_rgb}


# ---------------------------------------------------------------------------
# 32x32 drawings
# ---------------------------------------------------------------------------


def side_box(side, u0, v0, u1, v1, size=32):
    """A box given along a side of the picture: u runs along the side, v inwards
    from the edge. Side 0 is the top, then right, bottom, left."""
    if side == 0:
        return box(u0, v0, u1, v1)
    if side == 1:
        return box(size - v1, u0, size - v0, u1)
    if side == 2:
        return box(u0, size - v1, u1, size - v0)
    return box(v0, u0, v1, u1)


def chip_32():
    img = Image(32, 32)
    # Four legs a side: 2 px of metal in a black outline, 2 px apart, the outer
    # ones flush with the body's corners.
    for side in range(4):
        for i in range(4):
            u = 5 + 6 * i
            fill(img, side_box(side, u, 1, u + 4, 6), BLACK)
            fill(img, side_box(side, u + 1, 2, u + 3, 6), CHIP_PIN)
    fill(img, box(5, 5, 27, 27), BLACK)
    fill(img, box(6, 6, 26, 26), vgradient(CHIP_LIGHT, CHIP_BODY, 6, 18))
    fill(img, box(6, 6, 26, 7), CHIP_LIGHT)
    fill(img, box(6, 6, 7, 26), CHIP_LIGHT)
    fill(img, box(6, 25, 26, 26), CHIP_SHADE)
    fill(img, box(25, 6, 26, 26), CHIP_SHADE)
    fill(img, circle(10.5, 10.5, 1.8), CHIP_MARK)  # pin-1 dimple
    return img


def prohibition_32(img):
    cx = cy = 16.0
    r_out, width = 14.5, 3.5
    r_in = r_out - width
    bar = intersect(circle(cx, cy, r_in + 0.5),
                    segment(cx - r_out, cy - r_out, cx + r_out, cy + r_out, width))
    outlined(img, union(ring(cx, cy, r_out, r_in), bar), RED, RED_DARK)


def chip_paused_32():
    img = chip_32()
    prohibition_32(img)
    return img


def info_32():
    img = Image(32, 32)
    radius = 6.0
    body = grow(box(2 + radius, 3 + radius, 30 - radius, 23 - radius), radius)
    tail = polygon([(7.0, 20.0), (16.0, 20.0), (5.0, 29.5)])
    outlined(img, union(body, tail), vgradient(WHITE, (226, 232, 242), 3, 29), BUBBLE_EDGE)
    fill(img, circle(16.0, 7.5, 2.3), INFO_BLUE)
    fill(img, grow(box(14.8, 11.8, 17.2, 19.2), 0.8), INFO_BLUE)
    return img


def warning_32():
    img = Image(32, 32)
    triangle = grow(polygon([(16.0, 4.0), (29.0, 26.8), (3.0, 26.8)]), 1.2)
    outlined(img, triangle, vgradient(YELLOW_LIGHT, YELLOW, 4, 28), BLACK)
    fill(img, grow(polygon([(14.5, 10.0), (17.5, 10.0), (16.8, 19.5), (15.2, 19.5)]), 0.4),
         BLACK)
    fill(img, circle(16.0, 23.2, 1.9), BLACK)
    return img


def error_32():
    img = Image(32, 32)
    outlined(img, circle(16.0, 16.0, 14.5), radial(RED_LIGHT, RED, 12.0, 10.0, 18.0), RED_DARK)
    cross = union(segment(10.5, 10.5, 21.5, 21.5, 3.6), segment(21.5, 10.5, 10.5, 21.5, 3.6))
    fill(img, cross, WHITE)
    return img


def arrow_down_32(fill_rgb, light_rgb, line_rgb):
    img = Image(32, 32)
    shape = union(box(11.0, 2.0, 21.0, 16.0), polygon([(2.0, 15.0), (30.0, 15.0), (16.0, 29.0)]))
    outlined(img, shape, vgradient(light_rgb, fill_rgb, 2, 22), line_rgb)
    return img


def arrow_turn_up_32(fill_rgb, light_rgb, line_rgb):
    """A stroke coming in from the left that bends up into an arrowhead."""
    img = Image(32, 32)
    cx, cy, r_out, r_in = 13.0, 17.0, 11.0, 5.0
    stroke = union(
        box(2.0, cy + r_in, cx + 0.5, cy + r_out),                      # horizontal run
        intersect(ring(cx, cy, r_out, r_in), box(cx, cy, 32.0, 32.0)),  # the bend
        box(cx + r_in, 13.5, cx + r_out, cy + 0.5),                     # vertical run
        polygon([(11.5, 14.0), (30.5, 14.0), (21.0, 4.5)]),             # head
    )
    outlined(img, stroke, vgradient(light_rgb, fill_rgb, 4, 28), line_rgb)
    return img


# ---------------------------------------------------------------------------
# The pictures: (file name, 16x16 image, 32x32 image)
# ---------------------------------------------------------------------------


def chip_16():
    return pixel_art(CHIP_16, CHIP_16_PALETTE)


def chip_paused_16():
    img = chip_16()
    img.composite(pixel_art(PROHIBITION_16, PROHIBITION_16_PALETTE))
    return img


def pictures():
    blue = (BLUE, BLUE_LIGHT, BLUE_DARK)
    red = (RED, RED_LIGHT, RED_DARK)
    grey = (GREY, GREY_LIGHT, GREY_DARK)
    arrow16 = lambda colours: pixel_art(ARROW_DOWN_16, arrow_palette(*colours))
    return [
        ("128_chip.ico", chip_16(), chip_32()),
        ("136_chip_paused.ico", chip_paused_16(), chip_paused_32()),
        ("163_blank.ico", Image(16, 16), Image(32, 32)),
        ("161_info.ico", pixel_art(INFO_16, INFO_16_PALETTE), info_32()),
        ("156_warning.ico", pixel_art(WARNING_16, WARNING_16_PALETTE), warning_32()),
        ("155_error.ico", pixel_art(ERROR_16, ERROR_16_PALETTE), error_32()),
        ("158_arrow_down_blue.ico", arrow16(blue), arrow_down_32(*blue)),
        ("159_arrow_down_blue.ico", arrow16(blue), arrow_down_32(*blue)),
        ("157_arrow_down_red.ico", arrow16(red), arrow_down_32(*red)),
        ("160_arrow_turn_up_red.ico", pixel_art(ARROW_TURN_UP_16, arrow_palette(*red)),
         arrow_turn_up_32(*red)),
        ("162_arrow_down_grey.ico", arrow16(grey), arrow_down_32(*grey)),
    ]


# Scale figures of the load graph: digit -> (resource id, rows top to bottom, each a
# 4-bit pattern with the most significant bit leftmost).
DIGITS = {
    0: (145, [0x6, 0x9, 0x9, 0x9, 0x9, 0x9, 0x6]),
    1: (146, [0x2, 0x6, 0x2, 0x2, 0x2, 0x2, 0x2]),
    2: (147, [0x6, 0x9, 0x1, 0x2, 0x4, 0x8, 0xF]),
    3: (148, [0x6, 0x9, 0x1, 0x6, 0x1, 0x9, 0x6]),
    4: (149, [0x2, 0x6, 0x6, 0xA, 0xA, 0xF, 0x2]),
    5: (150, [0xF, 0x8, 0xE, 0x1, 0x1, 0x9, 0x6]),
    6: (151, [0x6, 0x9, 0x8, 0xE, 0x9, 0x9, 0x6]),
    7: (152, [0xF, 0x1, 0x2, 0x2, 0x4, 0x4, 0x4]),
    8: (153, [0x6, 0x9, 0x9, 0x6, 0x9, 0x9, 0x6]),
    9: (144, [0x6, 0x9, 0x9, 0x7, 0x1, 0x9, 0x6]),
}
DIGIT_W, DIGIT_H = 4, 7


def digit_file_name(digit):
    return "%d_digit%d.ico" % (DIGITS[digit][0], digit)


# ---------------------------------------------------------------------------
# .ico encoding: ICONDIR, one ICONDIRENTRY per image, then each image as a DIB
# (BITMAPINFOHEADER, [palette], XOR bitmap, 1-bit AND mask), rows bottom-up and
# padded to 4 bytes. The DIB height counts both bitmaps, hence 2 * h.
# ---------------------------------------------------------------------------


def row_stride(w, bits_per_pixel):
    return (w * bits_per_pixel + 31) // 32 * 4


def bitmap_info_header(w, h, bit_count, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bit_count, 0, image_bytes, 0, 0, 0, 0)


def mask_row(transparent):
    """AND-mask row: bit set (screen kept) where the pixel is transparent."""
    row = bytearray(row_stride(len(transparent), 1))
    for x, t in enumerate(transparent):
        if t:
            row[x >> 3] |= 0x80 >> (x & 7)
    return bytes(row)


def dib_32bpp(img):
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(img.h)):
        pixels = [img.rgba8(x, y) for x in range(img.w)]
        for r, g, b, a in pixels:
            xor += bytes((b, g, r, a))
        mask += mask_row([a == 0 for (_, _, _, a) in pixels])
    return bitmap_info_header(img.w, img.h, 32, len(xor) + len(mask)) + bytes(xor) + bytes(mask)


def dib_digit(rows):
    # Palette index 0 is black (drawn as "leave the screen alone" with mask 1),
    # index 1 is white; the other 254 entries are unused.
    palette = bytes((0, 0, 0, 0)) + bytes((255, 255, 255, 0)) + bytes(4 * 254)
    stride = row_stride(DIGIT_W, 8)
    xor, mask = bytearray(), bytearray()
    for bits in reversed(rows):
        lit = [bool(bits & (0x8 >> x)) for x in range(DIGIT_W)]
        xor += bytes(1 if on else 0 for on in lit) + bytes(stride - DIGIT_W)
        mask += mask_row([not on for on in lit])
    return (bitmap_info_header(DIGIT_W, DIGIT_H, 8, len(xor) + len(mask))
            + palette + bytes(xor) + bytes(mask))


def ico_file(entries):
    """entries: (width, height, bit count, dib bytes) per image."""
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(head) + 16 * len(entries)
    directory, data = bytearray(), bytearray()
    for w, h, bit_count, dib in entries:
        # Width and height are bytes where 0 means 256; colour count 0 means "no
        # palette or at least 256 colours", true for both formats used here.
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bit_count,
                                 len(dib), offset)
        data += dib
        offset += len(dib)
    return head + bytes(directory) + bytes(data)


def build_all():
    """Every output file: name -> bytes."""
    files = {}
    for name, small, large in pictures():
        files[name] = ico_file([(img.w, img.h, 32, dib_32bpp(img)) for img in (small, large)])
    for digit in sorted(DIGITS):
        files[digit_file_name(digit)] = ico_file(
            [(DIGIT_W, DIGIT_H, 8, dib_digit(DIGITS[digit][1]))])
    return files


def write_all():
    os.makedirs(OUT_DIR, exist_ok=True)
    for name, data in sorted(build_all().items()):
        with open(os.path.join(OUT_DIR, name), "wb") as f:
            f.write(data)
        print("wrote", os.path.relpath(os.path.join(OUT_DIR, name), ROOT))


def main(argv):
    if argv[1:] == ["--check"]:
        return check()
    if argv[1:]:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    write_all()
    return 0


# ---------------------------------------------------------------------------
# --check: reads the files back with an independent decoder.
# ---------------------------------------------------------------------------

# The digits as they must appear on screen, drawn out rather than taken from the
# hex table above, so a slip in either shows up as a mismatch.
EXPECTED_DIGITS = {
    "145_digit0.ico": ".##. #..# #..# #..# #..# #..# .##.",
    "146_digit1.ico": "..#. .##. ..#. ..#. ..#. ..#. ..#.",
    "147_digit2.ico": ".##. #..# ...# ..#. .#.. #... ####",
    "148_digit3.ico": ".##. #..# ...# .##. ...# #..# .##.",
    "149_digit4.ico": "..#. .##. .##. #.#. #.#. #### ..#.",
    "150_digit5.ico": "#### #... ###. ...# ...# #..# .##.",
    "151_digit6.ico": ".##. #..# #... ###. #..# #..# .##.",
    "152_digit7.ico": "#### ...# ..#. ..#. .#.. .#.. .#..",
    "153_digit8.ico": ".##. #..# #..# .##. #..# #..# .##.",
    "144_digit9.ico": ".##. #..# #..# .### ...# #..# .##.",
}


def parse_ico(data):
    """Decodes an .ico into a list of images, each a dict with width, height,
    bit_count and rows (top row first) of (r, g, b, a, and_bit). Raises
    ValueError on anything malformed."""
    if len(data) < 6:
        raise ValueError("shorter than an ICONDIR")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("ICONDIR reserved=%d type=%d count=%d" % (reserved, kind, count))
    expected_offset = 6 + 16 * count
    images = []
    for i in range(count):
        w, h, colours, res, planes, bit_count, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        if res != 0 or planes != 1 or colours != 0:
            raise ValueError("entry %d: reserved=%d planes=%d colours=%d"
                             % (i, res, planes, colours))
        if offset != expected_offset:
            raise ValueError("entry %d: data at %d, expected %d" % (i, offset, expected_offset))
        dib = data[offset:offset + size]
        if len(dib) != size:
            raise ValueError("entry %d: runs past the end of the file" % i)
        expected_offset += size

        (hsize, bw, bh, bplanes, bbits, compression, image_bytes,
         _, _, clr_used, _) = struct.unpack_from("<IiiHHIIiiII", dib, 0)
        if (hsize, bw, bh, bplanes, bbits, compression) != (40, w, 2 * h, 1, bit_count, 0):
            raise ValueError("entry %d: BITMAPINFOHEADER size=%d %dx%d planes=%d bits=%d "
                             "compression=%d for a %dx%d %d-bit entry"
                             % (i, hsize, bw, bh, bplanes, bbits, compression, w, h, bit_count))
        if bit_count == 32:
            palette = None
        elif bit_count == 8:
            if clr_used not in (0, 256):
                raise ValueError("entry %d: biClrUsed=%d" % (i, clr_used))
            palette = [tuple(dib[40 + 4 * k:40 + 4 * k + 4]) for k in range(256)]
        else:
            raise ValueError("entry %d: unexpected bit count %d" % (i, bit_count))
        xor_at = 40 + (1024 if palette else 0)
        xor_stride, and_stride = row_stride(w, bit_count), row_stride(w, 1)
        and_at = xor_at + xor_stride * h
        if size != and_at + and_stride * h:
            raise ValueError("entry %d: %d bytes, expected %d"
                             % (i, size, and_at + and_stride * h))
        if image_bytes not in (0, size - xor_at):
            raise ValueError("entry %d: biSizeImage=%d" % (i, image_bytes))

        rows = []
        for y in range(h):
            src = h - 1 - y  # stored bottom-up
            xor_row = dib[xor_at + src * xor_stride:]
            and_row = dib[and_at + src * and_stride:]
            row = []
            for x in range(w):
                if palette:
                    b, g, r, _ = palette[xor_row[x]]
                    a = 255
                else:
                    b, g, r, a = xor_row[4 * x:4 * x + 4]
                row.append((r, g, b, a, (and_row[x >> 3] >> (7 - (x & 7))) & 1))
            rows.append(row)
        images.append({"width": w, "height": h, "bit_count": bit_count, "rows": rows})
    if expected_offset != len(data):
        raise ValueError("%d stray bytes after the last image" % (len(data) - expected_offset))
    return images


def check_picture(name, images):
    problems = []
    if [(im["width"], im["height"], im["bit_count"]) for im in images] != [
            (16, 16, 32), (32, 32, 32)]:
        return ["%s: expected a 16x16 and a 32x32 32-bit image" % name]
    for im in images:
        size = im["width"]
        rows = im["rows"]
        pixels = [p for row in rows for p in row]
        if any(p[4] != (p[3] == 0) for p in pixels):
            problems.append("%s %dx%d: AND mask disagrees with alpha" % (name, size, size))
        if name.startswith("163_"):
            if any(p[3] != 0 for p in pixels):
                problems.append("%s %dx%d: not fully transparent" % (name, size, size))
            continue
        if not any(p[3] == 255 for p in pixels):
            problems.append("%s %dx%d: nothing opaque drawn" % (name, size, size))
        corners = [rows[0][0], rows[0][-1], rows[-1][0], rows[-1][-1]]
        if any(p[3] != 0 for p in corners):
            problems.append("%s %dx%d: background is not transparent" % (name, size, size))
    return problems


def check_digit(name, images):
    if [(im["width"], im["height"], im["bit_count"]) for im in images] != [(4, 7, 8)]:
        return ["%s: expected a single 4x7 8-bit image" % name]
    drawn = []
    for row in images[0]["rows"]:
        line = ""
        for r, g, b, _, mask in row:
            if (r, g, b, mask) == (255, 255, 255, 0):
                line += "#"
            elif (r, g, b, mask) == (0, 0, 0, 1):
                line += "."
            else:
                line += "?"  # neither opaque white nor a transparent hole
        drawn.append(line)
    drawn = " ".join(drawn)
    if drawn != EXPECTED_DIGITS[name]:
        return ["%s: shows %s, expected %s" % (name, drawn, EXPECTED_DIGITS[name])]
    return []


def check():
    expected = build_all()
    problems = []
    present = set(n for n in os.listdir(OUT_DIR) if n.lower().endswith(".ico")) \
        if os.path.isdir(OUT_DIR) else set()
    problems += ["%s: missing" % n for n in sorted(set(expected) - present)]
    problems += ["%s: not written by this script" % n for n in sorted(present - set(expected))]
    if set(EXPECTED_DIGITS) - set(expected):
        problems.append("digit files not generated: %s"
                        % ", ".join(sorted(set(EXPECTED_DIGITS) - set(expected))))
    for name in sorted(set(expected) & present):
        with open(os.path.join(OUT_DIR, name), "rb") as f:
            data = f.read()
        if data != expected[name]:
            problems.append("%s: differs from what this script draws (regenerate)" % name)
        try:
            images = parse_ico(data)
        except (ValueError, struct.error) as e:
            problems.append("%s: %s" % (name, e))
            continue
        if name in EXPECTED_DIGITS:
            problems += check_digit(name, images)
        else:
            problems += check_picture(name, images)
    # The two blue arrows are separate resources showing the same picture.
    twins = [os.path.join(OUT_DIR, n) for n in ("158_arrow_down_blue.ico",
                                                "159_arrow_down_blue.ico")]
    if all(os.path.exists(t) for t in twins):
        with open(twins[0], "rb") as a, open(twins[1], "rb") as b:
            if a.read() != b.read():
                problems.append("158 and 159 differ")
    for p in problems:
        print("FAIL", p)
    if not problems:
        print("ok: %d icon files verified" % len(present))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
