"""The atlas of kesmora-cli against independent sources: Python's zoneinfo on the same tzdata
for the zone in force, and published coordinates of each place.

usage: check_atlas.py KESMORA-CLI
"""
import subprocess
import sys
from datetime import datetime
from zoneinfo import ZoneInfo

# city, state or country, local date, time, latitude (N+), longitude (W+) as published
# (Wikipedia's infobox coordinates, rounded to 0.01 degree), what the case covers.
CASES = [
    ("Houston", "Texas", "2024-07-01", "12:00", 29.76, 95.37, "northern, west, daylight saving"),
    ("Houston", "Texas", "2024-01-15", "12:00", 29.76, 95.37, "the same place in standard time"),
    ("Sydney", "Australia", "2024-01-15", "12:00", -33.87, -151.21, "southern, east, summer in January"),
    ("Sydney", "Australia", "2024-07-15", "12:00", -33.87, -151.21, "southern winter"),
    ("Buenos Aires", "Argentina", "2024-07-01", "09:00", -34.60, 58.38, "southern, west"),
    ("London", "United Kingdom", "2024-07-01", "12:00", 51.51, 0.13, "just west of Greenwich"),
    # zoneinfo guesses one hour of summer time here; British Double Summer Time was two hours
    # ahead of GMT (checked below against that, the offset against zoneinfo).
    ("London", "United Kingdom", "1941-06-01", "12:00", 51.51, 0.13, "double summer time, two hours"),
    ("Mumbai", "India", "2024-06-01", "12:00", 19.08, -72.88, "half-hour zone"),
    ("Adelaide", "Australia", "2024-01-15", "12:00", -34.93, -138.60, "half-hour zone with daylight saving"),
    ("Kathmandu", "Nepal", "2024-06-01", "12:00", 27.71, -85.32, "45-minute zone"),
    ("New York", "New York", "2024-03-10", "02:30", 40.71, 74.01, "the skipped hour of spring"),
    ("New York", "New York", "2024-11-03", "01:30", 40.71, 74.01, "the repeated hour of autumn"),
    ("Chicago", "Illinois", "1880-06-01", "12:00", 41.88, 87.63, "before standard time: local mean time"),
    ("Tokyo", "Japan", "2024-06-01", "12:00", 35.68, -139.69, "east, no daylight saving"),
]
COORDINATE_TOLERANCE_DEG = 0.1   # a city's point differs between gazetteers by a few km
ZONE_TOLERANCE_H = 1e-4


def main():
    cli = sys.argv[1]
    failures = 0
    for city, region, date, time, lat, lon, what in CASES:
        run = subprocess.run([cli, "atlas", city, "--state", region, "--date", date, "--time", time],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(f"FAIL {city} {date} ({what}): exit {run.returncode}: {run.stderr.strip()}")
            failures += 1
            continue
        name, _, got_lat, got_lon, zone, kind, zone_name = run.stdout.splitlines()[0].split("\t")
        got_lat, got_lon, zone = float(got_lat), float(got_lon), float(zone)
        y, m, d = map(int, date.split("-"))
        hh, mm = map(int, time.split(":"))
        local = datetime(y, m, d, hh, mm, tzinfo=ZoneInfo(zone_name))  # fold 0: the offset before a change
        if local.tzname() == "LMT":
            want_zone, want_kind = got_lon / 15, "local mean time"
        else:
            want_zone = -local.utcoffset().total_seconds() / 3600
            dst_h = local.dst().total_seconds() / 3600
            want_kind = ("standard time" if dst_h == 0 else
                         f"daylight saving time ({dst_h:g} hour{'' if dst_h == 1 else 's'})")
        if "two hours" in what:
            want_kind = "daylight saving time (2 hours)"
        problems = []
        if abs(got_lat - lat) > COORDINATE_TOLERANCE_DEG or abs(got_lon - lon) > COORDINATE_TOLERANCE_DEG:
            problems.append(f"place {got_lat:.4f} {got_lon:.4f}, published {lat} {lon}")
        if abs(zone - want_zone) > ZONE_TOLERANCE_H:
            problems.append(f"zone {zone}, zoneinfo {want_zone:.5f}")
        if kind != want_kind:
            problems.append(f"kind '{kind}', zoneinfo '{want_kind}'")
        status = "FAIL" if problems else "ok  "
        print(f"{status} {name} {date} {time} ({what}): zone {zone} {kind} {zone_name}. {'; '.join(problems)}")
        failures += bool(problems)
    unknown = subprocess.run([cli, "atlas", "Qxzzyq", "--date", "2024-01-01", "--time", "12:00"],
                             capture_output=True, text=True)
    if unknown.returncode != 1 or unknown.stderr.strip() != "no match":
        print(f"FAIL an unknown place: exit {unknown.returncode}, '{unknown.stderr.strip()}'")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
