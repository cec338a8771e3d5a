// The page's service worker: keeps one build of the page (the files below, each with its
// SHA-256) so that the game starts and plays offline, and takes a newer build whole: every file
// is fetched and checked before the new build is used, else the build in use stays until a
// later visit tries again. The page tells a newer build to take over once it has loaded all it
// needs, so that no page ever runs on files of two builds. The large icon, which only installing
// asks for, is kept when first asked (and checked as well).
'use strict';

const FILES = /* FILES */ {};
const WHEN_ASKED = /* WHEN_ASKED */ {};
const CACHE = 'yelko-/* BUILD */';

async function hash(bytes) {
  const digest = await crypto.subtle.digest('SHA-256', bytes);
  return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

async function keepBuild() {
  const cache = await caches.open(CACHE);
  try {
    for (const [name, sha] of Object.entries(FILES)) {
      // Asked of the server again (a copy the browser keeps may be older), and checked.
      const response = await fetch(name, { cache: 'no-cache' });
      const bytes = response.ok ? await response.arrayBuffer() : null;
      if (!bytes || await hash(bytes) !== sha) {
        throw new Error(name + ' on the server is not of this build');
      }
      // Kept as a plain answer: one the server sent on from another address (index.html to /)
      // is refused by the browser as the answer to a visit of the page.
      await cache.put(name, new Response(bytes, { headers: response.headers }));
    }
  } catch (error) {
    await caches.delete(CACHE);
    throw error;
  }
}

self.addEventListener('install', (event) => event.waitUntil(keepBuild()));

self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
});

self.addEventListener('activate', (event) => event.waitUntil((async () => {
  for (const name of await caches.keys()) {
    if (name.startsWith('yelko-') && name !== CACHE) await caches.delete(name);
  }
  await self.clients.claim();
})()));

// The page's files from the build kept, whatever the address asks of the page (?start-level=0);
// anything else from the network.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  const scope = new URL(self.registration.scope);
  if (event.request.method !== 'GET' || url.origin !== scope.origin ||
      !url.pathname.startsWith(scope.pathname)) {
    return;
  }
  const name = url.pathname.slice(scope.pathname.length) || 'index.html';
  if (!(name in FILES) && !(name in WHEN_ASKED)) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(name);
    if (kept) return kept;
    const response = await fetch(event.request);
    if (name in WHEN_ASKED && response.ok &&
        await hash(await response.clone().arrayBuffer()) === WHEN_ASKED[name]) {
      await cache.put(name, response.clone());
    }
    return response;
  })());
});
