#!/usr/bin/python3
"""Draws the built-in skin: the background bands, the six action icons in three
states, the title, the corner emblem, the Cancel button and the about-box picture.
The band colours and sizes are fixed: the default layout is placed on them."""
import math
import sys
from pathlib import Path

from PIL import Image, ImageDraw

import artlib
from artlib import SUPERSAMPLE

HEADER = (0, 51, 153)
HIGHLIGHT = (110, 150, 230)
BODY = (51, 102, 204)
ORANGE = ((250, 170, 60), (215, 110, 10))
RED = ((232, 70, 50), (165, 25, 15))
GREEN = ((90, 190, 80), (30, 125, 40))
WHITE = (255, 255, 255, 255)

ICON = 32
# Darker for pressed, lighter for hot.
STATE_FACTORS = (1.0, 0.72, 1.22)


def background():
    image = Image.new("RGB", (313, 198), HEADER)
    draw = ImageDraw.Draw(image)
    draw.rectangle((0, 43, 312, 44), fill=HIGHLIGHT)
    draw.rectangle((0, 45, 312, 154), fill=BODY)
    return image


def key_symbol(draw, big):
    colour = WHITE
    stroke = big * 0.09
    ring_c = (big * 0.36, big * 0.40)
    r = big * 0.15
    draw.ellipse((ring_c[0] - r, ring_c[1] - r, ring_c[0] + r, ring_c[1] + r), outline=colour,
                 width=round(stroke))
    # The shaft runs down to the right, with two teeth.
    angle = math.radians(40)
    start = (ring_c[0] + r * math.cos(angle), ring_c[1] + r * math.sin(angle))
    length = big * 0.38
    end = (start[0] + length * math.cos(angle), start[1] + length * math.sin(angle))
    draw.line([start, end], fill=colour, width=round(stroke))
    for t in (0.65, 0.9):
        base = (start[0] + length * t * math.cos(angle), start[1] + length * t * math.sin(angle))
        tooth = (base[0] + big * 0.09 * math.cos(angle - math.pi / 2),
                 base[1] + big * 0.09 * math.sin(angle - math.pi / 2))
        draw.line([base, tooth], fill=colour, width=round(stroke * 0.9))


def power(draw, big):
    artlib.power_symbol(draw, (big / 2, big * 0.53), big * 0.25, round(big * 0.09), WHITE)


def power_with_moon(draw, big):
    power(draw, big)
    r = big * 0.1
    cx, cy = big * 0.78, big * 0.24
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), fill=WHITE)


def power_with_sleep(draw, big):
    power(draw, big)
    z = big * 0.13
    x, y = big * 0.70, big * 0.14
    draw.line([(x, y), (x + z, y), (x, y + z), (x + z, y + z)], fill=WHITE,
              width=round(big * 0.05))


def ring_of_dashes(draw, big):
    cx, cy, r = big / 2, big / 2, big * 0.27
    for i in range(10):
        a = math.radians(i * 36 + 8)
        if i == 0:
            continue  # the gap shows the direction of turning
        p1 = (cx + r * math.cos(a), cy + r * math.sin(a))
        p2 = (cx + r * math.cos(a + math.radians(22)), cy + r * math.sin(a + math.radians(22)))
        draw.line([p1, p2], fill=WHITE, width=round(big * 0.09))
    tip = (cx + r * math.cos(math.radians(8)), cy + r * math.sin(math.radians(8)))
    s = big * 0.11
    draw.polygon([(tip[0] - s, tip[1]), (tip[0] + s, tip[1]), (tip[0], tip[1] - s * 1.2)],
                 fill=WHITE)


def opposite_arrows(draw, big):
    w = round(big * 0.08)
    head = big * 0.11
    for y, left_to_right in ((big * 0.38, True), (big * 0.62, False)):
        x1, x2 = big * 0.24, big * 0.76
        draw.line([(x1, y), (x2, y)], fill=WHITE, width=w)
        tip = x2 + head * 0.4 if left_to_right else x1 - head * 0.4
        back = tip - head * 1.3 if left_to_right else tip + head * 1.3
        draw.polygon([(tip, y), (back, y - head), (back, y + head)], fill=WHITE)


# Columns of the icon strip, left to right.
ICONS = [
    (ORANGE, key_symbol),        # log off
    (ORANGE, power_with_moon),   # stand by
    (ORANGE, power_with_sleep),  # hibernate
    (RED, power),                # turn off
    (GREEN, ring_of_dashes),     # restart
    (GREEN, opposite_arrows),    # switch user
]


def icon(colours, symbol, factor):
    top, bottom = (artlib.scale_colour(c, factor) for c in colours)
    tile = artlib.rounded_tile(ICON, top, bottom, radius_ratio=0.22, inset_ratio=1 / 32)
    symbol(ImageDraw.Draw(tile), tile.width)
    return artlib.shrink(tile, (ICON, ICON))


def icon_strip():
    strip = Image.new("RGB", (ICON * 6, ICON * 3), BODY)
    for column, (colours, symbol) in enumerate(ICONS):
        for row, factor in enumerate(STATE_FACTORS):
            picture = icon(colours, symbol, factor)
            strip.paste(picture, (column * ICON, row * ICON), picture)
    return strip


def title(words):
    width, height = 187, 38
    big = Image.new("RGBA", (width * SUPERSAMPLE, height * SUPERSAMPLE), (255, 255, 255, 0))
    draw = ImageDraw.Draw(big)
    face = artlib.font(17 * SUPERSAMPLE)
    draw.text((12 * SUPERSAMPLE, 9 * SUPERSAMPLE), words, font=face, fill=WHITE)
    return artlib.shrink(big, (width, height))


def emblem():
    """A flag on a pole, its cloth in four panes of the action colours, waving."""
    width, height = 48, 40
    big = Image.new("RGB", (width * SUPERSAMPLE, height * SUPERSAMPLE), HEADER)
    draw = ImageDraw.Draw(big)
    k = SUPERSAMPLE
    draw.rounded_rectangle((8 * k, 4 * k, 10 * k, 37 * k), radius=k, fill=(225, 230, 240))
    draw.ellipse((7 * k, 2 * k, 11 * k, 6 * k), fill=(250, 200, 60))
    panes = [(ORANGE[0], 0, 0), (RED[0], 1, 0), (GREEN[0], 0, 1), ((120, 190, 255), 1, 1)]
    left, top, pane_w, pane_h, wave = 11 * k, 6 * k, 15 * k, 10 * k, 2.5 * k

    def y_at(x, y):
        t = (x - left) / (2 * pane_w)
        return y + wave * math.sin(t * 2 * math.pi) * t

    for colour, column, row in panes:
        x0 = left + column * pane_w
        y0 = top + row * pane_h
        edge = [(x0 + pane_w * i / 16, y_at(x0 + pane_w * i / 16, y0)) for i in range(17)]
        bottom = [(x, y_at(x, y0 + pane_h)) for x, _ in reversed(edge)]
        draw.polygon(edge + bottom, fill=colour)
    return artlib.shrink(big, (width, height)).convert("RGB")


def cancel_button():
    width, state_height = 73, 21
    states = [((240, 240, 244), (200, 204, 214), (30, 30, 40)),
              ((170, 174, 186), (205, 208, 218), (20, 20, 30)),
              ((255, 255, 255), (222, 232, 250), (0, 40, 140))]
    image = Image.new("RGBA", (width, state_height * 3), (0, 0, 0, 0))
    for row, (top, bottom, ink) in enumerate(states):
        big_size = (width * SUPERSAMPLE, state_height * SUPERSAMPLE)
        big = Image.new("RGBA", big_size, (0, 0, 0, 0))
        mask = Image.new("L", big_size, 0)
        ImageDraw.Draw(mask).rounded_rectangle((0, 0, big_size[0] - 1, big_size[1] - 1),
                                               radius=6 * SUPERSAMPLE, fill=255)
        big.paste(artlib.gradient(big_size, top, bottom), (0, 0), mask)
        draw = ImageDraw.Draw(big)
        draw.rounded_rectangle((0, 0, big_size[0] - 1, big_size[1] - 1), radius=6 * SUPERSAMPLE,
                               outline=(20, 40, 110, 255), width=SUPERSAMPLE)
        # The pressed state's word sits one pixel lower and to the right.
        artlib.centred_text(draw, big_size, "Cancel", artlib.font(11 * SUPERSAMPLE), ink + (255,),
                            SUPERSAMPLE if row == 1 else 0)
        image.paste(artlib.shrink(big, (width, state_height)), (0, row * state_height))
    return image


def about_picture():
    size = 48
    big = Image.new("RGBA", (size * SUPERSAMPLE, size * SUPERSAMPLE), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)
    s = big.width
    artlib.power_symbol(draw, (s / 2, s * 0.54), s * 0.34, round(s * 0.12), (210, 30, 30, 255))
    return artlib.shrink(big, (size, size))


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    icon_strip().save(out / "icons.png")
    background().save(out / "background.png")
    title("Turn off computer").save(out / "title.png")
    emblem().save(out / "emblem.png")
    cancel_button().save(out / "cancel.png")
    about_picture().save(out / "about.png")


if __name__ == "__main__":
    main()
