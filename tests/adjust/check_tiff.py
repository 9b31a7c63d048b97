#!/usr/bin/python3
"""Checks the TIFF writer against tiffinfo and ImageMagick: every file the
probe writes must be read by tiffinfo with the tags it was written with,
and decode (ImageMagick) to exactly the colours the probe meant."""
import os
import subprocess
import sys
import tempfile

COMPRESSION = {0: "None", 1: "PackBits", 2: "Deflate", 3: "LZW"}
wine_run, probe = sys.argv[1], sys.argv[2]

with tempfile.TemporaryDirectory() as out:
    host = "Z:" + out.replace("/", "\\")
    r = subprocess.run([wine_run, probe, host], capture_output=True, text=True, errors="replace")
    print(r.stdout.strip())
    if r.returncode != 0:
        print(r.stderr)
        sys.exit("probe failed")
    failures = 0
    names = sorted(n for n in os.listdir(out) if n.endswith(".tif"))
    if len(names) != 20:
        sys.exit(f"expected 20 files, found {len(names)}")
    for name in names:
        path = os.path.join(out, name)
        info = subprocess.run(["tiffinfo", path], capture_output=True, text=True)
        c = int(name.split("_c")[1][0])
        text = info.stdout
        want = {
            "Compression Scheme": {"None": "None", "PackBits": "PackBits", "Deflate": "Deflate",
                                   "LZW": "LZW"}[COMPRESSION[c]],
            "Planar Configuration": "single image plane",
            "Orientation": "row 0 top, col 0 lhs",
        }
        problems = []
        if info.returncode != 0 or info.stderr.strip():
            problems.append("tiffinfo: " + info.stderr.strip())
        for key, value in want.items():
            line = next((l for l in text.splitlines() if key in l), "")
            if value not in line:
                problems.append(f"{key}: {line.strip()!r}")
        if name.startswith("rgb24") and c in (2, 3) and "horizontal differencing" not in text:
            problems.append("no predictor")
        if name.startswith("pal") and "palette color" not in text:
            problems.append("not a palette image")
        if name.startswith("bw1") and "min-is-black" not in text:
            problems.append("not min-is-black")
        got = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True).stdout
        with open(path[:-4] + ".ppm", "rb") as f:
            expected = f.read()
        if got != expected:
            # Compare pixels only (headers may differ in spacing).
            def pixels(b):
                parts = b.split(b"\n", 3)
                return parts[3] if len(parts) == 4 else b
            if pixels(got) != pixels(expected):
                problems.append("pixels differ from what was written")
        print(f"{name:22s} {'ok' if not problems else '; '.join(problems)}")
        failures += bool(problems)
    sys.exit(1 if failures else 0)
