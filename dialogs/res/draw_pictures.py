#!/usr/bin/env python3
"""Draws Helmdialogs' pictures into this folder: the icons of the connect
and record buttons (32 x 32, 32-bit with alpha). Run it again after a
change; its outputs are kept beside it.

    python3 dialogs/res/draw_pictures.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 32


class Canvas:
    def __init__(self, size=SIZE):
        self.size = size
        self.pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]  # RGBA, top row first

    def fill(self, inside, colour):
        """Paints every pixel whose centre `inside(x, y)` holds."""
        for y in range(self.size):
            for x in range(self.size):
                if inside(x + 0.5, y + 0.5):
                    self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def ring(self, cx, cy, r, width, colour):
        self.fill(lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)


def write_icon(canvas, name):
    n = canvas.size
    xor = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = bytearray()
    stride = (n + 31) // 32 * 4
    for row in reversed(canvas.pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(image), 22)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(directory + image)


GREY = (96, 96, 96, 255)
DARK = (48, 48, 48, 255)
RED = (208, 32, 32, 255)
GREEN = (32, 160, 48, 255)
AMBER = (232, 160, 0, 255)


def plug(canvas, gap, body):
    """Two halves of a plug on a horizontal cable, `gap` pixels apart."""
    left = 16 - gap // 2
    right = 16 + (gap - gap // 2)
    canvas.rect(1, 15, left - 6, 17, DARK)            # cable
    canvas.rect(left - 7, 10, left, 22, body)         # left body
    canvas.rect(left, 12, left + 3, 14, GREY)         # pins
    canvas.rect(left, 18, left + 3, 20, GREY)
    canvas.rect(right, 10, right + 7, 22, body)       # right body (the socket)
    canvas.rect(right + 6, 15, 31, 17, DARK)


def connect_icons():
    c = Canvas()
    plug(c, 10, GREY)
    c.fill(lambda x, y: abs((x - 16) - (y - 16)) < 1.2 and abs(x - 16) < 6, RED)  # a cross in the gap
    c.fill(lambda x, y: abs((x - 16) + (y - 16)) < 1.2 and abs(x - 16) < 6, RED)
    write_icon(c, "not_connected.ico")

    c = Canvas()
    plug(c, 0, GREEN)
    write_icon(c, "connected.ico")

    c = Canvas()
    plug(c, 8, AMBER)
    for dx in (-2.5, 0, 2.5):
        c.disc(16 + dx, 16, 0.9, AMBER)
    write_icon(c, "connecting.ico")


def record_icons():
    c = Canvas()
    c.ring(16, 16, 11, 2.5, GREY)
    c.disc(16, 16, 5, GREY)
    write_icon(c, "not_recording.ico")

    c = Canvas()
    c.ring(16, 16, 11, 2.5, DARK)
    c.disc(16, 16, 8, RED)
    write_icon(c, "recording.ico")


if __name__ == "__main__":
    connect_icons()
    record_icons()
