#!/usr/bin/python3
"""The preview's rotation warp against ImageMagick's -distort SRT.

A white line on black (odd sizes, so that both turn about the same pixel) is
turned by preview_probe and by ImageMagick (bilinear, and nearest against its
nearest-neighbour look-up); every lit pixel of either must
have a lit pixel of the other within one pixel, and the line must survive
whole in both.

usage: check_preview_rotation_imagemagick.py PREVIEW_PROBE
"""
import subprocess
import sys
import tempfile
import os

import numpy as np

W, H = 161, 121
LIT = 100


def read_pgm(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    w, h = int(fields[1]), int(fields[2])
    return np.frombuffer(data[pos:pos + w * h], dtype=np.uint8).reshape(h, w)


def within_one(a, b):
    """Every True of a has a True of b in its 3 x 3 neighbourhood."""
    grown = np.zeros_like(b)
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            grown |= np.roll(np.roll(b, dy, axis=0), dx, axis=1)
    return int(np.count_nonzero(a & ~grown))


def main():
    probe = sys.argv[1]
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, 'in.pgm')
        subprocess.run(['/usr/bin/convert', '-size', '%dx%d' % (W, H), 'xc:black', '+antialias',
                        '-stroke', 'white', '-draw', 'line 20,30 140,90', '-depth', '8', src], check=True)
        line = np.count_nonzero(read_pgm(src) >= LIT)
        for angle in (15, -150, 300, 415, -900):
            for mode in ('bilinear', 'nearest'):
                ours_path = os.path.join(tmp, 'ours.pgm')
                theirs_path = os.path.join(tmp, 'theirs.pgm')
                subprocess.run([probe, src, ours_path, str(angle)] + (['nearest'] if mode == 'nearest' else []),
                               check=True)
                subprocess.run(['/usr/bin/convert', src, '-virtual-pixel', 'black', '-filter', 'point',
                                '-interpolate', 'nearest' if mode == 'nearest' else 'bilinear',
                                '-distort', 'SRT', '%g' % (angle / 10), '-depth', '8', theirs_path], check=True)
                ours = read_pgm(ours_path) >= LIT
                theirs = read_pgm(theirs_path) >= LIT
                stray_ours = within_one(ours, theirs)
                stray_theirs = within_one(theirs, ours)
                n_ours, n_theirs = np.count_nonzero(ours), np.count_nonzero(theirs)
                good = (stray_ours == 0 and stray_theirs == 0 and n_ours >= line * 0.8 and n_theirs >= line * 0.8)
                print('%-5s angle %+5.1f: %d and %d lit pixels (line %d), %d and %d farther than a pixel %s'
                      % (mode, angle / 10, n_ours, n_theirs, line, stray_ours, stray_theirs,
                         'ok' if good else 'FAIL'))
                ok &= good
    print('%d passed, %d failed' % ((1, 0) if ok else (0, 1)))
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
