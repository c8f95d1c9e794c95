#!/usr/bin/python3
"""Measures the browser build (not part of the suite): the bundle's files and their
gzip-compressed total, the time from navigation to the first drawn frame in headless
Chromium, and the program's own work per frame (from the end of one wait for an animation
frame to the start of the next) on the settings screen and in a running 40 x 25 round, and
the processor use of Chromium's renderer and GPU processes while the settings screen is still.

Usage: tools/measure-web.py [<browser build folder>] (default build-web); medians of 5 loads.
"""
import gzip
import os
import statistics
import sys
import time

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-web")
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The page is played from the browser tests' bundle, whose program answers the hooks that
# start a round; the sizes are the players' bundle's.
sys.argv = [sys.argv[0], os.path.join(build, "web-test"), root]
sys.path.insert(0, os.path.join(root, "tests", "web"))
import browser_test as bt  # noqa: E402

bundle = os.path.join(build, "web")
total = compressed = 0
for folder, _, names in sorted(os.walk(bundle)):
    for name in sorted(names):
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        packed = len(gzip.compress(data, 9))
        total += len(data)
        compressed += packed
        print("%-60s %8d bytes, gzip %8d" % (os.path.relpath(path, bundle), len(data), packed))
print("%-60s %8d bytes, gzip %8d" % ("total", total, compressed))


def chromium_ticks():
    """Clock ticks (user and system) Chromium's renderer and GPU processes have run so far."""
    ticks = {"renderer": 0, "gpu-process": 0}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            command = open("/proc/%s/cmdline" % pid, "rb").read().decode(errors="replace")
            fields = open("/proc/%s/stat" % pid).read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        for kind in ticks:
            if "--type=" + kind in command:
                ticks[kind] += int(fields[11]) + int(fields[12])
    return ticks


server = bt.Server()
url = "http://127.0.0.1:%d/" % server.port
first, settings, rounds, renderer, gpu = [], [], [], [], []
tick = os.sysconf("SC_CLK_TCK")
try:
    for _ in range(5):
        driver = bt.browser()
        try:
            page = bt.Page(driver, url)
            first.append(page.js("return Module.tessarocPage.firstFrameMs"))
            time.sleep(2)
            work = page.js("return Object.assign({}, Module.tessarocPage.work)")
            settings.append(work["ms"] / max(1, work["frames"]))
            before, start = chromium_ticks(), time.monotonic()
            time.sleep(10)
            after, seconds = chromium_ticks(), time.monotonic() - start
            renderer.append((after["renderer"] - before["renderer"]) / tick / seconds * 100)
            gpu.append((after["gpu-process"] - before["gpu-process"]) / tick / seconds * 100)
            page.start_round(3)
            page.click(*bt.cell_point(0, 0))
            page.js("Module.tessarocPage.work = {frames: 0, ms: 0}")
            time.sleep(3)
            work = page.js("return Object.assign({}, Module.tessarocPage.work)")
            rounds.append(work["ms"] / max(1, work["frames"]))
        finally:
            bt.close_browser(driver)
finally:
    server.stop()
print("navigation to the first drawn frame: median %.0f ms (%s)" %
      (statistics.median(first), ", ".join("%.0f" % v for v in first)))
print("work per frame, settings screen: median %.3f ms" % statistics.median(settings))
print("settings screen still for 10 s: renderer %.2f %%, GPU process %.2f %% of a core (medians)"
      % (statistics.median(renderer), statistics.median(gpu)))
print("work per frame, running 40 x 25 round: median %.3f ms" % statistics.median(rounds))
