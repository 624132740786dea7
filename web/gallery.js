// The gallery: a pack (a ZIP file), a folder or several files shown as one
// thumbnail per piece of art, each glyphora-shot's --thumbnail 256 picture of
// it, drawn by the module a piece at a time, the pieces in view first, so the
// page answers throughout. A piece opens in the view; n and p move to the next
// and previous piece there, Escape comes back.
import { MAX_MEMBER_BYTES, TOO_LARGE, compareBytes, isArtName, openPack, readMember } from './zip_reader.js';

export const THUMBNAIL_PX = 256;
// An item's box in CSS pixels is the thumbnail's and this much more across
// (padding and border) and down (the name and the reason below it), with GAP
// between items and around them all.
const FRAME_WIDTH = 16;
const FRAME_HEIGHT = 56;
const GAP = 8;
// Galleries of up to ALL_NODES pieces have an element for each, made
// NODES_PER_TASK at a time after those near the view; larger ones (a hostile
// pack may hold 65,535) only for the rows near the view, as laying out a
// quarter of a million elements would freeze the page for seconds.
// Thumbnails are drawn for the rows in view and AHEAD_ROWS either side, and
// for every piece of galleries of up to EAGER_ITEMS.
const ALL_NODES = 1000;
const NODES_PER_TASK = 100;
const AHEAD_ROWS = 2;
const EAGER_ITEMS = 100;

const TEXTS = {
  english: {
    pieces: (name, count) => `${name ? `${name}: ` : ''}${count} ${count === 1 ? 'piece' : 'pieces'}`,
    none: 'no art (.ans, .asc, .nfo, .diz, .txt, .ice)',
    unreadable: 'it cannot be read', memory: 'out of memory',
    dropped: 'the dropped files', label: 'Gallery',
  },
  polish: {
    pieces: (name, count) => `${name ? `${name}: ` : ''}liczba utworów: ${count}`,
    none: 'brak grafiki (.ans, .asc, .nfo, .diz, .txt, .ice)',
    unreadable: 'nie da się go odczytać', memory: 'brak pamięci',
    dropped: 'upuszczonych plików', label: 'Galeria',
  },
};

// A piece's path in the address after '#', its slashes left readable.
const pieceAddress = (path) => `#${encodeURIComponent(path).replace(/%2F/g, '/')}`;
function pieceFromAddress(hash) {
  try {
    return decodeURIComponent(hash.replace(/^#/, ''));
  } catch {
    return '';
  }
}

// host: { element, language, module() (the wasm exports), nameNext(name) (the
// name the module's next open or thumbnail reads), standard() (the
// reading thumbnails use: true for the standard one), show(bytes, name)
// (a promise of true when the view shows it), say(line, problem), fail(name,
// why), focusView() }.
export function createGallery(host) {
  const text = TEXTS[host.language] ?? TEXTS.english;
  const element = host.element;
  element.setAttribute('aria-label', text.label);
  const sizer = document.createElement('div');  // as tall as all the rows
  sizer.className = 'rows';
  // { path, why, blank, read(), index, node, state: 'waiting' | 'queued' | 'drawn' }
  let items = [];
  const live = new Set();  // items with an element
  let placedFor = '';  // the geometry the elements were placed for
  let selected = -1;
  let viewing = false;  // a piece of the gallery is in the view
  let fromAddress = false;  // the pack came by ?file=: the address names its piece
  let generation = 0;
  let queue = [];
  let pumping = false;
  let marked = {};

  // ---- Thumbnails ----

  function thumbnailOf(whole, path) {
    const wasm = host.module();
    const bytes = whole.subarray(0, wasm.gw_thumbnail_bytes() >>> 0);
    const at = wasm.gw_member_input(bytes.length) >>> 0;
    if (at === 0) return { why: text.memory };
    new Uint8Array(wasm.memory.buffer, at, bytes.length).set(bytes);
    host.nameNext(path);
    const fieldsAt = wasm.gw_thumbnail(bytes.length, THUMBNAIL_PX, host.standard() ? 1 : 0) >>> 0;
    const [width, height, pixels, why] = new Uint32Array(wasm.memory.buffer, fieldsAt, 4);
    if (pixels === 0) {
      const all = new Uint8Array(wasm.memory.buffer);
      const end = all.indexOf(0, why);
      return { why: new TextDecoder().decode(all.subarray(why, end)) };
    }
    return { width, height, rgba: new Uint8ClampedArray(wasm.memory.buffer.slice(pixels, pixels + width * height * 4)) };
  }

  // What an element shows of its item: the reason it has no thumbnail, and
  // whether it is drawn, unreadable and selected.
  function dress(item) {
    const node = item.node;
    if (!node) return;
    node.classList.toggle('unreadable', Boolean(item.why));
    node.querySelector('.why').textContent = item.why ?? item.blank ?? '';
    node.setAttribute('aria-selected', String(item.index === selected));
    if (item.state === 'drawn') node.dataset.drawn = 'true';
  }

  function paint(item, picture) {
    const canvas = item.node.querySelector('canvas');
    canvas.width = picture.width;
    canvas.height = picture.height;
    const ratio = window.devicePixelRatio || 1;
    canvas.style.width = `${picture.width / ratio}px`;
    canvas.style.height = `${picture.height / ratio}px`;
    canvas.getContext('2d', { alpha: false })
      .putImageData(new ImageData(picture.rgba, picture.width, picture.height), 0, 0);
  }

  async function draw(item) {
    let got;
    try {
      got = await item.read();
    } catch {
      got = { why: text.unreadable };
    }
    if (got.why) {
      item.why = got.why;
      return;
    }
    const picture = thumbnailOf(got.bytes, item.path);
    if (picture.why) item.blank = picture.why;
    else if (item.node) paint(item, picture);
    else item.state = 'waiting';  // scrolled away meanwhile: drawn again when back
  }

  // A small gallery has every thumbnail drawn, those in view first; a large
  // one only those in view or near it.
  function rest() {
    if (items.length > EAGER_ITEMS) return undefined;
    const item = items.find((i) => i.state === 'waiting');
    if (item) item.state = 'queued';
    return item;
  }

  // One thumbnail a task, so input is answered between any two. Marks time
  // the first thumbnail and the last of a gallery drawn whole.
  function pump() {
    if (pumping) return;
    pumping = true;
    const mine = generation;
    const step = async () => {
      if (mine !== generation) return;
      const item = queue.shift() ?? rest();
      if (!item) {
        pumping = false;
        if (!marked.all && items.every((i) => i.state === 'drawn')) {
          marked.all = true;
          performance.mark('glyphora-gallery-all-thumbnails');
        }
        return;
      }
      item.state = 'drawn';
      await draw(item);
      if (mine !== generation) return;
      dress(item);
      if (!marked.first) {
        marked.first = true;
        performance.mark('glyphora-gallery-first-thumbnail');
      }
      setTimeout(step, 0);
    };
    setTimeout(step, 0);
  }

  // ---- The items ----

  function geometry() {
    const thumb = THUMBNAIL_PX / (window.devicePixelRatio || 1);
    const width = thumb + FRAME_WIDTH;
    const height = thumb + FRAME_HEIGHT;
    const columns = Math.max(1, Math.floor((element.clientWidth - GAP) / (width + GAP)));
    return { thumb, width, height, columns };
  }

  function itemNode(item) {
    const node = document.createElement('div');
    node.className = 'piece';
    node.setAttribute('role', 'option');
    node.tabIndex = -1;
    node.dataset.name = item.path;
    node.dataset.index = String(item.index);
    node.title = item.path;
    const box = document.createElement('div');
    box.className = 'thumb';
    box.append(document.createElement('canvas'));
    const name = document.createElement('div');
    name.className = 'name';
    name.textContent = item.path;
    const why = document.createElement('div');
    why.className = 'why';
    node.append(box, name, why);
    return node;
  }

  // Elements for the items near the view (all of a small gallery), placed in
  // rows; thumbnails asked for those in view and a few rows either side.
  function render() {
    if (element.hidden) return;
    const g = geometry();
    const step = g.height + GAP;
    const key = `${g.columns} ${g.width} ${g.height}`;
    if (key !== placedFor) {
      element.style.setProperty('--thumbnail', `${g.thumb}px`);
      sizer.style.height = `${GAP + Math.ceil(items.length / g.columns) * step}px`;
    }
    const firstRow = Math.max(0, Math.floor(element.scrollTop / step) - AHEAD_ROWS);
    const lastRow = Math.floor((element.scrollTop + element.clientHeight) / step) + AHEAD_ROWS;
    const near = [firstRow * g.columns, Math.min(items.length, (lastRow + 1) * g.columns)];
    const [from, to] = items.length <= ALL_NODES ? [0, items.length] : near;
    for (const item of live) {
      if (item.index >= from && item.index < to) continue;
      item.node.remove();
      item.node = null;
      live.delete(item);
      if (item.state === 'drawn' && !item.why && !item.blank) item.state = 'waiting';
    }
    // The rows near the view first; the rest of a gallery that has an
    // element for each piece NODES_PER_TASK at a time.
    const moved = key !== placedFor;
    let budget = NODES_PER_TASK;
    const place = (i, always) => {
      const item = items[i];
      const fresh = !item.node;
      if (fresh && !always && budget-- <= 0) return;
      if (fresh) {
        item.node = itemNode(item);
        live.add(item);
        dress(item);
        sizer.append(item.node);
      }
      if (fresh || moved) {
        item.node.style.left = `${GAP + (i % g.columns) * (g.width + GAP)}px`;
        item.node.style.top = `${GAP + Math.floor(i / g.columns) * step}px`;
      }
    };
    for (let i = near[0]; i < near[1]; ++i) place(i, true);
    for (let i = from; i < to; ++i) place(i, false);
    placedFor = key;
    if (budget < 0) setTimeout(render, 0);
    queue = queue.filter((item) => {
      const keep = item.index >= near[0] && item.index < near[1];
      if (!keep) item.state = 'waiting';
      return keep;
    });
    for (let i = near[0]; i < near[1]; ++i) {
      if (items[i].state !== 'waiting') continue;
      items[i].state = 'queued';
      queue.push(items[i]);
    }
    if (queue.length || items.length <= EAGER_ITEMS) pump();
  }

  let renderAsked = false;
  function renderSoon() {
    if (renderAsked) return;
    renderAsked = true;
    requestAnimationFrame(() => {
      renderAsked = false;
      render();
    });
  }
  element.addEventListener('scroll', renderSoon);
  new ResizeObserver(renderSoon).observe(element);

  function show(name, list) {
    ++generation;
    marked = {};
    queue = [];
    pumping = false;
    live.clear();
    placedFor = '';
    items = list;
    items.forEach((item, index) => {
      item.index = index;
      item.state = 'waiting';
    });
    selected = items.length ? 0 : -1;
    viewing = false;
    sizer.replaceChildren();
    element.replaceChildren(sizer);
    element.hidden = false;
    element.scrollTop = 0;
    if (items.length === 0) {
      element.hidden = true;
      return host.fail(name ?? text.dropped, text.none);
    }
    host.say(text.pieces(name, items.length), false);
    select(0);
    return true;
  }

  // The selection, scrolled into view.
  function select(index, focus = true) {
    if (index < 0 || index >= items.length) return;
    const before = items[selected];
    selected = index;
    if (before) dress(before);
    if (element.hidden) return;
    const g = geometry();
    const top = GAP + Math.floor(index / g.columns) * (g.height + GAP);
    if (top - GAP < element.scrollTop) element.scrollTop = top - GAP;
    else if (top + g.height + GAP > element.scrollTop + element.clientHeight) {
      element.scrollTop = top + g.height + GAP - element.clientHeight;
    }
    render();
    dress(items[index]);
    if (focus) items[index].node?.focus({ preventScroll: true });
  }

  function back() {
    viewing = false;
    element.hidden = false;
    render();
    if (fromAddress) history.replaceState(null, '', location.pathname + location.search);
    select(selected);
  }

  async function open(index) {
    const item = items[index];
    if (!item) return false;
    select(index, false);
    const got = await item.read();
    if (got.why) {
      item.why = got.why;
      dress(item);
      return host.fail(item.path, got.why);
    }
    if (!(await host.show(got.bytes, item.path))) return false;
    if (items[index] !== item) return false;  // another pack came meanwhile
    viewing = true;
    element.hidden = true;
    if (fromAddress) history.replaceState(null, '', pieceAddress(item.path));
    host.focusView();
    return true;
  }

  // The next readable piece from `index` on, `step` at a time.
  function readable(index, step) {
    for (let i = index; i >= 0 && i < items.length; i += step) if (!items[i].why) return i;
    return -1;
  }

  // Keys in the grid move the selection.
  function gridKey(event) {
    const { columns } = geometry();
    const moves = { ArrowLeft: -1, ArrowRight: 1, p: -1, n: 1, ArrowUp: -columns, ArrowDown: columns,
      Home: -items.length, End: items.length };
    if (event.key === 'Enter') {
      if (selected >= 0) open(selected);
    } else if (event.key in moves) {
      select(Math.min(Math.max(selected + moves[event.key], 0), items.length - 1));
    } else {
      return null;  // the browser's: page keys scroll the gallery, Tab moves on
    }
    return true;
  }

  function viewKey(event) {
    if (event.key === 'Escape') {
      back();
      return true;
    }
    if (event.key !== 'n' && event.key !== 'p') return false;
    const next = readable(selected + (event.key === 'n' ? 1 : -1), event.key === 'n' ? 1 : -1);
    if (next >= 0) open(next);
    return true;
  }

  element.addEventListener('click', (event) => {
    const node = event.target.closest('.piece');
    if (node) open(Number(node.dataset.index));
  });
  window.addEventListener('hashchange', () => {
    if (!fromAddress || items.length === 0) return;
    const path = pieceFromAddress(location.hash);
    if (path) gallery.openMember(path);
    else if (viewing) back();
  });

  const gallery = {
    // Whether the gallery or one of its pieces is showing.
    get showing() { return items.length > 0 && (viewing || !element.hidden); },

    // A key for the gallery: true when it took it (prevented), null when the
    // browser should have it, false when the view should.
    key(event) {
      if (event.altKey || event.ctrlKey || event.metaKey || items.length === 0) return false;
      if (event.defaultPrevented || event.target.closest?.('#menubar, dialog')) return false;
      if (!element.hidden) {
        // The view behind the gallery takes no keys.
        const taken = gridKey(event);
        if (taken) event.preventDefault();
        return taken;
      }
      if (!viewing || !viewKey(event)) return false;
      event.preventDefault();
      return true;
    },

    // A ZIP pack, its bytes or a Blob; `address` when it came by ?file=.
    async openPack(data, name, address = false) {
      performance.mark('glyphora-pack-arrived');
      const pack = await openPack(data);
      if (pack.error) return host.fail(name, pack.error);
      fromAddress = address;
      const shown = show(name, pack.members.map((member) => ({
        path: member.path, why: member.why, read: () => readMember(pack, member),
      })));
      // Not waited for: the piece's open is queued behind this pack's.
      const wanted = address && pieceFromAddress(location.hash);
      if (shown && wanted) gallery.openMember(wanted);
      return shown;
    },

    // Files of a folder or a drop: [{ path, file }], art among them shown.
    openFiles(files, name) {
      performance.mark('glyphora-pack-arrived');
      fromAddress = false;
      const art = files.filter((f) => isArtName(f.path)).sort((a, b) => compareBytes(a.path, b.path));
      return show(name, art.map(({ path, file }) => ({
        path,
        why: file.size > MAX_MEMBER_BYTES ? TOO_LARGE : null,  // in the pack reader's words
        read: async () => {
          try {
            return { bytes: new Uint8Array(await file.arrayBuffer()) };
          } catch {
            return { why: text.unreadable };
          }
        },
      })));
    },

    // A file opened on its own ends the gallery.
    close() {
      ++generation;
      items = [];
      queue = [];
      live.clear();
      viewing = false;
      element.hidden = true;
      element.replaceChildren();
    },

    members: () => items.map((item) => item.path),

    openMember(path) {
      const index = items.findIndex((item) => item.path === path);
      return index < 0 ? Promise.resolve(false) : open(index);
    },
  };
  return gallery;
}

// ---- Folders and drops: the files in them, with their paths ----

// A picked folder's files (webkitRelativePath), paths within the folder.
export function pickedFolder(fileList) {
  const files = [...fileList].map((file) => ({
    path: (file.webkitRelativePath || file.name).split('/').slice(1).join('/') || file.name, file,
  }));
  const top = fileList[0]?.webkitRelativePath?.split('/')[0];
  return { files, name: top || undefined };
}

function entryFile(entry) {
  return new Promise((resolve) => entry.file(resolve, () => resolve(null)));
}

async function entryFiles(entry, path, out) {
  if (entry.isFile) {
    const file = await entryFile(entry);
    if (file) out.push({ path, file });
    return;
  }
  if (!entry.isDirectory) return;
  const reader = entry.createReader();
  for (;;) {
    const batch = await new Promise((resolve) => reader.readEntries(resolve, () => resolve([])));
    if (batch.length === 0) return;
    for (const child of batch) await entryFiles(child, path ? `${path}/${child.name}` : child.name, out);
  }
}

// A drop's files: a folder's within it when one folder is dropped alone, or
// null when the drop is one plain file (opened as ever). Without entries (a
// drop a script made), several files are taken by their names.
export async function droppedFiles(dataTransfer) {
  const files = [...dataTransfer.files];
  const entries = [...dataTransfer.items].filter((i) => i.kind === 'file')
    .map((i) => i.webkitGetAsEntry?.()).filter(Boolean);
  if (entries.length === 0 || entries.length < files.length) {
    return files.length > 1 ? { files: files.map((file) => ({ path: file.name, file })), name: undefined } : null;
  }
  if (entries.length === 1 && entries[0].isFile) return null;
  const found = [];
  if (entries.length === 1) {
    await entryFiles(entries[0], '', found);
    return { files: found, name: entries[0].name };
  }
  for (const entry of entries) await entryFiles(entry, entry.name, found);
  return { files: found, name: undefined };
}
