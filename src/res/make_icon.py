#!/usr/bin/env python3
"""Draws Zorvane's icon, a printer, in two looks: zorvane.ico with a dark outline for light
taskbars (also the application icon) and zorvane-light.ico with a light outline for dark ones.

Each holds 16, 20, 24, 32, 40, 48, 64 and 256 pixels in 32-bit colour with alpha (the 256 one
as PNG, as the shell expects), so the tray and the About window find the size they want at any
scale instead of a blurred copy. The small sizes are drawn from a 16-pixel design and the large
ones from a 32-pixel design, each edge snapped to whole pixels so that no size is blurred.

The .ico files are committed; run this again (Debian's python3 alone) only to change the drawing:
    python3 src/res/make_icon.py src/res
"""
import os
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]

# Colours per look, RGB. The outline is what must stand out against the taskbar behind it.
LOOKS = {
    'zorvane.ico': dict(outline=(0, 0, 0), body=(192, 192, 192), top=(255, 255, 255), shade=(128, 128, 128),
                        paper=(255, 255, 255), text=(0, 0, 255), ink=(0, 0, 128), slot=(0, 0, 0),
                        light=(0, 200, 0)),
    'zorvane-light.ico': dict(outline=(240, 240, 240), body=(150, 150, 150), top=(210, 210, 210),
                              shade=(105, 105, 105), paper=(255, 255, 255), text=(40, 90, 255),
                              ink=(40, 40, 160), slot=(30, 30, 30), light=(0, 230, 0)),
}

# A design is a list of steps on a grid of `grid` pixels; later steps paint over earlier ones.
# ('rect', x0, y0, x1, y1, fill, outline): inclusive design pixels, the outline one pixel wide.
# ('line', x0, x1, y, colour): one design pixel high. ('dot', x, y, colour).
DESIGN32 = (32, [
    ('rect', 9, 1, 22, 12, 'paper', 'outline'),      # sheet waiting in the feeder
    ('line', 11, 20, 3, 'text'), ('line', 11, 18, 5, 'text'), ('line', 11, 20, 7, 'text'),
    ('line', 11, 16, 9, 'text'),
    ('rect', 3, 11, 28, 24, 'body', 'outline'),      # body
    ('line', 4, 27, 12, 'top'),                      # light on the top edge
    ('line', 4, 27, 23, 'shade'),                    # shade at the bottom
    ('rect', 27, 12, 27, 23, 'shade', None),
    ('line', 8, 23, 14, 'slot'),                     # feed slot
    ('rect', 21, 17, 25, 19, 'shade', 'outline'),    # control panel
    ('rect', 22, 18, 23, 18, 'light', None),         # ready light
    ('rect', 6, 20, 25, 29, 'paper', 'outline'),     # printed sheet coming out
    ('line', 8, 21, 23, 'ink'), ('line', 8, 23, 25, 'ink'), ('line', 8, 19, 27, 'ink'),
    ('rect', 1, 24, 30, 26, 'shade', 'outline'),     # base
    ('line', 6, 25, 24, 'outline'),
])
DESIGN16 = (16, [
    ('rect', 4, 0, 11, 6, 'paper', 'outline'),
    ('line', 5, 10, 2, 'text'), ('line', 5, 9, 4, 'text'),
    ('rect', 1, 5, 14, 11, 'body', 'outline'),
    ('line', 2, 13, 6, 'top'),
    ('line', 4, 11, 7, 'slot'),
    ('dot', 11, 9, 'light'), ('dot', 12, 9, 'light'),
    ('rect', 0, 10, 15, 12, 'shade', 'outline'),
    ('rect', 3, 11, 12, 15, 'paper', 'outline'),
    ('line', 5, 10, 13, 'ink'),
])


def edges(a, b, scale):
    """Design pixels a..b (inclusive) as whole target pixels [lo, hi), never empty."""
    lo = int(a * scale + 0.5)
    hi = int((b + 1) * scale + 0.5)
    return lo, max(hi, lo + 1)


def draw(design, size, look):
    grid, steps = design
    scale = size / grid
    width = max(1, int(scale * 0.75 + 0.5))          # outlines and lines thinner than a design pixel
    img = [[None] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(y0, 0), min(y1, size)):
            for x in range(max(x0, 0), min(x1, size)):
                img[y][x] = colour

    for step in steps:
        kind = step[0]
        if kind == 'rect':
            _, a, b, c, d, inside, outline = step
            x0, x1 = edges(a, c, scale)
            y0, y1 = edges(b, d, scale)
            fill(x0, y0, x1, y1, look[inside])
            if outline:
                o = look[outline]
                fill(x0, y0, x1, y0 + width, o)
                fill(x0, y1 - width, x1, y1, o)
                fill(x0, y0, x0 + width, y1, o)
                fill(x1 - width, y0, x1, y1, o)
        elif kind == 'line':
            _, a, c, b, colour = step
            x0, x1 = edges(a, c, scale)
            y0 = int(b * scale + 0.5)
            fill(x0, y0, x1, y0 + width, look[colour])
        else:
            _, a, b, colour = step
            x0, x1 = edges(a, a, scale)
            y0, y1 = edges(b, b, scale)
            fill(x0, y0, x1, y1, look[colour])
    return img


def bmp_entry(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''
    mask = b''
    mask_row = (size + 31) // 32 * 4
    for row in reversed(img):                        # bottom-up
        bits = 0
        out = b''
        for i, c in enumerate(row):
            pixels += struct.pack('BBBB', 0, 0, 0, 0) if c is None else struct.pack('BBBB', c[2], c[1], c[0], 255)
            # The mask serves systems that ignore alpha: set where the picture is clear.
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                out += bytes([bits])
                bits = 0
        mask += out.ljust(mask_row, b'\0')
    return header + pixels + mask


def png_entry(img):
    size = len(img)
    raw = b''.join(b'\0' + b''.join(bytes((0, 0, 0, 0)) if c is None else bytes((*c, 255)) for c in row)
                   for row in img)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def ico(look):
    images = []
    for size in SIZES:
        img = draw(DESIGN16 if size < 32 else DESIGN32, size, look)
        images.append((size, png_entry(img) if size >= 256 else bmp_entry(img)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


def main(folder):
    for name, look in LOOKS.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(ico(look))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else '.')
