#!/usr/bin/env python3
"""Draws the editor's frame tiles, the four extra pieces of frame set 4 and the eight masks.

The pictures are our own: plain geometric patterns at the sizes the frame layout expects. Run
from the repository root; the PNG files land in app/tasks/artwork and are compiled in as Qt
resources. Standard library only, so the output is the same on every machine.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "tasks", "artwork")

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


def main():
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
