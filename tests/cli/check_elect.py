#!/usr/bin/env python3
"""kesmora-cli elect: bad input refused with one line and exit code 2, the files it was to
write left as they were; a good election written as CSV and calendar that independent readers
(Python's csv, python3-icalendar) read back as the same windows.

usage: check_elect.py PROGRAM FOLDER SELECTION
"""
import csv
import datetime
import io
import os
import shutil
import subprocess
import sys

HOUSTON = "Houston,20 Oct 2026,0.00,A,6,95.22,29.46,TX,Houston"

# (arguments, what the message says)
REFUSED = [
    (["--require", "transit Jupitor 120 natal Sun orb 2"], "not 'Jupitor'"),
    (["--require", "transit Jupiter 100 natal Sun orb 2"], "expected an aspect"),
    (["--avoid", "transit Mars 090 natal Ascendant orb -1"], "not '-1'"),
    (["--avoid", "transit Mars 090 natal Ascendant orb 200"], "not '200'"),
    (["--require", "Moon in mansion 28"], "a mansion from 1 to 27"),
    (["--require", "time 25:00-26:00"], "HH:MM-HH:MM"),
    (["--prefer", "hits >= 3=0"], "a weight"),
    ([], "the election holds no condition"),
    (["--election", "{folder}/broken.elc"], "line 3 (avoid Moon in Gemini,Virgoo)"),
    (["--election", "{folder}/empty.elc"], "holds no condition"),
    (["--election", "{folder}/missing.elc"], "cannot be read"),
    (["--election", "{folder}/broken.elc", "--require", "Moon void"], "excludes"),
    (["--require", "time 09:00-17:00", "--min-minutes", "nan"], "'nan' is not a number"),
]


def main(argv):
    if len(argv) != 4:
        return __doc__
    program, folder, selection = argv[1], argv[2], argv[3]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with open(os.path.join(folder, "broken.elc"), "w", newline="") as f:
        f.write("# a lease\r\nrequire time 09:00-17:00\r\navoid Moon in Gemini,Virgoo\r\n")
    with open(os.path.join(folder, "empty.elc"), "w") as f:
        f.write("# nothing yet\n\n")
    out = {kind: os.path.join(folder, "out." + kind) for kind in ("csv", "ics")}
    base = [program, "elect", "--home", os.path.join(folder, "home"), "--natal", "Example", "--transit-data", HOUSTON,
            "--days", "20", "--csv", out["csv"], "--ics", out["ics"]]

    for args, said in REFUSED:
        for path in out.values():
            with open(path, "w") as f:
                f.write("old")
        run = subprocess.run(base + [a.format(folder=folder) for a in args], capture_output=True, text=True)
        lines = run.stderr.splitlines()
        if run.returncode != 2 or len(lines) != 1 or said not in lines[0]:
            return f"{args}: exit code {run.returncode}, stderr {run.stderr!r}, expected one line saying {said!r}"
        for path in out.values():
            with open(path) as f:
                if f.read() != "old":
                    return f"{args}: {path} was written by a refused election"

    # A good election: the CSV rows and the calendar's events are the same windows.
    election = os.path.join(folder, "good.elc")
    with open(election, "w") as f:
        f.write("require time 08:00-20:00\nrequire Moon in Aries,Taurus,Leo,Sagittarius\n"
                "avoid transit Mars 090 natal Ascendant orb 1\nprefer 2 hits >= 2\nprefer Venus in Scorpio\n")
    run = subprocess.run(base + ["--election", election, "--selection", selection, "--date-order", "2", "--top", "8"],
                         capture_output=True, text=True)
    if run.returncode != 0:
        return f"good election: exit code {run.returncode}, stderr {run.stderr!r}"
    with open(out["csv"], "rb") as f:
        data = f.read()
    if b"\r\n" not in data or data.replace(b"\r\n", b"").count(b"\n"):
        return "the CSV lines do not all end in CR LF"
    rows = list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))
    if rows[0] != ["Rank", "Start", "End", "Minutes", "Score", "Preferred"] or not 1 < len(rows) <= 9:
        return f"CSV: {rows[:3]}"
    scores = [float(r[4]) for r in rows[1:]]
    if scores != sorted(scores, reverse=True):
        return f"windows not ranked by score: {scores}"
    import icalendar  # Debian's python3-icalendar
    with open(out["ics"], "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    events = [e for e in calendar.walk("VEVENT")]
    if len(events) != len(rows) - 1 or len({str(e["UID"]) for e in events}) != len(events):
        return f"{len(events)} events with unique UIDs for {len(rows) - 1} windows"
    zone = datetime.timezone(datetime.timedelta(hours=-6))  # Houston's field: 6 hours west
    for row, event in zip(rows[1:], events):
        start = datetime.datetime.strptime(row[1], "%Y/%m/%d %H:%M:%S").replace(tzinfo=zone)
        end = datetime.datetime.strptime(row[2], "%Y/%m/%d %H:%M:%S").replace(tzinfo=zone)
        if event["DTSTART"].dt != start or event["DTEND"].dt != end:
            return f"event {event['DTSTART'].dt} to {event['DTEND'].dt} is not the window {row[1]} to {row[2]}"
        minutes = (end - start).total_seconds() / 60
        if minutes < 10 - 1 / 60 or abs(minutes - float(row[3])) > 0.51:
            return f"window {row[1]} to {row[2]} of {row[3]} minutes"
        if start.hour < 8 or (end.hour, end.minute, end.second) > (20, 0, 0) or start.date() != end.date():
            return f"window {row[1]} to {row[2]} outside 08:00 to 20:00"
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
