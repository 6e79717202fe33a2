#!/usr/bin/env python3
"""Draws the editor's frame tiles, the four extra pieces of frame set 4, the eight masks and the
task pane's icons.

The pictures are our own: plain geometric patterns at the sizes the frame layout expects. Run
from the repository root; the PNG files land in app/tasks/artwork and are compiled in as Qt
resources. Standard library only, so the output is the same on every machine.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "tasks", "artwork")
ICONS_OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "edit", "artwork")

TILES = ["pTop_left", "pTop_middle", "pTop_right", "pleft", "pRight",
         "pBottom_left", "pBottom_middle", "pBottom_right"]

# Per set: (top-left, top-middle, top-right, left side, bottom-left, bottom-middle, bottom-right)
# sizes; right side = left side, bottom widths = top widths.
def uniform(corner, middle, side):
    return {"pTop_left": corner, "pTop_middle": middle, "pTop_right": corner,
            "pleft": side, "pRight": side,
            "pBottom_left": corner, "pBottom_middle": middle, "pBottom_right": corner}

SETS = {
    0: uniform((72, 54), (144, 54), (56, 170)),
    1: uniform((57, 42), (40, 42), (42, 39)),
    2: uniform((23, 21), (18, 21), (21, 12)),
    3: uniform((42, 28), (24, 28), (30, 31)),
    4: uniform((45, 15), (31, 15), (18, 34)),
    5: {"pTop_left": (30, 45), "pTop_middle": (18, 45), "pTop_right": (17, 45),
        "pleft": (11, 18), "pRight": (11, 18),
        "pBottom_left": (30, 19), "pBottom_middle": (18, 19), "pBottom_right": (17, 19)},
    6: uniform((21, 21), (16, 21), (21, 16)),
    7: uniform((70, 35), (40, 35), (35, 40)),
}
for shadow in (8, 9, 10, 11, 12, 15):
    SETS[shadow] = uniform((18, 12), (9, 12), (12, 9))
for shadow in (13, 14):
    SETS[shadow] = uniform((18, 12), (18, 12), (12, 18))

# Frame colours: saturated pairs that photographs rarely hold exactly.
FRAME_COLOURS = [((139, 69, 19), (222, 184, 135)), ((25, 25, 112), (100, 149, 237)),
                 ((0, 100, 0), (144, 238, 144)), ((128, 0, 0), (240, 128, 128)),
                 ((75, 0, 130), (216, 191, 216)), ((47, 79, 79), (176, 196, 222)),
                 ((184, 134, 11), (255, 228, 181)), ((60, 60, 60), (200, 200, 200))]


def png(path, width, height, pixel, alpha=False):
    """Writes pixel(x, y), an (r, g, b) or with alpha an (r, g, b, a) tuple, as an 8-bit PNG."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def frame_tile(dark, light, width, height):
    # A bevelled band: light stripes across a dark ground, one pattern that tiles in both axes.
    def pixel(x, y):
        return light if (x + y) % 6 < 2 else dark
    return pixel


def shadow_tile(level, width, height):
    # A soft grey edge on white: darker towards the image, lighter per shadow set.
    def pixel(x, y):
        depth = min(x, y, width - 1 - x, height - 1 - y)
        grey = min(255, 96 + 24 * level + 12 * depth)
        return (grey, grey, grey)
    return pixel


def mask(index):
    cx, cy = 400, 300
    def inside(x, y):
        dx, dy = x - cx, y - cy
        shapes = [
            lambda: (dx / 340) ** 2 + (dy / 250) ** 2 <= 1,              # ellipse
            lambda: dx * dx + dy * dy <= 250 * 250,                       # circle
            lambda: abs(dx) <= 340 and abs(dy) <= 240,                    # rectangle
            lambda: abs(dx) / 360 + abs(dy) / 270 <= 1,                   # diamond
            lambda: max(abs(dx) - 280, 0) ** 2 + max(abs(dy) - 180, 0) ** 2 <= 60 * 60,  # rounded
            lambda: math.hypot(dx, dy) <= 200 + 60 * math.cos(5 * math.atan2(dy, dx)),  # flower
            lambda: abs(dx) <= 360 and abs(dy) <= 260 and (abs(dx) + abs(dy)) % 80 < 70,  # lattice
            lambda: (dx / 380) ** 2 + (dy / 200) ** 2 <= 1,               # wide oval
        ]
        return shapes[index]()
    def pixel(x, y):
        return (0, 0, 0) if inside(x, y) else (255, 255, 255)
    return pixel


# The task pane's 16 x 16 icons: one plain glyph and colour per task, on white.
def icon_shapes():
    def box(x0, y0, x1, y1):
        return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1
    def outline(x0, y0, x1, y1):
        return lambda x, y: box(x0, y0, x1, y1)(x, y) and not box(x0 + 1, y0 + 1, x1 - 1, y1 - 1)(x, y)
    def disc(cx, cy, r):
        return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    def ring(cx, cy, r):
        return lambda x, y: r * r - 2 * r <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    def either(*shapes):
        return lambda x, y: any(shape(x, y) for shape in shapes)
    return {
        "resize": ((0, 102, 204), either(outline(1, 5, 10, 14), outline(1, 1, 14, 14))),
        "canvas": ((139, 90, 43), either(outline(0, 0, 15, 15), box(4, 4, 11, 11))),
        "crop": ((34, 139, 34), either(box(3, 0, 4, 12), box(3, 11, 15, 12), box(0, 3, 12, 4),
                                        box(11, 3, 12, 15))),
        "rotate": ((255, 140, 0), either(ring(8, 8, 7), box(11, 0, 15, 3))),
        "flip": ((70, 130, 180), either(lambda x, y: x < 7 and abs(y - 8) <= x,
                                         lambda x, y: x > 8 and abs(y - 8) <= 15 - x,
                                         box(7, 0, 8, 15))),
        "invert": ((0, 0, 0), either(lambda x, y: x + y < 15 and box(1, 1, 14, 14)(x, y),
                                      outline(1, 1, 14, 14))),
        "contrast": ((90, 90, 90), either(ring(8, 8, 7), lambda x, y: x <= 8 and disc(8, 8, 7)(x, y))),
        "sharpen": ((178, 34, 34), lambda x, y: y >= 2 and abs(x - 8) <= (y - 2) // 2 + 1 and y <= 14),
        "blur": ((100, 149, 237), either(disc(5, 6, 4), disc(10, 9, 5))),
        "brightness": ((218, 165, 32), either(disc(8, 8, 4), box(7, 0, 8, 2), box(7, 13, 8, 15),
                                              box(0, 7, 2, 8), box(13, 7, 15, 8))),
        "text": ((25, 25, 112), either(box(2, 1, 13, 3), box(7, 1, 8, 14), box(5, 13, 10, 14))),
        "watermark": ((0, 128, 128), either(outline(0, 0, 11, 11), box(5, 5, 15, 15))),
        "mask": ((75, 0, 130), lambda x, y: box(0, 0, 15, 15)(x, y) and not disc(8, 8, 6)(x, y)),
        "shadow": ((105, 105, 105), either(box(4, 4, 15, 15), outline(0, 0, 11, 11))),
        "frame": ((160, 82, 45), either(outline(0, 0, 15, 15), outline(1, 1, 14, 14),
                                         outline(4, 4, 11, 11))),
        "RedEye": ((220, 20, 60), either(ring(8, 8, 7), disc(8, 8, 3))),
        "multipage": ((0, 90, 160), either(outline(4, 0, 15, 11), outline(2, 2, 13, 13),
                                            box(0, 4, 11, 15))),
    }


def icon(colour, shape):
    return lambda x, y: colour if shape(x, y) else (255, 255, 255)


def main():
    os.makedirs(ICONS_OUT, exist_ok=True)
    for key, (colour, shape) in icon_shapes().items():
        png(os.path.join(ICONS_OUT, f"{key}.png"), 16, 16, icon(colour, shape))
    os.makedirs(OUT, exist_ok=True)
    for index, tiles in SETS.items():
        for name in TILES:
            width, height = tiles[name]
            if index < 8:
                dark, light = FRAME_COLOURS[index]
                draw = frame_tile(dark, light, width, height)
            else:
                draw = shadow_tile(index - 8, width, height)
            png(os.path.join(OUT, f"{name}_{index}.png"), width, height, draw)
    # Set 4's extra pieces: a contrasting plaque that marks where the side joins the corner.
    for name in ("left_top", "right_top", "left_bottom", "right_bottom"):
        png(os.path.join(OUT, f"{name}.png"), 18, 27,
            lambda x, y: (255, 215, 0) if (x // 3 + y // 3) % 2 else (75, 0, 130))
    for index in range(8):
        png(os.path.join(OUT, f"Mask_{index}.png"), 800, 600, mask(index))


if __name__ == "__main__":
    main()
