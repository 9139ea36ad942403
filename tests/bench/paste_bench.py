#!/usr/bin/env python3
"""How long a 2,000-unit text takes to arrive in Wine's Notepad and WordPad by each way Vellory
inserts it, against the same text pasted with Ctrl+V by this script itself. A benchmark, not a
test: run it by hand on a built Windows build, under an X display.
Usage: xvfb-run -a python3 tests/bench/paste_bench.py --build build/win64 --version 1.1.0"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Wine, click, key  # noqa: E402
from shell_scenarios import (ROOT, exit_vellory, fresh, start_editors, start_vellory, store_items,  # noqa: E402
                             wsend)

LINE = "Привет, мир! Hello, world! "  # 27 units
TAIL = "😀 конец"  # one emoji: two units
BODY = ("\r\n".join([LINE * 6] * 13))[:2000 - len(TAIL.encode("utf-16-le")) // 2]
TEXT = (BODY[:-1] + "." if BODY.endswith("\r") else BODY) + TAIL  # Cyrillic, Latin, line breaks
UNITS = len(TEXT.encode("utf-16-le")) // 2
# An editor may keep a line break as CR alone: the text is whole once it is this long.
WHOLE = UNITS - TEXT.count("\r\n")
EDITORS = {"Notepad": ("class:Notepad", "Edit", (250, 800)), "WordPad": ("class:WORDPADTOP", "RichEdit20W", (770, 850))}
WAYS = {"сообщениями окну (0)": 0, "нажатиями клавиш (1)": 1, "через буфер обмена (2)": 2}
ONLY = os.environ.get("PASTE_BENCH_WAYS")  # e.g. "0": only those ways, for a quick look


def arrival(wine, editor, press):
    """Empties the editor, starts a watcher, presses the keys; seconds until the whole text is there."""
    top, child, (x, y) = EDITORS[editor]
    click(x, y)
    time.sleep(0.3)
    key("ctrl+a")
    key("Delete")
    time.sleep(0.3)
    exe = os.path.join(wine.build, "tests", "e2e", "wsend.exe")
    watcher = subprocess.Popen([os.path.join(os.path.dirname(__file__), "..", "..", "tools", "wine.sh"), exe,
                                "waitlen", top, child, str(WHOLE), "60000"],
                               env=wine.env, stdout=subprocess.PIPE, text=True)
    time.sleep(1.0)  # the watcher is up and polling
    start = time.time()
    key(press)
    out = watcher.communicate(timeout=90)[0].split()
    whole = watcher.returncode == 0
    return (float(out[1]) / 1000 - start) if whole else f"incomplete: {out[0]} of {WHOLE}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    wine = Wine(args.build, args.version)
    subprocess.run(["wineserver", "-p"], env=wine.env)
    wine.boot()
    results = {}
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    store_items(wine, [("1", "", TEXT)])
    start_editors(wine)
    check = wsend(wine, "clipboard", "-", TEXT)
    if check[0] != 0:
        print("the clipboard could not be set")
        return 1
    for editor in EDITORS:
        results[("Ctrl+V by the script", editor)] = arrival(wine, editor, "ctrl+v")
    for name, way in WAYS.items():
        if ONLY and str(way) not in ONLY:
            results.update({(name, e): "not run" for e in EDITORS})
            continue
        wine.reg_add(ROOT + r"\Options\Common", "TypeMode", str(way))
        proc = start_vellory(wine)
        for editor in EDITORS:
            results[(name, editor)] = arrival(wine, editor, "super+1")
        exit_vellory(wine, proc)
    wine.stop_all()
    subprocess.run(["wineserver", "-k"], env=wine.env)

    print(f"{UNITS} UTF-16 units; seconds from the key press until the whole text was in the editor")
    print(f"| way | {' | '.join(EDITORS)} | × the script's paste |")
    print("|---|" + "---|" * (len(EDITORS) + 1))
    base = [results[("Ctrl+V by the script", e)] for e in EDITORS]
    for name in ["Ctrl+V by the script", *WAYS]:
        cells = [results[(name, e)] for e in EDITORS]
        ratios = [f"{c / b:.1f}" if isinstance(c, float) and isinstance(b, float) else "-" for c, b in zip(cells, base)]
        print(f"| {name} | " + " | ".join(f"{c:.2f}" if isinstance(c, float) else c for c in cells)
              + f" | {' / '.join(ratios)} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
