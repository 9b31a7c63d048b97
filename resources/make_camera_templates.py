#!/usr/bin/env python3
"""Writes the two headers of the camera 3D-AVI files.

"FUJI" (28,660 bytes): the header of a stereo camera AVI up to its 'movi'
list: RIFF "AVI ", LIST 'hdrl' with 'avih', a video 'strl' (strh, strf,
strd beginning "AVIF", strn), a sound 'strl' (strh, strf), a second video
'strl' and a 'JUNK' chunk to the end. The saver copies the stream headers
of its intermediate file over these and patches the camera bytes of the
'strd' chunks (kind, frame rate, sound rate code, eye size) and the two
preview pictures into their room; what the saver does not patch is laid
out here with the values of a 640 x 480, 30 frames a second camera movie
and zeros.

"EXIF3DS" (692 bytes): an APP1 "Exif" segment (big-endian TIFF) with IFD0
(Make "Nintendo", Model "Nintendo 3DS", the date), the Exif IFD (two more
dates, an empty maker note, the picture size) and IFD1 (the thumbnail,
which follows the block). The saver patches the dates at 178, 324 and 344,
the size at 294 and 306, the thumbnail length at 670 and the APP1 length at
2.

Usage: make_camera_templates.py FUJI_OUT EXIF_OUT
"""
import struct
import sys

FUJI_SIZE = 28660
EXIF_SIZE = 692


def put(buf, at, data):
    buf[at:at + len(data)] = data


def chunk_head(buf, at, fourcc, size):
    put(buf, at, fourcc + struct.pack("<I", size))


def fuji():
    b = bytearray(FUJI_SIZE)
    put(b, 0, b"RIFF" + struct.pack("<I", FUJI_SIZE - 8) + b"AVI ")
    # hdrl: everything up to the JUNK chunk.
    put(b, 12, b"LIST" + struct.pack("<I", 18388 - 20) + b"hdrl")
    chunk_head(b, 24, b"avih", 56)
    # frame time, max bytes/s, padding, flags (has index, interleaved),
    # frames, initial frames, streams, buffer, width, height, 4 reserved
    put(b, 32, struct.pack("<10I", 33333, 0, 0, 0x910, 0, 0, 3, 0, 640, 480))

    def video_strl(at, strd_size, name):
        end = at + 8 + 4 + 64 + 48 + 8 + strd_size + 8 + 26
        put(b, at, b"LIST" + struct.pack("<I", end - at - 8) + b"strl")
        chunk_head(b, at + 12, b"strh", 56)
        put(b, at + 20, b"vidsMJPG" + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 30, 0, 0, 0, 0xFFFFFFFF, 0,
                                                 0, 0, 640, 480))
        chunk_head(b, at + 76, b"strf", 40)
        put(b, at + 84, struct.pack("<IiiHH4sIiiII", 40, 640, 480, 1, 24, b"MJPG", 640 * 480 * 3, 0, 0, 0, 0))
        strd = at + 124
        chunk_head(b, strd, b"strd", strd_size)
        # The camera bytes: kind 2, 30 frames a second, sound code 6.
        put(b, strd + 8, b"AVIF" + bytes([2, 30, 6]))
        chunk_head(b, strd + 8 + strd_size, b"strn", 26)
        put(b, strd + 16 + strd_size, name)
        return end

    assert video_strl(88, 9156 - 220, b"Video #1") == 9190
    # Sound: 16-bit stereo PCM at 48,000 Hz.
    put(b, 9190, b"LIST" + struct.pack("<I", 9290 - 9198) + b"strl")
    chunk_head(b, 9202, b"strh", 56)
    put(b, 9210, b"auds" + struct.pack("<IIHHIIIIIIIIhhhh", 0, 0, 0, 0, 0, 1, 48000, 0, 0, 0, 10000, 4, 0, 0, 0, 0))
    chunk_head(b, 9266, b"strf", 16)
    put(b, 9274, struct.pack("<HHIIHH", 1, 2, 48000, 192000, 4, 16))
    assert video_strl(9290, 18354 - 9422, b"Video #2") == 18388
    # The eye size of the second stream's camera block.
    put(b, 10060, struct.pack("<H", 640))
    put(b, 10068, struct.pack("<H", 480))
    chunk_head(b, 18388, b"JUNK", FUJI_SIZE - 18396)
    return bytes(b)


def exif():
    t = bytearray(EXIF_SIZE - 10)  # TIFF data; offsets below are TIFF's

    def ifd(at, entries, next_ifd):
        put(t, at, struct.pack(">H", len(entries)))
        for i, (tag, typ, count, value) in enumerate(sorted(entries)):
            e = at + 2 + 12 * i
            put(t, e, struct.pack(">HHI", tag, typ, count))
            if typ == 3 and count == 1:
                put(t, e + 8, struct.pack(">HH", value, 0))
            elif typ == 7 and count <= 4:
                put(t, e + 8, value.ljust(4, b"\0"))
            else:
                put(t, e + 8, struct.pack(">I", value))
        put(t, at + 2 + 12 * len(entries), struct.pack(">I", next_ifd))
        return at + 2 + 12 * len(entries) + 4

    ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 2, 3, 4, 5, 7
    date = b"2000:01:01 00:00:00\0"
    put(t, 0, b"MM\0\x2a" + struct.pack(">I", 8))
    # IFD0 at 8, its values from 122; the date at 168.
    end = ifd(8, [(0x010F, ASCII, 9, 122), (0x0110, ASCII, 13, 132), (0x0112, SHORT, 1, 1),
                  (0x011A, RATIONAL, 1, 146), (0x011B, RATIONAL, 1, 154), (0x0128, SHORT, 1, 2),
                  (0x0132, ASCII, 20, 168), (0x0213, SHORT, 1, 2), (0x8769, LONG, 1, 190)], 588)
    assert end == 122
    put(t, 122, b"Nintendo\0")
    put(t, 132, b"Nintendo 3DS\0")
    put(t, 146, struct.pack(">II", 72, 1))
    put(t, 154, struct.pack(">II", 72, 1))
    put(t, 168, date)
    # Exif IFD at 190: the picture size entries at 276 and 288, the two
    # dates at 314 and 334, the maker note (an empty IFD) from 354 to 588.
    end = ifd(190, [(0x9000, UNDEFINED, 4, b"0220"), (0x9003, ASCII, 20, 314), (0x9004, ASCII, 20, 334),
                    (0x9101, UNDEFINED, 4, b"\1\2\3\0"), (0x927C, UNDEFINED, 588 - 354, 354),
                    (0xA000, UNDEFINED, 4, b"0100"), (0xA001, SHORT, 1, 1), (0xA002, SHORT, 1, 640),
                    (0xA003, SHORT, 1, 480)], 0)
    assert end == 304
    put(t, 314, date)
    put(t, 334, date)
    # IFD1 at 588: the thumbnail right after the block (682), its length's
    # value at 658 (the low half patched at 660).
    end = ifd(588, [(0x0103, SHORT, 1, 6), (0x011A, RATIONAL, 1, 666), (0x011B, RATIONAL, 1, 674),
                    (0x0128, SHORT, 1, 2), (0x0201, LONG, 1, 682), (0x0202, LONG, 1, 0)], 0)
    assert end == 666
    put(t, 666, struct.pack(">IIII", 72, 1, 72, 1))
    block = b"\xff\xe1" + struct.pack(">H", EXIF_SIZE - 2) + b"Exif\0\0" + bytes(t)
    assert len(block) == EXIF_SIZE
    assert block[178:197] == date[:19] and block[324:343] == date[:19] and block[344:363] == date[:19]
    assert block[294:296] == struct.pack(">H", 640) and block[306:308] == struct.pack(">H", 480)
    return block


def main(fuji_out, exif_out):
    with open(fuji_out, "wb") as f:
        f.write(fuji())
    with open(exif_out, "wb") as f:
        f.write(exif())


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
