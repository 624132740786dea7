// The page as a person uses it: real keys, wheel turns, drags and clicks on
// the bars, the window resized; opening by the picker, a drop and ?file=; a
// failed open; the menus in English and Polish; the About box; sharpness at
// two device pixels a pixel; and a Content-Security-Policy that holds.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { canvasPixels, launch, newTestPage, openBytes, openPage, root, serve } from './browser.mjs';
import { replay, shot } from './native.mjs';

const sample = path.join(root, 'samples/glyphora.ans');
const about = path.join(root, 'resources/about.ans');
let server, browser, dir, wide;

before(async () => {
  dir = mkdtempSync(path.join(tmpdir(), 'glyphora-web-page-'));
  wide = path.join(dir, 'wide.asc');
  writeFileSync(wide, Array.from({ length: 120 }, (_, i) => `${i} ${'=-'.repeat(100 + i)}`).join('\r\n'));
  server = await serve();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.stop();
  if (dir) rmSync(dir, { recursive: true, force: true });
});

// The view's values as the Viewer has them (the open file's name is the page's).
const view = (page) => page.evaluate(() => {
  const { file, ...state } = window.glyphora.state();
  return { state, bars: window.glyphora.bars() };
});
const statusLine = (page) => page.$eval('#status', (e) => e.textContent);

async function assertShows(page, file, { wrap = false, top, left } = {}) {
  const { state } = await view(page);
  const expected = shot(file, { cols: state.view_cols, rows: state.view_rows, wrap,
    top: top ?? state.top_row, left: left ?? state.left_col });
  const shown = await canvasPixels(page);
  assert.deepEqual([shown.width, shown.height], [expected.width, expected.height]);
  assert.ok(Buffer.from(shown.rgb, 'base64').equals(expected.rgb), `the canvas shows ${file}`);
}

// The client area's size in whole cells, as WM_SIZE reports it.
const clientCells = (page) => page.$eval('#client', (e) => {
  const r = e.getBoundingClientRect();
  return [Math.floor(r.width * devicePixelRatio / 8), Math.floor(r.height * devicePixelRatio / 16)];
});

// Runs each action, then checks the canvas, view and bars against web_replay
// after the requests the page made so far (as recorded by the page).
async function compareActions(page, file, actions) {
  const begin = (await view(page)).state;
  await page.evaluate(() => { window.glyphoraTest.record = []; });
  const seen = [];
  for (const action of actions) {
    await action();
    const record = await page.evaluate(() => window.glyphoraTest.record.length);
    seen.push({ record, ...(await view(page)), hash: (await canvasPixels(page, { hashOnly: true })).hash });
  }
  const requests = await page.evaluate(() => window.glyphoraTest.record);
  const expected = replay(file, begin.view_cols, begin.view_rows, requests);
  for (const [i, got] of seen.entries()) {
    const want = expected[got.record];
    assert.deepEqual(got.state, want.state, `after action ${i} (${requests.slice(0, got.record).join(', ')})`);
    assert.equal(got.hash, want.hash, `the canvas after action ${i}`);
    for (const bar of ['horizontal', 'vertical']) {
      if (want.bars[bar].enabled) assert.deepEqual(got.bars[bar], want.bars[bar], `the ${bar} bar after ${i}`);
    }
  }
  return requests;
}

async function thumbCentre(page, bar) {
  const box = await (await page.$(`#${bar} .thumb`)).boundingBox();
  return [box.x + box.width / 2, box.y + box.height / 2];
}

describe('in English', () => {
  test('the first frame is the bundled sample at the window\'s size, with nothing fetched elsewhere', async () => {
    const page = await newTestPage(browser);
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    await page.setViewport({ width: 900, height: 600 });
    await page.goto(server.url);
    await page.waitForSelector('body[data-ready="true"]');
    const [cols, rows] = await clientCells(page);
    assert.deepEqual(await page.evaluate(() => window.glyphora.state()),
      { top_row: 0, left_col: 0, view_cols: cols, view_rows: rows, doc_rows: 41, doc_cols: 81, wrap: false,
        file: 'glyphora.ans', standard: false });
    await assertShows(page, sample);
    assert.ok(requests.every((url) => url.startsWith(server.url)), requests.join(' '));
    await page.close();
  });

  test('keys, the wheel and resizing the window make the program\'s requests', async () => {
    const page = await openPage(browser, server.url, { width: 700, height: 400 });
    const [cols, rows] = await clientCells(page);
    await page.mouse.move(100, 100);
    const requests = await compareActions(page, sample, [
      () => page.keyboard.press('ArrowDown'), () => page.keyboard.press('ArrowDown'),
      () => page.keyboard.press('PageDown'), () => page.keyboard.press('ArrowUp'),
      () => page.keyboard.press('Home'), () => page.keyboard.press('End'),
      () => page.keyboard.press('Escape'), () => page.keyboard.press('PageUp'),
      async () => { await page.mouse.wheel({ deltaY: 100 }); await page.waitForFunction(() => window.glyphoraTest.record.length > 5); },
      async () => { await page.mouse.wheel({ deltaY: -200 }); await page.waitForFunction(() => window.glyphoraTest.record.length > 6); },
      async () => {
        await page.setViewport({ width: 500, height: 300 });
        await page.waitForFunction((c) => window.glyphora.state().view_cols !== c, {}, cols);
      },
    ]);
    const [cols2, rows2] = await clientCells(page);
    // A wheel event is one notch, whatever its pixels, as the browser says.
    assert.deepEqual(requests, ['key 40', 'key 40', 'key 34', 'key 38', 'key 33', 'wheel -120', 'wheel 120',
      `resize ${cols2} ${rows2}`], 'Home, End and Escape ask nothing of the view');
    assert.notDeepEqual([cols, rows], [cols2, rows2]);
    await page.close();
  });

  test('a touchpad\'s small wheel steps add up to whole notches; a turn back starts afresh', async () => {
    const page = await openPage(browser, server.url, { width: 700, height: 400 });
    // As a touchpad gives them: a tenth of a notch at a time.
    const turn = (steps, delta) => page.evaluate((n, d) => {
      window.glyphoraTest.record = [];
      for (let i = 0; i < n; ++i) {
        const event = new WheelEvent('wheel', { deltaY: -d / 1.2, bubbles: true, cancelable: true });
        Object.defineProperty(event, 'wheelDeltaY', { value: d });
        document.getElementById('window').dispatchEvent(event);
      }
      return window.glyphoraTest.record;
    }, steps, delta);
    assert.deepEqual(await turn(9, -12), []);
    assert.deepEqual(await turn(1, -12), ['wheel -120']);
    assert.deepEqual(await turn(25, -12), ['wheel -120', 'wheel -120']);
    assert.equal((await page.evaluate(() => window.glyphora.state())).top_row, 6, 'two rows a notch');
    // Half a notch down is left over; turning up drops it.
    assert.deepEqual(await turn(10, 12), ['wheel 120']);
    assert.deepEqual(await turn(1, 600), ['wheel 600']);
    await page.close();
  });

  test('dragging a thumb tracks it; arrows and the track step by lines and pages', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 400 });
    assert.equal(await openBytes(page, readFileSync(wide), 'wide.asc'), true);
    const requests = await compareActions(page, wide, [
      async () => {
        const [x, y] = await thumbCentre(page, 'vbar');
        await page.mouse.move(x, y);
        await page.mouse.down();
        await page.mouse.move(x, y + 40, { steps: 4 });
        await page.mouse.move(x, y + 80, { steps: 4 });
        await page.mouse.up();
      },
      async () => {
        const [x, y] = await thumbCentre(page, 'hbar');
        await page.mouse.move(x, y);
        await page.mouse.down();
        await page.mouse.move(x + 200, y, { steps: 5 });
        await page.mouse.up();
      },
      () => page.click('#vbar .arrow.forward'),
      () => page.click('#hbar .arrow.back'),
      async () => {
        const track = await (await page.$('#vbar .track')).boundingBox();
        await page.mouse.click(track.x + track.width / 2, track.y + track.height - 2);
      },
    ]);
    const codes = requests.map((r) => r.split(' ').slice(0, 3).join(' '));
    for (const expected of ['scroll 1 5', 'scroll 1 4', 'scroll 0 5', 'scroll 1 1', 'scroll 0 0', 'scroll 1 3']) {
      assert.ok(codes.includes(expected), `${expected} in ${requests.join(', ')}`);
    }
    const { state } = await view(page);
    assert.ok(state.top_row > 0 && state.left_col > 0, 'the drags moved the view');
    await page.close();
  });

  test('the picker opens a file, unwrapped', async () => {
    const page = await openPage(browser, server.url);
    await page.evaluate(() => window.glyphora.setWrap(true));
    await page.click('#menu-file');
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#item-open')]);
    await chooser.accept([wide]);
    await page.waitForFunction(() => document.getElementById('status').textContent === 'wide.asc');
    assert.equal(await page.$eval('#item-wrap', (e) => e.getAttribute('aria-checked')), 'false');
    await assertShows(page, wide);
    await page.close();
  });

  // Several files dropped at once open a gallery (gallery.test.mjs).
  test('a drop anywhere on the page opens its file', async () => {
    const page = await openPage(browser, server.url);
    await page.evaluate((b64) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], 'about.ans'));
      document.getElementById('status').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, readFileSync(about).toString('base64'));
    await page.waitForFunction(() => document.getElementById('status').textContent === 'about.ans');
    await assertShows(page, about);
    await page.close();
  });

  test('?file= opens a linked file; one that cannot be fetched says why', async () => {
    let page = await openPage(browser, `${server.url}?file=about.ans`);
    await assertShows(page, about);
    await page.close();
    page = await openPage(browser, `${server.url}?file=missing.ans`);
    assert.equal(await statusLine(page), 'Cannot open missing.ans: the server answered 404.');
    assert.equal((await view(page)).state.doc_rows, 0, 'nothing else is shown instead');
    await page.close();
    // Another origin over plain http is outside the page's connect-src.
    page = await openPage(browser, `${server.url}?file=${encodeURIComponent('http://localhost:9/a.ans')}`);
    assert.equal(await statusLine(page), 'Cannot open a.ans: the browser could not fetch it.');
    await page.close();
  });

  test('a ?file= that is no address, or a broken one, fails as any link does; an empty one names none', async () => {
    for (const [link, line] of [
      ['%25zz', 'Cannot open %zz: the server answered 404.'],
      [encodeURIComponent('http://[x'), 'Cannot open http://[x: the browser could not fetch it.'],
      ['', 'glyphora.ans'],
    ]) {
      const page = await openPage(browser, `${server.url}?file=${link}`, { width: 600, height: 300 });
      assert.equal(await statusLine(page), line);
      await page.keyboard.press('ArrowDown');
      assert.equal((await view(page)).state.doc_rows, link === '' ? 41 : 0, `?file=${link}`);
      assert.deepEqual(page.problems.filter((p) => !p.includes('404')), []);
      await page.close();
    }
  });

  test('a file dropped while a ?file= link is still coming stays shown', async () => {
    const page = await newTestPage(browser);
    await page.setRequestInterception(true);
    let answered;
    const slow = new Promise((resolve) => { answered = resolve; });
    page.on('request', (request) => {
      if (!request.url().endsWith('/slow.ans')) return request.continue();
      setTimeout(async () => {
        await request.respond({ status: 200, contentType: 'application/octet-stream', body: readFileSync(sample) });
        answered();
      }, 1500);
    });
    await page.setViewport({ width: 600, height: 300 });
    await page.goto(`${server.url}?file=slow.ans`);
    await page.waitForFunction(() => window.glyphora);
    await page.evaluate((b64) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], 'about.ans'));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, readFileSync(about).toString('base64'));
    await page.waitForFunction(() => document.getElementById('status').textContent === 'about.ans');
    await slow;
    // Ready once the link's open has ended, here without showing it.
    await page.waitForSelector('body[data-ready="true"]');
    assert.equal(await statusLine(page), 'about.ans');
    assert.equal((await view(page)).state.doc_rows, 16);
    await assertShows(page, about);
    await page.close();
  });

  test('the view follows the window while a ?file= link is still coming', async () => {
    const page = await newTestPage(browser);
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (!request.url().endsWith('/slow.ans')) return request.continue();
      setTimeout(() => request.respond({ status: 200, body: readFileSync(sample) }), 2000);
    });
    await page.setViewport({ width: 600, height: 300 });
    await page.goto(`${server.url}?file=slow.ans`);
    await page.waitForFunction(() => window.glyphora);
    const before = (await view(page)).state.view_cols;
    await page.setViewport({ width: 400, height: 300 });
    await page.waitForFunction((c) => window.glyphora.state().view_cols !== c, { timeout: 1500 }, before);
    assert.equal(await page.evaluate(() => document.body.dataset.ready), undefined, 'the link is still coming');
    await page.waitForSelector('body[data-ready="true"]');
    assert.deepEqual((await view(page)).state.view_cols, (await clientCells(page))[0]);
    await assertShows(page, sample);
    await page.close();
  });

  test('a file opened while a picked or dropped one is still being read wins, and is shown exactly', async () => {
    const page = await openPage(browser, server.url, { width: 600, height: 300 });
    const result = await page.evaluate(async (b64) => {
      // Large enough to be read in many pieces; the small one fits its buffer.
      const big = new File([new Uint8Array(32 << 20).fill(0x41)], 'big.asc');
      // As a drop or the picker opens it; the promise ends when the read stops.
      const reading = window.glyphora.openFile(big);
      await new Promise((resolve) => setTimeout(resolve, 0));  // the read under way
      const opened = window.glyphora.open(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)), 'about.ans');
      if (await reading !== false) return { opened, status: 'the big file was shown' };
      return { opened, status: document.getElementById('status').textContent };
    }, readFileSync(about).toString('base64'));
    assert.deepEqual(result, { opened: true, status: 'about.ans' });
    assert.equal((await view(page)).state.doc_rows, 16);
    await assertShows(page, about);
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('a failed open leaves the view exactly as it was and says why in one line', async () => {
    const page = await openPage(browser, server.url, { width: 600, height: 300 });
    await page.keyboard.press('PageDown');
    await page.evaluate(() => window.glyphora.setWrap(true));
    const before = { ...(await view(page)), pixels: await canvasPixels(page) };
    assert.equal(await page.evaluate(() => window.glyphora.openUrl('no-such-file.ans')), false);
    const after = { ...(await view(page)), pixels: await canvasPixels(page) };
    assert.deepEqual(after, before);
    assert.equal(await page.$eval('#item-wrap', (e) => e.getAttribute('aria-checked')), 'true');
    assert.equal(await statusLine(page), 'Cannot open no-such-file.ans: the server answered 404.');
    assert.ok(await page.$eval('#status', (e) => e.scrollHeight <= e.clientHeight + 1), 'one line');
    await page.close();
  });

  test('a file too large for memory or for the viewer is refused cleanly, and the page goes on', async () => {
    const page = await openPage(browser, server.url, { width: 600, height: 300 });
    await page.keyboard.press('ArrowDown');
    const before = { ...(await view(page)), pixels: await canvasPixels(page, { hashOnly: true }) };
    const tries = await page.evaluate(() => [0xF0000000, 0xFFFFFFF0].map((size) => {
      let written = false;
      const opened = window.glyphora.openWith(size, () => { written = true; }, `big-${size}.ans`);
      return { opened, written, status: document.getElementById('status').textContent };
    }));
    assert.deepEqual(tries, [
      { opened: false, written: false, status: 'Cannot open big-4026531840.ans: the page\'s memory (4 GiB at most) cannot hold it.' },
      { opened: false, written: false, status: 'Cannot open big-4294967280.ans: it is larger than the viewer can take.' },
    ]);
    assert.deepEqual({ ...(await view(page)), pixels: await canvasPixels(page, { hashOnly: true }) }, before);
    await page.keyboard.press('ArrowDown');
    assert.equal((await view(page)).state.top_row, 2, 'the module still answers');
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('the menus are the program\'s, and Wrap lines checks and wraps', async () => {
    const page = await openPage(browser, server.url);
    const labels = await page.$$eval('#menubar button', (b) => b.map((e) => e.textContent));
    assert.deepEqual(labels, ['File', 'Open...', 'Open folder…', 'View', 'Wrap lines', 'Standard ANSI', 'Help', 'About...']);
    assert.equal(await page.title(), 'glyphora.ans — Glyphora', 'the file, then the program');
    await page.click('#menu-view');
    await page.click('#item-wrap');
    assert.equal(await page.$eval('#item-wrap', (e) => e.getAttribute('aria-checked')), 'true');
    assert.equal((await view(page)).state.wrap, true);
    await assertShows(page, sample, { wrap: true });
    await page.click('#menu-view');
    await page.click('#item-wrap');
    assert.equal((await view(page)).state.wrap, false);
    await page.close();
  });

  test('Standard ANSI checks, reads the file again from its top, and shows SAUCE on the status line', async () => {
    const page = await openPage(browser, server.url);
    assert.equal(await page.$eval('#item-standard', (e) => e.getAttribute('aria-checked')), 'false');
    const record = 'SAUCE00' + 'Night Shift'.padEnd(35) + 'Someone'.padEnd(20) + 'Crew'.padEnd(20) + '19960412'
      + '\0'.repeat(4) + '\x01\x01\x28\0' + '\0'.repeat(6) + '\0\x01' + 'IBM VGA'.padEnd(22, '\0');
    const art = Buffer.from(`\x1b[0m${'line\r\n'.repeat(60)}\x1a${record}`, 'latin1');
    assert.equal(await openBytes(page, art, 'night.ans'), true);
    assert.equal(await statusLine(page), 'night.ans');
    await page.evaluate(() => window.glyphora.key(0x22));  // a page down, forgotten by the switch
    await page.click('#menu-view');
    await page.click('#item-standard');
    assert.equal(await page.$eval('#item-standard', (e) => e.getAttribute('aria-checked')), 'true');
    const { state } = await view(page);
    assert.deepEqual([state.standard, state.top_row, state.left_col, state.doc_cols, state.doc_rows],
      [true, 0, 0, 41, 60], 'a 40-column screen from the record, at its top');
    assert.equal(await statusLine(page), 'night.ans \u2014 Night Shift, Someone, Crew');
    await page.click('#menu-view');
    await page.click('#item-standard');
    assert.equal((await view(page)).state.standard, false);
    assert.equal(await statusLine(page), 'night.ans');
    await page.close();
  });

  test('the menus answer nothing, and break nothing, before the module has started', async () => {
    const page = await newTestPage(browser);
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (request.url().endsWith('/glyphora.wasm')) setTimeout(() => request.continue(), 1000);
      else request.continue();
    });
    await page.setViewport({ width: 600, height: 300 });
    await page.goto(server.url);
    for (const [menu, item] of [['#menu-view', '#item-wrap'], ['#menu-help', '#item-about']]) {
      await page.click(menu);
      await page.click(item);
    }
    await page.waitForSelector('body[data-ready="true"]');
    assert.deepEqual(problems, []);
    assert.equal((await view(page)).state.wrap, false);
    assert.equal(await page.$eval('#about', (e) => e.open), false);
    await assertShows(page, sample);
    await page.close();
  });

  test('About shows the program\'s picture and words and closes only by OK', async () => {
    const page = await openPage(browser, server.url);
    await page.click('#menu-help');
    await page.click('#item-about');
    await page.waitForFunction(() => document.getElementById('about').open);
    const art = await canvasPixels(page, { id: 'about-art' });
    const expected = shot(about, { cols: 45, rows: 16 });
    assert.ok(Buffer.from(art.rgb, 'base64').equals(expected.rgb));
    assert.equal(await page.$eval('#about-text', (e) => e.textContent), 'Greetings to all who draw in sixteen colours!');
    await page.keyboard.press('Escape');
    assert.equal(await page.$eval('#about', (e) => e.open), true);
    await page.click('#about-ok');
    assert.equal(await page.$eval('#about', (e) => e.open), false);
    await page.close();
  });

  test('at two device pixels a pixel, the canvas is sized in device pixels', async () => {
    const page = await openPage(browser, server.url, { width: 500, height: 300, scale: 2 });
    const [cols, rows] = await clientCells(page);
    const { state } = await view(page);
    assert.deepEqual([state.view_cols, state.view_rows], [cols, rows]);
    const shown = await canvasPixels(page, { hashOnly: true });
    assert.deepEqual([shown.width, shown.height, shown.cssWidth, shown.cssHeight],
      [cols * 8, rows * 16, cols * 4, rows * 8]);
    await assertShows(page, sample);
    await page.close();
  });

  test('the Content-Security-Policy allows only the page\'s own scripts', async () => {
    const html = readFileSync(path.join(root, 'web/index.html'), 'utf8');
    assert.doesNotMatch(html, /<script(?![^>]*\bsrc=)[^>]*>/, 'no inline script');
    assert.doesNotMatch(html, /\son[a-z]+=/, 'no inline handlers');
    const page = await openPage(browser, server.url);
    const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (e) => e.content);
    assert.match(policy, /script-src 'self' 'wasm-unsafe-eval';/);
    assert.match(policy, /default-src 'none'/);
    const ran = await page.evaluate(() => new Promise((resolve) => {
      const script = document.createElement('script');
      script.textContent = 'window.injected = true;';
      document.head.append(script);  // an allowed inline script would have run by now
      resolve(window.injected === true);
    }));
    assert.equal(ran, false, 'an inline script is refused');
    await page.close();
  });
});

describe('in Polish', () => {
  let polish;
  before(async () => { polish = await launch({ lang: 'pl' }); });
  after(async () => { await polish?.close(); });

  test('the menus and messages are Polish when the browser\'s first language is', async () => {
    const page = await newTestPage(polish);
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(navigator, 'languages', { get: () => ['pl-PL', 'en-US'] });
    });
    await page.goto(`${server.url}?file=brak.ans`);
    await page.waitForSelector('body[data-ready="true"]');
    const labels = await page.$$eval('#menubar button', (b) => b.map((e) => e.textContent));
    assert.deepEqual(labels, ['Plik', 'Otwórz...', 'Otwórz folder…', 'Widok', 'Zawijaj wiersze', 'Standardowe ANSI', 'Pomoc',
      'O programie...']);
    assert.equal(await page.evaluate(() => document.documentElement.lang), 'pl');
    assert.equal(await statusLine(page), 'Nie można otworzyć brak.ans: serwer odpowiedział 404.');
    await page.close();
  });

  test('--lang=pl alone chooses Polish too; English second does not', async () => {
    let page = await openPage(polish, server.url);
    assert.equal(await page.$eval('#menu-file', (e) => e.textContent), 'Plik');
    await page.close();
    page = await newTestPage(browser);
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(navigator, 'languages', { get: () => ['en-GB', 'pl-PL'] });
    });
    await page.goto(server.url);
    await page.waitForSelector('body[data-ready="true"]');
    assert.equal(await page.$eval('#menu-file', (e) => e.textContent), 'File');
    await page.close();
  });
});
