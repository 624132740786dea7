// The screen itself against glyphora-shot: screenshots (what the browser
// shows, not the canvas's stored pixels) at real device scale factors, as a
// HiDPI screen has them, after the first open, after the window is resized,
// and with a dense piece filling the view; and under DevTools' emulation of
// fractional ratios, where the canvas must still start on a whole device pixel.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch, newTestPage, openPage, root, serve } from './browser.mjs';
import { shot } from './native.mjs';
import { readPng } from './png.mjs';

const sample = path.join(root, 'samples/glyphora.ans');
let server, dir, dense;

// Every printable character in every colour pair, bright and not, 300
// columns by 120 rows (wider than any view here, so it scrolls both ways): no two neighbouring cells alike, so a doubled or lost
// device row or column anywhere shows.
function densePiece() {
  const rows = [];
  for (let r = 0; r < 120; r++) {
    let line = '';
    for (let c = 0; c < 300; c++) {
      const n = r * 300 + c;
      const ch = 33 + (n * 7) % 222;  // 33..254
      line += `\x1b[${(n >> 3) & 1};${30 + n % 8};${40 + (n >> 4) % 8}m${String.fromCharCode(ch === 127 ? 128 : ch)}`;
    }
    rows.push(line);
  }
  return Buffer.from(`${rows.join('\r\n')}\x1b[0m`, 'latin1');
}

before(async () => {
  dir = mkdtempSync(path.join(tmpdir(), 'glyphora-web-screen-'));
  dense = path.join(dir, 'dense.ans');
  writeFileSync(dense, densePiece());
  server = await serve();
});

after(() => {
  server?.stop();
  if (dir) rmSync(dir, { recursive: true, force: true });
});

// The view's part of a screenshot, taken once the painter has shown every
// change, beside glyphora-shot's picture of the same view.
async function screenAgainstShot(page, file, where) {
  await page.evaluate(() => window.glyphoraTest.painted());
  const { state, box, ratio } = await page.evaluate(() => ({
    state: window.glyphora.state(), box: document.getElementById('view').getBoundingClientRect().toJSON(),
    ratio: devicePixelRatio,
  }));
  const screen = readPng(Buffer.from(await page.screenshot({ encoding: 'binary' })));
  const expected = shot(file, { cols: state.view_cols, rows: state.view_rows, top: state.top_row, left: state.left_col });
  const [x, y] = [Math.round(box.x * ratio), Math.round(box.y * ratio)];
  assert.ok(expected.width > 0 && x + expected.width <= screen.width && y + expected.height <= screen.height,
    `${where}: the view (${expected.width}x${expected.height} at ${x},${y}) is on the screen (${screen.width}x${screen.height})`);
  for (let row = 0; row < expected.height; row++) {
    const got = screen.rgb.subarray(((y + row) * screen.width + x) * 3, ((y + row) * screen.width + x + expected.width) * 3);
    const want = expected.rgb.subarray(row * expected.width * 3, (row + 1) * expected.width * 3);
    if (!got.equals(want)) {
      let column = 0;
      while (got[column] === want[column]) column++;
      assert.fail(`${where}: the screen differs from glyphora-shot at device pixel (${Math.floor(column / 3)}, ${row}) of the view`);
    }
  }
}

const openDense = (page) => page.evaluate((b64) => {
  window.glyphora.open(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)), 'dense.ans');
  // Steps by rows move the canvas's copy as a ring; a step by a column then
  // puts rows across the ring's end.
  for (const key of ['ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowUp', 'ArrowRight']) window.glyphora.key(key);
}, readFileSync(dense).toString('base64'));

describe('the screen at a real device scale factor', () => {
  for (const scale of [1, 1.25, 1.5, 1.75, 2, 3]) {
    test(`${scale}: after the open, after a resize, and a dense piece filling the view`, async () => {
      const browser = await launch({ scale, window: [700, 450] });
      try {
        const page = await newTestPage(browser);
        await page.goto(server.url);
        await page.waitForSelector('body[data-ready="true"]');
        assert.equal(await page.evaluate(() => devicePixelRatio), scale);
        await screenAgainstShot(page, sample, 'the first open');

        const cdp = await page.createCDPSession();
        const { windowId } = await cdp.send('Browser.getWindowForTarget');
        const before = await page.evaluate(() => window.glyphora.state().view_cols);
        await cdp.send('Browser.setWindowBounds', { windowId, bounds: { width: 533, height: 391 } });
        await page.waitForFunction((c) => window.glyphora.state().view_cols !== c, {}, before);
        await screenAgainstShot(page, sample, 'after a resize');

        await openDense(page);
        await screenAgainstShot(page, dense, 'the dense piece');
      } finally {
        await browser.close();
      }
    });
  }
});

describe('the screen under emulated ratios', () => {
  let browser;
  before(async () => { browser = await launch(); });
  after(async () => { await browser?.close(); });
  for (const scale of [1.25, 1.5, 1.75, 3]) {
    test(`${scale}: the canvas starts on a whole device pixel and shows the piece exactly`, async () => {
      const page = await openPage(browser, server.url, { width: 640, height: 400, scale });
      await openDense(page);
      await screenAgainstShot(page, dense, `emulated ${scale}`);
      await page.close();
    });
  }
});
