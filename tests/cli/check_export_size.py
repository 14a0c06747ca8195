#!/usr/bin/env python3
"""A search of more hits than the window holds (32,767). Within the limit it stops with exit
code 1, names the limit in force and leaves the files it was to write as they were; with
--max-hits 0 it writes the report, the CSV and the calendar whole: one line, one row and one
event for every hit.

usage: check_export_size.py PROGRAM ARGS...   (the aspectarian command line, without outputs)
"""
import csv
import os
import subprocess
import sys
import tempfile

WINDOW_LIMIT = 32767


def main(argv):
    if len(argv) < 2:
        return __doc__
    with tempfile.TemporaryDirectory() as folder:
        files = {kind: os.path.join(folder, "out." + kind) for kind in ("txt", "csv", "ics")}
        outputs = ["--home", os.path.join(folder, "home"), "--report", files["txt"], "--csv", files["csv"],
                   "--ics", files["ics"]]
        for path in files.values():
            with open(path, "w") as f:
                f.write("old")

        def run(*limit):
            return subprocess.run(argv + outputs + list(limit), capture_output=True)

        for limit, named in (((), WINDOW_LIMIT), (("--max-hits", "100"), 100)):
            stopped = run(*limit)
            error = stopped.stderr.decode(errors="replace")
            if stopped.returncode != 1 or f"more than {named} aspects" not in error:
                return f"{' '.join(limit) or 'the window limit'}: exit code {stopped.returncode}, stderr {error!r}"
            for path in files.values():
                with open(path) as f:
                    if f.read() != "old":
                        return f"{path} was written by a run that stopped at its limit"

        done = run("--max-hits", "0")
        if done.returncode != 0:
            return f"--max-hits 0: exit code {done.returncode}: {done.stderr.decode(errors='replace')}"
        with open(files["csv"], newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f))
        if len(rows) <= WINDOW_LIMIT or any(len(row) != 13 for row in rows):
            return f"the CSV holds {len(rows)} rows, not all of 13 fields"
        with open(files["txt"], newline="", encoding="utf-8") as f:
            lines = f.read().split("\r\n")
        hit_lines = [line for line in lines if line.strip() and not line.startswith("  Aspects found - ")]
        with open(files["ics"], newline="", encoding="utf-8") as f:
            calendar = f.read().split("\r\n")
        events = sum(line == "BEGIN:VEVENT" for line in calendar)
        uids = {line for line in calendar if line.startswith("UID:")}
        if not len(hit_lines) == events == len(uids) == len(rows):
            return f"{len(rows)} CSV rows, {len(hit_lines)} report lines, {events} events, {len(uids)} UIDs"
        print(f"{len(rows)} hits in the report, the CSV and the calendar")
    return None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
