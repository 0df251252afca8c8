# SPDX-License-Identifier: GPL-3.0-or-later
"""Times reading pattern files and their figures, three ways, over the same
1,000 files (the samples and random patterns written by Pattern.write):

  atn      atn info --json over all files, one process
  veloran  veloran.read(f).metrics() for each file, and veloran.read alone
  numpy    a plain NumPy parser of the file (the lines of the two planes
           through numpy.array(..., dtype=float)), and numpy.loadtxt

Each is run three times and the best is kept; the machine's load is printed
before each. Usage: bench_read.py ATN SAMPLES_FOLDER [FILES]
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np

import veloran


def load():
    return " ".join("%.2f" % v for v in os.getloadavg())


def best(label, fn, runs=3):
    times = []
    for _ in range(runs):
        print("load: %s" % load(), flush=True)
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    print("%-34s %.3f s (runs: %s)" % (label, min(times), ", ".join("%.3f" % t for t in times)),
          flush=True)
    return min(times)


def numpy_parse(path):
    with open(path, encoding="latin-1", newline="\n") as f:
        lines = f.read().split("\n")
    n = int(lines[0].split()[3])
    e = np.array(lines[4 + n:364 + n], dtype=float)
    h = np.array(lines[366 + n:726 + n], dtype=float)
    return e, h


def numpy_loadtxt(path):
    with open(path, encoding="latin-1", newline="\n") as f:
        n = int(f.readline().split()[3])
    e = np.loadtxt(path, skiprows=4 + n, max_rows=360)
    h = np.loadtxt(path, skiprows=366 + n, max_rows=360)
    return e, h


def make_files(folder, samples, count):
    rng = np.random.default_rng(1)
    sources = sorted(os.path.join(samples, f) for f in os.listdir(samples) if f.endswith(".atn"))
    files = []
    for i in range(count):
        path = os.path.join(folder, "p%04d.atn" % i)
        if i % 2 == 0:
            shutil.copyfile(sources[i // 2 % len(sources)], path)
        else:
            base = veloran.read(sources[i // 2 % len(sources)])
            base.e = np.clip(base.e + rng.normal(0, 0.3, 360), -30, None)
            base.rotate("h", int(rng.integers(0, 360)))
            base.write(path)
        files.append(path)
    return files


def main():
    atn, samples = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    folder = tempfile.mkdtemp(prefix="veloran-bench.")
    try:
        files = make_files(folder, samples, count)
        print("%d files, %d cores, Python %s, NumPy %s" % (
            len(files), os.cpu_count(), sys.version.split()[0], np.__version__))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")

        def run_atn():
            subprocess.run([atn, "info", "--json", *files], stdout=subprocess.DEVNULL,
                           env=env, check=True)

        def read_metrics():
            for f in files:
                veloran.read(f).metrics()

        def read_only():
            for f in files:
                veloran.read(f)

        def parse():
            for f in files:
                numpy_parse(f)

        def loadtxt():
            for f in files:
                numpy_loadtxt(f)

        # The parsers read what veloran reads.
        p = veloran.read(files[0])
        e, h = numpy_parse(files[0])
        assert np.array_equal(e, p.e) and np.array_equal(h, p.h)

        t_atn = best("atn info --json", run_atn)
        t_vm = best("veloran read + metrics", read_metrics)
        t_vr = best("veloran read", read_only)
        t_np = best("numpy parser (numpy.array)", parse)
        t_lt = best("numpy parser (numpy.loadtxt)", loadtxt)
        print("veloran read + metrics / atn info --json: %.2f (at most 1.5)" % (t_vm / t_atn))
        print("veloran read / numpy parser: %.2f; / numpy.loadtxt: %.2f (below 1: ahead)" % (
            t_vr / t_np, t_vr / t_lt))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
