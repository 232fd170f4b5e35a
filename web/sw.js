// The page's service worker: cache first, so that after the first visit the page
// opens and calculates without a network. In: the page's own GET requests; out: the
// cached answer, or the network's, which is then cached. The build fills in the
// cache's name (a hash of the site) and the files fetched at install.
const CACHE = '@CACHE_NAME@';
const PRECACHE = @PRECACHE@;

self.addEventListener('install', (event) => {
  // Checked with the host (an unchanged file costs a "not modified"), so that a new site never
  // caches an old file that the browser kept.
  const requests = PRECACHE.map((url) => new Request(url, { cache: 'no-cache' }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(requests)).then(() => self.skipWaiting()));
});

// A new site's worker drops the caches of the old ones and takes over open pages.
self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.open(CACHE).then(async (cache) => {
      const cached = await cache.match(request, { ignoreSearch: true });
      if (cached) return cached;
      const response = await fetch(request);
      if (response.ok) cache.put(request, response.clone());
      return response;
    }),
  );
});
