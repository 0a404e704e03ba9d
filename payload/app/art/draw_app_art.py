#!/usr/bin/env python3
"""Draws the artwork of qingwu.exe and rewrites the files beside itself:
the header band, the animated logo (a GIF), the button images and the
16 x 16 button icons, each at 100 % (NAME.png) and drawn again at 150 %
and 200 % (NAME_150.png, NAME_200.png) for displays at 144 and 192 DPI. It reuses the installer's drawing code and colours
(app/resources/art/draw_artwork.py), so both programs look alike.

Output is deterministic: no timestamps, fixed zlib settings, a palette
built from the pixels in a fixed order. Re-running it on unchanged sources
leaves every file byte-for-byte equal.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "app", "resources", "art"))

from draw_artwork import (SCALES, Canvas, Lcg, clamp01, draw_badge, draw_bar, hex_rgb,  # noqa: E402
                          inside_polygon, mix, scaled_length, sd_circle, sd_ring, sd_round_rect,
                          sd_segment)

# The header band fills the top of the window body (the body starts at
# (5, 5) of the window); the logo picture sits on it at LOGO_AT (window
# coordinates), so the GIF's frames carry the header pixels behind them.
HEADER_W, HEADER_H = 770, 96
BODY_ORIGIN = 5
LOGO_AT = (22, 18)
LOGO_SIZE = 60


# ---------------------------------------------------------------- header ---

def draw_header(scale=1.0):
    w, h = HEADER_W, HEADER_H
    c = Canvas(w, h, scale)
    deep, mid, teal = hex_rgb("081E4A"), hex_rgb("0B4F96"), hex_rgb("0FA3B5")

    def base(x, y):
        t = clamp01((x / w) * 0.8 + (y / h) * 0.2)
        rgb = mix(deep, mid, t / 0.6) if t < 0.6 else mix(mid, teal, (t - 0.6) / 0.4)
        return rgb + (1.0,)
    c.fill(lambda x, y: 1.0, base)
    glow = hex_rgb("4FD8FF")
    c.fill(lambda x, y: 1.0,
           lambda x, y: glow + (0.22 * clamp01(1.0 - math.hypot((x - 260) / 320.0, (y - 40) / 110.0)) ** 2,))

    rnd = Lcg(20190999)
    for _ in range(18):
        y = 10 + rnd.next() * 80
        x = 180 + rnd.next() * 560
        length = 50 + rnd.next() * 150
        alpha = 0.04 + rnd.next() * 0.12
        width = 0.5 + rnd.next() * 0.9
        ax, ay, bx, by = x, y, x + length, y - length * 0.12

        def streak(px, py, ax=ax, bx=bx, alpha=alpha):
            return (1.0, 1.0, 1.0, alpha * clamp01((px - ax) / (bx - ax)))
        c.fill_sdf(sd_segment(ax, ay, bx, by, width), streak, (ax - 3, by - 3, bx + 3, ay + 3))

    # Relay nodes towards the right, below the caption buttons.
    nodes = [(560, 62), (605, 40), (650, 70), (700, 48), (735, 78), (620, 86)]
    links = [(0, 1), (1, 2), (2, 3), (3, 4), (0, 5), (5, 2), (2, 4)]
    for a, b in links:
        (ax, ay), (bx, by) = nodes[a], nodes[b]
        c.fill_sdf(sd_segment(ax, ay, bx, by, 0.55), (0.75, 0.95, 1.0, 0.28),
                   (min(ax, bx) - 3, min(ay, by) - 3, max(ax, bx) + 3, max(ay, by) + 3))
    for x, y in nodes:
        c.fill_sdf(sd_circle(x, y, 5.5), (0.55, 0.9, 1.0, 0.15), (x - 8, y - 8, x + 8, y + 8))
        c.fill_sdf(sd_circle(x, y, 2.5), (0.85, 0.98, 1.0, 0.8), (x - 4, y - 4, x + 4, y + 4))
    return c


# ----------------------------------------------------------- the GIF logo ---

FRAMES = 12
REST_FRAMES = 3
FRAME_DELAY = 9  # hundredths of a second


def logo_frame(header, index):
    """One frame: the header pixels behind the picture, a pulsing halo and
    the logo badge whose speed chevrons light up one after another."""
    scale = header.scale
    # The header pixels behind the picture (at 150 % its corner falls
    # between pixels: the nearest pixel is taken).
    ox = scaled_length(LOGO_AT[0] - BODY_ORIGIN, scale)
    oy = scaled_length(LOGO_AT[1] - BODY_ORIGIN, scale)
    size = LOGO_SIZE
    c = Canvas(size, size, scale)
    for y in range(c.h):
        for x in range(c.w):
            si = ((oy + y) * header.w + ox + x) * 4
            di = (y * c.w + x) * 4
            c.px[di:di + 4] = header.px[si:si + 4]
    # The first REST_FRAMES frames are the logo at rest (also what shows
    # once the window stops the animation); then a halo grows and fades
    # while the speed chevrons light up one after another.
    moving = index >= REST_FRAMES
    phase = (index - REST_FRAMES) / (FRAMES - REST_FRAMES) if moving else 0.0
    if moving:
        radius = 22 + 8 * phase
        ring = sd_ring(sd_circle(size / 2, size / 2, radius), 1.6)
        c.fill_sdf(ring, (0.6, 0.95, 1.0, 0.45 * (1.0 - phase)))
    badge = 44
    lx = ly = (size - badge) / 2
    shadow = sd_round_rect(lx, ly, lx + badge, ly + badge, 11)
    c.fill_sdf(lambda x, y: shadow(x - 0.5, y - 2) - 1.5, (0.0, 0.05, 0.15, 0.35))
    draw_badge(c, lx, ly, badge)
    if moving:
        lit = min(2, int(phase * 3))
        k = badge / 92.0
        off = lx + (64 + lit * 8) * k
        points = [(off, ly + 66 * k), (off + 6 * k, ly + 73 * k), (off, ly + 80 * k),
                  (off + 3 * k, ly + 80 * k), (off + 9 * k, ly + 73 * k), (off + 3 * k, ly + 66 * k)]
        c.fill_inside(inside_polygon(points), hex_rgb("FFE066") + (1.0,),
                      (off - 1, ly + 64 * k, off + 11 * k, ly + 82 * k))
    return c


def rgb_rows(canvas):
    """Opaque 8-bit RGB tuples of a canvas, row-major (alpha composited on black)."""
    out = []
    p = canvas.px
    for i in range(0, len(p), 4):
        out.append(tuple(int(round(clamp01(p[i + k]) * 255)) for k in range(3)))
    return out


def build_palette(frames):
    """At most 256 colours: every colour rounded to a grid that is made
    coarser until the count fits; then each pixel takes the nearest entry."""
    for step in (1, 2, 4, 6, 8, 10, 12, 16, 20, 24, 32):
        def snap(c, step=step):
            return tuple(min(255, int(round(v / step)) * step) for v in c)
        seen = {}
        for frame in frames:
            for c in frame:
                s = snap(c)
                if s not in seen:
                    seen[s] = len(seen)
        if len(seen) <= 256:
            palette = sorted(seen)
            return palette, snap
    raise SystemExit("draw_app_art: palette does not fit")


def lzw_encode(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer, bit_count = 0, 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    width = min_code_size + 1
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    emit(clear, width)
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        emit(table[current], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = {(i,): i for i in range(clear)}
            next_code = end + 1
            width = min_code_size + 1
        current = (index,)
    if current:
        emit(table[current], width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def encode_gif(width, height, frames, delay):
    palette, snap = build_palette(frames)
    lookup = {c: i for i, c in enumerate(palette)}
    table_bits = max(1, (len(palette) - 1).bit_length())
    padded = palette + [(0, 0, 0)] * ((1 << table_bits) - len(palette))
    data = bytearray(b"GIF89a")
    data += width.to_bytes(2, "little") + height.to_bytes(2, "little")
    data += bytes([0x80 | 0x70 | (table_bits - 1), 0, 0])
    for r, g, b in padded:
        data += bytes([r, g, b])
    # Loop for ever.
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code = max(2, table_bits)
    for frame in frames:
        data += b"\x21\xF9\x04" + bytes([0x04]) + delay.to_bytes(2, "little") + b"\x00\x00"
        data += b"\x2C" + (0).to_bytes(2, "little") * 2
        data += width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\x00"
        indices = [lookup[snap(c)] for c in frame]
        encoded = lzw_encode(indices, min_code)
        data.append(min_code)
        for i in range(0, len(encoded), 255):
            block = encoded[i:i + 255]
            data.append(len(block))
            data += block
        data.append(0)
    data += b"\x3B"
    return bytes(data)


def draw_logo_gif(header):
    frames = [logo_frame(header, i) for i in range(FRAMES)]
    return encode_gif(frames[0].w, frames[0].h, [rgb_rows(f) for f in frames], FRAME_DELAY)


# ----------------------------------------------------------------- buttons --

def draw_light_button(width, height, radius, hover, scale=1.0):
    """Secondary button: white (light blue when hovered) with a grey rim."""
    c = Canvas(width, height, scale)
    body = sd_round_rect(1, 1, width - 1, height - 1, radius)
    top = hex_rgb("F2F8FF") if hover else hex_rgb("FFFFFF")
    bottom = hex_rgb("DCEBFF") if hover else hex_rgb("F1F4F8")
    c.fill_sdf(body, lambda x, y: mix(top, bottom, clamp01(y / height)) + (1.0,))
    rim = hex_rgb("5A9BEA") if hover else hex_rgb("B9C6D6")
    c.fill_sdf(sd_ring(body, 0.5), rim + (1.0,))
    return c


def draw_glass_button(width, height, radius, hover, scale=1.0):
    """Header button: translucent white on the dark band."""
    c = Canvas(width, height, scale)
    body = sd_round_rect(1, 1, width - 1, height - 1, radius)
    c.fill_sdf(body, (1.0, 1.0, 1.0, 0.26 if hover else 0.14))
    c.fill_sdf(sd_ring(body, 0.5), (1.0, 1.0, 1.0, 0.55 if hover else 0.35))
    return c


# ------------------------------------------------------------------- icons --

def icon_gear(colour, scale=1.0):
    c = Canvas(16, 16, scale)

    def inside(x, y):
        dx, dy = x - 8, y - 8
        r = math.hypot(dx, dy)
        teeth = math.cos(8 * math.atan2(dy, dx)) > 0.2
        return 2.4 <= r <= (7.2 if teeth else 5.4)
    c.fill_inside(inside, colour)
    return c


def icon_check(colour, scale=1.0):
    """A document with a tick: checking files."""
    c = Canvas(16, 16, scale)
    c.fill_sdf(sd_ring(sd_round_rect(2.5, 1.5, 12.5, 14.5, 1.5), 0.6), colour)
    tick = [sd_segment(5.0, 8.5, 7.2, 10.8, 0.9), sd_segment(7.2, 10.8, 11.5, 5.0, 0.9)]
    c.fill_sdf(lambda x, y: min(tick[0](x, y), tick[1](x, y)), colour)
    return c


def icon_save(colour, scale=1.0):
    c = Canvas(16, 16, scale)
    outline = sd_round_rect(1.5, 1.5, 14.5, 14.5, 1.5)
    c.fill_sdf(sd_ring(outline, 0.6), colour)
    c.fill_sdf(sd_round_rect(4.5, 2.0, 11.5, 6.0, 0.5), colour)
    c.fill_sdf(sd_ring(sd_round_rect(4.5, 9.0, 11.5, 14.5, 0.5), 0.5), colour)
    return c


def icon_trash(colour, scale=1.0):
    c = Canvas(16, 16, scale)
    c.fill_sdf(sd_segment(2.5, 3.5, 13.5, 3.5, 0.7), colour)
    c.fill_sdf(sd_segment(6.0, 1.8, 10.0, 1.8, 0.7), colour)
    c.fill_inside(inside_polygon([(3.6, 5.0), (12.4, 5.0), (11.4, 14.6), (4.6, 14.6)]), colour)
    for x in (6.3, 8.0, 9.7):
        c.fill_sdf(sd_segment(x, 7.0, x, 12.6, 0.45), hex_rgb("FFFFFF") + (1.0,))
    return c


WHITE = (1.0, 1.0, 1.0, 1.0)
BLUE = hex_rgb("1766E0") + (1.0,)
GREY = hex_rgb("5A6678") + (1.0,)

# Each drawing takes the scale it is drawn at.
DRAWINGS = {
    "primary_normal": lambda s: draw_bar(132, 34, 8, "2E8BFF", "1766E0", 0.2, s),
    "primary_hover": lambda s: draw_bar(132, 34, 8, "63B0FF", "3B8CF5", 0.26, s),
    "light_normal": lambda s: draw_light_button(96, 30, 6, False, s),
    "light_hover": lambda s: draw_light_button(96, 30, 6, True, s),
    "glass_normal": lambda s: draw_glass_button(96, 30, 6, False, s),
    "glass_hover": lambda s: draw_glass_button(96, 30, 6, True, s),
    "icon_gear": lambda s: icon_gear(WHITE, s),
    "icon_check": lambda s: icon_check(WHITE, s),
    "icon_save": lambda s: icon_save(BLUE, s),
    "icon_trash": lambda s: icon_trash(GREY, s),
}

# File name -> (drawing, scale).
IMAGES = {stem + suffix + ".png": (draw, scale)
          for stem, draw in DRAWINGS.items() for suffix, scale in SCALES.items()}
# The header and the logo, drawn apart: the logo's frames carry the header's
# pixels. File name -> (header?, scale).
BANDS = {}
for _suffix, _scale in SCALES.items():
    BANDS["header" + _suffix + ".png"] = (True, _scale)
    BANDS["logo" + _suffix + ".gif"] = (False, _scale)


def main():
    names = sys.argv[1:] or list(BANDS) + list(IMAGES)
    headers = {}  # scale -> header canvas
    for name in names:
        if name in BANDS:
            is_header, scale = BANDS[name]
            if scale not in headers:
                headers[scale] = draw_header(scale)
            data = headers[scale].png() if is_header else draw_logo_gif(headers[scale])
        else:
            draw, scale = IMAGES[name]
            data = draw(scale).png()
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
