#!/usr/bin/python3
"""Checks the TGA writer against ImageMagick and ffmpeg: every file the
probe writes must have the header the program's outside tool expects
(type 2, little-endian sizes, 24 bits, bottom-up rows without padding),
be identified by ImageMagick and ffprobe with its size and depth, and
decode in both to exactly the upright picture the probe meant."""
import os
import struct
import subprocess
import sys
import tempfile

wine_run, probe = sys.argv[1], sys.argv[2]


def ppm_pixels(data):
    parts = data.split(b"\n", 3)
    return parts[3] if len(parts) == 4 else data


with tempfile.TemporaryDirectory() as out:
    host = "Z:" + out.replace("/", "\\")
    r = subprocess.run([wine_run, probe, host], capture_output=True, text=True, errors="replace")
    print(r.stdout.strip())
    if r.returncode != 0:
        print(r.stderr)
        sys.exit("probe failed")
    names = sorted(n for n in os.listdir(out) if n.endswith(".tga"))
    if len(names) != 6:
        sys.exit(f"expected 6 files, found {len(names)}")
    failures = 0
    for name in names:
        w, h = (int(v) for v in name[4:-4].split("x"))
        path = os.path.join(out, name)
        with open(path, "rb") as f:
            data = f.read()
        with open(path[:-4] + ".ppm", "rb") as f:
            expected = ppm_pixels(f.read())
        problems = []
        header = data[:18]
        if header[2] != 2 or struct.unpack("<HH", header[12:16]) != (w, h) or header[16] != 24:
            problems.append(f"header {header.hex()}")
        if any(header[i] for i in range(18) if i not in (2, 12, 13, 14, 15, 16)):
            problems.append(f"stray header bytes {header.hex()}")
        if len(data) != 18 + 3 * w * h:
            problems.append(f"{len(data)} bytes, not {18 + 3 * w * h}")
        # ImageMagick keeps a TGA's rows in file order and says where row 0
        # lies; bottom-up rows must read as BottomLeft.
        ident = subprocess.run(["identify", "-format", "%m %w %h %z %[orientation]", path], capture_output=True,
                               text=True)
        if ident.stdout.strip() != f"TGA {w} {h} 8 BottomLeft":
            problems.append(f"identify: {ident.stdout.strip()!r} {ident.stderr.strip()}")
        got = subprocess.run(["convert", path, "-auto-orient", "-depth", "8", "ppm:-"], capture_output=True).stdout
        if ppm_pixels(got) != expected:
            problems.append("ImageMagick pixels differ")
        probe_out = subprocess.run(
            ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
             "stream=codec_name,width,height,pix_fmt", "-of", "csv=p=0", path],
            capture_output=True, text=True).stdout.strip()
        if probe_out != f"targa,{w},{h},bgr24":
            problems.append(f"ffprobe: {probe_out!r}")
        raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                             capture_output=True).stdout
        if raw != expected:
            problems.append("ffmpeg pixels differ")
        print(f"{name:18s} {'ok' if not problems else '; '.join(problems)}")
        failures += bool(problems)
    sys.exit(1 if failures else 0)
