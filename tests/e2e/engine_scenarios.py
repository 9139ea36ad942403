"""The keystroke engine end to end: hook_host.exe installs the hooks over a small table and
typing_target.exe receives what real key presses become."""
import os
import time

from harness import TargetLog, check, click, key, wait_for, winpath, xdotool

# typing_target.exe puts its window at (0, 40); the edits lie inside it.
EDIT1 = (120, 78)
EDIT2 = (120, 128)


def start_target(wine, name, *options):
    log = TargetLog(os.path.join(wine.work, name + ".log"))
    if os.path.exists(log.path):
        os.remove(log.path)
    wine.start(os.path.join(wine.build, "tests", "e2e", "typing_target.exe"), winpath(log.path), *options)
    wait_for(lambda: any(l.startswith("ready") for l in log.lines()), 30, "the typing target")
    return log


def start_host(wine, mode=""):
    ready = os.path.join(wine.work, "hook_host.ready")
    if os.path.exists(ready):
        os.remove(ready)
    args = [winpath(ready)] + ([mode] if mode else [])
    proc = wine.start(os.path.join(wine.build, "tests", "e2e", "hook_host.exe"), *args)
    wait_for(lambda: os.path.exists(ready), 30, "hook_host to install its hooks")
    return proc, ready


def stop_host(proc, ready):
    os.remove(ready)
    proc.wait(timeout=20)


def in_order(lines, wanted):
    it = iter(lines)
    return all(any(w == l for l in it) for w in wanted)


def focus_edit(log, edit, again=False):
    """With `again` the target has had this focus before: only a focus after the click counts."""
    mark = len(log.lines()) if again else 0
    click(*(EDIT1 if edit == 1 else EDIT2))
    wait_for(lambda: log.has(f"edit{edit} focus", mark), what=f"edit {edit} to take the focus")
    time.sleep(0.3)  # the focus event reaches the hook through its own queue


def check_keys_paired(lines):
    """Each key the target sees go down also comes up: nothing sticks."""
    held = set()
    for line in lines:
        parts = line.split()
        if len(parts) == 3 and parts[1] in ("down", "up"):
            (held.add if parts[1] == "down" else held.discard)(parts[2])
    check(not held, f"keys left down in the target: {sorted(held)}: {lines}")


def check_alt_mode(log):
    """Alt+1 types the text of 1 into edit 2 and nothing of the chord reaches the target's
    keys or its menu bar; Win+1 goes through untouched."""
    mark = len(log.lines())
    key("alt+1")
    wait_for(lambda: log.chars(2, mark) == "Привет!", what="Привет! typed in Alt mode")
    wait_for(lambda: log.has("edit2 up 12", mark), what="the Alt release")
    time.sleep(0.3)
    lines = log.lines()[mark:]
    check("edit2 down 31" not in lines and "edit2 char 0031" not in lines, f"the '1' of Alt+1 leaked: {lines}")
    check("menu" not in lines, f"Alt+1 or its Alt release entered the menu: {lines}")
    check("edit2 down 10" not in lines, f"Shift injected while Alt was down: {lines}")
    check_keys_paired(lines)
    mark = len(log.lines())
    key("super+1")
    wait_for(lambda: log.has("edit2 up 31", mark), what="the Win chord to pass")
    check("Привет!" not in log.chars(2, mark), "Win+1 typed in Alt mode")
    check_keys_paired(log.lines()[mark:])


def check_win_chords_leave_nothing_behind(log, ctrl_chord):
    """An empty-text chord goes through whole; Win let go before Ctrl masks without Shift."""
    mark = len(log.lines())
    key("super+5")
    wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win+5 release")
    lines = log.lines()[mark:]
    check("edit2 down 35" in lines and "edit2 up 35" in lines, f"an empty text's key must pass whole: {lines}")
    check_keys_paired(lines)
    mark = len(log.lines())
    xdotool("keydown", "super", "keydown", "ctrl", "key", "--delay", "60", ctrl_chord[0], "sleep", "0.1",
            "keyup", "super", "sleep", "0.1", "keyup", "ctrl")
    wait_for(lambda: log.has("edit2 up 11", mark), what="the Ctrl release")
    lines = log.lines()[mark:]
    check(log.chars(2, mark) == ctrl_chord[1], f"Win+Ctrl+{ctrl_chord[0]} typed {log.chars(2, mark)!r}")
    ctrl_down = lines[lines.index("edit2 down 11"):lines.index("edit2 up 11")]
    check("edit2 down 10" not in ctrl_down, f"Shift injected while Ctrl was down: {lines}")
    check_keys_paired(lines)


def check_win_release_masked(lines, edit):
    # The hook injects the unassigned key 0xE8 down, passes the Win release on, injects it up.
    # The system queues the passed-on release only when the hook returns, so the target sees
    # E8 go down and up while Win is still held, then Win up: a chord, so no Start menu opens.
    # No Shift at all: it would turn Caps Lock off for some users.
    check(in_order(lines, [f"{edit} down E8", f"{edit} up E8", f"{edit} up 5B"]), f"Win release not masked: {lines}")
    check(f"{edit} down 10" not in lines, f"Shift injected: {lines}")


def scenario_types_into_the_focused_control(wine):
    log = start_target(wine, "engine")
    focus_edit(log, 1)
    proc, ready = start_host(wine)
    try:
        # No focus event seen since the hooks went in: the text goes where the focus is all the same.
        mark = len(log.lines())
        key("super+1")
        wait_for(lambda: log.chars(1, mark) == "Привет!", what="Привет! typed into edit 1 without a focus event")
        check(not log.has("edit1 down 31", mark), "the '1' leaked")

        # A focus event from the target: the chord types the text and the '1' never arrives.
        focus_edit(log, 2)
        mark = len(log.lines())
        key("super+1")
        wait_for(lambda: log.chars(2, mark) == "Привет!", what="Привет! typed into edit 2")
        wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win release")
        lines = log.lines()[mark:]
        check("edit2 down 31" not in lines and "edit2 char 0031" not in lines, f"the '1' leaked: {lines}")
        check_win_release_masked(lines, "edit2")

        mark = len(log.lines())
        key("super+shift+0")
        wait_for(lambda: log.chars(2, mark) == ":)))", what="Shift chord")
        check_win_chords_leave_nothing_behind(log, ("2", "@"))
    finally:
        stop_host(proc, ready)


def scenario_alt_mode(wine):
    log = start_target(wine, "engine_alt")
    proc, ready = start_host(wine, "alt")
    try:
        focus_edit(log, 2)
        check_alt_mode(log)
    finally:
        stop_host(proc, ready)


def scenario_hook_comes_back_after_windows_drops_it(wine):
    log = start_target(wine, "engine_watchdog")
    proc, ready = start_host(wine, "watchdog")
    try:
        focus_edit(log, 2)
        type_check = lambda mark: log.chars(2, mark) == "Привет!"
        mark = len(log.lines())
        key("super+1")
        wait_for(lambda: type_check(mark), what="typing before the hook is dropped")
        open(ready + ".drop", "w").close()
        wait_for(lambda: not os.path.exists(ready + ".drop"), what="the host to drop its keyboard hook")
        # The first chord after the loss goes through unseen; the watchdog notices it.
        mark = len(log.lines())
        key("super+1")
        wait_for(lambda: log.has("edit2 up 31", mark), what="the chord to pass the lost hook")
        time.sleep(1.0)
        mark = len(log.lines())
        key("super+1")
        wait_for(lambda: type_check(mark), what="typing to come back with the hook")
        check_keys_paired(log.lines())
    finally:
        stop_host(proc, ready)


SCENARIOS = [scenario_types_into_the_focused_control, scenario_alt_mode,
             scenario_hook_comes_back_after_windows_drops_it]
