"""Pixel art for the program's pictures: the 16-colour palette, a blank
canvas and a PNG writer, shared by the drawing scripts beside this file.

A picture is a list of rows, one character per pixel, each a key of PALETTE;
"." is a transparent pixel. Only the standard library is used, so the
pictures can be redrawn on any machine.
"""
import pathlib
import struct
import zlib

PALETTE = {
    "k": (0x00, 0x00, 0x00),  # black
    "m": (0x80, 0x00, 0x00),  # maroon
    "G": (0x00, 0x80, 0x00),  # green
    "o": (0x80, 0x80, 0x00),  # olive
    "n": (0x00, 0x00, 0x80),  # navy
    "b": (0x00, 0x00, 0xFF),  # blue
    "s": (0xC0, 0xC0, 0xC0),  # silver
    "d": (0x80, 0x80, 0x80),  # grey
    "r": (0xFF, 0x00, 0x00),  # red
    "g": (0x00, 0xFF, 0x00),  # lime
    "y": (0xFF, 0xFF, 0x00),  # yellow
    "c": (0x00, 0xFF, 0xFF),  # aqua
    "t": (0x00, 0x80, 0x80),  # teal
    "w": (0xFF, 0xFF, 0xFF),  # white
}

# The PNGs land in resources/, beside the resource file that lists them.
OUT = pathlib.Path(__file__).resolve().parent.parent


def canvas(width, height, fill="."):
    return [[fill] * width for _ in range(height)]


def write_png(picture, name, scale=1, alpha=False):
    """Writes the picture, each pixel scale x scale, as RGB or (alpha) RGBA."""
    rows = [[px for px in row for _ in range(scale)] for row in picture for _ in range(scale)]
    pixels = []
    for row in rows:
        line = []
        for pixel in row:
            if pixel == ".":
                assert alpha, name
                line.append((0, 0, 0, 0))
            else:
                line.append(PALETTE[pixel] + ((0xFF,) if alpha else ()))
        pixels.append(line)
    write_pixels(pixels, name, alpha)


def write_pixels(pixels, name, alpha=True):
    """Writes rows of (r, g, b) or (alpha) (r, g, b, a) tuples as a PNG."""
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for pixel in row:
            assert len(pixel) == (4 if alpha else 3), name
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    (OUT / name).write_bytes(png)
