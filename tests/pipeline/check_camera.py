#!/usr/bin/python3
"""The files camera_save_tests wrote, read back by ffprobe, ffmpeg and exiftool.

Camera 3D-AVI files: three streams (MJPEG left, 16-bit stereo PCM at 48 kHz,
MJPEG right) of whole seconds at the camera's rate; every frame decodes;
the first and the last spread frame match ffmpeg's own scaling of the
source frames; the frames that fill the last second repeat the last
picture; the previews in the header decode at 160 x 120; for the 3DS kinds
the first frame of each eye carries the EXIF block with the date and a
thumbnail. The date change: the file after it differs from the file before
only inside the date texts that follow "Nint", and exiftool reads the new
date.
"""
import concurrent.futures
import json
import math
import os
import re
import subprocess
import sys

import numpy as np

out_dir, media_dir = sys.argv[1], sys.argv[2]
SW, SH = 64, 48  # the sources' frame size
failures = []


def fail(name, text):
    failures.append("%s: %s" % (name, text))


def run(*cmd, stdin=None):
    return subprocess.run(cmd, capture_output=True, check=True, input=stdin).stdout


def rgb_frames(cmd_input, w, h, vf=None, select=None):
    cmd = ["ffmpeg", "-v", "error"] + cmd_input
    if vf:
        cmd += ["-vf", vf]
    cmd += ["-f", "rawvideo", "-pix_fmt", "rgb24", "-"]
    data = np.frombuffer(run(*cmd), np.uint8)
    return data.reshape(-1, h, w, 3).astype(float)


def psnr(a, b):
    mse = np.mean((a - b) ** 2)
    return 99.0 if mse == 0 else 10 * math.log10(255.0 ** 2 / mse)


def best_psnr(a, b, r=3):
    """The PSNR at the best shift of up to r pixels: the program's
    enlargement samples the source a fraction of a pixel away from
    ffmpeg's."""
    h, w = a.shape[:2]
    best = 0.0
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            pa = a[max(dy, 0):h + min(dy, 0), max(dx, 0):w + min(dx, 0)]
            pb = b[max(-dy, 0):h + min(-dy, 0), max(-dx, 0):w + min(-dx, 0)]
            best = max(best, psnr(pa, pb))
    return best


def exif(data):
    return json.loads(run("exiftool", "-j", "-a", "-", stdin=data))[0]


def check_camera(name, f):
    path = os.path.join(out_dir, name)
    W, H, fps, n, total = (int(f[k]) for k in ("width", "height", "fps", "n", "total"))
    streams = json.loads(run("ffprobe", "-v", "error", "-count_packets", "-show_streams", "-of", "json",
                             path))["streams"]
    kinds = [(s["codec_type"], s["codec_name"]) for s in streams]
    if kinds != [("video", "mjpeg"), ("audio", "pcm_s16le"), ("video", "mjpeg")]:
        return fail(name, "streams %s" % kinds)
    for i in (0, 2):
        s = streams[i]
        if (s["width"], s["height"], s["r_frame_rate"], int(s["nb_read_packets"])) != (W, H, "%d/1" % fps, total):
            fail(name, "stream %d: %dx%d %s %s packets" % (i, s["width"], s["height"], s["r_frame_rate"],
                                                             s["nb_read_packets"]))
    a = streams[1]
    if (int(a["sample_rate"]), a["channels"]) != (48000, 2):
        fail(name, "sound %s Hz %s channels" % (a["sample_rate"], a["channels"]))
    sound = np.frombuffer(run("ffmpeg", "-v", "error", "-i", path, "-map", "0:1", "-f", "s16le", "-"), np.int16)
    if len(sound) != 2 * 48000 * total // fps:
        fail(name, "%d sound samples, expected %d" % (len(sound) // 2, 48000 * total // fps))
    elif f["sound"] == "none":
        if np.abs(sound.astype(int)).max() > 0:
            fail(name, "sound where there should be silence")
    else:
        # The first 50 ms against ffmpeg's own conversion of the source's
        # sound, allowing for the converters' delays.
        ref = np.frombuffer(run("ffmpeg", "-v", "error", "-i", os.path.join(media_dir, f["sound"]), "-map", "0:a",
                                "-ac", "2", "-ar", "48000", "-f", "s16le", "-"), np.int16).reshape(-1, 2)
        ref = ref[int(f.get("sstart", 0)):]
        ours = sound.reshape(-1, 2).astype(float)
        for ch in (0, 1):
            a = ours[100:2500, ch]
            best = max(np.corrcoef(a, ref[100 + lag:2500 + lag, ch].astype(float))[0, 1] for lag in range(-48, 49))
            if not best > 0.95:
                fail(name, "channel %d: correlation %.3f with the source's sound" % (ch, best))

    # Scaled eye size as the saver computes it, centred on the eye canvas.
    if SW * H < SH * W:
        sh, sw = H, SW * H // SH
    else:
        sw, sh = W, SH * W // SW
    N = int(f["N"])
    for stream, src, start in ((0, f["left"], int(f.get("lstart", 0))), (2, f["right"], int(f["rstart"]))):
        frames = rgb_frames(["-xerror", "-i", path, "-map", "0:%d" % stream], W, H)
        if len(frames) != total:
            fail(name, "stream %d decodes to %d frames" % (stream, len(frames)))
            continue
        for k in range(n, total):
            if not np.array_equal(frames[k], frames[n - 1]):
                fail(name, "stream %d frame %d does not repeat the last picture" % (stream, k))
                break
        x0, y0 = (W - sw) // 2, (H - sh) // 2
        expected = rgb_frames(["-i", os.path.join(media_dir, src)], sw, sh, "scale=%d:%d:flags=bilinear" % (sw, sh))
        # The first output frame shows the first source frame, the last
        # spread one the last.
        for k, j in ((0, start), (n - 1, start + N - 1)):
            p = best_psnr(frames[k][y0:y0 + sh, x0:x0 + sw], expected[j])
            if frames[k][:, :x0].max(initial=0) > 40 or frames[k][:y0].max(initial=0) > 40:
                fail(name, "stream %d frame %d: the canvas around the picture is not black" % (stream, k))
            if p < 27:
                fail(name, "stream %d frame %d: %.1f dB against source frame %d" % (stream, k, p, j))
        if f["exif"] != "none":
            first = run("ffmpeg", "-v", "error", "-i", path, "-map", "0:%d" % stream, "-frames:v", "1", "-c", "copy",
                        "-f", "mjpeg", "-")
            e = exif(first)
            date = f["exif"].replace("_", " ")
            if date == "clock":
                # Without a date of the user's, the time the frame was
                # encoded.
                date = e.get("DateTimeOriginal", "")
                if not re.fullmatch(r"20\d\d:[01]\d:[0-3]\d [0-2]\d:[0-5]\d:[0-5]\d", date):
                    fail(name, "stream %d: date %r" % (stream, date))
            want = {"Make": "Nintendo", "Model": "Nintendo 3DS", "DateTimeOriginal": date, "CreateDate": date,
                    "ModifyDate": date, "ExifImageWidth": W, "ExifImageHeight": H}
            got = {k: e.get(k) for k in want}
            if got != want:
                fail(name, "stream %d EXIF %s" % (stream, got))
            thumb = run("exiftool", "-b", "-ThumbnailImage", "-", stdin=first)
            t = json.loads(run("ffprobe", "-v", "error", "-show_streams", "-of", "json", "-", stdin=thumb))["streams"]
            if not t or t[0]["width"] != 160:
                fail(name, "stream %d thumbnail %s" % (stream, t and (t[0]["width"], t[0]["height"])))
    data = open(path, "rb").read()
    for at, room in ((830, 8324), (10072, 8278)):
        piece = data[at:at + room]
        end = piece.find(b"\xff\xd9")
        if end < 0:
            fail(name, "no preview at %d" % at)
            continue
        p = json.loads(run("ffprobe", "-v", "error", "-show_streams", "-of", "json", "-",
                           stdin=piece[:end + 2]))["streams"]
        if not p or (p[0]["width"], p[0]["height"]) != (160, 120):
            fail(name, "preview at %d: %s" % (at, p and (p[0]["width"], p[0]["height"])))


def check_date(name, f):
    before = open(os.path.join(out_dir, f["before"]), "rb").read()
    after = open(os.path.join(out_dir, name), "rb").read()
    if len(before) != len(after):
        return fail(name, "length %d, was %d" % (len(after), len(before)))
    anchor = before.find(b"Nint", 1)
    texts = []
    for p in range(anchor, 98304 - 18):
        t = before[p:p + 19]
        if t[0:1].isdigit() and t[1:2].isdigit() and t[4] == t[7] == t[13] == t[16] == ord(":"):
            texts.append(p)
    inside = set()
    for p in texts:
        inside.update(range(p, p + 19))
    changed = [i for i in range(len(before)) if before[i] != after[i]]
    outside = [i for i in changed if i not in inside]
    if outside:
        fail(name, "bytes outside the date texts changed: %s" % outside[:10])
    date = f["date"].replace("_", " ").encode()
    if len(texts) != 3 or any(after[p:p + 19] != date for p in texts):
        fail(name, "a date text was not rewritten: %s" % [after[p:p + 19] for p in texts])
    jpeg = after[int(f["jpeg_at"]):]
    e = exif(jpeg)
    if e.get("DateTimeOriginal") != f["date"].replace("_", " ") or e.get("Make") != "Nintendo":
        fail(name, "exiftool reads %s %s" % (e.get("Make"), e.get("DateTimeOriginal")))
    if exif(before[int(f["jpeg_at"]):]).get("DateTimeOriginal") != "2011:02:26 13:05:09":
        fail(name, "the file before had no date")


entries = []
with open(os.path.join(out_dir, "camera_manifest.txt")) as m:
    for line in m:
        parts = line.split()
        if parts:
            entries.append((parts[0], dict(p.split("=", 1) for p in parts[1:])))
if len(entries) < 3:
    failures.append("manifest has %d entries" % len(entries))


def check(entry):
    name, f = entry
    try:
        (check_date if "before" in f else check_camera)(name, f)
    except subprocess.CalledProcessError as e:
        fail(name, "%s failed: %s" % (e.cmd[0], e.stderr.decode(errors="replace")[-300:]))


with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count()) as pool:
    list(pool.map(check, entries))
for f in failures:
    print(f)
print("%d passed, %d failed" % (len(entries) - len({f.split(":")[0] for f in failures}), len({f.split(":")[0] for f in failures})))
sys.exit(1 if failures else 0)
