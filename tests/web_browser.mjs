// The page in headless Chromium, driven as a player would through puppeteer-core. Called by
// web_browser_test.sh, which makes the reference frames with the headless replay runner.
//
//   node web_browser.mjs PAGE_DIR WORK_DIR
//
// WORK_DIR holds: solution.txt (level 1's moves, e.g. RRRRRRRD), first2.txt (level 2's first
// move), start1.bmp, start2.bmp, solved1.bmp, moved1.bmp (level 1 after the first move),
// opened.bmp (opened.dat at its start), opened.dat and touched.bmp (level 1's editor after a
// left click at 100,100 and a right one at 260,180). A frame that differs is saved there as
// failed.png. Exits 1 on the first failure, saying what failed.
import { createRequire } from 'node:module';
import { existsSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join, extname } from 'node:path';
import { pathToFileURL } from 'node:url';

const [pageDir, work] = process.argv.slice(2);
const require = createRequire(join(process.env.YELKO_WEB_TOOLS, 'node_modules') + '/');
const puppeteer = (await import(pathToFileURL(require.resolve('puppeteer-core')))).default;
const fail = (what) => {
  console.log('FAIL: ' + what);
  process.exit(1);
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A static server for the page, on a port of its own.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.svg': 'image/svg+xml' };
const server = createServer((req, res) => {
  const path = new URL(req.url, 'http://x').pathname;
  const file = join(pageDir, path === '/' ? 'index.html' : path);
  try {
    const body = readFileSync(file);
    res.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
    res.end(body);
  } catch (error) {
    res.writeHead(404).end();
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}/`;

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: join(work, 'profile'),
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});
const timer = setTimeout(() => fail('the browser test took longer than 4 minutes'), 240000);

// Everything that goes wrong in a page is a failure: console errors, uncaught exceptions,
// failed requests.
const problems = [];
async function openPage(viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on('console', (m) => { if (m.type() === 'error') problems.push('console: ' + m.text()); });
  page.on('pageerror', (e) => problems.push('exception: ' + e.message));
  page.on('requestfailed', (r) => problems.push('request failed: ' + r.url()));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(r.status() + ' ' + r.url()); });
  return page;
}
const noProblems = (when) => { if (problems.length) fail(when + ': ' + problems.join('; ')); };

const frames = (page) => page.evaluate(() => YelkoPage.frames);
const gameOver = (page) => page.evaluate(() => YelkoPage.gameOver);
async function waitFrames(page, count) {
  const until = (await frames(page)) + count;
  try {
    await page.waitForFunction((n) => YelkoPage.frames >= n, { timeout: 20000 }, until);
  } catch (error) {
    fail((await gameOver(page)) ? 'the game ended unasked' : 'the game ran no frame for 20 s');
  }
}
async function load(page, url) {
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => typeof YelkoPage === 'object' && YelkoPage.frames > 0,
                             { timeout: 30000 });
  await waitFrames(page, 20);
}
async function press(page, key, count = 10) {
  await page.keyboard.press(key);
  await waitFrames(page, count);
}
const shown = (page, id) => page.evaluate((i) => !document.getElementById(i).hidden, id);

// The canvas's pixels (RGBA) against a 24-bit BMP of the replay runner: the count that differ.
const canvasPixels = (page) => page.evaluate(() => {
  const c = YelkoPage.canvas;
  return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data);
});
async function differingPixels(page, file) {
  const b = readFileSync(join(work, file));
  const offset = b.readUInt32LE(10), width = b.readInt32LE(18), height = b.readInt32LE(22);
  const got = await canvasPixels(page);
  if (got.length !== width * height * 4) return Infinity;
  let differ = 0;
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const at = offset + (height - 1 - y) * ((width * 3 + 3) & ~3) + x * 3, to = (y * width + x) * 4;
      if (got[to] !== b[at + 2] || got[to + 1] !== b[at + 1] || got[to + 2] !== b[at]) ++differ;
    }
  }
  return differ;
}
async function expectFrame(page, file, what) {
  const differ = await differingPixels(page, file);
  if (differ === 0) return;
  await page.screenshot({ path: join(work, 'failed.png') });
  fail(`${what}: ${differ} canvas pixels differ from the replay's ${file}`);
}

// One move: the arrow held for a few frames, then the ten frames of the walk.
async function move(page, letter) {
  const arrow = { L: 'ArrowLeft', U: 'ArrowUp', R: 'ArrowRight', D: 'ArrowDown' }[letter];
  await page.keyboard.down(arrow);
  await waitFrames(page, 4);
  await page.keyboard.up(arrow);
  await waitFrames(page, 9);
}
const menuItem = (page, id, state) => page.evaluate(
  (i, s) => document.querySelector(`#menubar .item[data-id="${i}"]`).classList.contains(s),
  id, state);
const status = (page) => page.evaluate(() => document.getElementById('status').textContent);

// ---- Level 1 as the replay shows it, no error, the icon served, no touch buttons.
const page = await openPage({ width: 1280, height: 800 });
await load(page, origin);
noProblems('loading the page');
const icon = await page.evaluate(() => fetch(document.querySelector('link[rel=icon]').href)
                                         .then((r) => r.status));
if (icon !== 200) fail('the icon answered ' + icon);
await expectFrame(page, 'start1.bmp', 'level 1 at its start');
if (!(await menuItem(page, 22, 'disabled'))) fail('Level 2 is enabled before level 1 is solved');
if (await shown(page, 'touchkeys')) fail('touch buttons on a screen without touch');

// ---- Level 1's shortest solution on the arrow keys: WELL DONE, applause, Level 2 enabled;
// kept over a reload, which starts at level 2.
const solution = readFileSync(join(work, 'solution.txt'), 'utf8').trim();
for (const letter of solution) await move(page, letter);
await waitFrames(page, 90);
await expectFrame(page, 'solved1.bmp', 'level 1 after its solution');
const played = await page.evaluate(() => YelkoPage.played.join(' '));
if (!played.includes('bifald.wav')) fail('no applause after the solve (played: ' + played + ')');
if (await menuItem(page, 22, 'disabled')) fail('Level 2 is not enabled in the menu after the solve');
await load(page, origin);
await expectFrame(page, 'start2.bmp', 'level 2 after a reload');

// ---- The status line follows a move, and Z undoes it.
const before = await status(page);
if (!/Level 2/.test(before)) fail('the status line does not name level 2: ' + before);
await move(page, readFileSync(join(work, 'first2.txt'), 'utf8').trim());
if ((await status(page)) === before) fail('the status line did not change after a move');
await press(page, 'KeyZ', 15);
await expectFrame(page, 'start2.bmp', 'level 2 after a move and its undo');

// ---- The menu: File > Levels > Level 1 (a desktop's clicks); the About box holds the game.
await page.click('#menubar .title:nth-child(1)');
await page.hover('#menubar .item.sub');
await page.click('#menubar .item[data-id="21"]');
await waitFrames(page, 10);
await expectFrame(page, 'start1.bmp', 'level 1 chosen from the menu');
if (!(await menuItem(page, 21, 'checked'))) fail('Level 1 is not checked in the menu while played');
await page.click('#menubar .title:nth-child(3)');  // Help, after File and View
await page.click('#menubar .item[data-id="4"]');
await page.waitForSelector('#shade:not([hidden])');
const held = await frames(page);
await sleep(300);
if ((await frames(page)) !== held) fail('frames ran while the About box was open');
const about = await page.evaluate(() => document.getElementById('box-text').textContent);
if (!about.includes('Collect the balls')) fail('the About box says: ' + about);
await press(page, 'Escape');
if (await gameOver(page)) fail('Escape closing the About box ended the game');

// ---- The editor (which starts from an empty board): paint and place, save; after a reload L
// loads the same level, and "Download level.dat" hands it over byte for byte.
await press(page, 'KeyD', 5);
const blank = await canvasPixels(page);
const box = await page.evaluate(() => {
  const r = YelkoPage.canvas.getBoundingClientRect();
  return { x: r.left, y: r.top, scale: r.width / 560 };
});
// Land on four cells; the Player (a right click) on one, a ball (two right clicks) on another.
for (const [c, r, button] of [[3, 3, 'left'], [4, 3, 'left'], [5, 3, 'left'], [3, 4, 'left'],
                              [4, 3, 'right'], [5, 3, 'right'], [5, 3, 'right']]) {
  await page.mouse.click(box.x + (c * 40 + 20) * box.scale, box.y + (r * 40 + 20) * box.scale,
                         { button });
  await waitFrames(page, 3);
}
const edited = await canvasPixels(page);
if (edited.every((v, i) => v === blank[i])) fail('the editor clicks changed nothing');
await press(page, 'KeyS');
await load(page, origin);
await press(page, 'KeyD', 5);
await press(page, 'KeyL', 5);
const loaded = await canvasPixels(page);
const differ = loaded.filter((v, i) => v !== edited[i]).length;
if (differ !== 0) fail(`after a reload L shows a level that differs in ${differ} bytes from the saved one`);
const downloads = join(work, 'downloads');
await (await page.createCDPSession()).send('Browser.setDownloadBehavior',
                                            { behavior: 'allow', downloadPath: downloads });
await page.click('#download');
const saved = Buffer.from(await page.evaluate(() => Array.from(FS.readFile('/game/level.dat'))));
const file = join(downloads, 'level.dat');
for (let i = 0; i < 50 && !existsSync(file); ++i) await sleep(100);
if (saved.length !== 300 || !existsSync(file) || !readFileSync(file).equals(saved)) {
  fail('Download level.dat did not give the saved 300-byte level');
}
// Escape means nothing in the editor; tapped there, it must not end the game once play resumes.
await press(page, 'Escape', 5);
await press(page, 'Enter');
if (await gameOver(page)) fail('Escape tapped in the editor ended the game later');

// ---- "Open level…": a file from disk played as level 0.
const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
await Promise.all([page.waitForNavigation(), chooser.accept([join(work, 'opened.dat')])]);
await page.waitForFunction(() => YelkoPage.frames > 20, { timeout: 30000 });
await expectFrame(page, 'opened.bmp', 'the opened level');
if (!page.url().includes('start-level=0')) fail('the opened level is not played as level 0');

// ---- Escape ends the game; the page offers to start again.
await page.keyboard.press('Escape');
await page.waitForSelector('#ended:not([hidden])', { timeout: 5000 });
await page.click('#again');
await page.waitForFunction(() => YelkoPage.frames > 20 && !YelkoPage.gameOver, { timeout: 30000 });
noProblems('playing on a desktop');
await page.close();

// ---- A browser that refuses storage, on a 120 Hz display: the game keeps its own 60 frames per
// second (faster would be following the display's refresh instead of its clock), and says once,
// in the page and not in a box, that it cannot keep the progress.
const fast = await openPage({ width: 1280, height: 800 });
await fast.evaluateOnNewDocument(() => {
  indexedDB.open = () => { throw new Error('storage refused'); };
  window.requestAnimationFrame = (cb) => setTimeout(() => cb(performance.now()), 1000 / 120);
});
await load(fast, origin);
const f0 = await frames(fast), t0 = Date.now();
await sleep(3000);
const rate = ((await frames(fast)) - f0) * 1000 / (Date.now() - t0);
if (rate > 70) fail(`the game ran ${rate.toFixed(1)} frames per second at 120 Hz`);
await press(fast, 'KeyD', 5);
await press(fast, 'KeyS');  // a save that cannot be kept
if (!(await shown(fast, 'notice'))) fail('no word in the page that the progress cannot be kept');
if (await shown(fast, 'shade')) fail('the failure to keep a save opened a box');
noProblems('without storage');
await fast.close();

// ---- A phone held upright: the board fits, the touch buttons show, a swipe walks one cell,
// the Restart button restarts; in the editor, on a board shown at 374 of its 560 pixels, a tap
// paints and a long press places.
const phone = await openPage({ width: 390, height: 844, isMobile: true, hasTouch: true,
                               deviceScaleFactor: 2 });
await load(phone, origin + '?start-level=1');
const fit = await phone.evaluate(() => YelkoPage.canvas.getBoundingClientRect().toJSON());
if (fit.left < 0 || fit.right > 390 || fit.bottom > 844) fail('the board does not fit the phone: ' + JSON.stringify(fit));
if (!(await shown(phone, 'touchkeys'))) fail('no touch buttons on a touch screen');
const swipe = { L: [-80, 0], R: [80, 0], U: [0, -80], D: [0, 80] }[solution[0]];
const from = [fit.left + fit.width / 2, 400];
await phone.touchscreen.touchStart(from[0], from[1]);
await phone.touchscreen.touchMove(from[0] + swipe[0], from[1] + swipe[1]);
await phone.touchscreen.touchEnd();
await waitFrames(phone, 30);
await expectFrame(phone, 'moved1.bmp', 'level 1 after a swipe');
await phone.tap('#touchkeys button[data-code="KeyR"]');
await waitFrames(phone, 10);
await expectFrame(phone, 'start1.bmp', 'level 1 after the Restart button');
await press(phone, 'KeyD');
const at = (x, y) => [fit.left + x * fit.width / 560, fit.top + y * fit.width / 560];
await phone.touchscreen.tap(...at(100, 100));
await waitFrames(phone, 10);
await phone.touchscreen.touchStart(...at(260, 180));
await sleep(800);
await phone.touchscreen.touchEnd();
await waitFrames(phone, 10);
await expectFrame(phone, 'touched.bmp', 'the editor after a tap and a long press');
noProblems('playing on a phone');
console.log(`all passed; the game ran ${rate.toFixed(1)} frames per second on a 120 Hz display`);

clearTimeout(timer);
await browser.close();
server.close();
