#!/usr/bin/env python3
"""The standard reading beside a peer renderer, cell by cell, and their CPU times.

Writes art pieces that use what real art uses (ESC[0m often, bold, iCE blink,
ESC[2J, cursor moves, the 80th column drawn from the row below, SAUCE with its
width and flags), draws each with `glyphora-shot --standard --whole` and with
`ansilove -b 8 -c WIDTH [-i]` (8x16 cells), and compares the colours of every
cell: the set of palette colours (as colour numbers 0-15) each cell's pixels
use. Fonts differ between the two, colours must not. Cells black in both are
not counted. Prints each piece's agreement, the total, and the CPU time of one
process per piece for each program.

  python3 bench/standard_agreement.py [build/native/glyphora-shot] [--pieces N] [--keep DIR] [--loose]
"""
import os, random, resource, struct, subprocess, sys, tempfile, zlib

GLYPHORA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
            (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
            (255, 0, 255), (0, 255, 255), (255, 255, 255)]
VGA = [(0, 0, 0), (170, 0, 0), (0, 170, 0), (170, 85, 0), (0, 0, 170), (170, 0, 170), (0, 170, 170),
       (170, 170, 170), (85, 85, 85), (255, 85, 85), (85, 255, 85), (255, 255, 85), (85, 85, 255),
       (255, 85, 255), (85, 255, 255), (255, 255, 255)]


def read_png(path):
    """(width, height, rows of RGB tuples) of a non-interlaced PNG."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, plte = 8, b'', None
    while pos < len(data):
        n, = struct.unpack('>I', data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        pos += 12 + n
        if kind == b'IHDR':
            w, h, depth, ctype, _, _, interlace = struct.unpack('>IIBBBBB', body)
        elif kind == b'PLTE':
            plte = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b'IDAT':
            idat += body
    assert interlace == 0 and depth <= 8
    raw = zlib.decompress(idat)
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    bpp = max(1, channels * depth // 8)
    stride = (w * channels * depth + 7) // 8
    prev, rows, i = bytearray(stride), [], 0
    for _ in range(h):
        f, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b, c = prev[x], (prev[x - bpp] if x >= bpp else 0)
            if f == 1: line[x] = (line[x] + a) & 255
            elif f == 2: line[x] = (line[x] + b) & 255
            elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        if ctype == 3:
            per = 8 // depth
            idx = [(line[x // per] >> (8 - depth * (x % per + 1))) & ((1 << depth) - 1) for x in range(w)]
            rows.append([plte[v] for v in idx])
        else:
            rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(w)])
    return w, h, rows


def cell_colours(path, palette):
    """Per cell (row-major lists), the set of colour numbers its pixels use."""
    number = {rgb: n for n, rgb in enumerate(palette)}
    w, h, rows = read_png(path)
    cells = []
    for cy in range(h // 16):
        line = []
        for cx in range(w // 8):
            line.append(frozenset(number.get(rows[cy * 16 + y][cx * 8 + x], -1) for y in range(16) for x in range(8)))
        cells.append(line)
    return cells


def sauce(width, ice, title):
    rec = b'SAUCE00' + title.ljust(35)[:35] + b'Nobody'.ljust(20) + b'Test group'.ljust(20) + b'19960412'
    rec += struct.pack('<IBBHHHHBB', 0, 1, 1, width, 0, 0, 0, 0, 1 if ice else 0) + b'IBM VGA'.ljust(22, b'\0')
    assert len(rec) == 128
    return b'\x1a' + rec


class Editor:
    """Colour changes as art editors write them: only what changes, and ESC[0m
    first (then the colours again) when bold or blink must go."""

    def __init__(self):
        self.fg, self.bg, self.bold, self.blink = 7, 0, False, False

    def to(self, fg, bg, bold, blink):
        params = []
        if (self.bold and not bold) or (self.blink and not blink):
            params.append(0)
            self.fg, self.bg, self.bold, self.blink = 7, 0, False, False
        if bold and not self.bold: params.append(1)
        if blink and not self.blink: params.append(5)
        if fg != self.fg: params.append(30 + fg)
        if bg != self.bg: params.append(40 + bg)
        self.fg, self.bg, self.bold, self.blink = fg, bg, bold, blink
        return b'\x1b[' + b';'.join(b'%d' % p for p in params) + b'm' if params else b''


# Sequences an editor never writes but hand-made or converted art has: a bold
# already on, 22 (ANSI.SYS knows none), inverse. The peer reads some of them
# otherwise (it brightens twice, ignores 22, 39 and 49): --loose shows how
# much that weighs.
LOOSE = [b'\x1b[1m', b'\x1b[22m', b'\x1b[7m', b'\x1b[27m', b'\x1b[39m', b'\x1b[49m']


def piece(rng, width, ice, loose=False):
    """A piece drawn as editors of the art scene write it."""
    out = bytearray(b'\x1b[0m')
    if rng.random() < 0.3: out += b'\x1b[2J'
    if rng.random() < 0.3: out += b'\x1b[1;1H'
    editor = Editor()
    glyphs = b'\xb0\xb1\xb2\xdb\xdc\xdf\xdd\xde\xfe\xfa' + b'.:,;_-=ACiDiCEmpire' + b' ' * 6

    def colour():
        if loose and rng.random() < 0.15:
            return rng.choice(LOOSE)
        if rng.random() < 0.3:  # ESC[0m, as often as real art has it
            editor.__init__()
            return b'\x1b[0m'
        return editor.to(rng.randrange(8), rng.randrange(8) if rng.random() < 0.6 else 0,
                         rng.random() < 0.5, rng.random() < 0.15)

    for _ in range(rng.randint(25, 60)):
        col = 0
        full = rng.random() < 0.25
        end = width if full else rng.randint(width // 2, width - 1)
        while col < end:
            r = rng.random()
            if r < 0.25:
                out += colour()
            elif r < 0.32 and end - col > 3:
                n = rng.randint(1, min(12, end - col - 1))
                out += b'\x1b[%dC' % n
                col += n
            else:
                n = rng.randint(1, min(8, end - col))
                out += bytes(rng.choice(glyphs) for _ in range(n))
                col += n
        if not full:
            out += b'\r\n'
            if rng.random() < 0.08:  # the last column drawn from the row below
                out += b'\x1b[A\x1b[%dC' % (width - 1) + colour() + bytes([rng.choice(glyphs)])
    out += b'\x1b[0m\r\n'
    return bytes(out)


def cpu_of(cmd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def main():
    args = sys.argv[1:]
    shot = args.pop(0) if args and not args[0].startswith('--') else 'build/native/glyphora-shot'
    pieces = int(args[args.index('--pieces') + 1]) if '--pieces' in args else 24
    keep = args[args.index('--keep') + 1] if '--keep' in args else None
    loose = '--loose' in args
    folder = keep or tempfile.mkdtemp(prefix='standard_agreement.')
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(19)
    total = same = 0
    cpu_glyphora = cpu_ansilove = 0.0
    for i in range(pieces):
        width = rng.choice([80, 80, 80, 80, 160, 132, 40])
        ice = rng.random() < 0.3
        art = os.path.join(folder, 'piece%02d.ans' % i)
        with open(art, 'wb') as f:
            f.write(piece(rng, width, ice, loose) + sauce(width, ice, b'Piece %d' % i))
        ours, theirs = art + '.glyphora.png', art + '.ansilove.png'
        for _ in range(3):  # the least of three runs: the machine is shared
            g = cpu_of([shot, '--standard', '--whole', art, ours])
            a = cpu_of(['ansilove', '-q', '-b', '8', '-c', str(width)] + (['-i'] if ice else []) + ['-o', theirs, art])
            cpu_glyphora += g / 3
            cpu_ansilove += a / 3
        mine, peer = cell_colours(ours, GLYPHORA), cell_colours(theirs, VGA)
        counted = agreed = 0
        for y in range(max(len(mine), len(peer))):
            for x in range(width):
                m = mine[y][x] if y < len(mine) and x < len(mine[y]) else frozenset([0])
                p = peer[y][x] if y < len(peer) and x < len(peer[y]) else frozenset([0])
                if m == {0} and p == {0}: continue
                counted += 1
                agreed += m == p
        total += counted
        same += agreed
        print('piece%02d width %3d ice %d: %5d of %5d coloured cells agree (%.2f%%)' %
              (i, width, ice, agreed, counted, 100.0 * agreed / max(counted, 1)))
    print('agreement: %d of %d coloured cells, %.2f%%' % (same, total, 100.0 * same / max(total, 1)))
    print('CPU per piece: glyphora-shot --standard --whole %.2f ms, ansilove -b 8 %.2f ms, ratio %.2f' %
          (1000 * cpu_glyphora / pieces, 1000 * cpu_ansilove / pieces, cpu_glyphora / max(cpu_ansilove, 1e-9)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
