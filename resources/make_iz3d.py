#!/usr/bin/env python3
"""Writes the "IZ3D" table: 256 rows x 512 columns x 3 channels of bytes.

An iZ3D monitor stacks two panels. In linear light (l, r in 0..1 for the
left and right eye's value of one channel):
  front panel  f = (l + r) / 2        the summed image
  back panel   b = r / (l + r)        the share of the right eye (1/2 when both are 0)
Row 255 - rv and column lv hold f; column 256 + lv holds b. The bytes are
stored at display gamma (1/2.2); the program turns them back to linear
light (0-32640) when it loads the table.
"""
import sys


def lin(v):
    return (v / 255.0) ** 2.2


def enc(x):
    return int(round(255.0 * (x ** (1 / 2.2))))


def main(path):
    out = bytearray(256 * 512 * 3)
    for rv in range(256):
        row = (255 - rv) * 512 * 3
        r = lin(rv)
        for lv in range(256):
            l = lin(lv)
            front = enc((l + r) / 2)
            back = enc(r / (l + r) if l + r > 0 else 0.5)
            for c in range(3):
                out[row + lv * 3 + c] = front
                out[row + (256 + lv) * 3 + c] = back
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
