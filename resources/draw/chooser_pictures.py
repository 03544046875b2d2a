#!/usr/bin/env python3
"""Draws the folder chooser's pictures and the backup dialog's picture.

The five drive pictures (16 x 11) and three folder pictures (16 x 15) are
pixel art, one character per pixel, on the key colour "t" (teal): the
chooser makes the colour of a picture's bottom-left pixel transparent, so
every picture leaves that pixel (and its whole background) in the key colour.
The backup picture (64 x 62) is drawn at half size on white and doubled.
Each picture also gets an @2x file, every pixel doubled once more, which Qt
picks on screens scaled by 2.
Run from anywhere:
    python3 resources/draw/chooser_pictures.py
The PNGs land in resources/. Only the standard library is used.
"""
from pixel_art import canvas, write_png

# --- Drive pictures, 16 x 11.

HARD = [
    "tttttttttttttttt",
    "tttttttttttttttt",
    "ttkkkkkkkkkkkkkt",
    "tkwwwwwwwwwwwwkk",
    "kwwwwwwwwwwwwkdk",
    "kkkkkkkkkkkkkddk",
    "kssssssssssskddk",
    "ksssssssssGgkdkt",
    "kdddddddddddkktt",
    "kkkkkkkkkkkkkttt",
    "tttttttttttttttt",
]

FLOPPY = [
    "tttttttttttttttt",
    "ttkkkkkkkkkkkkkt",
    "tkwwwwwwwwwwwwkk",
    "kwwwwwwwwwwwwkdk",
    "kkkkkkkkkkkkkddk",
    "ksskkkkkkkkskddk",
    "ksssssssssssskdk",
    "kssssssssssdskdk",
    "kdddddddddddkdkt",
    "kkkkkkkkkkkkkktt",
    "tttttttttttttttt",
]

NETWORK = [
    "ttkkkkkkkkkkkkkt",
    "tkwwwwwwwwwwwwkk",
    "kkkkkkkkkkkkkkdk",
    "kssssssssssGgkdk",
    "kddddddddddddkkt",
    "kkkkkkkkkkkkkktt",
    "ttttttkGkttttttt",
    "ttttttkGkttttttt",
    "tkkkkkkGkkkkkkkt",
    "tGGGGGGGGGGGGGGt",
    "tttttttttttttttt",
]

CDROM = [
    "tttttkkkkkkttttt",
    "tttkkwssscckkttt",
    "ttkwwsssccsssktt",
    "tkwwsssskksssdkt",
    "tkwssskwwkssddkt",
    "tkssssswwkssddkt",
    "tksssssskksddddk",
    "ttkssssssdddddkt",
    "tttkkdddddddkktt",
    "tttttkkkkkkttttt",
    "tttttttttttttttt",
]

RAM = [
    "tttttttttttttttt",
    "tttttttttttttttt",
    "GGGGGGGGGGGGGGGG",
    "GkkkGGkkkGGkkkGG",
    "GkkkGGkkkGGkkkGG",
    "GkkkGGkkkGGkkkGG",
    "GGGGGGGGGGGGGGGG",
    "GGGGGGGGGGGGGGGG",
    "yoyoyoyoyoyoyoyo",
    "yoyoyoyoyoyoyoyo",
    "tttttttttttttttt",
]

# --- Folder pictures, 16 x 15.

CLOSED_FOLDER = [
    "tttttttttttttttt",
    "tttttttttttttttt",
    "tttttttttttttttt",
    "ttkkkkkttttttttt",
    "tkwyyyykkttttttt",
    "kwyyyyyyykkkkkkt",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kooooooooooooook",
    "tkkkkkkkkkkkkkkt",
    "tttttttttttttttt",
]

OPEN_FOLDER = [
    "tttttttttttttttt",
    "tttttttttttttttt",
    "tttttttttttttttt",
    "ttkkkkkttttttttt",
    "tkwyyyykkttttttt",
    "kwyyyyyyykkkkkkt",
    "kwyyyyyyyyyyyyok",
    "kwyyykkkkkkkkkkk",
    "kwyykwyyyyyyyyok",
    "kwykwyyyyyyyyokt",
    "kwykwyyyyyyyyokt",
    "kykwyyyyyyyyokkt",
    "kkwyyyyyyyyyoktt",
    "tkkkkkkkkkkkkktt",
    "tttttttttttttttt",
]

# The open folder with a sheet of paper in it: the folder the list stands in.
CURRENT_FOLDER = [
    "tttttttttttttttt",
    "tttttkkkkkkkkttt",
    "tttttkwwwwwwwktt",
    "ttkkkkwkkkkkwktt",
    "tkwyyykwwwwwwktt",
    "kwyyyykwkkkkwkkt",
    "kwyyyykwwwwwwkok",
    "kwyyykkkkkkkkkkk",
    "kwyykwyyyyyyyyok",
    "kwykwyyyyyyyyokt",
    "kwykwyyyyyyyyokt",
    "kykwyyyyyyyyokkt",
    "kkwyyyyyyyyyoktt",
    "tkkkkkkkkkkkkktt",
    "tttttttttttttttt",
]


# --- The backup picture: a computer's drive case, a floppy disk in front of
# it and a red arrow pointing into the disk; drawn 32 x 31, shown 64 x 62.

def box(picture, left, top, right, bottom, colour):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            picture[y][x] = colour


def outline(picture, left, top, right, bottom, colour):
    for x in range(left, right + 1):
        picture[top][x] = picture[bottom][x] = colour
    for y in range(top, bottom + 1):
        picture[y][left] = picture[y][right] = colour


def backup_picture():
    picture = canvas(32, 31, "w")
    # The drive case, lit from the top left.
    box(picture, 2, 2, 27, 19, "s")
    box(picture, 3, 3, 26, 3, "w")
    box(picture, 3, 3, 3, 18, "w")
    box(picture, 26, 3, 26, 18, "d")
    box(picture, 3, 18, 26, 18, "d")
    outline(picture, 1, 1, 28, 20, "k")
    box(picture, 6, 6, 23, 6, "k")
    box(picture, 6, 7, 23, 7, "d")
    box(picture, 21, 10, 22, 10, "g")
    box(picture, 6, 13, 10, 13, "d")
    # The floppy disk in front, its metal shutter up and its label down.
    box(picture, 13, 12, 29, 29, "n")
    outline(picture, 12, 11, 30, 30, "k")
    box(picture, 17, 12, 26, 18, "s")
    box(picture, 23, 13, 24, 17, "k")
    box(picture, 15, 21, 28, 29, "w")
    for y in (23, 25, 27):
        box(picture, 17, y, 26, y, "b")
    box(picture, 13, 12, 13, 13, "k")
    # The red arrow, pointing right into the disk.
    for x in range(0, 7):
        box(picture, x, 19, x, 23, "r")
    for step in range(0, 6):
        box(picture, 7 + step, 16 + step, 7 + step, 26 - step, "r")
    for x in range(0, 7):
        picture[18][x] = picture[24][x] = "m"
    for step in range(0, 6):
        picture[15 + step][7 + step] = picture[27 - step][7 + step] = "m"
    picture[21][13] = "m"
    return ["".join(row) for row in picture]


def write_checked(art, name, size, scale=1):
    """Writes name.png at size and name@2x.png, every pixel doubled, for
    screens scaled by 2."""
    width, height = size
    assert len(art) * scale == height, (name, len(art))
    assert all(len(row) * scale == width for row in art), name
    write_png(art, name + ".png", scale)
    write_png(art, name + "@2x.png", 2 * scale)


def main():
    for art, name in ((FLOPPY, "floppy"), (HARD, "hard"), (NETWORK, "network"),
                      (CDROM, "cdrom"), (RAM, "ram")):
        assert art[-1][0] == "t", name
        write_checked(art, name, (16, 11))
    for art, name in ((OPEN_FOLDER, "openfolder"), (CLOSED_FOLDER, "closedfolder"),
                      (CURRENT_FOLDER, "currentfolder")):
        assert art[-1][0] == "t", name
        write_checked(art, name, (16, 15))
    write_checked(backup_picture(), "backup", (64, 62), scale=2)

if __name__ == "__main__":
    main()
