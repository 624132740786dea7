// A pack's listing as the native pack_list prints it, one art member a line in
// gallery order: PATH ok SIZE FNV1A64HEX, or PATH error REASON, tab-separated;
// or "error MESSAGE" for a pack that cannot be opened. Runs in Node and in the
// page alike, on the page's reader (zip_reader.js) given as `reader`.

// FNV-1a 64 in four 16-bit limbs (lowest first), fast enough for a member
// of 64 MiB; the prime 0x100000001b3 is 2^40 + 0x1b3.
export function fnv1a64(bytes) {
  let h0 = 0x2325, h1 = 0x8422, h2 = 0x9ce4, h3 = 0xcbf2;
  for (let i = 0; i < bytes.length; ++i) {
    h0 ^= bytes[i];
    const r0 = h0 * 0x1b3;
    const r1 = h1 * 0x1b3 + (r0 >>> 16);
    const r2 = h2 * 0x1b3 + (h0 << 8) + (r1 >>> 16);
    const r3 = h3 * 0x1b3 + (h1 << 8) + (r2 >>> 16);
    h0 = r0 & 0xffff;
    h1 = r1 & 0xffff;
    h2 = r2 & 0xffff;
    h3 = r3 & 0xffff;
  }
  return [h3, h2, h1, h0].map((h) => h.toString(16).padStart(4, '0')).join('');
}

export async function packListing(reader, data) {
  const pack = await reader.openPack(data);
  if (pack.error) return [`error\t${pack.error}`];
  const lines = [];
  for (const member of pack.members) {
    const got = await reader.readMember(pack, member);
    lines.push(got.bytes ? `${member.path}\tok\t${got.bytes.length}\t${fnv1a64(got.bytes)}`
      : `${member.path}\terror\t${got.why}`);
  }
  return lines;
}
