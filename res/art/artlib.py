"""Drawing helpers shared by the art scripts. Everything is drawn large and scaled
down, which gives clean anti-aliased edges at icon sizes."""
from PIL import Image, ImageDraw, ImageFont

SUPERSAMPLE = 8
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def gradient(size, top, bottom):
    width, height = size
    image = Image.new("RGBA", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        draw.line([(0, y), (width - 1, y)], fill=colour + (255,))
    return image


def rounded_tile(size, top, bottom, radius_ratio=0.2, inset_ratio=1 / 16):
    """A vertical-gradient tile with rounded corners on a transparent ground, at
    supersampled size."""
    big = size * SUPERSAMPLE
    tile = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    mask = Image.new("L", (big, big), 0)
    inset = round(big * inset_ratio)
    ImageDraw.Draw(mask).rounded_rectangle(
        (inset, inset, big - inset - 1, big - inset - 1), radius=round(big * radius_ratio), fill=255)
    tile.paste(gradient((big, big), top, bottom), (0, 0), mask)
    return tile


def power_symbol(draw, centre, radius, stroke, colour):
    """The IEC power symbol: a ring open at the top with a bar through the gap."""
    cx, cy = centre
    draw.arc((cx - radius, cy - radius, cx + radius, cy + radius), start=-60, end=240,
             fill=colour, width=stroke)
    draw.rounded_rectangle((cx - stroke / 2, cy - radius - stroke * 0.7, cx + stroke / 2, cy),
                           radius=stroke / 2, fill=colour)


def shrink(image, size):
    return image.resize(size, Image.LANCZOS)


def font(size, bold=True):
    return ImageFont.truetype(FONT_BOLD if bold else FONT, size)


def centred_text(draw, size, text, face, fill, shift=0):
    """Draws text centred in an area of the given size, moved right and down by shift."""
    box = draw.textbbox((0, 0), text, font=face)
    x = (size[0] - (box[2] - box[0])) / 2 - box[0] + shift
    y = (size[1] - (box[3] - box[1])) / 2 - box[1] + shift
    draw.text((x, y), text, font=face, fill=fill)


def scale_colour(colour, factor):
    """Darker below 1, lighter (towards white) above 1."""
    if factor <= 1:
        return tuple(round(c * factor) for c in colour)
    return tuple(round(c + (255 - c) * (factor - 1)) for c in colour)
