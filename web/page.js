// Starts Tessaroc on the page: checks what the browser needs, loads the program, says in one
// German sentence what went wrong, offers a new start when the game ends, and registers the
// service worker that keeps the bundle for playing offline.
"use strict";

(function () {
  const message = document.getElementById("message");
  const messageText = document.getElementById("message-text");
  const restart = document.getElementById("restart");
  const note = document.getElementById("note");
  let failed = false;

  function say(text, offerRestart) {
    messageText.textContent = text;
    restart.hidden = !offerRestart;
    message.hidden = false;
  }

  // The lines under the canvas: storage refused, and what the game tells the player.
  const noteLines = [];
  function addNote(text) {
    if (noteLines.includes(text)) return;
    noteLines.push(text);
    note.textContent = noteLines.join("\n");
    note.hidden = false;
  }

  function fail(text) {
    if (failed) return;
    failed = true;
    document.getElementById("game").style.visibility = "hidden";
    say(text, false);
  }

  const loadFailure = "Tessaroc konnte nicht geladen werden: eine Datei des Spiels fehlt oder ist beschädigt.";

  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    fail("Dieser Browser kann Tessaroc nicht spielen, weil ihm WebAssembly fehlt.");
    return;
  }

  restart.addEventListener("click", function () { location.reload(); });

  window.Module = {
    locateFile: function (name) { return name; },
    // The game's messages on stderr are the console's.
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    onAbort: stopped,
    tessarocStorageRefused: function () {
      addNote("Einstellungen und Bestzeiten werden in diesem Browser nicht gespeichert.");
    },
    tessarocMessage: function (title, text) { addNote(title + ": " + text); },
    tessarocEnded: function () {
      note.hidden = true;
      say("Tessaroc wurde beendet.", true);
    },
  };

  // A file that does not arrive fails the start; an error after the first frame stopped the
  // running game.
  function started() {
    return !!(Module.tessarocPage && Module.tessarocPage.firstFrameMs);
  }
  function stopped(event) {
    const target = event && event.target;
    if (target && target !== window && target.tagName !== "SCRIPT") return; // an image, say
    if (started()) {
      if (!failed) say("Tessaroc ist auf einen Fehler gestoßen und wurde angehalten.", true);
      failed = true;
    } else {
      fail(loadFailure);
    }
  }
  window.addEventListener("error", stopped, true);
  window.addEventListener("unhandledrejection", stopped);

  const script = document.createElement("script");
  script.src = "tessaroc.js";
  script.onerror = function () { fail(loadFailure); };
  document.body.appendChild(script);

  if ("serviceWorker" in navigator && window.isSecureContext) {
    navigator.serviceWorker.register("sw.js").catch(function () {});
  }
})();
