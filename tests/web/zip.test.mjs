// The page's pack reader (web/zip_reader.js) in Node, which has the same
// DecompressionStream: each hostile pack gives what it should, quickly, and
// real packs list as Python's zipfile (and the native reader, once in the
// tree) lists them, member for member and byte for byte.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { root } from './browser.mjs';
import { fnv1a64, packListing } from './pack_listing.mjs';
import { makeNativePacks, makePacks, nativeListing, pythonListing } from './packs.mjs';

const reader = await import(path.join(root, 'web/zip_reader.js'));
let dir;
const packFile = (name) => path.join(dir, `${name}.zip`);
const bytesOf = (name) => new Uint8Array(readFileSync(packFile(name)));
const art = fnv1a64(Buffer.from('\x1b[0;31;40mart\r\n'.repeat(4), 'latin1'));
const ok = `ok.ans\tok\t60\t${art}`;

before(() => {
  dir = mkdtempSync(path.join(tmpdir(), 'glyphora-packs-'));
  makePacks(dir);
});
after(() => dir && rmSync(dir, { recursive: true, force: true }));

describe('hostile packs', () => {
  // Each pack, what its listing holds (all of it, or its first lines), and the
  // most time it may take.
  const table = [
    ['methods', [`badcrc.ans\terror\tbad CRC`, `big.ans\terror\tlarger than 64 MiB`,
      `bzip2.ans\terror\tunsupported method 12`, `enc.ans\terror\tencrypted`,
      `implode.ans\terror\tunsupported method: implode (6)`, ok,
      `reduce.ans\terror\tunsupported method: reduce (4)`, `shrink.ans\terror\tunsupported method: shrink (1)`,
      `stored.ans\tok\t60\t${art}`]],
    ['bomb', ['bomb.ans\terror\tcorrupt at byte 1000', ok]],
    ['endless', ['endless.ans\terror\tcorrupt', ok]],
    ['short', [ok, 'short.ans\terror\tcorrupt']],
    ['truncated', ['error\tit is not a ZIP file, or its end is missing']],
    ['notzip', ['error\tit is not a ZIP file, or its end is missing']],
    ['outside', ['error\tits directory lies outside the file']],
    ['hugedir', [`error\tits directory takes ${90 * (46 + 3 * 0xffff)} bytes, more than 16 MiB`]],
    // Both members that share bytes: either could be the bomb's.
    ['overlapping', ['again.ans\terror\tcorrupt', 'ok.ans\terror\tcorrupt', `z.asc\tok\t60\t${art}`]],
    ['comment', [ok]],
    ['zip64', [ok, `z64.asc\tok\t60\t${art}`]],
    ['large', [`at_limit.ans\tok\t${64 << 20}\t${fnv1a64(Buffer.concat([Buffer.from('\x1b[0;36;40m', 'latin1'),
      Buffer.alloc((64 << 20) - 10, 0xb1)]))}`, ok]],
  ];
  for (const [name, expected] of table) {
    test(`${name}.zip`, async () => {
      const started = performance.now();
      assert.deepEqual(await packListing(reader, bytesOf(name)), expected);
      // Bounded, on a machine busy with other work too: no hang, nothing quadratic.
      assert.ok(performance.now() - started < 15000, `${name}.zip took ${performance.now() - started} ms`);
    });
  }

  test('65,535 members and names of 64 KiB list whole, in byte order, in bounded time', async () => {
    const started = performance.now();
    const many = await reader.openPack(bytesOf('many'));
    assert.equal(many.members.length, 65535);
    assert.equal(many.members[0].path, 'm00000.asc');
    assert.equal(many.members.at(-1).path, 'm65534.asc');
    const long = await packListing(reader, bytesOf('longnames'));
    assert.deepEqual(long.map((line) => line.split('\t')[0].length), [65535, 65535]);
    assert.deepEqual(long.map((line) => line.split('\t')[1]), ['ok', 'ok']);
    assert.ok(performance.now() - started < 15000, `${performance.now() - started} ms`);
  });

  test('a pack read from a Blob, a range at a time, lists as its bytes do', async () => {
    for (const name of ['methods', 'zip64', 'overlapping', 'outside']) {
      assert.deepEqual(await packListing(reader, new Blob([bytesOf(name)])), await packListing(reader, bytesOf(name)));
    }
  });
});

describe('real packs', () => {
  test('list as Python\'s zipfile lists them, names in UTF-8 and code page 437', async () => {
    for (const name of ['real', 'twenty', 'zip64', 'longnames']) {
      assert.deepEqual(await packListing(reader, bytesOf(name)), pythonListing(packFile(name)), name);
    }
    const paths = (await packListing(reader, bytesOf('real'))).map((line) => line.split('\t')[0]);
    assert.deepEqual(paths, ['Glyphora.ASC', 'art/päk.nfo', 'art/wide.ans', 'art/zażółć.diz', 'empty.txt',
      'glyphora.ans']);
  });

  test('the sample comes out byte for byte', async () => {
    const pack = await reader.openPack(bytesOf('real'));
    const got = await reader.readMember(pack, pack.members.find((m) => m.path === 'glyphora.ans'));
    assert.ok(Buffer.from(got.bytes).equals(readFileSync(path.join(root, 'samples/glyphora.ans'))));
  });

  // The native reader and the page's read the same packs alike, these and
  // the native tests' own; a pack that cannot be opened is one message on
  // each side, in each its own words.
  test('list as the native pack_list lists them', async () => {
    const opened = (lines) => lines.map((line) => (line.startsWith('error\t') ? 'error' : line));
    const theirs = path.join(dir, 'native');
    makeNativePacks(theirs);
    const packs = [...readdirSync(dir).filter((f) => f.endsWith('.zip')).map((f) => path.join(dir, f)),
      ...readdirSync(theirs).filter((f) => f.endsWith('.zip')).map((f) => path.join(theirs, f))];
    for (const file of packs) {
      const mine = await packListing(reader, new Uint8Array(readFileSync(file)));
      assert.deepEqual(opened(mine), opened(nativeListing(file)), file);
    }
  });
});

describe('names, CRC and art', () => {
  test('names: code page 437 (its lower half ASCII) unless flagged UTF-8', () => {
    const table = [
      [[0x84], false, 'ä'], [[0x70, 0x84, 0x6b], false, 'päk'], [[0xc3, 0xa4], true, 'ä'],
      [[0xc3, 0xa4], false, '├ñ'], [[0x01, 0x41], false, '\x01A'], [[0xb0, 0xdb, 0xff], false, '░█\u00a0'],
      [[0x61, 0x2f, 0x62], false, 'a/b'], [[0x7f, 0x80], false, '\x7fÇ'],
    ];
    for (const [bytes, utf8, name] of table) assert.equal(reader.decodeName(Uint8Array.from(bytes), utf8), name);
  });

  test('CRC-32 and the art members\' names', () => {
    assert.equal(reader.crc32(new TextEncoder().encode('123456789')), 0xcbf43926);
    assert.equal(reader.crc32(new Uint8Array(0)), 0);
    const text = new TextEncoder().encode('123456789');
    assert.equal(reader.crc32(text.subarray(4), reader.crc32(text.subarray(0, 4))), 0xcbf43926, 'in two parts');
    const names = { 'a.ANS': true, 'b.asc': true, 'c.Nfo': true, 'd.diz': true, 'e.TXT': true, 'f.ice': true,
      'g.zip': false, 'ans': false, 'h.ans.bak': false, 'dir/i.asc': true, 'j.an': false };
    for (const [name, isArt] of Object.entries(names)) assert.equal(reader.isArtName(name), isArt, name);
  });
});
