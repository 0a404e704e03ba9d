#!/usr/bin/env python3
"""Draws the installer's artwork: the eight PNG images embedded in
qingwu_setup.exe, each at three scales: NAME.png at 100 %, NAME_150.png
and NAME_200.png drawn at 150 % and 200 % (the same vector drawing on a
larger canvas, round(w * 1.5) x round(h * 1.5) and 2w x 2h pixels, for
displays at 144 and 192 DPI). Run it from anywhere; it rewrites the PNG
files beside itself. Output is deterministic (no timestamps, fixed zlib settings), so
re-running it on unchanged sources leaves the files byte-for-byte equal.

Also draws the application icon, payload/app/qingwu.ico, from the same logo.

Shapes are drawn in pure Python (anti-aliased through signed distances or
4x4 supersampling). Text is rasterised by ImageMagick's `convert` with the
WenQuanYi Micro Hei font (packages imagemagick and fonts-wqy-microhei).
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
PRODUCT_NAME = "青梧网游加速器"


# ---------------------------------------------------------------- canvas ---

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def scaled_length(length, scale):
    """Pixels of a `length` drawn at `scale`: rounded half up."""
    return int(math.floor(length * scale + 0.5))


class Canvas:
    """RGBA canvas with premultiplied float pixels and 'over' compositing.

    Drawing code works in logical (100 %) coordinates; a canvas made with
    a scale holds scaled_length(width, scale) x scaled_length(height, scale)
    pixels and maps every shape, colour function and box onto them, so a
    larger canvas gets the same drawing with edges as sharp as at 100 %.
    At scale 1 every computation is the one of an unscaled canvas."""

    def __init__(self, width, height, scale=1.0):
        self.scale = scale
        self.w, self.h = scaled_length(width, scale), scaled_length(height, scale)
        self.px = [0.0] * (self.w * self.h * 4)

    def blend(self, x, y, r, g, b, a):
        if a <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        i = (y * self.w + x) * 4
        p = self.px
        k = 1.0 - a
        p[i] = r * a + p[i] * k
        p[i + 1] = g * a + p[i + 1] * k
        p[i + 2] = b * a + p[i + 2] * k
        p[i + 3] = a + p[i + 3] * k

    def fill(self, coverage, color, box=None):
        """coverage(x, y) -> 0..1 at the pixel centre; color(x, y) -> rgba;
        both take logical coordinates, `box` is logical too."""
        s = self.scale
        x0, y0, x1, y1 = box or (0, 0, self.w / s, self.h / s)
        x0, y0 = max(0, int(x0 * s)), max(0, int(y0 * s))
        x1, y1 = min(self.w, int(math.ceil(x1 * s))), min(self.h, int(math.ceil(y1 * s)))
        constant = None if callable(color) else color
        for y in range(y0, y1):
            for x in range(x0, x1):
                lx, ly = (x + 0.5) / s, (y + 0.5) / s
                c = coverage(lx, ly)
                if c <= 0.0:
                    continue
                r, g, b, a = constant or color(lx, ly)
                self.blend(x, y, r, g, b, a * c)

    def fill_sdf(self, sdf, color, box=None):
        """A signed distance in logical pixels; the edge is one canvas pixel wide."""
        s = self.scale
        self.fill(lambda x, y: clamp01(0.5 - sdf(x, y) * s), color, box)

    def fill_inside(self, inside, color, box=None):
        """Anti-aliased fill of a point predicate by 4x4 supersampling of each canvas pixel."""
        s = self.scale
        offsets = [((i + 0.5) / 4.0 - 0.5) / s for i in range(4)]

        def coverage(x, y):
            hits = 0
            for dy in offsets:
                for dx in offsets:
                    if inside(x + dx, y + dy):
                        hits += 1
            return hits / 16.0
        self.fill(coverage, color, box)

    def draw_mask(self, mask, mw, mh, left, top, color):
        """Blends an 8-bit coverage mask (row-major bytes, canvas pixels) with
        its corner at logical (left, top); color(x, y) takes logical coordinates."""
        s = self.scale
        left, top = scaled_length(left, s), scaled_length(top, s)
        for y in range(mh):
            for x in range(mw):
                c = mask[y * mw + x]
                if c:
                    r, g, b, a = color((left + x) / s, (top + y) / s) if callable(color) else color
                    self.blend(left + x, top + y, r, g, b, a * c / 255.0)

    def png(self):
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                i = (y * self.w + x) * 4
                a = self.px[i + 3]
                if a <= 0.0:
                    rows += b"\0\0\0\0"
                    continue
                rows += bytes(int(round(clamp01(self.px[i + k] / a) * 255)) for k in range(3))
                rows.append(int(round(clamp01(a) * 255)))
        return encode_png(self.w, self.h, bytes(rows))


def encode_png(width, height, raw_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(raw_rows, 9)) + chunk(b"IEND", b""))


# ------------------------------------------------------ signed distances ---

def sd_round_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def sd_circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def sd_segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sdf(x, y):
        t = clamp01(((x - ax) * dx + (y - ay) * dy) / length2) if length2 else 0.0
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half_width
    return sdf


def sd_ring(sdf, half_width):
    return lambda x, y: abs(sdf(x, y)) - half_width


def inside_polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def inside_sdf(sdf):
    return lambda x, y: sdf(x, y) <= 0.0


# ----------------------------------------------------------------- text ----

def convert_tool():
    for name in ("convert-im6.q16", "/usr/bin/convert", "convert"):
        path = shutil.which(name) or (name if os.path.exists(name) else None)
        if path:
            return path
    sys.exit("draw_artwork: ImageMagick's convert is required (package imagemagick)")


def text_mask(text, pointsize, kerning=0):
    """Rasterises `text` in white on black; returns (mask bytes, width, height)."""
    cmd = [convert_tool(), "-background", "black", "-fill", "white", "-font", FONT,
           "-pointsize", str(pointsize), "-kerning", str(kerning), "label:" + text,
           "-trim", "+repage", "-depth", "8", "pgm:-"]
    data = subprocess.run(cmd, check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # "P5", width, height, maxval
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height]
    return pixels, width, height


def scaled_text_mask(text, pointsize, scale, kerning=0):
    """text_mask at `scale` (pointsize and kerning scaled), and the height of
    the 100 % mask: layout below the text keeps the 100 % positions."""
    mask, width, height = text_mask(text, pointsize * scale if scale != 1.0 else pointsize,
                                    kerning * scale if scale != 1.0 else kerning)
    logical_height = height if scale == 1.0 else text_mask(text, pointsize, kerning)[2]
    return mask, width, height, logical_height


# ------------------------------------------------------------ the images ---

class Lcg:
    """Small fixed pseudo-random sequence, so the artwork never changes."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF


def draw_badge(c, lx, ly, size):
    """The logo: a rounded square with a parasol-tree leaf and speed chevrons,
    drawn at (lx, ly) with the given edge length (designed at 92)."""
    k = size / 92.0
    badge = sd_round_rect(lx, ly, lx + size, ly + size, 22 * k)
    top_col, bottom_col = hex_rgb("31E1C4"), hex_rgb("138BE0")
    c.fill_sdf(badge, lambda x, y: mix(top_col, bottom_col, clamp01((y - ly) / size)) + (1.0,),
               (lx - 1, ly - 1, lx + size + 1, ly + size + 1))
    c.fill_sdf(sd_round_rect(lx + 3 * k, ly + 3 * k, lx + size - 3 * k, ly + size / 2, 19 * k),
               lambda x, y: (1.0, 1.0, 1.0, 0.16 * (1.0 - clamp01((y - ly) / (size / 2.0)))),
               (lx, ly, lx + size, ly + size))
    # The leaf: intersection of two circles along a rising axis, with a
    # midrib and a stem at its lower end.
    cx, cy = lx + size * 0.46, ly + size * 0.44
    ux, uy = math.cos(math.radians(40)), -math.sin(math.radians(40))  # axis, up-right
    nx, ny = -uy, ux
    off, radius = 20.0 * k, 31.0 * k
    half_len = math.sqrt(radius * radius - off * off)

    def leaf_sdf(x, y):
        return max(math.hypot(x - cx - nx * off, y - cy - ny * off) - radius,
                   math.hypot(x - cx + nx * off, y - cy + ny * off) - radius)
    c.fill_sdf(leaf_sdf, (1.0, 1.0, 1.0, 0.97), (lx, ly, lx + size, ly + size))
    base_x, base_y = cx - ux * half_len, cy - uy * half_len
    c.fill_sdf(sd_segment(base_x + ux * 4 * k, base_y + uy * 4 * k, cx + ux * (half_len - 6 * k),
                          cy + uy * (half_len - 6 * k), 1.2 * k),
               bottom_col + (0.9,), (lx, ly, lx + size, ly + size))
    c.fill_sdf(sd_segment(base_x + ux * 2 * k, base_y + uy * 2 * k, base_x - ux * 11 * k, base_y - uy * 11 * k, 1.7 * k),
               (1.0, 1.0, 1.0, 0.97), (lx, ly, lx + size, ly + size))
    for i in range(3):
        off = lx + (64 + i * 8) * k
        points = [(off, ly + 66 * k), (off + 6 * k, ly + 73 * k), (off, ly + 80 * k),
                  (off + 3 * k, ly + 80 * k), (off + 9 * k, ly + 73 * k), (off + 3 * k, ly + 66 * k)]
        c.fill_inside(inside_polygon(points), (1.0, 1.0, 1.0, 0.55 + 0.2 * i),
                      (off - 1, ly + 64 * k, off + 11 * k, ly + 82 * k))


def draw_background(scale=1.0):
    w, h = 590, 283
    c = Canvas(w, h, scale)
    deep, mid, teal = hex_rgb("081E4A"), hex_rgb("0B4F96"), hex_rgb("0FA3B5")

    def base(x, y):
        t = clamp01((x / w) * 0.75 + (y / h) * 0.25)
        rgb = mix(deep, mid, t / 0.6) if t < 0.6 else mix(mid, teal, (t - 0.6) / 0.4)
        return rgb + (1.0,)
    c.fill(lambda x, y: 1.0, base)

    # A soft glow behind the title and a darker vignette at the bottom.
    glow = hex_rgb("4FD8FF")
    c.fill(lambda x, y: 1.0,
           lambda x, y: glow + (0.28 * clamp01(1.0 - math.hypot((x - 330) / 300.0, (y - 110) / 170.0)) ** 2,))
    c.fill(lambda x, y: 1.0, lambda x, y: (0.0, 0.0, 0.1, 0.35 * clamp01((y - 170) / 113.0) ** 1.5))

    # Speed streaks running to the right.
    rnd = Lcg(20190901)
    for _ in range(22):
        y = 18 + rnd.next() * 240
        x = -40 + rnd.next() * 600
        length = 60 + rnd.next() * 170
        alpha = 0.05 + rnd.next() * 0.16
        width = 0.6 + rnd.next() * 1.1
        ax, ay, bx, by = x, y, x + length, y - length * 0.18
        sdf = sd_segment(ax, ay, bx, by, width)

        def streak(px, py, ax=ax, bx=bx, alpha=alpha):
            t = clamp01((px - ax) / (bx - ax))
            return (1.0, 1.0, 1.0, alpha * t)  # fades in towards its head
        c.fill_sdf(sdf, streak, (ax - 3, by - 3, bx + 3, ay + 3))

    # A network of relay nodes on the right.
    nodes = [(420, 200), (470, 150), (530, 185), (505, 240), (560, 120), (450, 245), (575, 230)]
    links = [(0, 1), (1, 2), (2, 3), (1, 4), (2, 4), (0, 5), (5, 3), (3, 6), (2, 6)]
    for a, b in links:
        (ax, ay), (bx, by) = nodes[a], nodes[b]
        c.fill_sdf(sd_segment(ax, ay, bx, by, 0.6), (0.75, 0.95, 1.0, 0.35),
                   (min(ax, bx) - 3, min(ay, by) - 3, max(ax, bx) + 3, max(ay, by) + 3))
    for x, y in nodes:
        c.fill_sdf(sd_circle(x, y, 6.5), (0.55, 0.9, 1.0, 0.18), (x - 9, y - 9, x + 9, y + 9))
        c.fill_sdf(sd_circle(x, y, 3.0), (0.85, 0.98, 1.0, 0.9), (x - 5, y - 5, x + 5, y + 5))

    # Logo badge with its shadow.
    lx, ly, size = 58, 62, 92
    badge = sd_round_rect(lx, ly, lx + size, ly + size, 22)
    c.fill_sdf(lambda x, y: badge(x - 1, y - 4) - 2, (0.0, 0.05, 0.15, 0.35), (lx - 6, ly - 6, lx + size + 10, ly + size + 12))
    draw_badge(c, lx, ly, size)

    # Title, tagline and the name in Latin letters.
    mask, mw, smh, mh = scaled_text_mask(PRODUCT_NAME, 46, scale)
    tx, ty = 172, 70
    c.draw_mask(mask, mw, smh, tx + 2, ty + 3, (0.0, 0.05, 0.2, 0.45))
    c.draw_mask(mask, mw, smh, tx, ty, lambda x, y: mix((1.0, 1.0, 1.0), hex_rgb("C9F4FF"), clamp01((y - ty) / mh)) + (1.0,))
    mask, mw2, mh2, _ = scaled_text_mask("QINGWU  GAME  BOOSTER", 13, scale, kerning=3)
    c.draw_mask(mask, mw2, mh2, tx + 2, ty + mh + 12, (0.75, 0.93, 1.0, 0.7))
    mask, mw3, mh3, _ = scaled_text_mask("智能选路 · 稳定低延迟 · 一键畅玩", 17, scale)
    c.draw_mask(mask, mw3, mh3, tx + 2, ty + mh + 38, (1.0, 1.0, 1.0, 0.88))
    return c


def draw_close(hover, scale=1.0):
    c = Canvas(30, 30, scale)
    if hover:
        c.fill_sdf(sd_circle(15, 15, 13.5), hex_rgb("F0504A") + (0.95,))
    arm = 5.6
    for sx in (-1, 1):
        c.fill_sdf(sd_segment(15 - arm, 15 - sx * arm, 15 + arm, 15 + sx * arm, 1.1), (1.0, 1.0, 1.0, 1.0))
    return c


def draw_bar(width, height, radius, top_hex, bottom_hex, highlight, scale=1.0):
    c = Canvas(width, height, scale)
    top, bottom = hex_rgb(top_hex), hex_rgb(bottom_hex)
    body = sd_round_rect(1, 1, width - 1, height - 1, radius)
    c.fill_sdf(body, lambda x, y: mix(top, bottom, clamp01(y / height)) + (1.0,))
    # A faint gloss on the upper half and a thin darker rim.
    c.fill_sdf(sd_round_rect(3, 3, width - 3, height * 0.5, max(radius - 2, 1)),
               lambda x, y: (1.0, 1.0, 1.0, highlight * (1.0 - clamp01(y / (height * 0.5)))))
    c.fill_sdf(sd_ring(body, 0.5), mix(bottom, (0.0, 0.1, 0.3), 0.35) + (0.5,))
    return c


# ------------------------------------------------------------ glyph strip --

STRIP_W, STRIP_H = 729, 20
CLOSE_W, CELL_W = 39, 28
TOP = 2  # glyph rows are y 2..19; rows 0 and 1 stay empty


def glyph_shapes(cx, cy):
    """Inside-predicates of the seven non-close glyphs, centred on (cx, cy)."""
    def outline_rect(x0, y0, x1, y1, top_bar):
        return lambda x, y: (x0 <= x < x1 and y0 <= y < y1
                             and not (x0 + 1 <= x < x1 - 1 and y0 + top_bar <= y < y1 - 1))

    maximise = outline_rect(cx - 5, cy - 4, cx + 5, cy + 5, 2)
    back = outline_rect(cx - 2, cy - 5, cx + 6, cy + 2, 2)
    front = outline_rect(cx - 6, cy - 2, cx + 2, cy + 5, 2)
    front_area = lambda x, y: cx - 6 <= x < cx + 2 and cy - 2 <= y < cy + 5
    restore = lambda x, y: front(x, y) or (back(x, y) and not front_area(x, y))
    minimise = lambda x, y: cx - 5 <= x < cx + 5 and cy + 2 <= y < cy + 4
    triangle = inside_polygon([(cx - 4.5, cy - 2), (cx + 4.5, cy - 2), (cx, cy + 3)])
    shirt = inside_polygon([(cx - 3, cy - 5), (cx - 1.2, cy - 3.6), (cx + 1.2, cy - 3.6), (cx + 3, cy - 5),
                            (cx + 7, cy - 2.5), (cx + 5.5, cy + 0.5), (cx + 4, cy - 0.5),
                            (cx + 4, cy + 6), (cx - 4, cy + 6), (cx - 4, cy - 0.5),
                            (cx - 5.5, cy + 0.5), (cx - 7, cy - 2.5)])
    bubble_box = sd_round_rect(cx - 6.5, cy - 5.5, cx + 6.5, cy + 3.5, 2.5)
    tail = inside_polygon([(cx - 3.5, cy + 3), (cx - 3.5, cy + 7), (cx + 0.5, cy + 3)])
    bubble = lambda x, y: (bubble_box(x, y) <= 0.0 and bubble_box(x, y) > -1.3) or (
        tail(x, y) and bubble_box(x, y) > -0.3)

    def gear(x, y):
        dx, dy = x - cx, y - (cy + 0.5)
        r = math.hypot(dx, dy)
        teeth = math.cos(8 * math.atan2(dy, dx)) > 0.25
        return 2.0 <= r <= (6.2 if teeth else 4.6)
    return [maximise, restore, minimise, triangle, shirt, bubble, gear]


def draw_glyph_strip(scale=1.0):
    c = Canvas(STRIP_W, STRIP_H, scale)
    white = (1.0, 1.0, 1.0, 1.0)
    shadow = (0.0, 0.0, 0.0, 0.35)
    cell_backs = [None, (1.0, 1.0, 1.0, 0.22), (0.0, 0.0, 0.0, 0.28)]
    close_backs = [None, hex_rgb("E8453C") + (1.0,), hex_rgb("B5312A") + (1.0,)]

    def draw_cell(x0, width, back, inside):
        box = (x0, TOP, x0 + width, STRIP_H)
        if back:
            c.fill_sdf(sd_round_rect(x0, TOP, x0 + width, STRIP_H, 2.5), back, box)
        else:  # a soft shadow keeps the plain glyph readable on light captions
            c.fill_inside(lambda x, y: inside(x - 1, y - 1), shadow, box)
        c.fill_inside(inside, white, box)

    cx, cy = CLOSE_W / 2.0, TOP + 9.0
    for state in range(3):
        x0 = state * (CLOSE_W + 1)
        cross = [sd_segment(x0 + cx - 4.5, cy - 4.5, x0 + cx + 4.5, cy + 4.5, 0.9),
                 sd_segment(x0 + cx - 4.5, cy + 4.5, x0 + cx + 4.5, cy - 4.5, 0.9)]
        draw_cell(x0, CLOSE_W, close_backs[state],
                  lambda x, y, cross=cross: min(cross[0](x, y), cross[1](x, y)) <= 0.0)

    for kind, shape in enumerate(glyph_shapes(CELL_W / 2.0, TOP + 9.0)):
        for state in range(3):
            x0 = 3 * (CLOSE_W + 1) + (kind * 3 + state) * (CELL_W + 1)
            draw_cell(x0, CELL_W, cell_backs[state], lambda x, y, x0=x0, shape=shape: shape(x - x0, y))
    return c


# Each drawing takes the scale it is drawn at.
DRAWINGS = {
    "glyph_strip": draw_glyph_strip,
    "background": draw_background,
    "close_normal": lambda s: draw_close(False, s),
    "close_hover": lambda s: draw_close(True, s),
    "big_button_normal": lambda s: draw_bar(220, 60, 12, "2E8BFF", "1766E0", 0.22, s),
    "big_button_hover": lambda s: draw_bar(220, 60, 12, "63B0FF", "3B8CF5", 0.28, s),
    "browse_normal": lambda s: draw_bar(152, 39, 8, "2E8BFF", "1766E0", 0.18, s),
    "browse_hover": lambda s: draw_bar(152, 39, 8, "63B0FF", "3B8CF5", 0.24, s),
}

# File-name suffix of each scale: NAME.png, NAME_150.png, NAME_200.png.
SCALES = {"": 1.0, "_150": 1.5, "_200": 2.0}


def scaled_images(drawings):
    """File name -> function drawing it, for every drawing at every scale."""
    images = {}
    for stem, draw in drawings.items():
        for suffix, scale in SCALES.items():
            images[stem + suffix + ".png"] = lambda draw=draw, scale=scale: draw(scale)
    return images


IMAGES = scaled_images(DRAWINGS)


def encode_ico(sizes):
    """An icon file of PNG-compressed images, one per size."""
    images = []
    for size in sizes:
        c = Canvas(size, size)
        draw_badge(c, 0, 0, size)
        images.append((size, c.png()))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs += data
    return header + entries + blobs


# The application's icon, built into qingwu.exe.
ICON_PATH = os.path.join(HERE, "..", "..", "..", "payload", "app", "qingwu.ico")


def main():
    names = sys.argv[1:] or list(IMAGES) + ["qingwu.ico"]
    for name in names:
        if name == "qingwu.ico":
            data = encode_ico([256, 48, 32, 16])
            with open(ICON_PATH, "wb") as out:
                out.write(data)
            print(f"{name}: {len(data)} bytes")
            continue
        data = IMAGES[name]().png()
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
