// How the page gets the game: index.html has fetched the code (index.wasm, compiled as it
// arrives) and the data files (index.data: levels, image sheets, sounds, the collections), unpacked from gzip;
// here the data files are laid out for the program and the program is started once the
// player's store has been read as well. Runs before the program.
'use strict';

const YelkoLoad = {
  // index.data is a list of files: a name's length (1 byte), the name, how it is packed (1
  // byte), the size (4 bytes, little-endian) and the bytes. Packed as k < 128: each byte was
  // stored as its difference from the byte k before it (0: as it is), which packs pictures and
  // sounds tighter.
  unpackData(bytes) {
    const files = new Map();
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    for (let at = 0; at < bytes.length;) {
      const nameLength = bytes[at];
      const name = new TextDecoder().decode(bytes.subarray(at + 1, at + 1 + nameLength));
      at += 1 + nameLength;
      const packed = bytes[at++];
      const size = at + 4 <= bytes.length ? view.getUint32(at, true) : 0;
      const start = at + 4;
      if (start + size > bytes.length || !/^(collections\/)?[\w.-]+$/.test(name) || packed >= 128) {
        throw new Error('index.data is damaged');
      }
      // Unpacked where it lies, and given to the file system as it is (no copies: fresh memory
      // is slow to touch the first time).
      const file = bytes.subarray(start, start + size);
      if (packed > 0) {
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
        files.forEach((bytes, name) => FS.writeFile('/game/' + name, bytes, { canOwn: true }));
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
  if (level !== null && /^[0-9]{1,3}$/.test(level) && Number(level) <= 255) {
    Module.arguments.push('--start-level', level);
  }
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
