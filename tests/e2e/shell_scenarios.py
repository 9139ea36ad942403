"""Vellory.exe end to end: start-up, typing, the single-instance rule, the tray, exit and
what lands in the registry."""
import glob
import os
import re
import shutil
import subprocess
import time

from engine_scenarios import (EDIT2, check_alt_mode, check_keys_paired, check_win_chords_leave_nothing_behind,
                              check_win_release_masked, focus_edit, start_target)
from harness import (WINE, Failure, check, click, find_window, key, screenshot, wait_for, window_geometry, winpath,
                     xdotool)

ROOT = r"HKCU\Software\Brannock\Vellory"
CAPTION = "Vellory"
WM_COMMAND, TRAY_MESSAGE, WM_LBUTTONUP = 0x111, 40001, 0x202


def exe(wine, name):
    return os.path.join(wine.build, "tests", "e2e", name + ".exe")


def wsend(wine, *args):
    r = subprocess.run([WINE, exe(wine, "wsend"), *[str(a) for a in args]], env=wine.env,
                       capture_output=True, timeout=30)
    return r.returncode, r.stdout.decode("ascii", "replace").strip()


def state(wine):
    """(hwnd, visible, minimised, foreground) of the main window, or None."""
    rc, out = wsend(wine, "state", CAPTION)
    return tuple(int(v) for v in out.split()) if rc == 0 and out else None


def shots(wine):
    return os.path.join(wine.build, "screenshots")


def shortcut(wine):
    found = glob.glob(wine.drive_c("users", "*", "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                   "Programs", "St*rt*p", "Vellory.lnk"))
    return found[0] if found else None


def fresh(wine):
    """No settings and no shortcut: the next start is a first run."""
    wine.stop_all()
    wine.reg_delete(r"HKCU\Software\Brannock")
    if shortcut(wine):
        os.remove(shortcut(wine))


def registry(wine):
    """{section: {name: (type, data)}} under the application's key."""
    out = wine.reg_query(ROOT) or ""
    result, section = {}, None
    for line in out.splitlines():
        if line.startswith("HKEY_"):
            section = line[len("HKEY_CURRENT_USER\\Software\\Brannock\\Vellory"):].lstrip("\\")
            result.setdefault(section, {})
        elif line.startswith("    ") and section is not None:
            parts = line.split(None, 2)
            if len(parts) >= 2:
                result[section][parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return result


def start_vellory(wine, expect_window=True):
    proc = wine.start(os.path.join(wine.build, "shell", "Vellory.exe"))
    if expect_window:
        wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the main window")
    return proc


def click_control(wine, control_id, caption=CAPTION):
    # A window that is just being restored or shown may not answer at once.
    def rect():
        rc, out = wsend(wine, "rect", caption, control_id)
        return tuple(int(v) for v in out.split()) if rc == 0 else None
    left, top, right, bottom = wait_for(rect, 10, f"control {control_id} in {caption}")
    click((left + right) // 2, (top + bottom) // 2)


def message_box_up(wine):
    # The question box shares the caption and lies above the main window.
    return wsend(wine, "count", CAPTION)[1] == "2"


def exit_vellory(wine, proc, name=None):
    click_control(wine, 2)  # "Выйти"
    wait_for(lambda: message_box_up(wine), 15, "the question Выйти?")
    if name:
        screenshot(shots(wine), name)
    click_control(wine, 1)  # OK of the question box
    check(proc.wait(timeout=30) == 0, "exit code of a normal exit")


def worked_example(reg):
    common = reg.get("Options\\Common", {})
    want = {"MinimizeToTray": "1", "HideInTray": "0", "KeepInTray": "1", "StartMinimize": "2",
            "CloseMinimize": "0", "ConfirmExit": "1"}
    for name, value in want.items():
        check(common.get(name) == ("REG_SZ", value), f"Options\\Common\\{name}: {common.get(name)}")
    check(not {"HotKey2", "Ru", "TypeMode", "SheetDelay"} & set(common), f"defaults must leave no value: {common}")
    main = reg.get("Options\\Windows\\Main", {})
    check("plmnt" in main and main["plmnt"][0] == "REG_SZ", f"plmnt: {main}")
    check("topmost" not in main and "Handle" not in main, f"Options\\Windows\\Main: {main}")
    check(reg.get("Profiles", {}).get("Profile") == ("REG_SZ", "Default"), f"Profiles: {reg.get('Profiles')}")
    check("data" in reg.get("Profiles\\Default\\items", {}), "items data missing")


def type_check(log, chord, text, since_lines=None):
    mark = len(log.lines())
    key(chord)
    wait_for(lambda: log.chars(2, mark) == text, 15, f"{chord} to type {text!r}")
    return mark


BURST_KEYS = "1234567890" + "12"


def burst_text(digit):
    """44 units, its chord's own."""
    return (f"[{digit}] Быстрая рука, текст номер {digit}" + "." * 44)[:44]


def burst_items():
    return [(d, "s", burst_text(d)) for d in "1234567890"]


def press_burst():
    """Twelve chords 100 ms apart in one hold of Win (with Shift); the texts they should give."""
    xdotool("keydown", "super", "keydown", "shift", "key", "--delay", "100", *BURST_KEYS, "keyup", "shift",
            "keyup", "super")
    return "".join(burst_text(d) for d in BURST_KEYS)


def check_burst_typed(log, what):
    mark = len(log.lines())
    wanted = press_burst()
    wait_for(lambda: log.chars(2, mark) == wanted, 30, f"every text of the burst {what}, in order",
             detail=lambda: log.chars(2, mark))
    wait_for(lambda: log.lines()[-1:] == ["edit2 up 5B"] or "edit2 up 5B" in log.lines()[mark:], 5, "Win's release")
    digits = [l for l in log.lines()[mark:] if l.startswith("edit2 down 3")]
    check(not digits, f"chords of the burst reached the target {what}: {digits}")


def check_typed_behind_own_window(wine):
    """As a new user goes: Notepad, started after Vellory, is clicked into (Wine raises no focus
    event for that); the way to Vellory's window leads through the taskbar (a program's window of
    the shell's class takes the focus), then a click brings Vellory's window to the front. Win
    held, 1 pressed a moment later: the text goes to Notepad, never to the shell's window."""
    wine.start("notepad.exe")
    wait_for(lambda: wsend(wine, "place", "class:Notepad", 760, 20, 500, 250)[0] == 0, 30, "Notepad to start")
    time.sleep(1)
    click(1000, 150)
    time.sleep(0.5)
    helper = start_target(wine, "shell_tray_helper", "--class", "Shell_TrayWnd", "--at", "0", "300")
    click(120, 128 + 260)
    wait_for(lambda: helper.has("edit2 focus"), what="the shell window to take the focus")
    time.sleep(0.3)
    left, top, right, bottom = control_rect(wine, CAPTION, 1)  # "Скрыть"
    click(right + 15, (top + bottom) // 2)  # beside it, on the window itself
    wait_for(lambda: (state(wine) or (0, 0, 0, 0))[3] == 1, 10, "Vellory's window in front")
    helper_mark = len(helper.lines())
    xdotool("keydown", "super", "sleep", "0.3", "key", "--delay", "60", "1", "keyup", "super")
    wait_for(lambda: editor_text(wine, "class:Notepad", "Edit") == "Привет!", 15, "Привет! behind Vellory's window",
             detail=lambda: editor_text(wine, "class:Notepad", "Edit"))
    time.sleep(0.3)
    check(helper.lines()[helper_mark:] == [], f"the shell window got keys: {helper.lines()[helper_mark:]}")


def top_state(wine, caption):
    """(hwnd, visible, minimised, foreground) of a top-level window, or None."""
    rc, out = wsend(wine, "state", caption)
    return tuple(int(v) for v in out.split()) if rc == 0 and out else None


def sheet_shown(wine):
    return (top_state(wine, "class:VelloryCheatSheet") or (0, 0))[1] == 1


def check_cheat_sheet(wine, log):
    """Win held alone: after a second the sheet lists the chords over the target, which keeps the
    focus; 1 types and hides it. Held alone again, the release after the sheet is masked."""
    mark = len(log.lines())
    xdotool("keydown", "super")
    time.sleep(0.4)
    check(not sheet_shown(wine), "the sheet came before its delay")
    wait_for(lambda: sheet_shown(wine), 10, "the cheat sheet")
    screenshot(shots(wine), "cheat_sheet")
    check((top_state(wine, "Typing target") or (0, 0, 0, 0))[3] == 1, "the sheet took the foreground")
    check(not log.has("edit2 focus", mark), "the target lost its focus to the sheet")
    xdotool("key", "1")
    wait_for(lambda: log.chars(2, mark) == "Привет!", 15, "1 on the sheet to type Привет!")
    wait_for(lambda: not sheet_shown(wine), 10, "the chord to hide the sheet")
    xdotool("keyup", "super")
    wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win release")
    mark = len(log.lines())
    xdotool("keydown", "super")
    wait_for(lambda: sheet_shown(wine), 10, "the cheat sheet again")
    xdotool("keyup", "super")
    wait_for(lambda: not sheet_shown(wine), 10, "the release to hide the sheet")
    wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win release after the sheet")
    check_win_release_masked(log.lines()[mark:], "edit2")
    check(log.chars(2, mark) == "", f"typed on a lone release: {log.chars(2, mark)!r}")


def scenario_first_run_types_and_exits(wine):
    fresh(wine)
    log = start_target(wine, "shell_first")
    proc = start_vellory(wine)
    check(shortcut(wine) is not None, "first run must create the Startup shortcut")
    check("Handle" not in registry(wine).get("Options\\Windows\\Main", {}), "first run stores no Handle")
    screenshot(shots(wine), "main_window")
    focus_edit(log, 2)
    mark = type_check(log, "super+1", "Привет!")
    wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win release")
    check_win_release_masked(log.lines()[mark:], "edit2")
    type_check(log, "super+0", ":)")
    type_check(log, "super+shift+0", ":)))")
    type_check(log, "super+ctrl+3", "Пока!")
    check_cheat_sheet(wine, log)
    check_typed_behind_own_window(wine)
    # Exit asked and declined: nothing changes.
    click_control(wine, 2)
    wait_for(lambda: message_box_up(wine), 15, "the question Выйти?")
    click_control(wine, 2)  # Cancel of the question, which lies above the main window
    wait_for(lambda: not message_box_up(wine), 15, "the question to go")
    time.sleep(0.5)
    check(proc.poll() is None and state(wine)[1] == 1, "declined exit must leave the window")
    exit_vellory(wine, proc, "exit_question")
    worked_example(registry(wine))


def scenario_second_start_is_refused(wine):
    # Runs after a first run: this start stores its handle.
    if not registry(wine).get("Options\\Windows\\Main"):
        fresh(wine)
        p = start_vellory(wine)
        exit_vellory(wine, p)
    proc = start_vellory(wine)
    hwnd = state(wine)[0]
    handle = registry(wine).get("Options\\Windows\\Main", {}).get("Handle")
    check(handle == ("REG_SZ", str(hwnd)), f"Handle {handle} should name {hwnd}")
    click_control(wine, 1)  # "Скрыть"
    wait_for(lambda: state(wine)[1] == 0, 10, "the window to hide")
    before = registry(wine)
    second = start_vellory(wine, expect_window=False)
    check(second.wait(timeout=30) == 1, "the second start must end with exit code 1")
    wait_for(lambda: state(wine)[1] == 1, 10, "the first window to come back")
    check(registry(wine) == before, "the refused start must leave the store alone")
    # Hidden again, then the tray icon's left click restores it.
    click_control(wine, 1)
    wait_for(lambda: state(wine)[1] == 0, 10, "the window to hide")
    tray_click(wine)
    wait_for(lambda: state(wine)[1] == 1, 10, "a tray click to restore the window")
    exit_vellory(wine, proc)


def scenario_two_at_once(wine):
    fresh(wine)
    a = wine.start(os.path.join(wine.build, "shell", "Vellory.exe"))
    b = wine.start(os.path.join(wine.build, "shell", "Vellory.exe"))
    wait_for(lambda: a.poll() is not None or b.poll() is not None, 30, "one of two starts to be refused")
    time.sleep(2)
    codes = sorted([a.poll(), b.poll()], key=lambda c: (c is None, c))
    check(codes[0] == 1 and codes[1] is None, f"exactly one instance must run: {codes}")


def scenario_stale_handle(wine):
    fresh(wine)
    p = start_vellory(wine)
    exit_vellory(wine, p)
    log = start_target(wine, "shell_stale")
    ready = [l for l in log.lines() if l.startswith("ready")][0].split()
    unrelated = int(ready[1])
    for stored in (unrelated, 123456, 0x7FFFFFF0):
        wine.reg_add(ROOT + r"\Options\Windows\Main", "Handle", str(stored))
        proc = start_vellory(wine)
        time.sleep(1)
        check(proc.poll() is None, f"a stale Handle {stored} must not refuse the start")
        hwnd = state(wine)[0]
        check(registry(wine)["Options\\Windows\\Main"].get("Handle") == ("REG_SZ", str(hwnd)),
              "the stale Handle must be overwritten")
        exit_vellory(wine, proc)


def scenario_alt_mode_from_the_store(wine):
    fresh(wine)
    p = start_vellory(wine)
    exit_vellory(wine, p)
    wine.reg_add(ROOT + r"\Options\Common", "HotKey2", "1")
    log = start_target(wine, "shell_alt")
    proc = start_vellory(wine)
    focus_edit(log, 2)
    check_alt_mode(log)
    exit_vellory(wine, proc)
    check(registry(wine)["Options\\Common"].get("HotKey2") == ("REG_SZ", "1"), "HotKey2 1 must stay stored")


def store_items(wine, items, ways=(), abbrs=()):
    """Stores the profile's items, given as (key, mark, text), their own ways, given as
    (key, mark, way), and abbreviations' items as (abbreviation, options, text), as Vellory would."""
    def value(name, entries):
        data = "".join(f"{k}{m}\x01{t}\x02" for k, m, t in entries) + "\0"
        return f'"{name}"=hex(1):' + ",".join(f"{b:02x}" for b in data.encode("utf-16-le")) + "\r\n"
    reg = os.path.join(wine.work, "items.reg")
    text = ("Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Brannock\\Vellory\\Profiles\\Default\\items]\r\n"
            + value("data", items) + (value("ways", ways) if ways else "")
            + (value("abbrs", [(a, "", t) for a, _, t in abbrs]) if abbrs else "")
            + (value("abbropts", [(a, "", o) for a, o, _ in abbrs if o]) if any(o for _, o, _ in abbrs) else ""))
    with open(reg, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))  # reg reads hex(1) as UTF-16 only in this form
    check(wine.run("reg", "import", reg).returncode == 0, "reg import of the items")


def count_wakeups(wine, first, last, action):
    """How often a WinEvent hook on the range is woken while the action runs."""
    counter = subprocess.Popen([WINE, exe(wine, "wsend"), "winevents", str(first), str(last), "3000"], env=wine.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    check(counter.stdout.readline().strip() == b"ready", "the event counter")
    action()
    return int(counter.communicate(timeout=30)[0].split()[-1])


def check_abbreviations(wine, text, fast=True):
    """Typed with real keys into the window in front, whose text `text()` reads (None when it
    cannot be read just now): an abbreviation
    at a word's start fires on an ending character in the typed case, one inside a word stays,
    and keys typed on at speed behind the text keep their order."""
    for keys, wanted in (("x sig ", "x best regards "), ("design ", "design "), ("Sig.", "Best regards."),
                         (" ;adr", " Улица, 1"), (" sig and more" if fast else "", " best regards and more" if fast else ""),
                         # Long enough to take a while as keystrokes: what is typed meanwhile waits.
                         (" lng and more" if fast else "", " " + LONG_TEXT + " and more" if fast else "")):
        before = wait_for(lambda: text() is not None and [text()], 10, "the text before")[0]
        subprocess.run(["xdotool", "type", "--delay", "15" if keys.endswith("more") else "70", keys])
        wait_for(lambda: text() == before + wanted, 15, f"{keys!r} to give {wanted!r}",
                 detail=lambda: (text() or "")[len(before):])


LONG_TEXT = "Long text, " * 12
ABBREVIATIONS = [("sig", "", "best regards"), (";adr", "1i", "Улица, 1"), ("прив", "", "Привет!"), ("lng", "", LONG_TEXT)]


def scenario_keys_never_stick(wine):
    """Chords leave no key behind; typed abbreviations (stored as "abbrs") in each of the three
    ways into the typing target and Notepad, a click ending what was typed, and once in a Russian
    layout. The click is seen through WinEvents that never wake Vellory for a mouse move."""
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    store_items(wine, [("1", "", "Привет!"), ("5", "", ""), ("2", "c", "@")], abbrs=ABBREVIATIONS)
    log = start_target(wine, "shell_keys")
    wine.start("notepad.exe")
    wait_for(lambda: wsend(wine, "place", "class:Notepad", 0, 620, 500, 300)[0] == 0, 30, "Notepad to start")
    notepad = lambda: editor_text(wine, "class:Notepad", "Edit")
    for mode in (0, 1, 2):
        wine.reg_add(ROOT + r"\Options\Common", "TypeMode", str(mode))
        proc = start_vellory(wine)
        focus_edit(log, 2, again=mode != 0)
        if mode == 0:
            type_check(log, "super+1", "Привет!")
            check_win_chords_leave_nothing_behind(log, ("2", "@"))
        target = lambda: editor_text(wine, "Typing target", "Edit", 1)
        key("ctrl+End")  # the click to focus it put the caret where it landed
        check_abbreviations(wine, target)
        if mode == 0:
            # A click in the edit moves the caret: what was typed before it is no word's start.
            subprocess.run(["xdotool", "type", "--delay", "70", "si"])
            moves = lambda: [xdotool("mousemove", str(100 + i * 3), str(120 + i % 7)) for i in range(100)]
            woken = count_wakeups(wine, 3, 8, moves)  # EVENT_SYSTEM_FOREGROUND .. EVENT_SYSTEM_CAPTURESTART
            clicks = count_wakeups(wine, 3, 8, lambda: click(*EDIT2))
            print(f"wake-ups for 100 mouse moves: {woken}; for a click: {clicks}")
            check(woken == 0 and clicks >= 1, f"mouse moves woke the hook {woken} times, a click {clicks}")
            mark = len(log.lines())
            subprocess.run(["xdotool", "type", "--delay", "70", "g "])
            wait_for(lambda: log.chars(2, mark) == "g ", 15, "sig after a click to stay", detail=lambda: log.chars(2, mark))
            time.sleep(1)
            check(log.chars(2, mark) == "g ", f"sig fired after a click: {log.chars(2, mark)!r}")
            key("ctrl+End")
        click(250, 800)  # Notepad
        time.sleep(0.5)
        key("ctrl+End")
        check_abbreviations(wine, notepad, fast=mode == 0)
        if mode == 0:
            # Wine follows the X layout as it changes: the keys g h b d now type п р и в. They are
            # named by their key codes: xdotool would type a named letter through a spare key.
            display = os.environ.get("DISPLAY", "")
            subprocess.run(["setxkbmap", "-display", display, "-layout", "ru"], check=True)
            try:
                time.sleep(1)  # every Wine process takes the new key map in first
                before = wait_for(lambda: notepad() is not None and [notepad()], 10, "Notepad's text")[0]
                xdotool("key", "--delay", "70", "65", "42", "43", "56", "40", "65")
                wait_for(lambda: notepad() == before + " Привет! ", 15, "прив to give Привет!",
                         detail=lambda: (notepad() or "")[len(before):])
            finally:
                subprocess.run(["setxkbmap", "-display", display, "-layout", "us"], check=True)
        exit_vellory(wine, proc)


def scenario_logoff_loses_nothing(wine):
    fresh(wine)
    proc = start_vellory(wine)
    wine.remove_startup_shortcuts()
    subprocess.run(["wineboot", "--end-session"], env=wine.env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    try:
        proc.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("Vellory did not end with the session")
    worked_example(registry(wine))


WM_SYSCOMMAND, SC_MINIMIZE, WM_RBUTTONUP, WM_LBUTTONDOWN = 0x112, 0xF020, 0x205, 0x201


def tray_click(wine, button=1):
    """A real click on Vellory's icon in the tray window Wine shows when no X tray exists."""
    tray = wait_for(lambda: find_window("Wine System Tray"), 10, "Wine's tray window")
    x, y, _, _ = window_geometry(tray)
    click(x + 12, y + 31, button)  # the first icon, below the tray window's caption


def tray_icon(wine):
    return wsend(wine, "trayicon", CAPTION)[1] == "1"


def menu_shown(wine):
    return wsend(wine, "menu", "-")[1] == "1"


def restart_with(wine, expect_window=True, **options):
    """A later run (not the first) with the given options stored in Options\\Common."""
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    for name, value in options.items():
        wine.reg_add(ROOT + r"\Options\Common", name, str(value))
    return start_vellory(wine, expect_window)


def scenario_tray_and_minimise_options(wine):
    proc = restart_with(wine, KeepInTray=0)
    check(not tray_icon(wine), "no icon at start-up")
    click_control(wine, 1)  # "Скрыть"
    wait_for(lambda: state(wine)[1] == 0, 10, "the window to hide")
    check(tray_icon(wine), "Скрыть must add the icon")
    # Callbacks for another icon or another mouse message change nothing.
    wsend(wine, "post", CAPTION, TRAY_MESSAGE, 1, WM_RBUTTONUP)
    wsend(wine, "post", CAPTION, TRAY_MESSAGE, 1, WM_LBUTTONUP)
    wsend(wine, "post", CAPTION, TRAY_MESSAGE, 0, WM_LBUTTONDOWN)
    time.sleep(1)
    check(state(wine)[1] == 0 and not menu_shown(wine), "ignored callbacks must change nothing")
    tray_click(wine)
    wait_for(lambda: state(wine)[1] == 1, 10, "a tray click to restore the window")
    wait_for(lambda: not tray_icon(wine), 10, "KeepInTray off: the icon goes when the window is back")
    exit_vellory(wine, proc)

    proc = restart_with(wine, KeepInTray=1, MinimizeToTray=0)
    wsend(wine, "post", CAPTION, WM_SYSCOMMAND, SC_MINIMIZE, 0)
    wait_for(lambda: state(wine)[2] == 1, 10, "the window to minimise")
    time.sleep(0.5)
    check(state(wine)[1] == 1 and not tray_icon(wine), "MinimizeToTray off: minimised on the taskbar, no icon")
    wsend(wine, "post", CAPTION, WM_SYSCOMMAND, 0xF120, 0)  # SC_RESTORE, as a taskbar click does
    wait_for(lambda: state(wine)[2] == 0, 10, "the window to restore")
    click_control(wine, 1)  # "Скрыть" adds the icon whatever MinimizeToTray says
    wait_for(lambda: state(wine)[1] == 0 and tray_icon(wine), 10, "Скрыть to hide into the tray")
    # Explorer restarted: its icons are gone until it announces the new taskbar.
    wsend(wine, "trayicon", CAPTION, "delete")
    check(not tray_icon(wine), "the icon should be gone with the old taskbar")
    wsend(wine, "taskbar", CAPTION)
    wait_for(lambda: tray_icon(wine), 10, "the icon to come back on TaskbarCreated")
    tray_click(wine)
    wait_for(lambda: state(wine)[1] == 1, 10, "a tray click to restore the window")
    check(tray_icon(wine), "KeepInTray on: the icon stays")
    exit_vellory(wine, proc)

    proc = restart_with(wine, MinimizeToTray=1)
    wsend(wine, "post", CAPTION, WM_SYSCOMMAND, SC_MINIMIZE, 0)
    wait_for(lambda: state(wine)[1] == 0 and tray_icon(wine), 10, "minimise into the tray")
    tray_click(wine)
    wait_for(lambda: state(wine)[1] == 1 and state(wine)[2] == 0, 10, "the window back in its normal state")
    exit_vellory(wine, proc)


def scenario_start_minimised(wine):
    proc = restart_with(wine, expect_window=False, StartMinimize=1, MinimizeToTray=1)
    wait_for(lambda: tray_icon(wine), 15, "the icon of a start into the tray")
    check(state(wine)[1] == 0, "StartMinimize 1 with MinimizeToTray: only the tray icon shows")
    tray_click(wine)
    wait_for(lambda: state(wine)[1] == 1, 10, "a tray click to restore the window")
    exit_vellory(wine, proc)

    wine.reg_add(ROOT + r"\Options\Common", "MinimizeToTray", "0")
    proc = start_vellory(wine, expect_window=False)
    wait_for(lambda: (state(wine) or (0, 0, 0))[2] == 1, 15, "the window to start minimised")
    check(state(wine)[1] == 1 and not tray_icon(wine), "MinimizeToTray off: minimised on the taskbar")
    wsend(wine, "post", CAPTION, WM_SYSCOMMAND, 0xF120, 0)
    wait_for(lambda: state(wine)[2] == 0, 10, "the window to restore")
    exit_vellory(wine, proc)


def open_tray_menu(wine):
    if not tray_icon(wine):
        # "Скрыть" puts the icon in the tray; a click brings the window back and, with
        # KeepInTray on, the icon stays.
        click_control(wine, 1)
        wait_for(lambda: tray_icon(wine) and state(wine)[1] == 0, 10, "the tray icon")
        tray_click(wine)
        wait_for(lambda: state(wine)[1] == 1, 10, "the window to come back")
    for attempt in range(3):
        # A click that lands while the last dialog is still going away is lost; try again.
        tray_click(wine, 3)
        try:
            wait_for(lambda: menu_shown(wine), 5, "the tray menu")
            break
        except Failure:
            if attempt == 2:
                raise
    time.sleep(0.5)


def choose_menu_item(wine, first):
    """Clicks the first or the last item of the shown menu (each item is one menu-bar high)."""
    rc, out = wsend(wine, "menurect", "-")
    check(rc == 0, "no menu shown")
    left, top, right, bottom = (int(v) for v in out.split())
    click((left + right) // 2, top + 12 if first else bottom - 12)


def scenario_tray_menu(wine):
    proc = restart_with(wine)
    open_tray_menu(wine)
    before = state(wine)
    screenshot(shots(wine), "tray_menu")
    choose_menu_item(wine, first=False)  # "Выход"
    wait_for(lambda: message_box_up(wine), 15, "the question Выйти?")
    check(not menu_shown(wine), "the menu must be gone before the question")
    click_control(wine, 2)  # Cancel
    wait_for(lambda: not message_box_up(wine), 15, "the question to go")
    time.sleep(0.5)
    check(proc.poll() is None and state(wine)[1] == before[1], "Cancel must leave everything as it was")

    open_tray_menu(wine)
    choose_menu_item(wine, first=True)  # "О программе..."
    wait_for(lambda: wsend(wine, "state", "О программе...")[0] == 0, 15, "the about box")
    time.sleep(0.5)
    screenshot(shots(wine), "about_box")
    rc, text = wsend(wine, "text", "О программе...", 1001)
    check(text.split() == [f"{ord(c):04X}" for c in "Vellory, " + wine.version + ".0"], f"about line: {text}")
    click_control(wine, 1, "О программе...")  # OK
    wait_for(lambda: wsend(wine, "state", "О программе...")[0] != 0, 15, "the about box to close")
    exit_vellory(wine, proc)


def scenario_working_set_stays_small(wine):
    proc = restart_with(wine)
    log = start_target(wine, "shell_memory")
    del log
    time.sleep(2)
    ours = int(wsend(wine, "memory", CAPTION)[1])
    plain = int(wsend(wine, "memory", "Typing target")[1])
    print(f"working set: Vellory {ours} KB, a plain window program {plain} KB ({ours / plain:.2f}x)")
    check(ours <= plain * 1.5, f"working set {ours} KB against {plain} KB for a plain window program")
    exit_vellory(wine, proc)


SETTINGS, TEXT_EDIT = "Настройки", "Строка"


def window_up(wine, caption):
    return wsend(wine, "state", caption)[0] == 0


def control_rect(wine, caption, control_id):
    rc, out = wsend(wine, "rect", caption, control_id)
    return tuple(int(v) for v in out.split()) if rc == 0 else None


def open_settings(wine):
    click_control(wine, 1001)  # "Настройки..."
    wait_for(lambda: window_up(wine, SETTINGS), 15, "the settings dialog")
    time.sleep(0.5)


def close_dialog(wine, caption, button):
    click_control(wine, button, caption)
    wait_for(lambda: not window_up(wine, caption), 15, f"{caption} to close")


def scenario_settings_change_modifier_and_text(wine):
    proc = restart_with(wine)
    log = start_target(wine, "shell_settings")
    open_settings(wine)
    screenshot(shots(wine), "settings_hotkeys")
    click_control(wine, 1005, SETTINGS)  # "Кнопка [Alt]", with the mouse
    left, top, _, _ = control_rect(wine, SETTINGS, 1002)
    click(left + 120, top + 10)  # the tab "Общие"
    wait_for(lambda: control_rect(wine, SETTINGS, 1003), 10, "the general page")
    time.sleep(0.3)
    screenshot(shots(wine), "settings_general")
    close_dialog(wine, SETTINGS, 1)  # OK
    check(registry(wine)["Options\\Common"].get("HotKey2") == ("REG_SZ", "1"), "HotKey2 stored after the dialog")

    focus_edit(log, 2)
    check_alt_mode(log)

    # A text changed through a double-click on its row, then the dialog cancelled.
    open_settings(wine)
    left, top, right, _ = control_rect(wine, SETTINGS, 1009)
    subprocess.run(["xdotool", "mousemove", str(left + 30), str(top + 27), "click", "--repeat", "2",
                    "--delay", "80", "1"], capture_output=True)
    wait_for(lambda: window_up(wine, TEXT_EDIT), 15, "the text edit dialog")
    time.sleep(0.5)
    screenshot(shots(wine), "text_edit")
    click_control(wine, 1011, TEXT_EDIT)
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "50", "Bye!"], capture_output=True)
    close_dialog(wine, TEXT_EDIT, 1)
    close_dialog(wine, SETTINGS, 2)  # Cancel keeps the edited text
    focus_edit(log, 2)
    type_check(log, "alt+1", "Bye!")
    items = wine.reg_query(ROOT + r"\Profiles\Default\items") or ""
    check("Bye!" in items, "the edited text must be stored once the dialog closed")
    exit_vellory(wine, proc)
    check("Bye!" in (wine.reg_query(ROOT + r"\Profiles\Default\items") or ""), "edited text lost at exit")


def scenario_asked_again_and_keyboard_only(wine):
    proc = restart_with(wine, ConfirmExit=0)
    left, _, right, bottom = control_rect(wine, CAPTION, 1001)
    click((left + right) // 2, bottom + 15)  # a blank spot of the main window
    key("Escape")
    wait_for(lambda: state(wine)[1] == 0 and tray_icon(wine), 10, "Escape to hide the window as Скрыть does")
    tray_click(wine)
    wait_for(lambda: proc.poll() is None and state(wine)[1] == 1, 10, "the window back after Escape")
    x, y, _, _ = window_geometry(find_window("Wine System Tray"))
    for settings_open in (False, True):
        click(1200, 1000)  # elsewhere
        wait_for(lambda: not menu_shown(wine), 10, "the menu to close on a click elsewhere")
        if settings_open:
            open_settings(wine)
        # Wine's tray lets a second click close the first one's menu: a callback inside it is posted.
        xdotool("mousemove", str(x + 12), str(y + 31), "click", "--repeat", "2", "--delay", "50", "3")
        time.sleep(1)
        click(1200, 1000)
        open_tray_menu(wine)
        wsend(wine, "post", CAPTION, TRAY_MESSAGE, 0, WM_RBUTTONUP)
        time.sleep(1)
        check(proc.poll() is None and menu_shown(wine), "a second right-click must leave Vellory and its menu")
    left, top, _, _ = (int(v) for v in wsend(wine, "menurect", "-")[1].split())
    click(left + 30, top + 30)  # "Настройки" again: the open dialog comes forward, the focus on its OK
    wait_for(lambda: wsend(wine, "state", SETTINGS)[1].endswith("1") and wsend(wine, "count", SETTINGS)[1] == "1",
             10, "the one settings dialog in front")
    xdotool("key", "Tab", "Tab", "Down", "Tab", "Tab", "Home")  # Cancel, Win (Down: Alt), the box, the list
    for k in ("Return", "F2"):
        key(k)
        wait_for(lambda: window_up(wine, TEXT_EDIT), 10, f"{k} on a row to edit it")
        close_dialog(wine, TEXT_EDIT, 2)
    xdotool("key", "ctrl+Tab", "Tab", "Tab", "Tab", "space")  # "Общие"; from its tab: OK, Cancel, autostart
    key("Return")
    after_ok = lambda: registry(wine)["Options\\Common"].get("HotKey2") == ("REG_SZ", "1") and not shortcut(wine)
    wait_for(after_ok, 10, "OK to keep Alt and delete the shortcut")
    open_settings(wine)
    xdotool("key", "Tab", "Tab", "Up", "ctrl+Tab", "Tab", "Tab", "Tab", "space", "ctrl+shift+Tab")
    check(control_rect(wine, SETTINGS, 1009), "Ctrl+Shift+Tab back to Программа")
    close_dialog(wine, SETTINGS, 2)
    check(after_ok(), "Cancel changes neither the main modifier nor the shortcut")
    # Leaving through the tray with the settings open keeps nothing the dialog changed.
    open_settings(wine)
    click_control(wine, 1004, SETTINGS)  # "Левая кнопка [Win]"
    open_tray_menu(wine)
    choose_menu_item(wine, first=False)  # "Выход", no question asked
    check(proc.wait(timeout=30) == 0, "exit code of a normal exit")
    check(after_ok(), "a change the settings dialog never confirmed was stored")


def on_small_screen(wine, small):
    """Programs started from now on run on a screen of 1024 x 768 (Wine's virtual desktop, at the
    top left of the X display), or again on the X display itself."""
    explorer = r"HKCU\Software\Wine\Explorer"
    wine.stop_all()
    if small:
        wine.reg_add(explorer, "Desktop", "Default")
        wine.reg_add(explorer + r"\Desktops", "Default", "1024x768")
    else:
        wine.run("reg", "delete", explorer, "/v", "Desktop", "/f")
    subprocess.run(["wineserver", "-k"], env=wine.env, capture_output=True)
    subprocess.run(["wineserver", "-p"], env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    wine.boot()


def check_sheet_of_108_chords_on_a_small_screen(wine, shot):
    """36 keys, each alone, with Shift and with Ctrl, on a screen of 1024 x 768: the sheet stays
    on the screen with every row on it, and a click on the last row's Ctrl cell types its text."""
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    keys = [chr(c) for c in range(ord("A"), ord("Z") + 1)] + [str(d) for d in range(10)]
    store_items(wine, [item for k in keys for item in ((k, "", k.lower()), (k, "s", "S" + k), (k, "c", "C" + k))])
    on_small_screen(wine, True)
    try:
        log = start_target(wine, "shell_small_screen")
        proc = start_vellory(wine)
        focus_edit(log, 2)
        mark = len(log.lines())
        xdotool("keydown", "super")
        wait_for(lambda: sheet_shown(wine), 10, "the cheat sheet of 108 chords")
        screenshot(shots(wine), shot)
        left, top, right, bottom = (int(v) for v in wsend(wine, "rect", "class:VelloryCheatSheet", 0)[1].split())
        inside = 0 <= left < right <= 1024 and 0 <= top < bottom <= 768
        if inside:
            click(right - 12, bottom - 6)  # the last row is the last group's last: 9 with Ctrl
        xdotool("keyup", "super")
        check(inside, f"the sheet must stay on the screen of 1024 x 768: {left} {top} {right} {bottom}")
        wait_for(lambda: log.chars(2, mark) == "C9", 15, "a click on the cell of Win+Ctrl+9 to type C9")
        exit_vellory(wine, proc)
    finally:
        on_small_screen(wine, False)


def scenario_high_dpi_and_quit_request(wine):
    """108 chords on a small screen at 96 and 144 DPI; at 144 DPI the icons come at the system's
    metrics (screenshots to look at); then an installer's quit request over open dialogs: no
    question, exit code 0, changes undone."""
    check_sheet_of_108_chords_on_a_small_screen(wine, "small_screen_cheat_sheet")
    desktop = r"HKCU\Control Panel\Desktop"  # read by each Wine process as it starts
    wine.run("reg", "add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    try:
        check_sheet_of_108_chords_on_a_small_screen(wine, "dpi144_small_screen_cheat_sheet")
        check(wsend(wine, "metrics", "-")[1] == "24 48", "icon metrics of a DPI-aware program at 144 DPI")
        # Icons are process-local in Wine: the about box's test program checks its icon itself.
        about = os.path.join(wine.build, "tests", "win32", "toolkit", "about_tests.exe")
        check(wine.call(about, "--gtest_filter=AboutDialog.SmallIcon*") == 0, "the about box's icon at 144 DPI")
        proc = restart_with(wine)
        screenshot(shots(wine), "dpi144_main_window")
        open_settings(wine)  # an abbreviation for the sheet, through the item dialog at this DPI
        edit_item(wine, 1013, abbreviation="sig", text="Best regards", shot="dpi144_item_dialog_abbreviation")
        wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
        close_dialog(wine, SETTINGS, 1)
        xdotool("keydown", "super")
        wait_for(lambda: sheet_shown(wine), 10, "the cheat sheet at 144 DPI")
        screenshot(shots(wine), "dpi144_cheat_sheet")
        left, _, right, _ = (int(v) for v in wsend(wine, "rect", "class:VelloryCheatSheet", 0)[1].split())
        xdotool("keyup", "super")
        check(right - left > 1000, f"the sheet must scale with the DPI: {right - left} pixels wide")
        wsend(wine, "post", CAPTION, TRAY_MESSAGE, 0, WM_RBUTTONUP)  # the menu at the cursor
        wait_for(lambda: menu_shown(wine), 10, "the tray menu")
        screenshot(shots(wine), "dpi144_tray_menu")
        click(1200, 1000)
        wait_for(lambda: not menu_shown(wine), 10, "the menu to close")
        open_settings(wine)
        screenshot(shots(wine), "dpi144_settings_hotkeys")
        key("ctrl+Tab")  # "Общие"
        wait_for(lambda: control_rect(wine, SETTINGS, 1003), 10, "the general page")
        screenshot(shots(wine), "dpi144_settings_general")
        key("ctrl+Tab")
        click_control(wine, 1005, SETTINGS)  # "Кнопка [Alt]", never confirmed
        click_control(wine, 1013, SETTINGS)  # "Добавить…": the item dialog over the settings
        wait_for(lambda: window_up(wine, TEXT_EDIT), 15, "the item dialog")
        wsend(wine, "quit", 0)
        check(proc.wait(timeout=30) == 0, "a quit request over the settings must end with exit code 0")
        check("HotKey2" not in registry(wine)["Options\\Common"], "the unconfirmed change must go back")
    finally:
        wine.run("reg", "delete", desktop, "/v", "LogPixels", "/f")


UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellory"
X64, X86 = 0x8664, 0x14C


def pe_machine(path):
    """The machine field of a Windows program's PE header."""
    with open(path, "rb") as f:
        head = f.read(4096)
    at = int.from_bytes(head[0x3C:0x40], "little")
    check(head[at:at + 4] == b"PE\0\0", f"{path} is no Windows program")
    return int.from_bytes(head[at + 4:at + 6], "little")


def release_setup(build, version):
    """The setup `make dist` ships from a build, and the machine of the program it holds."""
    machine = pe_machine(os.path.join(build, "shell", "Vellory.exe"))
    return os.path.join(build, "installer", f"Vellory-{version}{'' if machine == X64 else '-32bit'}-setup.exe"), machine


def host_runs_ia32():
    ia32 = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "ia32.sh")
    r = subprocess.run(["bash", "-c", f'. "{ia32}" && echo "$VELLORY_IA32"'], capture_output=True, text=True)
    return r.stdout.strip() == "1"


def scenario_installer(wine):
    """The release's setup under Wine: install, install over a running copy, uninstall, purge;
    where the host runs 32-bit programs, the 64-bit setup also replaces a running 32-bit copy."""
    fresh(wine)
    setup, machine = release_setup(wine.build, wine.version)
    check(pe_machine(setup) == machine, f"the setup is built for another machine than its program's {machine:#x}")
    folder = glob.glob(wine.drive_c("users", "*", "AppData", "Local"))[0] + "/Programs/Vellory"
    installed, uninstaller = folder + "/Vellory.exe", folder + "/uninstall.exe"
    menu = glob.glob(wine.drive_c("users", "*", "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                  "Programs"))[0] + "/Vellory.lnk"
    wine.reg_delete(UNINSTALL)  # what a failed run may have left
    shutil.rmtree(folder, ignore_errors=True)
    check(wine.call(setup, "/S") == 0, "silent install")
    check(os.path.isfile(installed) and os.path.isfile(uninstaller) and os.path.isfile(menu),
          "the program, its uninstaller and the Start-menu shortcut")
    check(pe_machine(installed) == machine, f"installed a program for {pe_machine(installed):#x}, not {machine:#x}")
    entry = wine.reg_query(UNINSTALL) or ""
    for line in ("DisplayName    REG_SZ    Vellory", f"DisplayVersion    REG_SZ    {wine.version}",
                 "Publisher    REG_SZ    Brannock", "NoModify    REG_DWORD    0x1", "QuietUninstallString",
                 "EstimatedSize", "InstallLocation", "DisplayIcon"):
        check(line in entry, f"uninstall entry without {line!r}: {entry}")
    check(not state(wine), "a silent install starts nothing that did not run")
    check(shortcut(wine) is not None, "a fresh silent install ticks the autostart box")

    # The user removed the shortcut: an update does not bring it back, nor does the first run.
    os.remove(shortcut(wine))
    check(wine.call(setup, "/S") == 0, "silent update")
    reg = registry(wine)
    check("Options\\Windows\\Main" in reg and not any(reg.values()), f"the setup stores no value: {reg}")
    old = wine.start(installed)
    wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the installed Vellory")
    check(shortcut(wine) is None, "the setup's choice holds at the first run")
    left, top, right, bottom = control_rect(wine, CAPTION, 0)
    wsend(wine, "place", CAPTION, 300, 200, right - left, bottom - top)  # a change only saved at exit
    moved = control_rect(wine, CAPTION, 0)
    click_control(wine, 2)  # "Выйти": the question still shows when the installer asks
    wait_for(lambda: message_box_up(wine), 15, "the question Выйти?")
    check(wine.call(setup, "/S") == 0, "silent install over a running Vellory")
    check(old.wait(timeout=30) == 0, "the running copy must end with exit code 0")
    wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the new Vellory, started again")
    check(control_rect(wine, CAPTION, 0) == moved, "the new copy opens where the old one was moved to")

    # The uninstaller returns at once and goes on from a copy in the temporary folder.
    wine.call(uninstaller, "/S")
    wait_for(lambda: not os.path.exists(folder) and not wine.reg_query(UNINSTALL), 30, "the uninstall")
    check(not state(wine) and not os.path.exists(menu) and not shortcut(wine), "Vellory and its shortcuts gone")
    worked_example(registry(wine))  # the settings stay

    setup32 = os.path.join(wine.build, "..", "win32", "installer", f"Vellory-{wine.version}-32bit-setup.exe")
    if machine == X64 and os.path.isfile(setup32) and host_runs_ia32():
        # The 32-bit copy people have installed so far, running, replaced by the 64-bit one: the
        # same folder and entry, and every setting, the placement too (saved as the old one ends).
        kept = {k: v for k, v in registry(wine).items() if k != "Options\\Windows\\Main"}
        check(wine.call(setup32, "/S") == 0, "the 32-bit setup")
        check(pe_machine(installed) == X86, "the 32-bit setup installs the 32-bit program")
        old = wine.start(installed)
        wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the installed 32-bit Vellory")
        check(wine.call(setup, "/S") == 0, "the 64-bit setup over a running 32-bit copy")
        check(old.wait(timeout=30) == 0, "the running 32-bit copy must end with exit code 0")
        wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the 64-bit Vellory, started in its place")
        check(pe_machine(installed) == X64, "the 64-bit setup left the 32-bit program in place")
        check(control_rect(wine, CAPTION, 0) == moved, "the 64-bit copy opens where the 32-bit one was")
        reg = registry(wine)
        check({k: v for k, v in reg.items() if k != "Options\\Windows\\Main"} == kept, f"settings changed: {reg}")
        entry = wine.reg_query(UNINSTALL) or ""
        check(f"DisplayVersion    REG_SZ    {wine.version}" in entry and "Vellory" in entry, f"uninstall entry: {entry}")
        wsend(wine, "quit", 0)
        wait_for(lambda: not state(wine), 30, "the quit request to end the 64-bit copy")

    check(wine.call(setup, "/S") == 0, "install again")
    running = wine.start(installed)
    wait_for(lambda: (state(wine) or (0, 0))[1] == 1, 30, "the installed Vellory")
    wine.call(uninstaller, "/S", "/PURGE")
    wait_for(lambda: not os.path.exists(folder), 30, "the purge")
    check(running.wait(timeout=30) == 0, "the running copy must end with exit code 0")
    time.sleep(1)
    check(wine.reg_query(r"HKCU\Software\Brannock") is None, "the purge leaves no settings, nor the firm's key")


def stored_items(wine):
    """The profile's items as (key, mark, text), read back from an export of the registry."""
    out = os.path.join(wine.work, "items_out.reg")
    wine.run("reg", "export", ROOT + r"\Profiles\Default\items", winpath(out), "/y")
    text = open(out, "rb").read().decode("utf-16")
    data = text.split('"data"="', 1)[1].rsplit('"', 1)[0]
    data = re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "0": "\0"}.get(m.group(1), m.group(1)), data)
    items = []
    for token in filter(None, data.split("\x02")):
        head, body = token.split("\x01", 1)
        items.append((head[0], head[1:], body))
    return items


def edit_item(wine, button, key_chord=None, text=None, shot=None, abbreviation=None, immediate=False):
    """Opens the item dialog with a button of the hotkey page, sets the key or the abbreviation,
    and the text."""
    click_control(wine, button, SETTINGS)
    wait_for(lambda: window_up(wine, TEXT_EDIT), 15, "the item dialog")
    time.sleep(0.3)
    if key_chord:
        click_control(wine, 1018, TEXT_EDIT)  # the key field
        key(key_chord)
    if abbreviation:
        click_control(wine, 1049, TEXT_EDIT)  # "Сокращение:"
        click_control(wine, 1050, TEXT_EDIT)
        subprocess.run(["xdotool", "type", "--delay", "50", abbreviation], capture_output=True)
        if immediate:
            click_control(wine, 1051, TEXT_EDIT)  # "Срабатывать сразу…"
    if text is not None:
        click_control(wine, 1011, TEXT_EDIT)
        key("ctrl+a")
        for n, line in enumerate(text.split("\n")):
            if n:
                key("Return")
            subprocess.run(["xdotool", "type", "--delay", "50", line], capture_output=True)
    if shot:
        screenshot(shots(wine), shot)
    click_control(wine, 1, TEXT_EDIT)  # OK


def select_row(wine, row):
    left, top, _, _ = control_rect(wine, SETTINGS, 1009)
    click(left + 30, top + 27)  # the first row in view, then from the top by keys
    key("Home")
    for _ in range(row):
        key("Down")


def scenario_own_chords_and_multiline_texts(wine):
    proc = restart_with(wine)
    log = start_target(wine, "shell_chords")
    open_settings(wine)
    # A new chord with a two-line text; the same chord again is refused and nothing is lost.
    edit_item(wine, 1013, "shift+b", "Line one\nLine two", shot="item_dialog")
    wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
    edit_item(wine, 1013, "shift+b", "dup")
    wait_for(lambda: message_box_up(wine), 15, "the duplicate refused")
    screenshot(shots(wine), "duplicate_refused")
    click_control(wine, 1)  # OK of the message box, above the main window
    wait_for(lambda: not message_box_up(wine), 15, "the message to go")
    close_dialog(wine, TEXT_EDIT, 2)
    # Abbreviations through the same dialog.
    edit_item(wine, 1013, abbreviation="sig", text="Best regards", shot="item_dialog_abbreviation")
    wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
    edit_item(wine, 1013, abbreviation=";adr", text="Main street 1, Springfield", immediate=True)
    wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
    screenshot(shots(wine), "settings_hotkeys_both_kinds")
    # The first row ("1") gets the key F7; the second ("2") is deleted after the question.
    select_row(wine, 0)
    edit_item(wine, 1014, "F7")
    wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
    select_row(wine, 1)
    screenshot(shots(wine), "settings_hotkeys_buttons")
    click_control(wine, 1015, SETTINGS)
    wait_for(lambda: message_box_up(wine), 15, "the question Удалить комбинацию")
    click_control(wine, 6)  # "Да"
    wait_for(lambda: not message_box_up(wine), 15, "the question to go")
    close_dialog(wine, SETTINGS, 1)

    focus_edit(log, 2)
    # The sheet lists the abbreviations beneath the chords; a click on one types its text.
    mark = len(log.lines())
    xdotool("keydown", "super")
    wait_for(lambda: sheet_shown(wine), 10, "the cheat sheet")
    screenshot(shots(wine), "cheat_sheet_abbreviations")
    left, _, _, bottom = (int(v) for v in wsend(wine, "rect", "class:VelloryCheatSheet", 0)[1].split())
    click(left + 130, bottom - 8)  # the last row's first cell: «sig»
    wait_for(lambda: log.chars(2, mark) == "Best regards", 15, "a click on «sig» to type its text",
             detail=lambda: log.chars(2, mark))
    xdotool("keyup", "super")
    wait_for(lambda: not sheet_shown(wine), 10, "the sheet to go")
    mark = type_check(log, "super+shift+b", "Line one\rLine two")
    check(log.has("edit2 lines 2", mark), "the two-line text must arrive as two lines")
    type_check(log, "super+F7", "Привет!")
    for chord, old in (("super+1", "Привет!"), ("super+2", "@")):
        mark = len(log.lines())
        key(chord)
        wait_for(lambda: log.has("edit2 up 5B", mark), what=f"{chord} to pass")
        check(old not in log.chars(2, mark), f"{chord} still typed after its change or deletion")
    exit_vellory(wine, proc)
    items = stored_items(wine)
    check(items[0][:2] == ("\x76", "") and ("B", "s", "Line one\r\nLine two") in items, f"stored items: {items}")
    check(("2", "", "@") not in items and len(items) == 30, f"deleted item still stored: {items}")


def scenario_typing_by_keystrokes(wine):
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    store_items(wine, [("1", "", "Привет!"), ("3", "c", "Раз\r\nДва")] + burst_items())
    proc = start_vellory(wine)
    log = start_target(wine, "shell_keystrokes")
    focus_edit(log, 2)
    check_burst_typed(log, "posted")
    open_settings(wine)
    left, top, _, _ = control_rect(wine, SETTINGS, 1002)
    click(left + 120, top + 10)  # the tab "Общие"
    wait_for(lambda: control_rect(wine, SETTINGS, 1017), 10, "the general page")
    click_control(wine, 1017, SETTINGS)  # "нажатиями клавиш"
    time.sleep(0.3)
    screenshot(shots(wine), "settings_general_typing")
    close_dialog(wine, SETTINGS, 1)
    focus_edit(log, 2)
    mark = type_check(log, "super+1", "Привет!")
    wait_for(lambda: log.has("edit2 up 5B", mark), what="the Win release")
    lines = log.lines()[mark:]
    check(lines.index("edit2 up 5B") < lines.index("edit2 char 041F"), f"typed while Win was down: {lines}")
    check_keys_paired(lines)
    # Win let go first, Ctrl 300 ms later: nothing arrives while Ctrl is down, so the line
    # break is a plain Enter, no Ctrl+Enter.
    mark = len(log.lines())
    xdotool("keydown", "super", "keydown", "ctrl", "key", "--delay", "60", "3", "keyup", "super", "sleep", "0.3",
            "keyup", "ctrl")
    wait_for(lambda: log.chars(2, mark) == "Раз\rДва", 15, "the two lines typed")
    # A key's release reaches the log a moment after its character.
    wait_for(lambda: log.lines()[-1:] == ["edit2 up E7"], 5, "the last key's release", detail=log.lines)
    lines = log.lines()[mark:]
    check(log.has("edit2 lines 2", mark), f"the two lines must arrive as two: {lines}")
    typed = [i for i, l in enumerate(lines) if " char " in l or l.endswith(" 0D")]
    check(lines.index("edit2 up 11") < typed[0] and "edit2 down 11" not in lines[typed[0]:],
          f"Ctrl was down while the text arrived: {lines}")
    check_keys_paired(lines)
    check_burst_typed(log, "as keystrokes")

    # Win held, 1 pressed, a click into Notepad before Win is let go: the keys would go to
    # Notepad, so nothing is typed, there or anywhere.
    wine.start("notepad.exe")
    wait_for(lambda: wsend(wine, "place", "class:Notepad", 760, 20, 500, 250)[0] == 0, 30, "Notepad to start")
    focus_edit(log, 2, again=True)
    mark = len(log.lines())
    xdotool("keydown", "super", "key", "1", "mousemove", "1000", "150", "click", "1", "sleep", "0.3", "keyup", "super")
    time.sleep(1.5)
    check(editor_text(wine, "class:Notepad", "Edit") == "", f"typed into the window clicked: "
          f"{editor_text(wine, 'class:Notepad', 'Edit')!r}")
    check(log.chars(2, mark) == "", f"typed into the window left: {log.chars(2, mark)!r}")
    exit_vellory(wine, proc)
    check(registry(wine)["Options\\Common"].get("TypeMode") == ("REG_SZ", "1"), "TypeMode 1 must be stored")


WORDPAD = r"C:\Program Files\Windows NT\Accessories\wordpad.exe"
IDM_PAUSE = 1020


def start_editors(wine):
    """Wine's Notepad and WordPad side by side below the main window, so a click reaches each."""
    wine.start("notepad.exe")
    wine.start(WORDPAD)
    for top, x in (("class:Notepad", 0), ("class:WORDPADTOP", 520)):
        wait_for(lambda: wsend(wine, "place", top, x, 620, 500, 300)[0] == 0, 30, f"{top} to start")
    time.sleep(1)


def editor_text(wine, top, child, skip=0):
    rc, out = wsend(wine, "childtext", top, child, skip)
    units = "".join(chr(int(u, 16)) for u in out.split())
    return units.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace") if rc == 0 else None


def check_lands_where_clicked(wine, chord, text):
    """The text goes to the program clicked last, never to the one the user left."""
    notepad = ("class:Notepad", "Edit")
    wordpad = ("class:WORDPADTOP", "RichEdit20W")
    before = {e: editor_text(wine, *e) for e in (notepad, wordpad)}
    for (x, y), target, other in (((250, 800), notepad, wordpad), ((770, 850), wordpad, notepad)):
        click(x, y)
        time.sleep(0.5)
        key(chord)
        wanted = (before[target] or "") + text
        wait_for(lambda: editor_text(wine, *target) == wanted, 15, f"{text!r} in {target[0]}")
        before[target] = wanted
        time.sleep(0.5)
        check(editor_text(wine, *other) == before[other], f"{chord} also typed into {other[0]}")


def check_key_passes_untouched(log, chord="super+1"):
    mark = len(log.lines())
    key(chord)
    wait_for(lambda: log.has("edit2 up 31", mark), 15, f"{chord} to reach the target")
    lines = log.lines()[mark:]
    check("edit2 down 31" in lines and "Привет!" not in log.chars(2, mark), f"{chord} was not left alone: {lines}")
    check_keys_paired(lines)


def choose_pause_item(wine):
    """The third of the menu's four items, above the separator."""
    rc, out = wsend(wine, "menurect", "-")
    check(rc == 0, "no menu shown")
    left, top, right, bottom = (int(v) for v in out.split())
    click((left + right) // 2, top + (bottom - top) * 56 // 100)
    wait_for(lambda: not menu_shown(wine), 10, "the tray menu to close")
    time.sleep(0.5)


def check_nothing_typed_into_notepad(wine, when):
    click(250, 800)
    time.sleep(0.5)
    mark = len(editor_text(wine, "class:Notepad", "Edit"))
    key("super+1")
    time.sleep(1)
    check("Привет!" not in editor_text(wine, "class:Notepad", "Edit")[mark:], f"typed {when}")


def scenario_where_and_when_it_types(wine):
    proc = restart_with(wine)
    start_editors(wine)
    check_lands_where_clicked(wine, "super+1", "Привет!")
    exit_vellory(wine, proc)
    check("Paused" not in registry(wine)["Options\\Common"], "an active Vellory stores no pause")

    # Keystroke typing, and a program left alone while another one still gets the text.
    wine.reg_add(ROOT + r"\Options\Common", "TypeMode", "1")
    wine.reg_add(ROOT + r"\Options\Common", "ExcludePrograms", "mstsc.exe|TYPING_*.EXE")
    proc = start_vellory(wine)
    check_lands_where_clicked(wine, "super+3", "Пока!")
    log = start_target(wine, "shell_where")
    focus_edit(log, 2)
    check_key_passes_untouched(log)

    # Paused from the main window: the key reaches the target untouched, and stays so after a restart.
    wsend(wine, "post", CAPTION, WM_COMMAND, IDM_PAUSE, 0)
    time.sleep(0.5)
    screenshot(shots(wine), "main_window_paused")
    open_tray_menu(wine)
    screenshot(shots(wine), "tray_menu_paused")
    choose_pause_item(wine)  # "Возобновить"
    check_lands_where_clicked(wine, "super+3", "Пока!")
    open_tray_menu(wine)
    choose_pause_item(wine)  # "Приостановить"
    check_nothing_typed_into_notepad(wine, "while paused")
    exit_vellory(wine, proc)
    common = registry(wine)["Options\\Common"]
    check(common.get("Paused") == ("REG_SZ", "1"), f"the pause must be stored: {common}")
    check(common.get("ExcludePrograms") == ("REG_SZ", "mstsc.exe|TYPING_*.EXE"), f"ExcludePrograms: {common}")

    proc = start_vellory(wine)
    check_nothing_typed_into_notepad(wine, "while paused after a restart")
    wsend(wine, "post", CAPTION, WM_COMMAND, IDM_PAUSE, 0)  # resumed
    check_lands_where_clicked(wine, "super+3", "Пока!")
    exit_vellory(wine, proc)
    check("Paused" not in registry(wine)["Options\\Common"], "a resumed Vellory deletes the pause")
    wine.stop_all()


def scenario_texts_that_fill_themselves_in(wine):
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    store_items(wine, [("1", "", "{дата:yyyy-MM-dd}"), ("2", "", "[{буфер}]"), ("3", "", "«{курсор}»"),
                       ("3", "s", "({курсор})"), ("4", "", "Привет!")])
    proc = start_vellory(wine)
    start_editors(wine)
    notepad = ("class:Notepad", "Edit")
    click(250, 800)
    time.sleep(0.5)

    def types(chord, wanted):
        key("End")  # a cursor mark left the caret inside the last text
        before = editor_text(wine, *notepad)
        key(chord)
        wait_for(lambda: editor_text(wine, *notepad) == before + wanted, 15, f"{chord} to type {wanted!r}")

    import datetime
    types("super+1", datetime.date.today().isoformat())
    check(wsend(wine, "clipboard", "-", "из буфера")[0] == 0, "the clipboard could not be set")
    types("super+2", "[из буфера]")
    # A program that holds the clipboard open for half a second still lets the text through.
    holder = subprocess.Popen([WINE, exe(wine, "wsend"), "holdclipboard", "-", "500"], env=wine.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    check(holder.stdout.readline().strip() == b"open", "the clipboard could not be held")
    types("super+2", "[из буфера]")
    check(holder.wait(timeout=30) == 0, "the clipboard holder")
    types("super+4", "Привет!")
    for chord, opening, closing in (("super+3", "«", "»"), ("super+shift+3", "(", ")")):
        types(chord, opening + closing)
        before = editor_text(wine, *notepad)[:-2]
        time.sleep(0.5)  # the Left step follows the text
        key("x")
        wanted = before + opening + "x" + closing
        wait_for(lambda: editor_text(wine, *notepad) == wanted, 15, f"the letter between {opening}{closing}")
    exit_vellory(wine, proc)


def clipboard(wine):
    """The clipboard's text and the names of its formats."""
    text, _, formats = wsend(wine, "clipboard?", "-")[1].partition("|")
    units = "".join(chr(int(u, 16)) for u in text.split())
    return units.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace"), formats.split()


def scenario_pasted_through_the_clipboard(wine):
    """The clipboard way: pasted whole in Notepad and WordPad, out of the clipboard history while
    there, and the clipboard as it was afterwards (a text, a picture); a copy made meanwhile stays.
    Long texts go that way when asked to; a program of the keystroke list gets keystrokes (as
    VK_PACKET key presses)."""
    fresh(wine)
    exit_vellory(wine, start_vellory(wine))
    long_text = "Длинная строка 😀 through the clipboard. " * 6  # 246 units
    store_items(wine, [("1", "", "Вставка\r\nчерез буфер"), ("2", "", long_text), ("3", "", "Нажатия"),
                       ("4", "", "[{буфер}]")] + burst_items(),
                ways=[("1", "", "2")] + [(d, "s", "2") for d in "1234567890"])
    for name, value in (("PasteLongerThan", 200), ("PasteRestoreDelay", 1500), ("KeystrokePrograms", "typing_target.exe")):
        wine.reg_add(ROOT + r"\Options\Common", name, str(value))
    proc = start_vellory(wine)
    start_editors(wine)
    notepad, wordpad = ("class:Notepad", "Edit"), ("class:WORDPADTOP", "RichEdit20W")
    for editor, (x, y) in ((notepad, (250, 800)), (wordpad, (770, 850))):
        check(wsend(wine, "clipboard", "-", "до вставки")[0] == 0, "the clipboard could not be set")
        click(x, y)
        time.sleep(0.5)
        before = editor_text(wine, *editor)
        key("super+1")
        wanted = before + "Вставка\r\nчерез буфер"
        wait_for(lambda: editor_text(wine, *editor) == wanted, 15, f"the paste in {editor[0]}",
                 detail=lambda: editor_text(wine, *editor))
        text, formats = clipboard(wine)
        check(text == "Вставка\r\nчерез буфер" and "CanIncludeInClipboardHistory" in formats
              and "ExcludeClipboardContentFromMonitorProcessing" in formats, f"while pasting: {text!r} {formats}")
        wait_for(lambda: clipboard(wine)[0] == "до вставки", 10, "the clipboard put back")

    # A picture comes back too; a copy made between the paste and the restore is kept.
    check(wsend(wine, "picture", 4242)[0] == 0, "the picture could not be set")
    click(250, 800)
    time.sleep(0.5)
    key("super+1")
    wait_for(lambda: clipboard(wine)[0] == "Вставка\r\nчерез буфер", 10, "the text on the clipboard")
    wait_for(lambda: wsend(wine, "picture?", "-") == (0, "4242"), 10, "the picture put back")
    key("super+1")
    wait_for(lambda: clipboard(wine)[0] == "Вставка\r\nчерез буфер", 10, "the text on the clipboard")
    wsend(wine, "clipboard", "-", "скопировано между")
    time.sleep(2.5)
    check(clipboard(wine)[0] == "скопировано между", "a copy made meanwhile was overwritten")

    before = editor_text(wine, *notepad)
    key("super+2")
    wait_for(lambda: clipboard(wine)[0] == long_text, 10, "the long text on its way by the clipboard")
    wait_for(lambda: editor_text(wine, *notepad) == before + long_text, 15, "the long text",
             detail=lambda: editor_text(wine, *notepad)[len(before):])
    wait_for(lambda: clipboard(wine)[0] == "скопировано между", 10, "the clipboard after the long text")

    check_busy_desktop_pastes(wine, notepad, long_text)

    log = start_target(wine, "shell_clipboard")
    focus_edit(log, 2)
    mark = type_check(log, "super+3", "Нажатия")
    check(log.has("edit2 down E7", mark), "the keystroke list's program got no keystrokes")
    screenshot(shots(wine), "pasted_notepad_wordpad")
    exit_vellory(wine, proc)




def check_busy_desktop_pastes(wine, notepad, long_text):
    """The clipboard way on a busy desktop: each paste of a quick hand its own text, in order;
    {буфер} right after a paste reads what the user had; a clipboard history tool and a program
    slow to paste, an owner slow to hand its content over, a vector picture: the target gets the
    chord's text and the user's content comes back."""
    def to_the_end():
        click(250, 800)
        key("ctrl+End")  # the click puts the caret into the texts of earlier chords
        time.sleep(0.5)

    def pasted(chords, wanted, what, timeout=30):
        to_the_end()
        before = editor_text(wine, *notepad)
        xdotool("keydown", "super", "key", "--delay", "100", *chords, "keyup", "super")
        wait_for(lambda: editor_text(wine, *notepad) == before + wanted, timeout, what,
                 detail=lambda: editor_text(wine, *notepad)[len(before):])

    check(wsend(wine, "clipboard", "-", "до вставки")[0] == 0, "the clipboard could not be set")
    pasted(["1", "2", "4"], "Вставка\r\nчерез буфер" + long_text + "[до вставки]", "two pastes and {буфер} in one hold")
    to_the_end()
    before = editor_text(wine, *notepad)
    wanted = press_burst()
    wait_for(lambda: editor_text(wine, *notepad) == before + wanted, 40, "every pasted text of the burst, in order",
             detail=lambda: editor_text(wine, *notepad)[len(before):])
    wait_for(lambda: clipboard(wine)[0] == "до вставки", 10, "the clipboard after the burst")

    # A history tool reads every change; the target is busy for 0.9 s before it handles Ctrl+V.
    watch = os.path.join(wine.work, "clipwatch.log")
    wine.start(exe(wine, "wsend"), "clipwatch", winpath(watch), "15000")
    busy = start_target(wine, "shell_busy_paste", "--busy-paste", "900", "--class", "BusyTarget", "--at", "800", "40")
    click(920, 128)
    wait_for(lambda: busy.has("edit2 focus"), what="the busy program's edit")
    time.sleep(0.5)
    key("super+1")
    def busy_text():
        return editor_text(wine, "class:BusyTarget", "Edit", 1)  # its second edit
    wait_for(lambda: busy_text() == "Вставка\r\nчерез буфер", 15, "the chord's text in the busy program",
             detail=busy_text)
    wait_for(lambda: clipboard(wine)[0] == "до вставки", 10, "the clipboard put back after the slow paste")
    ours = " ".join(f"{ord(c):04X}" for c in "Вставка")
    read = open(watch).read() if os.path.exists(watch) else ""
    check(ours not in read, f"the history tool was given the chord's text: {read}")

    # An owner that takes 2.5 s to hand its content over: the text still arrives, and the
    # clipboard is the owner's again afterwards, never left with ours.
    wine.start(exe(wine, "wsend"), "slowowner", "2500", "медленный", "20000")
    time.sleep(1)
    pasted(["1"], "Вставка\r\nчерез буфер", "the text with a slow clipboard owner")
    time.sleep(3)
    wait_for(lambda: clipboard(wine)[0] == "медленный", 15, "the slow owner's content after the chord",
             detail=lambda: clipboard(wine)[0])

    check(wsend(wine, "vector", "-")[0] == 0, "the vector picture could not be set")
    picture = wsend(wine, "vector?", "-")
    pasted(["1"], "Вставка\r\nчерез буфер", "the text over a vector picture")
    wait_for(lambda: wsend(wine, "vector?", "-") == picture, 10, "the vector picture put back",
             detail=lambda: wsend(wine, "vector?", "-"))


EXPORT, IMPORT = 1022, 1023


def through_file_dialog(wine, button, title, path):
    """Clicks the page's button and types the file's path into the system's file dialog."""
    click_control(wine, button, SETTINGS)
    wait_for(lambda: window_up(wine, title), 30, f"the file dialog {title}")
    time.sleep(1)
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "30", winpath(path)], capture_output=True)
    key("Return")
    wait_for(lambda: not window_up(wine, title), 15, f"{title} to close")


def box_text(wine):
    """The text of the message box over the dialogs (its text's control id is 0xFFFF)."""
    rc, out = wsend(wine, "text", CAPTION, 0xFFFF)
    return "".join(chr(int(u, 16)) for u in out.split()) if rc == 0 else ""


def import_answered(wine, path, button, wanted_text, shot=None):
    """Imports the file; the one message box that follows shows the text and gets the button."""
    through_file_dialog(wine, IMPORT, "Импорт комбинаций", path)
    wait_for(lambda: message_box_up(wine), 15, "a message after the import")
    time.sleep(0.5)
    if shot:
        screenshot(shots(wine), shot)
    text = box_text(wine)
    check(text == wanted_text, f"message box: {text!r}")
    click_control(wine, button)
    wait_for(lambda: not message_box_up(wine), 15, "the message to go")


def scenario_chords_exported_and_imported(wine):
    proc = restart_with(wine)
    log = start_target(wine, "shell_transfer")
    files = {name: os.path.join(wine.work, name + ".csv")
             for name in ("exported", "theirs", "damaged", "unicode", "bad_byte")}
    if os.path.exists(files["exported"]):
        os.remove(files["exported"])  # no question whether to overwrite it
    open_settings(wine)
    screenshot(shots(wine), "settings_hotkeys_transfer")
    through_file_dialog(wine, EXPORT, "Экспорт комбинаций", files["exported"])
    text = wait_for(lambda: os.path.exists(files["exported"]) and open(files["exported"], "rb").read(), 10,
                    "the exported file").decode("utf-8")
    check(text.startswith("\ufeffКомбинация;Код клавиши;Сокращение;Текст;Способ;Сразу\r\n1;49;;Привет!;;\r\n"
                          "2;50;;'@;;\r\n")
          and "\r\nControl + 0;Ctrl+48;;:)));;\r\n" in text and text.count("\r\n") == 31, f"exported: {text!r}")

    # A changed text comes back from the file, once the user says to replace it.
    select_row(wine, 0)
    edit_item(wine, 1014, text="Bye!")
    wait_for(lambda: not window_up(wine, TEXT_EDIT), 15, "the item dialog to close")
    question = "В файле 1 комбинация, которая уже есть с другим текстом. Заменить её текст?"
    import_answered(wine, files["exported"], 6, question, "import_question")
    close_dialog(wine, SETTINGS, 1)
    focus_edit(log, 2)
    type_check(log, "super+1", "Привет!")

    # "Нет" keeps our text and still adds the chord the table lacks, from a file with "," between
    # fields and no byte order mark; a damaged file changes nothing and names its line.
    # A spreadsheet's "Unicode text" (UTF-16, tabs) is read; a bad byte in UTF-8 names its line.
    for name, content in (
            ("theirs", "Комбинация,Код клавиши,Текст\r\n1,49,Здравствуйте\r\nF8,119,\"Восьмая,\r\nклавиша\"\r\n"),
            ("damaged", "\ufeffКод клавиши;Текст\r\n51;Пока\r\n120;\"Не закрыто;\r\n121;x\r\n")):
        with open(files[name], "wb") as f:
            f.write(content.encode("utf-8"))
    with open(files["unicode"], "wb") as f:
        f.write("\ufeffКомбинация\tКод клавиши\tТекст\r\n1\t49\tHello\r\nF9\t120\tДевятая; с точкой\r\n"
                .encode("utf-16-le"))
    with open(files["bad_byte"], "wb") as f:
        f.write("\ufeffКод клавиши;Текст\r\n52;x\r\n53;y".encode("utf-8") + b"\xff\r\n")
    open_settings(wine)
    import_answered(wine, files["theirs"], 7, question)
    import_answered(wine, files["damaged"], 1, "Файл не прочитан: строка 3 — кавычка в этой строке не закрыта",
                    "import_damaged")
    import_answered(wine, files["unicode"], 7, question)
    import_answered(wine, files["bad_byte"], 1,
                    "Файл не прочитан: строка 3 — испорченный знак (файл в кодировке UTF-8)", "import_bad_byte")
    close_dialog(wine, SETTINGS, 1)
    focus_edit(log, 2, again=True)
    type_check(log, "super+F8", "Восьмая,\rклавиша")
    type_check(log, "super+F9", "Девятая; с точкой")
    type_check(log, "super+1", "Привет!")
    items = stored_items(wine)
    check(items[0] == ("1", "", "Привет!") and items[30:] == [("w", "", "Восьмая,\r\nклавиша"),
                                                              ("x", "", "Девятая; с точкой")], f"stored: {items}")
    exit_vellory(wine, proc)

SCENARIOS = [
    scenario_first_run_types_and_exits,
    scenario_second_start_is_refused,
    scenario_two_at_once,
    scenario_stale_handle,
    scenario_alt_mode_from_the_store,
    scenario_keys_never_stick,
    scenario_logoff_loses_nothing,
    scenario_tray_and_minimise_options,
    scenario_tray_menu,
    scenario_start_minimised,
    scenario_working_set_stays_small,
    scenario_settings_change_modifier_and_text,
    scenario_own_chords_and_multiline_texts,
    scenario_typing_by_keystrokes,
    scenario_asked_again_and_keyboard_only,
    scenario_where_and_when_it_types,
    scenario_texts_that_fill_themselves_in,
    scenario_pasted_through_the_clipboard,
    scenario_chords_exported_and_imported,
    scenario_high_dpi_and_quit_request,
    scenario_installer,
]
