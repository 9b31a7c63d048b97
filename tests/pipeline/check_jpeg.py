#!/usr/bin/python3
"""The JPEG files jpeg_tests wrote, decoded by djpeg (libjpeg) and ffmpeg
(its own decoder): both take them for the picture they were made from.

The decoded luma planes agree within one level (the two inverse DCTs
round differently); the pictures agree within two levels where chroma is
not subsampled. With subsampled chroma the two decoders upsample
differently at sharp edges, so only the mean difference is bounded there.
"""
import os
import subprocess
import sys

import numpy as np

folder = sys.argv[1]
W, H = 96, 64
FORMATS = {0: "yuvj420p", 1: "yuvj440p", 2: "yuvj422p", 3: "yuvj444p"}


def run(*cmd):
    return subprocess.run(cmd, capture_output=True, check=True).stdout


def pnm(data):
    parts = data.split(b"\n", 3)
    w, h = map(int, parts[1].split())
    depth = 3 if parts[0] == b"P6" else 1
    a = np.frombuffer(parts[3][: w * h * depth], np.uint8)
    return a.reshape((h, w, depth) if depth == 3 else (h, w)).astype(int)


def ffmpeg(path, pix_fmt, depth):
    out = run("ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", pix_fmt, "-")
    return np.frombuffer(out, np.uint8).reshape((H, W, depth) if depth > 1 else (H, W)).astype(int)


source = np.frombuffer(open(os.path.join(folder, "outside.rgb"), "rb").read(), np.uint8)
source = source.reshape(H, W, 3).astype(int)
failures = []
for sampling, pix_fmt in FORMATS.items():
    path = os.path.join(folder, "outside%d.jpg" % sampling)
    probe = run("ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,pix_fmt",
                "-of", "csv=p=0", path).decode().strip()
    if probe != "mjpeg,%d,%d,%s" % (W, H, pix_fmt):
        failures.append("%s: ffprobe says %s" % (path, probe))
    dj = pnm(run("djpeg", "-ppm", path))
    ff = ffmpeg(path, "rgb24", 3)
    luma_dj = pnm(run("djpeg", "-grayscale", "-pnm", path))
    luma_ff = ffmpeg(path, "gray", 1)
    mse = ((dj - source) ** 2).mean()
    psnr = 10 * np.log10(255 * 255 / mse) if mse else 99
    luma = abs(luma_dj - luma_ff).max()
    rgb_max = abs(dj - ff).max()
    rgb_mean = abs(dj - ff).mean()
    print("sampling %d: PSNR %.1f dB against the source, luma djpeg/ffmpeg %d, RGB max %d mean %.2f"
          % (sampling, psnr, luma, rgb_max, rgb_mean))
    if psnr < 40:
        failures.append("%s: PSNR %.1f" % (path, psnr))
    if luma > 1:
        failures.append("%s: luma differs by %d" % (path, luma))
    if sampling == 3 and rgb_max > 2:
        failures.append("%s: 4:4:4 RGB differs by %d" % (path, rgb_max))
    if rgb_max > 8:
        failures.append("%s: RGB differs by %d" % (path, rgb_max))
    if rgb_mean > 1.5:
        failures.append("%s: mean RGB difference %.2f" % (path, rgb_mean))
for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
