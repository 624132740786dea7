// The web page's figures, measured in the same headless Chromium the tests
// use, beside the native program's from the same run (bench_web): the page's
// weight, its first frame, opening 64 MiB of art, a scroll step at 84x30 and
// 240x67 cells, memory over 1,000 opens of 1 MiB, and the largest plain and
// ANSI files it opens (and one beyond, which must fail cleanly).
// Run by bench/web_bench.sh, which builds both first.
import { spawnSync } from 'node:child_process';
import { cpSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { chromium, launch, nativeDir, openPage, root, serve, site } from '../tests/web/browser.mjs';

const MiB = 1024 * 1024;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1,
  Math.floor(values.length * p))];
const ms = (value) => `${value.toFixed(value < 10 ? 3 : 1)} ms`;
const line = (what, value) => console.log(`${what.padEnd(52)} ${value}`);

function nativeFigures() {
  const run = spawnSync(path.join(nativeDir, 'bench_web'),
    ['--benchmark_format=json', '--benchmark_repetitions=5', '--benchmark_report_aggregates_only=true'],
    { encoding: 'utf8', maxBuffer: 64 * MiB });
  if (run.status !== 0) throw new Error(`bench_web: ${run.stderr}`);
  const figures = {};
  for (const b of JSON.parse(run.stdout).benchmarks) {
    if (b.aggregate_name !== 'median') continue;
    const scale = b.time_unit === 'ms' ? 1 : b.time_unit === 'us' ? 1e-3 : 1e-6;
    figures[b.run_name] = b.real_time * scale;
  }
  return figures;
}

// The page's sample repeated to `size` bytes, in the page.
const REPEAT = `async (file, size) => {
  const sample = new Uint8Array(await (await fetch(file)).arrayBuffer());
  const bytes = new Uint8Array(size);
  for (let at = 0; at < size; at += sample.length) bytes.set(sample.subarray(0, Math.min(sample.length, size - at)), at);
  return bytes;
}`;

// One scroll step's main-thread work: DevTools' TaskDuration over a key press
// and the frame it makes, less the same for a key the page ignores (Home),
// which is what the press itself costs; medians of 60 pairs.
async function stepCost(browser, url, { width, height, scale }) {
  const page = await openPage(browser, url, { width, height, scale });
  await page.evaluate(`window.repeatSample = ${REPEAT}`);
  await page.evaluate(async (size) => window.glyphora.open(await window.repeatSample('glyphora.ans', size)), MiB);
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const taskDuration = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((m) => m.name === 'TaskDuration').value * 1000;
  const settle = () => page.evaluate(async () => {
    await window.glyphoraTest?.painted?.();
    await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
  });
  // Taken in pairs, an ignored key then a step, so that both meet the same
  // load on the machine.
  const once = async (key) => {
    await settle();
    const before = await taskDuration();
    await page.keyboard.press(key);
    await settle();
    return await taskDuration() - before;
  };
  const bases = [];
  const steps = [];
  const nets = [];
  for (let i = 0; i < 60; i++) {
    bases.push(await once('Home'));
    steps.push(await once('ArrowDown'));
    nets.push(steps[i] - bases[i]);
  }
  const [base, step, net] = [median(bases), median(steps), median(nets)];
  const s = await page.evaluate(() => window.glyphora.state());
  await page.close();
  return { base, step, net, cells: `${s.view_cols}x${s.view_rows} cells` };
}

// The main-thread cost of a step at the three sizes: 84x30 and 240x67 cells,
// and a 2560x1440 screen at ratio 2.
async function stepCosts(browser, url) {
  for (const [label, width, height, scale] of [['84x30', 84 * 8 + 17, 30 * 16 + 17 + 24 + 21, 1],
    ['240x67', 240 * 8 + 17, 67 * 16 + 17 + 24 + 21, 1], ['2560x1440@2', 1280, 720, 2]]) {
    const cost = await stepCost(browser, url, { width, height, scale });
    line(`scroll step at ${label} (${cost.cells}), main-thread TaskDuration`,
      `${ms(cost.net)} a step (press and frame ${ms(cost.step)}, less an ignored key's ${ms(cost.base)})`);
  }
}

// --steps: only the step costs, for trying a change to the step path.
async function stepsOnly() {
  const server = await serve(site);
  const browser = await launch();
  try {
    await stepCosts(browser, server.url);
  } finally {
    await browser.close();
    server.stop();
  }
}

async function main() {
  console.log(`Glyphora in the browser: ${spawnSync(chromium, ['--version'], { encoding: 'utf8' }).stdout.trim()}`);
  const native = nativeFigures();
  // The page's folder and the plain sample beside it.
  const folder = mkdtempSync(path.join(tmpdir(), 'glyphora-web-bench-'));
  cpSync(site, folder, { recursive: true });
  cpSync(path.join(root, 'samples/glyphora.asc'), path.join(folder, 'glyphora.asc'));
  const server = await serve(folder);
  const browser = await launch();
  try {
    // Weight.
    const parts = ['index.html', 'glyphora.js', 'glyphora.css', 'glyphora.wasm'];
    const sizes = parts.map((p) => statSync(path.join(site, p)).size);
    line('weight: HTML + JS + CSS + wasm (uncompressed)',
      `${sizes.reduce((a, b) => a + b)} bytes (${parts.map((p, i) => `${p} ${sizes[i]}`).join(', ')})`);

    // First frame, from navigation, in a fresh context each time (nothing cached).
    const firsts = [];
    for (let i = 0; i < 7; i++) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width: 84 * 8 + 17, height: 30 * 16 + 17 + 24 + 21 });
      await page.goto(server.url);
      await page.waitForSelector('body[data-ready="true"]');
      firsts.push(await page.evaluate(() => performance.getEntriesByName('glyphora-first-frame')[0].startTime));
      if (i === 0) {
        const loaded = await page.evaluate(() => performance.getEntriesByType('resource')
          .map((e) => `${e.name.split('/').pop()} ${e.decodedBodySize}`).join(', '));
        line('  what the first frame loaded (decoded bytes)', loaded);
      }
      await context.close();
    }
    line('first frame of the sample after navigation', `median ${ms(median(firsts))}, slowest ${ms(Math.max(...firsts))} (7 cold loads)`);

    const page = await openPage(browser, server.url);
    await page.evaluate(`window.repeatSample = ${REPEAT}`);

    // Opening 64 MiB.
    for (const [kind, file] of [['ANSI', 'glyphora.ans'], ['plain', 'glyphora.asc']]) {
      const times = await page.evaluate(async (file, size) => {
        const bytes = await window.repeatSample(file, size);
        const times = [];
        for (let i = 0; i < 5; i++) {
          const start = performance.now();
          if (!window.glyphora.open(bytes)) return null;
          times.push(performance.now() - start);
        }
        return times;
      }, file, 64 * MiB);
      const nativeTime = native[`BM_open_64mib/${kind === 'ANSI' ? 'ansi' : 'plain'}/real_time`];
      line(`open 64 MiB of ${kind} art (to the frame on the canvas)`,
        times ? `page ${ms(median(times))}, native ${ms(nativeTime)}: ${(median(times) / nativeTime).toFixed(2)}x` : 'FAILED');
    }

    // Scroll steps: a key event to the canvas updated, down and back up.
    for (const [cols, rows] of [[84, 30], [240, 67]]) {
      const steps = await page.evaluate(async (cols, rows, size) => {
        window.glyphora.resize(cols, rows);
        window.glyphora.open(await window.repeatSample('glyphora.ans', size));
        const times = [];
        let key = 'ArrowDown';
        for (let i = 0; i < 400; i++) {
          const s = window.glyphora.state();
          if (s.top_row === 0) key = 'ArrowDown';
          if (s.top_row + s.view_rows > s.doc_rows) key = 'ArrowUp';
          const start = performance.now();
          document.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true }));
          times.push(performance.now() - start);
        }
        return times;
      }, cols, rows, MiB);
      line(`scroll step at ${cols}x${rows} (key handler, in the page)`,
        `page median ${ms(median(steps))}, 95th ${ms(percentile(steps, 0.95))}; native ${ms(native[`BM_scroll_step/${cols}/${rows}`])}`);
    }

    // The same steps as the browser's main thread spends them (DevTools'
    // TaskDuration), from a real key press to the frame on the screen.
    await stepCosts(browser, server.url);

    // Opening 64 MiB as a picked or dropped file is opened, with the progress bar.
    const opened = await page.evaluate(async (size) => {
      if (!window.glyphora.openFile) return { ok: false, time: 0, shown: false };
      const bytes = await window.repeatSample('glyphora.ans', size);
      const file = new File([bytes], 'big.ans');
      const progress = document.getElementById('progress');
      let shown = false;
      const watch = new MutationObserver(() => { shown ||= !progress.hidden; });
      watch.observe(progress, { attributes: true });
      const start = performance.now();
      const ok = await window.glyphora.openFile(file);
      const time = performance.now() - start;
      watch.disconnect();
      return { ok, time, shown };
    }, 64 * MiB);
    line('open 64 MiB of ANSI as a picked file (read in pieces)',
      `${opened.ok ? ms(opened.time) : 'FAILED'}, progress bar shown: ${opened.shown ? 'yes' : 'no'}`);

    await page.close();

    // 1,000 opens of 1 MiB, in a page of its own.
    const fresh = await openPage(browser, server.url);
    await fresh.evaluate(`window.repeatSample = ${REPEAT}`);
    const memory = await fresh.evaluate(async (size) => {
      const bytes = await window.repeatSample('glyphora.ans', size);
      window.glyphora.open(bytes);
      const first = (window.glyphoraTest?.memoryBytes ?? window.glyphora.memoryBytes)();
      for (let i = 1; i < 1000; i++) window.glyphora.open(bytes);
      return [first, (window.glyphoraTest?.memoryBytes ?? window.glyphora.memoryBytes)()];
    }, MiB);
    line('1,000 opens of 1 MiB: module memory after 1st / 1,000th',
      `${memory[0]} / ${memory[1]} bytes (grew ${memory[1] - memory[0]})`);
    await fresh.close();

    // The largest files, to 16 MiB, each try in a fresh page; lines of 78 characters.
    const tryOpen = async (kind, size) => {
      const p = await openPage(browser, server.url);
      const result = await p.evaluate((kind, size) => {
        const row = new TextEncoder().encode(kind === 'ANSI' ? `\x1b[1;33;44m${'#'.repeat(68)}\r\n` : `${'#'.repeat(78)}\r\n`);
        const before = JSON.stringify(window.glyphora.state());
        const start = performance.now();
        const opened = window.glyphora.openWith(size, (bytes) => {
          const n = Math.min(row.length, size);
          bytes.set(row.subarray(0, n));
          for (let filled = n; filled < size; filled *= 2) bytes.copyWithin(filled, 0, Math.min(filled, size - filled));
        });
        return { opened, time: performance.now() - start, unchanged: JSON.stringify(window.glyphora.state()) === before,
          status: document.getElementById('status').textContent, memory: (window.glyphoraTest?.memoryBytes ?? window.glyphora.memoryBytes)() };
      }, kind, size).catch((error) => ({ opened: false, crashed: String(error) }));
      await p.close().catch(() => {});
      return result;
    };
    for (const kind of ['plain', 'ANSI']) {
      let good = 0, bad = 4096;  // in MiB
      let goodResult = null;
      while (bad - good > 16) {
        const mid = Math.floor((good + bad) / 2 / 16) * 16 || 16;
        const result = await tryOpen(kind, mid * MiB);
        if (result.opened) { good = mid; goodResult = result; } else bad = mid;
      }
      line(`largest ${kind} file opened (16 MiB steps)`,
        `${good} MiB (${goodResult ? `${ms(goodResult.time)}, module memory ${goodResult.memory} bytes` : '-'})`);
      const beyond = await tryOpen(kind, bad * MiB);
      line(`  ${bad} MiB of ${kind}`, beyond.opened ? 'opened' : beyond.crashed ? `crashed: ${beyond.crashed}`
        : `refused, view unchanged: ${beyond.unchanged}; "${beyond.status}"`);
    }
  } finally {
    await browser.close();
    server.stop();
    rmSync(folder, { recursive: true, force: true });
  }
}

if (process.argv.includes('--steps')) await stepsOnly();
else await main();
