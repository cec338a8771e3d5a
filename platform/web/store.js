// The player's saved values in the browser: one IndexedDB record each (the progress, the records,
// the editor's level.dat), read whole before the game starts so that the game reads them at once;
// each write puts one record and waits until the browser has it. Every wait ends within a few
// seconds, and a failure comes back as 0 with `error` saying why in plain words.
'use strict';

const YelkoStore = {
  table: 'values',       // in the database "yelko", made by index.html
  timeoutMs: 4000,
  db: null,
  off: '',              // why this browser keeps nothing for the page ('' while it does)
  unreadable: '',       // why the records could not be read at the start ('' when they were)
  values: new Map(),    // name -> Uint8Array, or a string saying why that record cannot be read
  error: '',            // why the last call failed
  faults: [],           // for tests: what the next writes meet ('QuotaExceededError', 'AbortError'
                        // or 'hang'), one a write
  held: new Map(),      // name -> what lets go of the Web Lock held for it
  channel: null,        // tells the page's other tabs what this one wrote

  // In plain words: the status line says "Could not save your progress: " and this.
  why(error) {
    const name = error && error.name;
    if (name === 'QuotaExceededError') return 'the browser\'s storage for this page is full';
    if (name === 'AbortError') return 'the browser cancelled the write';
    if (name === 'TimeoutError') return 'the browser\'s storage did not answer in time';
    return 'the browser\'s storage failed (' + (error && error.message || error) + ')';
  },

  fail(text) {
    this.error = text;
    this.tell('Your progress could not be saved in this browser: ' + text + '.');
    return 0;
  },

  // The first failure of a visit, for the page to say once (onNotice, once the page is there).
  notice: '',
  onNotice: null,
  tell(text) {
    if (this.notice) return;
    this.notice = text;
    if (this.onNotice) this.onNotice(text);
  },

  // The promise, or a TimeoutError once timeoutMs pass (then `onTimeout` runs).
  timed(promise, onTimeout) {
    let timer;
    const late = new Promise((resolve, reject) => {
      timer = setTimeout(() => {
        if (onTimeout) onTimeout();
        reject(new DOMException('no answer', 'TimeoutError'));
      }, this.timeoutMs);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
  },

  settled(request) {
    return new Promise((resolve, reject) => {
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => reject(request.error);
    });
  },

  // Every record of the table, as a Map. (No destructuring in these scripts: emscripten's
  // JavaScript optimiser loses it.)
  async readAll(table) {
    const both = await this.timed(Promise.all([this.settled(table.getAllKeys()),
                                               this.settled(table.getAll())]));
    return new Map(both[0].map((key, i) => [key, both[1][i]]));
  },

  // A record's bytes, or why they are not the page's.
  keep(name, value) {
    if (value instanceof ArrayBuffer) value = new Uint8Array(value);
    this.values.set(name, value instanceof Uint8Array ? value
                    : 'it is not a value this page wrote');
  },

  // Before the game starts: reads every record of the database index.html opened as the page
  // arrived (Module.yelkoDatabase). A browser that refuses storage (some private windows) is
  // told once; the game goes on without it. A database this visit made (index.html says so as
  // soon as it knows: Module.yelkoDatabaseMade) holds nothing yet, so the game starts without
  // waiting for it to open, which takes a new browser profile a while; writes wait for it.
  async load() {
    const open = this.opened();
    if (!(await Promise.race([Module.yelkoDatabaseMade, open.then(() => false)]))) {
      if (!(await open)) return;
      try {
        const table = this.db.transaction(this.table).objectStore(this.table);
        (await this.readAll(table)).forEach((value, key) => this.keep(key, value));
      } catch (error) {
        this.unreadable = this.why(error);
        return;
      }
    }
    await this.moveOldFiles();
    if (window.BroadcastChannel) {
      this.channel = new BroadcastChannel('yelko-store');
      this.channel.onmessage = (e) => this.keep(e.data[0], e.data[1]);
    }
  },

  // The database once open, or null when the browser does not let the page keep it (said once).
  ready: null,
  opened() {
    if (!this.ready) {
      this.ready = this.timed(Module.yelkoDatabase).then((db) => (this.db = db), () => {
        this.off = 'this browser does not let the page keep it';
        this.tell('This browser does not let the page keep your progress and levels.');
        return null;
      });
    }
    return this.ready;
  },

  // -1 when the value is absent, -2 when it cannot be read (`error` says why), else its size.
  size(name) {
    const value = this.values.get(name);
    if (this.unreadable || typeof value === 'string') {
      this.error = this.unreadable || value;
      return -2;
    }
    return value ? value.length : -1;
  },

  // Writes one record. A value there that cannot be read is never written over. Like lock(), it
  // never throws: the game waits on it.
  async put(name, bytes) {
    if (!(await this.opened())) return this.fail(this.off);
    const old = this.values.get(name);
    if (this.unreadable || typeof old === 'string') {
      return this.fail('it is there but cannot be read (' + (this.unreadable || old) + ')');
    }
    if (old && old.length === bytes.length && old.every((b, i) => b === bytes[i])) return 1;
    const fault = this.faults.shift();
    let transaction;
    try {
      await this.timed(new Promise((resolve, reject) => {
        transaction = this.db.transaction(this.table, 'readwrite');
        transaction.objectStore(this.table).put(bytes, name);
        transaction.oncomplete = resolve;
        transaction.onabort = () => reject(fault && fault !== 'hang' ? new DOMException('', fault)
                                           : transaction.error || new DOMException('', 'AbortError'));
        if (fault) transaction.abort();
        if (fault === 'hang') transaction.onabort = null;
      }), () => { try { transaction.abort(); } catch (error) { /* already over */ } });
    } catch (error) {
      return this.fail(this.why(error));
    }
    this.values.set(name, bytes);
    try {
      if (this.channel) this.channel.postMessage([name, bytes]);
    } catch (error) { /* the other tabs read it afresh before they merge */ }
    return 1;
  },

  // Takes the Web Lock named for the value, which every tab takes around a read-merge-write, and
  // reads the record afresh. unlock() lets go. Without Web Locks (a page not served securely)
  // the record is still read afresh.
  async lock(name) {
    if (!(await this.opened())) return this.fail(this.off);
    if (navigator.locks) {
      let late = false;
      try {
        await this.timed(new Promise((granted, refused) => {
          navigator.locks.request('yelko-' + name, () => {
            if (late) return null;
            granted();
            return new Promise((release) => this.held.set(name, release));
          }).catch(refused);
        }), () => { late = true; });
      } catch (error) {
        return this.fail(this.why(error));
      }
    }
    try {
      const table = this.db.transaction(this.table).objectStore(this.table);
      const value = await this.timed(this.settled(table.get(name)));
      if (value === undefined) this.values.delete(name); else this.keep(name, value);
      return 1;
    } catch (error) {
      this.unlock(name);
      return this.fail(this.why(error));
    }
  },

  unlock(name) {
    const release = this.held.get(name);
    this.held.delete(name);
    if (release) release();
  },

  // Earlier versions of the page kept the values as files of a file system in a database named
  // "/persist": copied once, each only where the store has no record of that name.
  async moveOldFiles() {
    const moved = '.moved-from-persist';
    if (this.values.has(moved)) return;
    const old = new Map();
    try {
      // Where the browser lists its databases, a visit without that one opens nothing.
      if (indexedDB.databases &&
          !(await this.timed(indexedDB.databases())).some((d) => d.name === '/persist')) {
        return;
      }
      const request = indexedDB.open('/persist');
      request.onupgradeneeded = () => request.transaction.abort();  // there is none: leave it so
      const db = await this.timed(this.settled(request).catch((error) => {
        if (error && error.name === 'AbortError') return null;
        throw error;
      }));
      if (db && db.objectStoreNames.contains('FILE_DATA')) {
        const table = db.transaction('FILE_DATA').objectStore('FILE_DATA');
        (await this.readAll(table)).forEach((file, key) => {
          const name = String(key).replace(/^\/persist\//, '');
          const contents = file && file.contents;
          if (!name.includes('/') && name[0] !== '.' && contents && ArrayBuffer.isView(contents)) {
            old.set(name, new Uint8Array(contents.buffer, contents.byteOffset, contents.byteLength));
          }
        });
      }
      if (db) db.close();
      if (!(await this.opened())) return;
      await this.timed(new Promise((resolve, reject) => {
        const transaction = this.db.transaction(this.table, 'readwrite');
        const table = transaction.objectStore(this.table);
        old.forEach((bytes, name) => {
          table.get(name).onsuccess = (e) => {
            if (e.target.result === undefined) table.put(bytes.slice(), name);
          };
        });
        table.put(new Uint8Array([1]), moved);
        transaction.oncomplete = resolve;
        transaction.onabort = () => reject(transaction.error);
      }));
    } catch (error) {
      return;  // tried again at the next visit
    }
    old.forEach((bytes, name) => { if (!this.values.has(name)) this.values.set(name, bytes); });
    this.values.set(moved, new Uint8Array([1]));
  },
};
