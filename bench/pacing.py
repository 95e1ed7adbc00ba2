"""Runs the game under Xvfb on emulated displays (a preloaded swap that waits for
the next refresh at 60, 75, 144 or 240 Hz, or not at all) and reports, per
display, the pictures a second, the CPU the game used and the share of the time
it slept, with its pacing and without it, side by side.

"Without" is the same program with SDL_Delay turned into a no-op by the probe,
so every pass runs as fast as the swap allows, as the loop did before it paced
itself. The two runs of a display follow each other, so a change in the
machine's load falls on both alike. The trail half-life is what the wash
(white at alpha 0.01 per picture) gives at that rate: a trail halves in 69
pictures.

    python3 pacing.py --build BUILD_DIR [--seconds S]
"""

import argparse
import math
import os
import sys

from whole_program import run_once, start_xvfb

DISPLAYS = (("60 Hz", 60), ("75 Hz", 75), ("144 Hz", 144), ("240 Hz", 240), ("no vsync", 0))
SEED = 11  # a fixed deal; nothing is pressed, so the timer drops the tiles
WASH_ALPHA = 0.01
PICTURES_PER_HALVING = math.log(0.5) / math.log(1.0 - WASH_ALPHA)  # 69


def half_life(fps):
    return PICTURES_PER_HALVING / fps if fps > 0 else float("inf")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--seconds", type=float, default=5.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    game = os.path.join(build, "kessary")

    rows = []
    server, display = start_xvfb()
    try:
        for name, hertz in DISPLAYS:
            figures = {}
            for paced in (False, True):
                probe_env = {"KESSARY_PROBE_SEED": str(SEED),
                             "KESSARY_PROBE_VSYNC_HZ": str(hertz),
                             "KESSARY_PROBE_NO_DELAY": "0" if paced else "1"}
                figures[paced] = run_once(build, game, display, args.seconds, probe_env)
            rows.append((name, figures[False], figures[True]))
            print(f"{name:9} unpaced {figures[False]['fps']:6.1f} fps "
                  f"{figures[False]['cpu_percent']:5.0f} % CPU; paced "
                  f"{figures[True]['fps']:6.1f} fps {figures[True]['cpu_percent']:5.0f} % CPU, "
                  f"slept {figures[True]['slept_percent']:.1f} %", flush=True)
    finally:
        server.terminate()
        server.wait()

    print()
    print(f"load average {os.getloadavg()[0]:.2f} at the end; {args.seconds:g} s a run; "
          "CPU is every thread of the game, in % of one core")
    print("| display | unpaced pictures/s | unpaced CPU | unpaced trail half-life "
          "| paced pictures/s | paced CPU | slept | paced trail half-life |")
    print("|---|---|---|---|---|---|---|---|")
    for name, before, after in rows:
        print(f"| {name} | {before['fps']:.1f} | {before['cpu_percent']:.0f} % "
              f"| {half_life(before['fps']):.2f} s | {after['fps']:.1f} "
              f"| {after['cpu_percent']:.0f} % | {after['slept_percent']:.1f} % "
              f"| {half_life(after['fps']):.2f} s |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
