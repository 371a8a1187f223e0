#!/usr/bin/env python3
"""Runs the list benchmark side by side with `shuf -n 1`, `wc -l` and a
Python loader on the same generated 100 MB files, in one run, and prints
throughputs and ratios.

All figures are CPU time (user + system), best of several runs: the machine
is shared, and wall time there measures the neighbours as much as the code.

    bench/compare.py [--build build-perf-native] [--files /tmp/brisklet-bench] [--runs 3]
"""
import argparse
import json
import os
import resource
import subprocess
import sys
import time

MB = 1024 * 1024


def child_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def best_process_seconds(cmd, runs):
    best = None
    for _ in range(runs):
        before = child_cpu()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True)
        spent = child_cpu() - before
        best = spent if best is None else min(best, spent)
    return best


def best_python_seconds(path, encoding, runs):
    best = None
    for _ in range(runs):
        start = time.process_time()
        with open(path, "rb") as f:
            lines = f.read().decode(encoding).splitlines()
        spent = time.process_time() - start
        del lines
        best = spent if best is None else min(best, spent)
    return best


def bench_seconds(binary, pattern, runs, extra=()):
    out = subprocess.run(
        [binary, f"--benchmark_filter={pattern}", f"--benchmark_repetitions={runs}",
         "--benchmark_format=json", *extra],
        capture_output=True, text=True, check=True).stdout
    best = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        seconds = b["cpu_time"] * scale
        name = b["run_name"]
        if name not in best or seconds < best[name][0]:
            best[name] = (seconds, b)
    return best


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(os.path.dirname(here), "build-perf-native"))
    parser.add_argument("--files", default="/tmp/brisklet-bench")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    binary = os.path.join(args.build, "bin", "brisklet_bench")
    if not os.path.exists(binary):
        sys.exit(f"no {binary}: build the native preset with -DCMAKE_BUILD_TYPE=Release first")
    os.makedirs(args.files, exist_ok=True)
    subprocess.run([binary, f"--write_files={args.files}"], check=True)

    files = {
        "UTF-8 BOM": ("jokes-utf8-bom.txt", "utf-8-sig", "BM_Load/0/2", "BM_PlainLoad/0/2"),
        "UTF-16 LE": ("jokes-utf16le.txt", "utf-16", "BM_Load/2/2", "BM_PlainLoad/2/2"),
        "ASCII ANSI": ("jokes-ascii.txt", "cp1252", "BM_Load/4/2", "BM_PlainLoad/4/2"),
    }
    ours = bench_seconds(binary, "BM_(Plain)?Load/[024]/2$|BM_MemchrLines|BM_Memcpy", args.runs)
    cold = bench_seconds(binary, "BM_Load/[024]/2$", 1, ["--cold_memory", "--benchmark_min_time=0"])

    rows = []
    for label, (name, encoding, load, plain) in files.items():
        path = os.path.join(args.files, name)
        size = os.path.getsize(path)
        ours_s = ours[load][0]
        rows.append((label, "Brisklet loader (decode, cut, index), warm", ours_s, size, ours_s))
        rows.append((label, "Brisklet loader, first touch of fresh pages", cold[load][0], size, ours_s))
        rows.append((label, "std::vector<std::u16string> loader, warm", ours[plain][0], size, ours_s))
        rows.append((label, "python3 read + decode + splitlines", best_python_seconds(path, encoding, args.runs), size, ours_s))
        rows.append((label, "shuf -n 1 (whole process)", best_process_seconds(["shuf", "-n", "1", path], args.runs), size, ours_s))
        rows.append((label, "wc -l (whole process)", best_process_seconds(["wc", "-l", path], args.runs), size, ours_s))
    utf8 = os.path.getsize(os.path.join(args.files, files["UTF-8 BOM"][0]))
    rows.append(("UTF-8 BOM", "memchr line count", ours["BM_MemchrLines"][0], utf8, ours["BM_Load/0/2"][0]))
    rows.append(("UTF-8 BOM", "memcpy", ours["BM_Memcpy"][0], utf8, ours["BM_Load/0/2"][0]))

    print(f"\n{'file':11} {'what':46} {'MB/s':>9} {'x Brisklet':>11}")
    for label, what, seconds, size, ours_s in rows:
        print(f"{label:11} {what:46} {size / MB / seconds:9.0f} {ours_s / seconds:11.2f}")
    print("\n(x Brisklet: the Brisklet loader's time over this one's, below 1 is slower)")


if __name__ == "__main__":
    main()
