// Times a hint in the web page, in headless Chromium: level 5 opened, the page left to settle,
// then H pressed on the board (after a first key, which starts the page's sound); from the key
// to the hint in the status line, the longest animation frame meanwhile and how many took over
// 16 ms: from the start of its callback to a message posted at its end, which comes once the work
// it set off (the game's frame runs in the promises it resolves) is done. That message waits
// behind a key's events and the next frame's callback, so a frame a key falls into counts long:
// the game's own frames are timed too, from the moment the page gives the game its turn to the
// moment the game asks for the next one (its drawing and a question's slice inside, the
// browser's painting not). Several visits; several pages take them in turn, each served from an
// origin of its own. With --after-step the hint is asked just after a step to the right (the
// frames from the arrow key on), where the position has not been searched.
//
//   YELKO_WEB_TOOLS=build-web-tools node bench/web_hint.mjs VISITS [--after-step] PAGE_DIR...
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { loadPuppeteer, servePages } from './web_server.mjs';

const [visitText, ...rest] = process.argv.slice(2);
const afterStep = rest[0] === '--after-step';
const pageDirs = afterStep ? rest.slice(1) : rest;
const puppeteer = await loadPuppeteer();
// Each page on an origin of its own: one origin would let the first page's service worker answer
// for the others.
const servers = await Promise.all(pageDirs.map((dir) => servePages(() => dir)));

const profile = mkdtempSync(join(tmpdir(), 'yelko-bench-'));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
  userDataDir: profile, args: ['--no-sandbox'] });
const page = await browser.newPage();
await page.evaluateOnNewDocument(() => {
  const request = window.requestAnimationFrame.bind(window);
  window.yelkoFrames = [];
  window.requestAnimationFrame = (callback) => request((time) => {
    const start = performance.now();
    callback(time);
    const channel = new MessageChannel();
    channel.port1.onmessage = () => window.yelkoFrames.push(performance.now() - start);
    channel.port2.postMessage(0);
  });
});
const results = Object.fromEntries(pageDirs.map((dir) => [dir, []]));
for (let visit = 0; visit < Number(visitText); ++visit) {
  for (const [n, pageDir] of pageDirs.entries()) {
    await page.goto('about:blank');
    await page.goto(servers[n].origin + 'index.html?start-level=5');
    await page.waitForFunction(() => typeof YelkoPage === 'object' && YelkoPage.drawn > 0,
                               { timeout: 60000 });
    await new Promise((done) => setTimeout(done, 3000));
    await page.focus('canvas');
    // A first key the game ignores: the page's first gesture starts its sound.
    await page.keyboard.press('x');
    await new Promise((done) => setTimeout(done, 1000));
    const asked = await page.evaluate(() => {
      window.yelkoFrames = [];
      window.gameFrames = [];
      // (Each visit loads the page afresh: its nextFrame is the page's own.)
      const next = YelkoPage.nextFrame;
      let turn = null;
      YelkoPage.nextFrame = async function (...args) {
        if (turn !== null) window.gameFrames.push(performance.now() - turn);
        await next.apply(this, args);
        turn = performance.now();
      };
      return performance.now();
    });
    if (afterStep) {
      await page.keyboard.press('ArrowRight');
      await new Promise((done) => setTimeout(done, 250));  // the step: ten frames
    }
    await page.keyboard.press('h');
    await page.waitForFunction(() => /Hint:/.test(document.getElementById('status').textContent),
                               { timeout: 60000, polling: 5 });
    results[pageDir].push(await page.evaluate((asked) => ({
      ms: performance.now() - asked, frame: Math.max(...window.yelkoFrames),
      frames: window.yelkoFrames.length, over16: window.yelkoFrames.filter((f) => f > 16).length,
      game: Math.max(...window.gameFrames), gameFrames: window.gameFrames.length,
      gameOver16: window.gameFrames.filter((f) => f > 16).length }),
    asked));
  }
}
await browser.close();
rmSync(profile, { recursive: true, force: true });
for (const server of servers) server.close();
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return Number(sorted[Math.floor(sorted.length / 2)].toFixed(1));
};
for (const [dir, visits] of Object.entries(results)) {
  console.log(JSON.stringify({ page: dir, visits: visits.length,
    hintMs: median(visits.map((v) => v.ms)),
    longestAnimationFrameMs: { median: median(visits.map((v) => v.frame)),
                               max: Number(Math.max(...visits.map((v) => v.frame)).toFixed(1)) },
    framesOver16Ms: visits.reduce((n, v) => n + v.over16, 0),
    frames: visits.reduce((n, v) => n + v.frames, 0),
    longestGameFrameMs: { median: median(visits.map((v) => v.game)),
                          max: Number(Math.max(...visits.map((v) => v.game)).toFixed(1)) },
    gameFramesOver16Ms: visits.reduce((n, v) => n + v.gameOver16, 0),
    gameFrames: visits.reduce((n, v) => n + v.gameFrames, 0) }));
}
