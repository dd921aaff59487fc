#!/usr/bin/python3
"""Draws the plug-in's icons (a power symbol on a rounded tile) and writes them as
.ico files with 16 and 32 pixel images, each a 32-bit DIB with its AND mask, the
form every Windows version reads."""
import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw

SUPERSAMPLE = 8

# name: (tile top colour, tile bottom colour, symbol colour)
ICONS = {
    "button": ((214, 48, 38), (150, 20, 16), (255, 255, 255)),
    "dark": ((70, 76, 88), (30, 33, 40), (235, 238, 242)),
    "green": ((60, 170, 70), (24, 110, 36), (255, 255, 255)),
}


def draw_icon(size, top, bottom, symbol):
    big = size * SUPERSAMPLE
    tile = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    gradient = Image.new("RGBA", (big, big))
    pixels = gradient.load()
    for y in range(big):
        t = y / (big - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,)
        for x in range(big):
            pixels[x, y] = colour
    mask = Image.new("L", (big, big), 0)
    inset = big // 16
    ImageDraw.Draw(mask).rounded_rectangle(
        (inset, inset, big - inset - 1, big - inset - 1), radius=big // 5, fill=255)
    tile.paste(gradient, (0, 0), mask)

    draw = ImageDraw.Draw(tile)
    centre = big / 2
    radius = big * 0.27
    stroke = max(SUPERSAMPLE * 2, round(big * 0.085))
    box = (centre - radius, centre - radius + big * 0.03, centre + radius, centre + radius + big * 0.03)
    # The ring opens at the top, where the bar stands.
    draw.arc(box, start=-60, end=240, fill=symbol + (255,), width=stroke)
    bar_top = centre - radius - big * 0.06
    bar_bottom = centre + big * 0.02
    draw.rounded_rectangle(
        (centre - stroke / 2, bar_top, centre + stroke / 2, bar_bottom),
        radius=stroke / 2, fill=symbol + (255,))
    return tile.resize((size, size), Image.LANCZOS)


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
