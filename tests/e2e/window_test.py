"""The window sized to the screen, and full screen on F11 and Alt+Enter: on a 3840 x 2160
screen with a window manager the window is 1920 x 1740; full screen shows the same picture,
trails and all, centred between black bars, the pointer still hidden, and switches back;
Escape quits from it. Where the picture cannot be shown scaled the window keeps 640 x 580
and the keys change nothing."""
import ctypes
import os
import statistics
import subprocess
import time
import unittest

import kessary_harness as kh

BIG_SCREEN, BIG_WINDOW = (3840, 2160), (1920, 1740)
SMALL_WINDOW = (kh.WINDOW_WIDTH, kh.WINDOW_HEIGHT)
# Screens and the window each gives (no window manager needed to size a window).
SIZES = (("2560x1440", (1280, 1160)), ("1366x768", SMALL_WINDOW))

# In full screen the picture's height fills the screen and its width follows, centred.
PICTURE_WIDTH = round(BIG_SCREEN[1] * kh.WINDOW_WIDTH / kh.WINDOW_HEIGHT)
PICTURE_LEFT = (BIG_SCREEN[0] - PICTURE_WIDTH) // 2
PICTURE = "%dx%d+%d+0" % (PICTURE_WIDTH, BIG_SCREEN[1], PICTURE_LEFT)  # as ImageMagick crops
BAR_MARGIN = 4  # screen pixels left out where the bars meet the picture's smoothed edge
BARS = ["%dx%d+%d+0" % (PICTURE_LEFT - BAR_MARGIN, BIG_SCREEN[1], x)
        for x in (0, PICTURE_LEFT + PICTURE_WIDTH + BAR_MARGIN)]
BLACK = 0.01  # brightness
SHOT = "window-shot.ppm"  # the last screenshot, uncompressed: quick to write and read

# Switching keeps the picture. Before and after, each shrunk to a coarse grid, most cells
# differ no more than a few frames of play make them (a picture lost and started black
# differs everywhere), and the whole keeps its darkness (one started white has lost its
# trails and haze, which take seconds of frames to build up again).
GRID, GRID_BOX = "64x58!", (0, 0, 64, 58)
SAME_CELLS_BELOW, DARKNESS_KEPT = 0.1, 0.8
SETTLE = 1.0  # seconds of play for the trails and the haze to build up
NOT_SCALED_WAIT = 0.5  # seconds given the keys to change a window they should not change


def size(game):
    return kh.window_geometry(game)[2:]


def wait_for_size(game, wanted):
    kh.poll(game, "window of %dx%d" % wanted, lambda: size(game) == wanted, kh.START_TIMEOUT)


def shrink(path, crop, scale):
    return kh.ppm("convert", path, "-crop", crop, "+repage", "-scale", scale, "ppm:-")


def look(game, full_screen):
    """The window's picture shrunk to the grid, once the game has drawn one at the window's
    size; None before. (Right after a switch the X server still shows the old picture
    moved, black around it; in full screen the bars beside the picture are black.)"""
    with kh.paused(game):
        subprocess.run(["import", "-window", game.window, "-depth", "8", SHOT],
                       env=kh.x_env(game.display), check=True, timeout=kh.EXIT_TIMEOUT)
    picture = shrink(SHOT, PICTURE if full_screen else "100%x100%+0+0", GRID)
    if min(picture.brightness(GRID_BOX)) < BLACK:
        return None
    bars = [shrink(SHOT, bar, "1x1!").mean_brightness((0, 0, 1, 1))
            for bar in (BARS if full_screen else ())]
    return None if bars and max(bars) > BLACK else picture


def fresh_shot(game, name, full_screen=False):
    """look() as soon as it sees a picture, which is kept as `name`.png, at half size."""
    picture = kh.poll(game, "picture at the new size", lambda: look(game, full_screen),
                      kh.START_TIMEOUT)
    subprocess.run(["convert", SHOT, "-scale", "50%", "-quality", "10", name + ".png"],
                   check=True, timeout=kh.EXIT_TIMEOUT)
    return picture


class CursorImage(ctypes.Structure):  # XFixesCursorImage
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def pointer_pixels(display):
    """How many pixels of the pointer's current picture are not transparent (XFixes)."""
    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    connection = x11.XOpenDisplay(display.encode())
    try:
        image = xfixes.XFixesGetCursorImage(connection).contents
        return sum(image.pixels[i] >> 24 != 0 for i in range(image.width * image.height))
    finally:
        x11.XCloseDisplay(connection)


def darkness(picture):
    return 1 - picture.mean_brightness(GRID_BOX)


def cell_difference(a, b):
    """The median over the grid's cells of their channel differences, 0 (same) to 1."""
    return statistics.median(sum(abs(x - y) for x, y in zip(a.rgb[i:i + 3], b.rgb[i:i + 3]))
                             / 765 for i in range(0, len(a.rgb), 3))


def tearDownModule():
    if os.path.exists(SHOT):
        os.remove(SHOT)


class BigScreen(unittest.TestCase):
    def assert_same_picture(self, before, after, keys):
        self.assertLess(cell_difference(before, after), SAME_CELLS_BELOW, keys)
        self.assertGreater(darkness(after), DARKNESS_KEPT * darkness(before), keys)

    def test_the_window_is_sized_to_the_screen(self):
        for screen, window in SIZES:
            with self.subTest(screen), kh.xvfb(screen) as display, kh.kessary(display) as game:
                self.assertEqual(size(game), window)

    def test_full_screen_keeps_the_picture_both_ways(self):
        # A game each, so that neither ends (and shows its reward) in the middle.
        with kh.xvfb("%dx%d" % BIG_SCREEN, window_manager=True) as display:
            for keys in ("F11", "alt+Return"):
                with self.subTest(keys), kh.kessary(display) as game:
                    self.assertEqual(size(game), BIG_WINDOW)
                    kh.wait_for_play(game)
                    time.sleep(SETTLE)
                    name = keys.replace("+", "-")
                    windowed = fresh_shot(game, "window-before-" + name)
                    kh.press(game, keys)
                    wait_for_size(game, BIG_SCREEN)
                    full = fresh_shot(game, "full-screen-after-" + name, full_screen=True)
                    self.assert_same_picture(windowed, full, keys)
                    self.assertEqual(pointer_pixels(display), 0, "the pointer shows")

                    kh.press(game, keys)
                    wait_for_size(game, BIG_WINDOW)
                    back = fresh_shot(game, "window-after-%s-again" % name)
                    self.assert_same_picture(full, back, keys + " again")

                    # Escape from full screen quits as ever and leaves the screen as it was.
                    kh.press(game, keys)
                    wait_for_size(game, BIG_SCREEN)
                    self.assertEqual(kh.quit_by_escape(game), 0, game.stderr())
                    root = kh.x_tool(display, "xwininfo", "-root")
                    self.assertIn("Width: %d" % BIG_SCREEN[0], root)
                    self.assertIn("Height: %d" % BIG_SCREEN[1], root)

    def test_the_players_own_scale_and_an_unscaled_picture(self):
        # A scale the player chose is kept, and full screen still works; with the library's
        # scaling off the picture cannot be shown scaled, and the keys change nothing.
        cases = (({"SDL12COMPAT_WINDOW_SCALING": "1"}, BIG_SCREEN),
                 ({"SDL12COMPAT_OPENGL_SCALING": "0"}, SMALL_WINDOW))
        with kh.xvfb("%dx%d" % BIG_SCREEN, window_manager=True) as display:
            for env, after_keys in cases:
                with self.subTest(env), kh.kessary(display, env) as game:
                    self.assertEqual(size(game), SMALL_WINDOW)
                    kh.press(game, "F11", "alt+Return", "alt+Return")
                    if after_keys == SMALL_WINDOW:
                        time.sleep(NOT_SCALED_WAIT)
                    wait_for_size(game, after_keys)
                    self.assertEqual(kh.quit_by_escape(game), 0, game.stderr())


if __name__ == "__main__":
    kh.main()
