"""Draws the pictures the tooltip tests load as resources: a 16 x 16 green icon and
an 8 x 4 bitmap, blue on the left half and magenta on the right."""
import struct
import sys
from pathlib import Path


def icon(size, bgra):
    pixels = bytes(bgra) * (size * size)
    mask_row = (size + 31) // 32 * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def bitmap(width, height, column_bgr):
    row = b"".join(column_bgr(x) for x in range(width))
    row += bytes((4 - len(row) % 4) % 4)
    pixels = row * height
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + pixels


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "tipicon.ico").write_bytes(icon(16, (0, 160, 0, 255)))
    blue, magenta = bytes((255, 0, 0)), bytes((255, 0, 255))
    (out / "tipbitmap.bmp").write_bytes(bitmap(8, 4, lambda x: blue if x < 4 else magenta))


main()
