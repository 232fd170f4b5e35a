// The page's service worker: after the first visit the page opens and calculates without a
// network, and every page comes whole from one release. In: the page's GET requests; out: the
// files of one release from its cache. The build fills in the site's files with the SHA-256 of
// each (base64), and the release's name: a hash of this worker as built, list and code.
const RELEASE = '@RELEASE@';
const FILES = @FILES@;

// Cache storage belongs to the whole host, which may hold other apps, or another copy of the page
// in another folder: this worker's caches are named after its scope, and it touches no other.
const SCOPE = self.registration.scope;
const OWN = `korvane ${SCOPE} `;
const CACHE = OWN + RELEASE;
// What the cached copy keeps of the host's answer: the type, and the security headers the host
// set (frame-ancestors, for one, only a header can carry).
const KEPT = ['Content-Type', 'Content-Security-Policy', 'X-Content-Type-Options', 'Referrer-Policy',
  'Permissions-Policy', 'X-Frame-Options', 'Cross-Origin-Opener-Policy', 'Cross-Origin-Embedder-Policy',
  'Cross-Origin-Resource-Policy'];

const sha256 = async (bytes) => btoa(String.fromCharCode(...new Uint8Array(await crypto.subtle.digest('SHA-256', bytes))));

// Every file is checked with the host (a file the browser already holds costs a "not modified")
// and against its hash: a host caught halfway through an upload, a missing file or an error
// page fails the installation, which then removes what it stored, and only that; the release in
// use keeps its own cache, whole.
async function precache() {
  const cache = await caches.open(CACHE);
  const stored = await Promise.allSettled(Object.entries(FILES).map(async ([path, hash]) => {
    // The page itself is checked at the address that the first visit fetched it by.
    const response = await fetch(new Request(new URL(path === 'index.html' ? './' : path, SCOPE), { cache: 'no-cache' }));
    if (!response.ok) throw new Error(`${path}: HTTP ${response.status}`);
    const body = await response.arrayBuffer();
    if ((await sha256(body)) !== hash) throw new Error(`${path}: not the file of this release`);
    const headers = new Headers({ 'Content-Type': 'application/octet-stream' });
    for (const name of KEPT) if (response.headers.has(name)) headers.set(name, response.headers.get(name));
    await cache.put(new URL(path, SCOPE), new Response(body, { headers }));
  }));
  const failed = stored.find((result) => result.status === 'rejected');
  if (failed) {
    // The release in use has this name too where the host went back to it after a newer one.
    if ((await cacheOf(self.registration.active)) !== CACHE) await caches.delete(CACHE);
    throw failed.reason;
  }
}

self.addEventListener('install', (event) => event.waitUntil(precache()));

// A cache of this scope from before caches were named after it: its page lies right in the scope.
const earlierOwn = async (name) =>
  /^korvane-[0-9a-f]{16}$/.test(name) && (await caches.match(new URL('index.html', SCOPE), { cacheName: name })) !== undefined;

// The new release drops the caches of its scope's older ones, and serves the open pages, which by
// now all come from it (see takeOver).
self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    const names = await caches.keys();
    const old = await Promise.all(names.map(async (name) => name !== CACHE && (name.startsWith(OWN) || earlierOwn(name))));
    await Promise.all(names.filter((_, i) => old[i]).map((name) => caches.delete(name)));
    await self.clients.claim();
  })());
});

// Pages that this worker answered with the waiting release, by client id, with that release's
// cache; kept in a cache too, since the browser may stop and restart the worker while they load.
const PAGES = `${OWN}pages`;
const pageEntry = (id) => new URL(`?page=${encodeURIComponent(id)}`, SCOPE);
const releaseOf = async (id) => (id && (await (await caches.match(pageEntry(id), { cacheName: PAGES }))?.text())) || CACHE;

// The cache that another worker of the scope serves from, as it names it; null for none.
function cacheOf(worker) {
  if (!worker) return Promise.resolve(null);
  return new Promise((resolve) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = (event) => resolve(typeof event.data === 'string' && event.data.startsWith(OWN) ? event.data : null);
    worker.postMessage('cache?', [channel.port2]);
    // A worker that does not answer (one from before it was asked) names none.
    setTimeout(() => resolve(null), 2000);
  });
}

self.addEventListener('message', (event) => {
  if (event.data === 'cache?') event.ports[0]?.postMessage(CACHE);
  else if (event.data?.takeOver === CACHE) self.skipWaiting();
});

// The waiting release takes over once every open page of the scope is one it answered: at once
// after the reload of the last page of this one. While another page of this release stays open,
// it keeps this release's files; the new one takes over after it has closed, at the next request
// of a page of the new release (or by the browser, once no page is open).
let taking = null;
function takeOver(cache) {
  taking ??= (async () => {
    for (let tries = 0; tries < 100; ++tries) {
      const waiting = self.registration.waiting;
      if (!waiting) return;
      const pages = await self.clients.matchAll({ type: 'window' });
      if ((await Promise.all(pages.map((page) => releaseOf(page.id)))).every((release) => release === cache)) {
        waiting.postMessage({ takeOver: cache });
        return;
      }
      // The reloaded page stays a client until the new one has replaced it.
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  })().finally(() => { taking = null; });
  return taking;
}

// The path of a request within the site, as the list names it; "" for none of the site's files.
function sitePath(url) {
  const base = new URL(SCOPE);
  if (url.origin !== base.origin || !url.pathname.startsWith(base.pathname)) return '';
  const path = url.pathname.slice(base.pathname.length);
  if (path === '') return 'index.html';
  return path in FILES ? path : '';
}

// A new page gets the newest complete release: the waiting one where a release waits. Its files
// then come from that same release, whichever worker answers them.
async function answer(event, path) {
  let cache = await releaseOf(event.clientId);
  if (event.request.mode === 'navigate' && event.resultingClientId) {
    const next = await cacheOf(self.registration.waiting);
    if (next) {
      await (await caches.open(PAGES)).put(pageEntry(event.resultingClientId), new Response(next));
      cache = next;
    }
  }
  if (cache !== CACHE) event.waitUntil(takeOver(cache));
  return (await caches.match(new URL(path, SCOPE), { cacheName: cache })) ?? fetch(event.request);
}

self.addEventListener('fetch', (event) => {
  const { request } = event;
  const path = request.method === 'GET' ? sitePath(new URL(request.url)) : '';
  if (path !== '') event.respondWith(answer(event, path));
});
