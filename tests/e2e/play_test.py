"""The real program in play: what a drop by key does to the board, what a
second of play shows, and a whole game played to its end with the reward
picture on top. Each runs on both ways of keeping the picture between frames.
"""
import glob
import os
import time
import unittest

import kessary_harness as kh

# Boxes in window pixels (left, top, right, bottom), from the game's layout in
# view units. Slot boxes stay 10 pixels inside the slot, clear of the shake.
QUEUE_ROW = kh.view_to_window(0, 0, 640, 110)
SCORE_LINE = kh.view_to_window(395, 542, 640, 570)
REWARD = kh.view_to_window(120, 90, 520, 490)
REWARD_SIZE = 400


def slot(column, row):
    """The inside of a column's slot (row 0 at the bottom)."""
    x = 100 * column
    y = 130 + 100 * row
    return kh.view_to_window(x + 10, y + 10, x + 90, y + 90)


# Left from column 0 wraps to column 5, which the timer's drops never reach
# before columns 0 to 4 are full (20 drops, 12 s): a tile there came from space.
# The keys go in one burst, so the rules usually see them within one frame.
KEYS_SETTLE_SECONDS = 0.6
TILE_CONTRAST = 0.08  # brightness deviation a placed tile adds over the background

# What a second of play shows: the tiles of the queue row, and the score line
# in 0.7-alpha black where only the spark, jumping there by chance, is as dark.
PLAY_SECONDS = 1.2
QUEUE_DARK_BELOW = 0.85
QUEUE_DARK_SHARE = 0.2
TEXT_DARK_BELOW = 0.5
TEXT_DARK_SHARE = 0.01

# Fewer drops than the 24 that can fill the board, so the taps cannot end the
# game themselves and a tap can never start the next one; the timer drops the rest.
TAPS = 15
SETTLE_SECONDS = 1.0
GAME_OVER_TIMEOUT = 60.0
LOOK_INTERVAL = 0.5
REWARD_MATCH_BELOW = 0.05
NO_REWARD_ABOVE = 0.15
FADING_ABOVE = 0.08  # how fast depends on the frame rate
AFTER_RESTART_SECONDS = 2.0


def reward_pictures():
    paths = sorted(glob.glob(os.path.join(kh.REPO_ROOT, "dat", "img", "wench*.png")))
    return [kh.load_picture(path, REWARD_SIZE, REWARD_SIZE) for path in paths]


def reward_difference(picture, rewards):
    """How far the middle of the window is from the nearest reward picture."""
    whole = (0, 0, REWARD_SIZE, REWARD_SIZE)
    return min(kh.mean_difference(picture, REWARD, reward, whole) for reward in rewards)


def look(game, save_as=None):
    with kh.paused(game):
        return kh.screenshot(game, save_as)


def shot_name(name, path):
    return name + ("" if path == kh.FRAME_KEEPING_PATHS[0][0] else "-" + path.replace(" ", "-"))


class Play(unittest.TestCase):
    def test_keys_reach_the_rules_and_play_shows_queue_and_score(self):
        for path, env in kh.FRAME_KEEPING_PATHS:
            with self.subTest(path), kh.xvfb() as display, kh.kessary(display, env) as game:
                kh.wait_for_play(game)
                start = time.monotonic()
                kh.press(game, "Left", "space", "Right", delay_ms=0)
                time.sleep(KEYS_SETTLE_SECONDS)
                board = look(game)
                dropped = kh.contrast(board, slot(5, 0))
                self.assertGreater(dropped, kh.contrast(board, slot(4, 0)) + TILE_CONTRAST,
                                   "space did not drop the tile in hand into column 5")

                time.sleep(max(0.0, PLAY_SECONDS - (time.monotonic() - start)))
                play = look(game,
                            kh.screenshot_path(shot_name("screenshot-first-second", path) + ".png"))
                self.assertGreater(kh.dark_fraction(play, QUEUE_ROW, QUEUE_DARK_BELOW),
                                   QUEUE_DARK_SHARE)
                self.assertGreater(kh.dark_fraction(play, SCORE_LINE, TEXT_DARK_BELOW),
                                   TEXT_DARK_SHARE)

    def test_game_played_to_its_end_shows_the_reward_picture(self):
        rewards = reward_pictures()
        self.assertEqual(len(rewards), 4)
        for path, env in kh.FRAME_KEEPING_PATHS:
            with self.subTest(path), kh.xvfb() as display, kh.kessary(display, env) as game:
                kh.wait_for_play(game)
                kh.press(game, *["space"] * TAPS)
                time.sleep(SETTLE_SECONDS)
                mid_game = look(game, kh.screenshot_path(shot_name("screenshot-play", path) + ".png"))
                self.assertGreater(reward_difference(mid_game, rewards), NO_REWARD_ABOVE)

                deadline = time.monotonic() + GAME_OVER_TIMEOUT
                while reward_difference(look(game), rewards) >= REWARD_MATCH_BELOW:
                    self.assertLess(time.monotonic(), deadline, "the game did not end")
                    time.sleep(LOOK_INTERVAL)
                look(game, kh.screenshot_path(shot_name("screenshot-game-over", path) + ".png"))

                # Any key deals the next game, and the picture fades away.
                kh.press(game, "space")
                time.sleep(AFTER_RESTART_SECONDS)
                self.assertGreater(reward_difference(look(game), rewards), FADING_ABOVE)
                kh.press(game, "Escape")
                self.assertEqual(kh.wait_for_exit(game), 0, game.stderr())


if __name__ == "__main__":
    kh.main()
