// The page around the game: its menu bar, boxes, status line, buttons, input, sound, layout and
// what it tells a screen reader. The game itself (web_backend.cpp) calls YelkoPage's methods; the
// page calls the game back through the functions it exports (_yelko_web_key and the like).
'use strict';

// KeyboardEvent.code to the DirectInput scan code the game reads.
const YelkoScanCodes = (function () {
  const codes = {
    Escape: 0x01, Minus: 0x0C, Equal: 0x0D, Backspace: 0x0E, Tab: 0x0F, BracketLeft: 0x1A,
    BracketRight: 0x1B, Enter: 0x1C, ControlLeft: 0x1D, Semicolon: 0x27, Quote: 0x28,
    Backquote: 0x29, ShiftLeft: 0x2A, Backslash: 0x2B, Comma: 0x33, Period: 0x34, Slash: 0x35,
    ShiftRight: 0x36, NumpadMultiply: 0x37, AltLeft: 0x38, Space: 0x39, CapsLock: 0x3A,
    NumLock: 0x45, ScrollLock: 0x46, Numpad7: 0x47, Numpad8: 0x48, Numpad9: 0x49,
    NumpadSubtract: 0x4A, Numpad4: 0x4B, Numpad5: 0x4C, Numpad6: 0x4D, NumpadAdd: 0x4E,
    Numpad1: 0x4F, Numpad2: 0x50, Numpad3: 0x51, Numpad0: 0x52, NumpadDecimal: 0x53,
    F11: 0x57, F12: 0x58, NumpadEnter: 0x9C, ControlRight: 0x9D, NumpadDivide: 0xB5,
    AltRight: 0xB8, Home: 0xC7, ArrowUp: 0xC8, PageUp: 0xC9, ArrowLeft: 0xCB, ArrowRight: 0xCD,
    End: 0xCF, ArrowDown: 0xD0, PageDown: 0xD1, Insert: 0xD2, Delete: 0xD3,
  };
  const rows = [['QWERTYUIOP', 0x10], ['ASDFGHJKL', 0x1E], ['ZXCVBNM', 0x2C]];
  for (const row of rows) {
    for (let i = 0; i < row[0].length; ++i) codes['Key' + row[0][i]] = row[1] + i;
  }
  for (let d = 1; d <= 10; ++d) codes['Digit' + (d % 10)] = 0x01 + d;
  for (let f = 1; f <= 10; ++f) codes['F' + f] = 0x3A + f;
  return codes;
})();

const YelkoCommand = { exit: 2, reset: 5, copyCode: 47, pasteCode: 48, nextLevel: 60 };
const YelkoBoardPixels = 560;
const $ = (id) => document.getElementById(id);

const YelkoPage = {
  canvas: null,         // the board on the page, at the screen's own pixels
  frame: null,          // the game's last frame, 560 x 560
  started: false,
  modal: false,         // a box is open: no frame runs, keys go to the box
  menuOpen: false,      // a menu is open: the same
  held: new Set(),      // codes the game was told are down
  suppressed: new Set(),  // codes held when a box or menu closed, ignored until released
  frames: 0,            // game frames run, for the page's own measurements
  drawn: 0,             // frames drawn on the board
  resting: false,       // the game waits for the player: nothing moves, nothing is drawn
  wake: null,           // ends the rest
  changed: false,       // a frame was drawn since the page last asked the game for news
  played: [],           // names of the sounds started, newest last
  audio: null,          // made at the first gesture
  audioClass: null,
  sounds: new Map(),
  nextSound: 1,
  gameOver: false,

  // ---- Window

  openWindow() {
    this.started = true;
    this.layout();  // (the menu bar keeps the height it will have)
    this.canvas.setAttribute('aria-busy', 'false');
    this.canvas.focus();
    setTimeout(() => this.registerWorker(), 1000);  // once the game is under way
  },

  setStatus(text) {
    $('status-text').textContent = text;
    this.changed = true;  // the mode may have changed with a frame like the last (tellNews)
  },

  // The editor's next object, drawn before the status line's text (none: null).
  setStatusPicture(rgba, width, height) {
    const canvas = $('status-picture');
    canvas.hidden = !rgba;
    if (!rgba) return;
    canvas.width = width;
    canvas.height = height;
    canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height),
                                         0, 0);
  },

  // The editor's buttons for the mode the game is in: 0 play, 1 the editor, 2 testing its level.
  editing: -1,
  coarse: false,
  showEditKeys() {
    const mode = _yelko_web_editing();
    if (mode === this.editing) return;
    this.editing = mode;
    if (mode !== 1) this.showPalette(null);
    $('touchkeys').hidden = !this.coarse || mode === 1;  // play's buttons do nothing in the editor
    for (const button of document.querySelectorAll('#editkeys button')) {
      button.hidden = !button.dataset.when.includes(String(mode));
    }
    this.layout();
  },

  // The frame's rows top..top + rows - 1 changed; the rest of the canvas has them already.
  present(rgba, width, height, top, rows) {
    if (width !== YelkoBoardPixels || height !== YelkoBoardPixels) return;
    this.frame.getContext('2d').putImageData(new ImageData(rgba, width, height), 0, 0, 0, top,
                                             width, rows);
    this.pictured = true;
    this.show(top, rows);
    ++this.drawn;
    this.changed = true;
  },

  // The frame at the board's size on screen, sharp: the board's canvas holds the frame enlarged
  // by whole pixels to the first whole multiple at least as large as the board, and the browser
  // shrinks that smoothly to the board's size, as the desktop does (no row doubled, no blur
  // beyond a pixel's edge); at a whole multiple it is shown pixel for pixel. So a frame's rows
  // top..top + rows - 1 map to whole rows of the board, and only they are drawn again.
  show(top = 0, rows = YelkoBoardPixels) {
    const context = this.canvas.getContext('2d', { alpha: false });
    context.imageSmoothingEnabled = false;
    const scale = this.canvas.width / YelkoBoardPixels;
    context.drawImage(this.frame, 0, top, YelkoBoardPixels, rows, 0, top * scale,
                      this.canvas.width, rows * scale);
  },

  // The board before the game's first frame is the page's (index.html: water, with a word that
  // the game is loading); a failure to load is said on the board like that.
  pictured: false,  // the board shows a frame or a failure (else the page's loading picture)
  showLoading(text) {
    const context = this.frame.getContext('2d');
    context.fillStyle = '#1c6298';
    context.fillRect(0, 0, YelkoBoardPixels, YelkoBoardPixels);
    context.fillStyle = '#fff';
    context.font = '24px system-ui, "DejaVu Sans", sans-serif';
    context.textAlign = 'center';
    context.fillText(text, YelkoBoardPixels / 2, YelkoBoardPixels / 2, YelkoBoardPixels - 40);
    this.pictured = true;
    this.show();
  },

  loadFailed(error) {
    console.error('Yelko could not load: ' + (error && error.message || error));
    this.showLoading('Yelko could not load. Reload to try again.');
  },

  // Waits until the game's next frame is due: when it already is, only until the page has had a
  // turn (on a display slower than 60 Hz several frames run at one refresh), else until the
  // refresh it falls on; a frame due within a few milliseconds of a refresh is taken there. At
  // rest, first until the player acts.
  async nextFrame(deadlineMs, rest) {
    ++this.frames;
    if (rest) {
      this.tellNews();  // what the last frame changed is told before the page waits
      this.resting = true;
      await new Promise((resolve) => { this.wake = resolve; });
    }
    if (!this.modal && !this.menuOpen && performance.now() > deadlineMs + 4) {
      await new Promise((resolve) => { this.turn.port2.onmessage = resolve; this.turn.port1.postMessage(0); });
    }
    while (this.modal || this.menuOpen || performance.now() < deadlineMs - 4) {
      await new Promise((resolve) => requestAnimationFrame(resolve));
      this.tellNews();
    }
  },
  turn: new MessageChannel(),  // a due frame waits for the page's turn: input is never held up

  wakeUp() {
    this.resting = false;
    if (this.wake) this.wake();
    this.wake = null;
  },

  // ---- What a screen reader is told: moves, balls, a solve, hints (never the key help), and
  // the board in words on demand (the ? key); the next level's button after a solve.

  tellNews() {
    if (!this.changed || this.gameOver) return;
    this.changed = false;
    const news = UTF8ToString(_yelko_web_news());
    if (news) {
      this.say(news);
      $('board-text').textContent = UTF8ToString(_yelko_web_describe());
    }
    this.showPuzzle(UTF8ToString(_yelko_web_puzzle_code()));
    this.showEditKeys();
    const next = _yelko_web_next_level();
    const button = $('next');
    if (button.hidden !== !next) {
      button.hidden = !next;
      button.textContent = 'Next level (' + next + ')';
      this.layout();
    }
  },

  say(text) {
    const region = $('say');
    // The same words again are still said.
    region.textContent = region.textContent === text ? text + '\u00a0' : text;
  },

  describe() {
    const text = UTF8ToString(_yelko_web_describe());
    $('board-text').textContent = text;
    this.say(text);
  },

  // ---- The puzzle in play: its code in the address (#p=CODE), so that the address is the
  // puzzle; a shipped level leaves the address bare.

  showPuzzle(code) {
    const hash = code ? '#p=' + code : '';
    if (location.hash === hash) return;
    history.replaceState(history.state, '', location.pathname + location.search + hash);
  },

  async share() {
    const link = location.href;
    if (navigator.share) {
      try {
        await navigator.share({ title: document.title, url: link });
      } catch (error) { /* the player chose not to */ }
      return;
    }
    const button = $('share');
    try {
      await navigator.clipboard.writeText(link);
    } catch (error) {
      this.notify('The link could not be copied: ' + link);
      return;
    }
    this.say('Link copied');
    button.textContent = 'Link copied';
    clearTimeout(this.shareTimer);
    this.shareTimer = setTimeout(() => { button.textContent = 'Share'; }, 2000);
  },
  shareTimer: 0,

  // ---- Clipboard: the page cannot read the clipboard when the game asks, only in a paste
  // event. Ctrl+V on the board lets the browser paste, and the text pasted is kept for the game's
  // Paste command; where no paste comes (a menu's Paste, a browser that sends none), the player
  // is asked to paste into a prompt. Copies are written as the browser allows, after the fact.

  pasted: null,
  pasteTimer: 0,

  onPaste(e) {
    if (!this.started || this.modal || this.menuOpen || this.gameOver) return;
    const target = e.target;
    if (target !== this.canvas && target !== document.body && target !== document.documentElement) return;
    e.preventDefault();
    clearTimeout(this.pasteTimer);
    this.pasted = e.clipboardData ? e.clipboardData.getData('text/plain') : '';
    this.command(YelkoCommand.pasteCode);
  },

  // Ctrl+V on the board: the paste event follows (onPaste); without one, the command goes on.
  pasteKey() {
    clearTimeout(this.pasteTimer);
    this.pasteTimer = setTimeout(() => {
      this.pasted = null;
      this.command(YelkoCommand.pasteCode);
    }, 200);
  },

  // Text for the game: made with malloc, freed by the game; 0 for none.
  gameText(text) {
    if (text === null || text === undefined) return 0;
    const size = lengthBytesUTF8(text) + 1;
    const copy = _malloc(size);
    if (copy) stringToUTF8(text, copy, size);
    return copy;
  },

  clipboardText() {
    let text = this.pasted;
    this.pasted = null;
    if (text === null) text = this.prompt('Paste the puzzle\'s code here:');
    return this.gameText(text || '');
  },

  setClipboardText(text) {
    if (!navigator.clipboard || !navigator.clipboard.writeText) return 0;
    navigator.clipboard.writeText(text).catch(
      (error) => this.notify('The browser did not let the page copy: ' + error.message));
    return 1;
  },

  askForText(caption, prompt) {
    return this.gameText(this.prompt(prompt || caption));
  },

  // The browser's own box; null when cancelled or when the browser shows none.
  prompt(text) {
    this.closeMenus();
    this.releaseAll();
    let answer = null;
    try {
      answer = window.prompt(text, '');
    } catch (error) { /* no box here */ }
    this.focusBoard();
    return answer;
  },

  // ---- Boxes

  // A modal box: resolves with the number of the button chosen (1 for the first, OK), or 2 for
  // Escape. Focus goes back to the board. One box at a time: a box asked for while another is
  // open (the page's own over the game's) waits for it to close.
  boxes: Promise.resolve(),
  box(caption, text, buttons) {
    const turn = this.boxes.then(() => this.showBox(caption, text, buttons));
    this.boxes = turn;
    return turn;
  },
  showBox(caption, text, buttons) {
    this.closeMenus();
    this.releaseAll();
    this.modal = true;
    const shade = $('shade');
    const title = $('box-caption');
    title.textContent = caption || 'Yelko';
    $('box-text').textContent = text.replace(/\n$/, '');
    const row = $('box-buttons');
    row.textContent = '';
    for (const label of buttons || ['OK']) {
      const button = document.createElement('button');
      button.textContent = label;
      row.appendChild(button);
    }
    shade.hidden = false;
    row.firstChild.focus();
    return new Promise((resolve) => {
      const finish = (answer) => {
        this.boxKey = null;
        shade.hidden = true;
        this.modal = false;
        this.suppressHeld();
        this.focusBoard();
        resolve(answer);
      };
      [...row.children].forEach((button, i) => button.addEventListener('click', () => finish(i + 1)));
      this.boxKey = (e) => {
        if (e.code === 'Escape') {
          finish(2);
        } else if (e.code === 'Tab') {  // the focus stays in the box
          const all = [...row.children];
          const at = all.indexOf(document.activeElement);
          all[(at + (e.shiftKey ? all.length - 1 : 1)) % all.length].focus();
        } else if (!['Enter', 'NumpadEnter', 'Space'].includes(e.code)) {
          return;
        } else if (!row.contains(document.activeElement)) {
          finish(1);
        } else {
          return;  // the focused button takes it
        }
        e.preventDefault();
      };
    });
  },
  boxKey: null,

  async confirmExit() {
    if (await this.box('Leave Yelko?', 'The game ends. Your progress is kept.',
                       ['Leave', 'Stay']) === 1) {
      this.command(YelkoCommand.exit);
    }
  },

  // ---- Menu bar: built from the game's menu lines [text, id, depth, enabled, checked]. Titles
  // and items are ARIA menu items; each list of items is a menu beside the item that opens it.

  setMenu(lines) {
    // (No menu is open here: the game runs no frame while one is.) The title in the Tab order,
    // and the focus on it, stay where they were.
    const bar = $('menubar');
    const before = this.titles();
    const kept = Math.max(0, before.findIndex((t) => t.tabIndex === 0));
    const focused = before.includes(document.activeElement);
    bar.textContent = '';
    const lists = [bar];
    for (const line of lines) {
      // (No destructuring: emscripten's JavaScript optimiser loses it.)
      const rawText = line[0], id = line[1], depth = line[2], enabled = line[3], checked = line[4];
      const text = rawText.replace(/&(.)/g, '$1');
      const entry = document.createElement('div');
      entry.className = 'entry';
      entry.setAttribute('role', 'none');
      const item = document.createElement('div');
      item.className = depth === 0 ? 'title' : 'item';
      item.textContent = text;
      item.tabIndex = -1;
      item.dataset.id = id;
      // The submenus' items: the levels are checked once solved.
      item.setAttribute('role', depth >= 2 ? 'menuitemcheckbox' : 'menuitem');
      if (depth >= 2) item.setAttribute('aria-checked', checked ? 'true' : 'false');
      if (!enabled) item.setAttribute('aria-disabled', 'true');
      if (depth === 0) item.dataset.key = (rawText.match(/&(.)/) || [, text[0]])[1].toLowerCase();
      entry.appendChild(item);
      lists[Math.min(depth, lists.length - 1)].appendChild(entry);
      lists.length = depth + 1;
      if (id === 0) {
        item.setAttribute('aria-haspopup', 'menu');
        item.setAttribute('aria-expanded', 'false');
        const list = document.createElement('div');
        list.className = 'list';
        list.setAttribute('role', 'menu');
        list.setAttribute('aria-label', text);
        entry.appendChild(list);
        lists.push(list);
      }
    }
    const title = this.titles()[kept];
    if (title) title.tabIndex = 0;
    if (title && focused) title.focus();
  },

  titles: () => [...document.querySelectorAll('#menubar .title')],
  itemsOf: (list) => [...list.children].map((e) => e.firstChild)
    .filter((i) => i.getAttribute('aria-disabled') !== 'true'),

  setOpen(item, open) {
    item.parentElement.classList.toggle('open', open);
    item.setAttribute('aria-expanded', open ? 'true' : 'false');
  },

  openTitle(title) {
    if (!this.menuOpen) {
      this.returnFocus = document.activeElement;
      this.menuPointer = String(this.pointer);
    }
    this.closeMenus(true);
    this.releaseAll();
    this.setOpen(title, true);
    this.menuOpen = true;
    for (const t of this.titles()) t.tabIndex = t === title ? 0 : -1;
    const first = this.itemsOf(title.nextSibling)[0];
    if (first) this.highlight(first); else title.focus();
  },

  // Closes every menu; the focus goes back to where it was before (the board), unless another
  // menu opens at once.
  closeMenus(reopening) {
    if (!this.menuOpen) return;
    for (const open of document.querySelectorAll('#menubar .open > [aria-expanded]')) {
      this.setOpen(open, false);
    }
    for (const hot of document.querySelectorAll('#menubar .hot')) hot.classList.remove('hot');
    this.menuOpen = false;
    this.suppressHeld();
    if (!reopening) {
      const back = this.returnFocus;
      this.returnFocus = null;
      if (back && back.isConnected && back !== document.body) back.focus(); else this.focusBoard();
    }
  },

  highlight(item) {
    for (const hot of document.querySelectorAll('#menubar .hot')) {
      if (!hot.parentElement.contains(item)) {
        hot.classList.remove('hot');
        if (hot.hasAttribute('aria-expanded') && hot.classList.contains('item')) this.setOpen(hot, false);
      }
    }
    item.classList.add('hot');
    item.focus();
  },

  choose(item) {
    if (item.getAttribute('aria-disabled') === 'true') return;
    if (item.hasAttribute('aria-haspopup')) {
      this.setOpen(item, true);
      const first = this.itemsOf(item.nextSibling)[0];
      if (first) this.highlight(first);
      return;
    }
    const id = Number(item.dataset.id);
    this.closeMenus();
    if (id === YelkoCommand.exit) this.confirmExit(); else this.command(id);
  },

  command(id) {
    _yelko_web_command(id);
    this.wakeUp();
  },

  // Arrow keys, Enter, Space and Escape inside an open menu.
  menuKey(e) {
    const title = document.querySelector('#menubar > .open > .title');
    if (!title) return;
    const focused = document.activeElement;
    const hot = focused && focused.classList.contains('item') && title.parentElement.contains(focused)
      ? focused : null;
    const list = hot ? hot.parentElement.parentElement : title.nextSibling;
    const inSub = list !== title.nextSibling;
    const items = this.itemsOf(list);
    const at = items.indexOf(hot);
    const titles = this.titles();
    const leaveSub = () => {
      const opener = list.previousSibling;
      this.setOpen(opener, false);
      this.highlight(opener);
    };
    switch (e.code) {
      case 'Escape':
        if (inSub) leaveSub(); else this.closeMenus();
        break;
      case 'ArrowDown':
      case 'ArrowUp':
        if (items.length) {
          const step = e.code === 'ArrowDown' ? 1 : items.length - 1;
          this.highlight(items[(at + step + (at < 0 ? 1 : 0)) % items.length]);
        }
        break;
      case 'ArrowRight':
        if (hot && hot.hasAttribute('aria-haspopup')) this.choose(hot);
        else this.openTitle(titles[(titles.indexOf(title) + 1) % titles.length]);
        break;
      case 'ArrowLeft':
        if (inSub) leaveSub();
        else this.openTitle(titles[(titles.indexOf(title) + titles.length - 1) % titles.length]);
        break;
      case 'Enter':
      case 'NumpadEnter':
      case 'Space':
        if (hot) this.choose(hot);
        break;
      case 'Tab':
        this.closeMenus();
        return;
      default:
        if (e.altKey) break;
        return;
    }
    e.preventDefault();
  },

  // A menu title with the focus and no menu open: the arrows move along the bar, Enter, Space
  // and the down arrow open it, Escape goes back to the board.
  barKey(e) {
    const titles = this.titles();
    const at = titles.indexOf(e.target);
    if (at < 0) return;
    if (e.code === 'ArrowRight' || e.code === 'ArrowLeft') {
      const next = titles[(at + (e.code === 'ArrowRight' ? 1 : titles.length - 1)) % titles.length];
      for (const t of titles) t.tabIndex = t === next ? 0 : -1;
      next.focus();
    } else if (['Enter', 'NumpadEnter', 'Space', 'ArrowDown'].includes(e.code)) {
      this.openTitle(e.target);
    } else if (e.code === 'Escape') {
      this.focusBoard();
    } else {
      return;
    }
    e.preventDefault();
  },

  // ---- Keys: the game hears them while the board has the focus.

  key(code, down) {
    const scan = YelkoScanCodes[code];
    if (scan === undefined || !this.started) return false;
    if (down) this.held.add(code); else this.held.delete(code);
    _yelko_web_key(scan, down ? 1 : 0);
    this.wakeUp();
    return true;
  },

  // A press shorter than a frame: the game still sees it once.
  tap(code) {
    if (this.key(code, true)) this.key(code, false);
  },

  releaseAll() {
    for (const code of [...this.held]) this.key(code, false);
  },

  focusBoard() {
    if (!this.gameOver) this.canvas.focus();
  },

  // Keys still held when a box or menu closes answered it: the game does not get them.
  suppressHeld() {
    for (const code of this.pressedNow) this.suppressed.add(code);
  },
  pressedNow: new Set(),

  onKeyDown(e) {
    this.pressedNow.add(e.code);
    this.startAudio();
    if (this.modal) {
      if (this.boxKey && !e.repeat) this.boxKey(e);
      return;
    }
    if (this.gameOver) return;
    if (this.menuOpen) {
      this.menuKey(e);
      return;
    }
    if (e.altKey && !e.ctrlKey && !e.metaKey) {
      const title = this.titles().find((t) => 'Key' + t.dataset.key.toUpperCase() === e.code);
      if (title) {
        e.preventDefault();
        this.openTitle(title);
        return;
      }
    }
    if (e.code === 'F10' && !e.altKey && !e.ctrlKey && !e.shiftKey && !e.metaKey) {
      const first = this.titles()[0];
      if (first) {
        e.preventDefault();
        this.openTitle(first);
        return;
      }
    }
    if (e.target !== this.canvas) {
      if (e.target.closest && e.target.closest('#menubar')) this.barKey(e);
      return;  // the page's own controls take their keys
    }
    // Ctrl+C and Ctrl+V (Cmd on a Mac) are the game's Copy and Paste, never the C or V key.
    if ((e.ctrlKey || e.metaKey) && !e.altKey && !e.shiftKey && /^[cv]$/i.test(e.key)) {
      if (e.repeat) {
        e.preventDefault();
      } else if (e.key.toLowerCase() === 'c') {
        e.preventDefault();
        if (this.started) this.command(YelkoCommand.copyCode);
      } else if (this.started) {
        this.pasteKey();  // (not prevented: the browser pastes)
      }
      return;
    }
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    if (e.key === '?') {
      e.preventDefault();
      if (this.started && !e.repeat) this.describe();
      return;
    }
    // The game sees every key; the page keeps Tab and the function keys (reload, full screen).
    const pageKey = e.code === 'Tab' || /^F[0-9]+$/.test(e.code);
    if (this.suppressed.has(e.code) || e.repeat) {
      if (YelkoScanCodes[e.code] !== undefined && !pageKey) e.preventDefault();
      return;
    }
    if (this.key(e.code, true) && !pageKey) e.preventDefault();
  },

  onKeyUp(e) {
    this.pressedNow.delete(e.code);
    this.suppressed.delete(e.code);
    if (this.held.has(e.code)) this.key(e.code, false);
  },

  // The board lost the keyboard: nothing it held stays held.
  onBlur() {
    this.held.clear();
    if (this.started) _yelko_web_blur();
    this.wakeUp();
  },

  // ---- Mouse and touch: screen positions to board pixels, whatever size the board is shown at.

  boardPoint(clientX, clientY) {
    const r = this.canvas.getBoundingClientRect();
    return [Math.floor((clientX - r.left) * YelkoBoardPixels / r.width),
            Math.floor((clientY - r.top) * YelkoBoardPixels / r.height)];
  },

  click(right, clicks, clientX, clientY, shift) {
    if (this.modal || this.gameOver || !this.started) return;
    const point = this.boardPoint(clientX, clientY);
    _yelko_web_click(right ? 1 : 0, clicks >= 2 && clicks % 2 === 0 ? 1 : 0, point[0], point[1],
                     shift ? 1 : 0);
    this.dragging = !right;
    this.wakeUp();
  },

  // The palette of objects a long press in the editor offers for its cell (none: null).
  paletteAt: null,
  showPalette(point) {
    this.paletteAt = point;
    if ($('palette').hidden === !point) return;
    $('palette').hidden = !point;
    this.layout();
  },

  // A left press on the board held and moved: the editor paints every cell on the way.
  dragging: false,
  drag(clientX, clientY) {
    if (!this.dragging || this.modal || this.gameOver || !this.started) return;
    const point = this.boardPoint(clientX, clientY);
    _yelko_web_drag(point[0], point[1]);
    this.wakeUp();
  },

  // A swipe is one step, as a tap of the arrow. A finger that then rests keeps walking after a
  // pause, as a held key repeats, until it lifts or swipes another way. A touch that does not
  // move is a left click, a long one a right click.
  touch: null,
  pointer: null,        // where the mouse was last seen, and where it was when a menu opened
  menuPointer: '',
  swipeDistance: 24,
  holdAfterMs: 400,
  longPressMs: 500,

  onTouchStart(e) {
    if (e.cancelable) e.preventDefault();
    this.startAudio();
    this.focusBoard();
    if (this.menuOpen) this.closeMenus();  // a touch elsewhere closes the menu, and only that
    else if (this.modal || this.gameOver || this.touch || e.changedTouches.length === 0) return;
    else this.startTouch(e.changedTouches[0]);
  },

  startTouch(t) {
    const touch = { id: t.identifier, x: t.clientX, y: t.clientY, startX: t.clientX,
                    startY: t.clientY, arrow: null, holding: false, long: false, timer: 0 };
    this.showPalette(null);
    touch.timer = setTimeout(() => {
      touch.long = true;
      this.click(true, 1, touch.startX, touch.startY);
      // In the editor a long press steps the object, and offers every object to pick instead.
      if (this.editing === 1) this.showPalette(this.boardPoint(touch.startX, touch.startY));
    }, this.longPressMs);
    this.touch = touch;
  },

  stopHolding(touch) {
    clearTimeout(touch.timer);
    if (touch.holding) this.key(touch.arrow, false);
    touch.holding = false;
  },

  onTouchMove(e) {
    if (e.cancelable) e.preventDefault();
    const touch = this.touch;
    const t = touch && [...e.changedTouches].find((c) => c.identifier === touch.id);
    if (!t || touch.long) return;
    const dx = t.clientX - touch.x;
    const dy = t.clientY - touch.y;
    // In the editor a finger that moves paints, as a left drag does.
    if (this.editing === 1) {
      if (!touch.painting && Math.max(Math.abs(dx), Math.abs(dy)) < this.swipeDistance / 2) return;
      if (!touch.painting) {
        clearTimeout(touch.timer);
        touch.painting = true;
        this.click(false, 1, touch.startX, touch.startY);
      }
      this.drag(t.clientX, t.clientY);
      return;
    }
    if (Math.max(Math.abs(dx), Math.abs(dy)) < this.swipeDistance) return;
    const arrow = Math.abs(dx) > Math.abs(dy) ? (dx > 0 ? 'ArrowRight' : 'ArrowLeft')
                                              : (dy > 0 ? 'ArrowDown' : 'ArrowUp');
    touch.x = t.clientX;
    touch.y = t.clientY;
    this.stopHolding(touch);
    if (arrow !== touch.arrow) this.tap(arrow);
    touch.arrow = arrow;
    touch.timer = setTimeout(() => {
      touch.holding = true;
      this.key(arrow, true);
    }, this.holdAfterMs);
  },

  onTouchEnd(e) {
    if (e.cancelable) e.preventDefault();
    const touch = this.touch;
    if (!touch || ![...e.changedTouches].some((c) => c.identifier === touch.id)) return;
    this.stopHolding(touch);
    this.touch = null;
    this.dragging = false;
    if (!touch.arrow && !touch.long && !touch.painting && e.type === 'touchend') {
      this.click(false, 1, touch.startX, touch.startY);
    }
  },

  // ---- Sound: Web Audio, which browsers start only after a key, click or touch. The sounds
  // are kept as the game gave them and made into buffers once the first gesture has made the
  // audio context (making one can take a while, and none may play before anyway).

  audioOpen() {
    this.audioClass = window.AudioContext || window.webkitAudioContext;
    return this.audioClass ? 1 : 0;
  },

  audioClose() {
    if (this.audio) this.audio.close();
    this.audio = null;
    this.audioClass = null;
    this.sounds.clear();
  },

  startAudio() {
    if (!this.audio && this.audioClass) {
      try {
        this.audio = new this.audioClass();
      } catch (error) {
        this.audioClass = null;
        return;
      }
      for (const sound of this.sounds.values()) this.makeBuffer(sound);
    }
    if (this.audio && this.audio.state === 'suspended') this.audio.resume();
  },

  createSound(bytes, rate, channels, bits, name) {
    if (!this.audioClass) return 0;
    const sound = { pcm: { bytes, rate, channels, bits }, buffer: null, name, source: null };
    if (this.audio && !this.makeBuffer(sound)) return 0;
    const id = this.nextSound++;
    this.sounds.set(id, sound);
    return id;
  },

  makeBuffer(sound) {
    const pcm = sound.pcm;
    const frames = pcm.bytes.length / (pcm.channels * pcm.bits / 8);
    try {
      sound.buffer = this.audio.createBuffer(pcm.channels, frames, pcm.rate);
    } catch (error) {
      return false;
    }
    const view = new DataView(pcm.bytes.buffer);
    for (let c = 0; c < pcm.channels; ++c) {
      const out = sound.buffer.getChannelData(c);
      for (let i = 0; i < frames; ++i) {
        const at = i * pcm.channels + c;
        out[i] = pcm.bits === 8 ? (pcm.bytes[at] - 128) / 128 : view.getInt16(at * 2, true) / 32768;
      }
    }
    return true;
  },

  playSound(id) {
    const sound = this.sounds.get(id);
    if (!sound) return 0;
    this.stopSound(id);
    // Before the first gesture the browser holds the sound back; it is dropped, not queued.
    if (!this.audio || this.audio.state !== 'running' || !sound.buffer) return 1;
    const source = this.audio.createBufferSource();
    source.buffer = sound.buffer;
    source.connect(this.audio.destination);
    source.onended = () => { if (sound.source === source) sound.source = null; };
    source.start();
    sound.source = source;
    this.played.push(sound.name);
    return 1;
  },

  stopSound(id) {
    const sound = this.sounds.get(id);
    if (sound && sound.source) {
      const source = sound.source;
      sound.source = null;
      try { source.stop(); } catch (error) { /* already ended */ }
    }
  },

  releaseSound(id) {
    this.stopSound(id);
    this.sounds.delete(id);
  },

  beep() {
    if (!this.audio || this.audio.state !== 'running') return;
    const tone = this.audio.createOscillator();
    const gain = this.audio.createGain();
    tone.frequency.value = 880;
    gain.gain.value = 0.1;
    tone.connect(gain).connect(this.audio.destination);
    tone.start();
    tone.stop(this.audio.currentTime + 0.12);
  },

  notify(text) {
    const notice = $('notice');
    notice.textContent = text;
    notice.hidden = false;
    this.layout();
  },

  // The editor's level as a file of the player's.
  downloadLevel() {
    let bytes;
    try {
      bytes = FS.readFile('/game/level.dat');
    } catch (error) {
      this.notify('There is no level.dat yet: make one in the editor (D) and save it (S).');
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = 'level.dat';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  },

  // A level file from disk becomes level.dat and is played, as "--start-level 0" does: only a
  // file the game can play, and a saved level.dat is replaced only when the player says so.
  // File > Open collection > Choose a file…: the page's own file dialog.
  chooseFile() {
    $('collection-chooser').click();
    return 1;
  },

  // A collection (or a level's text) chosen or dropped: its text goes to the game.
  async giveFile(file) {
    if (!file || !this.started) return;
    if (file.size > 4 * 1024 * 1024) {
      this.notify('"' + file.name + '" is over 4 MiB: not a collection.');
      return;
    }
    let text;
    try {
      text = await file.text();
    } catch (error) {
      this.notify('"' + file.name + '" could not be read: ' + error.message);
      return;
    }
    const name = this.gameText(file.name);
    const copy = this.gameText(text);
    if (name && copy) _yelko_web_give_file(name, copy);
    _free(name);
    _free(copy);
    this.wakeUp();
    this.focusBoard();
  },

  async openLevel(file) {
    if (!file || !this.started) return;
    const bytes = new Uint8Array(await file.slice(0, 65536).arrayBuffer());
    const copy = _malloc(bytes.length || 1);
    HEAPU8.set(bytes, copy);
    const problem = UTF8ToString(_yelko_web_level_problem(copy, file.size > 65536 ? file.size : bytes.length));
    _free(copy);
    if (problem) {
      await this.box('Open level', '"' + file.name + '" is not a level: ' + problem);
      return;
    }
    if (YelkoStore.values.has('level.dat') &&
        await this.box('Open level', 'Replace the level.dat you saved with "' + file.name + '"?',
                       ['Replace', 'Keep mine']) !== 1) {
      return;
    }
    if (!YelkoStore.off && !await YelkoStore.put('level.dat', bytes)) {
      await this.box('Open level', '"' + file.name + '" could not be kept: ' + YelkoStore.error + '.');
      return;
    }
    if (YelkoStore.off) {
      await this.box('Open level', 'This browser does not let the page keep a level file.');
      return;
    }
    const url = new URL(location.href);
    url.searchParams.set('start-level', '0');
    url.hash = '';  // a puzzle's address would play the puzzle again, not the level opened
    location.assign(url.href);
  },

  // ---- The end

  ended() {
    this.gameOver = true;
    this.closeMenus();
    $('ended').hidden = false;
    $('again').focus();
  },

  // ---- Layout: yelkoLayout (index.html) places the board; its canvas holds the frame at the
  // size it gives, drawn again when that changes.

  layout() {
    const held = yelkoLayout();
    const canvas = this.canvas;
    if (canvas.width !== held) {
      canvas.width = canvas.height = held;
      if (this.pictured) this.show();
    }
  },

  // ---- Offline: a service worker keeps this build for later visits. A newer build it finds is
  // taken over once this page has all it needs, so the next visit gets the new one whole.

  registerWorker() {
    if (!('serviceWorker' in navigator) || location.protocol === 'file:') return;
    navigator.serviceWorker.register('sw.js').then((registration) => {
      const take = (worker) => { if (worker) worker.postMessage('take-over'); };
      take(registration.waiting);
      registration.addEventListener('updatefound', () => {
        const worker = registration.installing;
        worker.addEventListener('statechange', () => {
          if (worker.state === 'installed') take(worker);
        });
      });
    }, (error) => console.warn('Yelko will not play offline: ' + error.message));
  },

  setUp() {
    this.canvas = $('board');
    this.frame = document.createElement('canvas');
    this.frame.width = this.frame.height = YelkoBoardPixels;
    // Kept in memory, not on the graphics processor: each frame writes some of its rows, which
    // there cost a copy of the whole canvas after the board has drawn it.
    this.frame.getContext('2d', { willReadFrequently: true });
    const canvas = this.canvas;
    const bar = $('menubar');
    addEventListener('keydown', (e) => this.onKeyDown(e), true);
    addEventListener('keyup', (e) => this.onKeyUp(e), true);
    addEventListener('blur', () => this.onBlur());
    canvas.addEventListener('blur', () => this.onBlur());
    addEventListener('resize', () => this.layout());
    addEventListener('pointerdown', () => this.startAudio(), true);
    addEventListener('mousemove', (e) => { this.pointer = [e.clientX, e.clientY]; }, true);
    addEventListener('mousedown', (e) => { this.pointer = [e.clientX, e.clientY]; }, true);
    canvas.addEventListener('mousedown', (e) => {
      this.focusBoard();
      if (e.button === 0 || e.button === 2) {
        this.click(e.button === 2, e.detail, e.clientX, e.clientY, e.shiftKey);
      }
      e.preventDefault();
    });
    addEventListener('mousemove', (e) => {
      if (this.dragging && (e.buttons & 1)) this.drag(e.clientX, e.clientY);
    });
    addEventListener('mouseup', (e) => { if (e.button === 0) this.dragging = false; });
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('touchstart', (e) => this.onTouchStart(e), { passive: false });
    canvas.addEventListener('touchmove', (e) => this.onTouchMove(e), { passive: false });
    canvas.addEventListener('touchend', (e) => this.onTouchEnd(e), { passive: false });
    canvas.addEventListener('touchcancel', (e) => this.onTouchEnd(e), { passive: false });

    // The menu bar opens and closes as a desktop's does: a click on a title opens it, moving
    // to another title while one is open opens that one, a click elsewhere closes it.
    bar.addEventListener('mousedown', (e) => {
      e.preventDefault();
      const title = e.target.closest('.title');
      if (!title) return;
      if (!title.parentElement.classList.contains('open')) this.openTitle(title);
      else this.closeMenus();
    });
    bar.addEventListener('mouseup', (e) => {
      const item = e.target.closest('.item');
      if (item) this.choose(item);
    });
    // Only a pointer that moves since a menu opened picks items: one resting where a menu drops
    // down (opened from the keyboard) does not.
    bar.addEventListener('mouseover', (e) => {
      if (!this.menuOpen || String([e.clientX, e.clientY]) === this.menuPointer) return;
      const item = e.target.closest('.item');
      const title = e.target.closest('.title');
      if (item) {
        this.highlight(item);
        if (item.hasAttribute('aria-haspopup')) this.setOpen(item, true);  // a submenu opens under the mouse
      } else if (title && !title.parentElement.classList.contains('open')) {
        this.openTitle(title);
      }
    });
    // A click that closes a menu does nothing else.
    document.addEventListener('mousedown', (e) => {
      if (!this.menuOpen || bar.contains(e.target)) return;
      this.closeMenus();
      e.preventDefault();
      e.stopPropagation();
    }, true);

    for (const button of document.querySelectorAll('#palette button')) {
      button.addEventListener('click', () => {
        const at = this.paletteAt;
        this.showPalette(null);
        if (!at || this.editing !== 1 || this.modal || this.gameOver) return;
        _yelko_web_set_object(at[0], at[1], Number(button.dataset.object));
        this.wakeUp();
        this.focusBoard();
      });
    }
    // A button that appears where another was pressed (the editor's row changes with the mode)
    // takes no click it was not pressed for.
    for (const button of document.querySelectorAll('#editkeys button[data-command]')) {
      button.addEventListener('pointerdown', () => { this.pressedButton = button; });
      button.addEventListener('click', (e) => {
        const mine = e.detail === 0 || this.pressedButton === button;
        this.pressedButton = null;
        if (!mine) return;
        this.command(Number(button.dataset.command));
        this.focusBoard();
      });
    }
    // Buttons that stand for keys (touch screens): held while pressed. A button of two keys
    // (Shift and H for Show solution) holds both.
    for (const button of document.querySelectorAll('#touchkeys button, #editkeys button[data-code]')) {
      const codes = button.dataset.code.split(' ');
      const up = () => { for (const code of codes) if (this.held.has(code)) this.key(code, false); };
      button.addEventListener('pointerdown', (e) => {
        e.preventDefault();
        this.pressedButton = button;
        if (!this.modal && !this.menuOpen && !this.gameOver) for (const code of codes) this.key(code, true);
      });
      for (const type of ['pointerup', 'pointerleave', 'pointercancel']) {
        button.addEventListener(type, up);
      }
      button.addEventListener('click', (e) => {  // from the keyboard (a pointer's is taken above)
        if (e.detail === 0) {
          for (const code of codes) this.key(code, true);
          up();
        }
      });
      button.addEventListener('contextmenu', (e) => e.preventDefault());
    }
    this.coarse = yelkoCoarse;  // (index.html shows the touch buttons)

    // The page's own buttons give the keyboard back to the game once pressed.
    $('next').addEventListener('click', () => {
      this.command(YelkoCommand.nextLevel);
      this.focusBoard();
    });
    $('download').addEventListener('click', () => {
      this.focusBoard();
      this.downloadLevel();
    });
    $('share').addEventListener('click', () => {
      this.focusBoard();
      this.share();
    });
    document.addEventListener('paste', (e) => this.onPaste(e));
    // A new puzzle's address, typed or followed, starts the game again with it.
    addEventListener('hashchange', () => {
      if (/^#(p|puzzle)=/.test(location.hash)) location.reload();
    });
    const chooser = $('chooser');
    $('open').addEventListener('click', () => chooser.click());
    chooser.addEventListener('change', () => {
      this.focusBoard();
      this.openLevel(chooser.files[0]);
      chooser.value = '';
    });
    const collections = $('collection-chooser');
    collections.addEventListener('change', () => {
      this.giveFile(collections.files[0]);
      collections.value = '';
    });
    // A file dropped on the board: a level file (.dat) as Open level does, any other as text.
    canvas.addEventListener('dragover', (e) => e.preventDefault());
    canvas.addEventListener('drop', (e) => {
      e.preventDefault();
      const file = e.dataTransfer && e.dataTransfer.files[0];
      if (file && /\.dat$/i.test(file.name)) this.openLevel(file);
      else this.giveFile(file);
    });
    // Starting again starts from the saved progress, also after an opened level.
    $('again').addEventListener('click', () => location.assign(location.pathname));
    // The store's first failure of the visit (store.js) is said here, once.
    YelkoStore.onNotice = (text) => this.notify(text);
    if (YelkoStore.notice) this.notify(YelkoStore.notice);
    this.layout();
  },
};

YelkoPage.setUp();
