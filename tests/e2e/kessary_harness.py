"""Runs the real kessary program on its own headless X server and drives it.

Every test gets a fresh Xvfb on a free display (the server picks the number and
tells us through -displayfd), starts the program there with the repository root
as its working directory, finds its window, presses real keys through XTEST
(xdotool) and reads the window back (xprop, xwininfo, ImageMagick's import).
Screenshots come back as plain RGB rows read from PPM, so checks need nothing
beyond the standard library.

Scripts pass the program's path on the command line, `--kessary PATH`, and
call `main()` instead of `unittest.main()`:

    import kessary_harness as kh

    class Window(unittest.TestCase):
        def test_quits_on_escape(self):
            with kh.xvfb() as display, kh.kessary(display) as game:
                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0)

    if __name__ == "__main__":
        kh.main()
"""

import contextlib
import dataclasses
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINDOW_TITLE = "kessary is longer than any vare"
WINDOW_WIDTH = 640
WINDOW_HEIGHT = 580
SCREEN_SIZE = "1024x768x24"

WHOLE_WINDOW = (0, 0, WINDOW_WIDTH, WINDOW_HEIGHT)
DRAWN_BELOW = 0.999  # mean brightness once anything at all is drawn over the white

# The two ways the picture survives from frame to frame: sdl12-compat's own
# framebuffer object (its default), or the window's back buffer with our kept
# copy of the frame (when its OpenGL scaling is off).
FRAME_KEEPING_PATHS = (
    ("compat framebuffer", {}),
    ("kept frame", {"SDL12COMPAT_OPENGL_SCALING": "0"}),
)

# Generous: under the sanitizers and on a loaded machine start-up is slow.
START_TIMEOUT = 30.0
EXIT_TIMEOUT = 15.0
POLL_INTERVAL = 0.05
PAUSE_SETTLE = 0.03

# The program under test; set by main() from --kessary.
kessary_path = None


@dataclasses.dataclass
class Game:
    """One running program: its process, display, window and captured output."""

    process: subprocess.Popen
    display: str
    window: str  # X window id as xdotool prints it, "" until found
    work_dir: str  # private scratch: output files and XDG_RUNTIME_DIR
    stdout_path: str
    stderr_path: str

    def stderr(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stdout(self):
        with open(self.stdout_path, encoding="utf-8", errors="replace") as f:
            return f.read()


@dataclasses.dataclass
class Picture:
    """A screenshot: width x height pixels, rows top to bottom, 3 bytes each."""

    width: int
    height: int
    rgb: bytes

    def pixel(self, x, y):
        """(r, g, b) at x, y, with y counted from the top as X counts it."""
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])


def main():
    """unittest.main(), after taking `--kessary PATH` off the command line."""
    global kessary_path
    args = sys.argv[:]
    if "--kessary" in args:
        i = args.index("--kessary")
        kessary_path = os.path.abspath(args[i + 1])
        del args[i:i + 2]
    if kessary_path is None or not os.access(kessary_path, os.X_OK):
        sys.exit("usage: %s --kessary PATH-TO-KESSARY [unittest options]" % args[0])
    unittest.main(argv=args)


def x_env(display):
    """The environment for X clients talking to `display`."""
    env = dict(os.environ)
    env["DISPLAY"] = display
    return env


def x_tool(display, *args, check=True):
    """Runs one X client (xdotool, xprop, ...) on `display`; returns its stdout."""
    result = subprocess.run(args, env=x_env(display), capture_output=True, text=True,
                            timeout=EXIT_TIMEOUT)
    if check and result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (args[0], result.returncode, result.stderr))
    return result.stdout


@contextlib.contextmanager
def xvfb():
    """A private X server on a free display; yields its name, e.g. ":3"."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN_SIZE, "-nolisten", "tcp",
         "-noreset"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as announce:
            number = announce.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        yield ":" + number
    finally:
        server.terminate()
        try:
            server.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


def start_kessary(display, extra_env=None, find_window=True, wrapper=()):
    """Starts the program on `display` (None: with no DISPLAY at all).

    The default dispositions of SIGINT and SIGTERM are restored, so a test
    runner that ignores them does not make the program immune. The program
    gets a private XDG_RUNTIME_DIR, as in a desktop session (without one,
    libwayland complains on stderr while SDL looks for a display). `wrapper`
    goes before the program on the command line (valgrind, for instance).
    Returns a Game; with `find_window` it waits for the window, fills in
    `Game.window` and puts the pointer over the window, so it has the focus.
    """
    work_dir = tempfile.mkdtemp(prefix="kessary-e2e-")
    runtime_dir = os.path.join(work_dir, "runtime")
    os.mkdir(runtime_dir, 0o700)
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    if display is not None:
        env["DISPLAY"] = display
    env["XDG_RUNTIME_DIR"] = runtime_dir
    env.update(extra_env or {})
    stdout_path = os.path.join(work_dir, "stdout")
    stderr_path = os.path.join(work_dir, "stderr")
    with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
        process = subprocess.Popen(
            ["env", "--default-signal=INT,TERM", *wrapper, kessary_path],
            cwd=REPO_ROOT, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
    game = Game(process, display or "", "", work_dir, stdout_path, stderr_path)
    if find_window:
        try:
            game.window = wait_for_window(game)
            point_at_window(game)
        except BaseException:
            stop(game)
            raise
    return game


def stop(game):
    """Ends the program if it still runs (SIGTERM, then SIGKILL), and tidies up."""
    if game.process.poll() is None:
        game.process.send_signal(signal.SIGCONT)  # in case a test left it paused
        game.process.send_signal(signal.SIGTERM)
        try:
            game.process.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            game.process.kill()
            game.process.wait()
    shutil.rmtree(game.work_dir, ignore_errors=True)


@contextlib.contextmanager
def kessary(display, extra_env=None, find_window=True, wrapper=()):
    """start_kessary() as a context: the program is stopped on the way out."""
    game = start_kessary(display, extra_env, find_window, wrapper)
    try:
        yield game
    finally:
        stop(game)


@contextlib.contextmanager
def paused(game):
    """Holds the program still (SIGSTOP) while the body looks at its window.

    Its clock keeps running: on SIGCONT the frame loop catches up the missed
    update steps before its next picture. The X server gets a moment to draw
    what the program had already sent before it stopped.
    """
    game.process.send_signal(signal.SIGSTOP)
    time.sleep(PAUSE_SETTLE)
    try:
        yield
    finally:
        game.process.send_signal(signal.SIGCONT)


def wait_for_exit(game, timeout=EXIT_TIMEOUT):
    """The program's exit status; raises if it is still running after `timeout`."""
    return game.process.wait(timeout=timeout)


def wait_for_window(game, timeout=START_TIMEOUT):
    """The id of the program's mapped window, once it shows."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if game.process.poll() is not None:
            raise RuntimeError("kessary exited with %d before its window showed:\n%s" %
                               (game.process.returncode, game.stderr()))
        found = x_tool(game.display, "xdotool", "search", "--onlyvisible", "--name",
                       "^%s$" % re.escape(WINDOW_TITLE), check=False).split()
        if found:
            return found[0]
        time.sleep(POLL_INTERVAL)
    raise RuntimeError("no kessary window within %.0f s" % timeout)


def wait_for_first_picture(game, timeout=START_TIMEOUT):
    """The first screenshot that shows anything but the untouched black window.

    The program is paused for each look and let run only briefly in between,
    so what comes back is at most a few frames past the first picture.
    """
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with paused(game):
            picture = screenshot(game)
        if any(picture.rgb):
            return picture
        if game.process.poll() is not None:
            raise RuntimeError("kessary exited with %d before drawing" % game.process.returncode)
        time.sleep(0.005)
    raise RuntimeError("kessary drew nothing within %.0f s" % timeout)


def wait_for_play(game, timeout=START_TIMEOUT):
    """Waits until the frame loop draws: the first picture that is not plain white.

    The first frames can take a second or more on a software GL (it compiles
    its shaders on first use), and the game's clock runs meanwhile.
    """
    wait_for_first_picture(game, timeout)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with paused(game):
            picture = screenshot(game)
        if mean_brightness(picture, WHOLE_WINDOW) < DRAWN_BELOW:
            return picture
        time.sleep(POLL_INTERVAL)
    raise RuntimeError("kessary drew no frame within %.0f s" % timeout)


def window_name(game):
    """The window's WM_NAME, as the window manager would show it."""
    text = x_tool(game.display, "xprop", "-id", game.window, "WM_NAME")
    match = re.search(r'= "(.*)"$', text.strip())
    return match.group(1) if match else None


def window_geometry(game):
    """(x, y, width, height) of the window, x and y on the screen."""
    text = x_tool(game.display, "xwininfo", "-id", game.window)
    fields = {}
    for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
        fields[key] = int(re.search(re.escape(key) + r":\s+(-?\d+)", text).group(1))
    return (fields["Absolute upper-left X"], fields["Absolute upper-left Y"], fields["Width"],
            fields["Height"])


def point_at_window(game):
    """Moves the pointer into the window's middle, so the window has the focus.

    With no window manager the server's focus follows the pointer; keys
    pressed elsewhere would go to the root window. (xdotool's own --sync
    waits for ever when the pointer is already there, so we poll instead.)
    """
    x, y, width, height = window_geometry(game)
    target = "x:%d y:%d " % (x + width // 2, y + height // 2)
    x_tool(game.display, "xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
    deadline = time.monotonic() + EXIT_TIMEOUT
    while not x_tool(game.display, "xdotool", "getmouselocation").startswith(target):
        if time.monotonic() > deadline:
            raise RuntimeError("the pointer did not reach the window")
        time.sleep(POLL_INTERVAL)


def press(game, *keys, delay_ms=40):
    """Presses and releases each key in turn, as a player would (through XTEST).

    The keys go to the window under the pointer, which start_kessary() put
    over the game's window.
    """
    x_tool(game.display, "xdotool", "key", "--delay", str(delay_ms), *keys)


def key_down(game, key):
    x_tool(game.display, "xdotool", "keydown", key)


def key_up(game, key):
    x_tool(game.display, "xdotool", "keyup", key)


def unused_display():
    """A display name no X server answers on."""
    for number in range(100, 1000):
        if not (os.path.exists("/tmp/.X11-unix/X%d" % number) or
                os.path.exists("/tmp/.X%d-lock" % number)):
            return ":%d" % number
    raise RuntimeError("every display from :100 to :999 is taken")


def screenshot(game, save_as=None):
    """The window's current picture; also written as a PNG to `save_as` if given."""
    raw = subprocess.run(["import", "-window", game.window, "-depth", "8", "ppm:-"], env=x_env(game.display),
                         capture_output=True, check=True, timeout=EXIT_TIMEOUT).stdout
    picture = parse_ppm(raw)
    if save_as:
        os.makedirs(os.path.dirname(os.path.abspath(save_as)), exist_ok=True)
        subprocess.run(["convert", "ppm:-", save_as], input=raw, check=True,
                       timeout=EXIT_TIMEOUT)
    return picture


def parse_ppm(raw):
    """A Picture from binary PPM (P6, 8 bits per channel)."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while raw[pos:pos + 1].isspace():
            pos += 1
        if raw[pos:pos + 1] == b"#":
            pos = raw.index(b"\n", pos)
            continue
        end = pos
        while not raw[end:end + 1].isspace():
            end += 1
        fields.append(raw[pos:end])
        pos = end
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        raise ValueError("not an 8-bit binary PPM")
    pos += 1  # the single whitespace after the header
    return Picture(width, height, raw[pos:pos + 3 * width * height])


def load_picture(path, width, height):
    """A picture file scaled to width x height, for comparing with a screenshot."""
    raw = subprocess.run(["convert", path, "-background", "white", "-alpha", "remove",
                          "-resize", "%dx%d!" % (width, height), "-depth", "8", "ppm:-"],
                         capture_output=True, check=True, timeout=EXIT_TIMEOUT).stdout
    return parse_ppm(raw)


def screenshot_path(name):
    """Where a test keeps a screenshot worth looking at: $KESSARY_SCREENSHOT_DIR,
    or the current directory."""
    return os.path.join(os.environ.get("KESSARY_SCREENSHOT_DIR", os.getcwd()), name)




def view_to_window(x0, y0, x1, y1):
    """The game's view box (origin bottom left, y up) as window rows and columns."""
    return x0, WINDOW_HEIGHT - y1, x1, WINDOW_HEIGHT - y0


def region(picture, box):
    """Pixels of the (left, top, right, bottom) box in window coordinates."""
    left, top, right, bottom = box
    for y in range(max(top, 0), min(bottom, picture.height)):
        for x in range(max(left, 0), min(right, picture.width)):
            yield picture.pixel(x, y)


def brightness(rgb):
    return sum(rgb) / (3 * 255)


def mean_brightness(picture, box):
    values = [brightness(p) for p in region(picture, box)]
    return sum(values) / len(values)


def contrast(picture, box):
    """The standard deviation of brightness in `box`: high where a tile's
    border and face are drawn, low over the smooth washed background."""
    values = [brightness(p) for p in region(picture, box)]
    mean = sum(values) / len(values)
    return (sum((v - mean) ** 2 for v in values) / len(values)) ** 0.5


def dark_fraction(picture, box, below):
    """The share of pixels in `box` whose brightness is below `below` (0..1)."""
    values = [brightness(p) for p in region(picture, box)]
    return sum(1 for v in values if v < below) / len(values)


def mean_difference(a, a_box, b, b_box):
    """Mean absolute channel difference (0..1) between two boxes of one size."""
    total = 0
    count = 0
    for pa, pb in zip(region(a, a_box), region(b, b_box)):
        total += abs(pa[0] - pb[0]) + abs(pa[1] - pb[1]) + abs(pa[2] - pb[2])
        count += 3
    return total / (255 * count)
