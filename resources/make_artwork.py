#!/usr/bin/env python3
"""Draws the desktop program's artwork and writes it next to this script.

    picture.png   378 x 400, 1 bit per pixel: a bus under a route with its stops, light grey
                  (palette index 0) on a mid-grey ground (index 1); the top-left pixel is ground
    icon.png      32 x 32, 16-colour palette with a transparent background: a bus seen from the
                  front
    picture.bmp   the picture as a 1-bit Windows bitmap (same palette), bitmap 102 of the
                  Windows resource script: the Windows build decodes no PNG
    tramelo.ico   the icon as a Windows icon (4-bit image and 1-bit mask), icon 101 of the
                  resource script

Only the standard library is used, so the files can be remade anywhere: python3 make_artwork.py
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def png(width, height, rows, bit_depth, palette, transparent=()):
    """A palette PNG; rows hold one palette index per pixel."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + pack_row(row, width, bit_depth) for row in rows)  # no filter
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, 3, 0, 0, 0))
    out += chunk(b"PLTE", b"".join(bytes(colour) for colour in palette))
    if transparent:
        out += chunk(b"tRNS", bytes(transparent))
    out += chunk(b"IDAT", zlib.compress(raw, 9))
    out += chunk(b"IEND", b"")
    return out


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills [x0, x1) x [y0, y1)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.dot(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x, x0 + radius), x1 - 1 - radius)
                cy = min(max(y, y0 + radius), y1 - 1 - radius)
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.dot(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + radius:
                    self.dot(x, y, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        """A thick segment: a disc stamped along it."""
        steps = max(abs(x1 - x0), abs(y1 - y0))
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            self.disc(x, y, width // 2, colour)


def bmp(width, height, rows, bit_depth, palette):
    """A bottom-up palette BMP; rows hold one palette index per pixel."""
    stride = (width * bit_depth + 31) // 32 * 4
    pixels = b"".join(pack_row(row, width, bit_depth).ljust(stride, b"\0") for row in reversed(rows))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_depth, 0, len(pixels), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + colours + pixels


def pack_row(row, width, bit_depth):
    """Pixels packed most significant first, as both PNG and BMP store them."""
    per_byte = 8 // bit_depth
    out = bytearray()
    for start in range(0, width, per_byte):
        byte = 0
        for i in range(per_byte):
            index = row[start + i] if start + i < width else 0
            byte |= index << (8 - bit_depth * (i + 1))
        out.append(byte)
    return bytes(out)


def picture_canvas():
    LIGHT, GROUND = 0, 1
    c = Canvas(378, 400, GROUND)

    # A route through five stops.
    stops = [(38, 118), (112, 62), (190, 104), (266, 48), (340, 92)]
    for (x0, y0), (x1, y1) in zip(stops, stops[1:]):
        c.line(x0, y0, x1, y1, 7, LIGHT)
    for x, y in stops:
        c.disc(x, y, 15, LIGHT)
        c.disc(x, y, 9, GROUND)
        c.disc(x, y, 4, LIGHT)

    # The bus, driving to the right.
    top, bottom = 178, 322
    c.round_rect(30, top, 348, bottom, 22, LIGHT)
    c.rect(30, bottom - 10, 348, bottom, LIGHT)           # square skirt
    for x in (48, 98, 148, 252):                            # side windows
        c.round_rect(x, top + 18, x + 42, top + 66, 5, GROUND)
    c.round_rect(304, top + 18, 336, top + 86, 6, GROUND)   # windscreen
    c.round_rect(200, top + 18, 242, bottom - 16, 4, GROUND)  # door
    c.rect(220, top + 22, 222, bottom - 20, LIGHT)          # its two leaves
    c.rect(48, top + 80, 190, top + 86, GROUND)             # stripe
    c.rect(252, top + 80, 294, top + 86, GROUND)
    c.rect(330, bottom - 32, 340, bottom - 24, GROUND)      # headlight
    c.rect(36, top - 10, 120, top + 1, LIGHT)               # roof box
    for cx in (100, 292):                                   # wheels in their arches
        c.disc(cx, bottom, 32, GROUND)
        c.disc(cx, bottom, 25, LIGHT)
        c.disc(cx, bottom, 12, GROUND)
        c.disc(cx, bottom, 5, LIGHT)

    # The kerb, dashed.
    for x in range(14, 364, 44):
        c.rect(x, 366, x + 30, 372, LIGHT)

    assert c.rows[0][0] == GROUND
    return c


PICTURE_PALETTE = [(192, 192, 192), (128, 128, 128)]


def icon_canvas():
    CLEAR, OUTLINE, BODY, GLASS, LAMP, TYRE, SIGN = range(7)
    palette = [(0, 0, 0), (40, 40, 48), (224, 122, 34), (176, 210, 236), (255, 230, 120),
               (24, 24, 24), (250, 250, 250)]
    palette += [(0, 0, 0)] * (16 - len(palette))
    c = Canvas(32, 32, CLEAR)
    c.rect(7, 26, 11, 31, TYRE)
    c.rect(21, 26, 25, 31, TYRE)
    c.round_rect(4, 2, 28, 28, 4, OUTLINE)
    c.round_rect(5, 3, 27, 27, 3, BODY)
    c.rect(8, 5, 24, 8, OUTLINE)        # destination sign
    c.rect(9, 6, 23, 7, SIGN)
    c.round_rect(7, 10, 25, 19, 2, OUTLINE)
    c.round_rect(8, 11, 24, 18, 1, GLASS)
    c.rect(8, 21, 11, 24, LAMP)
    c.rect(21, 21, 24, 24, LAMP)
    c.rect(13, 22, 19, 23, OUTLINE)     # grille
    c.rect(2, 9, 4, 14, OUTLINE)        # mirrors
    c.rect(28, 9, 30, 14, OUTLINE)
    return c, palette


def ico(c, palette):
    """An .ico with one 16-colour image and its transparency mask, the form every Windows
    version (and Wine) reads; palette index 0 is transparent."""
    size = c.width
    xor = b"".join(pack_row(row, size, 4) for row in reversed(c.rows))
    mask_rows = [[1 if index == 0 else 0 for index in row] for row in reversed(c.rows)]
    mask = b"".join(pack_row(row, size, 1).ljust(4, b"\0") for row in mask_rows)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    # The height counts the image and the mask.
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + colours + xor + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


def main():
    picture = picture_canvas()
    icon, icon_palette = icon_canvas()
    for name, data in (("picture.png", png(picture.width, picture.height, picture.rows, 1, PICTURE_PALETTE)),
                       ("picture.bmp", bmp(picture.width, picture.height, picture.rows, 1, PICTURE_PALETTE)),
                       ("icon.png", png(32, 32, icon.rows, 4, icon_palette, transparent=[0])),
                       ("tramelo.ico", ico(icon, icon_palette))):
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
