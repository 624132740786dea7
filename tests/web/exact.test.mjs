// The canvas holds exactly what the program shows: against glyphora-shot for
// files, sizes, positions and wrap, and against the program's own Viewer
// (web_replay) after every request of sequences of keys, wheel turns,
// scroll-bar requests, resizes, wrap switches and changes of reading.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { canvasPixels, launch, openBytes, openPage, root, serve } from './browser.mjs';
import { replay, shot } from './native.mjs';

const ESC = '\x1b';
const SB = { LINEBACK: 0, LINEFORWARD: 1, PAGEBACK: 2, PAGEFORWARD: 3, THUMBPOSITION: 4, THUMBTRACK: 5,
  ENDSCROLL: 8 };
const KEY = { PageUp: 0x21, PageDown: 0x22, Left: 0x25, Up: 0x26, Right: 0x27, Down: 0x28, Home: 0x24 };

// Files made for their edges: widths, empty lines, line ends, colours, blanks.
const crafted = {
  'wide.asc': `${'#'.repeat(300)}\r\nshort\r\n${'0123456789'.repeat(25)}\r\n`,
  'empty-lines.asc': '\r\n\r\n\r\nthird\r\n\r\n\r\n\r\nlast',
  'cr-only.asc': 'one\rtwo\rthree\r\rfive\r',
  'lf-only.asc': 'one\ntwo\n\nfour\n',
  'empty.asc': '',
  'bold-bright.ans': `${ESC}[0mplain ${ESC}[1mbold ${ESC}[31mred ${ESC}[1;33;44mbright on blue\r\n`
    + `${ESC}[0;5;37;41mblink ${ESC}[0;30;47mblack on white ${ESC}[1;30mdark grey${ESC}[0m\r\n`
    + [0, 1].map((b) => [30, 31, 32, 33, 34, 35, 36, 37]
      .map((f) => `${ESC}[${b};${f};${40 + (f % 8)}mX`).join('')).join('\r\n'),
  'cursor-forward.ans': `${ESC}[0mA${ESC}[CB${ESC}[10CC${ESC}[79CD\r\n${ESC}[200C${ESC}[32mfar\r\n`
    + `${ESC}[5Ce${ESC}[0Cf${ESC}[1;34m${ESC}[3Cg\r\n`,
  // The standard reading's features: ESC[0m, bold, iCE blink, a clear, the last
  // column drawn from the row below, and a SAUCE record for 40 columns with iCE.
  'standard.ans': Buffer.from(`${ESC}[2J${ESC}[1;1Htext ${ESC}[1;31mbold ${ESC}[0mgrey ${ESC}[5;44mblink${ESC}[0m\r\n`
    + `${'#'.repeat(39)}\r\n${ESC}[A${ESC}[39C${ESC}[32m@${ESC}[7minverse${ESC}[0m${ESC}[3Cfar\r\n`
    + `\x1a${'SAUCE00'}${'Test'.padEnd(35)}${''.padEnd(40)}19960412\0\0\0\0\x01\x01\x28\0`
    + `${'\0'.repeat(6)}\0\x01${'\0'.repeat(22)}`, 'latin1'),
  // ANSI by its name alone: no ESC[ in its first 4 KB.
  'late-colour.ans': `${'.'.repeat(79)}\r\n`.repeat(60) + `${ESC}[1;31mred${ESC}[0m\r\n`,
  'all-bytes.asc': Buffer.from(Array.from({ length: 256 }, (_, i) => (i === 27 ? 32 : i))),
};

let server, browser, page, dir;
const files = {};

before(async () => {
  dir = mkdtempSync(path.join(tmpdir(), 'glyphora-web-exact-'));
  for (const [name, content] of Object.entries(crafted)) {
    files[name] = path.join(dir, name);
    writeFileSync(files[name], content);
  }
  files['glyphora.ans'] = path.join(root, 'samples/glyphora.ans');
  files['glyphora.asc'] = path.join(root, 'samples/glyphora.asc');
  files['about.ans'] = path.join(root, 'resources/about.ans');
  server = await serve();
  browser = await launch();
  page = await openPage(browser, server.url);
});

after(async () => {
  await browser?.close();
  server?.stop();
  if (dir) rmSync(dir, { recursive: true, force: true });
});

function firstDifference(a, b, width) {
  for (let i = 0; i < Math.min(a.length, b.length); i++) {
    if (a[i] !== b[i]) {
      const pixel = Math.floor(i / 3);
      return `pixel (${pixel % width}, ${Math.floor(pixel / width)})`;
    }
  }
  return 'lengths';
}

// The file shown as the page shows it after the same requests glyphora-shot makes.
// The reading is switched after the open, as View > Standard ANSI switches it.
async function showLikeShot(name, { cols, rows, top, left, wrap = false, standard = false }, shown = page) {
  const { readFileSync } = await import('node:fs');
  await shown.evaluate((c, r) => window.glyphora.resize(c, r), cols, rows);
  assert.equal(await openBytes(shown, readFileSync(files[name]), name), true);
  await shown.evaluate((standard) => window.glyphora.setStandard(standard), standard);
  await shown.evaluate((wrap, top, left, SB) => {
    if (wrap) window.glyphora.setWrap(true);
    if (top !== null) window.glyphora.scroll(1, SB.THUMBTRACK, top);
    if (left !== null) window.glyphora.scroll(0, SB.THUMBTRACK, left);
  }, wrap, top ?? null, left ?? null, SB);
}

describe('the canvas against glyphora-shot', () => {
  const cases = [
    ['glyphora.ans', { cols: 84, rows: 30 }],
    ['glyphora.ans', { cols: 84, rows: 30, top: 12 }],
    ['glyphora.ans', { cols: 40, rows: 10, top: 5, left: 30 }],
    ['glyphora.ans', { cols: 84, rows: 30, wrap: true, top: 3 }],
    ['glyphora.ans', { cols: 1, rows: 1, top: 7, left: 7 }],
    ['glyphora.asc', { cols: 84, rows: 30 }],
    ['glyphora.asc', { cols: 60, rows: 20, wrap: true }],
    ['about.ans', { cols: 45, rows: 16 }],
    ['wide.asc', { cols: 84, rows: 30, left: 250 }],
    ['wide.asc', { cols: 100, rows: 5, wrap: true, top: 2 }],
    ['wide.asc', { cols: 240, rows: 67 }],
    ['empty-lines.asc', { cols: 20, rows: 12 }],
    ['empty-lines.asc', { cols: 20, rows: 3, top: 4 }],
    ['cr-only.asc', { cols: 30, rows: 8 }],
    ['lf-only.asc', { cols: 30, rows: 8 }],
    ['empty.asc', { cols: 10, rows: 4 }],
    ['bold-bright.ans', { cols: 84, rows: 6 }],
    ['bold-bright.ans', { cols: 84, rows: 6, wrap: true }],
    ['cursor-forward.ans', { cols: 120, rows: 5 }],
    ['cursor-forward.ans', { cols: 50, rows: 5, left: 180 }],
    ['cursor-forward.ans', { cols: 90, rows: 10, wrap: true }],
    ['all-bytes.asc', { cols: 84, rows: 4 }],
    ['standard.ans', { cols: 84, rows: 10, standard: true }],
    ['standard.ans', { cols: 20, rows: 3, top: 1, left: 30, standard: true }],
    ['glyphora.ans', { cols: 84, rows: 30, standard: true }],
    ['bold-bright.ans', { cols: 84, rows: 6, standard: true }],
    ['late-colour.ans', { cols: 84, rows: 30, top: 40, standard: true }],
    ['cursor-forward.ans', { cols: 90, rows: 10, wrap: true, standard: true }],
    ['standard.ans', { cols: 84, rows: 10 }],
  ];
  for (const [name, view] of cases) {
    test(`${name} ${JSON.stringify(view)}`, async () => {
      const expected = shot(files[name], view);
      await showLikeShot(name, view);
      await assertCanvas(page, expected);
    });
  }
  // ?standard=1 starts in the standard reading: every open is read so.
  test('?standard=1 against glyphora-shot --standard', async () => {
    const standardPage = await openPage(browser, `${server.url}?standard=1`);
    try {
      assert.equal(await standardPage.evaluate(() => window.glyphora.state().standard), true);
      for (const [name, view] of [['standard.ans', { cols: 84, rows: 10 }], ['glyphora.ans', { cols: 84, rows: 30 }]]) {
        const expected = shot(files[name], { ...view, standard: true });
        const { readFileSync } = await import('node:fs');
        await standardPage.evaluate((c, r) => window.glyphora.resize(c, r), view.cols, view.rows);
        assert.equal(await openBytes(standardPage, readFileSync(files[name]), name), true);
        await assertCanvas(standardPage, expected);
      }
    } finally {
      await standardPage.close();
    }
  });
});

// The canvas of `shownPage` against a picture from glyphora-shot, pixel for pixel.
async function assertCanvas(shownPage, expected) {
  const shown = await canvasPixels(shownPage);
  assert.deepEqual([shown.width, shown.height], [expected.width, expected.height]);
  assert.deepEqual([shown.cssWidth, shown.cssHeight], [shown.width, shown.height],
    'one canvas pixel is one CSS (and device) pixel');
  const rgb = Buffer.from(shown.rgb, 'base64');
  assert.ok(rgb.equals(expected.rgb), `differs at ${firstDifference(rgb, expected.rgb, shown.width)}`);
}

// Each request made in the page, then the canvas, the view's values and the
// bars compared with web_replay's after the same request.
async function compareSequence(name, cols, rows, requests) {
  const { readFileSync } = await import('node:fs');
  const expected = replay(files[name], cols, rows, requests);
  await page.evaluate(() => window.glyphora.setStandard(false));  // web_replay starts in Glyphora's reading
  await page.evaluate((c, r) => window.glyphora.resize(c, r), cols, rows);
  assert.equal(await openBytes(page, readFileSync(files[name]), name), expected[0].result === 1);
  const steps = ['start', ...requests];
  for (let i = 0; i < steps.length; i++) {
    if (i > 0) {
      await page.evaluate((request) => {
        const [word, ...n] = request.split(' ');
        const g = window.glyphora;
        const a = n.map(Number);
        if (word === 'key') g.key(a[0]);
        else if (word === 'scroll') g.scroll(a[0], a[1], a[2]);
        else if (word === 'wheel') g.wheel(a[0]);
        else if (word === 'resize') g.resize(a[0], a[1]);
        else if (word === 'wrap') g.setWrap(a[0] === 1);
        else if (word === 'standard') g.setStandard(a[0] === 1);
      }, steps[i]);
    }
    // The Viewer's values (the open file's name is the page's own).
    const got = await page.evaluate(() => {
      const { file, ...state } = window.glyphora.state();
      return { state, bars: window.glyphora.bars() };
    });
    const shown = await canvasPixels(page, { hashOnly: true });
    const want = expected[i];
    const where = `${name} after ${i}: "${steps[i]}"`;
    assert.deepEqual(got.state, want.state, `${where}: the view's values`);
    // A disabled bar shows nothing of its record, which keeps what an earlier
    // file left in it; an enabled one is compared whole.
    for (const bar of ['horizontal', 'vertical']) {
      const [shownBar, wantBar] = [got.bars[bar], want.bars[bar]];
      assert.deepEqual(shownBar.enabled ? shownBar : { enabled: false },
        wantBar.enabled ? wantBar : { enabled: false }, `${where}: the ${bar} scroll bar`);
    }
    assert.deepEqual([shown.width, shown.height, shown.hash], [want.width, want.height, want.hash],
      `${where}: the canvas`);
  }
}

describe('sequences against the program\'s Viewer', () => {
  test('keys, including ones the program ignores', () => compareSequence('glyphora.ans', 84, 30, [
    `key ${KEY.Down}`, `key ${KEY.Down}`, `key ${KEY.PageDown}`, `key ${KEY.PageDown}`,
    `key ${KEY.Right}`, `key ${KEY.Up}`, `key ${KEY.PageUp}`, `key ${KEY.PageUp}`, `key ${KEY.Left}`,
    `key ${KEY.Home}`, 'key 35', 'key 27'].concat(Array(45).fill(`key ${KEY.Down}`))));
  test('the wheel: notches, part notches, both ways', () => compareSequence('glyphora.ans', 84, 12, [
    'wheel -120', 'wheel -240', 'wheel -119', 'wheel -360', 'wheel 120', 'wheel 60', 'wheel -1200',
    'wheel 32767', 'wheel -40000']));
  test('scroll-bar requests: lines, pages, thumb tracking and release', () => compareSequence(
    'wide.asc', 40, 2, [
      `scroll 0 ${SB.LINEFORWARD} 0`, `scroll 0 ${SB.PAGEFORWARD} 0`, `scroll 0 ${SB.THUMBTRACK} 200`,
      `scroll 0 ${SB.THUMBPOSITION} 200`, `scroll 0 ${SB.ENDSCROLL} 0`, `scroll 0 ${SB.THUMBTRACK} 9999`,
      `scroll 0 ${SB.PAGEBACK} 0`, `scroll 0 ${SB.LINEBACK} 0`, `scroll 1 ${SB.LINEFORWARD} 0`,
      `scroll 1 ${SB.THUMBTRACK} 3`, `scroll 1 ${SB.PAGEBACK} 0`, `scroll 2 ${SB.LINEFORWARD} 0`]));
  test('resizes: larger, smaller, empty, back', () => compareSequence('glyphora.ans', 84, 30, [
    `key ${KEY.PageDown}`, `key ${KEY.Right}`, 'resize 100 40', 'resize 20 5', `key ${KEY.PageDown}`,
    'resize 0 0', `key ${KEY.Down}`, 'resize 0 10', 'resize 84 0', 'resize 84 30', 'resize 240 67',
    'resize 300 100', `scroll 1 ${SB.THUMBTRACK} 5`, 'resize 10 2']));
  test('wrap switches with scrolling between', () => compareSequence('wide.asc', 50, 3, [
    `scroll 0 ${SB.THUMBTRACK} 100`, 'wrap 1', `key ${KEY.Down}`, `key ${KEY.Right}`, `key ${KEY.Right}`,
    'resize 90 2', 'wrap 0', `key ${KEY.PageDown}`, 'wrap 1', 'wrap 1', 'resize 30 10', 'wrap 0']));
  test('the standard reading switched on and off with scrolling between', () => compareSequence(
    'standard.ans', 30, 3, [`key ${KEY.Down}`, `key ${KEY.Right}`, 'standard 1', `key ${KEY.Down}`, 'wrap 1',
      'standard 1', 'standard 0', `scroll 0 ${SB.THUMBTRACK} 20`, 'standard 1', 'resize 84 10', 'standard 0']));
  test('an empty file', () => compareSequence('empty.asc', 20, 5, [
    `key ${KEY.Down}`, 'wheel -120', 'wrap 1', `scroll 1 ${SB.THUMBTRACK} 4`, 'resize 1 1']));
});

// A scroll by whole rows converts only the rows that came into view (the
// module moves the ones it already has), and the canvas stays exact after it.
describe('the cheap step', () => {
  const W = 60, H = 30, ROW = 16;  // narrower than the art, so that Right moves it
  // Each request, then what the page handed the canvas: pixel rows converted,
  // and rows put (null: nothing at all, as for a key the program ignores).
  const steps = [
    [`key ${KEY.Down}`, { converted: ROW, put: H * ROW }],
    [`key ${KEY.Down}`, { converted: ROW, put: H * ROW }],
    [`key ${KEY.Up}`, { converted: ROW, put: H * ROW }],
    ['wheel -120', { converted: 2 * ROW, put: H * ROW }],
    [`scroll 1 ${SB.LINEBACK} 0`, { converted: ROW, put: H * ROW }],
    [`key ${KEY.Home}`, null],
    ...Array(20).fill([`key ${KEY.Down}`, { converted: ROW, put: H * ROW }]),
    [`key ${KEY.PageUp}`, { converted: 22 * ROW, put: H * ROW }],  // from row 22 to the top
    [`scroll 1 ${SB.THUMBTRACK} 100`, 'whole'],  // more than a view away: converted as it changed
    [`key ${KEY.Right}`, 'whole'],  // columns move: every row changes
    [`key ${KEY.Down}`, { converted: ROW, put: H * ROW }],
  ];
  test(`${W}x${H}: rows converted and put, step by step, and the canvas against glyphora-shot`, async () => {
    const { readFileSync } = await import('node:fs');
    // The sample four times over: taller than the steps go.
    const tall = path.join(dir, 'tall.ans');
    writeFileSync(tall, Buffer.concat(Array(4).fill(readFileSync(files['glyphora.ans']))));
    await page.evaluate(() => window.glyphora.setStandard(false));
    await page.evaluate((c, r) => window.glyphora.resize(c, r), W, H);
    assert.equal(await openBytes(page, readFileSync(tall), 'tall.ans'), true);
    for (const [request, want] of steps) {
      const { update, state } = await page.evaluate((request) => {
        const [word, ...n] = request.split(' ');
        const a = n.map(Number);
        window.glyphoraTest.lastUpdate = null;
        if (word === 'key') window.glyphora.key(a[0]);
        else if (word === 'wheel') window.glyphora.wheel(a[0]);
        else window.glyphora.scroll(a[0], a[1], a[2]);
        return { update: window.glyphoraTest.lastUpdate, state: window.glyphora.state() };
      }, request);
      const where = `"${request}" at row ${state.top_row}, column ${state.left_col}`;
      if (want === 'whole') {
        assert.ok(update.converted > 2 * ROW && update.put === update.converted, `${where}: ${JSON.stringify(update)}`);
      } else {
        assert.deepEqual(update, want, where);
      }
      const expected = shot(tall, { cols: W, rows: H, top: state.top_row, left: state.left_col });
      const shown = await canvasPixels(page);
      assert.ok(Buffer.from(shown.rgb, 'base64').equals(expected.rgb), `${where}: the canvas differs from glyphora-shot`);
    }
  });
});
