// The page in headless Chromium, driven as a player would through puppeteer-core. Called by
// web_browser_test.sh, which makes the reference frames with the headless replay runner.
//
//   node web_browser.mjs PAGE_DIR WORK_DIR
//
// WORK_DIR holds: solution.txt (level 1's moves, e.g. RRRRRRRD), first2.txt (level 2's first
// move), start1.bmp and start1.json (level 1 at its start, and the replay's report of it),
// start2.bmp, solved1.bmp, moved1.bmp (level 1 after the first move), opened.bmp (opened.dat at
// its start), opened.dat and touched.bmp (level 1's editor after a left click at 100,100 and a
// right one at 260,180). A frame that differs is saved there as failed.png; the layout
// screenshots go there as web-*.png. Exits 1 on the first failure, saying what failed.
import { createRequire } from 'node:module';
import { existsSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join, extname } from 'node:path';
import { pathToFileURL } from 'node:url';

const [pageDir, work] = process.argv.slice(2);
const require = createRequire(join(process.env.YELKO_WEB_TOOLS, 'node_modules') + '/');
const puppeteer = (await import(pathToFileURL(require.resolve('puppeteer-core')))).default;
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const fail = (what) => {
  console.log('FAIL: ' + what);
  process.exit(1);
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const report = [];

// A plain static server, as Python's http.server is: no compression, Last-Modified and 304s.
// It counts the bytes it sends.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.svg': 'image/svg+xml',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
let served = 0;
const server = createServer((req, res) => {
  const path = new URL(req.url, 'http://x').pathname;
  // As many hosts do, index.html is sent on to the folder's own address.
  if (path === '/index.html') return res.writeHead(301, { Location: '/' }).end();
  const file = join(pageDir, path === '/' ? 'index.html' : path);
  if (!existsSync(file)) return res.writeHead(404).end();
  const modified = statSync(file).mtime.toUTCString();
  if (req.headers['if-modified-since'] === modified) return res.writeHead(304).end();
  const body = readFileSync(file);
  served += body.length;
  res.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream',
                       'Last-Modified': modified });
  res.end(body);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}/`;

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: join(work, 'profile'),
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});
const timer = setTimeout(() => fail('the browser test took longer than 5 minutes'), 300000);

// Everything that goes wrong in a page is a failure: console errors (but those `expected`),
// uncaught exceptions, failed requests.
const problems = [];
async function openPage(viewport, context = browser, expected = /^$/) {
  const page = await context.newPage();
  await page.setViewport(viewport);
  page.on('console', (m) => {
    if (m.type() === 'error' && !expected.test(m.text())) problems.push('console: ' + m.text());
  });
  page.on('pageerror', (e) => problems.push('exception: ' + e.message));
  page.on('requestfailed', (r) => { if (!r.url().startsWith('data:')) problems.push('request failed: ' + r.url()); });
  page.on('response', (r) => { if (r.status() >= 400) problems.push(r.status() + ' ' + r.url()); });
  return page;
}
const noProblems = (when) => { if (problems.length) fail(when + ': ' + problems.join('; ')); };

const frames = (page) => page.evaluate(() => YelkoPage.frames);
const gameOver = (page) => page.evaluate(() => YelkoPage.gameOver);
// Until the game has run `count` more frames, or rests (nothing moves until the player acts).
async function waitFrames(page, count) {
  const until = (await frames(page)) + count;
  try {
    await page.waitForFunction((n) => YelkoPage.frames >= n || YelkoPage.resting,
                               { timeout: 20000 }, until);
  } catch (error) {
    fail((await gameOver(page)) ? 'the game ended unasked' : 'the game ran no frame for 20 s');
  }
}
// Until a page just (re)loaded runs its game: its code arrives after the page has loaded.
async function started(page) {
  await page.waitForFunction(() => typeof YelkoPage === 'object' && YelkoPage.frames > 0,
                             { timeout: 30000 });
  await waitFrames(page, 20);
}
async function load(page, url) {
  await page.goto(url, { waitUntil: 'load' });
  await started(page);
}
async function press(page, key, count = 10) {
  await page.keyboard.press(key);
  await waitFrames(page, count);
}
const shown = (page, id) => page.evaluate((i) => !document.getElementById(i).hidden, id);
const text = (page, id) => page.evaluate((i) => document.getElementById(i).textContent, id);

// The game's frame (RGBA) against a 24-bit BMP of the replay runner: the count that differ.
const canvasPixels = (page) => page.evaluate(() => {
  const c = YelkoPage.frame;
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

// The board, drawn a present's changed rows at a time, against the frame drawn on it whole.
async function expectBoardWhole(page, what) {
  const differ = await page.evaluate(() => {
    const c = YelkoPage.canvas, context = c.getContext('2d');
    const drawn = context.getImageData(0, 0, c.width, c.height).data;
    YelkoPage.show();
    const whole = context.getImageData(0, 0, c.width, c.height).data;
    return drawn.filter((v, i) => v !== whole[i]).length;
  });
  if (differ) fail(`${what}: ${differ} bytes of the board differ from its frame drawn whole`);
}

// One move: a tap of the arrow (the game sees every tap once), then the ten frames of the walk.
async function move(page, letter, walk = 12) {
  await page.keyboard.press({ L: 'ArrowLeft', U: 'ArrowUp', R: 'ArrowRight', D: 'ArrowDown' }[letter]);
  if (walk) await waitFrames(page, walk);
}
const menuItem = (page, id, state) => page.evaluate(
  (i, s) => document.querySelector(`#menubar [data-id="${i}"]`).getAttribute(s) === 'true', id, state);
const status = (page) => text(page, 'status');
// axe-core finds no serious or critical fault in what the page shows now.
async function accessible(page, what) {
  if (!(await page.evaluate(() => typeof axe === 'object'))) await page.addScriptTag({ content: axeSource });
  const found = await page.evaluate(() => axe.run().then((r) => r.violations
    .filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => v.id + ' at ' + v.nodes.map((n) => n.target.join(' ')).join(', '))));
  if (found.length) fail(`${what}: axe-core finds ${found.join('; ')}`);
}
// The board's size on the screen, and whether it fills the viewport's smaller side.
async function board(page, least, what) {
  const r = await page.evaluate(() => YelkoPage.canvas.getBoundingClientRect().toJSON());
  const view = page.viewport();
  if (r.width < least * Math.min(view.width, view.height) || r.right > view.width || r.bottom > view.height) {
    fail(`${what}: the board is ${JSON.stringify(r)} in ${view.width} x ${view.height}`);
  }
  await page.screenshot({ path: join(work, `web-${view.width}x${view.height}.png`) });
  return r;
}
// The board where the page first showed it, before its code arrived (with the loading picture),
// kept as `boardAtFirst` of a page that watchFirstBoard was called for before it loaded.
const watchFirstBoard = (page) => page.evaluateOnNewDocument(() => addEventListener('DOMContentLoaded',
  () => requestAnimationFrame(() => {
    window.boardAtFirst = document.getElementById('board')?.getBoundingClientRect().toJSON();
  })));
async function boardStayed(page, r, what) {
  const first = await page.evaluate(() => window.boardAtFirst);
  if (['x', 'y', 'width'].some((k) => Math.abs(first[k] - r[k]) > 0.5)) {
    fail(`${what}: the board moved from ${JSON.stringify(first)} while loading to ${JSON.stringify(r)}`);
  }
}
// No button lies below the bottom of the screen (the page would have to scroll to reach it).
async function allReachable(page, what) {
  const below = await page.evaluate(() => [...document.querySelectorAll('button')]
    .filter((b) => b.getBoundingClientRect().width > 0 && b.getBoundingClientRect().bottom > innerHeight)
    .map((b) => b.textContent));
  if (below.length) fail(`${what}: ${below.join(', ')} below the bottom of the screen`);
}

// ---- The first visit: the bytes it takes from a plain server (with the service worker's copy
// of the build), the board where the loading picture stood, level 1 as the replay shows it, no
// error, no touch buttons, installable; at rest nothing is drawn.
const page = await openPage({ width: 1280, height: 800 });
await watchFirstBoard(page);
await load(page, origin);
await boardStayed(page, await page.evaluate(() => YelkoPage.canvas.getBoundingClientRect().toJSON()),
                  'the first visit');
await page.evaluate(() => navigator.serviceWorker.ready);
if (served > 350000) fail(`the first visit took ${served} bytes, more than 350 KB`);
report.push(`first visit ${served} bytes`);
noProblems('loading the page');
await expectFrame(page, 'start1.bmp', 'level 1 at its start');
if (!(await menuItem(page, 22, 'aria-disabled'))) fail('Level 2 is enabled before level 1 is solved');
if (await shown(page, 'touchkeys')) fail('touch buttons on a screen without touch');
const cdp = await page.createCDPSession();
const installable = await cdp.send('Page.getInstallabilityErrors');
if (installable.installabilityErrors.length) fail('not installable: ' + JSON.stringify(installable));
await cdp.send('Performance.enable');
const busy = async () => (await cdp.send('Performance.getMetrics')).metrics
  .find((m) => m.name === 'TaskDuration').value;
const [busy0, drawn0] = [await busy(), await page.evaluate(() => YelkoPage.drawn)];
await sleep(5000);
const idle = (await busy()) - busy0;
if ((await page.evaluate(() => YelkoPage.drawn)) !== drawn0) fail('frames were drawn at rest');
if (idle > 0.5) fail(`the page at rest kept the main thread busy ${idle.toFixed(2)} s of 5`);
report.push(`idle main thread ${(idle / 5 * 100).toFixed(1)} %`);
// The board in words, on demand: the Player's cell as the replay has it.
const [px, py] = JSON.parse(readFileSync(join(work, 'start1.json'), 'utf8')).player;
await page.evaluate(() => { document.getElementById('say').textContent = ''; });
await page.keyboard.press('?');
const words = await text(page, 'say');
if (!words.includes(`column ${px / 40 + 1}, row ${py / 40 + 1}`)) fail('? says: ' + words);

// A second tab, open before anything is saved, deaf to what this one writes.
const other = await openPage({ width: 800, height: 700 }, browser, /Could not save your progress/);
await load(other, origin);
await other.evaluate(() => { YelkoStore.channel.onmessage = null; });
await page.bringToFront();  // (a tab in the background runs no frame)

// ---- Level 1's shortest solution on the arrow keys: WELL DONE, applause, Level 2 enabled, the
// Next level button; kept over a reload, which starts at level 2.
const solution = readFileSync(join(work, 'solution.txt'), 'utf8').trim();
for (const letter of solution) await move(page, letter);
await waitFrames(page, 90);
await expectFrame(page, 'solved1.bmp', 'level 1 after its solution');
await expectBoardWhole(page, 'level 1 after its solution');
const played = await page.evaluate(() => YelkoPage.played.join(' '));
if (!played.includes('bifald.wav')) fail('no applause after the solve (played: ' + played + ')');
if (await menuItem(page, 22, 'aria-disabled')) fail('Level 2 is not enabled in the menu after the solve');
if (!(await shown(page, 'next'))) fail('no Next level button after the solve');
await accessible(page, 'the page after a solve');
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
// From the keyboard: Shift+Tab from the board reaches the menu bar (at Help, the title used
// last), and File > Exit asks first.
await page.click('#menubar > .entry:nth-child(1) > .title');
await page.hover('#menubar .item[aria-haspopup]');
await accessible(page, 'the open menu');
await page.click('#menubar [data-id="21"]');
await waitFrames(page, 10);
await expectFrame(page, 'start1.bmp', 'level 1 chosen from the menu');
if (!(await menuItem(page, 21, 'aria-checked'))) fail('Level 1, solved, is not checked in the menu');
await page.click('#menubar > .entry:nth-child(3) > .title');  // Help, after File and View
await page.click('#menubar [data-id="4"]');
await page.waitForSelector('#shade:not([hidden])');
const held = await frames(page);
await sleep(300);
if ((await frames(page)) !== held) fail('frames ran while the About box was open');
const about = await text(page, 'box-text');
if (!about.includes('Collect the balls')) fail('the About box says: ' + about);
await accessible(page, 'the About box');
// A level file chosen meanwhile (its dialog runs beside the game) waits for the box to close.
page.evaluate(() => YelkoPage.openLevel(new File([new Uint8Array(7)], 'notes.dat')));
await page.keyboard.press('Escape');
await page.waitForFunction(() => document.getElementById('box-text').textContent.includes('exactly 300'),
                           { timeout: 5000 }).catch(() => fail('a box asked for over the About box never came'));
await press(page, 'Enter');
if (await gameOver(page)) fail('Escape closing the About box ended the game');
await page.keyboard.down('Shift');
for (const key of ['Tab', 'Shift', 'ArrowLeft', 'ArrowLeft', 'Enter', 'ArrowUp', 'Enter']) await page.keyboard[key === 'Shift' ? 'up' : 'press'](key);
if ((await text(page, 'box-caption')) !== 'Leave Yelko?') fail('File > Exit did not ask first');
await press(page, 'Escape');
if (await gameOver(page) || !(await page.evaluate(() => document.activeElement === YelkoPage.canvas))) {
  fail('staying after File > Exit did not give the board back');
}

// ---- The editor (which starts from an empty board): paint and place, save.
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

// ---- Meanwhile the other tab solves level 1 while this one holds the records' lock: its save
// waits, reads afresh what this tab wrote meanwhile and merges (the fewer moves, every other
// record kept); its next write meets a full storage, which it says once, and plays on.
const best = await page.evaluate(() => new TextDecoder().decode(YelkoStore.values.get('Best')));
const key1 = (/^([0-9a-f]{16}) /m.exec(best) || fail('no record of level 1: ' + best))[1];
await page.evaluate(() => YelkoStore.lock('Best'));
await other.evaluate(() => { YelkoStore.faults = ['', 'QuotaExceededError']; });
await other.bringToFront();
for (const [i, letter] of [...solution].entries()) await move(other, letter, i < solution.length - 1 ? 12 : 0);
await other.waitForFunction(() => navigator.locks.query()
  .then((q) => q.pending.some((l) => l.name === 'yelko-Best')), { timeout: 10000 });
await page.evaluate((k) => YelkoStore.put('Best', new TextEncoder().encode(
  `${k} 99\nfeedfacefeedface 5\n`)).then(() => YelkoStore.unlock('Best')), key1);
await waitFrames(other, 90);
await expectFrame(other, 'solved1.bmp', 'the other tab after a save the browser refused');
const merged = await page.evaluate(() => YelkoStore.lock('Best').then(() => {
  YelkoStore.unlock('Best');
  return new TextDecoder().decode(YelkoStore.values.get('Best'));
}));
if (!merged.includes(`${key1} 8\n`) || !merged.includes('feedfacefeedface 5')) {
  fail('the two tabs\' records were not merged: ' + merged);
}
if (!(await text(other, 'notice')).startsWith('Your progress could not be saved in this browser: ') ||
    !(await status(other)).includes('Could not save your progress')) {
  fail('the refused save was not told: ' + (await text(other, 'notice')) + ' / ' + (await status(other)));
}
const hung = await other.evaluate(() => {
  YelkoStore.faults = ['hang'];
  YelkoStore.timeoutMs = 300;
  return YelkoStore.put('Level', new Uint8Array([5])).then((ok) => ok || YelkoStore.error);
});
if (hung !== 'the browser\'s storage did not answer in time') fail('a hung write gave ' + hung);
await other.close();
await page.bringToFront();

// ---- After a reload L loads the saved level (the other tab took nothing away), and Download
// level.dat (reached with Tab, pressed with Space) hands it over byte for byte.
await load(page, origin);
await press(page, 'KeyD', 5);
await press(page, 'KeyL', 5);
const loaded = await canvasPixels(page);
const differ = loaded.filter((v, i) => v !== edited[i]).length;
if (differ !== 0) fail(`after a reload L shows a level that differs in ${differ} bytes from the saved one`);
const downloads = join(work, 'downloads');
await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
await page.keyboard.press('Tab');
if ((await page.evaluate(() => document.activeElement.id)) !== 'download') fail('Tab from the board missed Download');
await page.keyboard.press('Space');
const saved = Buffer.from(await page.evaluate(() => Array.from(FS.readFile('/game/level.dat'))));
const file = join(downloads, 'level.dat');
for (let i = 0; i < 50 && !existsSync(file); ++i) await sleep(100);
if (saved.length !== 300 || !existsSync(file) || !readFileSync(file).equals(saved)) {
  fail('Download level.dat did not give the saved 300-byte level');
}
// Share, where the browser has no share sheet, copies the page's address and says so.
await browser.defaultBrowserContext().overridePermissions(
  new URL(origin).origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
await page.evaluate(() => { delete Navigator.prototype.share; });
await page.click('#share');
await page.waitForFunction(() => document.getElementById('say').textContent.startsWith('Link copied'));
const link = await page.evaluate(() => navigator.clipboard.readText());
if (link !== page.url()) fail('Share copied ' + link + ', not ' + page.url());
// Escape means nothing in the editor; tapped there, it must not end the game once play resumes.
await press(page, 'Escape', 5);
await press(page, 'Enter');
if (await gameOver(page)) fail('Escape tapped in the editor ended the game later');

// ---- "Open level…": a file that is no level is refused with its reason; a level replaces
// the saved level.dat once the player agrees, and is played as level 0.
writeFileSync(join(work, 'short.dat'), readFileSync(join(work, 'opened.dat')).subarray(0, 150));
for (const name of ['short.dat', 'opened.dat']) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
  await chooser.accept([join(work, name)]);
  await page.waitForSelector('#shade:not([hidden])');
  if (name === 'short.dat' && !(await text(page, 'box-text')).includes('exactly 300')) {
    fail('a short file was not refused: ' + (await text(page, 'box-text')));
  }
  if (name === 'opened.dat') await Promise.all([page.waitForNavigation(), page.click('#box-buttons button')]);
  else await press(page, 'Enter');
}
await started(page);
await expectFrame(page, 'opened.bmp', 'the opened level');
if (!page.url().includes('start-level=0')) fail('the opened level is not played as level 0');

// ---- Escape ends the game; the page offers to start again. Then, with the network cut, a
// reload still plays; on a 1920 x 1080 screen the board fills the height.
await page.keyboard.press('Escape');
await page.waitForSelector('#ended:not([hidden])', { timeout: 5000 });
await Promise.all([page.waitForNavigation(), page.click('#again')]);
await started(page);
noProblems('playing on a desktop');
await page.setOfflineMode(true);
await load(page, origin);
await expectFrame(page, 'start2.bmp', 'level 2 offline');
await page.setViewport({ width: 1920, height: 1080 });
await sleep(300);
await board(page, 0.85, 'a 1920 x 1080 screen');
noProblems('offline');
await page.close();

// ---- Saved values of the page before this store (files of a file system in the database
// "/persist") are kept.
const fresh = await browser.createBrowserContext();
const seed = await fresh.newPage();
await seed.goto(origin + 'favicon.svg');
await seed.evaluate(() => new Promise((resolve) => {
  const open = indexedDB.open('/persist', 21);
  open.onupgradeneeded = () => open.result.createObjectStore('FILE_DATA');
  open.onsuccess = () => {
    const t = open.result.transaction('FILE_DATA', 'readwrite');
    t.objectStore('FILE_DATA').put({ timestamp: new Date(), mode: 33188, contents: new Uint8Array([3]) },
                                   '/persist/Level');
    t.oncomplete = () => { open.result.close(); resolve(); };
  };
}));
const old = await openPage({ width: 800, height: 700 }, fresh);
await load(old, origin);
if (!(await status(old)).startsWith('Level 3')) fail('the old saved level was lost: ' + (await status(old)));
await fresh.close();

// ---- Two tabs over one store, each solving twenty levels of its own in turn (pasted as text,
// each solved by one step right): every record of both survives, and the higher Reached.
const stored = (tab, name) => tab.evaluate((n) => YelkoStore.lock(n).then(() => {
  YelkoStore.unlock(n);
  const value = YelkoStore.values.get(n);
  return value ? new TextDecoder('latin1').decode(value) : '';
}), name);
const tabs = [];
for (let t = 0; t < 2; ++t) {  // each loaded in front (a tab in the background runs no frame)
  tabs.push(await openPage({ width: 800, height: 700 }));
  await load(tabs[t], origin);
}
const reachedBefore = (await stored(tabs[0], 'Reached')).charCodeAt(0);
// And records of 3,300 other levels before them (66 KB; the game keeps up to 1 MiB of them).
await tabs[0].evaluate(() => new Promise((done) => {
  let text = '';
  for (let i = 0; i < 3300; ++i) text += (0x1000000000000000n + BigInt(i)).toString(16) + ' 30\n';
  const t = YelkoStore.db.transaction('values', 'readwrite');
  t.objectStore('values').put(new TextEncoder().encode(text), 'Best');
  t.oncomplete = done;
}));
for (let i = 0; i < 20; ++i) {
  for (const [t, tab] of tabs.entries()) {
    const [column, row] = [4 * t + 2 * (i % 2), i >> 1];
    await tab.bringToFront();
    await tab.evaluate((level) => { YelkoPage.pasted = level; YelkoPage.command(YelkoCommand.pasteCode); },
                       'map\n' + '##############\n'.repeat(14) + `player ${column} ${row}\nball ${column + 1} ${row}\n`);
    await waitFrames(tab, 3);
    await move(tab, 'R', 20);
  }
}
const bests = (await stored(tabs[1], 'Best')).split('\n');
const records = bests.filter((line) => / 1$/.test(line)).length;
if (records !== 40) fail(`two tabs solving twenty levels each kept ${records} of their 40 records`);
if (bests.filter((line) => / 30$/.test(line)).length !== 3300) fail('the records kept before were lost');
if ((await stored(tabs[1], 'Reached')).charCodeAt(0) !== reachedBefore) fail('the two tabs lost the level reached');
for (const tab of tabs) await tab.close();
noProblems('two tabs solving in turn');

// ---- File > Open collection > Choose a file… opens the page's file dialog; the collection
// chosen plays from its first level.
const reader = await openPage({ width: 1280, height: 800 });
await load(reader, origin);
await reader.click('#menubar > .entry:nth-child(1) > .title');
await reader.hover('#menubar ::-p-text(Open collection)');
const [dialog] = await Promise.all([reader.waitForFileChooser(), reader.click('#menubar [data-id="70"]')]);
await dialog.accept([join(work, 'islands.txt')]);
await reader.waitForFunction(() => document.getElementById('status').textContent.startsWith('Islands 1'),
                             { timeout: 10000 }).catch(async () => fail('the chosen collection did not open: ' + (await status(reader))));
await reader.close();
noProblems('opening a collection');

// ---- A browser that refuses storage: the game says once, in the page and not in a box, that
// it cannot keep the progress. Its speed follows the game's clock: 60 frames a second on a
// 120 Hz display, and on a 30 Hz one too (several frames at one refresh, a cell walked in 1/6 s).
const fast = await openPage({ width: 1280, height: 800 });
await fast.evaluateOnNewDocument(() => {
  indexedDB.open = () => { throw new Error('storage refused'); };
  window.displayHz = 120;
  window.requestAnimationFrame = (cb) => setTimeout(() => cb(performance.now()), 1000 / window.displayHz);
});
await load(fast, origin);
await fast.keyboard.down('KeyR');  // held: the game never rests
for (const hz of [120, 30]) {
  await fast.evaluate((h) => { window.displayHz = h; }, hz);
  await sleep(500);
  const f0 = await frames(fast), t0 = await fast.evaluate(() => performance.now());
  await sleep(2000);
  const rate = ((await frames(fast)) - f0) * 1000 / ((await fast.evaluate(() => performance.now())) - t0);
  if (rate < 50 || rate > 70) fail(`the game ran ${rate.toFixed(1)} frames per second at ${hz} Hz`);
  report.push(`${rate.toFixed(1)} frames/s at ${hz} Hz`);
}
await fast.keyboard.up('KeyR');
await press(fast, 'KeyD', 5);
await press(fast, 'KeyS');  // a save that cannot be kept
if (!(await shown(fast, 'notice'))) fail('no word in the page that the progress cannot be kept');
if (await shown(fast, 'shade')) fail('the failure to keep a save opened a box');
noProblems('without storage');
await fast.close();

// ---- A phone held upright: the board fits, the touch buttons show, every touch target is
// 44 pixels at least; a swipe, even held a moment, walks one cell; the Restart button restarts.
// Held sideways, the board takes the height and the buttons stand beside it, all on the screen;
// in the editor a tap paints and a long press places.
const phone = await openPage({ width: 390, height: 844, isMobile: true, hasTouch: true,
                               deviceScaleFactor: 2 });
await watchFirstBoard(phone);
await load(phone, origin + '?start-level=1');
const fit = await board(phone, 0.9, 'a phone held upright');
await boardStayed(phone, fit, 'a phone held upright');
if (!(await shown(phone, 'touchkeys'))) fail('no touch buttons on a touch screen');
await phone.tap('#menubar .title');
const small = await phone.evaluate(() => [...document.querySelectorAll('#menubar .title, #menubar .open .item, button')]
  .map((e) => e.getBoundingClientRect()).filter((r) => r.width > 0 && (r.width < 44 || r.height < 44)).length);
if (small) fail(`${small} touch targets are smaller than 44 x 44 pixels`);
await phone.tap('#menubar .title');
const swipe = { L: [-80, 0], R: [80, 0], U: [0, -80], D: [0, 80] }[solution[0]];
const from = [fit.left + fit.width / 2, 400];
await phone.touchscreen.touchStart(from[0], from[1]);
await phone.touchscreen.touchMove(from[0] + swipe[0], from[1] + swipe[1]);
await sleep(300);
await phone.touchscreen.touchEnd();
await waitFrames(phone, 30);
await expectFrame(phone, 'moved1.bmp', 'level 1 after a swipe held for 0.3 s');
await phone.tap('#touchkeys button[data-code="KeyR"]');
await waitFrames(phone, 10);
await expectFrame(phone, 'start1.bmp', 'level 1 after the Restart button');
await phone.setViewport({ width: 844, height: 390, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
await sleep(300);
const wide = await board(phone, 0.9, 'a phone held sideways');
const keys = await phone.evaluate(() => document.getElementById('touchkeys').getBoundingClientRect().left);
if (keys < wide.right) fail('the touch buttons are not beside the board on a phone held sideways');
await allReachable(phone, 'a phone held sideways');
await press(phone, 'KeyD');
const at = (x, y) => [wide.left + x * wide.width / 560, wide.top + y * wide.width / 560];
await phone.touchscreen.tap(...at(100, 100));
await waitFrames(phone, 10);
await phone.touchscreen.touchStart(...at(260, 180));
await sleep(800);
await phone.touchscreen.touchEnd();
await waitFrames(phone, 10);
await expectFrame(phone, 'touched.bmp', 'the editor after a tap and a long press');
await allReachable(phone, 'the editor with its palette on a phone held sideways');
// The editor's buttons and the fingers make, check, save, test and play a level: a finger drawn
// over a row paints it, long presses place the Player and (two on one cell) a ball.
const waitStatus = (start) => phone.waitForFunction((s) => document.getElementById('status')
  .textContent.startsWith(s), { timeout: 20000 }, start).catch(async () =>
  fail(`the status line says "${await status(phone)}", not "${start}…"`));
const button = async (label) => {
  const b = await phone.$$(`#editkeys button:not([hidden])`);
  const names = await Promise.all(b.map((e) => e.evaluate((n) => n.textContent)));
  if (!names.includes(label)) fail(`no ${label} button beside ${names.join(', ')}`);
  await b[names.indexOf(label)].tap();
  await waitFrames(phone, 10);
};
const cell = (c, r) => at(c * 40 + 20, r * 40 + 20);
await button('Back');
await waitStatus('Your level');
await button('Editor');
await phone.touchscreen.touchStart(...cell(2, 6));
await phone.touchscreen.touchMove(...cell(5, 6));
await phone.touchscreen.touchEnd();
for (const c of [2, 5, 5]) {
  await phone.touchscreen.touchStart(...cell(c, 6));
  await sleep(700);
  await phone.touchscreen.touchEnd();
  await waitFrames(phone, 5);
}
await button('Check');
await waitStatus('Long press: platform 0   Balls 1/5   Platforms 0/9        Solvable in 3 moves');
await button('Save');
await waitStatus('Long press: platform 0   Balls 1/5   Platforms 0/9        Saved level.dat (solvable in 3 moves)');
await button('Play');
await waitStatus('Testing level.dat');
await button('Back');
await waitStatus('Long press:');
await button('Back');
await waitStatus('Your level');
noProblems('playing on a phone');

// ---- Puzzles: a name in the address makes the very level it makes natively and under Wine
// (tests/puzzle_codes.txt), whose code then stands in the address; New puzzle is a button.
const made = [];
for (const line of readFileSync(join(work, 'puzzle_codes.txt'), 'utf8').split('\n')) {
  const [name, code] = line.split(' ');
  if (!/^(easy|medium|hard)-/.test(name ?? '')) continue;
  const start = Date.now();
  await phone.goto('about:blank');  // a new hash alone would not load the page again
  await phone.goto(origin + 'index.html#puzzle=' + name);
  try {
    await phone.waitForFunction((c) => location.hash === '#p=' + c, { timeout: 30000 }, code);
  } catch (error) {
    fail(`${name} did not make ${code} in the page (the address is ${phone.url()})`);
  }
  made.push(`${name} ${((Date.now() - start) / 1000).toFixed(1)} s`);
}
// A link cut short: the page plays as its bare address does, and says why.
const cut = await openPage({ width: 800, height: 700 }, browser, /Not a puzzle code/);
await load(cut, origin + '#p=A');
await cut.waitForFunction(() => document.getElementById('status').textContent
  .includes('The link cannot be played: Not a puzzle code'), { timeout: 20000 })
  .catch(async () => fail(`a cut link: the status line says "${await status(cut)}"`));
await cut.close();
if (!(await phone.$('#touchkeys button[data-code="KeyN"]'))) fail('no New puzzle button');
if (!/^Yelko \d+\.\d+\.\d+$/.test(await text(phone, 'version'))) fail('the footer names no version');
report.push('made in the page (with its loading): ' + made.join(', '));
noProblems('making puzzles');
console.log('all passed; ' + report.join(', '));

clearTimeout(timer);
await browser.close();
server.close();
