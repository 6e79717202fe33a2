#!/usr/bin/env python3
"""Writes a generated-executable package from its layout table alone, as an outside referee.

write_package.py OUT TEMPLATE [--options BACKCOLOR INTERVAL] [NAME=JPEG ...]

Regions back to back: the template, each JPEG, for a slide show the 6-byte options record
(int32 colour, int16 seconds, little-endian), the index text (lines "name;offset;length;" CR LF
and, for a slide show, "OPTIONS;offset;" CR LF last), then 17 trailer bytes: int16 8, int32 11,
the index offset in ten left-aligned space-padded digits, a zero byte.
"""
import struct
import sys


def main(argv):
    out, template, rest = argv[1], argv[2], argv[3:]
    options = None
    if rest[:1] == ["--options"]:
        options = (int(rest[1], 0), int(rest[2]))
        rest = rest[3:]
    data = bytearray(open(template, "rb").read())
    index = b""
    for item in rest:
        name, path = item.split("=", 1)
        jpeg = open(path, "rb").read()
        index += b"%s;%d;%d;\r\n" % (name.encode("utf-8"), len(data), len(jpeg))
        data += jpeg
    if options is not None:
        index += b"OPTIONS;%d;\r\n" % len(data)
        data += struct.pack("<ih", options[0] - (1 << 32) if options[0] >= 1 << 31 else options[0],
                            options[1])
    index_offset = len(data)
    data += index
    data += struct.pack("<hi", 8, 11) + str(index_offset).ljust(10).encode("ascii") + b"\0"
    open(out, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv)
