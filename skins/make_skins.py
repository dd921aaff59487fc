#!/usr/bin/python3
"""Draws the pictures of the sample skins into <out>/<skin>/ and copies each skin's
description beside them. Usage: make_skins.py <source skins folder> <out folder>."""
import math
import shutil
import sys
from pathlib import Path

from PIL import Image, ImageDraw

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "res" / "art"))
import artlib  # noqa: E402
from artlib import SUPERSAMPLE  # noqa: E402

WHITE = (255, 255, 255, 255)
STATES = (1.0, 0.75, 1.25)  # normal, pressed (darker), hot (lighter)


def restart_arrow(draw, size, colour):
    cx, cy, r = size / 2, size / 2, size * 0.24
    draw.arc((cx - r, cy - r, cx + r, cy + r), start=-30, end=270, fill=colour,
             width=round(size * 0.08))
    tip_angle = math.radians(-30)
    tip = (cx + r * math.cos(tip_angle), cy + r * math.sin(tip_angle))
    s = size * 0.1
    draw.polygon([(tip[0] - s, tip[1] - s * 0.2), (tip[0] + s, tip[1] - s * 0.2),
                  (tip[0], tip[1] + s)], fill=colour)


def power(draw, size, colour):
    artlib.power_symbol(draw, (size / 2, size * 0.53), size * 0.24, round(size * 0.08), colour)


def door(draw, size, colour):
    w = round(size * 0.07)
    draw.rectangle((size * 0.3, size * 0.22, size * 0.62, size * 0.78), outline=colour, width=w)
    draw.line([(size * 0.5, size * 0.5), (size * 0.82, size * 0.5)], fill=colour, width=w)
    s = size * 0.09
    draw.polygon([(size * 0.86, size * 0.5), (size * 0.76, size * 0.5 - s),
                  (size * 0.76, size * 0.5 + s)], fill=colour)


def moon(draw, size, colour):
    """A crescent: one disc with an offset disc taken out of it."""
    mask = Image.new("L", (size, size), 0)
    shape = ImageDraw.Draw(mask)
    r = size * 0.25
    cx, cy = size * 0.46, size / 2
    shape.ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
    ix, iy, ir = cx + r * 0.55, cy - r * 0.3, r * 0.8
    shape.ellipse((ix - ir, iy - ir, ix + ir, iy + ir), fill=0)
    draw.bitmap((0, 0), mask, fill=colour)


def snowflake(draw, size, colour):
    cx, cy, r = size / 2, size / 2, size * 0.26
    for i in range(3):
        a = math.radians(i * 60 + 90)
        draw.line([(cx - r * math.cos(a), cy - r * math.sin(a)),
                   (cx + r * math.cos(a), cy + r * math.sin(a))], fill=colour,
                  width=round(size * 0.06))


def two_people(draw, size, colour):
    for dx, scale in ((-0.12, 0.85), (0.1, 1.0)):
        cx = size * (0.5 + dx)
        r = size * 0.08 * scale
        draw.ellipse((cx - r, size * 0.34 - r, cx + r, size * 0.34 + r), fill=colour)
        draw.pieslice((cx - r * 2, size * 0.46, cx + r * 2, size * 0.46 + r * 4), 180, 360,
                      fill=colour)


# ----- Graphite: opaque buttons on a dark brushed-metal background, 313 x 198.

GRAPHITE_TOP = (70, 74, 82)
GRAPHITE_BOTTOM = (28, 30, 35)


def graphite_background():
    image = artlib.gradient((313, 198), GRAPHITE_TOP, GRAPHITE_BOTTOM).convert("RGB")
    draw = ImageDraw.Draw(image)
    for y in range(0, 198, 3):
        draw.line([(0, y), (312, y)], fill=tuple(c + 4 for c in image.getpixel((0, y))))
    draw.rectangle((0, 0, 312, 34), fill=(20, 22, 26))
    draw.line([(0, 35), (312, 35)], fill=(230, 140, 40))
    face = artlib.font(15)
    draw.text((14, 8), "Leave Windows", font=face, fill=(235, 235, 240))
    return image


def graphite_button(symbol, accent):
    size = 48
    strip = Image.new("RGB", (size, size * 3))
    for row, factor in enumerate(STATES):
        big = size * SUPERSAMPLE
        # The plate is opaque: its corners take the background's colour at that height.
        plate = Image.new("RGBA", (big, big), (46, 49, 55, 255))
        face = artlib.gradient((big, big), artlib.scale_colour((88, 92, 100), factor),
                               artlib.scale_colour((48, 50, 56), factor))
        mask = Image.new("L", (big, big), 0)
        ImageDraw.Draw(mask).rounded_rectangle((0, 0, big - 1, big - 1), radius=big // 6, fill=255)
        plate.paste(face, (0, 0), mask)
        draw = ImageDraw.Draw(plate)
        draw.rounded_rectangle((0, 0, big - 1, big - 1), radius=big // 6,
                               outline=artlib.scale_colour(accent, factor) + (255,),
                               width=SUPERSAMPLE * 2)
        symbol(draw, big, artlib.scale_colour(accent, factor) + (255,))
        strip.paste(artlib.shrink(plate, (size, size)).convert("RGB"), (0, row * size))
    return strip


def graphite_cancel():
    width, height = 72, 24
    strip = Image.new("RGB", (width, height * 3))
    for row, factor in enumerate(STATES):
        big = (width * SUPERSAMPLE, height * SUPERSAMPLE)
        plate = artlib.gradient(big, artlib.scale_colour((80, 84, 92), factor),
                                artlib.scale_colour((44, 46, 52), factor))
        draw = ImageDraw.Draw(plate)
        draw.rectangle((0, 0, big[0] - 1, big[1] - 1), outline=(140, 144, 150, 255),
                       width=SUPERSAMPLE)
        artlib.centred_text(draw, big, "Cancel", artlib.font(11 * SUPERSAMPLE), (235, 235, 240, 255))
        strip.paste(artlib.shrink(plate, (width, height)).convert("RGB"), (0, row * height))
    return strip


def graphite(out):
    graphite_background().save(out / "background.png")
    graphite_button(power, (235, 90, 70)).save(out / "turnoff.png")
    graphite_button(restart_arrow, (110, 200, 110)).save(out / "restart.png")
    graphite_button(door, (240, 170, 60)).save(out / "logoff.png")
    graphite_button(moon, (150, 180, 250)).save(out / "standby.png")
    graphite_cancel().save(out / "cancel.png")


# ----- Glass: translucent round buttons over a sky gradient, 420 x 160.

def glass_background():
    image = artlib.gradient((420, 160), (24, 120, 170), (10, 40, 90))
    bands = Image.new("RGBA", image.size, (0, 0, 0, 0))
    band_draw = ImageDraw.Draw(bands)
    # Soft diagonal light bands, so that the buttons' translucency shows.
    for i in range(-160, 420, 38):
        band_draw.polygon([(i, 0), (i + 14, 0), (i + 174, 160), (i + 160, 160)],
                          fill=(255, 255, 255, 22))
    image = Image.alpha_composite(image, bands).convert("RGB")
    draw = ImageDraw.Draw(image)
    draw.text((14, 10), "Quiescor", font=artlib.font(16), fill=(230, 245, 255))
    return image


def glass_button(symbol, tint):
    size = 56
    strip = Image.new("RGBA", (size, size * 3), (0, 0, 0, 0))
    for row, factor in enumerate(STATES):
        big = size * SUPERSAMPLE
        layer = Image.new("RGBA", (big, big), (0, 0, 0, 0))
        draw = ImageDraw.Draw(layer)
        colour = artlib.scale_colour(tint, factor)
        margin = SUPERSAMPLE * 3
        draw.ellipse((margin, margin, big - margin, big - margin), fill=colour + (120,),
                     outline=(255, 255, 255, 170), width=SUPERSAMPLE * 2)
        # A highlight on the upper half, fainter towards its bottom.
        draw.ellipse((big * 0.22, big * 0.12, big * 0.78, big * 0.45), fill=(255, 255, 255, 60))
        symbol(draw, big, (255, 255, 255, 235))
        strip.paste(artlib.shrink(layer, (size, size)), (0, row * size))
    return strip


# Cancel is white glass: lightening white changes nothing, so each state has a look of
# its own. Normal, pressed (dark and sunk by a pixel), hot (a lit blue that the pointer
# and the keyboard focus give it).
GLASS_CANCEL_STATES = (
    {"fill": (255, 255, 255, 70), "outline": (255, 255, 255, 180), "sink": 0},
    {"fill": (10, 30, 70, 150), "outline": (255, 255, 255, 120), "sink": 1},
    {"fill": (150, 210, 255, 160), "outline": (255, 255, 255, 255), "sink": 0},
)


def glass_cancel():
    width, height = 88, 28
    strip = Image.new("RGBA", (width, height * 3), (0, 0, 0, 0))
    for row, look in enumerate(GLASS_CANCEL_STATES):
        big = (width * SUPERSAMPLE, height * SUPERSAMPLE)
        layer = Image.new("RGBA", big, (0, 0, 0, 0))
        draw = ImageDraw.Draw(layer)
        draw.rounded_rectangle((SUPERSAMPLE, SUPERSAMPLE, big[0] - SUPERSAMPLE, big[1] - SUPERSAMPLE),
                               radius=big[1] // 2, fill=look["fill"], outline=look["outline"],
                               width=SUPERSAMPLE * 2)
        artlib.centred_text(draw, big, "Cancel", artlib.font(12 * SUPERSAMPLE), (255, 255, 255, 240),
                            shift=look["sink"] * SUPERSAMPLE)
        strip.paste(artlib.shrink(layer, (width, height)), (0, row * height))
    return strip


def glass(out):
    glass_background().save(out / "background.png")
    glass_button(power, (230, 60, 50)).save(out / "turnoff.png")
    glass_button(restart_arrow, (60, 190, 90)).save(out / "restart.png")
    glass_button(snowflake, (120, 160, 255)).save(out / "hibernate.png")
    glass_button(two_people, (250, 170, 40)).save(out / "switchuser.png")
    glass_cancel().save(out / "cancel.png")


def main():
    source, out = Path(sys.argv[1]), Path(sys.argv[2])
    for name, draw in (("Graphite", graphite), ("Glass", glass)):
        folder = out / name
        folder.mkdir(parents=True, exist_ok=True)
        draw(folder)
        shutil.copyfile(source / name / "quiescorskin.ini", folder / "quiescorskin.ini")


if __name__ == "__main__":
    main()
