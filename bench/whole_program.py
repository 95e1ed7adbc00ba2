"""Runs the game against the reference program under Xvfb and Mesa's software
GL, alternating them over several rounds, and reports the game's frame rate
and start-up time as ratios to the reference's. A third program, the game
loading its pictures the old way (kessary_read_twice: each file checked, then
read and decoded again by SOIL), runs in the same rounds as the baseline of
reading each picture once, and a fourth, the game with its gamepads left out of
start-up (kessary_no_pads), as the baseline of opening them.

All run with the frame-counting probe preloaded, and are handed the moment of
their launch so that start-up is timed from the exec. The game is put into its
busiest frame (a game over on a full board) by a fixed deal and presses in its
first frame; the reference draws that frame's GL work with no game. Rounds
alternate reference, game, read twice, reference, ... so that a change in the
machine's load falls on all alike, and every other round runs them in reverse,
so that none always follows the same one; ratios are taken within each round and
their median reported.

    python3 whole_program.py --build BUILD_DIR [--rounds N] [--seconds S]
"""

import argparse
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCREEN = "1024x768x24"
WARMUP_MS = 500
RUN_TIMEOUT = 60.0


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announce:
        number = announce.readline().strip()
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def parse_results(text):
    fields = dict(item.split("=") for item in text.split())
    return {name: float(value) for name, value in fields.items()}


def run_once(build, program, display, seconds, probe_env):
    """One run of `program`; returns the probe's figures. `probe_env` adds to the
    probe's settings (KESSARY_PROBE_SEED and the like)."""
    with tempfile.NamedTemporaryFile("r", suffix=".probe") as out:
        env = dict(os.environ)
        env.update({
            "DISPLAY": display,
            "LD_PRELOAD": os.path.join(build, "bench", "libswap_probe.so"),
            "KESSARY_PROBE_OUT": out.name,
            "KESSARY_PROBE_WARMUP_MS": str(WARMUP_MS),
            "KESSARY_PROBE_MEASURE_MS": str(int(seconds * 1000)),
            **probe_env,
        })
        # Taken last: what remains before the exec is the spawn, alike for both programs.
        env["KESSARY_PROBE_EXEC_NS"] = str(time.clock_gettime_ns(time.CLOCK_MONOTONIC))
        subprocess.run([program], cwd=REPO_ROOT, env=env, timeout=RUN_TIMEOUT,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        text = out.read()
    if not text:
        raise RuntimeError(f"{program} reported nothing")
    return parse_results(text)


def full_board_deal(build):
    finder = os.path.join(build, "bench", "full_board_seed")
    seed, presses = subprocess.run([finder], check=True, capture_output=True,
                                   text=True).stdout.split()
    return int(seed), int(presses)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=3.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    programs = {
        "reference": os.path.join(build, "bench", "kessary_reference"),
        "game": os.path.join(build, "kessary"),
        "read twice": os.path.join(build, "bench", "kessary_read_twice"),
        "no pads": os.path.join(build, "bench", "kessary_no_pads"),
    }
    seed, presses = full_board_deal(build)
    # The game paces itself with SDL_Delay where the swap does not wait, as under Xvfb;
    # the reference never sleeps, so the game's sleeps return at once and both
    # programs draw as fast as they can.
    probe_env = {"KESSARY_PROBE_SEED": str(seed), "KESSARY_PROBE_SPACES": str(presses),
                 "KESSARY_PROBE_NO_DELAY": "1"}

    server, display = start_xvfb()
    runs = {name: [] for name in programs}
    try:
        for round_number in range(1, args.rounds + 1):
            # Every other round in reverse: a program's place in the round, after a
            # bigger or a smaller one, moves its start-up by some per cent.
            order = list(programs.items())
            for name, program in order if round_number % 2 else reversed(order):
                # The reference takes the same presses; it ignores them.
                result = run_once(build, program, display, args.seconds, probe_env)
                runs[name].append(result)
                print(f"round {round_number} {name:10}  {result['fps']:8.1f} fps  "
                      f"start-up {result['startup_ms']:7.1f} ms  "
                      f"pictures {result['pictures_ms']:6.1f} ms  "
                      f"CPU per frame {result['frame_cpu_ms']:6.2f} ms", flush=True)
    finally:
        server.terminate()
        server.wait()

    def median(name, field):
        return statistics.median(run[field] for run in runs[name])

    def ratio(field, over, under):
        """The median of the ratios taken within each round."""
        return statistics.median(a[field] / b[field] for a, b in zip(runs[over], runs[under]))

    print()
    print(f"machine: {platform.machine()}, {os.cpu_count()} cores, "
          f"load average {os.getloadavg()[0]:.2f} at the end; "
          f"{args.rounds} rounds of {args.seconds:g} s, game deal {seed} after {presses} presses")
    print("(CPU figures count every thread of the process, the GL's included, and are\n"
          " disturbed less by other load than the wall-clock ones)")
    print(f"{'':22}{'reference':>11}{'game':>9}{'read twice':>12}{'no pads':>9}"
          f"{'game/ref':>10}{'twice/ref':>11}{'game/twice':>12}{'game/no pads':>14}")
    for field, label in (("fps", "frames per second"), ("startup_ms", "exec to first frame ms"),
                         ("pictures_ms", "picture loading ms"),
                         ("frame_cpu_ms", "CPU ms per frame"),
                         ("startup_cpu_ms", "CPU ms to first frame"),
                         ("pictures_cpu_ms", "CPU ms for pictures")):
        print(f"{label:22}{median('reference', field):11.2f}{median('game', field):9.2f}"
              f"{median('read twice', field):12.2f}{median('no pads', field):9.2f}"
              f"{ratio(field, 'game', 'reference'):10.3f}"
              f"{ratio(field, 'read twice', 'reference'):11.3f}"
              f"{ratio(field, 'game', 'read twice'):12.3f}"
              f"{ratio(field, 'game', 'no pads'):14.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
