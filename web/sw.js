// The page's service worker: after the first visit the page opens and calculates without a
// network, and a new site replaces the old one whole or not at all. In: the page's GET
// requests; out: the files of one build from its cache. The build fills in the site's files
// with the SHA-256 of each (base64); the cache's name is a hash of that list.
const CACHE = '@CACHE_NAME@';
const FILES = @FILES@;

const scope = () => new URL(self.registration.scope);
const sha256 = async (bytes) => btoa(String.fromCharCode(...new Uint8Array(await crypto.subtle.digest('SHA-256', bytes))));

// Every file is checked with the host (a file the browser already holds costs a "not modified")
// and against its hash: a host caught halfway through an upload, a missing file or an error
// page fails the installation, and the old site stays in use, whole.
async function precache() {
  const files = await Promise.all(Object.entries(FILES).map(async ([path, hash]) => {
    // The page itself is checked at the address that the first visit fetched it by.
    const address = new URL(path === 'index.html' ? './' : path, scope());
    const response = await fetch(new Request(address, { cache: 'no-cache' }));
    if (!response.ok) throw new Error(`${path}: HTTP ${response.status}`);
    const body = await response.arrayBuffer();
    if ((await sha256(body)) !== hash) throw new Error(`${path}: not the file of this build`);
    const headers = { 'Content-Type': response.headers.get('Content-Type') ?? 'application/octet-stream' };
    return [path, new Response(body, { headers })];
  }));
  const cache = await caches.open(CACHE);
  await Promise.all(files.map(([path, response]) => cache.put(new URL(path, scope()), response)));
}

self.addEventListener('install', (event) => {
  event.waitUntil(precache().catch(async (error) => {
    await caches.delete(CACHE);
    throw error;
  }));
});

// A new site's worker drops the caches of the old ones and takes over.
self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

// A page asks the installed new site to take over only when no page of the old one is left.
self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

// The path of a request within the site, as the list names it; "" for none of the site's files.
function sitePath(url) {
  const base = scope();
  if (url.origin !== base.origin || !url.pathname.startsWith(base.pathname)) return '';
  const path = url.pathname.slice(base.pathname.length);
  if (path === '') return 'index.html';
  return path in FILES ? path : '';
}

// A new site waits while a page of the old one is open. When the last one reloads, the new site
// takes over first and the reload is answered with the same address again, so that the page and
// its files always come from one build.
async function navigate(request) {
  const waiting = self.registration.waiting;
  if (waiting && (await self.clients.matchAll({ type: 'window' })).length <= 1) {
    waiting.postMessage('take over');
    for (let tries = 0; self.registration.waiting && tries < 200; ++tries) {
      await new Promise((resolve) => setTimeout(resolve, 25));
    }
    if (!self.registration.waiting) return Response.redirect(request.url, 303);
  }
  return null;
}

self.addEventListener('fetch', (event) => {
  const { request } = event;
  const url = new URL(request.url);
  const path = request.method === 'GET' ? sitePath(url) : '';
  if (path === '') return;
  event.respondWith((async () => {
    if (request.mode === 'navigate') {
      const update = await navigate(request);
      if (update) return update;
    }
    const cached = await caches.open(CACHE).then((cache) => cache.match(new URL(path, scope())));
    return cached ?? fetch(request);
  })());
});
