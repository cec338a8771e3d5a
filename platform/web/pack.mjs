// Packs the page for serving, after emscripten has written index.html, index.js and index.wasm:
// the data files into index.data (and gzipped, index.data.pack), index.wasm gzipped
// (index.wasm.pack), the icons from the art tool's BMPs into PNGs, and sw.js with the SHA-256 of
// every file the service worker keeps, so that it takes one build whole or not at all.
//
//   node pack.mjs OUT_DIR SW_TEMPLATE ICON.bmp... -- DATA_FILE...
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import zlib from 'node:zlib';

const args = process.argv.slice(2);
const [out, template] = args;
const split = args.indexOf('--');
const icons = args.slice(2, split);
const dataFiles = args.slice(split + 1);
const gzip = (bytes) => zlib.gzipSync(bytes, { level: 9, memLevel: 9 });
const deflate = (bytes) => zlib.deflateRawSync(bytes, { level: 9, memLevel: 9 });

// Each byte as its difference from the byte `stride` before it (0: as it is).
function delta(bytes, stride) {
  if (stride === 0) return bytes;
  const out = Buffer.from(bytes);
  for (let i = stride; i < bytes.length; ++i) out[i] = (bytes[i] - bytes[i - stride]) & 255;
  return out;
}

// The archive load.js reads: for each file its name, the stride that packs it best (images of
// 3-byte pixels, 8-bit sounds), its size and its bytes.
const parts = [];
for (const file of dataFiles) {
  const bytes = readFileSync(file);
  const name = Buffer.from(basename(file));
  const stride = [0, 1, 3].reduce((best, s) =>
    deflate(delta(bytes, s)).length < deflate(delta(bytes, best)).length ? s : best, 0);
  const head = Buffer.alloc(6 + name.length);
  head[0] = name.length;
  name.copy(head, 1);
  head[1 + name.length] = stride;
  head.writeUInt32LE(bytes.length, 2 + name.length);
  parts.push(head, delta(bytes, stride));
}
const data = Buffer.concat(parts);
writeFileSync(join(out, 'index.data'), data);
writeFileSync(join(out, 'index.data.pack'), gzip(data));
writeFileSync(join(out, 'index.wasm.pack'), gzip(readFileSync(join(out, 'index.wasm'))));

// A 24-bit BMP as a PNG, each row with the filter that leaves the smallest differences.
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
function png(bmp) {
  const offset = bmp.readUInt32LE(10), width = bmp.readInt32LE(18), height = bmp.readInt32LE(22);
  const stride = (width * 3 + 3) & ~3, line = width * 3;
  const rows = [];
  let above = Buffer.alloc(line);
  for (let y = 0; y < height; ++y) {
    const at = offset + (height - 1 - y) * stride;
    const row = Buffer.alloc(line);
    for (let i = 0; i < line; i += 3) {
      row[i] = bmp[at + i + 2];
      row[i + 1] = bmp[at + i + 1];
      row[i + 2] = bmp[at + i];
    }
    const sub = row.map((v, i) => (v - (i >= 3 ? row[i - 3] : 0)) & 255);
    const up = row.map((v, i) => (v - above[i]) & 255);
    const cost = (r) => r.reduce((sum, v) => sum + (v < 128 ? v : 256 - v), 0);
    const choices = [[0, row], [1, sub], [2, up]];
    const [filter, bytes] = choices.reduce((a, b) => (cost(b[1]) < cost(a[1]) ? b : a));
    rows.push(Buffer.from([filter]), bytes);
    above = row;
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);  // 8 bits, RGB
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
                        chunk('IDAT', zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
                        chunk('IEND', Buffer.alloc(0))]);
}
for (const icon of icons) {
  writeFileSync(join(out, basename(icon).replace(/\.bmp$/, '.png')), png(readFileSync(icon)));
}

// The service worker, with the build's files and their hashes.
const kept = ['index.html', 'index.js', 'index.wasm.pack', 'index.data.pack',
              'manifest.webmanifest', 'favicon.svg',
              ...icons.map((icon) => basename(icon).replace(/\.bmp$/, '.png'))];
const files = Object.fromEntries(kept.map((name) =>
  [name, createHash('sha256').update(readFileSync(join(out, name))).digest('hex')]));
const build = createHash('sha256').update(JSON.stringify(files)).digest('hex').slice(0, 16);
writeFileSync(join(out, 'sw.js'), readFileSync(template, 'utf8')
  .replace('/* FILES */ {}', JSON.stringify(files, null, 2)).replace('/* BUILD */', build));
