"""Runs the real kessary program on a fresh headless X server (Xvfb) from the
repository root, presses real keys through XTEST (xdotool) and reads the window
back (xwininfo, ImageMagick's import) as plain RGB rows. Scripts take
`--kessary PATH` and call main() instead of unittest.main()."""
import collections
import contextlib
import dataclasses
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import unittest

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINDOW_TITLE = "kessary is longer than any vare"
WINDOW_WIDTH, WINDOW_HEIGHT = 640, 580
WHOLE_WINDOW = (0, 0, WINDOW_WIDTH, WINDOW_HEIGHT)
START_TIMEOUT = 30.0  # generous: under the sanitizers and on a loaded machine start-up is slow
EXIT_TIMEOUT = 15.0
POLL_INTERVAL = 0.05

kessary_path = None  # the program under test; set by main() from --kessary


class Picture(collections.namedtuple("Picture", "width height rgb")):
    """A screenshot, rows top to bottom; boxes are (left, top, right, bottom), clipped."""

    def region(self, box):
        left, top, right, bottom = box
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                i = 3 * (y * self.width + x)
                yield tuple(self.rgb[i:i + 3])

    def brightness(self, box=WHOLE_WINDOW):
        return [sum(rgb) / 765 for rgb in self.region(box)]

    def mean_brightness(self, box=WHOLE_WINDOW):
        return statistics.fmean(self.brightness(box))


@dataclasses.dataclass
class Game:
    """One running program: its process, display, window ("" until found) and outputs."""
    process: subprocess.Popen
    display: str
    window: str
    stdout_path: str
    stderr_path: str

    def stderr(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return f.read()


def main():
    """unittest.main(), after taking `--kessary PATH` off the command line."""
    global kessary_path
    i = sys.argv.index("--kessary")
    kessary_path = os.path.abspath(sys.argv[i + 1])
    unittest.main(argv=sys.argv[:i] + sys.argv[i + 2:])


def x_env(display):
    return dict(os.environ, DISPLAY=display)


def x_tool(display, *args, check=True):
    """Runs one X client (xdotool, xprop, ...) on `display`; returns its stdout."""
    result = subprocess.run(args, env=x_env(display), capture_output=True, text=True,
                            timeout=EXIT_TIMEOUT)
    if check and result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (args[0], result.returncode, result.stderr))
    return result.stdout


@contextlib.contextmanager
def xvfb(screen="1600x1200", window_manager=False):
    """A private X server with a `screen` of WIDTHxHEIGHT pixels (by default room for a
    doubled window; the game sizes its window to it) on a free display it picks, with
    openbox managing it if asked (full screen needs a window manager); yields ":N"."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24",
                               "-nolisten", "tcp", "-noreset"], pass_fds=[write_end],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    manager = None
    try:
        with os.fdopen(read_end) as announce:
            number = announce.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        display = ":" + number
        if window_manager:
            manager = subprocess.Popen(["openbox", "--sm-disable"], env=x_env(display),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for_window_manager(display)
        yield display
    finally:
        for process in filter(None, (manager, server)):
            process.terminate()
            process.wait()


def wait_for_window_manager(display, timeout=START_TIMEOUT):
    """Until a window manager says it runs (it names its check window on the root)."""
    deadline = time.monotonic() + timeout
    while "_NET_SUPPORTING_WM_CHECK(WINDOW)" not in x_tool(
            display, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False):
        if time.monotonic() > deadline:
            raise RuntimeError("no window manager on %s within %.0f s" % (display, timeout))
        time.sleep(POLL_INTERVAL)


@contextlib.contextmanager
def kessary(display, extra_env=None, find_window=True, wrapper=(), timeout=START_TIMEOUT):
    """The program on `display` (None: no DISPLAY) as a Game, after `wrapper` (valgrind, say),
    with SIGINT and SIGTERM at their defaults (a test runner may ignore them); with
    `find_window`, its window found within `timeout` and pointed at."""
    work_dir = tempfile.mkdtemp(prefix="kessary-e2e-")  # mode 0700, as XDG_RUNTIME_DIR wants
    env = dict(os.environ, XDG_RUNTIME_DIR=work_dir)
    env.pop("DISPLAY", None)
    env.update({"DISPLAY": display} if display else {}, **(extra_env or {}))
    outputs = [os.path.join(work_dir, name) for name in ("stdout", "stderr")]
    with open(outputs[0], "wb") as out, open(outputs[1], "wb") as err:
        process = subprocess.Popen(["env", "--default-signal=INT,TERM", *wrapper, kessary_path],
                                   cwd=REPO_ROOT, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err)
    game = Game(process, display or "", "", *outputs)
    try:
        if find_window:
            game.window = wait_for_window(game, timeout)
            point_at_window(game)
        yield game
    finally:
        if process.poll() is None:  # SIGTERM (awake, if a test left it paused), then SIGKILL
            process.send_signal(signal.SIGCONT)
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=EXIT_TIMEOUT)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work_dir, ignore_errors=True)


def wait_for_exit(game, timeout=EXIT_TIMEOUT):
    return game.process.wait(timeout=timeout)


def quit_by_escape(game, tries=3):
    """Presses Escape until the program exits; returns its status. A switch to or from
    full screen may take the focus away for a moment, and the press right after a
    focus loss is swallowed on purpose, so one Escape may not be enough there."""
    for _ in range(tries - 1):
        press(game, "Escape")
        try:
            return wait_for_exit(game, EXIT_TIMEOUT / tries)
        except subprocess.TimeoutExpired:
            pass
    press(game, "Escape")
    return wait_for_exit(game)


def poll(game, what, look, timeout, interval=POLL_INTERVAL):
    """The first true result of `look()`; raises if the program exits first."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if game.process.poll() is not None:
            raise RuntimeError("kessary exited with %d before its %s:\n%s" %
                               (game.process.returncode, what, game.stderr()))
        found = look()
        if found:
            return found
        time.sleep(interval)
    raise RuntimeError("no kessary %s within %.0f s" % (what, timeout))


def visible_windows(display, title=WINDOW_TITLE):
    """The ids of the windows shown on `display` under exactly `title`."""
    return x_tool(display, "xdotool", "search", "--onlyvisible", "--name",
                  "^%s$" % re.escape(title), check=False).split()


def wait_for_window(game, timeout=START_TIMEOUT, title=WINDOW_TITLE):
    return poll(game, "window named %r" % title,
                lambda: visible_windows(game.display, title), timeout)[0]


def wait_for_play(game, timeout=START_TIMEOUT, first=False):
    """The first screenshot with a frame drawn over the white start (a software GL may take a
    second), or with `first` the first that is not the untouched black window."""
    def look():
        picture = paused_screenshot(game)
        drawn = any(picture.rgb) and (first or picture.mean_brightness() < 0.999)
        return picture if drawn else None
    return poll(game, "picture", look, timeout, 0.005 if first else POLL_INTERVAL)


def window_geometry(game):
    """(x, y, width, height) of the window, x and y on the screen."""
    text = x_tool(game.display, "xwininfo", "-id", game.window)
    return tuple(int(re.search(key + r":\s+(-?\d+)", text).group(1))
                 for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))


def point_at_window(game):
    """Puts the pointer in the window's middle: with no window manager, keys go to the
    window under it. (xdotool's --sync would wait for ever if it were there already.)"""
    x, y, width, height = window_geometry(game)
    middle = (x + width // 2, y + height // 2)
    x_tool(game.display, "xdotool", "mousemove", *map(str, middle))
    poll(game, "pointer", lambda: x_tool(game.display, "xdotool", "getmouselocation")
         .startswith("x:%d y:%d " % middle), EXIT_TIMEOUT)


def press(game, *keys, delay_ms=40):  # each in turn, down and up, through XTEST
    x_tool(game.display, "xdotool", "key", "--delay", str(delay_ms), *keys)


def ppm(*command, env=None):
    """The Picture an ImageMagick command writes as binary PPM (P6, 8 bits) to stdout."""
    raw = subprocess.run(command, env=env, capture_output=True, check=True,
                         timeout=EXIT_TIMEOUT).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", raw)
    width, height = int(header.group(1)), int(header.group(2))
    return Picture(width, height, raw[header.end():header.end() + 3 * width * height])


def screenshot(game, save_as=None):
    """The window's current picture (as a PNG in `save_as` too, if given)."""
    if save_as:
        subprocess.run(["import", "-window", game.window, save_as], env=x_env(game.display),
                       check=True, timeout=EXIT_TIMEOUT)
    return ppm("import", "-window", game.window, "-depth", "8", "ppm:-", env=x_env(game.display))


@contextlib.contextmanager
def paused(game):
    """The program held still (SIGSTOP); its clock runs on, so after SIGCONT the frame
    loop catches up the missed steps."""
    game.process.send_signal(signal.SIGSTOP)
    try:
        time.sleep(0.03)  # for the X server to draw what the program had sent
        yield
    finally:
        game.process.send_signal(signal.SIGCONT)


def paused_screenshot(game, save_as=None):
    with paused(game):
        return screenshot(game, save_as)


def view_to_window(x0, y0, x1, y1):
    """A box in the game's view (origin bottom left) as a box in window pixels."""
    return x0, WINDOW_HEIGHT - y1, x1, WINDOW_HEIGHT - y0
