#!/usr/bin/python3
"""Compares a screenshot of the view window with a reference picture.

usage: compare_view.py MODE VIEW.bmp REF.rgb W H [TOLERANCE]

The view shows eye frames of W x H at 100 % (the window is large enough).
The pictures are cut where the view places them for display mode MODE
(0 side by side, 1 over/under, 2 one composed picture, centred) with the
default settings (frame width 4, centred placement), put together as
ffmpeg's hstack and vstack put the two eyes, and compared with REF (raw
RGB of the same size). Prints the largest difference of a channel and
fails when it is above TOLERANCE (default 0).
"""
import struct
import sys

import numpy


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        sys.exit("%s: %d bits per pixel" % (path, bits))
    row = (width * 3 + 3) & ~3
    rows = numpy.frombuffer(data, numpy.uint8, row * abs(height), offset).reshape(abs(height), row)
    pixels = rows[:, : width * 3].reshape(abs(height), width, 3)[:, :, ::-1]  # BGR to RGB
    return pixels[::-1] if height > 0 else pixels


def main():
    mode, view_path, ref_path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    w, h = int(sys.argv[4]), int(sys.argv[5])
    tolerance = int(sys.argv[6]) if len(sys.argv) > 6 else 0
    view = read_bmp(view_path).astype(int)
    ch, cw = view.shape[:2]
    waku = 4
    if mode == 0:
        y = (ch - h) // 2
        xl = (cw // 2 - w) // 2
        xr = cw // 2 + xl
        got = numpy.hstack([view[y:y + h, xl:xl + w], view[y:y + h, xr:xr + w]])
        frame = view[y, xl - waku]
        if tuple(frame) != (0, 0, 255):
            sys.exit("mode 0: no blue frame left of the left picture (%s)" % (tuple(frame),))
    elif mode == 1:
        x = (cw - w) // 2
        yt = (ch // 2 - h) // 2
        yb = ch // 2 + yt
        got = numpy.vstack([view[yt:yt + h, x:x + w], view[yb:yb + h, x:x + w]])
    else:
        x, y = (cw - w) // 2, (ch - h) // 2
        got = view[y:y + h, x:x + w]
    ref = numpy.fromfile(ref_path, numpy.uint8).reshape(got.shape).astype(int)
    diff = numpy.abs(got - ref)
    worst = int(diff.max())
    print("mode %d: view %dx%d, %d pixels compared, largest difference %d, %d values differ"
          % (mode, cw, ch, got.shape[0] * got.shape[1], worst, int((diff > 0).sum())))
    if worst > tolerance:
        sys.exit("mode %d differs from the reference by up to %d" % (mode, worst))


main()
