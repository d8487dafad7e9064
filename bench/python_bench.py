#!/usr/bin/env python3
"""Speed of the Python module korvanes against the C++ analysis.

1. korvanes.analyze on the three examples, ROUNDS times each: the time per
   call, next to bench_analysis's time for the same example (the analysis of
   a document already in memory). The difference is what the module adds:
   reading the file, the standard statistics the result carries, the
   argument handling and the Result object. Target: at most 15 µs.
   Both sides are CPU times.
2. korvanes.batch over 400 files (the examples and generated 12- to 30-step
   specimens) with jobs=2, wall-clock. Target: at most 30 ms.

Wall-clock times: note the load they were taken under (printed). Usage, from
the checkout, after a release build:

    PYTHONPATH=build/release/python python3 bench/python_bench.py [ROUNDS]
"""

import json
import os
import subprocess
import sys
import tempfile
import time

import korvanes

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "python"))
os.environ.setdefault("KORVANES_SOURCE_DIR", ROOT)
os.environ.setdefault("KORVANES_PROGRAM", os.path.join(ROOT, "build", "release", "bin", "korvanes"))
import support  # noqa: E402  (the tests' generated specimens)

EXAMPLES = {"BM_AnalysisBasaltMt1": "basalt-mt1.kvd", "BM_AnalysisTuffMt3": "tuff-mt3.kvd",
            "BM_AnalysisAndesiteMt4": "andesite-mt4.kvd"}


def cpp_times():
    """Microseconds per analysis of each example from bench_analysis (CPU time)."""
    program = os.path.join(ROOT, "build", "release", "bin", "bench_analysis")
    run = subprocess.run([program, "--benchmark_filter=" + "|".join(EXAMPLES), "--benchmark_format=json",
                          "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
                         capture_output=True, check=True, text=True)
    times = {}
    for b in json.loads(run.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            times[b["run_name"]] = b["cpu_time"]  # µs (the benchmarks' unit)
    return times


def best_of(repeats, function, clock=time.perf_counter):
    best = float("inf")
    for _ in range(repeats):
        started = clock()
        function()
        best = min(best, clock() - started)
    return best


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
    print("load average before: %.2f %.2f %.2f" % os.getloadavg())
    cpp = cpp_times()
    print("korvanes.analyze, %d calls per example (best of 3 runs), against bench_analysis:" % rounds)
    for name, example in EXAMPLES.items():
        path = os.path.join(ROOT, "examples", example)
        data = open(path, "rb").read()
        for label, source in (("path", path), ("bytes", data)):
            # CPU time, as bench_analysis reports it: a loaded machine's
            # waiting does not count on either side.
            seconds = best_of(3, lambda: [korvanes.analyze(source) for _ in range(rounds)], time.process_time)
            per_call = seconds / rounds * 1e6
            print("  %-18s %-5s %7.1f µs per call, C++ %6.1f µs, overhead %6.1f µs (target 15)"
                  % (example, label, per_call, cpp[name], per_call - cpp[name]))

    with tempfile.TemporaryDirectory() as folder:
        paths = []
        for k in range(400):
            path = os.path.join(folder, "s%03d.kvd" % k)
            if k % 4 == 0:
                text = open(os.path.join(ROOT, "examples", list(EXAMPLES.values())[k % 3]), "rb").read()
            else:
                text = support.synthetic_specimen(steps=12 + k % 19, noise=0.01 * (k % 7), seed=k).encode()
            with open(path, "wb") as out:
                out.write(text)
            paths.append(path)
        korvanes.batch(paths, jobs=2)  # the files in the page cache
        for jobs in (1, 2):
            seconds = best_of(5, lambda: korvanes.batch(paths, jobs=jobs))
            cpu = best_of(5, lambda: korvanes.batch(paths, jobs=jobs), time.process_time)
            print("korvanes.batch of 400 files, jobs=%d: %.1f ms wall-clock, %.1f ms CPU of all threads "
                  "(best of 5; target 30 ms wall-clock with jobs=2)" % (jobs, seconds * 1e3, cpu * 1e3))
    print("load average after: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
