#!/usr/bin/env python3
"""Runs every benchmark of a build and prints one table: each figure (the
median wall-clock time of several repetitions) beside its baseline measured in
the same run, and their ratio.

    bench/report.py BIN_DIR [--repetitions N]

Baselines: a hand-written request built and sent for attribute and read
requests, memcpy of the same bytes for reads and sample generation, a fresh
bare interpreter state for the script translator. Figures without a baseline
show none. The first error text of a process is measured in fresh processes
(votarsin_first_call), each figure the median of several; so is the median
of single error-text calls, each timed alone, which a busy machine disturbs
less than the benchmark's averages.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys

BENCHMARKS = [
    "votarsin_acquisition_bench",
    "votarsin_model_bench",
    "votarsin_bench",
    "votarsin_error_file_bench",
    "votarsin_get_error_bench",
    "votarsin_script_translator_bench",
]

# (figure, baseline): a regular expression over the figure's name, and a
# function of its match giving the baseline's name.
BASELINES = [
    (r"AttributeSetLibrary", lambda m: "AttributeSetBaseline"),
    (r"Read2DLibrary/(\d+)", lambda m: f"Read2DBaseline/{m[1]}"),
    (r"ReadI16Library/(\d+)", lambda m: f"ReadI16Memcpy/{m[1]}"),
    (r"ModelRead(I16|F64)/(\d+)/real_time", lambda m: f"Memcpy{m[1]}/{m[2]}/real_time"),
    (r"ModelRead2D(I16|F64)FourChannels/(\d+)/real_time",
     lambda m: f"Memcpy{m[1]}/{4 * int(m[2])}/real_time"),
    (r"GetError/device_error", lambda m: "Host/bare_state"),
    (r"Host/fresh_state_per_call", lambda m: "Host/bare_state"),
    (r"Host/create_modules_\w+", lambda m: "Host/bare_state"),
    (r"Host/dynamic_warm_state", lambda m: "Host/bare_state"),
    (r"GetError/device_error, first call of a process",
     lambda m: "Host/bare_state, first of a process"),
    (r"GetError/device_error, single calls", lambda m: "Host/bare_state"),
]

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def run_benchmark(path, repetitions):
    """Median wall-clock time (ns) and counters of every benchmark of one program."""
    result = subprocess.run(
        [path, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}"],
        cwd=os.path.dirname(path), capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"{os.path.basename(path)} failed:\n{result.stderr}")
    runs = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("run_type") == "aggregate":
            continue
        runs.setdefault(entry["run_name"], []).append(entry)
    figures = {}
    for name, entries in runs.items():
        failed = [entry for entry in entries if entry.get("error_occurred")]
        if failed:
            figures[name] = (None, failed[0].get("error_message", "error"))
            continue
        time = statistics.median(entry["real_time"] * UNIT_NS[entry["time_unit"]]
                                 for entry in entries)
        counters = {key: statistics.median(entry[key] for entry in entries)
                    for key in entries[0] if re.fullmatch(r"\d_\w+_us", key)}
        figures[name] = (time, counters)
    return figures


def first_call(bin_dir, mode, runs):
    """Median of `runs` fresh processes' first call, in ns."""
    times = []
    for _ in range(runs):
        result = subprocess.run([os.path.join(bin_dir, "votarsin_first_call"), mode],
                                cwd=bin_dir, capture_output=True, text=True, check=False)
        if result.returncode != 0:
            sys.exit(f"votarsin_first_call {mode} failed:\n{result.stderr}")
        times.append(float(result.stdout) * 1e3)
    return statistics.median(times)


def show(ns):
    if ns is None:
        return "-"
    for unit, scale in (("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.1f} {unit}"
    return f"{ns:.1f} ns"


def baseline_of(name):
    for pattern, make in BASELINES:
        match = re.fullmatch(pattern, name)
        if match:
            return make(match)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin_dir")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    bin_dir = os.path.abspath(args.bin_dir)

    load_before = os.getloadavg()[0]
    figures = {}
    order = []
    for program in BENCHMARKS:
        print(f"running {program} ...", file=sys.stderr, flush=True)
        for name, figure in run_benchmark(os.path.join(bin_dir, program),
                                          args.repetitions).items():
            figures[name] = figure
            order.append(name)
    runs = 2 * args.repetitions + 1
    print("running votarsin_first_call ...", file=sys.stderr, flush=True)
    for name, mode in (("GetError/device_error, first call of a process", "device_error"),
                       ("Host/bare_state, first of a process", "bare_state"),
                       ("GetError/device_error, single calls", "single_calls")):
        figures[name] = (first_call(bin_dir, mode, runs), {})
        order.append(name)

    baselines = {baseline_of(name) for name in order} - {None}
    rows = []
    for name in order:
        if name in baselines:
            continue
        time, extra = figures[name]
        base = baseline_of(name)
        base_time = figures.get(base, (None, None))[0] if base else None
        ratio = f"{time / base_time:.2f}" if time and base_time else "-"
        if time is None:
            rows.append((name, f"error: {extra}", "", "", ""))
            continue
        rows.append((name, show(time), base or "-", show(base_time) if base else "", ratio))
        for step, us in sorted(extra.items()):
            rows.append((f"  step {step[:-3]}", show(us * 1e3), "", "", ""))

    header = ("benchmark (median wall clock)", "time", "baseline", "time", "ratio")
    widths = [max(len(row[i]) for row in rows + [header]) for i in range(5)]
    line = (f"{{:<{widths[0]}}}  {{:>{widths[1]}}}   {{:<{widths[2]}}}  "
            f"{{:>{widths[3]}}}  {{:>{widths[4]}}}")
    print(f"{args.repetitions} repetitions each; fresh-process figures: median of {runs} processes; "
          f"load average {load_before:.1f} before, {os.getloadavg()[0]:.1f} after")
    print(line.format(*header))
    print("-" * (sum(widths) + 8))
    for row in rows:
        print(line.format(*row))


if __name__ == "__main__":
    main()
