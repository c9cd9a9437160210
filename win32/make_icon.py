#!/usr/bin/env python3
"""Draws the program's icon and writes it as tolvane.ico (16, 32 and 48 pixels, 32-bit BGRA).

A sheet of drawing paper with a blue frame, a black line on it and a red line after the
conversion arrow: a drawing whose pens change. Run it again after changing the picture:
    python3 win32/make_icon.py win32/tolvane.ico
"""
import struct
import sys


def draw(size):
    """Pixels as rows of (r, g, b, a), top row first, for a square of the given size."""
    s = size / 32.0
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def put(x, y, colour):
        if 0 <= x < size and 0 <= y < size:
            pixels[y][x] = colour

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                put(x, y, colour)

    def line(x0, y0, x1, y1, colour, width):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * s * 2) + 1
        half = max(1, int(width * s / 2 + 0.5))
        for i in range(steps + 1):
            t = i / steps
            cx, cy = (x0 + (x1 - x0) * t) * s, (y0 + (y1 - y0) * t) * s
            for dy in range(-half + 1, half + 1):
                for dx in range(-half + 1, half + 1):
                    put(int(cx) + dx, int(cy) + dy, colour)

    blue, white, black, red = (30, 80, 170, 255), (255, 255, 255, 255), (20, 20, 20, 255), (210, 30, 30, 255)
    rect(2, 3, 30, 29, blue)
    rect(4, 5, 28, 27, white)
    line(6, 22, 13, 9, black, 2)
    line(19, 22, 26, 9, red, 2.5)
    line(14, 16, 18, 16, blue, 1.5)
    line(16, 14, 18, 16, blue, 1.5)
    line(16, 18, 18, 16, blue, 1.5)
    return pixels


def image_entry(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # the alpha channel decides; the mask shows everything
    return header + colour + mask


def main(out):
    sizes = [16, 32, 48]
    images = [image_entry(size) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tolvane.ico")
