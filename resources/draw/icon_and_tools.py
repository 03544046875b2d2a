#!/usr/bin/env python3
"""Draws the application icon and the four tool-button pictures.

Each picture is pixel art in the 16 colours of the classic VGA palette, one
character per pixel; '.' is transparent. Run from anywhere:
    python3 resources/draw/icon_and_tools.py
The PNGs land in resources/ beside the resource file. Only the standard
library is used, so the pictures can be redrawn on any machine.
"""
import vector_art
from pixel_art import canvas, write_png


def stamp(picture, art, left, top):
    """Copies the opaque pixels of art onto picture at left, top."""
    for dy, row in enumerate(art):
        for dx, pixel in enumerate(row):
            if pixel != ".":
                picture[top + dy][left + dx] = pixel


def frame(picture, ring_colours):
    """Rings from the outside in, one pixel wide each."""
    size = len(picture)
    for inset, colour in enumerate(ring_colours):
        last = size - 1 - inset
        for i in range(inset, last + 1):
            picture[inset][i] = picture[last][i] = colour
            picture[i][inset] = picture[i][last] = colour


# --- The application icon: a red N with a small arrow pointing down to a
# red nn, one text turning into another, on black framed in red and green.

ICON_16_N = [
    "r...r",
    "rr..r",
    "r.r.r",
    "r..rr",
    "r...r",
]
ICON_16_ARROW = [
    ".r.",
    ".r.",
    ".r.",
    "rrr",
    ".r.",
]
ICON_16_n = [
    "rr.",
    "r.r",
    "r.r",
    "r.r",
]

ICON_32_N = [
    "rrr.....rr",
    "rrrr....rr",
    "rr.rr...rr",
    "rr.rr...rr",
    "rr..rr..rr",
    "rr..rr..rr",
    "rr...rr.rr",
    "rr...rr.rr",
    "rr....rrrr",
    "rr.....rrr",
]
ICON_32_ARROW = [
    "..rrr..",
    "..rrr..",
    "..rrr..",
    "..rrr..",
    "rrrrrrr",
    ".rrrrr.",
    "..rrr..",
    "...r...",
]
ICON_32_n = [
    "rr.rrr.",
    "rrrr.rr",
    "rrr..rr",
    "rr...rr",
    "rr...rr",
    "rr...rr",
    "rr...rr",
    "rr...rr",
]


def icon_16():
    picture = canvas(16, 16, "k")
    frame(picture, "rg")
    stamp(picture, ICON_16_N, 3, 3)
    stamp(picture, ICON_16_ARROW, 10, 3)
    stamp(picture, ICON_16_n, 4, 9)
    stamp(picture, ICON_16_n, 9, 9)
    return picture


def icon_32():
    picture = canvas(32, 32, "k")
    frame(picture, "rrgg")
    stamp(picture, ICON_32_N, 6, 6)
    stamp(picture, ICON_32_ARROW, 19, 7)
    stamp(picture, ICON_32_n, 7, 19)
    stamp(picture, ICON_32_n, 18, 19)
    return picture


# The same icon drawn as shapes on 32 x 32 units, for 64 pixels and up and
# the scalable icon: the 32 pixel icon's layout with smooth strokes.

def icon_n(left):
    """A lower-case n, 7 units wide, from y 19 to 27."""
    return [vector_art.rect(left, 19, left + 2, 27),
            vector_art.upper_half_ring(left + 3.5, 22.5, 3.5, 1.5),
            vector_art.rect(left + 5, 22.5, left + 7, 27)]


def icon_shapes():
    shapes = [("r", vector_art.rect(0, 0, 32, 32)), ("g", vector_art.rect(2, 2, 30, 30)),
              ("k", vector_art.rect(4, 4, 28, 28))]
    capital_n = [(6, 6), (8.5, 6), (13.5, 12.2), (13.5, 6), (16, 6), (16, 16),
                 (13.5, 16), (8.5, 9.8), (8.5, 16), (6, 16)]
    arrow = [(21.5, 7), (24.5, 7), (24.5, 11.5), (26.5, 11.5), (23, 15.5), (19.5, 11.5), (21.5, 11.5)]
    shapes += [("r", capital_n), ("r", arrow)]
    shapes += [("r", part) for part in icon_n(7) + icon_n(18)]
    return shapes


# --- Tool buttons, 18 x 18: an open folder with a red sign for the list
# commands, a sheet under a magnifying glass for viewing a file.

OPEN_FOLDER = [
    ".kkkk...........",
    "kwyyyk..........",
    "kwyyyykkkkkkkk..",
    "kwoooooooooook..",
    "kwoooooooooook..",
    "kwookkkkkkkkkkkk",
    "kwokyyyyyyyyyyyk",
    "kwkyyyyyyyyyyyk.",
    "kkyyyyyyyyyyyk..",
    "kkkkkkkkkkkkk...",
]
PLUS = [
    "..rr..",
    "..rr..",
    "rrrrrr",
    "rrrrrr",
    "..rr..",
    "..rr..",
]
BAR = [
    "rrrrrr",
    "rrrrrr",
]

SHEET = [
    "kkkkkkkk...",
    "kwwwwwwkk..",
    "kwsssswkwk.",
    "kwwwwwwkkkk",
    "kwssssssswk",
    "kwwwwwwwwwk",
    "kwssssssswk",
    "kwwwwwwwwwk",
    "kwssssssswk",
    "kwwwwwwwwwk",
    "kwssssssswk",
    "kwwwwwwwwwk",
    "kwsssssswwk",
    "kwwwwwwwwwk",
    "kkkkkkkkkkk",
]
LENS = [
    "..kkkk....",
    ".kcwwck...",
    "kcwcccck..",
    "kcwcccck..",
    "kcccccck..",
    "kcccccck..",
    ".kcccck...",
    "..kkkkmm..",
    "......mmm.",
    ".......mmm",
    "........mm",
]


def folder_with(signs):
    picture = canvas(18, 18)
    stamp(picture, OPEN_FOLDER, 1, 7)
    for art, left, top in signs:
        stamp(picture, art, left, top)
    return picture


def view_file():
    picture = canvas(18, 18)
    stamp(picture, SHEET, 1, 0)
    stamp(picture, LENS, 8, 7)
    return picture


def main():
    write_png(icon_16(), "ravo_16.png", alpha=True)
    write_png(icon_32(), "ravo_32.png", alpha=True)
    # The 48 pixel size keeps the small icon's look, each pixel tripled.
    write_png(icon_16(), "ravo_48.png", scale=3, alpha=True)
    for size in (64, 128, 256):
        vector_art.write_png(icon_shapes(), 32, size, f"ravo_{size}.png")
    vector_art.write_svg(icon_shapes(), 32, "ravo.svg", "RAVO")
    tools = ((folder_with([(PLUS, 12, 0)]), "add_files"),
             (folder_with([(BAR, 12, 2)]), "remove_current"),
             (folder_with([(BAR, 12, 0), (BAR, 12, 4)]), "remove_all"),
             (view_file(), "view_file"))
    for picture, name in tools:
        write_png(picture, name + ".png", alpha=True)
        # Screens scaled by 2 get every pixel doubled, so the art stays sharp.
        write_png(picture, name + "@2x.png", scale=2, alpha=True)


if __name__ == "__main__":
    main()
