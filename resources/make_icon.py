#!/usr/bin/env python3
"""Writes tavrisol.ico: one 32x32, 16-colour image (a window frame placed over a
screen outline), drawn here pixel by pixel so the icon is our own."""
import struct
import sys

W = H = 32
# The standard 16-colour palette (BGRA order in the file).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, WHITE, TEAL, YELLOW = 0, 4, 8, 7, 15, 6, 11


def draw():
    px = [[None] * W for _ in range(H)]  # None = transparent

    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    # The screen: a grey monitor outline with a teal desktop.
    rect(2, 4, 29, 23, GREY)
    rect(4, 6, 27, 21, TEAL)
    rect(13, 24, 18, 26, GREY)
    rect(9, 27, 22, 28, GREY)
    # The placed window: larger than the screen area, title bar off the top.
    rect(0, 2, 25, 17, BLACK)
    rect(1, 3, 24, 5, NAVY)
    rect(1, 6, 24, 16, WHITE)
    rect(3, 8, 14, 9, SILVER)
    rect(3, 11, 20, 12, SILVER)
    # An arrow at the bottom right: "put it there".
    for i in range(6):
        rect(24 + i, 24 + i, 25 + i, 24 + i, YELLOW)
    rect(26, 29, 30, 30, YELLOW)
    rect(29, 25, 30, 30, YELLOW)
    return px


def ico(px):
    xor = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        row = px[y]
        for x in range(0, W, 2):
            a = row[x] or 0
            b = row[x + 1] or 0
            xor.append((a << 4) | b)
    andmask = bytearray()
    for y in range(H - 1, -1, -1):
        bits = 0
        for x in range(W):
            bits = (bits << 1) | (1 if px[y][x] is None else 0)
        andmask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(andmask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "tavrisol.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
