#!/usr/bin/env python3
"""Writes the AVI test files that ffmpeg cannot make: OpenDML files (one of
them a sparse file of more than 4 GB with real headers, indexes and a few
real chunks), type-1 and type-2 DV files for the stand-in codec, files
with hostile header values, and the FUJIFILM parallax note patched into a
two-stream 3D-AVI that ffmpeg wrote.

Usage: avi_writer.py <kind> <output> [input]
"""
import struct
import sys


def fcc(s):
    return s.encode('latin-1')


def chunk(cid, data):
    pad = b'\0' if len(data) & 1 else b''
    return fcc(cid) + struct.pack('<I', len(data)) + data + pad


def lst(kind, typ, body):
    return fcc(kind) + struct.pack('<I', len(body) + 4) + fcc(typ) + body


def avih(us_per_frame, frames, streams, width, height, flags=0x110):
    return chunk('avih', struct.pack('<10I4I', us_per_frame, 0, 0, flags, frames, 0, streams, 0, width, height,
                                     0, 0, 0, 0))


def strh(typ, handler, scale, rate, length, sample_size=0, rect=(0, 0, 0, 0), suggested=0):
    return chunk('strh', fcc(typ) + fcc(handler) + struct.pack('<IHHIIIIIIII4h', 0, 0, 0, 0, scale, rate, 0, length,
                                                                suggested, 0xFFFFFFFF, sample_size, *rect))


def bih(width, height, bits, compression, size_image=0):
    comp = fcc(compression) if isinstance(compression, str) else struct.pack('<I', compression)
    return struct.pack('<IiiHH', 40, width, height, 1, bits) + comp + struct.pack('<IiiII', size_image, 0, 0, 0, 0)


def wave_format(rate, channels, bits):
    align = channels * bits // 8
    return struct.pack('<HHIIHHH', 1, channels, rate, rate * align, align, bits, 0)


def raw_frame(n, width, height):
    """A 24-bit bottom-up frame whose pixels tell the frame number and their
    place: blue = n, green = x, red = row (all modulo 256)."""
    row_bytes = (3 * width + 3) & ~3
    out = bytearray()
    for row in range(height):
        line = bytearray()
        for x in range(width):
            line += bytes((n & 255, x & 255, row & 255))
        line += b'\0' * (row_bytes - len(line))
        out += line
    return bytes(out)


def audio_block(n, samples):
    return struct.pack('<%dh' % samples, *[((n * 37 + i) % 2000) - 1000 for i in range(samples)])


class Movi:
    """Collects the chunks of one 'movi' list at known file positions."""

    def __init__(self, f):
        self.f = f
        self.start = f.tell()  # position of "LIST"
        f.write(b'LIST\0\0\0\0movi')
        self.entries = {}      # chunk id -> [(absolute data position, size, key)]

    def add(self, cid, data, key=True):
        pos = self.f.tell()
        self.f.write(chunk(cid, data))
        self.entries.setdefault(cid, []).append((pos + 8, len(data), key))

    def junk(self, size, sparse=True):
        self.f.write(b'JUNK' + struct.pack('<I', size))
        if sparse:
            self.f.seek(size, 1)
        else:
            self.f.write(b'\0' * size)

    def std_index(self, cid, stream_cid, entries, base):
        body = struct.pack('<HBBI', 2, 0, 1, len(entries)) + fcc(stream_cid) + struct.pack('<QI', base, 0)
        for pos, size, key in entries:
            body += struct.pack('<II', pos - base, size | (0 if key else 0x80000000))
        pos = self.f.tell()
        self.f.write(chunk(cid, body))
        return pos, len(body) + 8

    def close(self):
        end = self.f.tell()
        self.f.seek(self.start + 4)
        self.f.write(struct.pack('<I', end - self.start - 8))
        self.f.seek(end)


def super_index(stream_cid, entries, slots=4):
    body = struct.pack('<HBBI', 4, 0, 0, len(entries)) + fcc(stream_cid) + struct.pack('<3I', 0, 0, 0)
    for off, size, duration in entries:
        body += struct.pack('<QII', off, size, duration)
    body += b'\0' * (16 * (slots - len(entries)))
    return chunk('indx', body)


def write_odml(path, riff_layout, width=32, height=16, audio_first=False, with_idx1=True, index_at_start=False):
    """riff_layout: for each RIFF, a list of ('frames', count) and
    ('junk', size) items. Frames carry one sound block each."""
    fps, rate = 25, 8000
    samples = rate // fps
    total = sum(n for items in riff_layout for k, n in items if k == 'frames')
    frame_bytes = ((3 * width + 3) & ~3) * height
    vid, aud = ('01', '00') if audio_first else ('00', '01')
    vcid, acid = vid + 'dc', aud + 'wb'

    slots = max(4, len(riff_layout))  # the header is written twice: its size must not change

    def header(vsuper, asuper, first_frames):
        vstrl = lst('LIST', 'strl', strh('vids', 'DIB ', 1, fps, total, rect=(0, 0, width, height)) +
                    chunk('strf', bih(width, height, 24, 0, frame_bytes)) + super_index(vcid, vsuper, slots))
        astrl = lst('LIST', 'strl', strh('auds', '\0\0\0\0', 1, rate, total * samples, sample_size=2) +
                    chunk('strf', wave_format(rate, 1, 16)) + super_index(acid, asuper, slots))
        strls = astrl + vstrl if audio_first else vstrl + astrl
        odml = lst('LIST', 'odml', chunk('dmlh', struct.pack('<I', total) + b'\0' * 244))
        return lst('LIST', 'hdrl', avih(1000000 // fps, first_frames, 2, width, height) + strls + odml)

    with open(path, 'w+b') as f:
        placeholder = header([], [], 0)
        vsuper, asuper = [], []
        riff_starts = []
        n = 0
        first_riff_entries = None
        for r, items in enumerate(riff_layout):
            riff_start = f.tell()
            riff_starts.append(riff_start)
            f.write(b'RIFF\0\0\0\0' + (b'AVI ' if r == 0 else b'AVIX'))
            if r == 0:
                f.write(placeholder)
            # Room for the standard indexes at the start of the list when
            # they go there: written after the chunks they describe.
            movi = Movi(f)
            count = sum(k for kind, k in items if kind == 'frames')
            ix_room = 0
            if index_at_start:
                ix_room = f.tell()
                f.write(b'\0' * (2 * (32 + 8 * count + 8)))
            for kind, k in items:
                if kind == 'junk':
                    movi.junk(k)
                    continue
                for _ in range(k):
                    movi.add(vcid, raw_frame(n, width, height), key=True)
                    movi.add(acid, audio_block(n, samples))
                    n += 1
            base = movi.start + 8
            end_of_chunks = f.tell()
            if index_at_start:
                f.seek(ix_room)
            vpos, vsize = movi.std_index('ix' + vid, vcid, movi.entries.get(vcid, []), base)
            apos, asize = movi.std_index('ix' + aud, acid, movi.entries.get(acid, []), base)
            if index_at_start:
                # The room's last 16 bytes: an empty 8-byte JUNK chunk.
                f.write(b'JUNK' + struct.pack('<I', 8))
                f.seek(end_of_chunks)
            vsuper.append((vpos, vsize, count))
            asuper.append((apos, asize, count * samples))
            movi.close()
            if r == 0:
                first_riff_entries = (movi, count)
                if with_idx1:
                    body = b''
                    allc = sorted([(p, s, c) for c in movi.entries for p, s, _ in movi.entries[c]])
                    for p, s, c in allc:
                        body += fcc(c) + struct.pack('<III', 0x10, p - 8 - (movi.start + 8), s)
                    f.write(chunk('idx1', body))
            end = f.tell()
            f.seek(riff_start + 4)
            f.write(struct.pack('<I', end - riff_start - 8))
            f.seek(end)
        # The real header, of the placeholder's size.
        f.seek(12)
        real = header(vsuper, asuper, first_riff_entries[1])
        assert len(real) == len(placeholder)
        f.write(real)


def write_dv(path, kind, frames=4, width=720, height=576, rect_in_stream=True):
    """Type 1 ('iavs' stream, DVINFO format) or type 2 ('vids' 'dvsd'). Each
    chunk starts with three bytes the stand-in decoder paints the frame
    with: 10 + n, 20 + n, 30 + n."""
    fps = 25
    rect = (0, 0, width, height) if rect_in_stream else (0, 0, 0, 0)
    if kind == 1:
        strl = lst('LIST', 'strl', strh('iavs', 'dvsd', 1, fps, frames, rect=rect) + chunk('strf', b'\0' * 32))
    else:
        strl = lst('LIST', 'strl', strh('vids', 'dvsd', 1, fps, frames, rect=rect) +
                   chunk('strf', bih(width, height, 24, 'dvsd', 144000)))
    hdrl = lst('LIST', 'hdrl', avih(40000, frames, 1, width, height) + strl)
    chunks = []
    body = b''
    for n in range(frames):
        data = bytes((10 + n, 20 + n, 30 + n)) + b'\x55' * 61
        chunks.append((4 + len(body), len(data)))
        body += chunk('00dc', data)
    movi = lst('LIST', 'movi', body)
    idx = b''.join(b'00dc' + struct.pack('<III', 0x10, off, size) for off, size in chunks)
    riff = lst('RIFF', 'AVI ', hdrl + movi + chunk('idx1', idx))
    with open(path, 'wb') as f:
        f.write(riff)


def write_plain(path, frames=3, width=16, height=8, video_id='00dc', rate=25, scale=1, length=None, handler='DIB ',
                dropped=(), pad_to=0):
    """A small uncompressed AVI 1.0 file; the arguments make hostile ones,
    frames stored as empty chunks, and a file padded (sparsely, by a JUNK
    chunk inside the RIFF) to an exact size."""
    frame_bytes = ((3 * width + 3) & ~3) * height
    strl = lst('LIST', 'strl', strh('vids', handler, scale, rate, frames if length is None else length,
                                    rect=(0, 0, width, height)) +
               chunk('strf', bih(width, height, 24, 0, frame_bytes)))
    hdrl = lst('LIST', 'hdrl', avih(40000, frames, 1, width, height) + strl)
    body, idx = b'', b''
    for n in range(frames):
        data = b'' if n in dropped else raw_frame(n, width, height)
        idx += fcc(video_id) + struct.pack('<III', 0x10, 4 + len(body), len(data))
        body += chunk(video_id, data)
    riff = lst('RIFF', 'AVI ', hdrl + lst('LIST', 'movi', body) + chunk('idx1', idx))
    with open(path, 'wb') as f:
        if not pad_to:
            f.write(riff)
            return
        junk = pad_to - len(riff) - 8
        f.write(b'RIFF' + struct.pack('<I', len(riff) - 8 + 8 + junk) + riff[8:])
        f.write(b'JUNK' + struct.pack('<I', junk))
        f.seek(junk - 1, 1)
        f.write(b'\0')


def write_delta(path, trust_chunk_type, frames=24, key_every=8, width=16, height=8, with_idx1=True):
    """A movie of the tests' own delta codec 'TWRD': a key chunk is "K" and
    the frame number, a delta chunk "D" and 1 (add one to the frame
    before). Key frames are flagged in 'idx1' (when there is one);
    trust_chunk_type sets AVIF_TRUSTCKTYPE in the main header, as ffmpeg
    does in every file."""
    strl = lst('LIST', 'strl', strh('vids', 'TWRD', 1, 25, frames, rect=(0, 0, width, height)) +
               chunk('strf', bih(width, height, 24, 'TWRD')))
    flags = (0x800 if trust_chunk_type else 0) | (0x110 if with_idx1 else 0x100)
    hdrl = lst('LIST', 'hdrl', avih(40000, frames, 1, width, height, flags) + strl)
    body, idx = b'', b''
    for n in range(frames):
        key = n % key_every == 0
        data = b'K' + bytes((n,)) if key else b'D\x01'
        idx += b'00dc' + struct.pack('<III', 0x10 if key else 0, 4 + len(body), len(data))
        body += chunk('00dc', data)
    with open(path, 'wb') as f:
        f.write(lst('RIFF', 'AVI ', hdrl + lst('LIST', 'movi', body) + (chunk('idx1', idx) if with_idx1 else b'')))


def write_one_jpeg(path, jpeg_path, chunk_id):
    """A one-frame Motion-JPEG AVI whose chunk has the given id."""
    jpeg = open(jpeg_path, 'rb').read()
    width = height = 0
    i = 2
    while i + 9 < len(jpeg):  # the frame size from the SOF0 marker
        if jpeg[i] == 0xFF and jpeg[i + 1] in (0xC0, 0xC1):
            height, width = struct.unpack('>HH', jpeg[i + 5:i + 9])
            break
        i += 2 + struct.unpack('>H', jpeg[i + 2:i + 4])[0] if jpeg[i] == 0xFF else 1
    strl = lst('LIST', 'strl', strh('vids', 'MJPG', 1, 25, 1, rect=(0, 0, width, height)) +
               chunk('strf', bih(width, height, 24, 'MJPG', width * height * 3)))
    hdrl = lst('LIST', 'hdrl', avih(40000, 1, 1, width, height) + strl)
    body = chunk(chunk_id, jpeg)
    idx = fcc(chunk_id) + struct.pack('<III', 0x10, 4, len(jpeg))
    with open(path, 'wb') as f:
        f.write(lst('RIFF', 'AVI ', hdrl + lst('LIST', 'movi', body) + chunk('idx1', idx)))


def patch_fuji_note(path, parallax_h, den_h, parallax_v, den_v):
    """Writes a FUJIFILM maker note (twice, as the cameras' files carry it)
    with the parallax tags 0xB211 and 0xB212 into the JUNK that ffmpeg
    reserves in the first stream header list."""
    data = bytearray(open(path, 'rb').read())
    at = data.find(b'JUNK', data.find(b'strl'))
    size = struct.unpack('<I', data[at + 4:at + 8])[0]
    note = b'FUJIFILM\x0c\x00\x00\x00'
    ifd = struct.pack('<H', 2)
    ifd += struct.pack('<HHII', 0xB211, 10, 1, 64) + struct.pack('<HHII', 0xB212, 10, 1, 72)
    second = bytearray(note + ifd)
    second += b'\0' * (64 - len(second))
    second += struct.pack('<iI', parallax_h, den_h) + struct.pack('<iI', parallax_v, den_v)
    payload = note + b'\0' * 20 + bytes(second)
    assert len(payload) <= size
    data[at + 8:at + 8 + len(payload)] = payload
    open(path, 'wb').write(data)


def main():
    kind, out = sys.argv[1], sys.argv[2]
    gb = 1 << 30
    if kind == 'odml':
        write_odml(out, [[('frames', 6)], [('frames', 5)]])
    elif kind == 'odml-noidx1':
        write_odml(out, [[('frames', 4)], [('frames', 4)]], with_idx1=False, index_at_start=True)
    elif kind == 'odml-audiofirst':
        write_odml(out, [[('frames', 4)], [('frames', 3)]], audio_first=True)
    elif kind == 'odml-huge':
        # RIFFs of about 1.5 GB: the third's base lies below 4 GB and its
        # chunks cross it; the fourth's base lies above.
        write_odml(out, [[('frames', 10), ('junk', 3 * gb // 2)],
                         [('frames', 10), ('junk', 3 * gb // 2)],
                         [('frames', 5), ('junk', 3 * gb // 2 - 1024), ('frames', 5)],
                         [('frames', 10)]])
    elif kind == 'odml-long':
        # An hour at 25 frames a second with its sound, in eight RIFFs, for
        # the open benchmark (tiny frames: the indexes are what is read; a
        # sparse chunk makes the file pass 2 GB, as such a file would).
        write_odml(out, [[('frames', 11250)] for _ in range(7)] + [[('frames', 11250), ('junk', 1 << 31)]],
                   width=4, height=2)
    elif kind == 'dv1':
        write_dv(out, 1)
    elif kind == 'dv1-norect':
        write_dv(out, 1, rect_in_stream=False)
    elif kind == 'dv2':
        write_dv(out, 2)
    elif kind == 'db':
        write_plain(out, video_id='00db')
    elif kind == 'rate0':
        write_plain(out, rate=0)
    elif kind == 'scale0':
        write_plain(out, scale=0)
    elif kind == 'longlie':
        write_plain(out, frames=1, length=0x7FFFFFF0)
    elif kind == 'oneframe':
        write_plain(out, frames=1)
    elif kind == 'oneframe-db':
        write_plain(out, frames=1, video_id='00db')
    elif kind == 'exact2g':
        # Exactly 2,147,483,648 bytes, frame 2 dropped (an empty chunk).
        write_plain(out, frames=5, dropped=(2,), pad_to=1 << 31)
    elif kind == 'delta':
        write_delta(out, False)
    elif kind == 'delta-trust':
        write_delta(out, True)
    elif kind == 'delta-noidx':
        write_delta(out, False, with_idx1=False)
    elif kind == 'onejpeg':
        write_one_jpeg(out, sys.argv[3], sys.argv[4])
    elif kind == 'fuji':
        patch_fuji_note(out, int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]))
    else:
        sys.exit('unknown kind ' + kind)


if __name__ == '__main__':
    main()
