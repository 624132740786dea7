#!/usr/bin/env python3
"""Writes the page's test packs into OUTDIR: one with a few real pieces, one
of each hostile kind, and the galleries its speed is measured on, with the
native tests' own ZIP writer. Usage: make_test_packs.py SOURCE_DIR OUTDIR"""
import os
import struct
import sys
import zlib

# The ZIP writer is the native tests' own: both suites' packs are made alike.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'packs'))
from make_packs import Member, build, deflate  # noqa: E402


def member(name, data, method=8, flags=0, packed=None, **fields):
    """One entry as the native tests' maker writes it; `packed` is the
    compressed bytes, `crc` and `size` override what is declared."""
    return Member(name, data, method=method, flags=flags, raw=packed, **fields)


def pack(members, comment=b'', zip64=False, cut=None, aliases=()):
    """The ZIP file of `members` (ZIP64's records and extra fields when
    zip64), cut to its first `cut` bytes when given."""
    for m in members:
        m.zip64 = zip64
    out = build(members, comment, zip64_end=zip64, aliases=aliases)
    return out[:cut] if cut is not None else out


def real_pieces(source):
    def read(name):
        with open(os.path.join(source, name), 'rb') as f:
            return f.read()
    ans, asc = read('samples/glyphora.ans'), read('samples/glyphora.asc')
    wide = b'\x1b[1;33;44m' + b'\xdb\xb2\xb1\xb0' * 40 + b'\r\n' + b'\x1b[0;36m wide row\r\n' * 30
    return [
        member('glyphora.ans', ans),
        member('Glyphora.ASC', asc, method=0),
        member('art/wide.ans', wide),
        member(b'art/p\x84k.nfo', b'\x1b[0;37;40mCP437 name\r\n\xc9\xcd\xcd\xbb\r\n'),
        member('art/zażółć.diz', b'UTF-8 name\r\n', method=0),
        member('readme.md', b'not art'),
        member('empty.txt', b'', method=0),
        member('art/', b'', method=0),
    ]


def piece(i):
    """A piece of art of its own: rows of colours, widths and heights varying."""
    rows = []
    for r in range(8 + i * 7 % 60):
        colour = 30 + (r + i) % 8
        rows.append(b'\x1b[%d;%d;%dm' % (r % 2, colour, 40 + (i + r // 3) % 8) +
                    bytes([0xb0 + (r + i) % 4, 0xdb, 0x20 + (r * i) % 90]) * (10 + (i * 13 + r) % 30))
    return b'\r\n'.join(rows) + b'\r\n'


def gallery(count, stored_every=3):
    return pack([member('piece%04d.%s' % (i, 'ans' if i % 5 else 'asc'), piece(i),
                        method=0 if i % stored_every == 0 else 8) for i in range(count)])


def hostile(source):
    art = b'\x1b[0;31;40mart\r\n' * 4
    ok = member('ok.ans', art)
    stream_without_end = zlib.compressobj(9, zlib.DEFLATED, -15)
    endless = stream_without_end.compress(b'\0' * (8 << 20)) + stream_without_end.flush(zlib.Z_SYNC_FLUSH)
    bomb = deflate(b'\0' * (64 << 20))
    packs = {
        'methods': pack([ok, member('enc.ans', art, flags=1), member('shrink.ans', art, method=1, packed=art),
                         member('reduce.ans', art, method=4, packed=art), member('implode.ans', art, method=6, packed=art),
                         member('bzip2.ans', art, method=12, packed=art), member('badcrc.ans', art, crc=1),
                         member('big.ans', art, size=(64 << 20) + 1), member('stored.ans', art, method=0)]),
        'bomb': pack([member('bomb.ans', b'', packed=bomb, size=1000, crc=0), ok]),
        'endless': pack([member('endless.ans', b'', packed=endless, size=10 << 20, crc=0), ok]),
        'short': pack([member('short.ans', art, size=len(art) + 5), ok]),
        'truncated': pack([ok, member('b.ans', art)], cut=-30),
        'outside': bytearray(pack([ok])),
        # again.ans: a second directory entry for ok.ans's header and bytes
        'overlapping': pack([ok, member('z.asc', art)], aliases=[('again.ans', 0)]),
        'comment': pack([ok], comment=struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, 3, 3, 999, 12345, 0)),
        'many': pack([member('m%05d.asc' % i, b'x', method=0) for i in range(65535)]),
        'longnames': pack([member('n' * 65531 + '.ans', art), member('o' * 65531 + '.txt', art, method=0)]),
        'zip64': pack([ok, member('z64.asc', art, method=0)], zip64=True),
        'large': pack([member('at_limit.ans', b'\x1b[0;36;40m' + b'\xb1' * ((64 << 20) - 10)), ok]),
        'notzip': b'plain text, no pack here\r\n' * 3,
    }
    # A directory of over 16 MiB: 90 entries with names, extra fields and
    # comments of 64 KiB each (no members behind them: it is refused unread).
    entry = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 20, 20, 0, 0, 0, 0, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF,
                        0, 0, 0, 0) + b'n' * 0xFFFF + b'\0' * 0xFFFF + b'c' * 0xFFFF
    directory = entry * 90
    packs['hugedir'] = directory + struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, 90, 90, len(directory), 0, 0)
    # The end record's directory offset, moved past the end of the file.
    outside = packs['outside']
    struct.pack_into('<I', outside, len(outside) - 6, len(outside) + 100)
    packs['outside'] = bytes(outside)
    return packs


def main():
    source, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    packs = hostile(source)
    packs['real'] = pack(real_pieces(source))
    packs['twenty'] = gallery(20)
    packs['thousand'] = gallery(1000)
    for name, data in packs.items():
        with open(os.path.join(out, name + '.zip'), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
