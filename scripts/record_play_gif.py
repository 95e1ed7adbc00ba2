"""Records a few seconds of real play as an animated GIF for the README.

The game runs on a private Xvfb through the end-to-end harness, from the
repository root; a player thread presses keys at a human pace while the main
thread grabs the window about every 100 ms. The frames are scaled down and
assembled by ImageMagick, each shown for as long as it really lasted, so the
GIF plays at the game's own speed. The deal is random (the game seeds from the
clock), so every recording shows a different game.

    record_play_gif.py --kessary PATH [--out docs/play.gif]

Run by scripts/record-play-gif, which builds the game first.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO_ROOT, "tests", "e2e"))
import kessary_harness as kh  # noqa: E402

SETTLE_SECONDS = 3.0  # at sixty pictures a second the tile faces build up under the wash
RECORD_SECONDS = 8.0
FRAME_INTERVAL = 0.1
GIF_WIDTH = 320
GIF_COLOURS = (96, 64, 48, 32)  # tried in turn until the GIF fits its budget
MAX_GIF_BYTES = 2 * 1024 * 1024

# One drop a beat: this many presses of Right, then space. Spread over the
# columns the way a player fills them, rather than the timer's left to right.
DROP_BEAT = 0.45
MOVES_BEFORE_DROPS = (2, 1, 3, 0, 2, 5, 1, 4, 0, 3, 2, 5, 1, 4, 3, 2)


def play(game, stop):
    """Presses the drops of MOVES_BEFORE_DROPS, one a beat, until `stop` is set."""
    for moves in MOVES_BEFORE_DROPS:
        if stop.wait(DROP_BEAT):
            return
        kh.press(game, *(["Right"] * moves + ["space"]), delay_ms=30)


def record(game, folder):
    """Grabs the window into `folder` until RECORD_SECONDS have passed.
    Returns (path, seconds shown) per frame."""
    frames = []
    start = time.monotonic()
    while time.monotonic() - start < RECORD_SECONDS:
        taken = time.monotonic()
        path = os.path.join(folder, "frame%04d.ppm" % len(frames))
        subprocess.run(["import", "-window", game.window, "-depth", "8", path],
                       env=kh.x_env(game.display), check=True, timeout=kh.EXIT_TIMEOUT)
        frames.append([path, taken])
        time.sleep(max(0.0, taken + FRAME_INTERVAL - time.monotonic()))
    for k, frame in enumerate(frames):
        shown_until = frames[k + 1][1] if k + 1 < len(frames) else frame[1] + FRAME_INTERVAL
        frame[1] = shown_until - frame[1]
    return frames


def assemble(frames, out, colours):
    """Writes the frames as a looping GIF, each shown for its own duration."""
    command = ["convert", "-loop", "0"]
    for path, seconds in frames:
        command += ["-delay", str(max(2, round(100 * seconds))), path]
    command += ["-resize", "%dx" % GIF_WIDTH, "+dither", "-colors", str(colours),
                "-layers", "Optimize", out]
    subprocess.run(command, check=True)


def main():
    parser = argparse.ArgumentParser(description="Records docs/play.gif from real play.")
    parser.add_argument("--kessary", required=True, help="the built program")
    parser.add_argument("--out", default=os.path.join(REPO_ROOT, "docs", "play.gif"))
    options = parser.parse_args()
    kh.kessary_path = os.path.abspath(options.kessary)

    folder = tempfile.mkdtemp(prefix="kessary-gif-")
    stop = threading.Event()
    try:
        with kh.xvfb() as display, kh.kessary(display) as game:
            kh.wait_for_play(game)
            time.sleep(SETTLE_SECONDS)
            player = threading.Thread(target=play, args=(game, stop))
            player.start()
            try:
                frames = record(game, folder)
            finally:
                stop.set()
                player.join()
            kh.press(game, "Escape")
            kh.wait_for_exit(game)
        for colours in GIF_COLOURS:
            assemble(frames, options.out, colours)
            size = os.path.getsize(options.out)
            if size <= MAX_GIF_BYTES:
                break
    finally:
        shutil.rmtree(folder)
    print("%s: %d frames, %.1f s, %d colours, %d KiB" %
          (options.out, len(frames), sum(s for _, s in frames), colours, size // 1024))
    if size > MAX_GIF_BYTES:
        sys.exit("%s is over %d bytes; shorten RECORD_SECONDS" % (options.out, MAX_GIF_BYTES))


if __name__ == "__main__":
    main()
