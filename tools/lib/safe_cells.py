#!/usr/bin/env python3
"""The cells a player must still click to win the running round, read from the program.

Usage: safe_cells.py <pid> <executable> <nm> <width> <height> <mines>

The board grid is found by its symbol (the game layer's record "GameState", which the board
opens; listed by the given nm) in the memory of the
running process <pid> (a Linux program, or a Windows one under Wine, whose process is the
Wine process). Prints one "column row" line per covered cell to click, in an order in which
each click still has something to open: an empty cell floods its region and the numbered
cells around it, as the game does, so cells that an earlier click opens are left out, and so
are the cells the round has opened already. Exits 1 while the round's mines are not placed
yet.
"""
import re
import struct
import subprocess
import sys

COLUMNS, ROWS = 40, 25  # capacity of the board grids; cell (x, y) is element x * ROWS + y
MINE, MINE_FOUND = 10, 11  # content of a cell holding a mine: while the round runs, after a win
OPENED = 2  # cover of an opened cell


def symbol_address(nm, executable, name):
    listing = subprocess.run([nm, executable], capture_output=True, text=True, check=True).stdout
    match = re.search(rf"^([0-9a-f]+) [bBdD] {name}$", listing, re.M)
    return int(match.group(1), 16)


def image_base(executable):
    """Where the symbols' addresses count from: a Windows program's preferred load address
    (ImageBase of its PE32+ header), 0 for a position-independent Linux program."""
    with open(executable, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ":
        return 0
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    optional = pe + 24  # after "PE\0\0" and the file header
    return struct.unpack_from("<Q", head, optional + 24)[0]


def load_address(pid, executable):
    """Start of the process's mapping of the executable's first page."""
    name = executable.rsplit("/", 1)[-1]
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            fields = line.split(maxsplit=5)  # the path may hold blanks
            if len(fields) == 6 and fields[5].rstrip("\n").endswith("/" + name) and int(fields[2], 16) == 0:
                return int(fields[0].split("-")[0], 16)
    raise SystemExit(f"{executable} is not mapped in process {pid}")


def main():
    pid, executable, nm = sys.argv[1], sys.argv[2], sys.argv[3]
    width, height, mines = (int(v) for v in sys.argv[4:7])
    board = symbol_address(nm, executable, "GameState") - image_base(executable)
    with open(f"/proc/{pid}/mem", "rb") as mem:
        mem.seek(load_address(pid, executable) + board)  # cover, then content
        grids = struct.unpack(f"<{2 * COLUMNS * ROWS}i", mem.read(8 * COLUMNS * ROWS))
    cover, content = grids[:COLUMNS * ROWS], grids[COLUMNS * ROWS:]
    cell = lambda x, y: content[x * ROWS + y]
    mine = lambda x, y: cell(x, y) in (MINE, MINE_FOUND)
    if sum(1 for x in range(width) for y in range(height) if mine(x, y)) != mines:
        sys.exit(1)
    opened = {(x, y) for x in range(width) for y in range(height) if cover[x * ROWS + y] == OPENED}

    def flood(x, y):
        todo = [(x, y)]
        while todo:
            cx, cy = todo.pop()
            if (cx, cy) in opened:
                continue
            opened.add((cx, cy))
            if cell(cx, cy) != 0:
                continue
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    nx, ny = cx + dx, cy + dy
                    if 0 <= nx < width and 0 <= ny < height and not mine(nx, ny):
                        todo.append((nx, ny))

    for x in range(width):
        for y in range(height):
            if not mine(x, y) and (x, y) not in opened:
                flood(x, y)
                print(x, y)


main()
