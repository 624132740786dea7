// What the page's tests and benchmark share: the page served from build/web/site
// on a free port, and Debian's Chromium, headless, in a fresh profile.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const site = process.env.GLYPHORA_WEB_SITE ?? path.join(root, 'build/web/site');
export const nativeDir = process.env.GLYPHORA_NATIVE_BUILD ?? path.join(root, 'build/native');
export const chromium = process.env.GLYPHORA_CHROMIUM ?? '/usr/bin/chromium';

function need(file, what) {
  if (!existsSync(file)) throw new Error(`${file} is missing: ${what}`);
}

// Serves `folder`; resolves to { url, stop }.
export function serve(folder = site) {
  need(path.join(folder, 'index.html'), 'build the page first (bash scripts/web.sh --build-only)');
  const server = spawn('python3', [path.join(root, 'tests/web/serve.py'), folder, '0'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.on('exit', (code) => reject(new Error(`the server stopped (${code})`)));
    server.stdout.once('data', (line) => resolve({
      url: line.toString().trim(),
      stop: () => server.kill(),
    }));
  });
}

// Chromium with nothing of its own on the network; `lang` sets the browser's
// first language. With `scale`, the screen has that many device pixels to a
// CSS pixel, as a HiDPI screen has (not DevTools' emulation), and pages keep
// the window's size (`window`, [width, height] in CSS pixels).
export async function launch({ lang = 'en-US', scale = 0, window = [900, 600] } = {}) {
  need(chromium, 'install Debian\'s chromium (scripts/setup.sh)');
  const profile = mkdtempSync(path.join(tmpdir(), 'glyphora-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--lang=${lang}`, `--accept-lang=${lang}`,
      ...(scale ? [`--force-device-scale-factor=${scale}`, `--window-size=${window.join(',')}`] : [])],
    defaultViewport: scale ? null : undefined,
    env: { ...process.env, LANGUAGE: lang, LANG: lang === 'pl' ? 'pl_PL.UTF-8' : 'en_US.UTF-8' },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// A new page with the test hooks the page fills in when it finds them
// (window.glyphoraTest: the requests it made, its module's memory).
export async function newTestPage(browser) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => { window.glyphoraTest = { record: null }; });
  return page;
}

// A page of `width` x `height` CSS pixels at one device pixel each, opened at
// `url` and ready (the first frame shown).
export async function openPage(browser, url, { width = 900, height = 600, scale = 1 } = {}) {
  const page = await newTestPage(browser);
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  page.problems = problems;
  await page.setViewport({ width, height, deviceScaleFactor: scale });
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 10000 });
  return page;
}

// The canvas as the page shows it: size in canvas pixels and in CSS pixels,
// and its RGB bytes (base64) or only their FNV-1a hash, as web_replay hashes.
export function canvasPixels(page, { hashOnly = false, id = 'view' } = {}) {
  return page.evaluate((hashOnly, id) => {
    const canvas = document.getElementById(id);
    const { width, height } = canvas;
    const rgba = width && height ? canvas.getContext('2d').getImageData(0, 0, width, height).data : [];
    const box = canvas.getBoundingClientRect();
    const result = { width, height, cssWidth: box.width, cssHeight: box.height, hash: 0 };
    if (width === 0 || height === 0) return result;
    let hash = 2166136261;
    const rgb = hashOnly ? null : new Uint8Array(width * height * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4) {
      for (let k = 0; k < 3; k++) {
        hash = Math.imul(hash ^ rgba[i + k], 16777619) >>> 0;
        if (rgb) rgb[j++] = rgba[i + k];
      }
    }
    result.hash = hash;
    if (rgb) {
      let text = '';
      for (let at = 0; at < rgb.length; at += 0x8000) {
        text += String.fromCharCode.apply(null, rgb.subarray(at, at + 0x8000));
      }
      result.rgb = btoa(text);
    }
    return result;
  }, hashOnly, id);
}

// Opens bytes through window.glyphora.open; resolves to its result.
export function openBytes(page, bytes, name = '') {
  return page.evaluate((b64, name) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    return window.glyphora.open(bytes, name);
  }, Buffer.from(bytes).toString('base64'), name);
}
