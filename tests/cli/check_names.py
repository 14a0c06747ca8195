#!/usr/bin/env python3
"""Saves persons whose city and state hold quotes, commas and blanks with `kesmora-cli person
save`, then reads the names file with Python's csv module and the output of `person list`:
every value is as it was typed. ("Old" Town once came back as Old.)

usage: check_names.py CLI SCRATCH_DIR
"""
import csv
import io
import os
import shutil
import subprocess
import sys

VALUES = ['"Old" Town', 'Old "Town"', "TX, USA", 'a,"b"', " lead", "trail ", '"', "Zoë"]


def quoted(value):
    return '"' + value.replace('"', '""') + '"'


def main(cli, scratch):
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    names = os.path.join(scratch, "T.FIL")
    typed = {}
    # As the issue typed it, bare; then every value quoted as a CSV writer quotes.
    records = [("Bare", "TX", '"Old" Town', 'Bare,22 Sep 1949,10.43,A,6,95.23,29.45,TX,"Old" Town')]
    for n, value in enumerate(VALUES):
        name = "P%d" % n
        records.append((name, value, value, ",".join([name, "22 Sep 1949", "10.43", "A", "6", "95.23", "29.45",
                                                      quoted(value), quoted(value)])))
    for name, state, city, record in records:
        run = subprocess.run([cli, "person", "save", record, "--file", names, "--home", scratch + "/home"],
                             capture_output=True, encoding="utf-8")
        if run.returncode != 0:
            return "saving %r ended with %d: %s" % (record, run.returncode, run.stderr)
        typed[name] = (state, city)
    with open(names, newline="", encoding="utf-8") as f:
        stored = list(csv.reader(f))
    listed = subprocess.run([cli, "person", "list", "--file", names, "--home", scratch + "/home"],
                            capture_output=True, encoding="utf-8", check=True).stdout
    for source, rows in (("the names file", stored), ("person list", list(csv.reader(io.StringIO(listed))))):
        found = {row[0]: (row[7], row[8]) for row in rows if len(row) == 9}
        if found != typed:
            return "%s holds %r, typed %r" % (source, found, typed)
    print("%d persons read back as typed" % len(typed))
    return None


if __name__ == "__main__":
    problem = main(*sys.argv[1:3]) if len(sys.argv) == 3 else __doc__
    if problem:
        sys.exit(problem)
