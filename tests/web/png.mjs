// Just enough PNG reading for glyphora-shot's pictures and the browser's
// screenshots: palette (1 to 8 bits) or 8-bit RGB or RGBA, not interlaced,
// any row filter; gives RGB bytes (alpha dropped).
import { readFileSync } from 'node:fs';
import { inflateSync } from 'node:zlib';

export function readPng(file) {
  const data = Buffer.isBuffer(file) ? file : readFileSync(file);
  if (data.readUInt32BE(0) !== 0x89504e47) throw new Error(`${file} is not a PNG`);
  let width = 0, height = 0, channels = 0, depth = 8, palette = null;
  const compressed = [];
  for (let at = 8; at < data.length;) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [bits, colour, , , interlace] = body.subarray(8);
      depth = bits;
      const palettePng = colour === 3 && [1, 2, 4, 8].includes(bits);
      if (!palettePng && (bits !== 8 || (colour !== 2 && colour !== 6))) {
        throw new Error(`${file}: colour type ${colour} at ${bits} bits is not read here`);
      }
      if (interlace !== 0) throw new Error(`${file}: interlaced PNGs are not read here`);
      channels = colour === 2 ? 3 : colour === 6 ? 4 : 0;
    } else if (type === 'PLTE') {
      palette = Buffer.from(body);
    } else if (type === 'IDAT') {
      compressed.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(compressed));
  // Bytes a row holds, and the distance the filters look back (at least a byte).
  const stride = channels ? width * channels : Math.ceil(width * depth / 8);
  const step = channels || 1;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let x = 0; x < stride; x++) {
      const a = x >= step ? out[x - step] : 0;
      const b = up[x];
      const c = x >= step ? up[x - step] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[x] = (line[x] + predicted) & 0xff;
    }
  }
  if (channels === 3) return { width, height, rgb: pixels };
  if (channels === 4) {
    const rgb = Buffer.alloc(width * height * 3);
    for (let i = 0, j = 0; i < pixels.length; i += 4, j += 3) pixels.copy(rgb, j, i, i + 3);
    return { width, height, rgb };
  }
  if (!palette) throw new Error(`${file}: a palette PNG without its palette`);
  const rgb = Buffer.alloc(width * height * 3);
  const perByte = 8 / depth;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const byte = pixels[y * stride + Math.floor(x / perByte)];
      const shift = 8 - depth * (x % perByte + 1);
      const index = (byte >> shift) & ((1 << depth) - 1);
      palette.copy(rgb, (y * width + x) * 3, index * 3, index * 3 + 3);
    }
  }
  return { width, height, rgb };
}
