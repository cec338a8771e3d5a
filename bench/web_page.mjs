// Measures the web page in headless Chromium: the bytes of a first visit from a static server
// without compression and with gzip, the time to the game's first frame on a cold visit
// (median of five, each in a fresh browser profile), and the CPU that Chromium (all its
// processes) uses over five seconds with the game at rest. Given several pages (this build and
// an earlier one), it takes their cold visits in turn, so that the machine's load weighs on
// each alike.
//
//   YELKO_WEB_TOOLS=build-web-tools node bench/web_page.mjs PAGE_DIR...
import { createRequire } from 'node:module';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';

const pageDirs = process.argv.slice(2);
let pageDir = pageDirs[0];
const require = createRequire(resolve(process.env.YELKO_WEB_TOOLS, 'node_modules') + '/');
const puppeteer = (await import(pathToFileURL(require.resolve('puppeteer-core')))).default;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.svg': 'image/svg+xml', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
const compressible = new Set(['.html', '.js', '.svg', '.webmanifest', '.wasm', '.data', '']);
let served = 0, gzipping = false;
const server = createServer((req, res) => {
  const path = new URL(req.url, 'http://x').pathname;
  const file = join(pageDir, path === '/' ? 'index.html' : path);
  if (!existsSync(file)) return res.writeHead(404).end();
  // As Python's http.server: Last-Modified, and 304 when the browser has the file already.
  const modified = statSync(file).mtime.toUTCString();
  if (req.headers['if-modified-since'] === modified) return res.writeHead(304).end();
  let body = readFileSync(file);
  const headers = { 'Content-Type': types[extname(file)] || 'application/octet-stream',
                    'Last-Modified': modified };
  if (gzipping && compressible.has(extname(file)) && /gzip/.test(req.headers['accept-encoding'] || '')) {
    body = zlib.gzipSync(body, { level: 6 });
    headers['Content-Encoding'] = 'gzip';
  }
  served += body.length;
  res.writeHead(200, headers);
  res.end(body);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}/`;

// CPU seconds of a process and all its descendants (Linux /proc).
function cpuSeconds(root) {
  const processes = new Map();  // pid -> [parent, cpu seconds]
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'utf8').split(') ')[1].split(' ');
      processes.set(Number(entry), [Number(stat[1]), (Number(stat[11]) + Number(stat[12])) / 100]);
    } catch (error) { /* gone meanwhile */ }
  }
  let total = 0;
  for (const [pid, [, cpu]] of processes) {
    for (let p = pid; p > 1 && processes.has(p); p = processes.get(p)[0]) {
      if (p === root) {
        total += cpu;
        break;
      }
    }
  }
  return total;
}

async function visit(gzip, measureIdle) {
  const profile = mkdtempSync(join(tmpdir(), 'yelko-bench-'));
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
    userDataDir: profile, args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  gzipping = gzip;
  served = 0;
  // The page's time at the first refresh after the game's first picture (counted in `drawn`;
  // earlier pages counted them in `frames`).
  await page.evaluateOnNewDocument(() => {
    (function look() {
      if (typeof YelkoPage === 'object' && (YelkoPage.drawn ?? YelkoPage.frames) > 0) {
        window.firstFrameAt = performance.now();
      } else requestAnimationFrame(look);
    })();
  });
  await page.goto(origin, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => window.firstFrameAt, { timeout: 30000 });
  const firstFrame = await page.evaluate(() => window.firstFrameAt);
  if (process.env.YELKO_BENCH_VERBOSE) {
    console.log(await page.evaluate(() => performance.getEntriesByType('resource')
      .map((e) => `${e.name.replace(/.*\//, '')} ${Math.round(e.startTime)}-${Math.round(e.responseEnd)}`).join(', ')), Math.round(firstFrame));
  }
  // A page with a service worker: until it has kept the build (a page without one: 3 s).
  await page.evaluate(() => Promise.race([navigator.serviceWorker.ready,
                                          new Promise((resolve) => setTimeout(resolve, 3000))]));
  await sleep(1500);
  const bytes = served;
  let idle = null;
  if (measureIdle) {
    const pid = browser.process().pid, cpu0 = cpuSeconds(pid);
    await sleep(5000);
    idle = (cpuSeconds(pid) - cpu0) / 5 * 100;
  }
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
  return { bytes, firstFrame, idle };
}

const results = pageDirs.map(() => ({ plain: [] }));
for (let i = 0; i < 5; ++i) {
  for (const [at, dir] of pageDirs.entries()) {
    pageDir = dir;
    results[at].plain.push(await visit(false, i === 0));
  }
}
for (const [at, dir] of pageDirs.entries()) {
  pageDir = dir;
  const { plain } = results[at];
  const gzipped = await visit(true, false);
  const times = plain.map((v) => v.firstFrame).sort((a, b) => a - b);
  console.log(JSON.stringify({
    page: dir, firstVisitBytes: plain[0].bytes, firstVisitBytesGzip: gzipped.bytes,
    firstFrameMs: { median: Math.round(times[2]), all: times.map(Math.round) },
    idleCpuPercent: Number(plain[0].idle.toFixed(1)),
  }));
}
server.close();
