#!/usr/bin/python3
"""Draws the translator's icon, two overlapping speech bubbles (the original text and its translation),
and writes it as resources/tevtranslator.ico at 16, 32, 48 and 256 pixels.

Run it again after changing the drawing: the .ico is committed, the build does not need Python.
Needs Debian's python3-pil. Each size is drawn on its own at eight times its size and scaled down, so
that the small sizes leave out the details they cannot show.
"""
import io
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw

SIZES = (16, 32, 48, 256)
SUPERSAMPLE = 8
OUTLINE = (27, 45, 84, 255)
ORIGINAL = (47, 111, 214, 255)
TRANSLATION = (242, 154, 46, 255)
GLYPH = (255, 255, 255, 255)


def bubble(draw, box, tail, fill, unit):
    """A rounded box with a tail; the outline is drawn under the fill so that both stay closed."""
    x0, y0, x1, y1 = box
    radius = (y1 - y0) * 0.28
    width = max(unit * 0.035, 1)
    grown = (x0 - width, y0 - width, x1 + width, y1 + width)
    draw.rounded_rectangle(grown, radius + width, fill=OUTLINE)
    draw.polygon([(x + dx * width * 1.6, y + dy * width * 1.6) for (x, y), (dx, dy) in tail], fill=OUTLINE)
    draw.rounded_rectangle(box, radius, fill=fill)
    draw.polygon([point for point, _ in tail], fill=fill)


def letter_a(draw, box, unit):
    """A capital A from three strokes: no font, so every machine draws the same icon."""
    x0, y0, x1, y1 = box
    stroke = max(round(unit * 0.075), 1)
    top = ((x0 + x1) / 2, y0)
    draw.line([(x0, y1), top, (x1, y1)], fill=GLYPH, width=stroke, joint="curve")
    bar = y0 + (y1 - y0) * 0.62
    draw.line([(x0 + (x1 - x0) * 0.22, bar), (x1 - (x1 - x0) * 0.22, bar)], fill=GLYPH, width=stroke)


def text_lines(draw, box, count, unit):
    x0, y0, x1, y1 = box
    stroke = max(round(unit * 0.07), 1)
    for i in range(count):
        y = y0 + (y1 - y0) * i / max(count - 1, 1)
        end = x1 if i < count - 1 else x0 + (x1 - x0) * 0.6
        draw.line([(x0, y), (end, y)], fill=GLYPH, width=stroke)


def draw_icon(size):
    unit = size * SUPERSAMPLE
    image = Image.new("RGBA", (unit, unit), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)

    def at(*points):
        return [coordinate * unit for coordinate in points]

    # (point, outward direction) of each tail corner, so that the outline grows around the tail too.
    back_tail = [((0.16 * unit, 0.50 * unit), (-1, 0)), ((0.10 * unit, 0.70 * unit), (-1, 1)),
                 ((0.34 * unit, 0.50 * unit), (1, 0))]
    front_tail = [((0.66 * unit, 0.84 * unit), (-1, 0)), ((0.90 * unit, 0.97 * unit), (1, 1)),
                  ((0.84 * unit, 0.84 * unit), (1, 0))]
    bubble(draw, at(0.04, 0.06, 0.68, 0.56), back_tail, ORIGINAL, unit)
    bubble(draw, at(0.32, 0.40, 0.96, 0.88), front_tail, TRANSLATION, unit)
    if size >= 32:
        letter_a(draw, at(0.12, 0.13, 0.30, 0.43), unit)
        text_lines(draw, at(0.44, 0.53, 0.84, 0.75), 3 if size >= 48 else 2, unit)
    else:
        text_lines(draw, at(0.46, 0.60, 0.82, 0.70), 2, unit)
    return image.resize((size, size), Image.LANCZOS)


def dib_entry(image):
    """A 32-bit bottom-up DIB with its AND mask, as icon entries below 256 pixels are stored."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = image.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    row_bytes = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(height)):
        row = bytearray(row_bytes)
        for x in range(width):
            if image.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def png_entry(image):
    data = io.BytesIO()
    image.save(data, format="PNG", optimize=True)
    return data.getvalue()


def write_ico(path, images):
    entries = [png_entry(image) if image.size[0] >= 256 else dib_entry(image) for image in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for image, data in zip(images, entries):
        side = image.size[0] % 256  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    path.write_bytes(directory + b"".join(entries))


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("tevtranslator.ico")
    write_ico(target, [draw_icon(size) for size in SIZES])
    print(target)


if __name__ == "__main__":
    main()
