// Touch and both wheels against the program's Viewer (web_replay), progress
// on long opens and slow links, refusals before reading, and a resize that
// cannot get its memory.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { canvasPixels, launch, openBytes, openPage, serve } from './browser.mjs';
import { replay } from './native.mjs';

let server, browser, dir, wide;
before(async () => {
  dir = mkdtempSync(path.join(tmpdir(), 'glyphora-web-input-'));
  wide = path.join(dir, 'wide.asc');
  writeFileSync(wide, Array.from({ length: 200 }, (_, i) => `${i} ${'=-'.repeat(150)}`).join('\r\n'));
  server = await serve();
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.stop();
  if (dir) rmSync(dir, { recursive: true, force: true });
});

const view = (page) => page.evaluate(() => window.glyphora.state());
const statusLine = (page) => page.$eval('#status', (e) => e.textContent);

// Runs `act` on the wide file shown at 640 x 400, then checks the page's view
// against web_replay after the requests the page made; gives the requests.
async function requestsOf(act) {
  const page = await openPage(browser, server.url, { width: 640, height: 400 });
  const { readFileSync } = await import('node:fs');
  assert.equal(await openBytes(page, readFileSync(wide), 'wide.asc'), true);
  const begin = await view(page);
  await page.evaluate(() => { window.glyphoraTest.record = []; });
  await act(page);
  const requests = await page.evaluate(() => window.glyphoraTest.record);
  const expected = replay(wide, begin.view_cols, begin.view_rows, requests).at(-1);
  const { file, ...state } = await view(page);  // the replay knows no file names
  assert.equal(file, 'wide.asc');
  assert.deepEqual(state, expected.state, requests.join(', '));
  assert.equal((await canvasPixels(page, { hashOnly: true })).hash, expected.hash);
  await page.close();
  return requests;
}

// A one-finger drag from (x, y) by (dx, dy) CSS pixels, in steps.
async function drag(page, [x, y], [dx, dy]) {
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  const touch = (type, px, py) => cdp.send('Input.dispatchTouchEvent',
    { type, touchPoints: type === 'touchEnd' ? [] : [{ x: px, y: py }] });
  await touch('touchStart', x, y);
  for (let i = 1; i <= 8; i++) await touch('touchMove', x + dx * i / 8, y + dy * i / 8);
  await touch('touchEnd');
}

describe('touch and wheels', () => {
  test('a finger dragged up and left moves the art by whole cells, as a dragged thumb does', async () => {
    const requests = await requestsOf((page) => drag(page, [400, 300], [-41, -70]));
    // 70 pixels are 4 whole rows, 41 are 5 whole columns.
    assert.deepEqual(requests.filter((r) => !r.startsWith('scroll 1 5') && !r.startsWith('scroll 0 5')),
      ['scroll 1 4 4', 'scroll 1 8 0', 'scroll 0 4 5', 'scroll 0 8 0']);
  });

  test('a finger dragged down at the top moves nothing', async () => {
    assert.deepEqual(await requestsOf((page) => drag(page, [300, 100], [0, 120])), []);
  });

  // Real wheel events over the art, as the browser makes them; Shift held
  // where asked.
  const turn = async (page, steps, { shift = false } = {}) => {
    await page.mouse.move(300, 200);
    if (shift) await page.keyboard.down('Shift');
    for (const step of steps) await page.mouse.wheel(step);
    if (shift) await page.keyboard.up('Shift');
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(resolve)));
  };
  // Steps smaller than a notch, as a touchpad or a wheel on a screen of a
  // fractional ratio gives them (wheelDelta in 120ths of a notch).
  const small = (page, steps) => page.evaluate((steps) => {
    for (const [axis, delta] of steps) {
      const event = new WheelEvent('wheel', { [`delta${axis}`]: -delta / 1.2, bubbles: true, cancelable: true });
      Object.defineProperty(event, `wheelDelta${axis}`, { value: delta });
      document.getElementById('window').dispatchEvent(event);
    }
  }, steps);
  const forward = Array(4).fill('scroll 0 1 0');
  const cases = [
    ['a sideways wheel notch moves four columns', (p) => turn(p, [{ deltaX: 100 }]), forward],
    ['Shift and a wheel notch down moves four columns right', (p) => turn(p, [{ deltaY: 100 }], { shift: true }), forward],
    ['sideways steps of a quarter notch add up', (p) => small(p, Array(4).fill(['X', -30])), forward],
    ['a sideways turn back starts afresh', (p) => small(p, [['X', -60], ['X', 60], ['X', 30]]), []],
    ['steps of 0.8 notch (a wheel at ratio 1.25) add up to whole notches', (p) => small(p, Array(3).fill(['Y', -96])),
      ['wheel -120', 'wheel -120']],
  ];
  for (const [name, act, expected] of cases) {
    test(name, async () => assert.deepEqual(await requestsOf(act), expected));
  }
});

describe('long opens', () => {
  test('a slow ?file= link shows its progress, then the file, and names the tab', async () => {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => { window.glyphoraTest = { record: null }; });
    await page.setViewport({ width: 640, height: 300 });
    const requests = [];
    page.on('request', (r) => requests.push(new URL(r.url()).pathname));
    await page.goto(`${server.url}?file=slow/12582912.asc`);
    // The bar, with part of the file read, while the link is still coming.
    await page.waitForFunction(() => {
      const bar = document.getElementById('progress');
      return !bar.hidden && bar.value > 0 && bar.value < bar.max;
    });
    assert.match(await statusLine(page), /^Reading 12582912\.asc: \d+(\.\d)? of 12 MiB$/);
    await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
    assert.equal(await statusLine(page), '12582912.asc');
    assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
    assert.equal(await page.title(), '12582912.asc — Glyphora');
    assert.ok((await view(page)).doc_rows > 100000);
    assert.ok(!requests.includes('/glyphora.ans'), `no sample fetched: ${requests.join(' ')}`);
    await page.close();
  });

  test('a dropped file of a few MiB shows the bar while it is read', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    const seen = await page.evaluate(async () => {
      const bar = document.getElementById('progress');
      const lines = new Set();
      const watch = new MutationObserver(() => { if (!bar.hidden) lines.add(document.getElementById('status').textContent.replace(/\d+(\.\d)?/g, 'N')); });
      watch.observe(document.getElementById('statusbar'), { attributes: true, childList: true, subtree: true, characterData: true });
      const transfer = new DataTransfer();
      transfer.items.add(new File([new Uint8Array(48 << 20).fill(0x41)], 'big.asc'));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
      await new Promise((resolve) => {
        new MutationObserver(() => { if (document.getElementById('status').textContent === 'big.asc') resolve(); })
          .observe(document.getElementById('status'), { childList: true, characterData: true, subtree: true });
      });
      watch.disconnect();
      return { lines: [...lines].sort(), hidden: bar.hidden };
    });
    assert.deepEqual(seen, { lines: ['Opening big.asc...', 'Reading big.asc: N of N MiB'], hidden: true });
    await page.close();
  });
});

describe('refusals', () => {
  test('a link said to be larger than the viewer takes is refused before its body is read', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    const start = Date.now();
    assert.equal(await page.evaluate(() => window.glyphora.openUrl('endless/4294967295.asc')), false);
    assert.ok(Date.now() - start < 10000, 'without waiting for the body');
    assert.equal(await statusLine(page), 'Cannot open 4294967295.asc: it is larger than the viewer can take.');
    await page.close();
  });

  test('a data: address is named as one', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    assert.equal(await page.evaluate(() => window.glyphora.openUrl('data:application/octet-stream;base64,QUJD')), false);
    assert.equal(await statusLine(page), 'Cannot open the data: address: the browser could not fetch it.');
    await page.close();
  });

  test('a resize with memory nearly full leaves the view, says why, and works once memory is free', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    // Memory nearly full: a file of 2 GiB open, and the input buffer, left
    // unopened, as large as what is left lets it be (one block is at most 2 GiB).
    const held = await page.evaluate(() => {
      const row = new TextEncoder().encode(`${'#'.repeat(78)}\r\n`);
      const opened = window.glyphora.openWith(0x7E000000, (bytes) => {
        bytes.set(row);
        for (let filled = row.length; filled < bytes.length; filled *= 2) {
          bytes.copyWithin(filled, 0, Math.min(filled, bytes.length - filled));
        }
      }, 'large.asc');
      const g = window.glyphoraTest.exports;
      for (let size = 0x7F000000; opened && size > 0x10000000; size -= 0x1000000) if (g.gw_input(size) !== 0) return size;
      return 0;
    });
    assert.ok(held > 0x10000000, 'memory filled');
    const before = { state: await view(page), pixels: await canvasPixels(page, { hashOnly: true }) };
    assert.equal(await page.evaluate(() => window.glyphora.resize(1000, 500)), false);
    assert.deepEqual({ state: await view(page), pixels: await canvasPixels(page, { hashOnly: true }) }, before);
    assert.equal(await statusLine(page), 'The view cannot take the window\'s new size: the page\'s memory (4 GiB at most) cannot hold it.');
    await page.evaluate(() => window.glyphoraTest.exports.gw_drop_input());
    assert.equal(await page.evaluate(() => window.glyphora.resize(1000, 500)), true);
    assert.deepEqual([(await view(page)).view_cols, await statusLine(page)], [1000, 'large.asc']);
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('Wrap lines on a file whose wrapped copy memory cannot hold leaves the view unwrapped and says why', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    const result = await page.evaluate(() => {
      // Lines of 300 columns: wrapped, they need a copy as large again.
      const row = new TextEncoder().encode(`${'#'.repeat(298)}\r\n`);
      const opened = window.glyphora.openWith(0x7F000000, (bytes) => {
        bytes.set(row);
        for (let filled = row.length; filled < bytes.length; filled *= 2) {
          bytes.copyWithin(filled, 0, Math.min(filled, bytes.length - filled));
        }
      }, 'long.asc');
      const before = window.glyphora.state();
      const wrapped = window.glyphora.setWrap(true);
      return { opened, wrapped, before, after: window.glyphora.state(),
        checked: document.getElementById('item-wrap').getAttribute('aria-checked'),
        status: document.getElementById('status').textContent };
    });
    assert.equal(result.opened, true);
    assert.equal(result.wrapped, false, JSON.stringify(result));
    assert.deepEqual(result.after, result.before, 'the view as it was');
    assert.ok(result.after.doc_rows > 7000000 && !result.after.wrap);
    assert.equal(result.checked, 'false');
    assert.equal(result.status, 'Cannot wrap lines: the page\'s memory (4 GiB at most) cannot hold the wrapped copy.');
    assert.deepEqual(page.problems, []);
    await page.close();
  });
});
