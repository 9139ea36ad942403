"""Shared pieces of the end-to-end scenarios: Wine processes in the build's prefix, real keys
and clicks from xdotool, polling of logs, registry queries and screenshots."""
import os
import shutil
import subprocess
import time


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, timeout=15.0, what="condition", interval=0.1, detail=None):
    """Polls instead of sleeping fixed times; returns the predicate's first true value. `detail`
    tells what was there instead, for the failure's message."""
    end = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > end:
            raise Failure(f"timed out after {timeout:.0f}s waiting for {what}" + (f": {detail()!r}" if detail else ""))
        time.sleep(interval)


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# Every Windows program goes through the project's one way of calling Wine.
WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine.sh")


class Wine:
    def __init__(self, build, version):
        self.build = os.path.abspath(build)
        self.version = version  # the project's, three parts
        self.prefix = os.path.join(self.build, "wineprefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all")
        self.work = os.path.join(self.build, "e2e")
        os.makedirs(self.work, exist_ok=True)
        self.processes = []

    def remove_startup_shortcuts(self):
        # Wine runs the Startup folder's shortcuts whenever its server starts: a shortcut
        # left there by a scenario would start a stray Vellory behind the next one's back.
        import glob
        for link in glob.glob(self.drive_c("users", "*", "AppData", "Roaming", "Microsoft", "Windows",
                                           "Start Menu", "Programs", "St*rt*p", "*.lnk")):
            os.remove(link)

    def boot(self):
        # The first Wine program after a server start also starts Wine's own services, which
        # inherit its standard handles and live on: give them none of ours, or a later
        # captured run would wait for them to close its pipe.
        subprocess.run([WINE, "cmd.exe", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

    def start(self, exe, *args):
        p = subprocess.Popen([WINE, exe, *args], env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.processes.append(p)
        return p

    def run(self, *args, timeout=60):
        return subprocess.run([WINE, *args], env=self.env, capture_output=True, timeout=timeout)

    def call(self, *args, timeout=120):
        """Runs a program to its end and gives its exit code. It gets none of our standard
        handles, so a program it starts (an installer starts Vellory) cannot hold us up."""
        return subprocess.run([WINE, *args], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def reg_query(self, key):
        r = self.run("reg", "query", key, "/s")
        return r.stdout.decode("utf-8", "replace").replace("\r", "") if r.returncode == 0 else None

    def reg_delete(self, key):
        self.run("reg", "delete", key, "/f")

    def reg_add(self, key, name, value):
        self.run("reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f")

    def stop_all(self):
        for p in self.processes:
            if p.poll() is None:
                p.kill()
        self.processes = []

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)


def xdotool(*args):
    r = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20)
    return r.stdout.strip()


def key(chord):
    # Held long enough for the hook and the target to see each transition.
    xdotool("key", "--delay", "60", chord)


def click(x, y, button=1):
    xdotool("mousemove", str(x), str(y))
    time.sleep(0.1)
    xdotool("click", str(button))


def find_window(name):
    out = xdotool("search", "--name", name)
    return out.split()[0] if out else None


def window_geometry(window_id):
    out = xdotool("getwindowgeometry", "--shell", window_id)
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def screenshot(directory, name):
    if not shutil.which("import"):
        return None
    os.makedirs(directory, exist_ok=True)
    path = os.path.join(directory, name + ".png")
    subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=30)
    return path


class TargetLog:
    """The log of typing_target.exe, read as lines."""

    def __init__(self, path):
        self.path = path

    def lines(self):
        try:
            with open(self.path, encoding="ascii", errors="replace") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def chars(self, edit, since=0):
        prefix = f"edit{edit} char "
        return "".join(chr(int(l[len(prefix):], 16)) for l in self.lines()[since:] if l.startswith(prefix))

    def has(self, line, since=0):
        return line in self.lines()[since:]
