// Packs the page for serving, after emscripten has written index.js and index.wasm: the page
// (PAGE, index.html as configured) minified into OUT_DIR, index.js
// minified (terser: names inside functions shortened, dead code dropped), the data files into
// index.data, and the three gzipped by zopfli, which writes plain gzip a tenth smaller than
// gzip -9 (index.js.pack, index.wasm.pack, index.data.pack); the art tool's icons in OUT_DIR
// packed tighter, and sw.js with the SHA-256 of every file the service worker keeps, so that it
// takes one build whole or not at all. Needs Debian's zopfli and node-terser (make web-deps).
//
//   node pack.mjs OUT_DIR SW_TEMPLATE PAGE ICON.png... -- DATA_FILE...
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { basename, dirname, join } from 'node:path';
import zlib from 'node:zlib';

const args = process.argv.slice(2);
const [out, template, pageFile] = args;
const split = args.indexOf('--');
const icons = args.slice(3, split);
const dataFiles = args.slice(split + 1);
const deflate = (bytes) => zlib.deflateRawSync(bytes, { level: 9, memLevel: 9 });
function gzip(file) {
  const run = spawnSync('zopfli', ['-c', file], { maxBuffer: 64 << 20 });
  if (run.status !== 0) throw new Error('zopfli failed on ' + file + ': ' + (run.error || run.stderr));
  writeFileSync(file + '.pack', run.stdout);
}

// Each byte as its difference from the byte `stride` before it (0: as it is).
function delta(bytes, stride) {
  if (stride === 0) return bytes;
  const out = Buffer.from(bytes);
  for (let i = stride; i < bytes.length; ++i) out[i] = (bytes[i] - bytes[i - stride]) & 255;
  return out;
}

// The archive load.js reads: for each file its name, how it is packed (the delta stride that packs
// it best: 3-byte pixels, 8-bit sounds), its size and its bytes. (PNG's Paeth guess packed the
// pictures 2 KB tighter, but took the page 15 ms to undo before the first frame, against 3 ms.)
const parts = [];
for (const file of dataFiles) {
  const bytes = readFileSync(file);
  // The collections keep their folder: the game opens them as collections/NAME.
  const inCollections = basename(dirname(file)) === 'collections';
  const name = Buffer.from((inCollections ? 'collections/' : '') + basename(file));
  const ways = [0, 1, 3].map((stride) => ({ method: [stride], body: delta(bytes, stride) }));
  const best = ways.reduce((a, b) => (deflate(b.body).length < deflate(a.body).length ? b : a));
  const size = Buffer.alloc(4);
  size.writeUInt32LE(bytes.length, 0);
  parts.push(Buffer.from([name.length]), name, Buffer.from(best.method), size, best.body);
}
writeFileSync(join(out, 'index.data'), Buffer.concat(parts));

// The code emscripten wrote, minified: only names local to a function change (the page's and
// the runtime's global names stay, as the program's imports and the tests call them).
const require = createRequire(import.meta.url);
const terser = require(require.resolve('terser', { paths: [...(process.env.NODE_PATH || '').split(':'), '/usr/share/nodejs'] }));
const code = readFileSync(join(out, 'index.js'), 'utf8');
const minified = await terser.minify(code, { ecma: 2020, compress: { passes: 2 }, mangle: true });
if (!minified.code) throw new Error('terser could not minify index.js');
writeFileSync(join(out, 'index.js'), minified.code);
for (const name of ['index.wasm', 'index.js', 'index.data']) gzip(join(out, name));

// The page itself, served as it is, made smaller the same way: its script minified, the comments
// and runs of blanks of its style sheet dropped, and its lines' indentation.
let page = readFileSync(pageFile, 'utf8');
const script = /<script>([\s\S]*?)<\/script>/.exec(page);
const style = /<style>([\s\S]*?)<\/style>/.exec(page);
if (!script || !style) throw new Error('index.html has no <script> or <style>');
const inline = await terser.minify(script[1], { ecma: 2020, compress: { passes: 2 }, mangle: true });
if (!inline.code) throw new Error('terser could not minify the script of index.html');
const sheet = style[1].replace(/\/\*[\s\S]*?\*\//g, '').replace(/\s+/g, ' ').replace(/\s*([{};])\s*/g, '$1').replace(/: /g, ':');
page = page.replace(script[0], () => '<script>' + inline.code + '</script>')
  .replace(style[0], () => '<style>' + sheet + '</style>').replace(/\n\s+/g, '\n');
writeFileSync(join(out, 'index.html'), page);

// The art tool's PNGs (RGBA, rows unfiltered, one fixed-code deflate block) packed again, the
// same pixels: each row with the filter that leaves the smallest differences, deflated at level 9.
const crcTable = Array.from({ length: 256 }, (_, n) => {
  for (let k = 0; k < 8; ++k) n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
function crc32(bytes) {
  let c = 0xFFFFFFFF;
  for (const b of bytes) c = crcTable[(c ^ b) & 255] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}
function chunk(type, body) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(body.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
  return Buffer.concat([head, body, crc]);
}
function repack(png) {
  const header = png.subarray(16, 29);
  const width = header.readUInt32BE(0), height = header.readUInt32BE(4);
  const idat = [];
  for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at)) {
    if (png.toString('latin1', at + 4, at + 8) === 'IDAT') {
      idat.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    }
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const line = width * 4;
  if (header[8] !== 8 || header[9] !== 6 || raw.length !== (line + 1) * height) return png;
  const rows = [];
  let above = Buffer.alloc(line);
  for (let y = 0; y < height; ++y) {
    if (raw[y * (line + 1)] !== 0) return png;  // filtered already: left as it is
    const row = raw.subarray(y * (line + 1) + 1, (y + 1) * (line + 1));
    const sub = row.map((v, i) => (v - (i >= 4 ? row[i - 4] : 0)) & 255);
    const up = row.map((v, i) => (v - above[i]) & 255);
    const cost = (r) => r.reduce((sum, v) => sum + (v < 128 ? v : 256 - v), 0);
    const best = [[0, row], [1, sub], [2, up]].reduce((a, b) => (cost(b[1]) < cost(a[1]) ? b : a));
    rows.push(Buffer.from([best[0]]), best[1]);
    above = row;
  }
  return Buffer.concat([png.subarray(0, 8), chunk('IHDR', header),
                        chunk('IDAT', zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
                        chunk('IEND', Buffer.alloc(0))]);
}
for (const icon of icons) writeFileSync(icon, repack(readFileSync(icon)));

// The service worker, with the build's files and their hashes: those the page loads kept at the
// first visit, the large icon when first asked.
const sha = (name) => createHash('sha256').update(readFileSync(join(out, name))).digest('hex');
const names = ['index.html', 'index.js.pack', 'index.wasm.pack', 'index.data.pack',
               'manifest.webmanifest', 'favicon.svg', ...icons.map((icon) => basename(icon))];
const later = names.filter((name) => name === 'icon-512.png');
const files = Object.fromEntries(names.filter((name) => !later.includes(name)).map((n) => [n, sha(n)]));
const asked = Object.fromEntries(later.map((n) => [n, sha(n)]));
// The worker's own text counts too: a new worker with the old cache's name would delete the
// cache the old one still serves from when its install fails.
const worker = readFileSync(template, 'utf8');
const build = createHash('sha256').update(JSON.stringify([files, asked, worker])).digest('hex').slice(0, 16);
writeFileSync(join(out, 'sw.js'), worker
  .replace('/* FILES */ {}', JSON.stringify(files, null, 2))
  .replace('/* WHEN_ASKED */ {}', JSON.stringify(asked))
  .replace('/* BUILD */', build));
