// The service worker of Tessaroc: keeps the bundle's files so that the game starts without a
// network after the first visit. The build writes the list of files and the version below.
"use strict";

const version = "@TESSAROC_BUNDLE_VERSION@";
const files = [@TESSAROC_BUNDLE_FILES@];
const cacheName = "tessaroc-" + version;

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(cacheName).then(function (cache) {
    return cache.addAll(files);
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.startsWith("tessaroc-") && name !== cacheName;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The bundle's own files come from the cache (the page's address from its index.html);
// anything else from the network.
self.addEventListener("fetch", function (event) {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(cacheName).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true }).then(function (found) {
      return found || fetch(event.request);
    });
  }));
});
