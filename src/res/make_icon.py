#!/usr/bin/env python3
"""Draws Zorvane's icon, a printer, as a 16-colour .ico with 32x32 and 16x16 images.

The .ico is committed; run this script again only to change the drawing:
    python3 src/res/make_icon.py src/res/zorvane.ico
"""
import struct
import sys

# The 16 colours of the standard Windows palette, by name.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255)]
K, S, G, W, B, L, N = 0, 7, 8, 15, 12, 10, 4
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, fill, outline=K):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            img[y][x] = outline if edge and outline is not None else fill


def hline(img, x0, x1, y, colour):
    for x in range(x0, x1 + 1):
        img[y][x] = colour


def printer32():
    img = canvas(32)
    rect(img, 9, 1, 22, 12, W)                       # sheet waiting in the feeder
    for y, x1 in ((3, 20), (5, 18), (7, 20), (9, 16)):
        hline(img, 11, x1, y, B)
    rect(img, 3, 11, 28, 24, S)                      # body
    hline(img, 4, 27, 12, W)                         # light on the top edge
    hline(img, 4, 27, 23, G)                         # shade at the bottom
    for y in range(12, 24):
        img[y][27] = G
    hline(img, 8, 23, 14, K)                         # feed slot
    rect(img, 21, 17, 25, 19, G)                     # control panel
    img[18][22], img[18][23] = L, L                  # ready light
    rect(img, 6, 20, 25, 29, W)                      # printed sheet coming out
    for y, x1 in ((23, 21), (25, 23), (27, 19)):
        hline(img, 8, x1, y, N)
    rect(img, 1, 24, 30, 26, G)                      # base
    hline(img, 6, 25, 24, K)
    return img


def printer16():
    img = canvas(16)
    rect(img, 4, 0, 11, 6, W)
    hline(img, 5, 10, 2, B)
    hline(img, 5, 9, 4, B)
    rect(img, 1, 5, 14, 11, S)
    hline(img, 2, 13, 6, W)
    hline(img, 4, 11, 7, K)
    img[9][11], img[9][12] = L, L
    rect(img, 0, 11, 15, 12, G)
    rect(img, 3, 11, 12, 15, W)
    hline(img, 5, 10, 13, N)
    return img


def image_data(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = (size // 2 + 3) // 4 * 4
    and_row = (size // 8 + 3) // 4 * 4
    xor = b''
    mask = b''
    for row in reversed(img):                        # bottom-up
        nibbles = [0 if c is None else c for c in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += packed.ljust(xor_row, b'\0')
        bits = 0
        out = b''
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                out += bytes([bits])
                bits = 0
        mask += out.ljust(and_row, b'\0')
    return header + palette + xor + mask


def main(path):
    images = [image_data(printer32()), image_data(printer16())]
    sizes = [32, 16]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'zorvane.ico')
