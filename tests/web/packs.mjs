// The page's test packs (make_test_packs.py) and what other readers list in
// them: Python's zipfile, and the native pack_list.
import { spawnSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import path from 'node:path';
import { nativeDir, root } from './browser.mjs';

export function makePacks(dir) {
  const run = spawnSync('python3', [path.join(root, 'tests/web/make_test_packs.py'), root, dir], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`make_test_packs.py: ${run.stderr}`);
}

// Python's own ZIP reader on a pack it can read: the same lines as pack_list.
export function pythonListing(file) {
  const script = `
import sys, zipfile, re
def fnv(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return '%016x' % h
with zipfile.ZipFile(sys.argv[1]) as z:
    infos = [i for i in z.infolist() if not i.filename.endswith('/')
             and re.search(r'\\.(ans|asc|nfo|diz|txt|ice)$', i.filename, re.I)]
    for i in sorted(infos, key=lambda i: i.filename.encode('utf-8')):
        data = z.read(i)
        print('%s\\tok\\t%d\\t%s' % (i.filename, len(data), fnv(data)))
`;
  const run = spawnSync('python3', ['-c', script, file], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`zipfile on ${file}: ${run.stderr}`);
  return run.stdout.split('\n').filter(Boolean);
}

// The native tests' packs (tests/packs/make_packs.py), written into `dir`.
export function makeNativePacks(dir) {
  const run = spawnSync('python3', [path.join(root, 'tests/packs/make_packs.py'), dir], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`make_packs.py: ${run.stderr}`);
}

export function nativeListing(file) {
  const tool = path.join(nativeDir, 'pack_list');
  if (!existsSync(tool)) throw new Error(`${tool} is missing: build the native preset first`);
  const run = spawnSync(tool, [file], { encoding: 'utf8', maxBuffer: 1 << 30 });
  return run.stdout.split('\n').filter(Boolean);
}
