#!/usr/bin/python3
# Outside sanity check of the SURF extractor against OpenCV's own detectors
# (Debian python3-opencv): keypoint counts on the working images, how many
# of our points have a SIFT point nearby, and where both put the centres of
# dark discs of known position. Loose by nature: the detectors differ.
import subprocess
import sys

import cv2
import numpy as np

bench, folder = sys.argv[1].split(), sys.argv[2]


def ours(pgm):
    out = pgm + ".kp"
    subprocess.run(bench + [pgm, out], check=True, stderr=subprocess.DEVNULL)
    k = np.loadtxt(out).reshape(-1, 6)
    # Our positions sit scale/18 up-left of the filter centre, in edge
    # coordinates; OpenCV puts pixel centres on integers.
    centre = k[:, :2] + np.maximum(k[:, 2:3], 9) / 18.0 - 0.5
    return k, centre


def nearest(a, b):
    if len(a) == 0 or len(b) == 0:
        return np.full(len(a), np.inf)
    return np.sqrt(((a[:, None, :] - b[None, :, :]) ** 2).sum(-1)).min(1)


sift, orb, fast = cv2.SIFT_create(), cv2.ORB_create(nfeatures=20000), cv2.FastFeatureDetector_create()
print("image            ours   SIFT    ORB   FAST   ours near SIFT (2 px)   SIFT near ours (2 px)")
for p in (1, 3):
    pgm = "%s/work_l_%d.pgm" % (folder, p)
    img = cv2.imread(pgm, cv2.IMREAD_GRAYSCALE)
    k, c = ours(pgm)
    s = np.array([q.pt for q in sift.detect(img, None)])
    print("work_l_%d %dx%d %6d %6d %6d %6d   %5.0f%%                  %5.0f%%" % (
        p, img.shape[1], img.shape[0], len(k), len(s), len(orb.detect(img, None)), len(fast.detect(img, None)),
        100 * (nearest(c, s) <= 2).mean(), 100 * (nearest(s, c) <= 2).mean()))

# Dark discs of radius 3 to 14 on a light ground at known centres.
img = np.full((240, 640), 210, np.uint8)
centres = []
for i, r in enumerate((3, 4, 5, 6, 8, 10, 12, 14)):
    cx, cy = 40 + i * 78 + 0.5 * (i % 2), 120 + 0.5 * (i % 3 == 0)
    yy, xx = np.mgrid[0:240, 0:640]
    img[np.hypot(xx - cx, yy - cy) <= r] = 40
    centres.append((cx, cy, r))
pgm = folder + "/discs.pgm"
cv2.imwrite(pgm, img)
k, c = ours(pgm)
s = sift.detect(img, None)
sp = np.array([q.pt for q in s])
print("disc radius   ours: offset px, size, sign      SIFT: offset px, size")
for cx, cy, r in centres:
    near = np.hypot(c[:, 0] - cx, c[:, 1] - cy) <= r
    if near.any():
        j = np.flatnonzero(near)[k[near, 5].argmax()]
        mine = "%5.2f  %4d  %+d" % (np.hypot(c[j, 0] - cx, c[j, 1] - cy), k[j, 2], k[j, 3])
    else:
        mine = "  none        "
    d = np.hypot(sp[:, 0] - cx, sp[:, 1] - cy) if len(sp) else np.array([np.inf])
    j = d.argmin()
    theirs = "%5.2f  %5.1f" % (d[j], s[j].size) if d[j] <= r else "  none"
    print("%6d        %s            %s" % (r, mine, theirs))
