#!/usr/bin/env python3
"""Runs every benchmark program of a build and prints one table: our time, the reference
library's time for the same case in the same run, the ratio (ours / reference; below 1.0 we
are faster) and whether the case meets its goal. The codec programs run on one worker (the goal
is one core against one core); the programs with threaded paths run again on all workers, so the
table also shows what the threads bring. A one-worker program runs twice, pinned to one core: with
every large buffer of both sides on 2 MiB pages (glibc told to back its heap with them, as our
large blocks are), which compares the codec work itself, and with glibc's defaults, what a user
gets (our large blocks on 2 MiB pages, the reference's heap on 4 KiB ones). Both ratios are
printed; the goal asks both. Then the peak memory of whole-file work, ours beside the
reference libraries, each in a process of its own.

    python3 bench/run_all.py [build-folder] [--filter REGEX] [--repetitions N]

A benchmark pairs with its reference by name: the word for ours (Ours, ours, WithClass) replaced
by the reference's word (Libtiff, libpng, Magick, giflib, WithLibrary...).

Goals: on one worker every case at most 1.0x its reference; on all workers the raster operations
at least 3x faster than ImageMagick (ratio at most 0.33; not asked on a machine of two cores or
fewer) and at least 0.6 x the core count faster than our own one-worker figure; peak memory of
loading a 24-megapixel JPEG and saving it as PNG at most 1.3x the raw pixels; the cases without
a reference (parsing registry files with very deep keys) at most their own time each."""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OURS = re.compile(r"Ours|ours|WithClass")
REFERENCES = ["Libtiff", "libtiff", "libpng", "Libpng", "Magick", "magick", "giflib", "Giflib",
              "WithLibrary", "libjpeg", "Libjpeg", "QPainter", "Plain"]

ONE = {"VELMORA_WORKERS": "1"}
# The two memory set-ups of a one-worker run: (column, environment it adds).
EQUAL_PAGES = {"GLIBC_TUNABLES": "glibc.malloc.hugetlb=1"}
PAGE_SETUPS = [("equal pages", EQUAL_PAGES), ("glibc defaults", {})]
# (program, environment it needs beyond ours, what the runs are called, goal kind)
PROGRAMS = [
    ("bench/tiff/bench_tiff", ONE, "1 worker", "one core"),
    ("bench/tiff/bench_tiff", {}, "all workers", ""),
    ("bench/png/bench_png", ONE, "1 worker", "one core"),
    ("bench/jpeg/bench_jpeg", ONE, "1 worker", "one core"),
    ("bench/bmp/bench_bmp", ONE, "1 worker", "one core"),
    ("bench/pcx/bench_pcx", ONE, "1 worker", "one core"),
    ("bench/psd/bench_psd", ONE, "1 worker", "one core"),
    ("bench/gif/gif_decode_bench", ONE, "1 worker", "one core"),
    ("bench/gif/gif_encode_bench", ONE, "1 worker", "one core"),
    ("bench/gif/gif_reduce_bench", ONE, "1 worker", "one core"),
    ("bench/raster/raster_bench", ONE, "1 worker", "one core"),
    ("bench/raster/raster_bench", {}, "all workers", "threads"),
    ("bench/browse/bench_browse", {"QT_QPA_PLATFORM": "offscreen"}, "", ""),
    ("bench/fireworks/bench_fireworks", {}, "", ""),
]

# One-core cases allowed a little above their reference: JPEG encoding hands the same coded
# bytes to libjpeg-turbo's own code, so ours can only add to it.
ONE_CORE_GOALS = {"EncodeFileQ90WithClass": 1.05}

# Cases with no reference library, judged by their own time: (program, case, goal in ms).
LIMITS = [
    ("bench/registry/bench_registry", "BM_ParseDeepKey/1500", 1000),
    ("bench/registry/bench_registry", "BM_FuzzCorpusDeepKey", 1000),
]

PEAK = "bench/memory/peak_memory"
# (what is measured, our case, the reference's case, goal as a multiple of the raw pixels)
PEAK_CASES = [
    ("load 24 MP JPEG + save PNG", "ours-jpeg-png", "libjpeg-jpeg-png", 1.3),
    ("load 24 MP LZW TIFF", "ours-tiff", "libtiff-tiff", None),
]


def run(build, program, extra_env, pattern, repetitions, core=None):
    path = os.path.join(build, program)
    if not os.path.exists(path):
        print(f"(not built, skipped: {program})", file=sys.stderr)
        return {}
    env = dict(os.environ, MAGICK_CONFIGURE_PATH=os.path.join(HERE, "magick"))
    env.pop("VELMORA_WORKERS", None)
    env.pop("GLIBC_TUNABLES", None)
    env.update(extra_env)
    command = [path, "--benchmark_format=json"]
    if pattern:
        command.append(f"--benchmark_filter={pattern}")
    if repetitions > 1:
        # The median of the repetitions: on a shared machine it stands up to another process's
        # burst better than one run does.
        command += [f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=true"]
    pin = (lambda: os.sched_setaffinity(0, {core})) if core is not None else None
    out = subprocess.run(command, env=env, capture_output=True, text=True, preexec_fn=pin).stdout
    if not out.strip():  # the filter left nothing to run here
        return {}
    times = {}
    for b in json.loads(out)["benchmarks"]:
        wanted = "aggregate" if repetitions > 1 else "iteration"
        if b.get("run_type", "iteration") != wanted:
            continue
        if wanted == "aggregate" and b.get("aggregate_name") != "median":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
        name = b.get("run_name", b["name"])
        times[name] = (b["real_time"] * scale, b.get("label", ""), b.get("file_bytes"))
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


def verdict(met):
    return "met" if met else "NOT MET"


def one_core_pairs(args, program, extra_env):
    """The program's pairs on one pinned core with equal pages, each with its ratio under glibc's
    defaults as well."""
    runs = [{name: (label, ours, reference, size)
             for name, label, ours, reference, size in
             pairs(run(args.build, program, dict(extra_env, **setup), args.filter,
                       args.repetitions, args.core))}
            for _, setup in PAGE_SETUPS]
    equal, defaults = runs
    for name, (label, ours, reference, size) in equal.items():
        default = None
        if name in defaults:
            default = defaults[name][1], defaults[name][1] / defaults[name][2]
        yield name, label, ours, reference, size, default


def run_times(args, row):
    one_worker = {}
    for program, extra_env, runs, goal in PROGRAMS:
        if goal == "one core":
            results = one_core_pairs(args, program, extra_env)
        else:
            results = ((*pair, None) for pair in
                       pairs(run(args.build, program, extra_env, args.filter, args.repetitions)))
        for name, label, ours, reference, size, default in results:
            case = " ".join(filter(None, [name, label, f"({runs})" if runs else ""]))
            ratio = ours / reference
            ratios = f"{ratio:.2f}"
            if default is not None:
                ratios += f" {default[1]:>6.2f}"
            mark = ""
            if goal == "one core":
                most = ONE_CORE_GOALS.get(name.split("/")[0], 1.0)
                mark = verdict(ratio <= most and (default is None or default[1] <= most))
            if goal == "threads" and (os.cpu_count() or 1) > 2:
                mark = verdict(ratio <= 1 / 3)
            print(row.format(case[:66], f"{ours:.1f}", f"{reference:.1f}", ratios, mark, size))
            if runs == "1 worker":
                # The all-workers runs use glibc's defaults, so their speed-up is taken over the
                # one-worker figure with the same.
                one_worker[(program, name, label)] = default[0] if default else ours
            elif (program, name, label) in one_worker:
                speedup = one_worker[(program, name, label)] / ours
                wanted = 0.6 * (os.cpu_count() or 1)
                text = f"  speed-up over 1 worker: {speedup:.2f}x"
                mark = ""
                if goal == "threads":
                    text += f" (goal {wanted:.1f}x)"
                    mark = verdict(speedup >= wanted)
                print(row.format(text, "", "", "", mark, ""))


def run_limits(args, row):
    for program, case, goal in LIMITS:
        times = run(args.build, program, {}, args.filter or case, args.repetitions)
        if case in times:
            ours = times[case][0]
            print(row.format(case, f"{ours:.1f}", "", "", verdict(ours <= goal), f"at most {goal} ms"))


def run_peaks(args):
    path = os.path.join(args.build, PEAK)
    if not os.path.exists(path):
        print(f"(not built, skipped: {PEAK})", file=sys.stderr)
        return
    print()
    # The net figures leave out what the process holds before any work (the same program runs
    # both sides, so those bytes are ours and the reference's alike).
    row = "{:<30} {:>6} {:>6} {:>6} {:>9} {:>8} {:>13} {:>12}  {}"
    print(row.format("peak memory (MB)", "ours", "ref", "ratio", "ours/raw", "ref/raw",
                     "ours net/raw", "ref net/raw", "goal (net)"))
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([path, "prepare", folder], check=True)

        def peak(case):
            out = subprocess.run([path, case, folder], capture_output=True, text=True, check=True)
            fields = dict(item.split("=") for item in out.stdout.split())
            return int(fields["peak_kb"]) / 1024, int(fields["raw_kb"]) / 1024

        baseline, raw = peak("ours-baseline")
        print(row.format("process before any work", f"{baseline:.0f}", "", "", "", "", "", "", ""))
        for what, ours_case, reference_case, goal in PEAK_CASES:
            ours, _ = peak(ours_case)
            reference, _ = peak(reference_case)
            ours_net, reference_net = (ours - baseline) / raw, (reference - baseline) / raw
            mark = verdict(ours_net <= goal) + f" (at most {goal}x)" if goal else ""
            print(row.format(what, f"{ours:.0f}", f"{reference:.0f}", f"{ours / reference:.2f}",
                             f"{ours / raw:.2f}", f"{reference / raw:.2f}", f"{ours_net:.2f}",
                             f"{reference_net:.2f}", mark))
        print(f"raw pixels: {raw:.0f} MB; both sides run in the same program, so each peak "
              f"includes the {baseline:.0f} MB the process holds before any work")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--filter", default="")
    parser.add_argument("--repetitions", type=int, default=1,
                        help="run each case this many times and take the median")
    parser.add_argument("--core", type=int, default=max(os.sched_getaffinity(0)),
                        help="the core the one-worker runs are pinned to")
    args = parser.parse_args()
    print(f"cores: {os.cpu_count()}   load average at start: "
          f"{' '.join(f'{v:.1f}' for v in os.getloadavg())} (1, 5, 15 min)")
    print(f"one-worker runs pinned to core {args.core}; ms and the first ratio with equal pages "
          f"({EQUAL_PAGES['GLIBC_TUNABLES']}), the second with glibc defaults")
    row = "{:<66} {:>10} {:>10} {:>13}  {:<8} {}"
    print(row.format("case", "ours ms", "ref ms", "ratio eq/def", "goal", "file ours / ref"))
    run_times(args, row)
    run_limits(args, row)
    run_peaks(args)
    print(f"load average at end: {' '.join(f'{v:.1f}' for v in os.getloadavg())} (1, 5, 15 min)")


if __name__ == "__main__":
    main()
