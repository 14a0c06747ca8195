#!/usr/bin/env python3
"""Peak memory of whole kesmora-cli processes, and the memory each kept hit costs.

Each case is one process; its peak resident size (maxrss) comes from wait4. The memory per
hit is the peak above that of a run of one day (some 10 MB: the program, its tables and the
ephemeris files), divided by the hits the run wrote (the rows of its CSV). The last case
stops at the window's limit of 32,767 hits: its wall time and peak show what a run past the
limit costs before it stops.

usage: bench/export_memory.py [BUILD_DIR]
"""
import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build"))
CLI = os.path.join(BUILD, "bin", "kesmora-cli")
NATAL = "Example,22 Sep 1949,10.43,A,6.35889,95.23,29.45,TX,Houston"
TRANSIT = "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich"
ANGLES = os.path.join(HERE, "..", "tests", "cli", "data", "angles.opt")
EVERY_BODY = os.path.join(HERE, "data", "every_body.opt")


def run(args, home):
    """Exit code, wall seconds and peak resident kilobytes of one process."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, 1)
        os.dup2(devnull, 2)
        os.execv(CLI, [CLI, "aspectarian", "--home", home, "--natal-data", NATAL, "--transit-data", TRANSIT,
                       "--passes", "t2n"] + args)
    _, status, usage = os.wait4(pid, 0)
    return os.waitstatus_to_exitcode(status), time.perf_counter() - start, usage.ru_maxrss


def rows(path):
    with open(path, "rb") as f:
        return sum(1 for _ in f)


def main():
    with tempfile.TemporaryDirectory() as folder:
        home = os.path.join(folder, "home")
        outputs = ["--report", os.path.join(folder, "r.txt"), "--csv", os.path.join(folder, "h.csv"),
                   "--ics", os.path.join(folder, "c.ics")]
        # The first run fills the new program directory, which costs memory of its own.
        for _ in range(2):
            _, _, base = run(["--selection", EVERY_BODY, "--days", "1"] + outputs, home)
        print(f"{'case':44} {'exit':>4} {'wall s':>7} {'hits':>8} {'peak MB':>8} {'B/hit':>6}")
        cases = [
            ("every body, 640 days, report+CSV+ICS", ["--selection", EVERY_BODY, "--days", "640"]),
            ("angles, 28 days, report+CSV+ICS", ["--selection", ANGLES, "--days", "28"]),
            ("angles, 280 days, report+CSV+ICS", ["--selection", ANGLES, "--days", "280"]),
        ]
        for name, args in cases:
            code, wall, peak = run(args + outputs + ["--max-hits", "0"], home)
            hits = rows(os.path.join(folder, "h.csv"))
            per_hit = (peak - base) * 1024 / hits if code == 0 and hits else float("nan")
            print(f"{name:44} {code:4} {wall:7.2f} {hits:8} {peak / 1024:8.1f} {per_hit:6.0f}")
        code, wall, peak = run(["--selection", ANGLES, "--days", "3650", "--report", os.devnull], home)
        print(f"{'angles, 3650 days, stopped at 32,767 hits':44} {code:4} {wall:7.2f} {'':8} {peak / 1024:8.1f}")


if __name__ == "__main__":
    main()
