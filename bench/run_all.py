#!/usr/bin/env python3
"""Runs every benchmark program of a build and prints one table: our time, the reference
library's time for the same case in the same run, and the ratio (ours / reference; below 1.0 we
are faster). The raster program runs twice, on one worker and on all of them, so the table also
shows what the threads bring.

    python3 bench/run_all.py [build-folder] [--filter REGEX]

A benchmark pairs with its reference by name: the word for ours (Ours, ours, WithClass) replaced
by the reference's word (Libtiff, libpng, Magick, giflib, WithLibrary...)."""
import argparse
import json
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OURS = re.compile(r"Ours|ours|WithClass")
REFERENCES = ["Libtiff", "libtiff", "libpng", "Libpng", "Magick", "magick", "giflib", "Giflib",
              "WithLibrary", "libjpeg", "Libjpeg"]

# (program, environment it needs beyond ours, what the runs are called)
PROGRAMS = [
    ("bench/tiff/bench_tiff", {}, ""),
    ("bench/png/bench_png", {}, ""),
    ("bench/jpeg/bench_jpeg", {}, ""),
    ("bench/gif/gif_reduce_bench", {}, ""),
    ("bench/raster/raster_bench", {"VELMORA_WORKERS": "1"}, "1 worker"),
    ("bench/raster/raster_bench", {}, "all workers"),
    ("bench/browse/bench_browse", {"QT_QPA_PLATFORM": "offscreen"}, ""),
]


def run(build, program, extra_env, pattern):
    path = os.path.join(build, program)
    if not os.path.exists(path):
        print(f"(not built, skipped: {program})", file=sys.stderr)
        return {}
    env = dict(os.environ, MAGICK_CONFIGURE_PATH=os.path.join(HERE, "magick"))
    env.pop("VELMORA_WORKERS", None)
    env.update(extra_env)
    command = [path, "--benchmark_format=json"]
    if pattern:
        command.append(f"--benchmark_filter={pattern}")
    out = subprocess.run(command, env=env, capture_output=True, text=True).stdout
    if not out.strip():  # the filter left nothing to run here
        return {}
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type", "iteration") == "iteration":
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
            times[b["name"]] = (b["real_time"] * scale, b.get("label", ""), b.get("file_bytes"))
    return times


def pairs(times):
    for name, (ours, label, ours_bytes) in times.items():
        if not OURS.search(name):
            continue
        for word in REFERENCES:
            reference = OURS.sub(word, name, count=1)
            if reference in times:
                size = ""
                if ours_bytes and times[reference][2]:
                    size = f"{ours_bytes / 1e6:.2f} / {times[reference][2] / 1e6:.2f} MB"
                yield name, label, ours, times[reference][0], size
                break


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--filter", default="")
    args = parser.parse_args()
    print(f"cores: {os.cpu_count()}   load average: {os.getloadavg()[0]:.1f}")
    row = "{:<58} {:>12} {:>12} {:>7}  {}"
    print(row.format("case", "ours ms", "ref ms", "ratio", "file ours / ref"))
    one_worker = {}
    for program, extra_env, runs in PROGRAMS:
        for name, label, ours, reference, size in pairs(run(args.build, program, extra_env, args.filter)):
            case = " ".join(filter(None, [name, label, f"({runs})" if runs else ""]))
            print(row.format(case[:58], f"{ours:.1f}", f"{reference:.1f}", f"{ours / reference:.2f}", size))
            if runs == "1 worker":
                one_worker[(name, label)] = ours
            elif (name, label) in one_worker:
                speedup = one_worker[(name, label)] / ours
                print(row.format(f"  speed-up over 1 worker: {speedup:.2f}x", "", "", "", ""))


if __name__ == "__main__":
    main()
