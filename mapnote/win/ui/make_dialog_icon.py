#!/usr/bin/env python3
"""Writes the image-map dialog's icon: 32x32, 256 colours, one image.

A page with a picture on it and a highlighted area of the picture. Run it
again only to change the picture; the .ico beside it is checked in.
"""
import struct
import sys

SIZE = 32
# Palette entries used by the picture; the rest of the 256 stay black.
COLOURS = {
    "transparent": (0, 0, 0),
    "outline": (64, 64, 64),
    "page": (255, 255, 255),
    "fold": (192, 192, 192),
    "sky": (96, 160, 224),
    "hill": (48, 128, 64),
    "area": (255, 200, 0),
}
INDEX = {name: i for i, name in enumerate(COLOURS)}


def picture():
    rows = [["transparent"] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                rows[y][x] = colour

    fill(4, 1, 28, 31, "outline")  # the page
    fill(5, 2, 27, 30, "page")
    fill(21, 2, 27, 8, "fold")     # its folded corner
    fill(8, 9, 24, 24, "outline")  # the picture
    fill(9, 10, 23, 23, "sky")
    for x in range(9, 23):         # a hill inside it
        top = 17 + abs(x - 15) // 2
        fill(x, top, x + 1, 23, "hill")
    for x in range(12, 20):        # the highlighted area: a dashed outline
        if x % 2 == 0:
            rows[13][x] = rows[20][x] = "area"
    for y in range(13, 21):
        if y % 2 == 1:
            rows[y][12] = rows[y][19] = "area"
    return rows


def ico(rows):
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in COLOURS.values())
    palette += b"\0\0\0\0" * (256 - len(COLOURS))
    pixels = b"".join(bytes(INDEX[c] for c in row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, c in enumerate(row):
            if c == "transparent":
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(pixels) + len(mask), 0, 0, 256, 0)
    image = header + palette + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(ico(picture()))
