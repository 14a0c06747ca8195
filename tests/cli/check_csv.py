#!/usr/bin/env python3
"""Reads a CSV export with Python's csv module, as spreadsheets read it: every row must hold
the 13 grid columns, and position cells must keep their seconds mark. With --columns 5, the
rows are those of `kesmora-cli events`: kind, body, start, end, entered.

usage: check_csv.py [--columns N] FILE
       check_csv.py -- PROGRAM ARGS...   runs the program in a fresh program folder (--home)
                                         and reads its standard output
"""
import csv
import io
import subprocess
import sys
import tempfile


COLUMNS = 13


def check(data, source):
    rows = list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))
    if not rows:
        return f"{source}: no rows"
    for number, row in enumerate(rows, 1):
        if len(row) != COLUMNS:
            return f"{source}: row {number} has {len(row)} fields, not {COLUMNS}: {row}"
        for cell in (row[2], row[7]) if COLUMNS == 13 else ():  # "Exact T. Position", "Exact P2 Position"
            if "'" in cell and not cell.endswith('"'):
                return f"{source}: row {number}: position {cell!r} lost its seconds mark"
    print(f"{source}: {len(rows)} rows of {COLUMNS} fields")
    return None


def main(argv):
    global COLUMNS
    if len(argv) >= 2 and argv[0] == "--columns":
        COLUMNS = int(argv[1])
        argv = argv[2:]
    if len(argv) >= 2 and argv[0] == "--":
        with tempfile.TemporaryDirectory() as home:
            run = subprocess.run(argv[1:] + ["--home", home], capture_output=True)
        if run.returncode != 0:
            return f"{argv[1]} ended with {run.returncode}: {run.stderr.decode(errors='replace')}"
        return check(run.stdout, "export of the run")
    if len(argv) == 1:
        with open(argv[0], "rb") as f:
            return check(f.read(), argv[0])
    return __doc__


if __name__ == "__main__":
    problem = main(sys.argv[1:])
    if problem:
        sys.exit(problem)
