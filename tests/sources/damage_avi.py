#!/usr/bin/env python3
"""Copies an AVI file with one kind of damage, the kinds that once made the
program stop without a word or show a blank picture.

Usage: damage_avi.py <kind> <input> <output>

  streams=N      the main header says the file has N streams
  soundrate0     the sound format says 0 samples a second
  bits=N         the video format's bit count is N
  colours=N      the video format says 8 bits with N palette colours (and
                 holds no palette)
  length=N       the video stream header says N frames
  idx1size=N     every 'idx1' entry says N bytes
  idx1past       every 'idx1' entry's chunk lies past the file's end
  idx1big        every 'idx1' entry's size reaches past the file's end
  ixpast         every OpenDML standard index's base lies past the file
  ixbig          every OpenDML standard index entry's size reaches past it
  garbage        the data of every video chunk is replaced by noise
"""
import random
import struct
import sys


def chunks(data, pos=12, end=None, depth=0):
    """(id, position, size, list type or None) of every chunk, lists entered."""
    end = len(data) if end is None else min(end, len(data))
    while pos + 8 <= end:
        cid = bytes(data[pos:pos + 4])
        size = struct.unpack_from('<I', data, pos + 4)[0]
        typ = bytes(data[pos + 8:pos + 12]) if cid in (b'RIFF', b'LIST') else None
        yield cid, pos, size, typ
        if typ is not None and depth < 4:
            yield from chunks(data, pos + 12, pos + 8 + size, depth + 1)
        pos += 8 + size + (size & 1)


def stream_lists(data):
    """(strh position, strf position) of each stream header list."""
    out = []
    for cid, pos, size, typ in chunks(data):
        if typ == b'strl':
            inner = {c: p for c, p, s, t in chunks(data, pos + 12, pos + 8 + size, 9)}
            out.append((inner.get(b'strh'), inner.get(b'strf')))
    return out


def stream_of(data, kind):
    for strh, strf in stream_lists(data):
        if data[strh + 8:strh + 12] == kind:
            return strh, strf
    sys.exit('no %s stream' % kind.decode())


def put32(data, pos, value):
    struct.pack_into('<I', data, pos, value & 0xFFFFFFFF)


def main():
    kind, src, out = sys.argv[1], sys.argv[2], sys.argv[3]
    data = bytearray(open(src, 'rb').read())
    name, _, arg = kind.partition('=')
    every = list(chunks(data))
    past = len(data) + 0x100000
    if name == 'streams':
        avih = next(p for c, p, s, t in every if c == b'avih')
        put32(data, avih + 8 + 24, int(arg))
    elif name == 'soundrate0':
        strh, strf = stream_of(data, b'auds')
        put32(data, strf + 8 + 4, 0)
    elif name == 'bits':
        strh, strf = stream_of(data, b'vids')
        struct.pack_into('<H', data, strf + 8 + 14, int(arg))
    elif name == 'colours':
        strh, strf = stream_of(data, b'vids')
        struct.pack_into('<H', data, strf + 8 + 14, 8)
        put32(data, strf + 8 + 32, int(arg))
    elif name == 'length':
        strh, strf = stream_of(data, b'vids')
        put32(data, strh + 8 + 32, int(arg))
    elif name.startswith('idx1'):
        idx1 = [(p, s) for c, p, s, t in every if c == b'idx1']
        assert idx1, 'no idx1'
        for pos, size in idx1:
            for e in range(pos + 8, pos + 8 + size - 15, 16):
                if name == 'idx1size':
                    put32(data, e + 12, int(arg))
                elif name == 'idx1past':
                    put32(data, e + 8, past)
                elif name == 'idx1big':
                    put32(data, e + 12, past)
    elif name in ('ixpast', 'ixbig'):
        found = False
        for c, pos, size, t in every:
            if c != b'ix00':
                continue
            found = True
            if name == 'ixpast':
                struct.pack_into('<Q', data, pos + 20, past)
            else:
                count = struct.unpack_from('<I', data, pos + 12)[0]
                for i in range(count):
                    put32(data, pos + 32 + 8 * i + 4, past)
        assert found, 'no ix00'
    elif name == 'garbage':
        noise = random.Random(7)
        for c, pos, size, t in every:
            if c == b'00dc':
                data[pos + 8:pos + 8 + size] = bytes(noise.randrange(256) for _ in range(size))
    else:
        sys.exit('unknown kind ' + kind)
    open(out, 'wb').write(data)


if __name__ == '__main__':
    main()
