#!/usr/bin/env python3
"""The Windows game under Wine beside the Linux build, on one machine and in one
run, for docs/performance.md: start-up (launch to the window, and to the first
drawn frame, both seen from outside the same way), pictures a second and the
game's CPU in play. Rounds alternate Linux, Windows, Linux, ...; medians shown.

Pictures a second come from each system's own counter of swaps: for Linux the
benchmarks' swap probe (bench/swap_probe.cpp, preloaded, the game's pacing
left on), for Wine its "fps" debug channel, which counts wglSwapBuffers.
Run inside scripts/windows.sh's windows_with_wine, after a scripts/test:

    windows_bench.py BUILD_DIR ZIP [--rounds N]
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "e2e"))
import kessary_harness as kh  # noqa: E402

WARMUP, MEASURE = 1.0, 5.0  # seconds of play before and while CPU is counted
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def run(command, cwd, env, display, stderr_path):
    """One start of a game: its figures."""
    env = dict(env, DISPLAY=display)
    started = time.monotonic()
    with open(stderr_path, "wb") as err:
        process = subprocess.Popen(["env", "--default-signal=INT,TERM", *command], cwd=cwd,
                                   env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=err)
    game = kh.Game(process, display, "", os.devnull, stderr_path)
    try:
        game.window = kh.wait_for_window(game, 90.0)
        window = time.monotonic() - started
        kh.wait_for_play(game, 90.0, first=True)
        drawn = time.monotonic() - started
        time.sleep(WARMUP)
        cpu = cpu_seconds(process.pid)
        time.sleep(MEASURE)
        cpu = cpu_seconds(process.pid) - cpu
        kh.x_tool(display, "xdotool", "windowfocus", "--sync", game.window)
        kh.press(game, "Escape")
        kh.wait_for_exit(game, 30.0)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    return {"window_ms": 1000 * window, "drawn_ms": 1000 * drawn,
            "cpu_percent": 100 * cpu / MEASURE}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("zip")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    temporary = tempfile.mkdtemp(prefix="kessary-bench-")
    with zipfile.ZipFile(args.zip) as archive:
        archive.extractall(temporary)
        exe = os.path.join(temporary, archive.namelist()[0].split("/")[0], "kessary.exe")
    stderr_path = os.path.join(temporary, "stderr")
    wine_env = dict(os.environ, WINEDEBUG="-all,+fps")
    results = {"Linux": [], "Windows under Wine": []}
    # Wine's desktop, if started already, is on no display or another one. A new
    # server, kept between the rounds (as a Windows session keeps its own), and its
    # desktop started by the first run, which is not counted.
    subprocess.run(["wineserver", "-k"], check=False)
    subprocess.run(["wineserver", "-w"], check=False)
    subprocess.run(["wineserver", "-p"], check=True)
    with kh.xvfb(window_manager=True) as display:  # Wine's window takes keys once focused
        run(["wine", exe], temporary, wine_env, display, stderr_path)  # Wine's first start
        for _ in range(args.rounds):
            figures = run([os.path.join(args.build, "kessary")], kh.REPO_ROOT, os.environ,
                          display, stderr_path)
            results["Linux"].append(figures)
            figures = run(["wine", exe], temporary, wine_env, display, stderr_path)
            with open(stderr_path, errors="replace") as f:
                rates = [float(r) for r in re.findall(r"@ approx ([\d.]+)fps", f.read())]
            figures["fps"] = statistics.median(rates[2:]) if len(rates) > 2 else float("nan")
            results["Windows under Wine"].append(figures)
    linux_fps = run_probe_fps(args.build)
    for name, rows in results.items():
        line = ", ".join("%s %.1f" % (key, statistics.median(row[key] for row in rows))
                         for key in rows[0])
        print("%s: %s" % (name, line))
    print("Linux fps (probe, paced): %s" % linux_fps)


def run_probe_fps(build):
    """The Linux game's paced pictures a second, from the swap probe."""
    with kh.xvfb() as display, tempfile.NamedTemporaryFile("r") as out:
        env = dict(os.environ, DISPLAY=display,
                   LD_PRELOAD=os.path.join(build, "bench", "libswap_probe.so"),
                   KESSARY_PROBE_OUT=out.name, KESSARY_PROBE_WARMUP_MS="1000",
                   KESSARY_PROBE_MEASURE_MS=str(int(MEASURE * 1000)))
        subprocess.run([os.path.join(build, "kessary")], cwd=kh.REPO_ROOT, env=env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        return out.read().strip()


if __name__ == "__main__":
    main()
