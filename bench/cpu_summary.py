"""Summarises a Google Benchmark JSON report of kessary_bench: the median CPU
time of each benchmark over its repetitions, and the ratios the targets are
stated in (the update step against its floor, a frame in microseconds,
picture loading in milliseconds).

    python3 cpu_summary.py REPORT.json
"""

import json
import statistics
import sys
from collections import defaultdict

NANOS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def medians(report):
    times = defaultdict(list)
    for run in report["benchmarks"]:
        if run.get("run_type") == "iteration":
            times[run["run_name"]].append(run["cpu_time"] * NANOS[run["time_unit"]])
    return {name: statistics.median(values) for name, values in times.items()}


def main(path):
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    ns = medians(report)
    context = report["context"]
    print(f"{context.get('host_name', '?')}: {context['num_cpus']} cpus at "
          f"{context['mhz_per_cpu']} MHz, load average {context.get('load_avg', ['?'])[0]}")
    for name, value in ns.items():
        print(f"  {name:24} {value:14.1f} ns (median CPU time)")
    print(f"stepGame / 81 mt19937 draws     {ns['inRunningGame/stepGame'] / ns['randomFloor']:.3f}  "
          "(target <= 1.3)")
    print(f"busiest frame, our code         {ns['frameFullBoard'] / 1e3:.2f} us  (target < 5)")
    loading = sum(value for name, value in ns.items() if name.startswith(("checkPictures/",
                                                                          "decodePictures/")))
    print(f"46 pictures checked + decoded   {loading / 1e6:.2f} ms  (target < 15, with upload)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
