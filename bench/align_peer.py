#!/usr/bin/python3
# Peer of align_bench: OpenCV's SIFT on the same grey working image pair,
# matched with the same kind of ratio test on squared distances, and a
# rotation-size-offset model fitted to the pairs by RANSAC
# (estimateAffinePartial2D). One thread; CPU times, best of the repeats.
import sys
import time

import cv2
import numpy as np

cv2.setNumThreads(1)
folder, repeats, scale = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
left = cv2.imread(folder + "/work_l.pgm", cv2.IMREAD_GRAYSCALE)
right = cv2.imread(folder + "/work_r.pgm", cv2.IMREAD_GRAYSCALE)
sift = cv2.SIFT_create()
matcher = cv2.BFMatcher(cv2.NORM_L2)
best = [1e30] * 3
for _ in range(repeats):
    t0 = time.process_time()
    kl, dl = sift.detectAndCompute(left, None)
    kr, dr = sift.detectAndCompute(right, None)
    t1 = time.process_time()
    pairs = [m for m, n in (c for c in matcher.knnMatch(dl, dr, k=2) if len(c) == 2)
             if 0.4 * n.distance ** 2 > m.distance ** 2]
    t2 = time.process_time()
    a = np.float32([kl[m.queryIdx].pt for m in pairs]) * scale
    b = np.float32([kr[m.trainIdx].pt for m in pairs]) * scale
    model, inliers = cv2.estimateAffinePartial2D(a, b, method=cv2.RANSAC, ransacReprojThreshold=3.0)
    t3 = time.process_time()
    best = [min(best[0], t1 - t0), min(best[1], t2 - t1), min(best[2], t3 - t2)]
print(f"working image {left.shape[1]}x{left.shape[0]}, keypoints {len(kl)} / {len(kr)}, pairs {len(pairs)}, "
      f"inliers {int(inliers.sum()) if inliers is not None else 0}")
print(f"extraction ms    {1000 * best[0]:8.1f}")
print(f"pair search ms   {1000 * best[1]:8.1f}")
print(f"fit (RANSAC) ms  {1000 * best[2]:8.1f}")
total = sum(best)
print(f"one frame ms     {1000 * total:8.1f}  -> {1 / total:6.2f} frames per CPU second")
if model is not None:
    angle = np.degrees(np.arctan2(model[1, 0], model[0, 0]))
    size = np.hypot(model[0, 0], model[1, 0])
    print(f"model: rotation {angle:.2f} deg, size {100 * (size - 1):.2f} %, offset {model[0, 2]:.1f}, {model[1, 2]:.1f}")
