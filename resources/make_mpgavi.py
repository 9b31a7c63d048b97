#!/usr/bin/env python3
"""Writes "MPGAVI", the placeholder movie of the plug-in sources: an AVI of
one 352 x 288 24-bit video frame (handler and compression 'VIFP'/'vifp',
25 frames per second) and 2,304 samples of 16-bit stereo PCM at 44,100 Hz,
with a JUNK chunk that brings the RIFF to 11,334 + 8 bytes, then zero bytes
up to 11,776. AVIFile opens it to give a plug-in source the stream handles
that code written for AVI files expects.
"""
import struct
import sys

RIFF_SIZE = 11334
TOTAL = 11776


def chunk(fourcc, data):
    body = data + (b"\0" if len(data) % 2 else b"")
    return fourcc + struct.pack("<I", len(data)) + body


def lst(kind, data):
    return b"LIST" + struct.pack("<I", 4 + len(data)) + kind + data


def main(path):
    width, height = 352, 288
    frame_bytes = 21
    samples = 2304
    avih = struct.pack("<14I", 40000, 0, 0, 0x10, 1, 0, 2, 0, width, height, 0, 0, 0, 0)
    vids = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"VIFP", 0, 0, 0, 0, 1, 25, 0, 1,
                       frame_bytes, 0xFFFFFFFF, 0, 0, 0, width, height)
    bih = struct.pack("<IiiHH4sIiiII", 40, width, height, 1, 24, b"vifp", width * height * 3, 0, 0, 0, 0)
    auds = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"auds", b"\0\0\0\0", 0, 0, 0, 0, 1, 44100, 0, samples,
                       samples * 4, 0xFFFFFFFF, 4, 0, 0, 0, 0)
    wf = struct.pack("<HHIIHH", 1, 2, 44100, 44100 * 4, 4, 16)
    hdrl = lst(b"hdrl", chunk(b"avih", avih)
               + lst(b"strl", chunk(b"strh", vids) + chunk(b"strf", bih))
               + lst(b"strl", chunk(b"strh", auds) + chunk(b"strf", wf)))
    video = chunk(b"00db", b"\0" * frame_bytes)
    sound = chunk(b"01wb", b"\0" * (samples * 4))
    movi = lst(b"movi", video + sound)
    # idx1 offsets count from the 'movi' fourcc
    idx1 = chunk(b"idx1", struct.pack("<4sIII", b"00db", 0x10, 4, frame_bytes)
                 + struct.pack("<4sIII", b"01wb", 0x10, 4 + len(video), samples * 4))
    fixed = 4 + len(hdrl) + 8 + len(movi) + len(idx1)
    junk = chunk(b"JUNK", b"\0" * (RIFF_SIZE - fixed))
    riff = b"RIFF" + struct.pack("<I", RIFF_SIZE) + b"AVI " + hdrl + junk + movi + idx1
    assert len(riff) == RIFF_SIZE + 8, len(riff)
    data = riff + b"\0" * (TOTAL - len(riff))
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
