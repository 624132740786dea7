// The menus as people use them, by mouse and by keys, and the page as a
// screen reader reads it: roles, names and states in the accessibility tree.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch, openBytes, openPage, root, serve } from './browser.mjs';

let server, browser;
before(async () => {
  server = await serve();
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.stop();
});

// Which menu is open, what has the keys, the view's top row and wrap.
const where = (page) => page.evaluate(() => ({
  open: [...document.querySelectorAll('.menu.open > button')].map((e) => e.id).join(),
  focus: document.activeElement?.id || document.activeElement?.tagName,
  top: window.glyphora.state().top_row,
  wrap: window.glyphora.state().wrap,
}));

async function keys(page, list) {
  for (const key of list) {
    const [modifier, name] = key.includes('+') ? key.split('+') : [null, key];
    if (modifier) await page.keyboard.down(modifier);
    await page.keyboard.press(name);
    if (modifier) await page.keyboard.up(modifier);
  }
}

describe('menus by keys', () => {
  // Keys pressed from a fresh page, then where things stand.
  const cases = [
    [['F10'], { open: '', focus: 'menu-file', top: 0, wrap: false }],
    [['F10', 'ArrowRight'], { open: '', focus: 'menu-view', top: 0, wrap: false }],
    [['F10', 'ArrowLeft'], { open: '', focus: 'menu-help', top: 0, wrap: false }],
    [['F10', 'ArrowRight', 'ArrowDown'], { open: 'menu-view', focus: 'item-wrap', top: 0, wrap: false }],
    [['F10', 'ArrowRight', 'ArrowDown', 'Enter'], { open: '', focus: 'BODY', top: 0, wrap: true }],
    [['F10', 'F10'], { open: '', focus: 'BODY', top: 0, wrap: false }],
    [['Alt+KeyV'], { open: 'menu-view', focus: 'item-wrap', top: 0, wrap: false }],
    [['Alt+KeyV', 'Space'], { open: '', focus: 'BODY', top: 0, wrap: true }],
    [['Alt+KeyV', 'Escape'], { open: '', focus: 'menu-view', top: 0, wrap: false }],
    [['Alt+KeyV', 'Escape', 'Escape'], { open: '', focus: 'BODY', top: 0, wrap: false }],
    [['Alt+KeyV', 'ArrowRight'], { open: 'menu-help', focus: 'item-about', top: 0, wrap: false }],
    [['Alt+KeyF', 'ArrowLeft'], { open: 'menu-help', focus: 'item-about', top: 0, wrap: false }],
    // The keys that scroll the art do nothing to it while a menu has them.
    [['Alt+KeyH', 'ArrowDown', 'ArrowUp', 'PageDown'], { open: 'menu-help', focus: 'item-about', top: 0, wrap: false }],
    [['F10', 'PageDown', 'Escape', 'ArrowDown'], { open: '', focus: 'BODY', top: 1, wrap: false }],
    [['Alt+KeyV', 'Tab', 'ArrowDown'], { open: '', focus: 'BODY', top: 1, wrap: false }],
    [['ArrowDown', 'ArrowDown'], { open: '', focus: 'BODY', top: 2, wrap: false }],
  ];
  for (const [list, expected] of cases) {
    test(list.join(' '), async () => {
      const page = await openPage(browser, server.url, { width: 700, height: 300 });
      await keys(page, list);
      assert.deepEqual(await where(page), expected);
      assert.deepEqual(page.problems, []);
      await page.close();
    });
  }

  test('Enter on Open... asks for a file; on About... shows the box, named', async () => {
    const page = await openPage(browser, server.url, { width: 700, height: 300 });
    const [chooser] = await Promise.all([page.waitForFileChooser(), keys(page, ['Alt+KeyF', 'Enter'])]);
    assert.equal(chooser.isMultiple(), false);
    await chooser.cancel();
    await keys(page, ['Alt+KeyH', 'Enter']);
    await page.waitForFunction(() => document.getElementById('about').open);
    const dialog = nodes(await page.accessibility.snapshot()).find((n) => n.role === 'dialog');
    assert.equal(dialog?.name, 'About Glyphora');
    await keys(page, ['ArrowDown']);
    assert.equal((await where(page)).top, 0, 'the box has the keys');
    await page.close();
  });
});

describe('menus by mouse', () => {
  test('from an open menu, passing over another title opens it, and a click there keeps it open', async () => {
    const page = await openPage(browser, server.url, { width: 700, height: 300 });
    await page.click('#menu-file');
    assert.equal((await where(page)).open, 'menu-file');
    await page.hover('#menu-view');
    assert.equal((await where(page)).open, 'menu-view');
    await page.click('#menu-view');
    assert.equal((await where(page)).open, 'menu-view', 'the click that ends the move keeps it');
    await page.click('#menu-view');
    assert.equal((await where(page)).open, '', 'a second click closes it');
    await page.click('#menu-help');
    await page.mouse.click(300, 200);
    assert.equal((await where(page)).open, '', 'a click outside closes it');
    await page.close();
  });
});

// The accessibility tree's nodes, flattened.
function nodes(tree, out = []) {
  if (!tree) return out;
  out.push(tree);
  for (const child of tree.children ?? []) nodes(child, out);
  return out;
}

describe('as a screen reader reads it', () => {
  for (const [lang, names] of [
    ['en-US', { bar: ['File', 'View', 'Help'], arrows: ['Scroll up', 'Scroll down', 'Scroll left', 'Scroll right'], none: 'No file' }],
    ['pl', { bar: ['Plik', 'Widok', 'Pomoc'], arrows: ['Przewiń w górę', 'Przewiń w dół', 'Przewiń w lewo', 'Przewiń w prawo'], none: 'Brak pliku' }],
  ]) {
    test(`${lang}: a menu bar of menus, the art an image named by its file, the arrows named`, async () => {
      const reader = lang === 'pl' ? await launch({ lang: 'pl' }) : browser;
      try {
        const page = await openPage(reader, server.url, { width: 700, height: 300 });
        const all = nodes(await page.accessibility.snapshot({ interestingOnly: false }));
        const bar = all.find((n) => n.role === 'menubar');
        assert.ok(bar, 'a menubar');
        assert.deepEqual(nodes(bar).filter((n) => n.role === 'menuitem' && n.haspopup).map((n) => n.name), names.bar);
        assert.ok(all.some((n) => n.role === 'image' && n.name === 'glyphora.ans'), 'the art, named by its file');
        const arrows = await page.$$eval('.arrow', (e) => e.map((a) => [a.getAttribute('aria-label'), a.tabIndex]));
        assert.deepEqual(arrows, names.arrows.map((name) => [name, -1]), 'named, and out of the Tab order');
        await page.click('#menu-view');
        const view = nodes(await page.accessibility.snapshot()).filter((n) => n.role === 'menuitemcheckbox');
        assert.deepEqual(view.map((n) => n.checked), [false, false], 'Wrap lines, Standard ANSI');
        assert.equal(await page.$eval('#menu-view', (e) => e.getAttribute('aria-expanded')), 'true');
        assert.equal(await page.$eval('#menu-file', (e) => e.getAttribute('aria-expanded')), 'false');
        await page.close();
      } finally {
        if (reader !== browser) await reader.close();
      }
    });
  }

  test('the image\'s name and the tab\'s title follow the open file; an arrow answers a screen reader\'s click', async () => {
    const page = await openPage(browser, server.url, { width: 640, height: 300 });
    assert.equal(await openBytes(page, readFileSync(path.join(root, 'resources/about.ans')), 'about.ans'), true);
    assert.equal(await page.$eval('#view', (e) => e.getAttribute('aria-label')), 'about.ans');
    assert.equal(await page.title(), 'about.ans — Glyphora');
    // A click with no pointer press, as assistive technology and Enter make it.
    await page.$eval('#vbar .arrow.forward', (e) => e.click());
    assert.equal((await where(page)).top, 1);
    await page.close();
  });
});
