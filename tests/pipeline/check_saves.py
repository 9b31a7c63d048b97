#!/usr/bin/python3
"""The files save_movie_tests wrote, read back by ffprobe and ffmpeg.

Each line of the manifest names a file and what it must hold. Frames of
stereo saves are compared with ffmpeg's own hstack, vstack and stereo3d of
the two sources (cut as the offsets cut them); the row and column
interlaces and the chroma key, which ffmpeg has no filter for, with the
rows, columns and pixels of ffmpeg's decoding of the sources. Sound is
compared with ffmpeg's decoding of the source over the frames saved, and
copies without recompression packet by packet (ffmpeg -c copy -f
framemd5).
"""
import concurrent.futures
import functools
import json
import math
import os
import subprocess
import sys

import numpy as np

out_dir, media_dir = sys.argv[1], sys.argv[2]
W, H = 64, 48  # the sources' frame size
failures = []


def fail(name, text):
    failures.append("%s: %s" % (name, text))


def run(*cmd):
    return subprocess.run(cmd, capture_output=True, check=True).stdout


@functools.lru_cache(maxsize=None)
def probe(path):
    return json.loads(run("ffprobe", "-v", "error", "-show_streams", "-of", "json", path))["streams"]


def frames(path, w, h, args=(), graph=None, inputs=()):
    """Frames as rgb24 arrays: of a file, or of a filter graph over inputs."""
    cmd = ["ffmpeg", "-v", "error"]
    if graph:
        for i in inputs:
            cmd += ["-i", i]
        cmd += ["-filter_complex", graph]
    else:
        cmd += ["-i", path]
    cmd += list(args) + ["-f", "rawvideo", "-pix_fmt", "rgb24", "-"]
    data = np.frombuffer(run(*cmd), np.uint8)
    return data.reshape(-1, h, w, 3).astype(int)


@functools.lru_cache(maxsize=None)
def decoded_sound(path):
    data = np.frombuffer(run("ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-f", "s16le", "-"), np.int16)
    return data.reshape(-1, probe_channels(path))


def sound(path, start_sample=0, count=None):
    """16-bit samples of the first sound stream, one row per sample."""
    end = None if count is None else start_sample + count
    return decoded_sound(path)[start_sample:end]


def probe_channels(path):
    for s in probe(path):
        if s["codec_type"] == "audio":
            return int(s["channels"])
    return 1


def sample_rate(path):
    for s in probe(path):
        if s["codec_type"] == "audio":
            return int(s["sample_rate"])
    return 0


def margins(sx, sy):
    """The crop origins as the program computes them (right column, right
    row, left column, left row; rows from the bottom)."""
    lx, ly = max(W - 10, 0), max(H - 10, 0)
    sx, sy = max(-lx, min(lx, sx)), max(-ly, min(ly, sy))
    m = [max(sx, 0), max(sy, 0), max(-sx, 0), max(-sy, 0)]
    common = W - m[0] - m[2]
    r = common % 4 if common > 0 else 0
    m[0] += r // 2
    m[2] += r - r // 2
    return m


# The anaglyph tables at gamma 1.00 as the program builds them:
# trunc(255 (i x 0.00392156862745098)^1), a level below i for some i.
GAMMA_100 = np.array([int(255 * math.pow(i * 0.00392156862745098, 1.0)) for i in range(256)])


def gdi_half(eye):
    """A reduction to half size as GDI's stretch (COLORONCOLOR) samples it:
    the second pixel of each pair of columns and the lower row of each pair
    of rows counted from the bottom (the top one counted top-down)."""
    return eye[:, 0::2, 1::2]


def eye_crops(f):
    """The crop filters of the two eyes, top-down."""
    m = margins(int(f["shiftx"]), int(f["shifty"]))
    w, h = W - m[0] - m[2], H - m[1] - m[3]
    left = "crop=%d:%d:%d:%d" % (w, h, m[2], m[1])
    right = "crop=%d:%d:%d:%d" % (w, h, m[0], m[3])
    return left, right, w, h


def eye_graph(f, tail, left_extra="", right_extra=""):
    """A filter graph over the two sources cut to the saved frames."""
    lc, rc, _, _ = eye_crops(f)
    return ("[0:v]trim=start_frame=%s,setpts=PTS-STARTPTS,%s%s[l];"
            "[1:v]trim=start_frame=%s,setpts=PTS-STARTPTS,%s%s[r];%s"
            % (f["lstart"], lc, left_extra, f["rstart"], rc, right_extra, tail))


def sources(f):
    return [os.path.join(media_dir, f["left"]), os.path.join(media_dir, f["right"])]


def video_stream(name, path, f, count):
    v = [s for s in probe(path) if s["codec_type"] == "video"]
    if len(v) != 1:
        fail(name, "%d video streams" % len(v))
        return False
    v = v[0]
    got = (v["codec_name"], v["width"], v["height"], int(v.get("nb_frames", -1)), v["r_frame_rate"])
    want = ("rawvideo", int(f["width"]), int(f["height"]), count, "25/1")
    if got != want:
        fail(name, "stream %s, expected %s" % (got, want))
        return False
    return True


def compare_frames(name, got, want, tolerance=0, mean_tolerance=None):
    if got.shape != want.shape:
        fail(name, "frames %s, expected %s" % (got.shape, want.shape))
        return
    diff = np.abs(got - want)
    if diff.max() > tolerance:
        fail(name, "frames differ by up to %d (allowed %d) at %s"
             % (diff.max(), tolerance, np.unravel_index(diff.argmax(), diff.shape)))
    if mean_tolerance is not None and diff.mean() > mean_tolerance:
        fail(name, "mean difference %.2f (allowed %.2f)" % (diff.mean(), mean_tolerance))
    print("  %s: frames max difference %d, mean %.3f" % (name, diff.max(), diff.mean()))


def compare_sound(name, path, source, first_frame, count):
    """The saved sound equals the source's over the frames saved."""
    rate = sample_rate(source)
    per_frame = rate // 25
    want = sound(source, first_frame * per_frame, count * per_frame)
    if len(want) != count * per_frame:
        fail(name, "the source %s has no sound for all the frames" % source)
    got = sound(path)
    if got.shape != want.shape or not np.array_equal(got, want):
        fail(name, "sound %s differs from %s frames %d-%d %s"
             % (got.shape, source, first_frame, first_frame + count - 1, want.shape))


@functools.lru_cache(maxsize=None)
def source_frames(name):
    return frames(os.path.join(media_dir, name), W, H)


def eyes(f, count, w, h):
    """The two eyes' saved frames as ffmpeg decodes them, cut as the offsets
    cut them."""
    m = margins(int(f["shiftx"]), int(f["shifty"]))
    cw, ch = W - m[0] - m[2], H - m[1] - m[3]
    ls, rs = int(f["lstart"]), int(f["rstart"])
    left = source_frames(f["left"])[ls:ls + count, m[1]:m[1] + ch, m[2]:m[2] + cw]
    right = source_frames(f["right"])[rs:rs + count, m[3]:m[3] + ch, m[0]:m[0] + cw]
    return left, right


def check_layout(name, path, f):
    count = int(f["count"])
    if not video_stream(name, path, f, count):
        return
    layout = int(f["layout"])
    width, height = int(f["width"]), int(f["height"])
    got = frames(path, width, height)
    src = sources(f)
    _, _, w, h = eye_crops(f)
    n = ("-frames:v", str(count))
    stereo3d = {2: "arcg", 3: "arcc"}
    if layout in (0, 1):
        want = frames(None, width, height, n, eye_graph(f, "[l][r]%s" % ("hstack" if layout == 0 else "vstack")), src)
        compare_frames(name, got, want)
    elif layout in stereo3d:
        want = frames(None, width, height, n, eye_graph(f, "[l][r]hstack,format=rgb24,stereo3d=sbsl:%s" % stereo3d[layout]), src)
        if layout == 3:
            want = GAMMA_100[want]
        # The program's luma, trunc(0.114 B + 0.587 G + 0.299 R), and
        # ffmpeg's fixed-point one may differ by a level.
        compare_frames(name, got, want, 1 if layout == 2 else 0)
    else:
        left, right = eyes(f, count, w, h)
        want = np.zeros_like(left)
        if layout == 4:
            # Each eye gives its even rows counted from the bottom: the left
            # one to the even rows, the right one to the odd rows above.
            for k in range(0, h, 2):
                y = h - 1 - k
                want[:, y] = left[:, y]
                if y - 1 >= 0:
                    want[:, y - 1] = right[:, y]
        elif layout == 7:
            # Column pairs: the left eye's even column, then the right eye's
            # even column beside it.
            want[:, :, 0::2] = left[:, :, 0::2]
            odd = want[:, :, 1::2].shape[2]
            want[:, :, 1::2] = right[:, :, 0::2][:, :, :odd]
        elif layout == 6:
            # White (the default key) within 10 of each channel in the left
            # image shows the right image.
            key = np.all(np.abs(left - 255) <= 10, axis=3, keepdims=True)
            want = np.where(key, right, left)
        compare_frames(name, got, want)
    compare_sound(name, path, os.path.join(media_dir, f["sound"]), int(f["lstart"]), count)


def check_resize(name, path, f):
    count = int(f["count"])
    if not video_stream(name, path, f, count):
        return
    width, height = int(f["width"]), int(f["height"])
    sw, sh = int(f["sw"]), int(f["sh"])
    got = frames(path, width, height)
    src = sources(f)
    layout = int(f["layout"])
    n = ("-frames:v", str(count))
    if f["aspect"] == "1":
        # The picture of the eye's aspect, centred on a black canvas.
        iw, ih = (32 if f["half"] == "1" else 64), 48
        fw = sw if sw * ih // iw <= sh else sh * iw // ih
        fh = sw * ih // iw if sw * ih // iw <= sh else sh
        x0, y0 = (sw - fw) // 2, (sh - fh) // 2
        canvas = np.ones_like(got[:, :sh, :sw], dtype=bool)
        canvas[:, y0:y0 + fh, x0:x0 + fw] = False
        for eye in (0, 1):
            part = got[:, :, eye * sw:(eye + 1) * sw]
            if canvas.any() and part[canvas].max() != 0:
                fail(name, "canvas outside the picture is not black")
        scale = "scale=%d:%d:flags=area" % (fw, fh)
        pad = ",pad=%d:%d:%d:%d" % (sw, sh, x0, y0)
        want = frames(None, width, height, n, eye_graph(f, "[l][r]hstack", "," + scale + pad, "," + scale + pad), src)
        compare_frames(name, got, want, 2)
        return
    if f["smart"] != "1":
        left, right = eyes(f, count, 64, 48)
        want = np.concatenate([gdi_half(left), gdi_half(right)], axis=2 if layout == 0 else 1)
        compare_frames(name, got, want)
        return
    scale = ",scale=%d:%d:flags=area" % (sw, sh)
    tail = {0: "[l][r]hstack", 1: "[l][r]vstack", 2: "[l][r]hstack,format=rgb24,stereo3d=sbsl:arcg"}[layout]
    want = frames(None, width, height, n, eye_graph(f, tail, scale, scale), src)
    # An area reduction by 2 averages 2 x 2 pixels in both; the program's
    # 13-bit weights round differently by a level at most.
    compare_frames(name, got, want, 1)


def check_eye(name, path, f):
    count = int(f["count"])
    if not video_stream(name, path, f, count):
        return
    width, height = int(f["width"]), int(f["height"])
    got = frames(path, width, height)
    _, _, w, h = eye_crops(f)
    left, right = eyes(f, count, w, h)
    want = left if f["eye"] == "left" else right
    if f["resize"] == "1":
        want = gdi_half(want)
    compare_frames(name, got, want)
    compare_sound(name, path, os.path.join(media_dir, f["sound"]), int(f["lstart"]), count)


def framemd5(path, stream, start=0, count=None):
    out = run("ffmpeg", "-v", "error", "-i", path, "-map", "0:%d" % stream, "-c", "copy", "-f", "framemd5", "-")
    rows = [l.split(",") for l in out.decode().splitlines() if l and not l.startswith("#")]
    # size and checksum of each packet
    rows = [(r[4].strip(), r[5].strip()) for r in rows]
    return rows[start:None if count is None else start + count]


def check_copy(name, path, f, streams):
    got = probe(path)
    if len(got) != streams:
        fail(name, "%d streams, expected %d" % (len(got), streams))
        return
    start, count = int(f["start"]), int(f["frames"])
    videos = [("source", 0)] if streams < 3 else [("left", 0), ("right", 2)]
    for key, index in videos:
        source = os.path.join(media_dir, f[key])
        if framemd5(path, index) != framemd5(source, 0, start, count):
            fail(name, "video stream %d is not the %s's frames %d-%d copied" % (index, key, start, start + count - 1))
    if streams >= 2:
        source = os.path.join(media_dir, f["source" if streams == 2 else "left"])
        compare_sound(name, path, source, start, count)


def check_frames(name, path, f):
    count = int(f["frames"])
    v = [s for s in probe(path) if s["codec_type"] == "video"][0]
    if int(v["nb_frames"]) != count or (v["width"], v["height"]) != (int(f["width"]), int(f["height"])):
        fail(name, "stream %s" % v)
    if len(frames(path, int(f["width"]), int(f["height"]))) != count:
        fail(name, "ffmpeg decodes another number of frames")


def check_sound_only(name, path, f):
    v = [s for s in probe(path) if s["codec_type"] == "video"][0]
    if int(v["nb_frames"]) != int(f["frames"]):
        fail(name, "%s frames, expected %s" % (v["nb_frames"], f["frames"]))
    compare_sound(name, path, os.path.join(media_dir, f["sound"]), int(f["sstart"]), int(f["count"]))


def check(line):
    parts = line.split()
    name, f = parts[0], dict(p.split("=", 1) for p in parts[1:])
    path = os.path.join(out_dir, name)
    try:
        kind = f["check"]
        if kind == "layout":
            check_layout(name, path, f)
        elif kind == "resize":
            check_resize(name, path, f)
        elif kind == "eye":
            check_eye(name, path, f)
        elif kind == "copy":
            check_copy(name, path, f, int(f["streams"]))
        elif kind == "copypair":
            check_copy(name, path, f, 3)
        elif kind == "frames":
            check_frames(name, path, f)
        elif kind == "sound":
            check_sound_only(name, path, f)
        else:
            fail(name, "unknown check " + kind)
    except subprocess.CalledProcessError as e:
        fail(name, "%s: %s" % (" ".join(e.cmd[:6]), e.stderr.decode(errors="replace").strip()))


# The files are independent: checked side by side (the time is ffmpeg's
# start-up, a tenth of a second per run).
lines = [l for l in open(os.path.join(out_dir, "manifest.txt")) if l.split()]
with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
    list(pool.map(check, lines))
for f in sorted(failures):
    print("FAIL", f)
print("%d files checked, %d failures" % (len(lines), len(failures)))
sys.exit(1 if failures or not lines else 0)
