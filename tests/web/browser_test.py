#!/usr/bin/python3
"""The browser build in a real browser: headless Chromium driven through chromedriver, the
bundle served from a static server on 127.0.0.1. Input goes through the browser's own input
pipeline (the DevTools protocol's Input domain), as a person's would.

Usage: browser_test.py <bundle folder> [<source folder>]
"""
import functools
import http.server
import os
import shutil
import socket
import socketserver
import sys
import tempfile
import threading
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

BUNDLE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else "build-web/web"
SOURCE = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.getcwd()
del sys.argv[1:]

# The settings screen's controls and the board's cells in window pixels (as the desktop
# tests name them).
PRESET_X = [60, 145, 230, 315]
PRESET_Y = 190
START = (327, 234)
FACE = (265, 50)
EMPTY_SPOT = (250, 300)


# What the page's test hook tessaroc_test_value answers (setup/web/test_hooks.cpp).
BOARD_WIDTH, BOARD_HEIGHT, BOARD_MINES, ROUND_STATE, MINES_LEFT, CLOCK_WAITING, HUNDREDTHS = range(7)
RUNNING, WON = 0, 1
# A cell's cover and content as the game keeps them.
COVERED, FLAGGED, OPENED = 0, 1, 2
MINE = 10


def cell_point(cx, cy):
    return 10 + 20 * cx + 5, 78 + 20 * cy + 5


def reference_hash(name):
    with open(os.path.join(SOURCE, "tests/setup/reference_frames/hashes.txt")) as f:
        for line in f:
            key, value = line.split()
            if key == name:
                return value
    raise KeyError(name)


def prefs_record(*values):
    out = b"\0xst"
    for v in values:
        out += (v & 0xFFFFFFFF).to_bytes(4, "little")
    return out


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, missing=None, **kwargs):
        self.missing = missing
        super().__init__(*args, **kwargs)

    def log_message(self, *args):
        pass

    def send_head(self):
        if self.missing and self.path.split("?")[0] == "/" + self.missing:
            self.send_error(404)
            return None
        return super().send_head()

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


class Listener(socketserver.ThreadingTCPServer):
    """Serves each connection on a thread of its own and keeps the open ones, so that a stop
    ends them at once: the browser keeps idle connections open (and opens some ahead of any
    request), and a stop that waited for their threads would wait until the browser lets
    them go, or would leave them answering after the stop."""

    allow_reuse_address = True
    daemon_threads = True
    block_on_close = False

    def __init__(self, address, handler):
        self.open_connections = set()
        self.connections_lock = threading.Lock()
        super().__init__(address, handler)

    def process_request(self, request, client_address):
        with self.connections_lock:
            self.open_connections.add(request)
        super().process_request(request, client_address)

    def shutdown_request(self, request):
        with self.connections_lock:
            self.open_connections.discard(request)
        super().shutdown_request(request)

    def end_connections(self):
        with self.connections_lock:
            connections = list(self.open_connections)
        for connection in connections:
            try:
                connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class Server:
    """The bundle on a static server at 127.0.0.1 on a free port; stop() ends it and every
    connection to it. A file named as missing is answered with 404."""

    def __init__(self, port=0, missing=None):
        handler = functools.partial(QuietHandler, directory=BUNDLE, missing=missing)
        self.httpd = Listener(("127.0.0.1", port), handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.httpd.end_connections()


def browser(block_storage=False, width=900, height=700, pixel_ratio=1):
    options = webdriver.ChromeOptions()
    profile = tempfile.mkdtemp(prefix="tessaroc-chromium-")
    for arg in ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--user-data-dir=" + profile,
                "--window-size=%d,%d" % (width, height),
                "--force-device-scale-factor=%d" % pixel_ratio]:
        options.add_argument(arg)
    if block_storage:
        options.add_experimental_option(
            "prefs", {"profile.default_content_setting_values.cookies": 2})
    options.binary_location = "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.profile_folder = profile
    return driver


def close_browser(driver):
    driver.quit()
    shutil.rmtree(driver.profile_folder, ignore_errors=True)


class Page:
    """One tab of the game: waits, input and what the page shows."""

    def __init__(self, driver, url, started=True):
        self.d = driver
        self.handle = driver.current_window_handle
        driver.get(url)
        if started:
            self.wait_for(lambda: self.js("return !!(Module.tessarocPage && Module.tessarocPage.firstFrameMs)"),
                      "the first frame")

    def js(self, script, *args):
        self.d.switch_to.window(self.handle)
        return self.d.execute_script(script, *args)

    def wait_for(self, check, what, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            value = check()
            if value:
                return value
            time.sleep(0.05)
        raise AssertionError("waited in vain for " + what)

    def canvas(self):
        return self.js("""const c = document.getElementById('game');
            const r = c.getBoundingClientRect();
            return {w: c.width, h: c.height, left: r.left, top: r.top,
                    scale: Module.tessarocPage.scale, visible: c.style.visibility};""")

    def value(self, which):
        return self.js("return Module._tessaroc_test_value(arguments[0])", which)

    def cover(self, x, y):
        return self.js("return Module._tessaroc_test_cover(arguments[0], arguments[1])", x, y)

    def board(self):
        """Every cell as (x, y, content, cover)."""
        return self.js("""const w = Module._tessaroc_test_value(arguments[0]);
            const h = Module._tessaroc_test_value(arguments[1]);
            const cells = [];
            for (let x = 0; x < w; x++) for (let y = 0; y < h; y++)
                cells.push([x, y, Module._tessaroc_test_content(x, y), Module._tessaroc_test_cover(x, y)]);
            return cells;""", BOARD_WIDTH, BOARD_HEIGHT)

    def frame_hash(self):
        return self.js("""const c = document.getElementById('game');
            const p = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            const prime = 0x100000001b3n, mask = (1n << 64n) - 1n;
            let h = 0xcbf29ce484222325n;
            const add = function(v, n) {
                for (let i = 0; i < n; i++) { h ^= BigInt((v >>> (8 * i)) & 255); h = (h * prime) & mask; }
            };
            add(c.width, 4); add(c.height, 4);
            for (let i = 0; i < p.length; i += 4) add(p[i] | (p[i + 1] << 8) | (p[i + 2] << 16), 3);
            return h.toString(16);""")

    def pixel(self, x, y):
        return self.js("""return Array.from(document.getElementById('game').getContext('2d')
            .getImageData(arguments[0], arguments[1], 1, 1).data.slice(0, 3));""", x, y)

    def storage(self, name):
        text = self.js("return localStorage.getItem('tessaroc:' + arguments[0])", name)
        return None if text is None else bytes(ord(ch) for ch in text)

    def cdp(self, command, params):
        self.d.switch_to.window(self.handle)
        return self.d.execute_cdp_cmd(command, params)

    def at(self, x, y):
        c = self.canvas()
        return c["left"] + (x + 0.5) * c["scale"], c["top"] + (y + 0.5) * c["scale"]

    def mouse(self, kind, x, y, button="none", buttons=0):
        px, py = self.at(x, y)
        self.cdp("Input.dispatchMouseEvent", {"type": kind, "x": px, "y": py, "button": button,
                                              "buttons": buttons, "clickCount": 1})

    def click(self, x, y, button="left", hold=0.1):
        bit = {"left": 1, "right": 2}[button]
        self.mouse("mouseMoved", x, y)
        self.mouse("mousePressed", x, y, button, bit)
        time.sleep(hold)
        self.mouse("mouseReleased", x, y, button, 0)

    def key(self, code, key, vk, shift=False, hold=0.06):
        """A key held and let go as a person types: the next key comes a moment later."""
        params = {"code": code, "key": key, "windowsVirtualKeyCode": vk,
                  "modifiers": 8 if shift else 0}
        self.cdp("Input.dispatchKeyEvent", dict(params, type="rawKeyDown"))
        time.sleep(hold)
        self.cdp("Input.dispatchKeyEvent", dict(params, type="keyUp"))
        time.sleep(0.08)

    def shift(self, down):
        self.cdp("Input.dispatchKeyEvent", {"type": "rawKeyDown" if down else "keyUp",
                                            "code": "ShiftLeft", "key": "Shift",
                                            "windowsVirtualKeyCode": 16,
                                            "modifiers": 8 if down else 0})

    def touch(self, kind, x, y):
        px, py = self.at(x, y)
        points = [] if kind == "touchEnd" else [{"x": px, "y": py}]
        self.cdp("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})

    def touches(self, kind, *points):
        """Fingers at window points: all those on the screen after the event."""
        points = [dict(zip("xy", self.at(x, y)), id=i) for i, (x, y) in enumerate(points)]
        self.cdp("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})

    def phone(self, width, height):
        """A phone's screen of width x height CSS pixels at 3 device pixels each, touch on."""
        self.cdp("Emulation.setDeviceMetricsOverride", {"width": width, "height": height,
                                                        "deviceScaleFactor": 3, "mobile": True})
        self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})

    def size_is(self, w, h):
        return lambda: (self.canvas()["w"], self.canvas()["h"]) == (w, h)

    def start_round(self, preset):
        self.click(PRESET_X[preset], PRESET_Y)
        time.sleep(0.2)
        self.click(*START)
        widths = [(15, 10), (20, 15), (25, 20), (40, 25)][preset]
        self.wait_for(self.size_is(max(370, 20 * widths[0] + 19), 20 * widths[1] + 88),
                      "the round's window")
        self.wait_for(lambda: self.value(BOARD_WIDTH) == widths[0] and
                      self.value(CLOCK_WAITING) == 1 and len(self.mines()) == self.value(BOARD_MINES),
                      "the board with its mines")
        time.sleep(0.3)  # the round's first frames, as a person looks before playing

    def mines(self):
        return [(x, y) for x, y, content, cover in self.board() if content == MINE]

    def safe_cell(self, nth=0):
        """The nth cell without a mine."""
        return [(x, y) for x, y, content, cover in self.board() if content != MINE][nth]

    def win_round(self):
        """Opens every covered cell without a mine (mines are placed at the first press)."""
        first = True
        while self.value(ROUND_STATE) == RUNNING:
            todo = [(x, y) for x, y, content, cover in self.board()
                    if content != MINE and cover == COVERED]
            if first:
                todo = todo[:1]
                first = False
            if not todo:
                break
            x, y = todo[0]
            self.click(*cell_point(x, y), hold=0.06)
            time.sleep(0.05)
        self.wait_for(lambda: self.value(ROUND_STATE) == WON, "the won round")

    def open_top_ten(self):
        """From the end screen of a won round: the face, then the top-ten screen."""
        time.sleep(0.3)
        self.click(*FACE, hold=0.2)
        self.wait_for(self.size_is(350, 360), "the top-ten screen")
        time.sleep(1.0)  # the screen slides in

    def type_name(self, name):
        """Types the name on the German keyboard's keys (capitals with Shift), then Enter."""
        german = {"ö": ("Semicolon", 186), "ä": ("Quote", 222), "ü": ("BracketLeft", 219)}
        for ch in name:
            if ch in german:
                code, vk = german[ch]
                self.key(code, ch, vk)
            elif ch.isupper():
                self.shift(True)
                self.key("Key" + ch, ch, ord(ch), shift=True)
                self.shift(False)
            else:
                self.key("Key" + ch.upper(), ch, ord(ch.upper()))
        time.sleep(0.2)
        self.key("Enter", "Enter", 13)


def top_list_entries(data):
    """The 40 entries (name, time) of a TopList file."""
    body = data[4:]
    return [(body[i:i + 20].rstrip(b" "), body[i + 20:i + 28].rstrip(b" "))
            for i in range(0, 40 * 28, 28)]


class BrowserTest(unittest.TestCase):
    def setUp(self):
        self.server = Server()
        self.url = "http://127.0.0.1:%d/" % self.server.port
        self.drivers = []

    def tearDown(self):
        for d in self.drivers:
            close_browser(d)
        self.server.stop()

    def open(self, started=True, **kwargs):
        d = browser(**kwargs)
        self.drivers.append(d)
        return Page(d, self.url, started)

    def message(self, page):
        return page.wait_for(lambda: page.js(
            "const m = document.getElementById('message');"
            "return m.hidden ? '' : document.getElementById('message-text').textContent"),
            "the page's message")

    def test_first_page_is_the_linux_programs_settings_screen(self):
        page = self.open()
        self.assertEqual(page.d.title, "Tessaroc")
        c = page.canvas()
        self.assertEqual((c["w"], c["h"], c["visible"]), (370, 310, "visible"))
        self.assertEqual(page.js("return document.querySelectorAll('canvas').length"), 1)
        page.click(*EMPTY_SPOT)
        time.sleep(0.3)
        self.assertEqual(page.frame_hash(), reference_hash("settings_plain"))

    def test_a_mittel_round_opens_and_marks_as_on_the_desktop(self):
        page = self.open()
        page.start_round(1)
        self.assertEqual((page.canvas()["w"], page.canvas()["h"]), (419, 388))
        self.assertEqual(page.value(MINES_LEFT), 35)
        # A right press marks a cell: the counter goes down, no menu opens.
        page.js("window.menus = 0; document.addEventListener('contextmenu', e => { if (!e.defaultPrevented) window.menus++; });")
        page.click(*cell_point(19, 14), button="right")
        page.wait_for(lambda: page.cover(19, 14) == FLAGGED, "the mark")
        self.assertEqual(page.value(MINES_LEFT), 34)
        self.assertEqual(page.js("return window.menus"), 0)
        # The clock waits for the first left press, then runs on the real clock.
        self.assertEqual(page.value(CLOCK_WAITING), 1)
        safe = page.safe_cell()
        page.click(*cell_point(*safe))
        page.wait_for(lambda: page.value(CLOCK_WAITING) == 0, "the running clock")
        self.assertEqual(page.cover(*safe), OPENED)
        before = page.value(HUNDREDTHS)
        time.sleep(1.0)
        self.assertGreater(page.value(HUNDREDTHS), before)

    def test_a_won_round_keeps_its_name_and_time_over_a_reload(self):
        page = self.open()
        page.start_round(0)
        page.win_round()
        page.open_top_ten()
        page.type_name("Jörg")
        page.wait_for(lambda: page.storage("TopList") is not None, "the saved TopList")
        page.click(150, 200)
        page.wait_for(page.size_is(370, 288), "the new round")
        top = page.storage("TopList")
        self.assertEqual(len(top), 4 + 40 * 28)
        self.assertEqual(top[:4], b"\0xst")
        name, won = top_list_entries(top)[0]
        self.assertEqual(name, "Jörg".encode("cp1252"))
        for n, t in top_list_entries(top)[1:]:
            self.assertEqual((n, t), (b"-", b"99999.99"))
        # The settings: Leicht at the window's place, the desktop's 40 bytes.
        page.click(*FACE, hold=0.1)  # a new round; the settings are saved at the end
        page.js("location.reload()")
        page = Page(page.d, self.url)
        self.assertEqual(page.storage("Prefs"), prefs_record(0, 0, 0, 0, 15, 10, 12, 0, 0))
        self.assertEqual(top_list_entries(page.storage("TopList"))[0], (name, won))

    def test_two_tabs_saving_best_times_at_once_lose_none(self):
        first = self.open()
        first.d.switch_to.new_window("tab")
        second = Page(first.d, self.url)
        for page in (first, second):
            page.start_round(0)
            page.win_round()
        first.open_top_ten()
        # The second tab's top-ten screen waits for the first tab's lock on the file.
        second.click(*FACE, hold=0.2)
        time.sleep(1.0)
        first.type_name("Anna")
        second.wait_for(second.size_is(350, 360), "the second tab's top-ten screen")
        time.sleep(1.0)
        second.type_name("Bert")
        second.wait_for(lambda: b"Bert" in (second.storage("TopList") or b""), "Bert's time")
        names = [n for n, t in top_list_entries(second.storage("TopList"))[:10]]
        self.assertIn(b"Anna", names)
        self.assertIn(b"Bert", names)

    def test_two_tabs_keep_each_others_settings_changes(self):
        first = self.open()
        first.d.switch_to.new_window("tab")  # the first tab is hidden
        second = Page(first.d, self.url)
        second.click(28, 268)  # the title animation on
        first.click(28, 228)  # the second tab is hidden, its change saved; the stars on here
        first.wait_for(lambda: first.storage("Prefs") == prefs_record(0, 0, 1, 0, 15, 10, 12, 0, 0),
                       "the second tab's settings")
        second.js("return 0")  # the first tab is hidden: its save keeps the second's change
        second.wait_for(lambda: second.storage("Prefs") == prefs_record(1, 0, 1, 0, 15, 10, 12, 0, 0),
                        "both tabs' settings")

    def test_the_title_bar_moves_the_window_which_comes_back_where_it_was_left(self):
        page = self.open()
        def mouse(kind, x, y, buttons):  # page pixels: the window moves under the pointer
            page.cdp("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                  "buttons": buttons, "clickCount": 1})
        mouse("mouseMoved", 100.5, 10.5, 0)
        mouse("mousePressed", 100.5, 10.5, 1)
        time.sleep(0.2)  # held a moment before moving, as a person does
        for step in range(0, 11):  # the first at the press: the move anchors there
            time.sleep(0.03)
            mouse("mouseMoved", 100.5 + 20 * step, 10.5 + 19 * step, 1)
        time.sleep(0.1)
        mouse("mouseReleased", 300.5, 200.5, 0)
        page.wait_for(lambda: (page.canvas()["left"], page.canvas()["top"]) == (200, 190),
                      "the moved window")
        page.click(355, 15)  # the close button ends the program
        self.assertEqual(self.message(page), "Tessaroc wurde beendet.")
        self.assertEqual(page.storage("Prefs"), prefs_record(0, 0, 0, 0, 15, 10, 12, 200, 190))
        page.js("document.getElementById('restart').click()")
        page = Page(page.d, self.url)
        self.assertEqual((page.canvas()["left"], page.canvas()["top"]), (200, 190))

    def test_a_place_outside_a_smaller_page_is_brought_back_into_view(self):
        page = self.open()
        width, height = page.js("return [innerWidth, innerHeight]")
        # The title bar still on the page: the whole window is moved inside it.
        for x, y, want in ((width - 100, height - 20, (width - 370, height - 310)),
                           (3000, 2000, (0, 0))):  # off the page: the desktop's corner
            # Written on another page of the origin: the game saves its own on leaving.
            page.d.get(self.url + "manifest.webmanifest")
            page.d.execute_script("localStorage.setItem('tessaroc:Prefs', arguments[0])",
                                  prefs_record(0, 0, 0, 0, 15, 10, 12, x, y).decode("latin-1"))
            page = Page(page.d, self.url)
            c = page.canvas()
            self.assertEqual((c["left"], c["top"]), want)

    def test_without_webassembly_or_a_file_the_page_says_so(self):
        page = self.open(started=False)
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})
        page.d.get(self.url)
        self.assertEqual(self.message(page),
                         "Dieser Browser kann Tessaroc nicht spielen, weil ihm WebAssembly fehlt.")
        for missing in ("tessaroc.wasm", "tessaroc.data", "tessaroc.js"):
            server = Server(missing=missing)
            try:
                other = self.open(started=False)
                other.d.get("http://127.0.0.1:%d/" % server.port)
                self.assertEqual(self.message(other), "Tessaroc konnte nicht geladen werden: "
                                 "eine Datei des Spiels fehlt oder ist beschädigt.", missing)
            finally:
                server.stop()

    def test_the_window_is_drawn_crisp_on_a_dense_screen_and_shrunk_on_a_narrow_one(self):
        dense = self.open(pixel_ratio=2)
        c = dense.canvas()
        # Each game pixel two device pixels, as the backing store's own pixels.
        self.assertEqual(dense.js("return devicePixelRatio") * c["scale"], 2)
        self.assertEqual(dense.js("return getComputedStyle(document.getElementById('game'))"
                                  ".imageRendering"), "pixelated")
        narrow = self.open(started=False)  # a phone's width, narrower than a desktop window
        narrow.cdp("Emulation.setDeviceMetricsOverride",
                   {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": False})
        narrow = Page(narrow.d, self.url)
        room = narrow.js("return innerWidth")
        self.assertLess(room, 370)
        self.assertLessEqual(narrow.js("return document.getElementById('game')"
                                       ".getBoundingClientRect().width"), room)
        narrow.start_round(1)  # presses land on the shrunk controls
        self.assertLessEqual(narrow.js("return document.getElementById('game')"
                                       ".getBoundingClientRect().right"), room + 0.5)
        narrow.click(*cell_point(19, 14), button="right")
        narrow.wait_for(lambda: narrow.cover(19, 14) == FLAGGED, "the mark on the shrunk board")

    def test_storage_refused_plays_and_says_it_keeps_nothing(self):
        page = self.open(block_storage=True)
        page.wait_for(lambda: page.js("return !document.getElementById('note').hidden"),
                      "the note under the canvas")
        self.assertEqual(page.js("return document.getElementById('note').textContent"),
                         "Einstellungen und Bestzeiten werden in diesem Browser nicht gespeichert.")
        logs = [e["message"] for e in page.d.get_log("browser")]
        said = [m for m in logs if "are not saved" in m]
        self.assertEqual(len(said), 1, logs)
        self.assertIn("the browser refuses to keep data", said[0])
        page.start_round(1)

    def test_what_the_game_tells_the_player_is_a_line_under_the_canvas(self):
        page = self.open(started=False)
        # A sprite sheet gone from the bundle's data before the program starts.
        page.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": """
            let module;
            Object.defineProperty(window, "Module", {configurable: true, get: () => module,
                set: (value) => { module = value; value.onRuntimeInitialized = () =>
                    FS.unlink("/tessaroc/GFX/Smileys.bmp"); }});"""})
        page = Page(page.d, self.url)
        note = page.wait_for(lambda: page.js(
            "const n = document.getElementById('note'); return n.hidden ? '' : n.textContent"),
            "the note under the canvas")
        self.assertEqual(note, "Tessaroc: Bilder fehlen: Diese Bilder im Ordner /tessaroc/GFX/ "
                         "fehlen oder sind beschädigt: Smileys.bmp. Was sie zeigen, bleibt "
                         "unsichtbar.")
        # No box holds the page: the game plays on.
        page.start_round(0)
        logs = [e["message"] for e in page.d.get_log("browser")]
        self.assertEqual(len([m for m in logs if "Bilder fehlen" in m]), 1, logs)

    def test_a_long_touch_marks_and_a_tap_opens(self):
        page = self.open()
        page.start_round(1)
        x, y = cell_point(5, 5)
        page.touch("touchStart", x, y)
        time.sleep(0.8)
        page.touch("touchEnd", x, y)
        page.wait_for(lambda: page.cover(5, 5) == FLAGGED, "the mark of the long touch")
        safe = page.safe_cell(1)
        x, y = cell_point(*safe)
        page.touch("touchStart", x, y)
        time.sleep(0.1)
        page.touch("touchEnd", x, y)
        page.wait_for(lambda: page.cover(*safe) == OPENED, "the cell opened by the tap")

    def test_on_a_phone_every_cell_is_in_reach_and_gestures_open_nothing(self):
        page = self.open()
        page.phone(390, 844)
        page.start_round(3)
        for y in (10, 30, 600):  # the title bar dragged down by a finger, a moment a step
            page.touches("touchMove" if y > 10 else "touchStart", (100, y))
            time.sleep(0.2)
        page.touches("touchEnd")
        page.wait_for(lambda: page.canvas()["top"] > 200, "the window moved down")
        for width, corner in ((390, (39, 24)), (844, (0, 24))):
            page.phone(width, 1234 - width)  # turned: the window fits both sides again
            page.wait_for(lambda: page.js("const r = game.getBoundingClientRect(); return "
                "innerWidth === arguments[0] && Math.min(r.left, r.top) >= 0 && r.right <= "
                "innerWidth && r.bottom <= innerHeight", width), "the whole board on the screen")
            page.touch("touchStart", *cell_point(*corner))
            time.sleep(0.8)
            page.touch("touchEnd", *cell_point(*corner))
            page.wait_for(lambda: page.cover(*corner) == FLAGGED, "the corner's mark")
        pinched, swiped, tapped = [(x, y) for x, y, content, cover in page.board()
                                   if 0 < content < MINE and y < 20][:3]
        x, y = cell_point(*pinched)
        page.touches("touchStart", (x, y))
        page.touches("touchStart", (x, y), (x + 40, y))
        page.touches("touchMove", (x - 20, y), (x + 60, y))
        page.touches("touchEnd")
        x, y = cell_point(*swiped)
        page.touches("touchStart", (x, y))
        page.touches("touchMove", (x, y + 60))
        page.touches("touchEnd")
        page.touches("touchStart", (x, y))
        page.touches("touchCancel")
        page.touch("touchStart", *cell_point(*tapped))
        page.touch("touchEnd", *cell_point(*tapped))
        page.wait_for(lambda: page.cover(*tapped) == OPENED, "the cell opened by the tap")
        self.assertEqual((page.cover(*pinched), page.cover(*swiped)), (COVERED, COVERED))

    def test_on_a_phone_the_name_is_typed_through_the_text_field(self):
        page = self.open()
        page.phone(390, 844)
        page.start_round(0)
        page.win_round()
        page.open_top_ten()
        page.wait_for(lambda: page.js("return document.activeElement.id") == "typing", "focus")
        page.cdp("Input.dispatchMouseEvent", {"type": "mousePressed", "x": 200, "y": 800,
                                              "button": "left", "buttons": 1, "clickCount": 1})
        page.cdp("Input.insertText", {"text": "Jörg\U0001F600€x"})  # no byte for the face
        page.key("", "Backspace", 8)  # its keys have no place on a keyboard
        page.cdp("Input.dispatchKeyEvent", {"type": "keyDown", "key": "Enter", "code": "",
                                            "windowsVirtualKeyCode": 13, "text": "\r"})
        page.wait_for(lambda: page.storage("TopList") is not None, "the saved TopList")
        self.assertEqual(top_list_entries(page.storage("TopList"))[0][0], b"J\xf6rg\x80")
        # The field gives the focus back to the game with the frame after the name is kept.
        page.wait_for(lambda: page.js("return document.activeElement.id") == "game", "focus back")

    def test_settings_outlive_a_background_tab_that_is_ended(self):
        first = self.open()
        first.start_round(1)
        first.d.switch_to.new_window("tab")  # the first tab is hidden
        second = Page(first.d, self.url, started=False)
        mittel = prefs_record(0, 0, 0, 0, 20, 15, 35, 0, 0)
        second.wait_for(lambda: second.storage("Prefs") == mittel, "the hidden tab's settings")
        with self.assertRaises(Exception):
            first.cdp("Page.crash", {})  # ended without a word
        self.assertEqual(second.storage("Prefs"), mittel)

    def test_a_full_storage_is_said_in_german_naming_no_path(self):
        page = self.open()
        page.js("localStorage.setItem('room', 'x'.repeat(600)); for (let n = 1 << 20, i = 0;"
                " n > 0; i++) try { localStorage.setItem('f' + i, 'x'.repeat(n)); } catch (e) {"
                " n >>= 1; } localStorage.removeItem('room');")  # room for an empty list only
        page.start_round(0)
        page.win_round()
        page.open_top_ten()
        page.type_name("Jörg")
        note = page.wait_for(lambda: page.js("return note.hidden ? '' : note.textContent"), "note")
        self.assertRegex(note, r"^Tessaroc: Bestzeit nicht gespeichert: Deine Zeit [\d.]+ \(Jörg, "
                         r"1\. Platz\) konnte nicht in diesem Browser gespeichert werden: er nimmt")

    def test_offline_after_the_first_visit(self):
        page = self.open()
        page.wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null || "
                                      "(navigator.serviceWorker.ready.then(() => window.swReady = true), !!window.swReady)"),
                      "the service worker")
        page.js("location.reload()")
        page = Page(page.d, self.url)
        page.wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null"),
                      "the controlling service worker")
        self.server.stop()
        self.server = Server()  # another port: the old address has no server now
        page.js("location.reload()")
        page = Page(page.d, self.url)
        self.assertEqual((page.canvas()["w"], page.canvas()["h"]), (370, 310))


if __name__ == "__main__":
    unittest.main(verbosity=2)
