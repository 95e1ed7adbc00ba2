"""Summarises what the rules and our drawing cost on the CPU: the median times
of a Google Benchmark JSON report of kessary_bench, and, when given, the
instruction counts of frame_profile's two callgrind runs (1000 frames, and
the update step against its floor), which do not move with the machine's load.

    python3 cpu_summary.py REPORT.json [FRAMES.callgrind STEPS.callgrind]
"""

import json
import re
import statistics
import subprocess
import sys
from collections import defaultdict

NANOS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
FRAMES = 1000  # frame_profile's fixed counts
STEPS = 10000
TOP = 8

# "12,784,705 (100.0%)  ???:drawScene() [/path/object]": count, file, function.
LINE = re.compile(r"^\s*([\d,]+) \(\s*[\d.]+%\)\s+(?:\?\?\?|\S*?\.\w+):(.*?)(?: \[.*\])?$")


def medians(report):
    """Median CPU time of each benchmark in ns, in the order they are declared."""
    times = defaultdict(list)
    runs = sorted((run for run in report["benchmarks"] if run.get("run_type") == "iteration"),
                  key=lambda run: (run["family_index"], run["per_family_instance_index"]))
    for run in runs:
        times[run["run_name"]].append(run["cpu_time"] * NANOS[run["time_unit"]])
    return {name: statistics.median(values) for name, values in times.items()}, \
        max(len(values) for values in times.values())


def print_times(path):
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    ns, repetitions = medians(report)
    print(f"CPU time per call, median of {repetitions} interleaved repetitions:")
    for name, value in ns.items():
        print(f"  {name:26} {value / 1e3:12.3f} us")
    def loading(way):
        return sum(value for name, value in ns.items() if name.startswith(way + "/"))
    print(f"  stepGame / 81 mt19937 draws   {ns['inRunningGame/stepGame'] / ns['randomFloor']:.3f}"
          "   (target <= 1.3)")
    print(f"  busiest frame, our code       {ns['frameFullBoard'] / 1e3:.2f} us"
          "   (target < 5)")
    once, twice = loading("picturesReadOnce"), loading("picturesReadTwice")
    print(f"  46 pictures read once         {once / 1e6:.2f} ms, the old way (checked, then read"
          f" again by SOIL) {twice / 1e6:.2f} ms, ratio {once / twice:.3f}"
          "   (target < 10 with the upload)")


def annotate(path, inclusive):
    """Instruction counts by function name from callgrind_annotate."""
    text = subprocess.run(["callgrind_annotate", f"--inclusive={'yes' if inclusive else 'no'}",
                           "--threshold=100", path],
                          check=True, capture_output=True, text=True).stdout
    counts = {}
    for line in text.splitlines():
        match = LINE.match(line)
        if match:
            name = re.sub(r"std::mersenne_twister_engine<.*>::", "std::mt19937::", match.group(2))
            counts[name] = counts.get(name, 0) + int(match.group(1).replace(",", ""))
    return counts


def count(counts, name):
    return sum(value for function, value in counts.items() if function.endswith(name))


def print_instructions(frames_path, steps_path):
    steps = annotate(steps_path, inclusive=True)
    step = count(steps, "stepGame()") / STEPS
    floor = count(steps, "floorDraws()") / STEPS
    print("Instructions per call (callgrind):")
    print(f"  stepGame {step:8.0f}, 81 mt19937 draws {floor:8.0f}, ratio {step / floor:.3f}")

    inclusive = annotate(frames_path, inclusive=True)
    exclusive = annotate(frames_path, inclusive=False)
    total = sum(exclusive.values())
    frame = (count(inclusive, "washScreen()") + count(inclusive, "drawScene()")) / FRAMES
    print(f"  washScreen + drawScene {frame:8.0f} per frame; "
          f"{FRAMES} frames with one step each {total:,} in all")
    print(f"Where {FRAMES} frames go, inclusive:")
    # The hardened build formats the score line through glibc's checked __snprintf_chk.
    for name in ("drawScene()", "drawTexturedQuad(TextureEntry const&, float, float, bool)",
                 "stepGame()", "drawText(float)", "rand", ("snprintf", "__snprintf_chk"),
                 "washScreen()"):
        label = name if isinstance(name, str) else name[0]
        print(f"  {count(inclusive, name) / total:6.1%}  {label}")
    print("  and by function, exclusive:")
    for name, value in sorted(exclusive.items(), key=lambda item: -item[1])[:TOP]:
        print(f"  {value / total:6.1%}  {name}")


def main(argv):
    print_times(argv[1])
    if len(argv) == 4:
        print_instructions(argv[2], argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
