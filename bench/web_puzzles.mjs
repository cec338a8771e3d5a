// Times puzzle making in the web page, in headless Chromium: for seeds 0..N-1 of a grade, the
// page is opened on "#puzzle=NAME" and timed from its first frame to the moment the puzzle's code
// stands in the address (the puzzle made), and from the start of the visit to that moment.
//
//   YELKO_WEB_TOOLS=build-web-tools node bench/web_puzzles.mjs PAGE_DIR [GRADE [SEEDS]]
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { loadPuppeteer, servePages } from './web_server.mjs';

const [pageDir, grade = 'hard', seedText = '20'] = process.argv.slice(2);
const puppeteer = await loadPuppeteer();
const { origin, close } = await servePages(() => pageDir);

// A puzzle's name: its grade and its seed in five digits of Crockford's base 32.
const digits = '0123456789ABCDEFGHJKMNPQRSTVWXYZ';
const nameOf = (seed) => grade + '-' + [4, 3, 2, 1, 0].map((i) => digits[(seed >> (5 * i)) & 31]).join('');

const profile = mkdtempSync(join(tmpdir(), 'yelko-bench-'));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
  userDataDir: profile, args: ['--no-sandbox'] });
const page = await browser.newPage();
await page.evaluateOnNewDocument(() => {
  (function look() {
    if (typeof YelkoPage === 'object' && YelkoPage.drawn > 0) window.firstFrameAt = performance.now();
    else requestAnimationFrame(look);
  })();
});
const making = [], visits = [];
for (let seed = 0; seed < Number(seedText); ++seed) {
  await page.goto('about:blank');
  await page.goto(origin + 'index.html#puzzle=' + nameOf(seed));
  try {
    await page.waitForFunction(() => /^#p=/.test(location.hash), { timeout: 120000, polling: 20 });
  } catch (error) {
    console.error(`${nameOf(seed)} not made in 120 s; the page says: ` +
                  await page.evaluate(() => document.getElementById('status')?.textContent));
    throw error;
  }
  if (process.env.YELKO_BENCH_VERBOSE) console.error(nameOf(seed), await page.evaluate(() => performance.now()));
  const madeAt = await page.evaluate(() => performance.now());
  const firstFrame = await page.evaluate(() => window.firstFrameAt ?? 0);
  making.push((madeAt - firstFrame) / 1000);
  visits.push(madeAt / 1000);
}
await browser.close();
rmSync(profile, { recursive: true, force: true });
close();
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return Number(sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))].toFixed(2));
};
console.log(JSON.stringify({
  grade, seeds: making.length,
  makingSeconds: { median: quantile(making, 0.5), p90: quantile(making, 0.9), max: quantile(making, 1) },
  withLoadingSeconds: { median: quantile(visits, 0.5), p90: quantile(visits, 0.9) },
}));
