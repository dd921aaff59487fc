#!/usr/bin/python3
"""Draws the plug-in's icons (a power symbol on a rounded tile) and writes them as
.ico files with 16 and 32 pixel images, each a 32-bit DIB with its AND mask, the
form every Windows version reads."""
import struct
import sys
from pathlib import Path

from PIL import ImageDraw

import artlib

# name: (tile top colour, tile bottom colour, symbol colour)
ICONS = {
    "button": ((214, 48, 38), (150, 20, 16), (255, 255, 255)),
    "dark": ((70, 76, 88), (30, 33, 40), (235, 238, 242)),
    "green": ((60, 170, 70), (24, 110, 36), (255, 255, 255)),
}


def draw_icon(size, top, bottom, symbol):
    tile = artlib.rounded_tile(size, top, bottom)
    big = tile.width
    draw = ImageDraw.Draw(tile)
    stroke = max(artlib.SUPERSAMPLE * 2, round(big * 0.085))
    artlib.power_symbol(draw, (big / 2, big / 2 + big * 0.03), big * 0.27, stroke, symbol + (255,))
    return artlib.shrink(tile, (size, size))


def dib_entry(image):
    size = image.width
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b, a = image.getpixel((x, y))
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((size + 31) // 32) * 4
    mask_rows = []
    for y in reversed(range(size)):
        bits = bytearray(mask_stride)
        for x in range(size):
            if image.getpixel((x, y))[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + b"".join(rows) + b"".join(mask_rows)


def write_ico(path, images):
    entries = [dib_entry(image) for image in images]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for image, data in zip(images, entries):
        out += struct.pack("<BBBBHHII", image.width, image.height, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    Path(path).write_bytes(out)


def main():
    out_dir = Path(sys.argv[1])
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, (top, bottom, symbol) in ICONS.items():
        write_ico(out_dir / f"{name}.ico", [draw_icon(s, top, bottom, symbol) for s in (16, 32)])


if __name__ == "__main__":
    main()
