// How the page gets the game: index.html has fetched the code (index.wasm, compiled as it
// arrives) and the data files (index.data: levels, image sheets, sounds, the collections), unpacked from gzip;
// here the data files are laid out for the program and the program is started once the
// player's store has been read as well. Runs before the program.
'use strict';

const YelkoLoad = {
  // index.data is a list of files: a name's length (1 byte), the name, how it is packed (1
  // byte), the size (4 bytes, little-endian) and the bytes. Packed as k < 128: each byte was
  // stored as its difference from the byte k before it (0: as it is), which packs sounds
  // tighter. Packed as 128 (a 24-bit BMP): the pixels from an offset (4 bytes, before the size)
  // in rows of a length (4 bytes) were stored as their differences from PNG's Paeth guess.
  unpackData(bytes) {
    const files = new Map();
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    for (let at = 0; at < bytes.length;) {
      const nameLength = bytes[at];
      const name = new TextDecoder().decode(bytes.subarray(at + 1, at + 1 + nameLength));
      at += 1 + nameLength;
      const packed = bytes[at++];
      let begin = 0, row = 0;
      if (packed === 128 && at + 8 <= bytes.length) {
        begin = view.getUint32(at, true);
        row = view.getUint32(at + 4, true);
        at += 8;
      }
      const size = at + 4 <= bytes.length ? view.getUint32(at, true) : 0;
      const start = at + 4;
      if (start + size > bytes.length || !/^(collections\/)?[\w.-]+$/.test(name) ||
          (packed > 128) || (packed === 128 && (row < 3 || begin > size))) {
        throw new Error('index.data is damaged');
      }
      const file = bytes.slice(start, start + size);
      if (packed === 128) {
        for (let i = begin; i < size; ++i) {
          const x = (i - begin) % row, up = i - begin >= row;
          const a = x >= 3 ? file[i - 3] : 0, b = up ? file[i - row] : 0;
          const c = x >= 3 && up ? file[i - row - 3] : 0;
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          file[i] += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
      } else if (packed > 0) {
        for (let i = packed; i < size; ++i) file[i] += file[i - packed];
      }
      files.set(name, file);
      at = start + size;
    }
    return files;
  },

  start() {
    const data = Module.yelkoData.then((buffer) => this.unpackData(new Uint8Array(buffer)));
    const stored = YelkoStore.load();
    const failed = (error) => YelkoPage.loadFailed(error);
    Module.instantiateWasm = (imports, receive) => {
      Module.yelkoCode.then((code) => WebAssembly.instantiate(code, imports)
        .then((instance) => receive(instance, code))).catch(failed);
      return {};
    };
    Module.preRun.push(() => {
      addRunDependency('yelko-data');
      data.then((files) => {
        FS.mkdir('/game');
        FS.mkdir('/game/collections');
        files.forEach((bytes, name) => FS.writeFile('/game/' + name, bytes));
        removeRunDependency('yelko-data');
      }, failed);
      addRunDependency('yelko-store');
      stored.finally(() => removeRunDependency('yelko-store'));
    });
  },
};

// The address may ask for a level, as the desktop's command line does ("?start-level=0" plays
// level.dat, "#p=CODE" a puzzle, "#puzzle=hard-7Q3K2" a puzzle made by its name).
Module.arguments = [];
(function () {
  const level = new URLSearchParams(location.search).get('start-level');
  if (level !== null && /^[0-9]{1,3}$/.test(level)) Module.arguments.push('--start-level', level);
  // A shared puzzle: "#p=CODE" (a puzzle code is at most 88 of A-Z a-z 0-9 - _).
  const puzzle = /^#p=([A-Za-z0-9_-]{1,88})$/.exec(location.hash);
  if (puzzle) Module.arguments.push('--code', puzzle[1]);
  const named = /^#puzzle=((easy|medium|hard|expert)-[0-9A-Za-z]{5})$/.exec(location.hash);
  if (named) Module.arguments.push('--puzzle', named[1]);
})();
Module.preRun = Module.preRun || [];
Module.print = function (text) { console.log(text); };
Module.printErr = function (text) { console.error(text); };
YelkoLoad.start();
