#!/usr/bin/env python3
"""Writes the test packs into OUTDIR: one real-looking pack and one of each
hostile kind, each PACK.zip beside PACK.expected, the lines `pack_list PACK.zip`
must print (the art members in gallery order, each `PATH<TAB>ok<TAB>SIZE<TAB>FNV`
or `PATH<TAB>error<TAB>REASON`; a pack that cannot be read at all: `error`).
The native tests and the page's tests both read their packs from here.

    python3 tests/packs/make_packs.py OUTDIR

What both readers of packs agree on, and these packs check:
- Art members: names ending in .ans .asc .nfo .diz .txt .ice (any case), not
  ending in / or \; in gallery order, sorted by their UTF-8 path as bytes
  (members of one path keep the directory's order).
- Names: CP437 (bytes below 0x80 as ASCII) unless flag bit 11 says UTF-8,
  which is decoded as TextDecoder does (each broken sequence one U+FFFD).
- Reasons, checked in this order: "encrypted" (flag bit 0);
  "unsupported method: shrink (1)", "unsupported method: reduce (N)" for 2-5,
  "unsupported method: implode (6)", "unsupported method N" for any method but
  0 and 8; "larger than 64 MiB" (declared size over 64 MiB, nothing read);
  "corrupt at byte N" when the data gives more than its declared size (N the
  declared size: nothing past it is inflated); "corrupt" when its local header
  is unreadable, its bytes (from its local header to the end of its data)
  overlap another member's, or its data breaks or stops short of its size;
  "bad CRC".
- A pack that cannot be read at all prints one line "error<TAB>MESSAGE"; the
  message is each reader's own.
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "..", "samples")

LOCAL, CENTRAL, END = 0x04034B50, 0x02014B50, 0x06054B50
END64, LOCATOR64 = 0x06064B50, 0x07064B50
UTF8_FLAG, ENCRYPTED_FLAG = 1 << 11, 1
ART = (".ans", ".asc", ".nfo", ".diz", ".txt", ".ice")


def fnv1a64(data):
    h = 0xCBF29CE484222325
    if data and data.count(0) == len(data):  # zero bytes only multiply: at once for a large member
        return "%016x" % (h * pow(0x100000001B3, len(data), 1 << 64) & 0xFFFFFFFFFFFFFFFF)
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Member:
    """One member as written: `name` raw bytes, `data` the bytes a reader
    should give (or None), `raw` the stored bytes; `reason` the expected
    error when it cannot be read."""

    def __init__(self, name, data=b"", method=8, flags=0, size=None, crc=None, raw=None,
                 zip64=False, reason=None, shown=None):
        self.name = name if isinstance(name, bytes) else name.encode()
        if not isinstance(name, bytes) and any(ord(c) > 127 for c in name):
            flags |= UTF8_FLAG
        self.data, self.method, self.flags, self.zip64 = data, method, flags, zip64
        self.size = len(data) if size is None else size
        self.crc = zlib.crc32(data) if crc is None else crc
        self.raw = raw if raw is not None else (data if method == 0 else deflate(data))
        self.reason = reason
        self.shown = shown
        self.offset = None

    def path(self):
        if self.shown is not None:
            return self.shown
        return self.name.decode("utf-8" if self.flags & UTF8_FLAG else "cp437", "replace")

    def extra(self, central):
        if not self.zip64:
            return b""
        fields = struct.pack("<QQ", self.size, len(self.raw))
        if central:
            fields += struct.pack("<Q", self.offset)
        return struct.pack("<HH", 1, len(fields)) + fields

    def sizes(self):
        if self.zip64:
            return 0xFFFFFFFF, 0xFFFFFFFF
        return len(self.raw), self.size

    def local(self):
        csize, usize = self.sizes()
        extra = self.extra(False)
        return struct.pack("<IHHHHHIIIHH", LOCAL, 45 if self.zip64 else 20, self.flags, self.method, 0, 0x21,
                           self.crc, csize, usize, len(self.name), len(extra)) + self.name + extra + self.raw

    def central(self, offset=None):
        csize, usize = self.sizes()
        extra = self.extra(True)
        at = self.offset if offset is None else offset
        return struct.pack("<IHHHHHHIIIHHHHHII", CENTRAL, 20, 45 if self.zip64 else 20, self.flags, self.method,
                           0, 0x21, self.crc, csize, usize, len(self.name), len(extra), 0, 0, 0, 0,
                           0xFFFFFFFF if self.zip64 else at) + self.name + extra


def build(members, comment=b"", zip64_end=False, aliases=(), directory_offset=None):
    """The pack's bytes. `aliases`: (name, index) pairs, more directory
    entries for the local header of members[index] under another name."""
    parts, offset = [], 0
    for m in members:
        m.offset = offset
        parts.append(m.local())
        offset += len(parts[-1])
    body = b"".join(parts)
    directory = b"".join(m.central() for m in members)
    for name, index in aliases:
        twin = Member(name, members[index].data, members[index].method)
        twin.raw, twin.crc, twin.size = members[index].raw, members[index].crc, members[index].size
        directory += twin.central(members[index].offset)
    count = len(members) + len(aliases)
    start = len(body) if directory_offset is None else directory_offset
    tail = b""
    if zip64_end:
        end64_at = len(body) + len(directory)
        tail += struct.pack("<IQHHIIQQQQ", END64, 44, 45, 45, 0, 0, count, count, len(directory), start)
        tail += struct.pack("<IIQI", LOCATOR64, 0, end64_at, 1)
        count16, size32, start32 = 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF
    else:
        count16, size32, start32 = count, len(directory), start
    tail += struct.pack("<IHHHHIIH", END, 0, 0, count16, count16, size32, start32, len(comment)) + comment
    return body + directory + tail


def art_piece():
    """A small piece in colour, with CP437 shades and lines."""
    rows = []
    for row in range(8):
        colour = "\x1b[%d;3%d;4%dm" % (row % 2, 1 + row % 7, row % 4)
        line = colour.encode() + bytes([0xB0 + row % 3]) * 6 + b" PACK " + bytes([0xDB, 0xC4, 0xCD]) * 4
        rows.append(line + b"\x1b[0m\r\n")
    return b"".join(rows)


def sample(name):
    with open(os.path.join(SAMPLES, name), "rb") as f:
        return f.read()


def expected_lines(members, aliases=(), problems=None):
    """What pack_list prints for these members: art ones, sorted by path as
    UTF-8 bytes (stable for equal paths)."""
    listed = [(m.path(), m) for m in members]
    listed += [(name, None) for name, _ in aliases]
    lines = []
    for path, m in sorted(listed, key=lambda pm: pm[0].encode()):
        if not path.lower().endswith(ART) or path.endswith(("/", "\\")):
            continue
        reason = (problems or {}).get(path) or (m.reason if m else None)
        if reason:
            lines.append("%s\terror\t%s" % (path, reason))
        else:
            lines.append("%s\tok\t%d\t%s" % (path, len(m.data), fnv1a64(m.data)))
    return lines


def real_pack():
    piece = art_piece()
    members = [
        Member("glyphora.ans", sample("glyphora.ans")),
        Member("text/glyphora.asc", sample("glyphora.asc"), method=0),
        Member("art/LOGO.NFO", piece),
        Member("FILE_ID.DIZ", b"\x1b[1;33mA pack of art\x1b[0m\r\n", method=0),
        Member("a/piece.ans", piece),
        Member("b/piece.ans", piece[::-1]),
        Member("c/piece.asc", b"plain piece\r\n"),
        Member(b"b\x84r.ans", b"cp437 name\r\n", shown="b\u00e4r.ans"),
        # Valid UTF-8 without the flag is CP437 all the same: no guessing.
        Member(b"\xc3\xa4.ans", b"looks like utf-8\r\n", shown="\u251c\u00f1.ans"),
        Member("\u017c\u00f3\u0142w.asc", b"utf-8 name\r\n"),
        Member("readme.md", b"not art"),
        Member("art/", b"", method=0),
    ]
    return build(members), expected_lines(members)


def escaping_pack():
    names = ["../../escape.ans", "/etc/absolute.ans", "..\\..\\backslash.ans", "C:\\drive.ans", "C:drive2.asc",
             "CON.ans", "NUL.asc", "dir/../../up.nfo", "ctl\x1b]0;x\x07\x01.ans", "a\\b\\deep.diz", ".ans", "..\\.asc"]
    members = [Member(n, ("piece %d\r\n" % i).encode()) for i, n in enumerate(names)]
    return build(members), expected_lines(members)


def methods_pack():
    data = b"\x1b[1;32mmethods\r\n"
    members = [
        Member("encrypted.ans", data, flags=ENCRYPTED_FLAG, reason="encrypted"),
        Member("shrink.ans", data, method=1, raw=data, reason="unsupported method: shrink (1)"),
        Member("reduce2.ans", data, method=2, raw=data, reason="unsupported method: reduce (2)"),
        Member("reduce5.ans", data, method=5, raw=data, reason="unsupported method: reduce (5)"),
        Member("implode.ans", data, method=6, raw=data, reason="unsupported method: implode (6)"),
        Member("bzip2.ans", data, method=12, raw=data, reason="unsupported method 12"),
        Member("bad_crc.ans", data, crc=zlib.crc32(data) ^ 1, reason="bad CRC"),
        Member("good.ans", data),
        Member("empty_stored.asc", b"", method=0),  # no bytes, nothing wrong
        Member("empty_deflated.asc", b""),
        Member("stored_short.ans", data, method=0, size=len(data) + 5, reason="corrupt"),
        Member("stored_long.ans", data, method=0, size=4, reason="corrupt at byte 4"),
        Member("huge.ans", data, size=(64 << 20) + 1, reason="larger than 64 MiB"),
        Member("at_limit.ans", b"\0" * (64 << 20)),
    ]
    return build(members), expected_lines(members)


def bombs_pack():
    zeros = b"\0" * (32 << 20)
    never_ends = zlib.compressobj(9, zlib.DEFLATED, -15)
    open_stream = never_ends.compress(b"x" * 5000) + never_ends.flush(zlib.Z_SYNC_FLUSH)
    broken = bytearray(deflate(b"broken data " * 100))
    broken[0] = 0xFF  # block type 3: invalid
    members = [
        # Declares 1,000 bytes and inflates to 32 MiB: stopped at its declared size.
        Member("bomb.ans", zeros, size=1000, reason="corrupt at byte 1000"),
        # A deflate stream with no final block: it never ends, the data does.
        Member("never_ends.ans", b"x" * 5000, raw=open_stream, size=6000, reason="corrupt"),
        Member("broken.ans", b"", raw=bytes(broken), size=1200, reason="corrupt"),
        Member("survivor.ans", b"\x1b[1;31msurvives\r\n"),
    ]
    return build(members), expected_lines(members)


def overlap_pack():
    members = [Member("first.ans", b"\x1b[1;34mfirst piece\r\n" * 20), Member("third.ans", b"third\r\n")]
    aliases = [("twin1.ans", 0)]
    problems = {"first.ans": "corrupt", "twin1.ans": "corrupt"}
    return build(members, aliases=aliases), expected_lines(members, aliases, problems)


def zip64_pack():
    members = [Member("big64.ans", art_piece(), zip64=True), Member("small64.asc", b"zip64\r\n", method=0, zip64=True)]
    return build(members, zip64_end=True), expected_lines(members)


def comment_pack():
    """An archive comment that holds a second end record, claiming a
    directory at the start of the file (where a local header lies)."""
    members = [Member("real.ans", b"\x1b[1;35mthe real directory\r\n")]
    fake = struct.pack("<IHHHHIIH", END, 0, 0, 1, 1, 46, 0, 0)
    return build(members, comment=b"note " + fake), expected_lines(members)


def many_pack():
    """65,535 members, one in 4,096 of them art."""
    members = []
    for i in range(65535):
        name = "m%05d.%s" % (i, "txt" if i % 4096 == 0 else "dat")
        members.append(Member(name, b"%d\r\n" % i, method=0))
    return build(members), expected_lines(members)


def long_names_pack():
    stem = "n" * (65535 - 4)
    members = [Member(stem + ".ans", b"long name\r\n"), Member("x" * 65531 + ".nfo", b"long too\r\n"),
               Member("short.ans", b"short\r\n")]
    return build(members), expected_lines(members)


def real_bytes():
    return real_pack()[0]


def truncated_pack():
    data = real_bytes()
    return data[: len(data) // 2], ["error"]


def outside_pack():
    members = [Member("lost.ans", b"lost\r\n")]
    return build(members, directory_offset=1 << 30), ["error"]


PACKS = {
    "real": real_pack,
    "escaping": escaping_pack,
    "methods": methods_pack,
    "bombs": bombs_pack,
    "overlap": overlap_pack,
    "zip64": zip64_pack,
    "comment": comment_pack,
    "many": many_pack,
    "long_names": long_names_pack,
    "truncated": truncated_pack,
    "outside": outside_pack,
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_packs.py OUTDIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in PACKS.items():
        data, lines = make()
        with open(os.path.join(out, name + ".zip"), "wb") as f:
            f.write(data)
        with open(os.path.join(out, name + ".expected"), "w", encoding="utf-8", newline="\n") as f:
            f.write("".join(line + "\n" for line in lines))


if __name__ == "__main__":
    main()
