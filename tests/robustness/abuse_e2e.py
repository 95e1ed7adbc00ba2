#!/usr/bin/python3
"""The real program under abuse on a headless X server, in a private copy of
dat/: with bad pictures it plays and leaves by every way out with status 0 after
the whole shutdown (traced by KESSARY_TRACE_LIBRARY), losing only those pictures
and saying how many in one line; it writes nothing; it opens each picture once
(strace); 10 s of play under valgrind leak nothing of ours."""

import collections
import contextlib
import ctypes
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import kessary_harness as kh
import make_pictures

PICTURES = sorted(os.listdir(os.path.join(kh.REPO_ROOT, "dat", "img")))  # in load order
PEAK_MEMORY_KB = 150 * 1024
# Start-up is bounded in processor time, where a picture that made it spin shows and a
# loaded machine does not; one that made it block shows as no picture in kh.START_TIMEOUT.
START_CPU_SECONDS = 2.0
VALGRIND_TIMEOUT = 300.0  # the GL driver runs slowly under valgrind
# The font lists, the 46 textures (a failed picture's id is 0), the kept frame's if any, SDL.
SHUTDOWN = re.compile(r"glDeleteLists \d+ 77\n((?:glDeleteTextures \d+\n){46})"
                      r"(?:glDeleteTextures \d+\n)?SDL_Quit\n")


def request_close(game):
    """Sends the WM_DELETE_WINDOW a window manager would (there is none, so wmctrl can't)."""
    x11, pointer = ctypes.CDLL("libX11.so.6"), ctypes.c_void_p
    x11.XOpenDisplay.restype, x11.XInternAtom.restype = pointer, ctypes.c_ulong
    x11.XInternAtom.argtypes = (pointer, ctypes.c_char_p, ctypes.c_int)
    x11.XSendEvent.argtypes = (pointer, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, pointer)
    x11.XCloseDisplay.argtypes = (pointer,)
    connection = x11.XOpenDisplay(game.display.encode())
    # An XClientMessageEvent on 64-bit Linux, a long a field (type ClientMessage, serial,
    # send_event, display, window, message_type, format, data), padded to an XEvent's 24.
    event = (ctypes.c_long * 24)(33, 0, 0, 0, int(game.window),
                                 x11.XInternAtom(connection, b"WM_PROTOCOLS", 0), 32,
                                 x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0))
    x11.XSendEvent(connection, int(game.window), 0, 0, event)
    x11.XCloseDisplay(connection)  # sends the event on its way


WAYS_OUT = {"Escape": lambda game: kh.press(game, "Escape"),
            "window close": request_close,
            "SIGTERM": lambda game: game.process.send_signal(signal.SIGTERM),
            "SIGINT": lambda game: game.process.send_signal(signal.SIGINT)}


@contextlib.contextmanager
def game_copy():
    """A private working directory holding a copy of the repository's dat/."""
    work = tempfile.mkdtemp(prefix="kessary-abuse-")
    try:
        shutil.copytree(os.path.join(kh.REPO_ROOT, "dat"), os.path.join(work, "dat"))
        yield work
    finally:
        subprocess.run(["chmod", "-R", "u+w", work], check=True)
        shutil.rmtree(work)


def running(display, work, wrapper=(), env=None, find_window=True):
    """kh.kessary() in `work`; without `env`, the shutdown is traced to work/trace."""
    env = env or {"LD_PRELOAD": os.environ["KESSARY_TRACE_LIBRARY"],
                  "KESSARY_SHUTDOWN_TRACE": os.path.join(work, "trace")}
    return kh.kessary(display, env, find_window, ("env", "-C", work, *wrapper))


def usage(game):
    """(processor seconds used so far, peak resident KiB) of the running program."""
    with open("/proc/%d/stat" % game.process.pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    with open("/proc/%d/status" % game.process.pid) as status:
        peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK"), peak


class BadPictures(unittest.TestCase):
    def test_cost_only_those_pictures_whatever_the_way_out(self):
        makers = make_pictures.bad_pictures()
        kinds, share = list(makers), -(-len(makers) // len(WAYS_OUT))
        with kh.xvfb() as display:
            for (way, leave), first in zip(WAYS_OUT.items(), range(0, len(kinds), share)):
                batch = kinds[first:first + share]
                spots = [i * (len(PICTURES) - 1) // (len(batch) - 1 or 1)  # first to last picture
                         for i in range(len(batch))]
                with self.subTest(way=way, batch=batch), game_copy() as work:
                    for kind, spot in zip(batch, spots):
                        os.remove(os.path.join(work, "dat", "img", PICTURES[spot]))
                        makers[kind](os.path.join(work, "dat", "img", PICTURES[spot]))
                    with running(display, work) as game:
                        kh.wait_for_play(game)
                        self.assertLess(usage(game)[0], START_CPU_SECONDS)
                        kh.press(game, "space", "Right", "space", "z")
                        self.assertIsNone(game.process.poll(), game.stderr())
                        self.assertLess(usage(game)[1], PEAK_MEMORY_KB)
                        leave(game)
                        self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
                        said = re.findall(r"^kessary: (\d+) of 46 pictures could not be read "
                                          r"from dat/img/", game.stderr(), re.M)
                        self.assertEqual(said, [str(len(spots))], "one line for the lost ones")
                    with open(os.path.join(work, "trace")) as trace:
                        calls = SHUTDOWN.fullmatch(trace.read())
                    self.assertTrue(calls, "incomplete shutdown")
                    textures = [int(line.split()[1]) for line in calls.group(1).splitlines()]
                    self.assertEqual([i for i, got in enumerate(textures) if got == 0], spots)
                    self.assertEqual(len(set(textures)), len(PICTURES) - len(spots) + 1)


class ReadOnly(unittest.TestCase):
    def test_writes_nothing_in_a_read_only_copy(self):
        # As root, permissions bind only for another user: play as nobody.
        nobody = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups") \
            if os.geteuid() == 0 else ()
        with kh.xvfb() as display, game_copy() as work:
            find = ("find", work, "-printf", "%p %M %s %T@\n")  # each path, mode, size, time
            subprocess.run(["chmod", "-R", "a-w", work], check=True)
            before = subprocess.check_output(find)
            with running(display, work, nobody, {"HOME": work}) as game:
                kh.wait_for_play(game)
                kh.press(game, *["space"] * 45, "Escape")  # to the end of a game and on
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
            self.assertEqual(subprocess.check_output(find), before)


class PicturesReadOnce(unittest.TestCase):
    def test_opens_each_picture_exactly_once(self):
        # Every attempt counts, failed ones too, from any thread or child.
        strace = ("strace", "-f", "-qq", "-e", "trace=open,openat,openat2,creat")
        if subprocess.run([*strace, "true"], capture_output=True).returncode != 0:
            self.skipTest("strace cannot trace processes here")
        with kh.xvfb() as display, game_copy() as work:
            log = os.path.join(work, "strace.log")
            with running(display, work, (*strace, "-o", log)) as game:
                kh.wait_for_play(game)
                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
            with open(log) as trace:
                opened = collections.Counter(re.findall(r'"dat/img/([^"]*)"', trace.read()))
            self.assertEqual(opened, collections.Counter(PICTURES))


class Valgrind(unittest.TestCase):
    def test_ten_seconds_of_play_leak_nothing_of_ours(self):
        with kh.xvfb() as display, game_copy() as work:
            log = os.path.join(work, "valgrind.log")
            valgrind = ("valgrind", "--leak-check=full", "--show-leak-kinds=definite,indirect",
                        "--errors-for-leak-kinds=definite,indirect", "--error-exitcode=33",
                        "--keep-debuginfo=yes", "--num-callers=40", "--log-file=" + log,
                        "--suppressions=" + os.environ["KESSARY_VALGRIND_SUPPRESSIONS"])
            with running(display, work, valgrind, {"LP_NUM_THREADS": "0"}, False) as game:
                game.window = kh.wait_for_window(game, VALGRIND_TIMEOUT)
                kh.point_at_window(game)
                kh.wait_for_play(game, VALGRIND_TIMEOUT)
                deadline = time.monotonic() + 10
                while time.monotonic() < deadline:
                    kh.press(game, "space", "Left", "Up", "z", "Right")
                kh.press(game, "Escape")
                status = kh.wait_for_exit(game, VALGRIND_TIMEOUT)
            with open(log) as report:
                self.assertEqual(status, 0, report.read())


if __name__ == "__main__":
    kh.main()
