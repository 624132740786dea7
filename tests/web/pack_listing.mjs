// A pack's listing as the native pack_list prints it, one art member a line in
// gallery order: PATH ok SIZE FNV1A64HEX, or PATH error REASON, tab-separated;
// or "error MESSAGE" for a pack that cannot be opened. Runs in Node and in the
// page alike, on the page's reader (zip_reader.js) given as `reader`.

export function fnv1a64(bytes) {
  let hash = 0xcbf29ce484222325n;
  for (const b of bytes) hash = BigInt.asUintN(64, (hash ^ BigInt(b)) * 0x100000001b3n);
  return hash.toString(16).padStart(16, '0');
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
