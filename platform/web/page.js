// The page around the game: its menu bar, boxes, status line, input, sound and storage. The
// game itself (web_backend.cpp) calls YelkoPage's methods; the page calls the game back through
// the functions it exports (_yelko_web_key and the like).
'use strict';

// Before the program starts: the player's storage is loaded into /persist, and the address
// may ask for a level, as the desktop's command line does ("?start-level=0" plays level.dat).
Module.arguments = [];
(function () {
  const level = new URLSearchParams(location.search).get('start-level');
  if (level !== null && /^[0-9]{1,3}$/.test(level)) Module.arguments.push('--start-level', level);
})();
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  FS.mkdir('/persist');
  FS.mount(IDBFS, {}, '/persist');
  addRunDependency('yelko-storage');
  FS.syncfs(true, function (error) {
    if (error) YelkoPage.storageFailed();
    removeRunDependency('yelko-storage');
  });
});
Module.print = function (text) { console.log(text); };
Module.printErr = function (text) { console.error(text); };

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

const YelkoPage = {
  canvas: null,
  context: null,
  modal: false,         // a box is open: no frame runs, keys go to the box
  menuOpen: false,      // a menu is open: the same
  held: new Set(),      // codes the game was told are down
  suppressed: new Set(),  // codes held when a box or menu closed, ignored until released
  frames: 0,            // frames shown, for the page's own measurements
  played: [],           // names of the sounds started, newest last
  audio: null,
  sounds: new Map(),
  nextSound: 1,
  storageWarned: false,
  gameOver: false,

  // ---- Window

  openWindow() {
    this.canvas = document.getElementById('board');
    this.context = this.canvas.getContext('2d', { alpha: false });
    document.getElementById('loading').hidden = true;
    this.layout();
  },

  setStatus(text) {
    document.getElementById('status').textContent = text;
  },

  present(rgba, width, height) {
    this.context.putImageData(new ImageData(rgba, width, height), 0, 0);
    ++this.frames;
  },

  // Waits for the display refresh at which the game's next frame is due. A frame due within
  // a few milliseconds of a refresh is taken there, so a 60 Hz display shows every frame.
  async nextFrame(deadlineMs) {
    for (;;) {
      await new Promise((resolve) => requestAnimationFrame(resolve));
      if (!this.modal && !this.menuOpen && performance.now() >= deadlineMs - 4) return;
    }
  },

  // ---- Boxes

  // A modal box with an OK button: resolves 1 for OK or Enter, 2 for Escape.
  box(caption, text) {
    // Called from inside the game: the keys it holds are let go on its side when the box closes.
    this.closeMenus();
    this.held.clear();
    this.modal = true;
    const shade = document.getElementById('shade');
    const title = document.getElementById('box-caption');
    title.textContent = caption;
    title.hidden = caption === '';
    document.getElementById('box-text').textContent = text.replace(/\n$/, '');
    const ok = document.getElementById('box-ok');
    shade.hidden = false;
    ok.focus();
    return new Promise((resolve) => {
      const finish = (answer) => {
        ok.removeEventListener('click', onClick);
        this.boxKey = null;
        shade.hidden = true;
        this.modal = false;
        this.suppressHeld();
        resolve(answer);
      };
      const onClick = () => finish(1);
      this.boxKey = (e) => {
        if (e.code === 'Escape') finish(2);
        else if (e.code === 'Enter' || e.code === 'NumpadEnter' || e.code === 'Space') finish(1);
        else if (e.code !== 'Tab') return;
        e.preventDefault();
      };
      ok.addEventListener('click', onClick);
    });
  },
  boxKey: null,

  // ---- Menu bar: built from the game's menu lines [text, id, depth, enabled, checked].

  setMenu(lines) {
    // (No menu is open here: the game runs no frame while one is.)
    const bar = document.getElementById('menubar');
    bar.textContent = '';
    let parents = [bar];
    for (const line of lines) {
      // (No destructuring: emscripten's JavaScript optimiser loses it.)
      const rawText = line[0], id = line[1], depth = line[2], enabled = line[3], checked = line[4];
      const text = rawText.replace(/&(.)/g, '$1');
      const parent = parents[Math.min(depth, parents.length - 1)];
      if (depth === 0) {
        const title = document.createElement('div');
        title.className = 'title';
        title.textContent = text;
        title.dataset.key = (rawText.match(/&(.)/) || [, text[0]])[1].toLowerCase();
        const list = document.createElement('div');
        list.className = 'list';
        title.appendChild(list);
        bar.appendChild(title);
        parents = [bar, list];
        continue;
      }
      const item = document.createElement('div');
      item.className = 'item';
      item.setAttribute('role', 'menuitem');
      item.textContent = text;
      if (!enabled) item.classList.add('disabled');
      if (checked) item.classList.add('checked');
      item.dataset.id = id;
      parent.appendChild(item);
      parents.length = depth + 1;
      if (id === 0) {
        item.classList.add('sub');
        const list = document.createElement('div');
        list.className = 'list';
        item.appendChild(list);
        parents.push(list);
      }
    }
  },

  openTitle(title) {
    this.closeMenus();
    this.releaseAll();
    title.classList.add('open');
    this.menuOpen = true;
    const first = title.querySelector('.list > .item:not(.disabled)');
    if (first) this.highlight(first);
  },

  closeMenus() {
    if (!this.menuOpen) return;
    for (const open of document.querySelectorAll('#menubar .open, #menubar .hot')) {
      open.classList.remove('open', 'hot');
    }
    this.menuOpen = false;
    this.suppressHeld();
  },

  highlight(item) {
    const title = item.closest('.title');
    for (const hot of title.querySelectorAll('.hot')) {
      if (!hot.contains(item)) hot.classList.remove('hot', 'open');
    }
    item.classList.add('hot');
    if (item.classList.contains('sub')) item.classList.add('open');
  },

  choose(item) {
    if (item.classList.contains('disabled')) return;
    if (item.classList.contains('sub')) {
      item.classList.add('open');
      const first = item.querySelector('.item:not(.disabled)');
      if (first) this.highlight(first);
      return;
    }
    this.closeMenus();
    _yelko_web_command(Number(item.dataset.id));
  },

  // Arrow keys, Enter and Escape inside an open menu.
  menuKey(e) {
    const title = document.querySelector('#menubar .title.open');
    if (!title) return;
    const hot = [...title.querySelectorAll('.item.hot')].pop();
    const list = hot ? hot.parentElement : title.querySelector('.list');
    const items = [...list.children].filter((i) => !i.classList.contains('disabled'));
    const at = items.indexOf(hot);
    const titles = [...document.querySelectorAll('#menubar .title')];
    switch (e.code) {
      case 'Escape':
        if (hot && list.parentElement.classList.contains('sub')) {
          hot.classList.remove('hot');
          list.parentElement.classList.remove('open');
        } else {
          this.closeMenus();
        }
        break;
      case 'ArrowDown':
      case 'ArrowUp':
        if (items.length) {
          const step = e.code === 'ArrowDown' ? 1 : items.length - 1;
          this.highlight(items[(at + step + (at < 0 ? 1 : 0)) % items.length]);
        }
        break;
      case 'ArrowRight':
        if (hot && hot.classList.contains('sub')) this.choose(hot);
        else this.openTitle(titles[(titles.indexOf(title) + 1) % titles.length]);
        break;
      case 'ArrowLeft':
        if (hot && list.parentElement.classList.contains('sub')) {
          hot.classList.remove('hot');
          list.parentElement.classList.remove('open');
        } else {
          this.openTitle(titles[(titles.indexOf(title) + titles.length - 1) % titles.length]);
        }
        break;
      case 'Enter':
      case 'NumpadEnter':
      case 'Space':
        if (hot) this.choose(hot);
        break;
      default:
        if (e.altKey) break;
        return;
    }
    e.preventDefault();
  },

  // ---- Keys

  key(code, down) {
    const scan = YelkoScanCodes[code];
    if (scan === undefined || !this.canvas) return false;  // (the game has not started yet)
    if (down) this.held.add(code); else this.held.delete(code);
    _yelko_web_key(scan, down ? 1 : 0);
    return true;
  },

  releaseAll() {
    for (const code of [...this.held]) this.key(code, false);
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
      const title = [...document.querySelectorAll('#menubar .title')]
        .find((t) => 'Key' + t.dataset.key.toUpperCase() === e.code);
      if (title) {
        e.preventDefault();
        this.openTitle(title);
        return;
      }
    }
    if (e.code === 'F10' && !e.altKey && !e.ctrlKey && !e.shiftKey && !e.metaKey) {
      const first = document.querySelector('#menubar .title');
      if (first) {
        e.preventDefault();
        this.openTitle(first);
        return;
      }
    }
    if (e.ctrlKey || e.metaKey || e.altKey) return;
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

  onBlur() {
    this.pressedNow.clear();
    this.suppressed.clear();
    this.held.clear();
    if (this.canvas) _yelko_web_blur();
  },

  // ---- Mouse and touch: canvas positions to board pixels, whatever size the canvas is shown at.

  boardPoint(clientX, clientY) {
    const r = this.canvas.getBoundingClientRect();
    return [Math.floor((clientX - r.left) * this.canvas.width / r.width),
            Math.floor((clientY - r.top) * this.canvas.height / r.height)];
  },

  click(right, clicks, clientX, clientY) {
    if (this.modal || this.gameOver || !this.canvas) return;
    const point = this.boardPoint(clientX, clientY);
    _yelko_web_click(right ? 1 : 0, clicks >= 2 && clicks % 2 === 0 ? 1 : 0, point[0], point[1]);
  },

  // A swipe is an arrow held until the finger lifts (so holding at the end keeps walking); a
  // new swipe from where the finger rests turns. A tap is a left click, a long press a right one.
  touch: null,
  onTouchStart(e) {
    if (e.cancelable) e.preventDefault();
    this.startAudio();
    if (this.menuOpen) this.closeMenus();  // a touch elsewhere closes the menu, and only that
    else if (this.modal || this.gameOver || this.touch || e.changedTouches.length === 0) return;
    else this.startTouch(e.changedTouches[0]);
  },

  startTouch(t) {
    const touch = { id: t.identifier, x: t.clientX, y: t.clientY, startX: t.clientX,
                    startY: t.clientY, arrow: null, long: false, timer: 0 };
    touch.timer = setTimeout(() => {
      if (touch.arrow) return;
      touch.long = true;
      this.click(true, 1, touch.startX, touch.startY);
    }, 500);
    this.touch = touch;
  },

  onTouchMove(e) {
    if (e.cancelable) e.preventDefault();
    const touch = this.touch;
    const t = touch && [...e.changedTouches].find((c) => c.identifier === touch.id);
    if (!t || touch.long) return;
    const dx = t.clientX - touch.x;
    const dy = t.clientY - touch.y;
    if (Math.max(Math.abs(dx), Math.abs(dy)) < 24) return;
    const arrow = Math.abs(dx) > Math.abs(dy) ? (dx > 0 ? 'ArrowRight' : 'ArrowLeft')
                                              : (dy > 0 ? 'ArrowDown' : 'ArrowUp');
    clearTimeout(touch.timer);
    touch.x = t.clientX;
    touch.y = t.clientY;
    if (arrow === touch.arrow) return;
    if (touch.arrow) this.key(touch.arrow, false);
    touch.arrow = arrow;
    this.key(arrow, true);
  },

  onTouchEnd(e) {
    if (e.cancelable) e.preventDefault();
    const touch = this.touch;
    if (!touch || ![...e.changedTouches].some((c) => c.identifier === touch.id)) return;
    clearTimeout(touch.timer);
    this.touch = null;
    if (touch.arrow) this.key(touch.arrow, false);
    else if (!touch.long && e.type === 'touchend') this.click(false, 1, touch.startX, touch.startY);
  },

  // ---- Sound: Web Audio, which browsers start only after a key, click or touch.

  audioOpen() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    try {
      this.audio = new Context();
    } catch (error) {
      return 0;
    }
    return 1;
  },

  audioClose() {
    if (this.audio) this.audio.close();
    this.audio = null;
    this.sounds.clear();
  },

  startAudio() {
    if (this.audio && this.audio.state === 'suspended') this.audio.resume();
  },

  createSound(bytes, rate, channels, bits, name) {
    if (!this.audio) return 0;
    const frames = bytes.length / (channels * bits / 8);
    let buffer;
    try {
      buffer = this.audio.createBuffer(channels, frames, rate);
    } catch (error) {
      return 0;
    }
    const view = new DataView(bytes.buffer);
    for (let c = 0; c < channels; ++c) {
      const out = buffer.getChannelData(c);
      for (let i = 0; i < frames; ++i) {
        const at = i * channels + c;
        out[i] = bits === 8 ? (bytes[at] - 128) / 128 : view.getInt16(at * 2, true) / 32768;
      }
    }
    const id = this.nextSound++;
    this.sounds.set(id, { buffer, name, source: null });
    return id;
  },

  playSound(id) {
    const sound = this.sounds.get(id);
    if (!sound || !this.audio) return 0;
    this.stopSound(id);
    // Before the first gesture the browser holds the sound back; it is dropped, not queued.
    if (this.audio.state !== 'running') return 1;
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

  // ---- Storage

  sync() {
    return new Promise((resolve) => FS.syncfs(false, (error) => resolve(error ? 0 : 1)));
  },

  storageFailed() {
    if (this.storageWarned) return;
    this.storageWarned = true;
    const notice = document.getElementById('notice');
    notice.textContent = 'This browser does not let the page keep your progress and levels.';
    notice.hidden = false;
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

  // A level file from disk becomes level.dat and is played, as "--start-level 0" does.
  async openLevel(file) {
    if (!file) return;
    if (file.size > 65536) {
      this.notify('"' + file.name + '" is too large to be a level.');
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    FS.writeFile('/persist/level.dat', bytes);
    await this.sync();
    const url = new URL(location.href);
    url.searchParams.set('start-level', '0');
    location.assign(url.href);
  },

  notify(text) {
    const notice = document.getElementById('notice');
    notice.textContent = text;
    notice.hidden = false;
  },

  // ---- The end

  ended() {
    this.gameOver = true;
    this.closeMenus();
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
  },

  // ---- Layout: the board at the largest whole factor that fits, else shrunk smoothly.

  layout() {
    const canvas = this.canvas || document.getElementById('board');
    const page = document.getElementById('page');
    const other = page.offsetHeight - canvas.offsetHeight;
    // The layout viewport: on a phone, innerWidth may be that of a page zoomed out.
    const view = document.documentElement;
    const room = Math.min(view.clientWidth - 16, view.clientHeight - other - 8);
    const factor = Math.floor(room / canvas.width);
    const side = factor >= 1 ? factor * canvas.width : Math.max(140, Math.floor(room));
    canvas.style.width = canvas.style.height = side + 'px';
    canvas.classList.toggle('smooth', factor < 1);
    page.style.width = Math.max(side, 280) + 'px';
  },

  setUp() {
    const canvas = document.getElementById('board');
    const bar = document.getElementById('menubar');
    addEventListener('keydown', (e) => this.onKeyDown(e), true);
    addEventListener('keyup', (e) => this.onKeyUp(e), true);
    addEventListener('blur', () => this.onBlur());
    addEventListener('resize', () => this.layout());
    addEventListener('pointerdown', () => this.startAudio(), true);
    canvas.addEventListener('mousedown', (e) => {
      if (e.button === 0 || e.button === 2) this.click(e.button === 2, e.detail, e.clientX, e.clientY);
      e.preventDefault();
    });
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
      const item = e.target.closest('.item');
      if (item) return;
      if (title && !title.classList.contains('open')) this.openTitle(title);
      else if (title) this.closeMenus();
    });
    bar.addEventListener('mouseup', (e) => {
      const item = e.target.closest('.item');
      if (item) this.choose(item);
    });
    bar.addEventListener('mouseover', (e) => {
      if (!this.menuOpen) return;
      const item = e.target.closest('.item');
      const title = e.target.closest('.title');
      if (item) this.highlight(item);
      else if (title && !title.classList.contains('open')) this.openTitle(title);
    });
    // A click that closes a menu does nothing else.
    document.addEventListener('mousedown', (e) => {
      if (!this.menuOpen || bar.contains(e.target)) return;
      this.closeMenus();
      e.preventDefault();
      e.stopPropagation();
    }, true);

    // Buttons that stand for keys (touch screens): held while pressed.
    for (const button of document.querySelectorAll('#touchkeys button')) {
      const code = button.dataset.code;
      const up = () => { if (this.held.has(code)) this.key(code, false); };
      button.addEventListener('pointerdown', (e) => {
        e.preventDefault();
        if (!this.modal && !this.menuOpen && !this.gameOver) this.key(code, true);
      });
      for (const type of ['pointerup', 'pointerleave', 'pointercancel']) {
        button.addEventListener(type, up);
      }
      button.addEventListener('contextmenu', (e) => e.preventDefault());
    }
    const coarse = matchMedia('(pointer: coarse)').matches || navigator.maxTouchPoints > 0;
    document.getElementById('touchkeys').hidden = !coarse;

    // The page's own buttons give the keyboard back to the game once pressed.
    const download = document.getElementById('download');
    download.addEventListener('click', () => { download.blur(); this.downloadLevel(); });
    const chooser = document.getElementById('chooser');
    const open = document.getElementById('open');
    open.addEventListener('click', () => { open.blur(); chooser.click(); });
    chooser.addEventListener('change', () => this.openLevel(chooser.files[0]));
    // Starting again starts from the saved progress, also after an opened level.
    document.getElementById('again').addEventListener('click',
                                                      () => location.assign(location.pathname));
    this.layout();
  },
};

YelkoPage.setUp();
