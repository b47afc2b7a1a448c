// Keeps the playground working offline: every file of the site is cached on install and served
// from the cache first. build.sh stamps the version, so a new build replaces the old cache.
const CACHE = 'azuvel-playground-VERSION';
const FILES = ['./', 'index.html', 'style.css', 'main.js', 'worker.js', 'azuvel.js',
               'azuvel.wasm', 'examples.json', 'guide.html', 'azuvel_debug.js',
               'azuvel_debug.wasm', 'debug_worker.js', 'live_worker.js', 'icon.svg',
               'favicon.ico'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() =>
    self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name !== CACHE).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true }).then((cached) =>
    cached ?? fetch(event.request)));
});
