#!/usr/bin/env python3
"""Writes the default settings record, member by member as the file layout table lists them.

Usage: default_setup_record.py OUTPUT FOLDER TWIPS_PER_PIXEL [OFFSETS]
FOLDER stands for the three members whose default is the program's folder. OFFSETS, when given,
receives "member offset" lines for the list options the settings dialog writes.
Kept apart from the program's own member list so that each checks the other.
"""
import struct
import sys


def main():
    out, folder, twips = sys.argv[1], sys.argv[2], int(sys.argv[3])
    rec = bytearray()
    offsets = []

    def at(name): offsets.append(f"{name} {len(rec)}")

    def byte(v): rec.extend(struct.pack("<B", v))
    def i16(v): rec.extend(struct.pack("<h", v))
    def i32(v): rec.extend(struct.pack("<i", v))
    def u32(v): rec.extend(struct.pack("<I", v))
    def b16(v): rec.extend(b"\xff\xff" if v else b"\x00\x00")
    def dbl(v): rec.extend(struct.pack("<d", v))

    def text(v):
        data = v.encode("utf-8")
        rec.extend(struct.pack("<H", len(data)))
        rec.extend(data)

    sys14, sys8, sys9 = 0x8000000E, 0x80000008, 0x80000009
    # SaveFormatOptions
    text("tif"); i32(0); i16(80); byte(0); byte(1); i16(20)
    byte(0); byte(0); u32(sys14); i32(1)
    i32(0); byte(0); u32(sys14)
    byte(1); i32(0)
    i16(0); i32(0)
    byte(1); byte(0); byte(0)
    # BatchNamingOptions
    byte(1); i16(20); byte(0); text(""); text(""); text("_"); text("_"); i16(0)
    text("Sample"); text("[Starting 1]"); byte(0); text(folder); byte(1); b16(False); byte(1)
    # TooltipOptions, WindowOptions, SplitterOptions, BrowseOptions, PreviewOptions
    at("TooltipOptions.ShowTooltips"); byte(1)
    i32(640 * twips); i32(480 * twips); byte(0)
    i16(70); i16(30); i16(50); i16(50)
    text(folder)
    byte(0); byte(1)
    # FolderListOptions
    i32(0)
    for _ in range(8): i16(100)
    at("FolderListOptions.FullRowSelect"); b16(False)
    at("FolderListOptions.ThumbnailWidth"); i16(40)
    at("FolderListOptions.ThumbnailHeight"); i16(40)
    at("FolderListOptions.FileSizeFormat"); byte(0)
    # BasketListOptions
    for _ in range(5): i16(100)
    at("BasketListOptions.FullRowSelect"); b16(False)
    at("BasketListOptions.ThumbnailWidth"); i16(40)
    at("BasketListOptions.ThumbnailHeight"); i16(40)
    i32(0); i32(0); text(folder)
    # MetadataListOptions
    i16(100); i16(200); i16(100); i16(200)
    # TaskOptions
    byte(0); byte(1); byte(0); i16(50)                   # Resize
    u32(sys14); i16(10); i16(10); i16(10); i16(10)       # Canvas
    i16(0); byte(0); u32(sys14)                          # Rotate
    i16(50); byte(1); byte(1); byte(1)                   # Contrast
    i16(50); byte(1); byte(1); byte(1)                   # Brightness
    i16(1)                                               # Blur
    byte(1)                                              # Sharpen
    byte(1); byte(0)                                     # Crop
    text("Sample"); byte(1); u32(sys14); i16(0); i16(0); i16(0); i16(14); u32(sys8)
    byte(0); byte(0); byte(0); i16(0); byte(0); byte(0)  # Text
    byte(0)                                              # Flip
    byte(1); i16(0); u32(sys9); i16(50); text("")        # Watermark
    byte(0); i16(20); u32(sys14); i16(0); byte(1)        # Frame
    i16(0); byte(1); i16(0)                              # Mask
    i16(0)                                               # Shadow
    # ScreensaverOptions, SlideShowSettings, GreetingOptions
    byte(1); i16(80)
    i32(0); i16(3); byte(1); i16(80)
    byte(1); i16(80)
    # PrintOptions
    i32(-1); i32(0); byte(0); dbl(0.0); dbl(0.0); i32(1); dbl(100.0); byte(0); b16(False); b16(False)

    with open(out, "wb") as f:
        f.write(rec)
    if len(sys.argv) > 4:
        with open(sys.argv[4], "w") as f:
            f.write("\n".join(offsets) + "\n")


if __name__ == "__main__":
    main()
