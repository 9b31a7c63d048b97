#!/usr/bin/python3
"""Writes the pair of the split test: two uncompressed 640 x 480 AVI files of
FRAMES frames (the left one with 8 kHz 8-bit sound, 320 samples a frame),
large enough that their side-by-side save passes 0x7F000000 bytes, yet
cheap on a disk that keeps holes: each frame is a hole except for its first
row, which carries its frame number (bytes 0-3) and the eye, and each
frame's sound is a block of its frame number.

Usage: make_split_media.py <folder>
"""
import os
import struct
import sys

W, H, FRAMES, RATE = 640, 480, 1200, 25
ROW = W * 3
FRAME_BYTES = ROW * H
SOUND = 320


def chunk_header(cid, size):
    return cid.encode() + struct.pack("<I", size)


def stamp(n, eye):
    """The first row in the file (the bottom row of the picture)."""
    row = bytearray(ROW)
    row[0:4] = struct.pack("<I", n)
    for x in range(4, ROW):
        row[x] = (n * 7 + x * 3 + eye * 100) & 255
    return bytes(row)


def write(path, eye, with_sound):
    streams = 2 if with_sound else 1
    strl_video = (chunk_header("strh", 56) + b"vidsDIB " + struct.pack("<IHHIIIIIIII4h", 0, 0, 0, 0, 1, RATE, 0,
                  FRAMES, FRAME_BYTES, 0xFFFFFFFF, 0, 0, 0, W, H) +
                  chunk_header("strf", 40) + struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, FRAME_BYTES, 0, 0, 0, 0))
    hdrl = chunk_header("avih", 56) + struct.pack("<14I", 1000000 // RATE, 0, 0, 0x10, FRAMES, 0, streams,
                                                   FRAME_BYTES, W, H, 0, 0, 0, 0)
    hdrl += b"LIST" + struct.pack("<I", 4 + len(strl_video)) + b"strl" + strl_video
    if with_sound:
        strl_sound = (chunk_header("strh", 56) + b"auds" + b"\0\0\0\0" + struct.pack("<IHHIIIIIIII4h", 0, 0, 0, 0, 1,
                      8000, 0, FRAMES * SOUND, SOUND, 0xFFFFFFFF, 1, 0, 0, 0, 0) +
                      chunk_header("strf", 18) + struct.pack("<HHIIHHH", 1, 1, 8000, 8000, 1, 8, 0))
        hdrl += b"LIST" + struct.pack("<I", 4 + len(strl_sound)) + b"strl" + strl_sound
    with open(path, "wb") as f:
        f.write(b"RIFF\0\0\0\0AVI ")
        f.write(b"LIST" + struct.pack("<I", 4 + len(hdrl)) + b"hdrl" + hdrl)
        movi = f.tell()
        f.write(b"LIST\0\0\0\0movi")
        index = []
        for n in range(FRAMES):
            pos = f.tell()
            f.write(chunk_header("00db", FRAME_BYTES))
            f.write(stamp(n, eye))
            f.seek(FRAME_BYTES - ROW, os.SEEK_CUR)  # the rest of the frame is a hole
            index.append((b"00db", 0x10, pos - movi - 8, FRAME_BYTES))
            if with_sound:
                pos = f.tell()
                f.write(chunk_header("01wb", SOUND) + bytes([(n * 3) & 255]) * SOUND)
                index.append((b"01wb", 0x10, pos - movi - 8, SOUND))
        end = f.tell()
        f.seek(movi + 4)
        f.write(struct.pack("<I", end - movi - 8))
        f.seek(end)
        f.write(chunk_header("idx1", 16 * len(index)))
        for cid, flags, offset, size in index:
            f.write(cid + struct.pack("<III", flags, offset, size))
        size = f.tell()
        f.seek(4)
        f.write(struct.pack("<I", size - 8))


folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
write(os.path.join(folder, "splitL.avi"), 0, True)
write(os.path.join(folder, "splitR.avi"), 1, False)
with open(os.path.join(folder, ".stamp"), "w") as f:
    f.write("split media\n")
