#!/usr/bin/python3
# Peer of surf_bench: OpenCV's SIFT on the same grey working images, with
# the same kind of ratio test on squared distances. One thread; CPU times.
import sys
import time

import cv2

cv2.setNumThreads(1)
folder, repeats = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 5
ratios = {1: 0.4, 2: 0.5, 3: 0.6}
sift = cv2.SIFT_create()
matcher = cv2.BFMatcher(cv2.NORM_L2)
print("pass  size      extract_ms  match_ms  keypoints_l  keypoints_r  pairs")
for p in (1, 2, 3):
    left = cv2.imread("%s/work_l_%d.pgm" % (folder, p), cv2.IMREAD_GRAYSCALE)
    right = cv2.imread("%s/work_r_%d.pgm" % (folder, p), cv2.IMREAD_GRAYSCALE)
    best_e = best_m = 1e30
    for _ in range(repeats):
        t0 = time.process_time()
        kl, dl = sift.detectAndCompute(left, None)
        kr, dr = sift.detectAndCompute(right, None)
        t1 = time.process_time()
        pairs = [m for m, n in (c for c in matcher.knnMatch(dl, dr, k=2) if len(c) == 2)
                 if ratios[p] * n.distance ** 2 > m.distance ** 2]
        t2 = time.process_time()
        best_e, best_m = min(best_e, t1 - t0), min(best_m, t2 - t1)
    print("%d     %dx%d   %8.1f    %8.1f  %8d     %8d     %6d" % (
        p, left.shape[1], left.shape[0], best_e * 1000, best_m * 1000, len(kl), len(kr), len(pairs)))
