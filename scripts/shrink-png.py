"""Stores a screenshot as small as it goes without changing a pixel: usage
shrink-png.py <in.png> <out.png>. A picture of at most 256 colours becomes a palette
picture; every picture is written with the best compression and no extra chunks, and
read back to make sure that it still holds the same pixels."""
import sys

from PIL import Image


def shrink(source, target):
    with Image.open(source) as opened:
        rgb = opened.convert("RGB")
    image = rgb
    colours = rgb.getcolors(256)
    if colours is not None:
        index = {colour: i for i, (_, colour) in enumerate(colours)}
        image = Image.new("P", rgb.size)
        image.putpalette([channel for _, colour in colours for channel in colour])
        image.putdata([index[pixel] for pixel in rgb.getdata()])
    image.save(target, "PNG", optimize=True)
    with Image.open(target) as written:
        if written.convert("RGB").tobytes() != rgb.tobytes():
            sys.exit(f"shrink-png: {target} does not hold the pixels of {source}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: shrink-png.py <in.png> <out.png>")
    shrink(sys.argv[1], sys.argv[2])
