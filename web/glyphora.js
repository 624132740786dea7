// Glyphora in the browser: the page is the program's window. Every request
// goes to the program's own Viewer in glyphora.wasm; this script only turns
// browser events into the window messages' requests, and shows what the
// Viewer presented (the canvas) and its scroll bars' records (the bars).

import { createGallery, droppedFiles, pickedFolder } from './gallery.js';

const CELL_WIDTH = 8;
const CELL_HEIGHT = 16;
const ABOUT_COLS = 45;
const ABOUT_ROWS = 16;
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

// The program's menus, word for word, and the page's own one-line messages.
const TEXTS = {
  english: {
    'menu-file': 'File', 'item-open': 'Open...', 'menu-view': 'View', 'item-wrap': 'Wrap lines',
    'item-standard': 'Standard ANSI', 'menu-help': 'Help', 'item-about': 'About...', 'item-open-folder': 'Open folder…',
    'about-keys': 'Gallery (a .zip, a folder or several files): Enter or a click opens a piece, n and p the next '
      + 'and previous one, Escape goes back to the gallery.',
    cannot: (name, why) => `Cannot open ${name}: ${why}.`,
    memory: 'there is not enough memory for it', large: 'it is larger than the viewer can take',
    unreadable: 'it cannot be read', fetch: 'the browser could not fetch it',
    status: (code) => `the server answered ${code}`, unnamed: 'the file',
  },
  polish: {
    'menu-file': 'Plik', 'item-open': 'Otwórz...', 'menu-view': 'Widok', 'item-wrap': 'Zawijaj wiersze',
    'item-standard': 'Standardowe ANSI', 'menu-help': 'Pomoc', 'item-about': 'O programie...', 'item-open-folder': 'Otwórz folder…',
    'about-keys': 'Galeria (plik .zip, folder lub kilka plików): Enter lub kliknięcie otwiera utwór, n i p '
      + 'następny i poprzedni, Escape wraca do galerii.',
    cannot: (name, why) => `Nie można otworzyć ${name}: ${why}.`,
    memory: 'brak pamięci', large: 'plik jest większy, niż przeglądarka obrazów przyjmie',
    unreadable: 'nie da się go odczytać', fetch: 'przeglądarka nie mogła go pobrać',
    status: (code) => `serwer odpowiedział ${code}`, unnamed: 'pliku',
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
let shownPresent = -1;
// Opens wait for the module and the view (started() lets them through), then
// for each other: the module's input buffer is shared.
let started;
let opening = new Promise((resolve) => { started = resolve; });
// Opens asked for so far: a fetch that ends after a later open was asked for
// (a slow ?file= link, then a drop) is not shown over it.
let requested = 0;
let running = false;  // the module loaded and the view started
let wheelRest = 0;  // the wheel's turn not yet handed on: less than a notch
let shownFile = '';  // the name (a gallery piece's path) of the file in the view

// ---- Gallery: packs, folders and drops of several files (gallery.js) ----
let galleryOpening = false;  // the open under way is a gallery piece's
const isPack = (name) => /\.zip$/i.test(name);
const gallery = createGallery({
  element: document.getElementById('gallery'),
  language,
  module: () => wasm,
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

const state = () => ({ ...readState().state, file: shownFile });
const barRecords = () => readState().bars;

// The presented image into a canvas whose every pixel is one device pixel;
// converted only when it is not the one the canvas already holds.
function showImage(view, target, { width, height, present }, shown) {
  if (target.width !== width || target.height !== height) {
    target.width = width;
    target.height = height;
    shown = -1;
  }
  const ratio = window.devicePixelRatio || 1;
  target.style.width = `${width / ratio}px`;
  target.style.height = `${height / ratio}px`;
  if (width > 0 && height > 0 && present !== shown) {
    const pixels = wasm.gw_pixels(view) >>> 0;
    if (pixels !== 0) {
      const rgba = new Uint8ClampedArray(wasm.memory.buffer, pixels, width * height * 4);
      target.getContext('2d', { alpha: false }).putImageData(new ImageData(rgba, width, height), 0, 0);
    }
  }
  return present;
}

function draw() {
  const { state: s, image, bars } = readState();
  shownPresent = showImage(0, canvas, image, shownPresent);
  drawBar($('hbar'), bars.horizontal, HORIZONTAL);
  drawBar($('vbar'), bars.vertical, VERTICAL);
  $('item-wrap').setAttribute('aria-checked', String(s.wrap));
  $('item-standard').setAttribute('aria-checked', String(s.standard));
}

// ---- Scroll bars, drawn from the virtual window's records ----

function barGeometry(element, record, bar) {
  const track = element.querySelector('.track');
  const length = bar === VERTICAL ? track.clientHeight : track.clientWidth;
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
  thumb.style[bar === VERTICAL ? 'top' : 'left'] = `${g.offset}px`;
  thumb.style[bar === VERTICAL ? 'height' : 'width'] = `${g.thumb}px`;
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
}

// ---- Opening ----

function say(line, problem) {
  status.textContent = line;
  status.classList.toggle('problem', problem);
}

function fail(name, why) {
  say(text.cannot(name || text.unnamed, why), true);
  return false;
}

// Opens `size` bytes that `fill` writes into the buffer the module hands out.
function openInto(name, size, fill) {
  if (size > wasm.gw_max_file_size() >>> 0) return fail(name, text.large);
  const at = wasm.gw_input(size) >>> 0;
  if (at === 0) return fail(name, text.memory);
  return fill(at);
}

function finishOpen(name, size) {
  const opened = wasm.gw_open(0, size) === 1;
  draw();
  if (!opened) return fail(name, text.memory);
  shownFile = name;
  say(withSauce(name), false);
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

// Opens `size` bytes that write(target) puts into the module's buffer (a
// Uint8Array over it).
function openWritten(name, size, write) {
  return openInto(name, size, (at) => {
    write(new Uint8Array(wasm.memory.buffer, at, size));
    return finishOpen(name, size);
  });
}

function openBytes(bytes, name = '') {
  const view = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  return openWritten(name, view.length, (target) => target.set(view));
}

// A file is read straight into the module's buffer, a piece at a time, so a
// large one is never held twice. An open asked for meanwhile (ticket no longer
// the last) takes that buffer, so the reading stops there and shows nothing.
function openFile(file, ticket) {
  return openInto(file.name, file.size, async (at) => {
    let filled = 0;
    try {
      const reader = file.stream().getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (ticket !== requested) {
          reader.cancel().catch(() => {});
          return false;
        }
        if (done) break;
        if (filled + value.length > file.size) throw new Error('the file grew');
        bytesOf().set(value, at + filled);
        filled += value.length;
      }
    } catch {
      return ticket === requested && fail(file.name, text.unreadable);
    }
    return finishOpen(file.name, filled);
  });
}

async function fetchBytes(url) {
  let response;
  try {
    response = await fetch(url);
  } catch {
    return { why: text.fetch };
  }
  if (!response.ok) return { why: text.status(response.status) };
  try {
    return { bytes: new Uint8Array(await response.arrayBuffer()) };
  } catch {
    return { why: text.unreadable };
  }
}

// A link's address, relative to the page's, and the name messages give it.
function address(link) {
  let url;
  try {
    url = new URL(link, location.href);
  } catch {
    return { name: link, why: text.fetch };
  }
  const last = url.pathname.split('/').pop();
  let name;
  try {
    name = decodeURIComponent(last);
  } catch {
    name = last;  // a stray % is a name all the same
  }
  return { url, name: name || url.href };
}

// The fetch runs outside the queue, so a link that is slow to answer holds
// back no later open; its file is shown only if nothing was asked for since.
async function openUrl(link) {
  const ticket = ++requested;
  const { url, name, why } = address(link);
  const got = why ? { why } : await fetchBytes(url);
  return queued(() => {
    if (ticket !== requested) return false;
    if (got.bytes && isPack(name)) return gallery.openPack(got.bytes, name, true);  // gallery
    return got.bytes ? openBytes(got.bytes, name) : fail(name, got.why);
  });
}

function openPicked(file) {
  const ticket = ++requested;
  // gallery: a pack is read from the file as its members are needed
  const open = isPack(file.name) ? () => gallery.openPack(file, file.name) : () => openFile(file, ticket);
  queued(() => (ticket === requested ? open() : false));
}

// gallery: a folder's or a drop's files
function openFolder({ files, name }) {
  const ticket = ++requested;
  queued(() => (ticket === requested ? gallery.openFiles(files, name) : false));
}

// One open at a time, once the view has started.
function queued(work) {
  const next = opening.then(work, work);
  opening = next.then(() => {}, () => {});
  return next;
}

// ---- Menus, the About box, keys, the wheel, drops ----

function closeMenus() {
  for (const menu of document.querySelectorAll('.menu.open')) menu.classList.remove('open');
}

function wireMenus() {
  for (const [id, label] of Object.entries(text)) {
    if (typeof label === 'string' && $(id)) $(id).textContent = label;
  }
  document.documentElement.lang = language === 'polish' ? 'pl' : 'en';
  for (const menu of document.querySelectorAll('.menu')) {
    const title = menu.firstElementChild;
    title.addEventListener('click', () => {
      const open = menu.classList.contains('open');
      closeMenus();
      if (!open) menu.classList.add('open');
    });
    title.addEventListener('pointerenter', () => {
      if (document.querySelector('.menu.open') && !menu.classList.contains('open')) {
        closeMenus();
        menu.classList.add('open');
      }
    });
  }
  document.addEventListener('pointerdown', (event) => {
    if (!event.target.closest('.menu')) closeMenus();
  });
  $('item-open').addEventListener('click', () => { closeMenus(); $('picker').click(); });
  // The menus are there (and in their language) before the view is.
  $('item-wrap').addEventListener('click', () => { closeMenus(); if (running) api.setWrap(!state().wrap); });
  $('item-standard').addEventListener('click', () => {
    closeMenus();
    if (running) api.setStandard(!state().standard);
  });
  $('item-about').addEventListener('click', () => { closeMenus(); if (running) showAbout(); });
  $('picker').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openPicked(file);
  });
  // gallery: a folder
  $('item-open-folder').addEventListener('click', () => { closeMenus(); $('folder-picker').click(); });
  $('folder-picker').addEventListener('change', (event) => {
    const folder = pickedFolder(event.target.files);
    event.target.value = '';
    openFolder(folder);
  });
}

let aboutShown = -1;
async function showAbout() {
  const dialog = $('about');
  if (aboutShown < 0) {
    // The About picture is the program's own art drawn by a second view of
    // exactly its size, as the program's picture was made.
    if (wasm.gw_start(1, ABOUT_COLS, ABOUT_ROWS) !== 1) return;
    // Queued as every open is: the input buffer may be filling with a file.
    await queued(async () => {
      const got = await fetchBytes('about.ans');
      const at = got.bytes ? wasm.gw_input(got.bytes.length) >>> 0 : 0;
      if (at === 0) return;
      bytesOf().set(got.bytes, at);
      wasm.gw_open(1, got.bytes.length);
    });
  }
  aboutShown = showImage(1, $('about-art'), readState(1).image, aboutShown);
  dialog.showModal();
  $('about-ok').focus();
}

function wireInput() {
  document.addEventListener('keydown', (event) => {
    if ($('about').open) return;
    if (gallery.key(event) !== false) return;  // gallery: its grid, or n, p and Escape on a piece
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    const key = VIRTUAL_KEYS[event.key] ?? VIRTUAL_KEYS[event.code];
    if (key === undefined) return;
    event.preventDefault();
    closeMenus();
    api.key(key);
  });
  $('window').addEventListener('wheel', (event) => {
    if (event.ctrlKey) return;  // the browser's zoom
    if (event.target.closest('#gallery')) return;  // gallery: it scrolls as any page does
    event.preventDefault();
    // Browsers still give the delta WM_MOUSEWHEEL carries (120 a notch, up
    // positive) as wheelDeltaY; without it, it is made from deltaY, where down
    // the page is a turn toward the user: negative.
    const notches = event.deltaMode === 0 ? event.deltaY / PIXELS_PER_NOTCH
      : event.deltaMode === 1 ? event.deltaY / LINES_PER_NOTCH : event.deltaY;
    const delta = event.wheelDeltaY || -notches * WHEEL_DELTA;
    // A touchpad turns in steps far smaller than a notch, each of which the
    // program's rule would drop: they are added up here, and handed on in
    // whole notches, as Windows means high-resolution wheels to be read. A
    // turn the other way starts afresh.
    if (Math.sign(delta) !== Math.sign(wheelRest)) wheelRest = 0;
    wheelRest += delta;
    const whole = Math.trunc(wheelRest / WHEEL_DELTA) * WHEEL_DELTA;
    if (whole === 0) return;
    wheelRest -= whole;
    api.wheel(Math.max(-MAX_WHEEL_DELTA, Math.min(MAX_WHEEL_DELTA, whole)));
  }, { passive: false });
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
}

// ---- For tests and pages that embed the viewer ----

// Every request is also noted in `record` when a caller sets it to an array
// (tests replay them on the native Viewer), in the replay's words.
function note(request) {
  if (Array.isArray(api.record)) api.record.push(request);
}

const api = {
  record: null,
  // Bytes of a file (Uint8Array or ArrayBuffer): true when shown; on false the
  // view is as it was and the status line says why.
  open: (bytes, name = '') => {
    ++requested;
    return openBytes(bytes, name);
  },
  // A file of `size` bytes that write(bytes) puts straight into the module's
  // buffer (a Uint8Array over it), so it is never held twice; as open.
  openWith: (size, write, name = '') => {
    ++requested;
    return openWritten(name, size, write);
  },
  // A file by its address, fetched as ?file= fetches it: a promise of true or false.
  openUrl: (url) => openUrl(String(url)),
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
  resize(cols, rows) {
    note(`resize ${cols >>> 0} ${rows >>> 0}`);
    wasm.gw_resize(0, cols >>> 0, rows >>> 0);
    draw();
  },
  setWrap(flag) {
    note(`wrap ${flag ? 1 : 0}`);
    wasm.gw_set_wrap(flag ? 1 : 0);
    draw();
  },
  // View > Standard ANSI: the open file read again the standard way (or
  // Glyphora's), at its first row and column; true when it was.
  setStandard(flag) {
    note(`standard ${flag ? 1 : 0}`);
    const done = wasm.gw_set_standard(flag ? 1 : 0) === 1;
    draw();
    if (done) say(withSauce(shownFile), false);
    return done;
  },
  memoryBytes: () => wasm.memory.buffer.byteLength,
  // gallery: the pieces' paths in its order, and a piece opened by its path
  members: () => gallery.members(),
  openMember: (path) => gallery.openMember(String(path)),
};

async function start() {
  const moduleReady = loadModule();
  // An empty ?file= names no file.
  const link = new URLSearchParams(location.search).get('file') || 'glyphora.ans';
  const shown = openUrl(link);  // fetched while the module compiles
  wireMenus();
  wasm = await moduleReady;
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
  await shown;
  draw();
  performance.mark('glyphora-first-frame');
  document.body.dataset.ready = 'true';
}

start().catch(() => {
  // A browser without WebAssembly, or a module that would not load.
  say(language === 'polish' ? 'Ta przeglądarka nie uruchomi przeglądarki obrazów.'
    : 'This browser cannot run the viewer.', true);
});
