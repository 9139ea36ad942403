#!/usr/bin/env python3
"""Runs end-to-end scenario groups under Wine on the current X display.
Usage: run.py --build <windows build dir> --version <x.y.z> <group> [<group>...]   (groups: engine, shell)"""
import argparse
import importlib
import os
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Failure, Wine, screenshot  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True, help="the program's version, three parts")
    parser.add_argument("--only", default="", help="run scenarios whose name contains one of these (comma-separated)")
    parser.add_argument("groups", nargs="+")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("e2e: no X display (run under tools/test-windows.sh or xvfb-run)")
        return 1
    wine = Wine(args.build, args.version)
    subprocess.run([os.path.join(os.path.dirname(__file__), "..", "..", "tools", "wine-prefix.sh"), wine.prefix])
    # A persistent server: programs started at the same moment then never race its start-up.
    wine.remove_startup_shortcuts()
    persistent = dict(env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-p"], **persistent)
    wine.boot()
    passed = failed = 0
    for group in args.groups:
        module = importlib.import_module(group + "_scenarios")
        for scenario in module.SCENARIOS:
            name = scenario.__name__
            if not any(part in name for part in args.only.split(",")):
                continue
            started = time.monotonic()
            try:
                scenario(wine)
                passed += 1
                print(f"PASS {group}: {name} ({time.monotonic() - started:.0f} s)", flush=True)
            except (Failure, Exception) as e:  # a scenario's crash is a failure, not the run's
                failed += 1
                print(f"FAIL {group}: {name}: {e}", flush=True)
                if not isinstance(e, Failure):
                    traceback.print_exc()
                screenshot(os.path.join(wine.build, "screenshots"), "failed_" + name)
            finally:
                wine.remove_startup_shortcuts()
                wine.stop_all()
                subprocess.run(["wineserver", "-k"], env=wine.env, capture_output=True)
                subprocess.run(["wineserver", "-p"], **persistent)
                wine.boot()
    subprocess.run(["wineserver", "-k"], env=wine.env, capture_output=True)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
