#!/usr/bin/env python3
"""Draws the program's toolbar strips, its icon and its cursors.

usage: make_art.py OUTDIR

Writes tb131.bmp (file toolbar, 12 images of 18 x 17), tb700.bmp (main
toolbar, 26 images of 16 x 17; images 0 and 1 are spare), tb133.bmp (media
player, 11 images of 20 x 17), twinreel.ico (32 x 32 and 16 x 16) and the
cursors color.cur, idou.cur, sel.cur and nothing.cur. The toolbar
background is light grey (192, 192, 192), which the toolbars use as their
mask colour. Everything is drawn here from simple shapes.
"""
import os
import struct
import sys

MASK = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
DARK = (64, 64, 64)
RED = (220, 30, 30)
CYAN = (0, 200, 220)
GREEN = (20, 160, 40)
BLUE = (30, 60, 220)
YELLOW = (240, 200, 40)
FOLDER = (230, 190, 70)
NAVY = (20, 40, 120)

# 3 x 5 glyphs for the few letters and digits the images carry.
GLYPHS = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "5": ["111", "100", "111", "001", "111"],
    "7": ["111", "001", "010", "010", "010"],
    "L": ["100", "100", "100", "100", "111"],
    "R": ["110", "101", "110", "101", "101"],
    "C": ["111", "100", "100", "100", "111"],
    "%": ["101", "001", "010", "100", "101"],
}


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def box(self, x0, y0, x1, y1, fillc, edge=BLACK):
        self.fill(x0, y0, x1, y1, fillc)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(min(ys), max(ys) + 1):
            xs = []
            n = len(pts)
            for i in range(n):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
                if ya == yb:
                    continue
                if min(ya, yb) <= y < max(ya, yb) or (y == max(ys) and min(ya, yb) <= y <= max(ya, yb)):
                    xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[i])), int(round(xs[i + 1])) + 1):
                    self.set(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def text(self, x, y, s, c):
        for ch in s:
            g = GLYPHS[ch]
            for j, row in enumerate(g):
                for i, bit in enumerate(row):
                    if bit == "1":
                        self.set(x + i, y + j, c)
            x += 4

    def blit(self, other, ox, oy, transparent=None):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c != transparent:
                    self.set(ox + x, oy + y, c)


# ---- small motifs -------------------------------------------------------

def play(c, x, y, h, col=GREEN):
    c.polygon([(x, y), (x, y + h - 1), (x + h // 2, y + h // 2)], col)
    c.line(x, y, x + h // 2, y + h // 2, BLACK)
    c.line(x, y + h - 1, x + h // 2, y + h // 2, BLACK)
    c.line(x, y, x, y + h - 1, BLACK)


def film(c, x0, y0, x1, y1, left, right):
    c.box(x0, y0, x1, y1, DARK)
    mid = (x0 + x1) // 2
    c.fill(x0 + 1, y0 + 2, mid, y1 - 2, left)
    c.fill(mid + 1, y0 + 2, x1 - 1, y1 - 2, right)
    for x in range(x0 + 1, x1, 2):
        c.set(x, y0 + 1, WHITE)
        c.set(x, y1 - 1, WHITE)


def folder(c, x0, y0, x1, y1):
    c.box(x0, y0 + 2, x1, y1, FOLDER)
    c.box(x0, y0, x0 + 5, y0 + 2, FOLDER)


def glasses(c, x, y):
    c.box(x, y + 1, x + 5, y + 5, RED)
    c.box(x + 8, y + 1, x + 13, y + 5, CYAN)
    c.line(x + 6, y + 2, x + 7, y + 2, BLACK)
    c.line(x, y + 1, x - 1, y, BLACK)
    c.line(x + 13, y + 1, x + 14, y, BLACK)


def document(c, x, y):
    c.box(x, y, x + 5, y + 7, WHITE)
    c.line(x + 1, y + 2, x + 4, y + 2, GREY)
    c.line(x + 1, y + 4, x + 4, y + 4, GREY)


def check(c, x, y):
    c.line(x, y + 2, x + 2, y + 4, NAVY)
    c.line(x + 2, y + 4, x + 6, y, NAVY)
    c.line(x, y + 3, x + 2, y + 5, NAVY)
    c.line(x + 2, y + 5, x + 6, y + 1, NAVY)


def arrow(c, cx, cy, d, col=NAVY):
    """A thick arrow of about 11 pixels through (cx, cy) in direction d."""
    if d in ("left", "right"):
        s = 1 if d == "right" else -1
        c.fill(min(cx - 4 * s, cx + s), cy - 1, max(cx - 4 * s, cx + s), cy + 1, col)
        c.polygon([(cx + s, cy - 4), (cx + s, cy + 4), (cx + 5 * s, cy)], col)
    else:
        s = 1 if d == "down" else -1
        c.fill(cx - 1, min(cy - 4 * s, cy + s), cx + 1, max(cy - 4 * s, cy + s), col)
        c.polygon([(cx - 4, cy + s), (cx + 4, cy + s), (cx, cy + 5 * s)], col)


def small_arrow(c, cx, cy, d, col=NAVY):
    s = 1 if d == "right" else -1
    c.line(cx - 3 * s, cy, cx + 2 * s, cy, col)
    c.polygon([(cx + s, cy - 3), (cx + s, cy + 3), (cx + 4 * s, cy)], col)


# ---- the three strips ---------------------------------------------------

def file_toolbar():
    w, h, n = 18, 17, 12
    strip = Canvas(w * n, h, MASK)
    for i in range(n):
        c = Canvas(w, h, MASK)
        if i == 0:      # open one stereo movie
            folder(c, 1, 4, 16, 15)
            film(c, 5, 1, 16, 9, RED, CYAN)
        elif i == 1:    # open left and right movies
            folder(c, 1, 4, 16, 15)
            film(c, 3, 1, 9, 8, RED, RED)
            film(c, 10, 3, 16, 10, CYAN, CYAN)
        elif i == 2:    # save a stereo movie
            c.box(2, 1, 15, 15, NAVY)
            c.fill(5, 2, 12, 6, WHITE)
            c.fill(5, 10, 12, 14, GREY)
            c.fill(6, 11, 7, 13, DARK)
        elif i == 3:    # stop
            c.box(4, 3, 13, 12, DARK)
        elif i == 4:    # play the pair
            play(c, 3, 2, 13)
            c.fill(4, 5, 5, 10, RED)
            c.fill(6, 6, 7, 9, CYAN)
        elif i == 5:    # play the left movie
            play(c, 2, 2, 13)
            c.text(12, 10, "L", RED)
        elif i == 6:    # play the right movie
            play(c, 2, 2, 13)
            c.text(12, 10, "R", BLUE)
        elif i == 7:    # play a chosen file full screen
            play(c, 1, 3, 11)
            document(c, 10, 7)
        elif i == 8:    # play the last saved movie
            play(c, 1, 2, 11)
            check(c, 10, 9)
        else:           # shutter glasses: pair, file, saved movie
            glasses(c, 2, 1)
            play(c, 2, 8, 9)
            if i == 10:
                document(c, 10, 8)
            elif i == 11:
                check(c, 9, 10)
            else:
                c.fill(3, 10, 4, 14, RED)
        strip.blit(c, i * w, 0)
    return strip


def main_toolbar():
    w, h, n = 16, 17, 26
    strip = Canvas(w * n, h, MASK)
    for i in range(n):
        c = Canvas(w, h, MASK)
        if i in (0, 1):
            pass
        elif i == 2:    # side by side with the blend below
            c.box(1, 2, 7, 7, RED)
            c.box(8, 2, 14, 7, CYAN)
            c.box(4, 9, 11, 14, GREY)
        elif i == 3:    # row interlace
            for y in range(2, 15):
                c.line(2, y, 13, y, RED if y % 2 else CYAN)
            c.frame(1, 1, 14, 15, BLACK)
        elif i == 4:    # grey anaglyph
            c.disc(6, 8, 5, RED)
            c.disc(10, 8, 5, CYAN)
            c.disc(8, 8, 2.5, GREY)
        elif i == 5:    # colour anaglyph
            c.disc(6, 8, 5, RED)
            c.disc(10, 8, 5, CYAN)
            c.disc(8, 8, 2.5, YELLOW)
        elif i == 6:    # side by side
            c.box(1, 4, 7, 12, RED)
            c.box(8, 4, 14, 12, CYAN)
        elif i == 7:    # over/under
            c.box(3, 1, 12, 7, RED)
            c.box(3, 8, 12, 14, CYAN)
        elif i == 8:    # exchange
            small_arrow(c, 8, 5, "right", RED)
            small_arrow(c, 7, 11, "left", BLUE)
        elif 9 <= i <= 12:   # left / right start one frame back or forward
            c.text(1, 1, "L" if i <= 10 else "R", RED if i <= 10 else BLUE)
            small_arrow(c, 8, 11, "left" if i in (9, 11) else "right")
        elif i in (13, 14):  # end offset: earlier / later
            c.fill(11, 2, 12, 14, DARK)
            small_arrow(c, 6, 8, "left" if i == 13 else "right")
        elif i == 15:   # start to the first frame
            c.fill(2, 3, 3, 13, DARK)
            c.polygon([(12, 3), (12, 13), (5, 8)], NAVY)
        elif i == 16:   # current frame becomes the start
            c.fill(4, 2, 5, 14, GREEN)
            c.line(4, 2, 9, 2, GREEN)
            c.line(4, 14, 9, 14, GREEN)
            c.disc(11, 8, 2, NAVY)
        elif i == 17:   # current frame becomes the end
            c.fill(10, 2, 11, 14, RED)
            c.line(6, 2, 11, 2, RED)
            c.line(6, 14, 11, 14, RED)
            c.disc(4, 8, 2, NAVY)
        elif i == 18:   # end to the last frame
            c.fill(12, 3, 13, 13, DARK)
            c.polygon([(3, 3), (3, 13), (10, 8)], NAVY)
        elif i == 19:
            arrow(c, 7, 9, "up")
        elif i == 20:
            arrow(c, 7, 7, "down")
        elif i == 21:
            arrow(c, 9, 8, "left")
        elif i == 22:
            arrow(c, 6, 8, "right")
        elif i == 23:   # chroma key
            c.box(1, 2, 14, 14, GREEN)
            c.disc(7.5, 6, 2, YELLOW)
            c.fill(5, 9, 10, 14, YELLOW)
        elif i == 24:   # offsets to zero
            c.disc(7.5, 8, 6, NAVY)
            c.disc(7.5, 8, 4, MASK)
            c.disc(7.5, 8, 1.5, RED)
        elif i == 25:   # trimming
            for x in range(2, 14, 2):
                c.set(x, 3, BLACK)
                c.set(x, 13, BLACK)
            for y in range(3, 14, 2):
                c.set(2, y, BLACK)
                c.set(13, y, BLACK)
            c.line(0, 1, 4, 1, RED)
            c.line(4, 0, 4, 5, RED)
            c.line(11, 15, 15, 15, RED)
            c.line(11, 11, 11, 16, RED)
        strip.blit(c, i * w, 0)
    return strip


def player_toolbar():
    w, h, n = 20, 17, 11
    strip = Canvas(w * n, h, MASK)
    labels = {5: "50", 6: "75", 7: "100", 8: "200"}
    for i in range(n):
        c = Canvas(w, h, MASK)
        if i == 0:      # close the player
            c.line(5, 3, 14, 12, RED)
            c.line(6, 3, 15, 12, RED)
            c.line(14, 3, 5, 12, RED)
            c.line(15, 3, 6, 12, RED)
        elif i == 1:    # pause
            c.box(6, 3, 8, 13, DARK)
            c.box(11, 3, 13, 13, DARK)
        elif i == 2:    # play
            play(c, 6, 2, 13)
        elif i == 3:    # sound on or off
            c.box(3, 6, 6, 10, DARK)
            c.polygon([(6, 6), (6, 10), (10, 14), (10, 2)], DARK)
            c.line(13, 5, 13, 11, NAVY)
            c.line(15, 3, 15, 13, NAVY)
        elif i == 4:    # full screen
            c.box(3, 3, 16, 13, WHITE)
            c.fill(4, 4, 15, 12, NAVY)
            small_arrow(c, 12, 8, "right", WHITE)
        elif i in labels:
            s = labels[i]
            size = {5: 4, 6: 6, 7: 8, 8: 11}[i]
            c.box(1, 15 - size, 1 + size, 15, WHITE)
            c.text(19 - 4 * len(s), 1, s, NAVY)
        elif i == 9:    # full width, half height
            c.box(2, 7, 17, 12, WHITE)
        elif i == 10:   # custom size
            c.box(2, 4, 12, 13, WHITE)
            c.text(14, 1, "C", NAVY)
            c.line(7, 8, 17, 14, GREY)
        strip.blit(c, i * w, 0)
    return strip


# ---- file writers -------------------------------------------------------

def write_bmp(path, canvas):
    row = (canvas.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        line = bytearray()
        for x in range(canvas.w):
            r, g, b = canvas.px[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54))
        f.write(header)
        f.write(data)


def mask_rows(w, h, opaque):
    """The 1-bit AND mask: 1 where the picture is transparent."""
    row = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(row)
        for x in range(w):
            if not opaque(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return out


def icon_image(canvas):
    """One 32-bit icon image: header, BGRA rows, AND mask."""
    w, h = canvas.w, canvas.h
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            c = canvas.px[y][x]
            if c is None:
                rows += b"\0\0\0\0"
            else:
                rows += bytes((c[2], c[1], c[0], 255))
    return header + rows + mask_rows(w, h, lambda x, y: canvas.px[y][x] is not None)


def cursor_image(w, h, shape):
    """One monochrome cursor image; shape(x, y) gives 'b', 'w' or None."""
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    row = ((w + 31) // 32) * 4
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(row)
        for x in range(w):
            if shape(x, y) == "w":
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bits
    return header + palette + xor + mask_rows(w, h, lambda x, y: shape(x, y) is not None)


def write_dir(path, kind, entries):
    """entries: (width, height, colours, a, b, image bytes); for icons a, b
    are planes and bit count, for cursors the hot spot."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for w, h, colours, a, b, img in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, a, b, len(img), offset)
        offset += len(img)
        body += img
    with open(path, "wb") as f:
        f.write(out + body)


def reels(size):
    """The program icon: two film reels, red and cyan, side by side."""
    c = Canvas(size, size, None)
    s = size / 32.0
    for cx, col in ((10.5, RED), (21.5, CYAN)):
        c.disc(cx * s, 16 * s, 9.5 * s, BLACK)
        c.disc(cx * s, 16 * s, 8.5 * s, col)
        c.disc(cx * s, 16 * s, 2 * s, BLACK)
        if size >= 32:
            for dx, dy in ((0, -5), (0, 5), (-5, 0), (5, 0)):
                c.disc((cx + dx) * s, (16 + dy) * s, 1.6 * s, WHITE)
    c.fill(int(4 * s), int(27 * s), int(28 * s), int(29 * s), DARK)
    return c


def shape_from(lines):
    def shape(x, y):
        if y >= len(lines) or x >= len(lines[y]):
            return None
        return {"#": "b", ".": "w"}.get(lines[y][x])
    return shape


def cross_cursor():
    lines = []
    for y in range(32):
        row = ""
        for x in range(32):
            if (x == 15 and 4 <= y <= 26 and abs(y - 15) > 2) or (y == 15 and 4 <= x <= 26 and abs(x - 15) > 2):
                row += "#"
            elif (x in (14, 16) and 4 <= y <= 26 and abs(y - 15) > 2) or (y in (14, 16) and 4 <= x <= 26 and abs(x - 15) > 2):
                row += "."
            else:
                row += " "
        lines.append(row)
    return shape_from(lines)


def move_cursor():
    # Four arrows from the centre (15, 15): black inside a white outline.
    ink = set()
    for d in range(-9, 10):
        ink.add((15 + d, 15))
        ink.add((15, 15 + d))
    for k in range(1, 4):
        for j in range(-k, k + 1):
            ink.add((15 + j, 6 + k))     # up
            ink.add((15 + j, 24 - k))    # down
            ink.add((6 + k, 15 + j))     # left
            ink.add((24 - k, 15 + j))    # right

    def shape(x, y):
        if (x, y) in ink:
            return "b"
        if any((x + dx, y + dy) in ink for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
            return "w"
        return None
    return shape


def dropper_cursor():
    # An eyedropper from the tip at (1, 30) up to the bulb at the top right.
    ink = set()
    for t in range(0, 19):
        for w in (-1, 0, 1):
            ink.add((1 + t + (1 if w > 0 else 0), 30 - t + (1 if w < 0 else 0)))
    for y in range(2, 11):
        for x in range(21, 30):
            if (x - 25) ** 2 + (y - 6) ** 2 <= 16:
                ink.add((x, y))

    def shape(x, y):
        if (x, y) in ink:
            return "b"
        if any((x + dx, y + dy) in ink for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
            return "w"
        return None
    return shape


def main(out):
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "tb131.bmp"), file_toolbar())
    write_bmp(os.path.join(out, "tb700.bmp"), main_toolbar())
    write_bmp(os.path.join(out, "tb133.bmp"), player_toolbar())
    write_dir(os.path.join(out, "twinreel.ico"), 1,
              [(n, n, 0, 1, 32, icon_image(reels(n))) for n in (32, 16)])
    curs = {
        "sel.cur": (cross_cursor(), 15, 15),
        "idou.cur": (move_cursor(), 15, 15),
        "color.cur": (dropper_cursor(), 1, 30),
        "nothing.cur": (lambda x, y: None, 0, 0),
    }
    for name, (shape, hx, hy) in curs.items():
        write_dir(os.path.join(out, name), 2, [(32, 32, 2, hx, hy, cursor_image(32, 32, shape))])


if __name__ == "__main__":
    main(sys.argv[1])
