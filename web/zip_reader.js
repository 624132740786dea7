// Reading art packs (ZIP files) in the page: the central directory (ZIP64
// too), stored and deflate members through the browser's own
// DecompressionStream, each checked against its CRC-32. Nothing is trusted:
// every offset and size is checked against the file before it is used, a
// member is refused by its declared size before anything is inflated, and
// inflating stops at the first byte past that size. A member that cannot be
// read says why, in the same words as glyphora-shot, and never stops the rest.

export const MAX_MEMBER_BYTES = 64 * 1024 * 1024;
export const TOO_LARGE = 'larger than 64 MiB';
const ART_NAME = /\.(ans|asc|nfo|diz|txt|ice)$/i;

// Record signatures and sizes.
const LOCAL_HEADER = 0x04034b50;
const CENTRAL_HEADER = 0x02014b50;
const END_RECORD = 0x06054b50;
const ZIP64_END_RECORD = 0x06064b50;
const ZIP64_LOCATOR = 0x07064b50;
const LOCAL_HEADER_SIZE = 30;
const CENTRAL_HEADER_SIZE = 46;
const END_RECORD_SIZE = 22;
const ZIP64_END_RECORD_SIZE = 56;
const ZIP64_LOCATOR_SIZE = 20;
const ZIP64_EXTRA = 0x0001;
const MAX_COMMENT = 0xffff;
// A hostile directory could name millions of members with names of 64 KiB: a
// larger one is refused whole before it is read.
const MAX_DIRECTORY_BYTES = 16 * 1024 * 1024;
// A 16- or 32-bit field holding this says the value is in the ZIP64 records.
const IN_ZIP64_16 = 0xffff;
const IN_ZIP64_32 = 0xffffffff;

const FLAG_ENCRYPTED = 0x0001;
const FLAG_UTF8 = 0x0800;
const STORED = 0;
const DEFLATED = 8;
const METHOD_NAMES = { 1: 'shrink', 2: 'reduce', 3: 'reduce', 4: 'reduce', 5: 'reduce', 6: 'implode' };

// Compressed bytes are read from the pack a block at a time and handed to the
// inflater in small pieces: a piece of deflate inflates to at most about 1,032
// times its size, so what one piece makes is bounded too.
const READ_BLOCK = 1 << 20;
const INFLATE_PIECE = 4096;

export const isArtName = (path) => ART_NAME.test(path);

// Long work (a large member, a directory of thousands) gives the page a turn
// every few milliseconds, so that it answers input throughout: promises alone
// would run it all in one task.
const SLICE_MS = 8;
let sliceStart = 0;
const pause = globalThis.scheduler?.yield ? () => globalThis.scheduler.yield()
  : () => new Promise((resolve) => setTimeout(resolve, 0));
async function breathe() {
  if (performance.now() - sliceStart < SLICE_MS) return;
  await pause();
  sliceStart = performance.now();
}

// Code page 437's upper half; its lower half is ASCII.
const CP437_HIGH = 'ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0';

// A name as the pack's writer meant it: UTF-8 when flagged so, else code page 437.
export function decodeName(bytes, utf8) {
  if (utf8) return new TextDecoder().decode(bytes);
  let name = '';
  for (const b of bytes) name += b < 0x80 ? String.fromCharCode(b) : CP437_HIGH[b - 0x80];
  return name;
}

const crcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

// The CRC-32 of `bytes`, or of what came before (whose CRC is `crc`) and them.
export function crc32(bytes, crc = 0) {
  let c = (crc ^ 0xffffffff) >>> 0;
  for (let i = 0; i < bytes.length; ++i) c = crcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// Paths in the gallery's order: by their UTF-8 bytes, as the native reader sorts.
const encoder = new TextEncoder();
function compareKeys(x, y) {
  const n = Math.min(x.length, y.length);
  for (let i = 0; i < n; ++i) if (x[i] !== y[i]) return x[i] - y[i];
  return x.length - y.length;
}
export const compareBytes = (a, b) => compareKeys(encoder.encode(a), encoder.encode(b));

// The pack's bytes, read by range: a Uint8Array, or a Blob (a picked or
// dropped File), so a large pack is never read whole.
function sourceOf(data) {
  if (data instanceof Uint8Array) {
    return { size: data.length, read: async (at, length) => data.subarray(at, at + length) };
  }
  return {
    size: data.size,
    read: async (at, length) => new Uint8Array(await data.slice(at, at + length).arrayBuffer()),
  };
}

const u16 = (b, at) => b[at] | (b[at + 1] << 8);
const u32 = (b, at) => (b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24)) >>> 0;
// 64-bit values beyond what a Number holds exactly lie past any real file.
const u64 = (b, at) => {
  const high = u32(b, at + 4);
  return high >= 0x200000 ? Infinity : high * 0x100000000 + u32(b, at);
};

class PackError extends Error {}
const refuse = (message) => { throw new PackError(message); };

// ZIP64's sizes and offset for the fields of a central header that say so, in
// the order the format gives them.
function applyZip64(entry, extra) {
  for (let at = 0; at + 4 <= extra.length;) {
    const id = u16(extra, at);
    const length = u16(extra, at + 2);
    const body = extra.subarray(at + 4, at + 4 + length);
    at += 4 + length;
    if (id !== ZIP64_EXTRA) continue;
    let field = 0;
    for (const key of ['size', 'compressedSize', 'offset']) {
      if (entry[key] !== IN_ZIP64_32) continue;
      if (field + 8 > body.length) refuse('a member\'s ZIP64 sizes are cut short');
      entry[key] = u64(body, field);
      field += 8;
    }
    return;
  }
}

// The directory's place and count from an end record at `at` in the file.
async function directoryPlace(source, tail, tailStart, at) {
  let count = u16(tail, at + 10);
  let size = u32(tail, at + 12);
  let offset = u32(tail, at + 16);
  let end = tailStart + at;  // the directory ends where the records after it start
  const locatorAt = at - ZIP64_LOCATOR_SIZE;
  if ((count === IN_ZIP64_16 || size === IN_ZIP64_32 || offset === IN_ZIP64_32) && locatorAt >= 0 &&
      u32(tail, locatorAt) === ZIP64_LOCATOR) {
    const recordAt = u64(tail, locatorAt + 8);
    if (recordAt + ZIP64_END_RECORD_SIZE > tailStart + locatorAt) refuse('its ZIP64 record lies outside the file');
    const record = await source.read(recordAt, ZIP64_END_RECORD_SIZE);
    if (u32(record, 0) !== ZIP64_END_RECORD) refuse('its ZIP64 record is missing');
    count = u64(record, 32);
    size = u64(record, 40);
    offset = u64(record, 48);
    end = recordAt;
  }
  if (offset + size > end) refuse('its directory lies outside the file');
  if (size > MAX_DIRECTORY_BYTES) refuse(`its directory takes ${size} bytes, more than 16 MiB`);
  if (count * CENTRAL_HEADER_SIZE > size) refuse('its directory is cut short');
  return { count, size, offset };
}

async function parseDirectory(bytes, count) {
  const entries = [];
  let at = 0;
  for (let i = 0; i < count; ++i) {
    await breathe();
    if (at + CENTRAL_HEADER_SIZE > bytes.length || u32(bytes, at) !== CENTRAL_HEADER) {
      refuse('its directory is damaged');
    }
    const nameLength = u16(bytes, at + 28);
    const extraLength = u16(bytes, at + 30);
    const commentLength = u16(bytes, at + 32);
    const next = at + CENTRAL_HEADER_SIZE + nameLength + extraLength + commentLength;
    if (next > bytes.length) refuse('its directory is damaged');
    const flags = u16(bytes, at + 8);
    const nameAt = at + CENTRAL_HEADER_SIZE;
    const entry = {
      path: decodeName(bytes.subarray(nameAt, nameAt + nameLength), (flags & FLAG_UTF8) !== 0),
      flags,
      method: u16(bytes, at + 10),
      crc: u32(bytes, at + 16),
      compressedSize: u32(bytes, at + 20),
      size: u32(bytes, at + 24),
      offset: u32(bytes, at + 42),
    };
    applyZip64(entry, bytes.subarray(nameAt + nameLength, nameAt + nameLength + extraLength));
    entries.push(entry);
    at = next;
  }
  return entries;
}

// The end record is the last thing in a pack but for its comment, which may
// hold anything, an end record's look-alike too: candidates are tried from the
// end back, and the first whose directory reads is the pack's.
async function readDirectory(source) {
  if (source.size < END_RECORD_SIZE) refuse('it is too short to be a ZIP file');
  const tailStart = Math.max(0, source.size - END_RECORD_SIZE - MAX_COMMENT);
  const tail = await source.read(tailStart, source.size - tailStart);
  let first = null;
  for (let at = tail.length - END_RECORD_SIZE; at >= 0; --at) {
    if (u32(tail, at) !== END_RECORD || at + END_RECORD_SIZE + u16(tail, at + 20) > tail.length) continue;
    try {
      const place = await directoryPlace(source, tail, tailStart, at);
      const bytes = await source.read(place.offset, place.size);
      return { entries: await parseDirectory(bytes, place.count) };
    } catch (error) {
      if (!(error instanceof PackError)) throw error;
      first ??= error;
    }
  }
  throw first ?? new PackError('it is not a ZIP file, or its end is missing');
}

// Why a member cannot be read, as far as its directory entry tells.
function listedProblem(entry) {
  if (entry.flags & FLAG_ENCRYPTED) return 'encrypted';
  if (entry.method !== STORED && entry.method !== DEFLATED) {
    const name = METHOD_NAMES[entry.method];
    return name ? `unsupported method: ${name} (${entry.method})` : `unsupported method ${entry.method}`;
  }
  if (entry.size > MAX_MEMBER_BYTES) return TOO_LARGE;
  return null;
}

// Local headers are read through a window of the pack, so the headers of
// many small members cost a few reads.
const HEADER_WINDOW = 1 << 16;
function headerReader(source) {
  let start = 0;
  let window = new Uint8Array(0);
  return async (at) => {
    if (at < start || at + LOCAL_HEADER_SIZE > start + window.length) {
      start = at;
      window = await source.read(at, Math.min(HEADER_WINDOW, source.size - at));
    }
    return window.subarray(at - start, at - start + LOCAL_HEADER_SIZE);
  };
}

// Where each entry's data starts, after its local header: null when that
// header is not where the directory says. Every entry whose bytes (header
// and data) share one with another's is refused, as a ZIP bomb's members
// (each inflating the same small data over again) or a damaged pack's.
async function locate(source, entries) {
  const read = headerReader(source);
  const spans = [];
  for (const entry of [...entries].sort((a, b) => a.offset - b.offset)) {
    await breathe();
    entry.dataAt = null;
    if (entry.offset + LOCAL_HEADER_SIZE > source.size) continue;
    const header = await read(entry.offset);
    if (u32(header, 0) !== LOCAL_HEADER) continue;
    entry.dataAt = entry.offset + LOCAL_HEADER_SIZE + u16(header, 26) + u16(header, 28);
    spans.push(entry);
  }
  let reach = 0;
  let holder = null;
  for (const entry of spans) {
    if (holder && entry.offset < reach) {
      entry.overlaps = true;
      holder.overlaps = true;
    }
    const end = entry.dataAt + entry.compressedSize;
    if (!holder || end > reach) {
      reach = end;
      holder = entry;
    }
  }
}

// A pack's art members in gallery order, each { path, size, why }, why null
// for one that may be read (its CRC and data are checked when it is); or
// { error } when the pack cannot be read at all.
export async function openPack(data) {
  const source = sourceOf(data);
  let directory;
  try {
    directory = await readDirectory(source);
  } catch (error) {
    if (error instanceof PackError) return { error: error.message };
    return { error: 'it cannot be read' };
  }
  const { entries } = directory;
  await locate(source, entries);
  const members = entries.filter((e) => !e.path.endsWith('/') && isArtName(e.path))
    .map((entry) => ({ path: entry.path, size: entry.size, why: listedProblem(entry), entry,
      key: encoder.encode(entry.path) }));
  members.sort((a, b) => compareKeys(a.key, b.key));
  for (const member of members) delete member.key;
  return { members, source };
}

// The compressed bytes of an entry, a piece at a time.
async function* pieces(source, entry) {
  for (let at = 0; at < entry.compressedSize;) {
    const block = await source.read(entry.dataAt + at, Math.min(READ_BLOCK, entry.compressedSize - at));
    if (block.length === 0) return;
    for (let i = 0; i < block.length; i += INFLATE_PIECE) yield block.subarray(i, i + INFLATE_PIECE);
    at += block.length;
  }
}

// Inflates into exactly `declared` bytes, { bytes, crc }; the writing waits
// on the reading, so no more than a piece's output is ever pending, and the
// CRC is worked out a piece at a time between them.
async function inflate(source, entry) {
  const declared = entry.size;
  const stream = new DecompressionStream('deflate-raw');
  const writer = stream.writable.getWriter();
  const reader = stream.readable.getReader();
  const feeding = (async () => {
    try {
      for await (const piece of pieces(source, entry)) await writer.write(piece);
      await writer.close();
    } catch {
      // The reading side says what went wrong.
    }
  })();
  const out = new Uint8Array(declared);
  let filled = 0;
  let crc = 0;
  let why = null;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      if (filled + value.length > declared) {
        why = `corrupt at byte ${declared}`;
        break;
      }
      out.set(value, filled);
      filled += value.length;
      crc = crc32(value, crc);
      await breathe();
    }
  } catch {
    why = 'corrupt';
  }
  if (why) {
    reader.cancel().catch(() => {});
    writer.abort().catch(() => {});
  }
  await feeding;
  if (!why && filled !== declared) why = 'corrupt';
  return why ? { why } : { bytes: out, crc };
}

// Stored bytes, copied a block at a time: { bytes, crc }.
async function stored(source, entry) {
  if (entry.compressedSize > entry.size) return { why: `corrupt at byte ${entry.size}` };
  if (entry.compressedSize < entry.size) return { why: 'corrupt' };
  const out = new Uint8Array(entry.size);
  let crc = 0;
  for (let at = 0; at < entry.size;) {
    const block = await source.read(entry.dataAt + at, Math.min(READ_BLOCK, entry.size - at));
    if (block.length === 0) return { why: 'corrupt' };
    out.set(block, at);
    crc = crc32(block, crc);
    at += block.length;
    await breathe();
  }
  return { bytes: out, crc };
}

// A member's bytes, { bytes }, or why they cannot be had, { why }.
export async function readMember(pack, member) {
  if (member.why) return { why: member.why };
  const { entry } = member;
  if (entry.dataAt === null || entry.overlaps || entry.dataAt + entry.compressedSize > pack.source.size) {
    return { why: 'corrupt' };
  }
  let got;
  try {
    got = entry.method === STORED ? await stored(pack.source, entry) : await inflate(pack.source, entry);
  } catch {
    return { why: 'corrupt' };
  }
  if (got.bytes && got.crc !== entry.crc) return { why: 'bad CRC' };
  return got.bytes ? { bytes: got.bytes } : got;
}
