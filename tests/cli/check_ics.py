"""Checks kesmora-cli's calendar export with an independent iCalendar parser (python3-icalendar).

Runs one aspectarian search writing the grid as CSV and the hits as an .ics file, then:
both files are UTF-8 and every calendar line has at most 75 octets (RFC 5545 3.1); every hit is
one event, each DTSTART/DTEND is the grid's start/end period (or its exact moment when the
period is missing) taken from the zone's local time to UTC, the calendar parses without
errors, and a second export gives the same UIDs. With --t2n FILE among the arguments, every
label of that list (read as UTF-8, else as Windows-1252) is the T. Planet of some hit.
With --layout events the CSV is that of `kesmora-cli events`: kind, body, start, end, entered,
each event from its start to its end (a moment where the end is empty).
usage: check_ics.py [--layout grid|events] CLI ZONE_HOURS_WEST SCRATCH_DIR -- ARGS...
"""
import csv
import datetime
import os
import subprocess
import sys

from icalendar import Calendar


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def export(cli, args, scratch, name):
    csv_file, ics_file = os.path.join(scratch, name + ".csv"), os.path.join(scratch, name + ".ics")
    # A long label once made the calendar's line folding run for ever.
    subprocess.run([cli] + args + ["--csv", csv_file, "--ics", ics_file], check=True, timeout=300)
    # RFC 4180: every cell quoted, a quote inside one (the seconds mark) doubled; UTF-8.
    with open(csv_file, newline="", encoding="utf-8") as f:
        rows = [row for row in csv.reader(f) if row]
    with open(ics_file, "rb") as f:
        raw = f.read()
    try:
        raw.decode("utf-8")
    except UnicodeDecodeError as e:
        fail("the calendar is not UTF-8: %s" % e)
    for number, line in enumerate(raw.split(b"\r\n"), 1):
        if len(line) > 75:
            fail("calendar line %d has %d octets: %r" % (number, len(line), line[:80]))
    return rows, raw


def list_labels(args):
    if "--t2n" not in args:
        return []
    with open(args[args.index("--t2n") + 1], "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("cp1252")
    return [line.split("/")[0] for line in text.splitlines() if "/" in line]


# Where each layout keeps the start, exact moment and end, and the cells the summary starts with.
LAYOUTS = {
    "grid": {"start": 10, "exact": 11, "end": 12, "summary": (1, 5, 6)},
    "events": {"start": 2, "exact": 2, "end": 3, "summary": (0, 1)},
}


def main():
    argv = sys.argv[1:]
    layout = LAYOUTS["grid"]
    if argv[0] == "--layout":
        layout = LAYOUTS[argv[1]]
        argv = argv[2:]
    cli, zone, scratch = argv[0], float(argv[1]), argv[2]
    args = sys.argv[sys.argv.index("--") + 1:]
    os.makedirs(scratch, exist_ok=True)
    rows, raw = export(cli, args, scratch, "first")
    if not rows:
        fail("the search found no hits to compare")
    if b"\r\n" not in raw or b"\n" in raw.replace(b"\r\n", b""):
        fail("lines must end with CR LF")
    calendar = Calendar.from_ical(raw)
    events = calendar.walk("VEVENT")
    if len(events) != len(rows):
        fail("%d events for %d hits" % (len(events), len(rows)))
    for component in calendar.walk():
        if component.errors:
            fail("parser errors in %s: %s" % (component.name, component.errors))

    def utc(text):  # the grid's local "yyyy/mm/dd hh:mm:ss" (date order 2) to UTC
        local = datetime.datetime.strptime(text, "%Y/%m/%d %H:%M:%S")
        return (local + datetime.timedelta(hours=zone)).replace(tzinfo=datetime.timezone.utc)

    for n, (row, event) in enumerate(zip(rows, events), 1):
        start_text, exact_text, end_text = row[layout["start"]], row[layout["exact"]], row[layout["end"]]
        want_start = utc(start_text or exact_text)
        want_end = utc(end_text or exact_text)
        got_start = event.decoded("DTSTART")
        got_end = event.decoded("DTEND") if "DTEND" in event else got_start
        if (got_start, got_end) != (want_start, want_end):
            fail("hit %d: event %s - %s, grid %s - %s" % (n, got_start, got_end, want_start, want_end))
        summary = str(event["SUMMARY"])
        if not summary.startswith(" ".join(row[k] for k in layout["summary"])):
            fail("hit %d: summary %r" % (n, summary))
        if exact_text not in str(event["DESCRIPTION"]):
            fail("hit %d: the exact time is not in the description" % n)
    shown = {row[1] for row in rows}
    for label in list_labels(args):
        if label not in shown:
            fail("the label %r is no T. Planet of the grid" % label)
    uids = [str(e["UID"]) for e in events]
    if len(set(uids)) != len(uids):
        fail("UIDs repeat")
    _, raw_again = export(cli, args, scratch, "again")
    again = [str(e["UID"]) for e in Calendar.from_ical(raw_again).walk("VEVENT")]
    if again != uids:
        fail("a second export changed the UIDs")
    print("%d events match the grid" % len(events))


if __name__ == "__main__":
    main()
