"""Vector pictures for the sizes pixel art does not serve: a picture is a list
of (colour, polygon) shapes painted in order, each polygon a list of (x, y)
points in the picture's own units. It becomes an SVG, or a PNG of any size
with smooth edges (each pixel the average of SAMPLES x SAMPLES points).
Only the standard library is used.
"""
import math

from pixel_art import OUT, PALETTE, write_pixels

SAMPLES = 4


def rect(left, top, right, bottom):
    return [(left, top), (right, top), (right, bottom), (left, bottom)]


def upper_half_ring(centre_x, centre_y, outer, inner, steps=32):
    """The upper half of a ring, as one polygon: the outer arc from left to
    right, then the inner arc back."""
    outside = [(centre_x - outer * math.cos(math.pi * i / steps), centre_y - outer * math.sin(math.pi * i / steps))
               for i in range(steps + 1)]
    inside = [(centre_x + inner * math.cos(math.pi * i / steps), centre_y - inner * math.sin(math.pi * i / steps))
              for i in range(steps + 1)]
    return outside + inside


def _spans(polygon, y):
    """The x ranges of polygon on the horizontal line y (even-odd rule)."""
    crossings = []
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 <= y < y2) or (y2 <= y < y1):
            crossings.append(x1 + (y - y1) * (x2 - x1) / (y2 - y1))
    crossings.sort()
    return list(zip(crossings[0::2], crossings[1::2]))


def write_png(shapes, units, size, name):
    """Renders the shapes, drawn on units x units, as a size x size RGBA PNG."""
    grid = size * SAMPLES
    scale = units / grid
    sums = [[[0, 0, 0, 0] for _ in range(size)] for _ in range(size)]
    for sample_y in range(grid):
        row = [None] * grid
        y = (sample_y + 0.5) * scale
        for colour, polygon in shapes:
            for left, right in _spans(polygon, y):
                first = max(0, math.ceil(left / scale - 0.5))
                last = min(grid - 1, math.ceil(right / scale - 0.5) - 1)
                for sample_x in range(first, last + 1):
                    row[sample_x] = colour
        target = sums[sample_y // SAMPLES]
        for sample_x, colour in enumerate(row):
            if colour is not None:
                pixel = target[sample_x // SAMPLES]
                r, g, b = PALETTE[colour]
                pixel[0] += r
                pixel[1] += g
                pixel[2] += b
                pixel[3] += 1
    count = SAMPLES * SAMPLES
    pixels = []
    for row in sums:
        line = []
        for r, g, b, covered in row:
            if covered == 0:
                line.append((0, 0, 0, 0))
            else:
                # Colour averaged over the covered samples only, so a soft
                # edge keeps its colour and fades by its alpha.
                line.append((round(r / covered), round(g / covered), round(b / covered),
                             round(255 * covered / count)))
        pixels.append(line)
    write_pixels(pixels, name, alpha=True)


def write_svg(shapes, units, name, title):
    def number(value):
        return f"{value:.3f}".rstrip("0").rstrip(".")

    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{units * 8}" height="{units * 8}" '
        f'viewBox="0 0 {units} {units}">',
        f"  <title>{title}</title>",
    ]
    for colour, polygon in shapes:
        r, g, b = PALETTE[colour]
        points = " ".join(f"{number(x)},{number(y)}" for x, y in polygon)
        lines.append(f'  <polygon fill="#{r:02x}{g:02x}{b:02x}" points="{points}"/>')
    lines.append("</svg>")
    (OUT / name).write_text("\n".join(lines) + "\n", encoding="utf-8")
