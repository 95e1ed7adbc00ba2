"""The real program driven by real key presses, on both ways of keeping the picture
between frames: a white start, a drop by key, a second of play and a whole game to
its reward picture; and the one-line failure when no window can be opened."""
import functools
import glob
import os
import statistics
import time
import unittest

import kessary_harness as kh

# sdl12-compat's own framebuffer object (its default), or with its OpenGL scaling off the
# window's back buffer and the game's kept copy of the frame, here with no sound device.
PATHS = (("", {}),
         ("-kept-frame", {"SDL12COMPAT_OPENGL_SCALING": "0", "SDL_AUDIODRIVER": "no-such-driver"}))

QUEUE_ROW = kh.view_to_window(0, 0, 640, 110)
SCORE_LINE = kh.view_to_window(395, 542, 640, 570)
REWARD, REWARD_SIZE = kh.view_to_window(120, 90, 520, 490), 400
# The middles of column 5's two lowest slots. The palest tile (a flower) measures a
# contrast of 0.106 or more there; the spark alone over the wash up to 0.099 in one slot
# but never 0.05 in both, so two drops tell a tile from the spark.
COLUMN_5_SLOTS = tuple(kh.view_to_window(510, y + 10, 590, y + 90) for y in (130, 230))
TILES_ABOVE = 0.075
# A second of play shows the tiles of the queue row, and the score line in
# 0.7-alpha black where only the spark, jumping there by chance, is as dark.
DARK_SHARES = ((QUEUE_ROW, 0.85, 0.2), (SCORE_LINE, 0.5, 0.01))  # box, darker than, share
REWARD_MATCH_BELOW, NO_REWARD_ABOVE, GAME_OVER_TIMEOUT = 0.05, 0.15, 60.0


@functools.lru_cache(maxsize=None)
def rewards():
    """The four reward pictures as the game shows them, over white."""
    return [kh.ppm("convert", path, "-background", "white", "-alpha", "remove", "-resize",
                   "%dx%d!" % (REWARD_SIZE, REWARD_SIZE), "-depth", "8", "ppm:-")
            for path in sorted(glob.glob(os.path.join(kh.REPO_ROOT, "dat/img/wench*.png")))]


def reward_difference(picture):
    """The mean channel difference of the reward's place from the nearest reward picture."""
    shown = [channel for rgb in picture.region(REWARD) for channel in rgb]
    return min(sum(abs(x - y) for x, y in zip(shown, reward.rgb)) / (255 * len(shown))
               for reward in rewards())


def contrast(picture, box):
    """High over a tile's border and face, low over the wash."""
    return statistics.pstdev(picture.brightness(box))


def two_tiles_in_column_5(picture):
    return min(contrast(picture, box) for box in COLUMN_5_SLOTS) > TILES_ABOVE


class Play(unittest.TestCase):
    def test_a_game_from_the_white_start_to_the_reward_picture(self):
        self.assertEqual(len(rewards()), 4)
        for suffix, env in PATHS:
            with self.subTest(env), kh.xvfb() as display, kh.kessary(display, env) as game:
                look = functools.partial(kh.paused_screenshot, game)
                # The white clear shows first, then frames washed over it faintly: a
                # missing clear, or a frame kept from before it, shows dark.
                self.assertGreater(kh.wait_for_play(game, first=True).mean_brightness(), 0.8)
                time.sleep(0.05)
                self.assertGreater(look().mean_brightness(), 0.6)

                # Left from column 0 wraps to column 5, which the timer's drops reach only
                # after columns 0 to 4 are full (12 s): tiles there came from space and z
                # (a second space this quick would be taken for the key held down).
                kh.wait_for_play(game)
                start = time.monotonic()
                kh.press(game, "Left", "space", "z", "Right", delay_ms=0)
                time.sleep(0.6)
                self.assertTrue(two_tiles_in_column_5(look()),
                                "space and z did not drop two tiles into column 5")
                time.sleep(max(0.0, 1.2 - (time.monotonic() - start)))
                play = look()
                for box, below, share in DARK_SHARES:
                    dark = statistics.fmean(v < below for v in play.brightness(box))
                    self.assertGreater(dark, share, box)

                # Far fewer drops than the 24 that fill the board cannot end the game.
                kh.press(game, *["space"] * 8)
                time.sleep(1.0)
                mid_game = look("screenshot-play%s.png" % suffix)
                self.assertGreater(reward_difference(mid_game), NO_REWARD_ABOVE)
                deadline = time.monotonic() + GAME_OVER_TIMEOUT
                while reward_difference(look()) >= REWARD_MATCH_BELOW:
                    self.assertLess(time.monotonic(), deadline, "the game did not end")
                    time.sleep(0.5)
                look("screenshot-game-over%s.png" % suffix)
                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())

    def test_no_display_is_one_line_on_stderr_and_status_one(self):
        free = next(":%d" % n for n in range(100, 1000) if not os.path.exists("/tmp/.X%d-lock" % n))
        for display in (None, free):
            with self.subTest(display=display), kh.kessary(display, find_window=False) as game:
                self.assertEqual(kh.wait_for_exit(game), 1)
                self.assertRegex(game.stderr(), r"\Akessary: cannot open the window: [^\n]+\n\Z")
                self.assertEqual(os.path.getsize(game.stdout_path), 0)


if __name__ == "__main__":
    kh.main()
