#!/usr/bin/python3
"""The two files of the split test read back: ffprobe's frame counts add up
to the pair's 1,200 frames, every frame carries the number of the source
frame it was made from (no frame lost or repeated across the boundary),
the frames on both sides of the boundary equal ffmpeg's hstack of the
sources, and each file's sound is that of its own frames. The files are
removed afterwards.
"""
import json
import os
import struct
import subprocess
import sys

import numpy as np

out_dir, media_dir = sys.argv[1], sys.argv[2]
first, second = os.path.join(out_dir, "split.avi"), os.path.join(out_dir, "split01.avi")
left, right = os.path.join(media_dir, "splitL.avi"), os.path.join(media_dir, "splitR.avi")
FIRST_FRAMES, FRAMES, SOUND = 1156, 1200, 320
failures = []


def run(*cmd):
    return subprocess.run(cmd, capture_output=True, check=True).stdout


def packets(path, stream):
    out = run("ffprobe", "-v", "error", "-select_streams", str(stream), "-show_entries", "packet=pos,size",
              "-of", "json", path)
    return [(int(p["pos"]), int(p["size"])) for p in json.loads(out)["packets"]]


def frames(cmd):
    data = np.frombuffer(run(*(cmd + ["-f", "rawvideo", "-pix_fmt", "rgb24", "-"])), np.uint8)
    return data.reshape(-1, 480, 1280, 3)


def check():
    sizes = [os.path.getsize(p) for p in (first, second)]
    print("file sizes", sizes)
    if not 0x7F000000 < sizes[0] < 0x80000000:
        failures.append("the first file has %d bytes" % sizes[0])
    counts = []
    for path, start, count in ((first, 0, FIRST_FRAMES), (second, FIRST_FRAMES, FRAMES - FIRST_FRAMES)):
        v = json.loads(run("ffprobe", "-v", "error", "-count_packets", "-show_streams", "-of", "json", path))["streams"]
        video = [s for s in v if s["codec_type"] == "video"][0]
        facts = (video["codec_name"], video["width"], video["height"], video["r_frame_rate"], int(video["nb_read_packets"]))
        if facts != ("rawvideo", 1280, 480, "25/1", count):
            failures.append("%s: %s" % (path, facts))
        counts.append(int(video["nb_read_packets"]))
        # The frame numbers in the first row of each eye.
        with open(path, "rb") as f:
            numbers = []
            for pos, size in packets(path, 0):
                f.seek(pos)
                row = f.read(1280 * 3)
                numbers.append((struct.unpack("<I", row[:4])[0], struct.unpack("<I", row[1920:1924])[0]))
        want = [(n, n) for n in range(start, start + count)]
        if numbers != want:
            bad = [i for i, (a, b) in enumerate(zip(numbers, want)) if a != b][:3]
            failures.append("%s: frames %s carry %s" % (path, bad, [numbers[i] for i in bad]))
        # The sound of the frames of this file.
        got = np.frombuffer(run("ffmpeg", "-v", "error", "-i", path, "-map", "0:a", "-f", "u8", "-"), np.uint8)
        want_sound = np.repeat((np.arange(start, start + count) * 3) & 255, SOUND).astype(np.uint8)
        if not np.array_equal(got, want_sound):
            failures.append("%s: sound of %d samples, not that of its frames" % (path, len(got)))
    print("frames", counts, "together", sum(counts))
    # The frames either side of the boundary and ffmpeg's own hstack of the
    # source frames 1,154-1,157.
    graph = ("[0:v]select='between(n,1154,1157)',setpts=N/25/TB[l];[1:v]select='between(n,1154,1157)',"
             "setpts=N/25/TB[r];[l][r]hstack")
    want = frames(["ffmpeg", "-v", "error", "-i", left, "-i", right, "-filter_complex", graph])
    got = np.concatenate([frames(["ffmpeg", "-v", "error", "-i", first, "-vf", "select='gte(n,1154)'", "-vsync", "0"]),
                          frames(["ffmpeg", "-v", "error", "-i", second, "-frames:v", "2"])])
    if got.shape != want.shape or not np.array_equal(got, want):
        failures.append("the frames around the boundary differ from ffmpeg's hstack of the sources")


try:
    check()
except subprocess.CalledProcessError as e:
    failures.append("%s: %s" % (" ".join(e.cmd[:5]), e.stderr.decode(errors="replace").strip()))
finally:
    for p in (first, second):
        if os.path.exists(p):
            os.remove(p)
for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
