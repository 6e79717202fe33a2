#!/usr/bin/env python3
"""Draws the pictures of the workbench's buttons and status panels, one 16 x 16 PNG each.

The pictures are our own: small shapes on a transparent ground, named after the picture each
button takes. Run from anywhere; the files land in app/shell/pictures and are compiled in as Qt
resources. Standard library only, so the output is the same on every machine.
"""
import math
import os

from make_task_artwork import png

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "shell", "pictures")
SIZE = 16

INK = (40, 40, 48)
PAPER = (252, 252, 246)
BLUE = (40, 90, 190)
LIGHT_BLUE = (150, 190, 240)
GREEN = (30, 140, 60)
RED = (200, 40, 40)
YELLOW = (235, 190, 60)
DARK_YELLOW = (170, 120, 20)
GREY = (130, 130, 140)
LIGHT_GREY = (200, 200, 205)
BROWN = (150, 100, 50)
SKY = (120, 180, 230)
MEADOW = (80, 160, 70)


class Canvas:
    def __init__(self):
        self.px = [[None] * SIZE for _ in range(SIZE)]

    def dot(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def box(self, x0, y0, x1, y1, c, inside=None):
        if inside is not None:
            self.fill(x0, y0, x1, y1, inside)
        for x in range(x0, x1 + 1):
            self.dot(x, y0, c)
            self.dot(x, y1, c)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, c)
            self.dot(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def disc(self, cx, cy, r, c):
        for y in range(SIZE):
            for x in range(SIZE):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, c)

    def ring(self, cx, cy, r, c, start=0, end=360):
        for i in range(720):
            a = math.radians(start + (end - start) * i / 719)
            self.dot(round(cx + r * math.cos(a)), round(cy - r * math.sin(a)), c)

    def triangle(self, pts, c):
        (ax, ay), (bx, by), (cx_, cy_) = pts
        def side(px, py, qx, qy, x, y):
            return (qx - px) * (y - py) - (qy - py) * (x - px)
        for y in range(SIZE):
            for x in range(SIZE):
                d1 = side(ax, ay, bx, by, x, y)
                d2 = side(bx, by, cx_, cy_, x, y)
                d3 = side(cx_, cy_, ax, ay, x, y)
                if (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0):
                    self.dot(x, y, c)


# ---- shapes several pictures share

def page(cv, x0=3, y0=1, x1=12, y1=14):
    cv.box(x0, y0, x1, y1, INK, PAPER)
    cv.triangle(((x1 - 3, y0), (x1, y0), (x1, y0 + 3)), None)
    cv.line(x1 - 3, y0, x1 - 3, y0 + 3, INK)
    cv.line(x1 - 3, y0 + 3, x1, y0 + 3, INK)
    cv.line(x1 - 3, y0, x1, y0 + 3, INK)


def text_lines(cv, x0, x1, ys):
    for y in ys:
        cv.line(x0, y, x1, y, GREY)


def plus(cv, cx, cy, c=GREEN):
    cv.fill(cx - 3, cy - 1, cx + 3, cy + 1, c)
    cv.fill(cx - 1, cy - 3, cx + 1, cy + 3, c)


def landscape(cv, x0, y0, x1, y1):
    cv.box(x0, y0, x1, y1, INK, SKY)
    cv.triangle(((x0 + 1, y1 - 1), (x0 + 5, y0 + 4), (x0 + 9, y1 - 1)), MEADOW)
    cv.triangle(((x0 + 5, y1 - 1), (x0 + 9, y0 + 6), (x1 - 1, y1 - 1)), GREEN)
    cv.disc(x1 - 3, y0 + 3, 1.5, YELLOW)


def floppy(cv):
    cv.box(1, 1, 14, 14, INK, BLUE)
    cv.fill(4, 2, 11, 6, PAPER)
    cv.fill(9, 3, 10, 5, INK)
    cv.fill(3, 9, 12, 13, LIGHT_GREY)


def folder(cv, open_=False):
    cv.box(1, 3, 6, 5, DARK_YELLOW, YELLOW)
    cv.box(1, 5, 14, 13, DARK_YELLOW, YELLOW)
    if open_:
        cv.triangle(((3, 8), (15, 8), (13, 13)), DARK_YELLOW)
        cv.triangle(((3, 8), (13, 13), (1, 13)), DARK_YELLOW)
        cv.line(3, 8, 15, 8, INK)


def printer(cv):
    cv.box(4, 1, 11, 6, INK, PAPER)
    cv.box(1, 6, 14, 11, INK, LIGHT_GREY)
    cv.dot(12, 8, GREEN)
    cv.box(4, 10, 11, 14, INK, PAPER)
    text_lines(cv, 5, 10, [12])


def basket(cv):
    cv.triangle(((1, 6), (14, 6), (12, 14)), BROWN)
    cv.triangle(((1, 6), (12, 14), (3, 14)), BROWN)
    for x in (4, 7, 10):
        cv.line(x, 7, x, 13, DARK_YELLOW)
    cv.line(1, 6, 14, 6, INK)
    cv.ring(7.5, 6, 4.5, INK, 0, 180)


def arrow(cv, right):
    if right:
        cv.triangle(((4, 2), (12, 8), (4, 14)), GREEN)
    else:
        cv.triangle(((11, 2), (3, 8), (11, 14)), GREEN)


# ---- the pictures, by the name of the picture each button or panel takes

def pic_save_multi_page(cv):
    page(cv, 6, 0, 14, 10)
    page(cv, 3, 3, 11, 13)
    page(cv, 0, 6, 8, 15)


def pic_detail_folder(cv):
    for y in (2, 6, 10, 14):
        cv.fill(1, y - 1, 3, y + 1, BLUE)
        cv.line(5, y, 14, y, INK)


def pic_thumbnail_folder(cv):
    for x, y in ((1, 1), (9, 1), (1, 9), (9, 9)):
        cv.box(x, y, x + 5, y + 5, INK, LIGHT_BLUE)


def pic_add_to_queue(cv):
    basket(cv)
    plus(cv, 11, 4)


def pic_browse_settings(cv):
    for i in range(8):
        a = math.radians(i * 45)
        cv.disc(7.5 + 5.5 * math.cos(a), 7.5 + 5.5 * math.sin(a), 1.5, GREY)
    cv.disc(7.5, 7.5, 5, GREY)
    cv.disc(7.5, 7.5, 2, PAPER)
    cv.ring(7.5, 7.5, 2, INK)


def pic_browse_about(cv):
    cv.disc(7.5, 7.5, 7, BLUE)
    cv.fill(7, 3, 8, 4, PAPER)
    cv.fill(7, 6, 8, 12, PAPER)


def pic_preview_view(cv):
    cv.disc(6, 6, 4.5, LIGHT_BLUE)
    cv.ring(6, 6, 5, INK)
    for d in range(3):
        cv.line(9 + d, 10, 13 + d, 14, BROWN)


def pic_preview_previous(cv):
    arrow(cv, False)


def pic_preview_next(cv):
    arrow(cv, True)


def pic_preview_type(cv):
    landscape(cv, 1, 2, 14, 13)


def pic_preview_save(cv):
    floppy(cv)


def pencil(cv, x0=2, y0=13, length=10):
    for d in range(-1, 2):
        cv.line(x0 + 2 + d, y0 - 2, x0 + 2 + length + d, y0 - 2 - length, YELLOW)
    cv.line(x0 + 1, y0 - 1, x0 + 1 + length, y0 - 1 - length, DARK_YELLOW)
    cv.triangle(((x0, y0), (x0 + 3, y0 - 1), (x0 + 1, y0 - 3)), INK)


def pic_preview_edit(cv):
    pencil(cv)


def pic_preview_print(cv):
    printer(cv)


def pic_batch_print(cv):
    printer(cv)
    cv.box(0, 0, 3, 3, INK, PAPER)


def pic_twain_acquire(cv):
    cv.box(1, 4, 14, 8, INK, LIGHT_GREY)
    cv.line(2, 6, 13, 6, GREEN)
    cv.box(1, 9, 14, 13, INK, GREY)
    cv.fill(10, 11, 12, 11, GREEN)


def pic_capture(cv):
    cv.box(1, 4, 14, 13, INK, GREY)
    cv.fill(4, 2, 7, 3, INK)
    cv.disc(8, 8.5, 3.5, INK)
    cv.disc(8, 8.5, 2, LIGHT_BLUE)
    cv.dot(12, 6, YELLOW)


def pic_metadata_edit(cv):
    page(cv, 1, 1, 10, 14)
    text_lines(cv, 3, 8, [6, 8, 10])
    pencil(cv, 6, 15, 8)


def pic_metadata_add(cv):
    page(cv, 1, 1, 10, 14)
    text_lines(cv, 3, 8, [6, 8, 10])
    plus(cv, 11, 11)


def icon_reset(cv):
    cv.ring(7.5, 8, 5.5, BLUE, 30, 330)
    cv.ring(7.5, 8, 4.5, BLUE, 30, 330)
    cv.triangle(((10, 1), (15, 5), (10, 7)), BLUE)


def icon_original_image(cv):
    landscape(cv, 1, 3, 14, 14)
    cv.fill(0, 0, 5, 4, RED)
    cv.fill(2, 1, 3, 3, PAPER)


def icon_editbar_new(cv):
    page(cv)


def icon_editbar_open(cv):
    folder(cv, open_=True)


def icon_editbar_save(cv):
    floppy(cv)


def icon_editbar_remove(cv):
    for d in range(-1, 1):
        cv.line(3 + d, 3, 12 + d, 12, RED)
        cv.line(12 + d, 3, 3 + d, 12, RED)
        cv.line(3, 3 + d + 1, 12, 12 + d + 1, RED)
        cv.line(12, 3 + d + 1, 3, 12 + d + 1, RED)


def i_detail_icon(cv):
    page(cv, 2, 0, 13, 15)
    landscape(cv, 4, 6, 11, 12)


def img_queue(cv):
    basket(cv)


def img_metadata(cv):
    cv.triangle(((1, 8), (5, 3), (5, 13)), YELLOW)
    cv.fill(5, 3, 14, 13, YELLOW)
    cv.line(5, 3, 14, 3, DARK_YELLOW)
    cv.line(5, 13, 14, 13, DARK_YELLOW)
    cv.line(14, 3, 14, 13, DARK_YELLOW)
    cv.line(1, 8, 5, 3, DARK_YELLOW)
    cv.line(1, 8, 5, 13, DARK_YELLOW)
    cv.disc(5, 8, 1.2, PAPER)
    text_lines(cv, 8, 12, [6, 8, 10])


def img_folder(cv):
    folder(cv)


PICTURES = {
    "picSaveMultiPage": pic_save_multi_page,
    "picDetailFolder": pic_detail_folder,
    "picThumbnailFolder": pic_thumbnail_folder,
    "picAddToQueue": pic_add_to_queue,
    "picBrowseSettings": pic_browse_settings,
    "picBrowseAbout": pic_browse_about,
    "picPreviewView": pic_preview_view,
    "picPreviewPrevious": pic_preview_previous,
    "picPreviewNext": pic_preview_next,
    "picPreviewType": pic_preview_type,
    "picPreviewSave": pic_preview_save,
    "picPreviewEdit": pic_preview_edit,
    "picPreviewPrint": pic_preview_print,
    "picBatchPrint": pic_batch_print,
    "picTwainAcquire": pic_twain_acquire,
    "picCapture": pic_capture,
    "picMetadataEdit": pic_metadata_edit,
    "picMetadataAdd": pic_metadata_add,
    "IconReset": icon_reset,
    "IconOriginalImage": icon_original_image,
    "IconEditbarNew": icon_editbar_new,
    "IconEditbarOpen": icon_editbar_open,
    "IconEditbarSave": icon_editbar_save,
    "IconEditbarRemove": icon_editbar_remove,
    "iDetailIcon": i_detail_icon,
    "imgQueue": img_queue,
    "imgMetadata": img_metadata,
    "imgFolder": img_folder,
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, draw in PICTURES.items():
        cv = Canvas()
        draw(cv)
        png(os.path.join(OUT, name + ".png"), SIZE, SIZE,
            lambda x, y, cv=cv: (0, 0, 0, 0) if cv.px[y][x] is None else (*cv.px[y][x], 255),
            alpha=True)


if __name__ == "__main__":
    main()
