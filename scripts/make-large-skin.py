#!/usr/bin/python3
"""Makes a skin of 4000 x 3000 pixels out of a built sample skin, to show the exit window
fitted to a smaller screen. Usage: make-large-skin.py <sample skin folder> <out folder>."""
import configparser
import sys
from pathlib import Path

from PIL import Image

WIDTH, HEIGHT = 4000, 3000


def stretched_button(path, scale):
    """The three stacked states of a button, each grown on its own."""
    image = Image.open(path).convert("RGBA")
    band = image.height // 3
    size = (round(image.width * scale), round(band * scale))
    grown = Image.new("RGBA", (size[0], size[1] * 3))
    for state in range(3):
        piece = image.crop((0, state * band, image.width, (state + 1) * band))
        grown.paste(piece.resize(size, Image.LANCZOS), (0, state * size[1]))
    return grown


def main():
    source, out = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    description = configparser.ConfigParser()
    description.optionxform = str
    description.read(source / "quiescorskin.ini")
    images, points = description["images"], description["points"]
    background = Image.open(source / images["BackGround"]).convert("RGBA")
    across, down = WIDTH / background.width, HEIGHT / background.height
    background.resize((WIDTH, HEIGHT), Image.LANCZOS).save(out / "background.png")
    lines = ["[general]", "Name=Large", "[images]", "BackGround=background.png"]
    places = ["[points]"]
    for key, file in images.items():
        if key == "BackGround":
            continue
        stretched_button(source / file, min(across, down)).save(out / file)
        lines.append(f"{key}={file}")
        x, y = (int(value) for value in points[key].split(","))
        places.append(f"{key}={round(x * across)},{round(y * down)}")
    (out / "quiescorskin.ini").write_text("\r\n".join(lines + places) + "\r\n")


if __name__ == "__main__":
    main()
