// The native program's answers: glyphora-shot's pictures and web_replay's
// record of a sequence of requests on the program's own Viewer.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { nativeDir } from './browser.mjs';
import { readPng } from './png.mjs';

function tool(name) {
  const file = path.join(nativeDir, name);
  if (!existsSync(file)) throw new Error(`${file} is missing: build the native preset first`);
  return file;
}

// glyphora-shot's picture of `file` in a view of cols x rows at top/left,
// wrapped or not, in either reading: { width, height, rgb }.
export function shot(file, { cols, rows, top, left, wrap = false, standard = false }) {
  const dir = mkdtempSync(path.join(tmpdir(), 'glyphora-shot-'));
  try {
    const out = path.join(dir, 'view.png');
    const args = ['--size', `${cols}x${rows}`];
    if (top !== undefined) args.push('--top', String(top));
    if (left !== undefined) args.push('--left', String(left));
    if (wrap) args.push('--wrap');
    if (standard) args.push('--standard');
    const run = spawnSync(tool('glyphora-shot'), [...args, file, out], { encoding: 'utf8' });
    if (run.status !== 0) throw new Error(`glyphora-shot ${args.join(' ')} ${file}: ${run.stderr}`);
    return readPng(out);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// web_replay's line for the start and for each request: { step, result,
// state, bars, width, height, hash }.
export function replay(file, cols, rows, requests) {
  const run = spawnSync(tool('web_replay'), [file, String(cols), String(rows)],
    { input: requests.map((r) => `${r}\n`).join(''), encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`web_replay: ${run.stderr}`);
  return run.stdout.trim().split('\n').map((line) => JSON.parse(line));
}

// glyphora-shot --thumbnail `px` of `file`: { width, height, rgb }, or { why }
// (its message) when it draws none.
export function thumbnail(file, px = 256) {
  const dir = mkdtempSync(path.join(tmpdir(), 'glyphora-thumbnail-'));
  try {
    const out = path.join(dir, 'thumbnail.png');
    const run = spawnSync(tool('glyphora-shot'), ['--thumbnail', String(px), file, out], { encoding: 'utf8' });
    if (run.status !== 0) return { why: run.stderr.trim() };
    return readPng(out);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
