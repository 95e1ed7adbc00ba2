#!/usr/bin/python3
"""The real program under abuse, on its own headless X server.

Every way out (Escape, a window-close request, SIGTERM, SIGINT) must reach the
shutdown sequence and exit 0; bad files in place of pictures must cost nothing
but those pictures; a read-only copy of the game must stay untouched; and 10 s
of play under valgrind must leak nothing of ours.

The program runs in a private copy of dat/ with a preloaded library
(shutdown_trace) that records the deletions of the font lists and textures and
the call of SDL_Quit, so the tests can see the shutdown happen and tell which
pictures loaded (a picture that failed deletes texture id 0).

    abuse_e2e.py --kessary PATH [unittest options]

The environment gives KESSARY_TRACE_LIBRARY (the preloaded library),
KESSARY_PICTURE_SCRIPTS (the folder of make_pictures.py) and, for the valgrind
test, KESSARY_VALGRIND_SUPPRESSIONS.
"""

import contextlib
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import kessary_harness as kh

sys.path.insert(0, os.environ.get("KESSARY_PICTURE_SCRIPTS", os.path.dirname(__file__)))
import make_pictures  # noqa: E402

TEXTURE_COUNT = 46
FONT_LISTS = 77
PEAK_MEMORY_KB = 150 * 1024
# Start-up is bounded in the program's own processor time: a hostile picture
# that made it spin would show there, while a loaded machine (several test
# runs at once) stretches only the wall-clock time. A picture that made it
# block shows as no score line within kh.START_TIMEOUT.
START_CPU_SECONDS = 2.0
SCORE_BOX = kh.view_to_window(380, 540, 640, 580)  # "score: 0      best: 0", top right
VALGRIND_PLAY_SECONDS = 10
VALGRIND_START_TIMEOUT = 300.0  # the GL driver runs slowly under valgrind
VALGRIND_LEAK_STATUS = 33


def texture_names():
    """The 46 picture names in load order, as dat/img/ holds them."""
    groups = [("a", 9), ("b", 9), ("c", 9), ("d", 3), ("e", 4), ("f", 4), ("g", 4), ("wench", 4)]
    return ["%s%d" % (group, i) for group, count in groups for i in range(count)]


@contextlib.contextmanager
def game_copy():
    """A private working directory holding a copy of the repository's dat/."""
    work = tempfile.mkdtemp(prefix="kessary-abuse-")
    try:
        shutil.copytree(os.path.join(kh.REPO_ROOT, "dat"), os.path.join(work, "dat"))
        yield work
    finally:
        for folder, dirs, _ in os.walk(work):
            for name in dirs:
                os.chmod(os.path.join(folder, name), 0o755)
        shutil.rmtree(work)


def launch(display, work, prefix=(), extra_env=None, traced=True):
    """Starts the program in `work`; returns (Game, path of its shutdown trace).

    Like kh.start_kessary(), but in a working directory of the test's own and
    optionally with the shutdown trace preloaded.
    """
    logs = tempfile.mkdtemp(prefix="kessary-abuse-logs-")
    runtime = os.path.join(logs, "runtime")
    os.mkdir(runtime, 0o700)
    trace = os.path.join(logs, "trace")
    env = kh.x_env(display)
    env["XDG_RUNTIME_DIR"] = runtime
    if traced:
        env.update(LD_PRELOAD=os.environ["KESSARY_TRACE_LIBRARY"], KESSARY_SHUTDOWN_TRACE=trace)
    env.update(extra_env or {})
    stdout, stderr = os.path.join(logs, "stdout"), os.path.join(logs, "stderr")
    with open(stdout, "wb") as out, open(stderr, "wb") as err:
        process = subprocess.Popen(
            ["env", "--default-signal=INT,TERM", *prefix, kh.kessary_path],
            cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
    game = kh.Game(process=process, display=display, window="", work_dir=logs,
                   stdout_path=stdout, stderr_path=stderr)
    return game, trace


def wait_until_playing(game, timeout=kh.START_TIMEOUT):
    """Seconds from now until the window shows the score line: start-up is over."""
    start = time.monotonic()
    game.window = kh.wait_for_window(game, timeout)
    kh.point_at_window(game)
    while kh.dark_fraction(kh.screenshot(game), SCORE_BOX, 0.5) < 0.002:
        if time.monotonic() - start > timeout:
            raise RuntimeError("no score line within %.0f s" % timeout)
        if game.process.poll() is not None:
            raise RuntimeError("kessary exited with %d" % game.process.returncode)
    return time.monotonic() - start


def cpu_seconds(game):
    """Processor time the program has used so far, user and system."""
    with open("/proc/%d/stat" % game.process.pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def peak_memory_kb(game):
    """The process's peak resident size so far (VmHWM)."""
    with open("/proc/%d/status" % game.process.pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM for %d" % game.process.pid)


def request_close(game):
    """Asks the window to close as a window manager would: a WM_DELETE_WINDOW
    client message sent straight to it (there is no window manager here, so
    tools that ask one, such as wmctrl, would do nothing)."""

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):  # XEvent: 24 longs
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(game.display.encode())
    if not connection:
        raise RuntimeError("cannot open display " + game.display)
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = int(game.window)
    event.xclient.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(connection, int(game.window), 0, 0, ctypes.byref(event))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)


class TracedRun(unittest.TestCase):
    """Reading the shutdown trace of a finished run."""

    def loaded_textures(self, trace):
        """Checks the shutdown order in the trace; returns the 46 texture ids."""
        with open(trace) as lines:
            calls = lines.read().split("\n")[:-1]
        self.assertTrue(calls, "no shutdown calls traced")
        self.assertRegex(calls[0], r"^glDeleteLists \d+ %d$" % FONT_LISTS)
        self.assertEqual(calls.count("SDL_Quit"), 1)
        self.assertEqual(calls[-1], "SDL_Quit")
        textures = [int(call.split()[1]) for call in calls if call.startswith("glDeleteTextures")]
        self.assertGreaterEqual(len(textures), TEXTURE_COUNT)
        return textures[:TEXTURE_COUNT]


class Shutdown(TracedRun):
    """Each way out ends with status 0 after the whole shutdown sequence."""

    def check_way_out(self, leave):
        with kh.xvfb() as display, game_copy() as work:
            game, trace = launch(display, work)
            try:
                wait_until_playing(game)
                kh.press(game, "space", "Left", "space")
                leave(game)
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
                textures = self.loaded_textures(trace)
            finally:
                kh.stop(game)
            self.assertNotIn(0, textures)
            self.assertEqual(len(set(textures)), TEXTURE_COUNT)

    def test_escape(self):
        self.check_way_out(lambda game: kh.press(game, "Escape"))

    def test_window_close(self):
        self.check_way_out(request_close)

    def test_sigterm(self):
        self.check_way_out(lambda game: game.process.send_signal(signal.SIGTERM))

    def test_sigint(self):
        self.check_way_out(lambda game: game.process.send_signal(signal.SIGINT))


class BadPictures(TracedRun):
    """Bad files in place of pictures cost those pictures and nothing else."""

    # Bad files per run, each in place of a different picture; the first and
    # the last picture are always among those replaced.
    PER_RUN = 8

    def test_each_bad_file_in_place_of_a_picture(self):
        files = make_pictures.bad_pictures()
        kinds = sorted(files) + list(make_pictures.NON_FILES)
        names = texture_names()
        with kh.xvfb() as display:
            for first in range(0, len(kinds), self.PER_RUN):
                batch = kinds[first:first + self.PER_RUN]
                spots = [round(i * (TEXTURE_COUNT - 1) / (len(batch) - 1 or 1))
                         for i in range(len(batch))]
                with self.subTest(batch=batch), game_copy() as work:
                    img = os.path.join(work, "dat", "img")
                    for kind, spot in zip(batch, spots):
                        os.remove(os.path.join(img, names[spot] + ".png"))
                        make_pictures.place_picture(img, kind, names[spot] + ".png", files)
                    textures = self.play_and_quit(display, work)
                    for spot, texture in enumerate(textures):
                        self.assertEqual(texture == 0, spot in spots, names[spot])

    def play_and_quit(self, display, work):
        """Plays briefly, checks time and memory, quits; returns the texture ids."""
        game, trace = launch(display, work)
        try:
            started = wait_until_playing(game)
            start_cpu = cpu_seconds(game)
            kh.press(game, "space", "Right", "space", "z")
            self.assertIsNone(game.process.poll())
            peak = peak_memory_kb(game)
            kh.press(game, "Escape")
            self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
            textures = self.loaded_textures(trace)
        finally:
            kh.stop(game)
        self.assertLess(start_cpu, START_CPU_SECONDS)
        self.assertLess(peak, PEAK_MEMORY_KB)
        print("start-up %.2f s (%.2f s of processor time), peak %d MB" %
              (started, start_cpu, peak // 1024), file=sys.stderr)
        return textures


def snapshot(root):
    """Every path under `root` with its type, size and modification time."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            facts = os.lstat(path)
            found[path] = (facts.st_mode, facts.st_size, facts.st_mtime_ns)
    return found


class ReadOnly(unittest.TestCase):
    """The game writes nothing: run in a read-only copy, the copy is unchanged."""

    def test_writes_nothing(self):
        with kh.xvfb() as display, game_copy() as work:
            # As root, permissions bind only for another user: play as nobody.
            prefix = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups") \
                if os.geteuid() == 0 else ()
            for folder, dirs, files in os.walk(work):
                os.chmod(folder, 0o555)
                for name in files:
                    os.chmod(os.path.join(folder, name), 0o444)
            before = snapshot(work)
            game, _ = launch(display, work, prefix, {"HOME": work})
            try:
                wait_until_playing(game)
                kh.press(game, *["space"] * 45)  # to the end of a game and on
                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
            finally:
                kh.stop(game)
            self.assertEqual(snapshot(work), before)


class Valgrind(unittest.TestCase):
    """10 s of play ended by Escape leak nothing of ours."""

    def test_no_leaks(self):
        log = os.path.join(tempfile.mkdtemp(prefix="kessary-valgrind-"), "valgrind.log")
        valgrind = ("valgrind", "--leak-check=full", "--show-leak-kinds=definite,indirect",
                    "--errors-for-leak-kinds=definite,indirect",
                    "--error-exitcode=%d" % VALGRIND_LEAK_STATUS, "--keep-debuginfo=yes",
                    "--num-callers=40",
                    "--suppressions=" + os.environ["KESSARY_VALGRIND_SUPPRESSIONS"],
                    "--log-file=" + log)
        with kh.xvfb() as display, game_copy() as work:
            game, _ = launch(display, work, valgrind, {"LP_NUM_THREADS": "0"}, traced=False)
            try:
                wait_until_playing(game, VALGRIND_START_TIMEOUT)
                deadline = time.monotonic() + VALGRIND_PLAY_SECONDS
                while time.monotonic() < deadline:
                    kh.press(game, "space", "Left", "Up", "z", "Right")
                kh.press(game, "Escape")
                status = kh.wait_for_exit(game, VALGRIND_START_TIMEOUT)
            finally:
                kh.stop(game)
            with open(log) as report:
                self.assertEqual(status, 0, report.read())


if __name__ == "__main__":
    kh.main()
