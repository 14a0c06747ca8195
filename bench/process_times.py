#!/usr/bin/env python3
"""Times whole kesmora-cli processes against the scan floor.

The year: Sun to Pluto against the natal Sun to Midheaven, the five major aspects, transit
to natal, periods on, from 1 January 2025. The thirty days: the same with the transit
Ascendant and Midheaven and the natal Vertex. The floor: one ephemeris call per moving body
per day over the year, bare, as a process of its own. The election: six conditions over the
same year (the aspects, a sign, a natal house, the clock and the weekday). Each command runs RUNS times; the
best wall and CPU times are shown (the least disturbed by other work on the machine).

usage: bench/process_times.py [BUILD_DIR] [RUNS]
"""
import os
import resource
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build"))
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 20
NATAL = "Example,22 Sep 1949,10.43,A,6.35889,95.23,29.45,TX,Houston"
TRANSIT = "Greenwich,01 Jan 2025,0.00,A,0,0.00,51.29,,Greenwich"
CLI = os.path.join(BUILD, "bin", "kesmora-cli")


def aspectarian(selection, days, *extra):
    return [CLI, "aspectarian", "--natal-data", NATAL, "--transit-data", TRANSIT, "--selection",
            os.path.join(HERE, "data", selection), "--days", str(days), "--passes", "t2n",
            "--report", os.devnull, *extra]


# An election of six conditions over the year (the one of the README, without a search).
ELECTION = ["--require", "time 09:00-17:00", "--require", "weekday Mon,Tue,Wed,Thu,Fri",
            "--avoid", "transit Mars 090 natal Ascendant orb 1", "--avoid", "Moon in Scorpio,Capricorn",
            "--prefer", "transit Jupiter 120 natal Sun orb 2=2", "--prefer", "Venus in natal house 10"]


def elect(days, *conditions):
    return [CLI, "elect", "--natal-data", NATAL, "--transit-data", TRANSIT, "--days", str(days),
            "--csv", os.devnull, *conditions]


def best(command, env):
    walls, cpus = [], []
    for _ in range(RUNS):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return min(walls), min(cpus)


def main():
    env = dict(os.environ)
    env.pop("KESMORA_HOME", None)  # the build tree's own data
    ephems = os.path.join(BUILD, "bin", "ephems")
    floor = [os.path.join(BUILD, "bin", "kesmora-scan-floor"), ephems if os.path.isdir(ephems) else "/usr/share/libswe/ephe"]
    cases = [
        ("scan floor (3,650 calls)", floor),
        ("year, 1 thread", aspectarian("year.opt", 365, "--threads", "1")),
        ("year, 2 threads", aspectarian("year.opt", 365, "--threads", "2")),
        ("30 days with ASC/MC, 1 thread", aspectarian("month_angles.opt", 30, "--threads", "1")),
        ("30 days with ASC/MC, 2 threads", aspectarian("month_angles.opt", 30, "--threads", "2")),
        ("election of 6 conditions, year", elect(365, *ELECTION)),
    ]
    floor_wall = None
    print(f"{'case':34} {'wall s':>8} {'cpu s':>8} {'x floor':>8}")
    for name, command in cases:
        wall, cpu = best(command, env)
        floor_wall = floor_wall or wall
        print(f"{name:34} {wall:8.3f} {cpu:8.3f} {wall / floor_wall:8.2f}")


if __name__ == "__main__":
    main()
