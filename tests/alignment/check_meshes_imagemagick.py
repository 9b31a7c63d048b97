#!/usr/bin/python3
"""Displacement meshes against ImageMagick's own warps.

A coordinate image (red = column, green = row, in 1/128 pixel; blue marks the
inside) is warped by ImageMagick with bilinear look-ups; each output pixel
then tells where ImageMagick took it from. The same warp is built as a mesh
by mesh_probe; every position where both have a source must agree within
about one pixel, and where one of them clearly has a source so must the
other.

Rotation, size and offset go through -distort SRT, the lens barrel through
-distort Barrel, the perspective turns through -distort Perspective with the
four corner correspondences of a pinhole camera looking at the turned
picture (the ordinary kind maps the output through that homography, the
perspective-rotation kind through its inverse).

usage: check_meshes_imagemagick.py MESH_PROBE
"""
import math
import os
import subprocess
import sys
import tempfile

import numpy as np

SCALE = 128          # coordinate image: 1/128 pixel per level
TOLERANCE = 1.0      # pixels
INNER_TOLERANCE = 1.01   # the perspective-rotation kind takes whole source rows
EDGE = 1.5           # validity may differ this close to the source's edge


def write_coordinate_image(path, w, h):
    y, x = np.mgrid[0:h, 0:w]
    img = np.zeros((h, w, 3), dtype='>u2')
    img[..., 0] = x * SCALE
    img[..., 1] = y * SCALE
    img[..., 2] = 65535
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n65535\n' % (w, h))
        f.write(img.tobytes())


def read_ppm16(path):
    with open(path, 'rb') as f:
        data = f.read()
    # Four header tokens, then exactly one whitespace byte before the pixels.
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
    assert fields[0] == b'P6' and int(fields[3]) == 65535, fields
    w, h = int(fields[1]), int(fields[2])
    img = np.frombuffer(data[pos:pos + w * h * 6], dtype='>u2').reshape(h, w, 3)
    return img.astype(np.float64)


def read_mesh(path):
    raw = np.fromfile(path, dtype='<i4')
    w, h = raw[0], raw[1]
    pts = raw[2:].reshape(h, w, 2).astype(np.float64) / 1024.0
    return w, h, pts


def imagemagick(src, out, ow, oh, method, args):
    subprocess.run(['convert', src, '-virtual-pixel', 'black', '-filter', 'point',
                    '-interpolate', 'bilinear', '-define', 'distort:viewport=%dx%d+0+0' % (ow, oh),
                    '-distort', method, args, '-depth', '16', out], check=True)


def compare(probe, tmp, name, w, h, probe_args, method, im_args):
    coord = os.path.join(tmp, 'coord_%dx%d.ppm' % (w, h))
    if not os.path.exists(coord):
        write_coordinate_image(coord, w, h)
    mesh_path = os.path.join(tmp, 'mesh.bin')
    subprocess.run([probe, mesh_path, str(w), str(h)] + [str(a) for a in probe_args], check=True)
    mw, mh, pts = read_mesh(mesh_path)
    out = os.path.join(tmp, 'out.ppm')
    imagemagick(coord, out, mw, mh, method, im_args)
    im = read_ppm16(out)

    # Mesh rows are bottom-up; bring them and their source rows top-down.
    pts = pts[::-1]
    mx, my = pts[..., 0], (h - 1) - pts[..., 1]
    ix, iy = im[..., 0] / SCALE, im[..., 1] / SCALE
    im_inside = im[..., 2] == 65535
    mesh_inside = (mx >= 0) & (mx <= w - 1) & (my >= 0) & (my <= h - 1)
    both = im_inside & mesh_inside
    err = np.maximum(np.abs(mx - ix), np.abs(my - iy))
    worst = float(err[both].max()) if both.any() else float('nan')
    # Away from the source's outer ring, where the mesh takes border points
    # as they are instead of interpolating them.
    inner = both & (mx >= 1) & (mx <= w - 2) & (my >= 1) & (my <= h - 2)
    inner_worst = float(err[inner].max()) if inner.any() else float('nan')
    # The four corners of the region both cover, and the centre.
    rows, cols = np.nonzero(both)
    probes = []
    if len(rows):
        for r, c in [(rows.min(), None), (rows.max(), None)]:
            cs = cols[rows == r]
            probes += [(r, cs.min()), (r, cs.max())]
        probes.append((mh // 2, mw // 2))
    corner = max(float(err[r, c]) for r, c in probes) if probes else float('nan')
    clear_mesh = (mx >= EDGE) & (mx <= w - 1 - EDGE) & (my >= EDGE) & (my <= h - 1 - EDGE)
    clear_im = im[..., 2] == 65535
    im_out = im[..., 2] == 0
    far_out = (mx < -EDGE) | (mx > w - 1 + EDGE) | (my < -EDGE) | (my > h - 1 + EDGE)
    disagree = int((clear_mesh & im_out).sum() + (clear_im & far_out).sum())
    ok = (both.sum() > 0.2 * mw * mh and corner <= TOLERANCE and inner_worst <= INNER_TOLERANCE
          and worst <= TOLERANCE + 0.25 and disagree == 0)
    print('%-34s %4dx%-4d compared %6d  corners %.3f  inside %.3f  worst %.3f px  disagreements %d  %s'
          % (name, mw, mh, int(both.sum()), corner, inner_worst, worst, disagree, 'ok' if ok else 'FAIL'))
    return ok


def tenth_rad(a):
    return a * math.pi / 1800


def srt_rotation(w, h, ow, oh, angle):
    # Output o maps to source c_in + R(-angle)(o - c_out) in top-down index
    # coordinates; ImageMagick's SRT maps source to destination.
    cin = (w // 2 + 0.5, (h - 1 - h // 2) + 0.5)
    cout = (ow // 2 + 0.5, (oh - 1 - oh // 2) + 0.5)
    return '%.6f,%.6f 1 %.4f %.6f,%.6f' % (cin[0], cin[1], angle / 10, cout[0], cout[1])


def srt_shrink_rotate(w, h, size, angle):
    s = 1000 + size
    nw, nh = w * s // 1000, h * s // 1000
    kx, ky = (nw * 16384 // w) / 16384, (nh * 16384 // h) / 16384
    # ResampleMesh steps: the source advances w * 16384 / nw per output point.
    kx, ky = (w * 16384 // nw) / 16384, (h * 16384 // nh) / 16384
    padx, pady = (w - nw) // 2, (h - nh) // 2
    cx, cy = w // 2, h // 2
    x_td = kx * (cx - padx)
    y_td = (h - 1) - ky * (cy - pady)
    cout = (cx + 0.5, (h - 1 - cy) + 0.5)
    return '%.6f,%.6f %.8f,%.8f %.4f %.6f,%.6f' % (x_td + 0.5, y_td + 0.5, 1 / kx, 1 / ky, angle / 10,
                                                  cout[0], cout[1])


def srt_resample(w, h, ow, oh):
    kx, ky = (w * 16384 // ow) / 16384, (h * 16384 // oh) / 16384
    # bottom-up: src = k * out; top-down: src = (h-1) - k * ((oh-1) - out).
    x0 = 0.0
    y0 = (h - 1) - ky * (oh - 1)
    # ImageMagick: src = (dest - N) / s + X with N = 0 and continuous
    # coordinates (index + 0.5).
    return '%.6f,%.6f %.8f,%.8f 0 0,0' % (x0 + 0.5 - 0.5 * kx, y0 + 0.5 - 0.5 * ky, 1 / kx, 1 / ky)


def barrel_args(w, h, value):
    cx, cy = (w - 1) * 0.5, (h - 1) * 0.5
    m = min(cx, cy)
    r2 = cx * cx + cy * cy
    k = value / 3000.0
    s = 1 - k * m * m / r2 if value >= 0 else 1 - k
    rn = min(w, h) / 2.0
    return '0 %.10f 0 %.10f' % (-k * rn * rn / (r2 * s), 1 / s)


def perspective_args(w, h, angle, fov, vertical, reverse, canvas=0, shift=0):
    """Four output corners and where the pinhole model takes them from.

    The ordinary horizontal-axis kind may also have a canvas (extra rows,
    half of them above the picture) and a shear of shift / 256 pixel per
    source row; both keep the map a homography."""
    t = math.tan(tenth_rad(fov))
    c, s = math.cos(tenth_rad(angle)), math.sin(tenth_rad(angle))
    along = (w if vertical else h) // 2
    across = (h if vertical else w) // 2
    fl = along / t

    extra = (canvas + 10) * h // 10 - h
    oh = h + extra

    def source(col, row_bu):
        if not vertical:
            row_bu -= extra // 2
        p, q = (col, row_bu) if vertical else (row_bu, col)   # along, across
        x, y = p - along, q - across
        if not reverse:
            den = fl + x * s
            u, v = fl * c * x / den, fl * y / den
        else:
            den = fl * c - x * s
            u, v = fl * x / den, fl * c * y / den
        sp, sq = along + u, across + v
        return (sp, sq) if vertical else (sq + sp * shift / 256.0, sp)

    pairs = []
    for col, row_td in [(0, 0), (w - 1, 0), (0, oh - 1), (w - 1, oh - 1)]:
        sx, sy_bu = source(col, (oh - 1) - row_td)
        pairs.append('%.6f,%.6f %.6f,%.6f' % (sx + 0.5, (h - 1 - sy_bu) + 0.5, col + 0.5, row_td + 0.5))
    return '  '.join(pairs)


def main():
    probe = sys.argv[1]
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        w, h = 320, 240
        for angle in (25, -40, 150, -300):
            ok &= compare(probe, tmp, 'rotation %+d' % angle, w, h, ['rotation', angle, 0, 0],
                          'SRT', srt_rotation(w, h, w, h, angle))
        ok &= compare(probe, tmp, 'rotation +60 into 280x260', w, h, ['rotation', 60, 280, 260],
                      'SRT', srt_rotation(w, h, 280, 260, 60))
        ok &= compare(probe, tmp, 'size 1000 -> 1150', w, h, ['resample', 368, 276],
                      'SRT', srt_resample(w, h, 368, 276))
        ok &= compare(probe, tmp, 'size -80, rotation -35', w, h, ['shrinkrot', -80, -35],
                      'SRT', srt_shrink_rotate(w, h, -80, -35))
        for value in (600, 250, -300):
            ok &= compare(probe, tmp, 'barrel %+d' % value, w, h, ['barrel', value],
                          'Barrel', barrel_args(w, h, value))
        for fov in (198, 272):
            for angle in (80, -150):
                for vertical in (True, False):
                    for reverse in (False, True):
                        kind = 'perspv' if vertical else 'persph'
                        args = ['--fov', fov] + (['--reverse'] if reverse else []) + [kind, angle]
                        if not vertical:
                            args.append(0)
                        name = '%s%s %+d fov %d' % (kind, ' rotation kind' if reverse else '', angle, fov)
                        ok &= compare(probe, tmp, name, w, h, args, 'Perspective',
                                      perspective_args(w, h, angle, fov, vertical, reverse))
        ok &= compare(probe, tmp, 'persph +120 canvas 2 shift 40', w, h,
                      ['--canvas', 2, 'persph', 120, 40], 'Perspective',
                      perspective_args(w, h, 120, 198, False, False, canvas=2, shift=40))
    print('all meshes agree with ImageMagick' if ok else 'MESHES DISAGREE WITH IMAGEMAGICK')
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
