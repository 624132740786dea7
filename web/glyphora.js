// Glyphora in the browser: the page is the program's window. Every request
// goes to the program's own Viewer in glyphora.wasm; this script only turns
// browser events into the window messages' requests, and shows what the
// Viewer presented (the canvas) and its scroll bars' records (the bars).

import { createGallery, droppedFiles, pickedFolder } from './gallery.js';

const CELL_WIDTH = 8;
const CELL_HEIGHT = 16;
const ABOUT_COLS = 45;
const ABOUT_ROWS = 16;
const PATH_SIZE = 260;  // the module keeps a name in this many bytes, its NUL among them
const WHEEL_DELTA = 120;
// WM_MOUSEWHEEL's delta is 16 bits: the most whole notches it holds.
const MAX_WHEEL_DELTA = Math.floor(32767 / WHEEL_DELTA) * WHEEL_DELTA;
// A wheel notch as browsers report it in pixels and in lines.
const PIXELS_PER_NOTCH = 100;
const LINES_PER_NOTCH = 3;

// Win32 virtual-key codes of the keys the window answers: the program has no
// Home or End, so neither has the page.
const VIRTUAL_KEYS = {
  PageUp: 0x21, PageDown: 0x22, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
};
// Scroll-bar request codes (Win32's SB_ values).
const SB = { LINEBACK: 0, LINEFORWARD: 1, PAGEBACK: 2, PAGEFORWARD: 3, THUMBPOSITION: 4,
  THUMBTRACK: 5, ENDSCROLL: 8 };
const HORIZONTAL = 0;
const VERTICAL = 1;

const MiB = 1024 * 1024;
const mebibytes = (bytes) => (bytes / MiB).toFixed(bytes < 10 * MiB ? 1 : 0);
// Opens larger than this show their progress; smaller ones are over too soon.
const PROGRESS_FROM = 4 * MiB;
// A horizontal wheel notch moves as far as a vertical one: two rows are four columns.
const COLUMNS_PER_NOTCH = 4;

// The program's menus, word for word, and the page's own one-line messages.
const TEXTS = {
  english: {
    'menu-file': 'File', 'item-open': 'Open...', 'menu-view': 'View', 'item-wrap': 'Wrap lines',
    'item-standard': 'Standard ANSI', 'menu-help': 'Help', 'item-about': 'About...', 'item-open-folder': 'Open folder…',
    'about-keys': 'Gallery (a .zip, a folder or several files): Enter or a click opens a piece, n and p the next '
      + 'and previous one, Escape goes back to the gallery.',
    cannot: (name, why) => `Cannot open ${name}: ${why}.`,
    // The page's memory, not the machine's: WebAssembly's is 4 GiB at most.
    memory: 'the page\'s memory (4 GiB at most) cannot hold it', large: 'it is larger than the viewer can take',
    unreadable: 'it cannot be read', fetch: 'the browser could not fetch it',
    status: (code) => `the server answered ${code}`, unnamed: 'the file', dataLink: 'the data: address',
    noResize: 'The view cannot take the window\'s new size: the page\'s memory (4 GiB at most) cannot hold it.',
    noWrap: 'Cannot wrap lines: the page\'s memory (4 GiB at most) cannot hold the wrapped copy.',
    reading: (name, done, total) => `Reading ${name}: ${mebibytes(done)}${total ? ` of ${mebibytes(total)}` : ''} MiB`,
    decoding: (name) => `Opening ${name}...`,
    aboutName: 'About Glyphora', noFile: 'No file',
    'scroll-up': 'Scroll up', 'scroll-down': 'Scroll down', 'scroll-left': 'Scroll left',
    'scroll-right': 'Scroll right',
  },
  polish: {
    'menu-file': 'Plik', 'item-open': 'Otwórz...', 'menu-view': 'Widok', 'item-wrap': 'Zawijaj wiersze',
    'item-standard': 'Standardowe ANSI', 'menu-help': 'Pomoc', 'item-about': 'O programie...', 'item-open-folder': 'Otwórz folder…',
    'about-keys': 'Galeria (plik .zip, folder lub kilka plików): Enter lub kliknięcie otwiera utwór, n i p '
      + 'następny i poprzedni, Escape wraca do galerii.',
    cannot: (name, why) => `Nie można otworzyć ${name}: ${why}.`,
    memory: 'pamięć strony (najwyżej 4 GiB) go nie pomieści', large: 'plik jest większy, niż przeglądarka obrazów przyjmie',
    unreadable: 'nie da się go odczytać', fetch: 'przeglądarka nie mogła go pobrać',
    status: (code) => `serwer odpowiedział ${code}`, unnamed: 'pliku', dataLink: 'adresu data:',
    noResize: 'Widok nie przyjmie nowego rozmiaru okna: pamięć strony (najwyżej 4 GiB) go nie pomieści.',
    noWrap: 'Nie można zawijać wierszy: pamięć strony (najwyżej 4 GiB) nie pomieści zawiniętej kopii.',
    reading: (name, done, total) => `Wczytywanie ${name}: ${mebibytes(done)}${total ? ` z ${mebibytes(total)}` : ''} MiB`,
    decoding: (name) => `Otwieranie ${name}...`,
    aboutName: 'O programie Glyphora', noFile: 'Brak pliku',
    'scroll-up': 'Przewiń w górę', 'scroll-down': 'Przewiń w dół', 'scroll-left': 'Przewiń w lewo',
    'scroll-right': 'Przewiń w prawo',
  },
};

// As the program chooses its menu by the locale's language, the page goes by
// the browser's first language.
const firstLanguage = (navigator.languages && navigator.languages[0]) || navigator.language || '';
const language = firstLanguage.toLowerCase().split('-')[0] === 'pl' ? 'polish' : 'english';
const text = TEXTS[language];

const $ = (id) => document.getElementById(id);
const canvas = $('view');
const client = $('client');
const status = $('status');
let wasm = null;  // the module's exports
// Opens wait for the module and the view (started() lets them through), then
// for each other: the module's input buffer is shared.
let started;
let opening = new Promise((resolve) => { started = resolve; });
let requested = 0;  // opens asked for so far (nextTicket)
let running = false;  // the module loaded and the view started

// ---- Gallery: packs, folders and drops of several files (gallery.js) ----
let galleryOpening = false;  // the open under way is a gallery piece's
const isPack = (name) => /\.zip$/i.test(name);
const gallery = createGallery({
  element: document.getElementById('gallery'),
  language,
  module: () => wasm,
  nameNext: (name) => nameNext(name),
  standard: () => running && state().standard,  // thumbnails in the reading the view uses
  show(bytes, name) {
    const ticket = ++requested;
    return queued(() => {
      if (ticket !== requested) return false;
      galleryOpening = true;
      try {
        return openBytes(bytes, name);
      } finally {
        galleryOpening = false;
      }
    });
  },
  say: (line, problem) => say(line, problem),
  fail: (name, why) => fail(name, why),
  focusView: () => document.activeElement?.blur?.(),
});

// The module imports almost nothing: memory growth needs no notice (views of
// memory are made afresh on every use) and the rest must never be called.
async function loadModule() {
  const module = await WebAssembly.compileStreaming(fetch('glyphora.wasm'));
  const imports = {};
  for (const entry of WebAssembly.Module.imports(module)) {
    imports[entry.module] ??= {};
    imports[entry.module][entry.name] = entry.name === 'emscripten_notify_memory_growth'
      ? () => {} : () => { throw new Error(`glyphora.wasm called ${entry.name}`); };
  }
  const instance = await WebAssembly.instantiate(module, imports);
  instance.exports._initialize?.();
  return instance.exports;
}

const bytesOf = () => new Uint8Array(wasm.memory.buffer);

// gw_state's fields, read into plain values at once: a view of memory is
// detached when it grows.
function readState(view = 0) {
  const s = new Uint32Array(wasm.memory.buffer, wasm.gw_state(view) >>> 0, 21);
  const bar = (at) => ({ enabled: s[at] !== 0, min: s[at + 1] | 0, max: s[at + 2] | 0, page: s[at + 3],
    position: s[at + 4] | 0 });
  return {
    state: { top_row: s[0], left_col: s[1], view_cols: s[2], view_rows: s[3], doc_rows: s[4],
      doc_cols: s[5], wrap: s[6] !== 0, standard: s[20] !== 0 },
    image: { width: s[7], height: s[8], present: s[9] },
    bars: { horizontal: bar(10), vertical: bar(15) },
  };
}

const state = () => ({ ...readState().state, file: shownName });
const barRecords = () => readState().bars;

// A canvas's CSS length for `device` device pixels, and the device pixels it
// then has: the shortest whole number of CSS pixels that is also a whole
// number of device pixels, so the browser neither rounds the box nor scales
// the picture in it (the few pixels past the picture stay black). At ratios
// with no such length near, the exact quotient.
function cssLength(device, ratio) {
  if (device === 0) return [0, 0];
  for (let css = Math.ceil(device / ratio - 1e-6); css <= device / ratio + 64; css++) {
    const pixels = css * ratio;
    if (Math.abs(pixels - Math.round(pixels)) < 1e-6) return [css, Math.round(pixels)];
  }
  return [device / ratio, device];
}

// The canvas moved by less than a device pixel, to start on a whole one: where
// the browser scales CSS pixels after laying them out, a canvas that starts
// between device pixels would be resampled, doubling a row or a column.
function placeOnDevicePixels(target, ratio) {
  const box = measure(`${target.id} place`, () => target.parentElement.getBoundingClientRect());
  const shift = (at) => (Math.ceil(at * ratio - 0.001) - at * ratio) / ratio;
  setStyle(target, 'left', `${shift(box.left)}px`);
  setStyle(target, 'top', `${shift(box.top)}px`);
}

// The presented image into a canvas whose every pixel is one device pixel,
// handed over only when it is not the one the canvas already holds, and then
// only the rows that changed (none, for a step that moved nothing); after a
// scroll by whole rows the module converts only the rows that came into view.
// The canvas is drawn here, not by a worker's OffscreenCanvas: the compositor
// filters a worker's canvas where the browser scales the page after layout
// (DevTools' emulated ratios), and the art would not be exact there. It is
// desynchronized, which in Chromium's software compositing roughly halves
// the main thread's part of a frame at 2560x1440 (tested exact at emulated
// and real ratios alike).
function showImage(view, target, { width, height, present }, shown) {
  const ratio = window.devicePixelRatio || 1;
  const [cssWidth, deviceWidth] = cssLength(width, ratio);
  const [cssHeight, deviceHeight] = cssLength(height, ratio);
  setStyle(target, 'width', `${cssWidth}px`);
  setStyle(target, 'height', `${cssHeight}px`);
  placeOnDevicePixels(target, ratio);
  const sized = target.width === deviceWidth && target.height === deviceHeight;
  if (sized && present === shown.present && width === shown.width && height === shown.height) return shown;
  if (!sized) {
    target.width = deviceWidth;
    target.height = deviceHeight;
    wasm.gw_forget(view);  // the canvas is cleared: all of the picture is put again
  }
  const at = wasm.gw_update(view) >>> 0;
  if (at === 0) return shown;  // no memory to convert it: the canvas stays as it was
  const [w, h, y, rows, converted, from] = new Int32Array(wasm.memory.buffer, at, 6);
  if (rows > 0) {
    // The band's rows in the module's ring: up to its last row, then from its first.
    const context = target.getContext('2d', { alpha: false, desynchronized: true });
    const ring = imageOver(wasm.gw_update_pixels(view) >>> 0, w, h);
    const before = Math.min(rows, h - from);
    context.putImageData(ring, 0, y - from, 0, from, w, before);
    if (before < rows) context.putImageData(ring, 0, y + before, 0, 0, w, rows - before);
  }
  if (testHooks) testHooks.lastUpdate = { converted, put: rows };
  return { present, width, height };
}

// An ImageData over the module's memory, the same one again while nothing
// about it changed, so that a step allocates nothing.
let lastImage = null;
function imageOver(address, width, rows) {
  const memory = wasm.memory.buffer;
  const known = lastImage;
  if (known && known.memory === memory && known.address === address && known.image.width === width
    && known.image.height === rows) return known.image;
  const image = new ImageData(new Uint8ClampedArray(memory, address, width * rows * 4), width, rows);
  lastImage = { memory, address, image };
  return image;
}

let shownView = { present: -1, width: 0, height: 0 };

function draw() {
  const { state: s, image, bars } = readState();
  shownView = showImage(0, canvas, image, shownView);
  drawBar($('hbar'), bars.horizontal, HORIZONTAL);
  drawBar($('vbar'), bars.vertical, VERTICAL);
  setChecks(s);
}

// ---- Scroll bars, drawn from the virtual window's records ----

// What draws read of the layout, measured again only after the window
// changed (layoutEpoch moves on), so that a step forces no layout.
let layoutEpoch = 0;
const measured = new Map();
function measure(key, read) {
  const known = measured.get(key);
  if (known && known.epoch === layoutEpoch) return known.value;
  const value = read();
  measured.set(key, { epoch: layoutEpoch, value });
  return value;
}

// Sets a style property only when it changes, which is what a step leaves alone.
function setStyle(element, property, value) {
  if (element.style[property] !== value) element.style[property] = value;
}

function barGeometry(element, record, bar) {
  const length = measure(element.id, () => {
    const track = element.querySelector('.track');
    return bar === VERTICAL ? track.clientHeight : track.clientWidth;
  });
  const span = Math.max(record.max - record.min + 1, 1);
  const page = Math.min(record.page, span);
  const thumb = Math.min(length, Math.max(8, Math.round(length * (page || 1) / span)));
  const positions = span - Math.max(page, 1);  // the thumb reaches min .. min + positions
  const offset = positions > 0
    ? Math.round((record.position - record.min) / positions * (length - thumb)) : 0;
  return { length, thumb, positions, offset };
}

function drawBar(element, record, bar) {
  element.classList.toggle('disabled', !record.enabled);
  const g = barGeometry(element, record, bar);
  const thumb = element.querySelector('.thumb');
  setStyle(thumb, 'transform', `translate${bar === VERTICAL ? 'Y' : 'X'}(${g.offset}px)`);
  setStyle(thumb, bar === VERTICAL ? 'height' : 'width', `${g.thumb}px`);
}

const currentRecord = (bar) => barRecords()[bar === VERTICAL ? 'vertical' : 'horizontal'];

// Pressing an arrow or the track repeats, as a scroll bar does, until released.
function repeatWhileHeld(button, event, request) {
  event.preventDefault();
  button.setPointerCapture?.(event.pointerId);
  if (!request()) return;
  let timer = setTimeout(function again() {
    if (request()) timer = setTimeout(again, 50);
  }, 400);
  const stop = () => {
    clearTimeout(timer);
    button.removeEventListener('pointerup', stop);
    button.removeEventListener('pointercancel', stop);
    return true;
  };
  button.addEventListener('pointerup', stop);
  button.addEventListener('pointercancel', stop);
}

function wireBar(element, bar) {
  const [back, forward] = element.querySelectorAll('.arrow');
  const track = element.querySelector('.track');
  const thumb = element.querySelector('.thumb');
  const enabled = () => currentRecord(bar).enabled;
  const line = (code) => (event) => repeatWhileHeld(event.currentTarget, event, () => {
    if (!enabled()) return false;
    api.scroll(bar, code, 0);
    return true;
  });
  back.addEventListener('pointerdown', line(SB.LINEBACK));
  forward.addEventListener('pointerdown', line(SB.LINEFORWARD));
  // Enter or Space on an arrow (or a screen reader's click): one line.
  for (const [button, code] of [[back, SB.LINEBACK], [forward, SB.LINEFORWARD]]) {
    button.addEventListener('click', (event) => {
      if (event.detail === 0 && enabled()) api.scroll(bar, code, 0);
    });
  }
  track.addEventListener('pointerdown', (event) => {
    if (event.target !== track) return;
    const rect = track.getBoundingClientRect();
    const at = bar === VERTICAL ? event.clientY - rect.top : event.clientX - rect.left;
    repeatWhileHeld(track, event, () => {
      if (!enabled()) return false;
      const g = barGeometry(element, currentRecord(bar), bar);
      // Paging stops once the thumb has reached the pointer.
      if (at < g.offset) api.scroll(bar, SB.PAGEBACK, 0);
      else if (at >= g.offset + g.thumb) api.scroll(bar, SB.PAGEFORWARD, 0);
      else return false;
      return true;
    });
  });
  thumb.addEventListener('pointerdown', (event) => {
    if (!enabled()) return;
    event.preventDefault();
    thumb.setPointerCapture?.(event.pointerId);
    const record = currentRecord(bar);
    const g = barGeometry(element, record, bar);
    const start = bar === VERTICAL ? event.clientY : event.clientX;
    let position = record.position;
    const move = (e) => {
      const moved = (bar === VERTICAL ? e.clientY : e.clientX) - start;
      const room = g.length - g.thumb;
      const offset = Math.min(Math.max(g.offset + moved, 0), room);
      position = record.min + (room > 0 ? Math.round(offset / room * g.positions) : 0);
      api.scroll(bar, SB.THUMBTRACK, position);
    };
    const end = () => {
      thumb.removeEventListener('pointermove', move);
      thumb.removeEventListener('pointerup', end);
      thumb.removeEventListener('pointercancel', end);
      api.scroll(bar, SB.THUMBPOSITION, position);
      api.scroll(bar, SB.ENDSCROLL, 0);
    };
    thumb.addEventListener('pointermove', move);
    thumb.addEventListener('pointerup', end);
    thumb.addEventListener('pointercancel', end);
  });
}

// ---- The client area's size in cells, as WM_SIZE reports it ----

function clientCells(deviceWidth, deviceHeight) {
  return [Math.floor(deviceWidth / CELL_WIDTH), Math.floor(deviceHeight / CELL_HEIGHT)];
}

function clientDeviceSize() {
  const rect = client.getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  return [Math.round(rect.width * ratio), Math.round(rect.height * ratio)];
}

// A size report only when the client area's size in cells changed, so a view
// sized by glyphora.resize stays so until the window itself changes. The
// window changes when its CSS size does, and when its device pixels do (a
// move to another screen, zooming).
function followClientSize(cells) {
  let reported = cells.join('x');
  const check = () => {
    ++layoutEpoch;
    // Measured as at the start (CSS size times the ratio), so that the two
    // always agree, even where the browser's own device-pixel box does not.
    const [cols, rows] = clientCells(...clientDeviceSize());
    if (`${cols}x${rows}` !== reported) {
      reported = `${cols}x${rows}`;
      api.resize(cols, rows);
    } else {
      draw();  // the bars' lengths or the canvas's CSS size may have changed
    }
  };
  const observer = new ResizeObserver(check);
  try {
    observer.observe(client, { box: 'device-pixel-content-box' });
  } catch {
    observer.observe(client);  // a browser that counts no device pixels
  }
  // A new ratio (zooming, a move to another screen) need not change the
  // client area's CSS box, and is noticed here as well.
  const watchRatio = () => {
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
      check();
      watchRatio();
    }, { once: true });
  };
  watchRatio();
}

// ---- Opening ----

let shownName = '';  // the open file's name, as the status line gives it
const baseTitle = document.title;

function say(line, problem) {
  status.textContent = line;
  status.classList.toggle('problem', problem);
}

function fail(name, why) {
  hideProgress();
  wasm?.gw_drop_input();
  say(text.cannot(name || text.unnamed, why), true);
  return false;
}

// The status line, the tab's title and the canvas's name follow the open file.
function shown(name) {
  shownName = name;
  say(name ? withSauce(name) : name, false);
  document.title = name ? `${name} — Glyphora` : baseTitle;
  canvas.setAttribute('aria-label', name || text.noFile);
}

// ---- Progress of a long open ----

const progress = $('progress');

function showProgress(line, done, total) {
  progress.hidden = false;
  if (total) {
    progress.max = total;
    progress.value = done;
  } else {
    progress.removeAttribute('value');  // how much is left is not known
  }
  say(line, false);
}

function hideProgress() {
  progress.hidden = true;
}

// A pause long enough for the browser to paint the bar: the next frame, or a
// moment where frames do not come (a hidden tab).
const paintPause = () => new Promise((resolve) => {
  const timer = setTimeout(resolve, 50);
  requestAnimationFrame(() => setTimeout(() => { clearTimeout(timer); resolve(); }, 0));
});

// ---- Reading a file into the module ----

// A read that ends after a later open was asked for (a slow ?file= link, then
// a drop) is not shown over it; asking stops the read under way, which would
// otherwise wait for its next piece first.
let reading = null;
function nextTicket() {
  reading?.cancel().catch(() => {});
  reading = null;
  return ++requested;
}

// The module's input buffer for `size` bytes, or a refusal said on the status
// line (null): asked before a byte is read, so a file that cannot open is not
// read first.
function inputFor(name, size) {
  const why = size > wasm.gw_max_file_size() >>> 0 ? text.large
    : (wasm.gw_input(size) >>> 0) === 0 ? text.memory : null;
  if (why) {
    fail(name, why);
    return null;
  }
  return wasm.gw_input(size) >>> 0;  // the buffer just made, handed out again
}

async function finishOpen(name, size) {
  if (size >= PROGRESS_FROM) {
    showProgress(text.decoding(name), 0, 0);
    await paintPause();
  }
  return finishOpenNow(name, size);
}

// The name of the file the module opens next, for the standard reading's
// rule on names: its last bytes when it is longer than the module keeps.
function nameNext(name) {
  const bytes = new TextEncoder().encode(name);
  const kept = bytes.subarray(Math.max(0, bytes.length - (PATH_SIZE - 1)));
  const at = wasm.gw_name() >>> 0;
  bytesOf().set(kept, at);
  bytesOf()[at + kept.length] = 0;
}

function finishOpenNow(name, size) {
  nameNext(name);
  const opened = wasm.gw_open(0, size) === 1;
  hideProgress();
  draw();
  if (!opened) return fail(name, text.memory);
  shown(name);
  if (!galleryOpening) gallery.close();  // a file of its own ends the gallery
  return true;
}

// The standard reading's SAUCE title, author and group after a name, when
// the file has them (bytes as code page 437 stores them; ASCII as itself).
function withSauce(name) {
  const field = (n) => {
    const at = wasm.gw_sauce(n) >>> 0;
    const bytes = bytesOf();
    let end = at;
    while (bytes[end] !== 0) ++end;
    return new TextDecoder('latin1').decode(bytes.subarray(at, end));
  };
  const sauce = [0, 1, 2].map(field).filter((t) => t !== '');
  return sauce.length ? `${name} \u2014 ${sauce.join(', ')}` : name;
}

// Reads `size` bytes from a stream's reader straight into the module's buffer
// at `at`, a piece at a time, so a large file is never held twice, with the
// bar shown for a large one. False when a later open took over, or the stream
// failed (said) or gave more than it promised.
async function readInto(reader, name, size, at, ticket) {
  reading = reader;
  let filled = 0;
  let painted = performance.now();
  const large = size >= PROGRESS_FROM;
  if (large) showProgress(text.reading(name, 0, size), 0, size);
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (ticket !== requested) return false;
      if (done) break;
      if (filled + value.length > size) throw new Error('longer than said');
      bytesOf().set(value, at + filled);
      filled += value.length;
      if (large && performance.now() - painted > 100) {
        showProgress(text.reading(name, filled, size), filled, size);
        await paintPause();
        painted = performance.now();
        if (ticket !== requested) return false;
      }
    }
  } catch {
    return ticket === requested && fail(name, text.unreadable);
  } finally {
    if (reading === reader) reading = null;
  }
  return finishOpen(name, filled);
}

// Opens `size` bytes that write(target) puts into the module's buffer (a
// Uint8Array over it).
function openWritten(name, size, write) {
  const at = inputFor(name, size);
  if (at === null) return false;
  let target;
  try {
    target = new Uint8Array(wasm.memory.buffer, at, size);
  } catch {
    return fail(name, text.memory);  // more than one view of memory may span
  }
  write(target);
  return finishOpenNow(name, size);
}

function openBytes(bytes, name = '') {
  const view = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  return openWritten(name, view.length, (target) => target.set(view));
}

function openFile(file, ticket) {
  const at = inputFor(file.name, file.size);
  if (at === null) return false;
  return readInto(file.stream().getReader(), file.name, file.size, at, ticket);
}

// A link's address, relative to the page's, and the name messages give it.
function address(link) {
  let url;
  try {
    url = new URL(link, location.href);
  } catch {
    return { name: link, why: text.fetch };
  }
  if (url.protocol === 'data:') return { url, name: text.dataLink };
  const last = url.pathname.split('/').pop();
  let name;
  try {
    name = decodeURIComponent(last);
  } catch {
    name = last;  // a stray % is a name all the same
  }
  return { url, name: name || url.href };
}

// The body of an answer whose length is not given, gathered in the page with
// the bytes read so far on the status line.
async function gather(response, name, ticket) {
  const reader = response.body.getReader();
  reading = reader;
  const pieces = [];
  let total = 0;
  let painted = performance.now();
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (ticket !== requested) return null;
      if (done) break;
      pieces.push(value);
      total += value.length;
      if (total > wasm.gw_max_file_size() >>> 0) {
        reader.cancel().catch(() => {});
        return { why: text.large };
      }
      if (total >= PROGRESS_FROM && performance.now() - painted > 100) {
        showProgress(text.reading(name, total, 0), total, 0);
        painted = performance.now();
      }
    }
  } catch {
    return { why: text.unreadable };
  } finally {
    if (reading === reader) reading = null;
  }
  const bytes = new Uint8Array(total);
  let at = 0;
  for (const piece of pieces) {
    bytes.set(piece, at);
    at += piece.length;
  }
  return { bytes };
}

// The length an answer's body will have, when the server says it: not for a
// compressed body, whose Content-Length counts the bytes before decoding.
function declaredLength(response) {
  const length = response.headers.get('content-length');
  if (length === null || response.headers.get('content-encoding') || !/^\d+$/.test(length)) return -1;
  return Number(length);
}

// The headers are awaited outside the queue, so a link slow to answer holds
// back no later open; a body of a known length is then read straight into the
// module (in the queue: the buffer is shared), after the module said it can
// take it, and any other is gathered first.
async function openUrl(link) {
  const ticket = nextTicket();
  const { url, name, why } = address(link);
  if (why) return queued(() => ticket === requested && fail(name, why));
  let response;
  try {
    response = await fetch(url);
  } catch {
    return queued(() => ticket === requested && fail(name, text.fetch));
  }
  if (ticket !== requested) return false;
  if (!response.ok) return queued(() => ticket === requested && fail(name, text.status(response.status)));
  const size = declaredLength(response);
  // gallery: a pack's bytes are kept in the page, its members read as needed
  if (size < 0 || isPack(name)) {
    await moduleLoaded;
    const got = await gather(response, name, ticket);
    return queued(() => {
      if (ticket !== requested || got === null) return false;
      if (got.bytes && isPack(name)) return gallery.openPack(got.bytes, name, true);
      return got.bytes ? openBytes(got.bytes, name) : fail(name, got.why);
    });
  }
  return queued(() => {
    if (ticket !== requested) {
      response.body?.cancel().catch(() => {});
      return false;
    }
    const at = inputFor(name, size);
    if (at === null) {
      response.body?.cancel().catch(() => {});
      return false;
    }
    return readInto(response.body.getReader(), name, size, at, ticket);
  });
}

function openPicked(file) {
  const ticket = nextTicket();
  // gallery: a pack is read from the file as its members are needed
  const open = isPack(file.name) ? () => gallery.openPack(file, file.name) : () => openFile(file, ticket);
  return queued(() => (ticket === requested ? open() : false));
}

// gallery: a folder's or a drop's files
function openFolder({ files, name }) {
  const ticket = nextTicket();
  return queued(() => (ticket === requested ? gallery.openFiles(files, name) : false));
}

// One open at a time, once the view has started.
function queued(work) {
  const next = opening.then(work, work);
  opening = next.then(() => {}, () => {});
  return next;
}

// ---- Menus ----

// Built from the page's markup: each .menu is a title button and its items.
// An item with data-command runs that command; one with data-checkable="NAME"
// is checked while state().NAME holds, and choosing it calls setNAME(!NAME).
const menus = [];
let openMenu = -1;
let focusBefore = null;  // what had the keys before the bar took them

const COMMANDS = {
  open: () => $('picker').click(),
  'open-folder': () => $('folder-picker').click(),  // gallery
  about: () => showAbout(),
};

function setChecks(s) {
  for (const item of document.querySelectorAll('[data-checkable]')) {
    const checked = String(Boolean(s[item.dataset.checkable]));
    if (item.getAttribute('aria-checked') !== checked) item.setAttribute('aria-checked', checked);
  }
}

function choose(item) {
  closeMenus(true);
  const name = item.dataset.checkable;
  if (name) {
    if (!running) return;  // the menus are there (and in their language) before the view is
    const setter = api[`set${name[0].toUpperCase()}${name.slice(1)}`];
    if (typeof setter === 'function') setter(!state()[name]);
    return;
  }
  if (item.dataset.command?.startsWith('open') || running) COMMANDS[item.dataset.command]?.();
}

function showMenu(index, focusItem) {
  closeMenus(false);
  const m = menus[index];
  openMenu = index;
  m.element.classList.add('open');
  m.title.setAttribute('aria-expanded', 'true');
  if (focusItem === 'first') m.items[0]?.focus();
  else if (focusItem === 'last') m.items[m.items.length - 1]?.focus();
  else m.title.focus();
}

// Closes the open menu; with `leave`, the bar too, the keys going back to
// where they were.
function closeMenus(leave) {
  for (const m of menus) {
    m.element.classList.remove('open');
    m.title.setAttribute('aria-expanded', 'false');
  }
  openMenu = -1;
  if (leave && barActive()) {
    const back = focusBefore;
    focusBefore = null;
    if (back && back.isConnected && back !== document.body) back.focus();
    else document.activeElement?.blur();
  }
  if (leave) $('menubar').classList.remove('keys');
}

function barActive() {
  return openMenu >= 0 || menus.some((m) => m.title === document.activeElement
    || m.items.includes(document.activeElement));
}

function enterBar(index, focusItem) {
  if (!barActive()) focusBefore = document.activeElement;
  if (focusItem) showMenu(index, focusItem);
  else {
    closeMenus(false);
    menus[index].title.focus();
  }
}

// The menu whose title starts with `letter`, after the one now open, so that
// two titles with one first letter take turns.
function menuByLetter(letter) {
  const from = Math.max(openMenu, menus.findIndex((m) => m.title === document.activeElement));
  for (let step = 1; step <= menus.length; step++) {
    const index = (from + step + menus.length) % menus.length;
    if (menus[index].title.textContent.trim().toLowerCase().startsWith(letter)) return index;
  }
  return -1;
}

// F10 and Alt+letter, from anywhere the keys go: true when taken. The titles'
// first letters are underlined while the keys are on the bar.
function barKey(event) {
  const taken = barShortcut(event);
  if (taken && barActive()) $('menubar').classList.add('keys');
  return taken;
}

function barShortcut(event) {
  if (event.key === 'F10' && !event.altKey && !event.ctrlKey && !event.metaKey && !event.shiftKey) {
    if (barActive()) closeMenus(true);
    else enterBar(0, null);
    return true;
  }
  if (event.altKey && !event.ctrlKey && !event.metaKey && /^Key[A-Z]$/.test(event.code)) {
    const index = menuByLetter(event.code.slice(3).toLowerCase());
    if (index < 0) return false;
    enterBar(index, 'first');
    return true;
  }
  return false;
}

// Keys while the bar has them: all are taken, so none reaches the view.
function menuKey(event) {
  if (barKey(event)) return true;
  const current = menus.findIndex((m) => m.title === document.activeElement);
  const at = openMenu >= 0 ? openMenu : current;
  const items = openMenu >= 0 ? menus[openMenu].items : [];
  const focused = items.indexOf(document.activeElement);
  const step = (by) => items[(focused + by + items.length) % items.length]?.focus();
  switch (event.key) {
    case 'Escape':
      if (openMenu >= 0) enterBar(openMenu, null);
      else closeMenus(true);
      break;
    case 'ArrowDown':
      if (openMenu >= 0) step(focused < 0 ? 0 : 1);
      else if (at >= 0) showMenu(at, 'first');
      break;
    case 'ArrowUp':
      if (openMenu >= 0) step(focused < 0 ? 0 : -1);
      else if (at >= 0) showMenu(at, 'last');
      break;
    case 'Home': items[0]?.focus(); break;
    case 'End': items[items.length - 1]?.focus(); break;
    case 'ArrowLeft':
    case 'ArrowRight': {
      if (at < 0) break;
      const next = (at + (event.key === 'ArrowLeft' ? -1 : 1) + menus.length) % menus.length;
      if (openMenu >= 0) showMenu(next, 'first');
      else menus[next].title.focus();
      break;
    }
    case 'Enter':
    case ' ':
      if (focused >= 0) choose(items[focused]);
      else if (at >= 0) showMenu(at, 'first');
      break;
    case 'Tab':
      closeMenus(true);
      break;
    default:
      if (event.key.length === 1 && openMenu >= 0) {
        // A letter chooses the item it starts, as the program's menus do.
        const item = items.find((e) => e.textContent.trim().toLowerCase().startsWith(event.key.toLowerCase()));
        if (item) choose(item);
      }
  }
  return true;
}

function wireMenus() {
  for (const [id, label] of Object.entries(text)) {
    if (typeof label === 'string' && $(id)) $(id).textContent = label;
  }
  for (const arrow of document.querySelectorAll('[data-label]')) {
    arrow.setAttribute('aria-label', text[arrow.dataset.label]);
  }
  $('about').setAttribute('aria-label', text.aboutName);
  canvas.setAttribute('aria-label', text.noFile);
  document.documentElement.lang = language === 'polish' ? 'pl' : 'en';
  for (const element of document.querySelectorAll('#menubar .menu')) {
    const title = element.firstElementChild;
    const list = element.querySelector('.items');
    const items = [...list.querySelectorAll('button')];
    const index = menus.length;
    menus.push({ element, title, items });
    title.setAttribute('role', 'menuitem');
    title.setAttribute('aria-haspopup', 'menu');
    title.setAttribute('aria-expanded', 'false');
    title.tabIndex = index === 0 ? 0 : -1;
    list.setAttribute('role', 'menu');
    list.setAttribute('aria-labelledby', title.id);
    for (const item of items) {
      item.tabIndex = -1;
      item.setAttribute('role', item.dataset.checkable ? 'menuitemcheckbox' : 'menuitem');
      if (item.dataset.checkable) item.setAttribute('aria-checked', 'false');
      item.addEventListener('click', () => choose(item));
      item.addEventListener('pointerenter', () => item.focus());
    }
    // A press on the title of the open menu closes it, unless the pointer
    // only just opened it by passing over (from another open menu).
    let passedOver = false;
    title.addEventListener('pointerdown', (event) => {
      event.preventDefault();  // the keys stay where they were
      if (openMenu === index && !passedOver) closeMenus(true);
      else enterBar(index, 'title');
      passedOver = false;
    });
    title.addEventListener('click', (event) => {
      // From a screen reader or the keys (no pointer press came first).
      if (event.detail === 0) enterBar(index, 'first');
    });
    title.addEventListener('pointerenter', () => {
      if (openMenu >= 0 && openMenu !== index) {
        showMenu(index, 'title');
        passedOver = true;
      }
    });
  }
  document.addEventListener('pointerdown', (event) => {
    if (!event.target.closest('#menubar')) closeMenus(true);
  });
  $('picker').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openPicked(file);
  });
  // gallery: a folder
  $('folder-picker').addEventListener('change', (event) => {
    const folder = pickedFolder(event.target.files);
    event.target.value = '';
    openFolder(folder);
  });
}

let aboutShown = null;
async function showAbout() {
  const dialog = $('about');
  if (aboutShown === null) {
    aboutShown = { present: -1, width: 0, height: 0 };
    // The About picture is the program's own art drawn by a second view of
    // exactly its size, as the program's picture was made.
    if (wasm.gw_start(1, ABOUT_COLS, ABOUT_ROWS) !== 1) return;
    // Queued as every open is: the input buffer may be filling with a file.
    await queued(async () => {
      let bytes = null;
      try {
        const response = await fetch('about.ans');
        if (response.ok) bytes = new Uint8Array(await response.arrayBuffer());
      } catch {
        bytes = null;
      }
      const at = bytes ? wasm.gw_input(bytes.length) >>> 0 : 0;
      if (at === 0) return;
      bytesOf().set(bytes, at);
      wasm.gw_open(1, bytes.length);
    });
  }
  aboutShown = showImage(1, $('about-art'), readState(1).image, aboutShown);
  dialog.showModal();
  $('about-ok').focus();
}

// ---- Keys: one handler, the first mode that is active takes them ----

function viewKey(event) {
  if (barKey(event)) return true;
  if (!running || event.altKey || event.ctrlKey || event.metaKey) return false;
  const key = VIRTUAL_KEYS[event.key] ?? VIRTUAL_KEYS[event.code];
  if (key === undefined) return false;
  api.key(key);
  return true;
}

// A mode that takes keys of its own (a gallery, say) goes before 'view'.
const keyModes = [
  { name: 'dialog', active: () => $('about').open, key: () => false },
  { name: 'menu', active: barActive, key: menuKey },
  // gallery: its grid, or n, p and Escape on a piece; other keys go on to the view
  { name: 'gallery', active: () => true, key: (event) => gallery.key(event) !== false, passOn: true },
  { name: 'view', active: () => true, key: viewKey },
];

function onKey(event) {
  if (event.defaultPrevented) return;
  for (const mode of keyModes) {
    if (!mode.active()) continue;
    if (mode.key(event)) {
      event.preventDefault();
      return;
    }
    if (!mode.passOn) return;
  }
}

// ---- The wheel, touch and drops ----

// Wheel turns, added up per direction until they make whole notches: a
// touchpad, or a wheel on a screen of a fractional ratio, turns in steps far
// smaller than a notch, each of which the program's rule would drop. A turn
// the other way starts afresh. Gives the whole notches (as WM_MOUSEWHEEL's
// delta, 120 a notch) to hand on now.
function notchCounter() {
  let rest = 0;
  return (delta) => {
    if (Math.sign(delta) !== Math.sign(rest)) rest = 0;
    rest += delta;
    const whole = Math.trunc(rest / WHEEL_DELTA) * WHEEL_DELTA;
    rest -= whole;
    return Math.max(-MAX_WHEEL_DELTA, Math.min(MAX_WHEEL_DELTA, whole));
  };
}
const verticalNotches = notchCounter();
const horizontalNotches = notchCounter();

// A wheel's turn as WM_MOUSEWHEEL carries it (120 a notch, away from the user
// positive): the browser's own wheelDelta where it gives one, else made from
// the delta, where down the page (a turn toward the user) is positive.
function wheelDelta(wheelDeltaValue, delta, mode) {
  if (wheelDeltaValue) return wheelDeltaValue;
  const notches = mode === 0 ? delta / PIXELS_PER_NOTCH : mode === 1 ? delta / LINES_PER_NOTCH : delta;
  return -notches * WHEEL_DELTA;
}

function onWheel(event) {
  if (event.ctrlKey) return;  // the browser's zoom
  if (event.target.closest('#gallery')) return;  // gallery: it scrolls as any page does
  event.preventDefault();
  if (!running || barActive()) return;
  // Shift turns the wheel sideways; some browsers already give it as deltaX.
  const sideways = event.shiftKey && event.deltaX === 0;
  const vertical = sideways ? 0 : wheelDelta(event.wheelDeltaY, event.deltaY, event.deltaMode);
  const horizontal = sideways ? wheelDelta(event.wheelDeltaY, event.deltaY, event.deltaMode)
    : wheelDelta(event.wheelDeltaX, event.deltaX, event.deltaMode);
  const down = vertical ? verticalNotches(vertical) : 0;
  if (down) api.wheel(down);
  const across = horizontal ? horizontalNotches(horizontal) : 0;
  // Columns by the horizontal bar's line requests, as its arrows make them.
  const columns = Math.abs(across / WHEEL_DELTA) * COLUMNS_PER_NOTCH;
  for (let i = 0; i < columns && currentRecord(HORIZONTAL).enabled; i++) {
    api.scroll(HORIZONTAL, across > 0 ? SB.LINEBACK : SB.LINEFORWARD, 0);
  }
}

// One finger dragged over the art moves it by whole cells, as a thumb dragged
// on the scroll bars does: tracking, then the position set on release.
function wireTouch() {
  client.addEventListener('pointerdown', (event) => {
    if (event.pointerType !== 'touch' || !event.isPrimary || !running) return;
    event.preventDefault();
    client.setPointerCapture?.(event.pointerId);
    const ratio = window.devicePixelRatio || 1;
    const records = barRecords();
    const from = { x: event.clientX, y: event.clientY };
    const axes = [
      { bar: VERTICAL, record: records.vertical, cell: CELL_HEIGHT, at: (e) => e.clientY - from.y },
      { bar: HORIZONTAL, record: records.horizontal, cell: CELL_WIDTH, at: (e) => e.clientX - from.x },
    ].map((a) => ({ ...a, position: a.record.position, moved: false }));
    const move = (e) => {
      if (e.pointerId !== event.pointerId) return;
      for (const a of axes) {
        if (!a.record.enabled) continue;
        const top = a.record.max - Math.max(a.record.page, 1) + 1;
        const cells = Math.trunc(a.at(e) * ratio / a.cell);
        const position = Math.max(a.record.min, Math.min(top, a.record.position - cells));
        if (position !== a.position) {
          a.position = position;
          a.moved = true;
          api.scroll(a.bar, SB.THUMBTRACK, position);
        }
      }
    };
    const end = (e) => {
      if (e.pointerId !== event.pointerId) return;
      client.removeEventListener('pointermove', move);
      client.removeEventListener('pointerup', end);
      client.removeEventListener('pointercancel', end);
      for (const a of axes.filter((x) => x.moved)) {
        api.scroll(a.bar, SB.THUMBPOSITION, a.position);
        api.scroll(a.bar, SB.ENDSCROLL, 0);
      }
    };
    client.addEventListener('pointermove', move);
    client.addEventListener('pointerup', end);
    client.addEventListener('pointercancel', end);
  });
}

function wireInput() {
  $('window').addEventListener('wheel', onWheel, { passive: false });
  // The About box closes only by its OK button, as in the program.
  $('about').addEventListener('cancel', (event) => event.preventDefault());
  $('about-ok').addEventListener('click', () => $('about').close());
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) document.body.classList.remove('dragging');
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    const file = event.dataTransfer.files[0];
    // gallery: a folder or several files; one file opens on its own
    droppedFiles(event.dataTransfer).then((folder) => {
      if (folder) openFolder(folder);
      else if (file) openPicked(file);
    });
  });
  wireBar($('hbar'), HORIZONTAL);
  wireBar($('vbar'), VERTICAL);
  wireTouch();
}

// ---- For pages that embed the viewer ----

// Tests set window.glyphoraTest before the page loads (it is no part of the
// page's own interface): every request is then noted in its `record`, in
// web_replay's words, and it gets the module's memory size and exports.
const testHooks = typeof window.glyphoraTest === 'object' ? window.glyphoraTest : null;
function note(request) {
  if (Array.isArray(testHooks?.record)) testHooks.record.push(request);
}

// A request that could not get its memory says so; the next one that works
// puts the file's name back.
function refused(ok, why) {
  if (!ok) say(why, true);
  else if (status.classList.contains('problem') && status.textContent === why) say(shownName, false);
  return ok;
}

const api = {
  // Bytes of a file (Uint8Array or ArrayBuffer): true when shown; on false the
  // view is as it was and the status line says why.
  open: (bytes, name = '') => {
    nextTicket();
    return openBytes(bytes, name);
  },
  // A file of `size` bytes that write(bytes) puts straight into the module's
  // buffer (a Uint8Array over it), so it is never held twice; as open.
  openWith: (size, write, name = '') => {
    nextTicket();
    return openWritten(name, size, write);
  },
  // A file by its address, fetched as ?file= fetches it: a promise of true or false.
  openUrl: (url) => openUrl(String(url)),
  // A File (or Blob with a name), read as a picked or dropped one is.
  openFile: (file) => openPicked(file),
  state,
  bars: barRecords,
  // A Win32 virtual-key code, or a browser key name the page maps to one.
  key(code) {
    const key = typeof code === 'number' ? code : VIRTUAL_KEYS[code];
    if (key !== undefined) {
      note(`key ${key}`);
      wasm.gw_key(key);
    }
    draw();
  },
  scroll(bar, request, thumb = 0) {
    note(`scroll ${bar} ${request} ${thumb >>> 0}`);
    wasm.gw_scroll(bar, request, thumb >>> 0);
    draw();
  },
  wheel(delta) {
    note(`wheel ${delta | 0}`);
    wasm.gw_wheel(delta | 0);
    draw();
  },
  // False, the view as it was, when there is no memory for the new size.
  resize(cols, rows) {
    note(`resize ${cols >>> 0} ${rows >>> 0}`);
    const ok = wasm.gw_resize(0, cols >>> 0, rows >>> 0) === 1;
    draw();
    return refused(ok, text.noResize);
  },
  // False, the view as it was, when there is no memory for the wrapped copy.
  setWrap(flag) {
    note(`wrap ${flag ? 1 : 0}`);
    const ok = wasm.gw_set_wrap(flag ? 1 : 0) === 1;
    draw();
    return refused(ok, text.noWrap);
  },
  // View > Standard ANSI: the open file read again the standard way (or
  // Glyphora's), at its first row and column; true when it was.
  setStandard(flag) {
    note(`standard ${flag ? 1 : 0}`);
    const done = wasm.gw_set_standard(flag ? 1 : 0) === 1;
    draw();
    if (done) say(withSauce(shownName), false);
    return done;
  },
  // gallery: the pieces' paths in its order, and a piece opened by its path
  members: () => gallery.members(),
  openMember: (path) => gallery.openMember(String(path)),
};

let moduleLoaded;  // resolves once the module has loaded

async function start() {
  const moduleReady = loadModule();
  moduleLoaded = moduleReady.then(() => {}, () => {});
  // An empty ?file= names no file.
  const link = new URLSearchParams(location.search).get('file') || 'glyphora.ans';
  const opened = openUrl(link);  // fetched while the module compiles
  wireMenus();
  document.addEventListener('keydown', onKey);
  wasm = await moduleReady;
  if (testHooks) {
    testHooks.memoryBytes = () => wasm.memory.buffer.byteLength;
    testHooks.exports = wasm;
    // Kept once the changes so far have reached a frame.
    testHooks.painted = () => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
  }
  const cells = clientCells(...clientDeviceSize());
  if (wasm.gw_start(0, ...cells) !== 1) {
    say(text.cannot(address(link).name, text.memory), true);
    return;
  }
  window.glyphora = api;
  // ?standard=1: the first file, and every later one, read the standard way.
  if (new URLSearchParams(location.search).get('standard') === '1') wasm.gw_set_standard(1);
  wireInput();
  running = true;
  started();
  followClientSize(cells);  // also while a slow link is coming
  await opened;
  draw();
  performance.mark('glyphora-first-frame');
  document.body.dataset.ready = 'true';
}

start().catch((error) => {
  console.error(error);
  // A browser without WebAssembly, or a module that would not load.
  say(language === 'polish' ? 'Ta przeglądarka nie uruchomi przeglądarki obrazów.'
    : 'This browser cannot run the viewer.', true);
});
