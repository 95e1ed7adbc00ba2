"""The real program played from virtual pads plugged into SDL 2 underneath the SDL 1.2
library (the preloaded virtual_pad library): a hat moves the cursor and another pad's
button drops into that column; a pad pulled out mid-game changes nothing for the rest; a
pad plugged in mid-game deals the next game from the game-over screen; nothing is printed.
Scripts take `--virtual-pad PATH` besides `--kessary PATH`."""
import os
import sys
import tempfile
import time
import unittest

import kessary_harness as kh
import play_test as play

virtual_pad_path = None  # the preloaded library; set from --virtual-pad

# Pad 0 has a hat for its d-pad, pad 1 is in SDL's controller order (buttons 11-14 the d-pad).
PADS = "2 12 1, 6 15 0"
HAT_LEFT, CENTRED = 8, 0
LATE_PAD = "plug 2 4 1"  # plugged in mid-game; it becomes pad 2
DROPS_TO_END = 42  # presses enough to end any game: one tile each
DEAL_TIMEOUT, TAPS = 4.0, 3  # a tap after a game over deals within the first of a few


class Pad(unittest.TestCase):
    def test_pads_play_come_and_go(self):
        fifo = os.path.join(tempfile.mkdtemp(prefix="kessary-pad-"), "commands")
        os.mkfifo(fifo)
        env = {"LD_PRELOAD": virtual_pad_path, "KESSARY_VIRTUAL_PADS": PADS,
               "KESSARY_VIRTUAL_PAD_FIFO": fifo,
               # Under AddressSanitizer its runtime is not the first library loaded.
               "ASAN_OPTIONS": "detect_leaks=0:verify_asan_link_order=0"}

        def pad(*commands, pause=0.05):  # each command, then a pause for the game to see it
            for command in commands:
                with open(fifo, "w") as out:
                    out.write(command + "\n")
                time.sleep(pause)

        def tap(pad_number, button):
            pad("button %d %d 1" % (pad_number, button), "button %d %d 0" % (pad_number, button))

        with kh.xvfb() as display, kh.kessary(display, env) as game:
            look = lambda: kh.paused_screenshot(game)
            kh.wait_for_play(game)
            # Left from column 0 wraps to column 5, which the timer's drops reach only
            # after columns 0 to 4 are full (12 s): tiles there came from the button.
            pad("hat 0 0 %d" % HAT_LEFT, "hat 0 0 %d" % CENTRED)
            tap(1, 0)
            tap(1, 0)
            time.sleep(0.6)
            self.assertTrue(play.two_tiles_in_column_5(look()),
                            "the pads did not drop two tiles into column 5")

            pad("unplug 0", LATE_PAD)
            for _ in range(DROPS_TO_END):
                tap(1, 0)
            deadline = time.monotonic() + play.GAME_OVER_TIMEOUT
            while play.reward_difference(look()) >= play.REWARD_MATCH_BELOW:
                self.assertLess(time.monotonic(), deadline, "the game did not end")
                time.sleep(0.2)

            # The late pad is found within seconds of the game's end and deals.
            time.sleep(2.5)
            for _ in range(TAPS):
                tap(2, 1)
                deadline = time.monotonic() + DEAL_TIMEOUT
                while (play.reward_difference(look()) < play.NO_REWARD_ABOVE and
                       time.monotonic() < deadline):
                    time.sleep(0.2)
                if play.reward_difference(look()) >= play.NO_REWARD_ABOVE:
                    break
            self.assertGreater(play.reward_difference(look()), play.NO_REWARD_ABOVE,
                               "the pad plugged in late did not deal")
            kh.press(game, "Escape")
            self.assertEqual(kh.wait_for_exit(game), 0)
            self.assertEqual(game.stderr(), "")


if __name__ == "__main__":
    i = sys.argv.index("--virtual-pad")
    virtual_pad_path = os.path.abspath(sys.argv[i + 1])
    del sys.argv[i:i + 2]
    kh.main()
