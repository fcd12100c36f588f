// The page's service worker: once the published page has been opened, it
// opens again without a network. Everything the page needs is in these
// few files; a new publication (another @VERSION@) replaces them whole.
"use strict";

const CACHE = "tavo-@VERSION@";
const FILES = ["./", "index.html", "manifest.webmanifest", "icon.svg"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith("tavo-") && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()),
  );
});

// The cached copy first: the page never waits for a network it may not have.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(
    caches.open(CACHE).then((cache) =>
      cache.match(event.request, { ignoreSearch: true }).then((hit) => hit || fetch(event.request))),
  );
});
