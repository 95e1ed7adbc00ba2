"""The real program's window: title, size, the white start, quitting on a real
Escape press, and the one-line failure when there is no display to open it on.
"""
import time
import unittest

import kessary_harness as kh

# Right after start-up only the white clear shows, and the first frames wash
# and draw over it only faintly (a loaded machine may show us a good few of
# them first). A missing clear, or a frame kept from before it, shows instead
# as a dark window, well below these.
FIRST_PICTURE_BRIGHTNESS = 0.8
SOON_AFTER_BRIGHTNESS = 0.6
SOON_AFTER_SECONDS = 0.05


class Window(unittest.TestCase):
    def test_white_titled_window_that_quits_on_escape(self):
        for path, env in kh.FRAME_KEEPING_PATHS:
            with self.subTest(path), kh.xvfb() as display, kh.kessary(display, env) as game:
                self.assertEqual(kh.window_name(game), kh.WINDOW_TITLE)
                self.assertEqual(kh.window_geometry(game)[2:],
                                 (kh.WINDOW_WIDTH, kh.WINDOW_HEIGHT))

                first = kh.wait_for_first_picture(game)
                self.assertGreater(kh.mean_brightness(first, kh.WHOLE_WINDOW),
                                   FIRST_PICTURE_BRIGHTNESS)
                time.sleep(SOON_AFTER_SECONDS)
                with kh.paused(game):
                    soon = kh.screenshot(game)
                self.assertGreater(kh.mean_brightness(soon, kh.WHOLE_WINDOW),
                                   SOON_AFTER_BRIGHTNESS)

                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())

    def test_no_display_is_one_line_on_stderr_and_status_one(self):
        for display in (None, kh.unused_display()):
            with self.subTest(display=display), \
                    kh.kessary(display, find_window=False) as game:
                self.assertEqual(kh.wait_for_exit(game), 1)
                self.assertRegex(game.stderr(),
                                 r"\Akessary: cannot open the window: [^\n]+\n\Z")
                self.assertEqual(game.stdout(), "")

    def test_plays_without_sound(self):
        with kh.xvfb() as display, \
                kh.kessary(display, {"SDL_AUDIODRIVER": "no-such-driver"}) as game:
            kh.wait_for_first_picture(game)
            kh.press(game, "Escape")
            self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())


if __name__ == "__main__":
    kh.main()
