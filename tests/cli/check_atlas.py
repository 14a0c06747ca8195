"""The atlas of kesmora-cli against independent sources: Python's zoneinfo on the same tzdata
for the zone in force, published coordinates of each place, and the clocks places kept where
the database records another city's (Bombay's own mean time under "Madras time"; Texas on
standard time in 1949 under Chicago's summer time).

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
    # Bombay kept its own mean time; the database has Madras mean time (5:21:10) for the zone.
    ("Mumbai", "India", "1880-06-01", None, 19.08, -72.88, "another city's mean time: the place's own"),
    ("Chicago", "Illinois", "1949-09-22", "10:43", 41.88, 87.63, "the zone's own city before 1970"),
    ("Houston", "Texas", "1949-09-22", "10:43", 29.76, 95.37, "Chicago's summer time, which Texas did not keep"),
    # Towns of 1,000 to 15,000 people.
    ("Taos", "New Mexico", "2024-07-01", "12:00", 36.41, 105.57, "a town, mountain daylight time"),
    ("Sedona", "Arizona", "2024-07-01", "12:00", 34.87, 111.76, "a town of Arizona, no daylight saving"),
    ("Ojai", "California", "2024-01-15", "12:00", 34.45, 119.24, "a town, Pacific standard time"),
    ("Mount Shasta", "California", "2024-07-01", "12:00", 41.31, 122.31, "a town of two words"),
    ("Marfa", "Texas", "2024-07-01", "12:00", 30.31, 104.02, "a town of two thousand"),
    ("Tobermory", "Ontario", "2024-07-01", "12:00", 45.25, 81.66, "a village of Ontario"),
    ("Rovinj", "Croatia", "2024-07-01", "12:00", 45.08, -13.64, "a town of Istria"),
    ("Hampi", "India", "2024-01-15", "12:00", 15.33, -76.46, "a village of Karnataka"),
    ("Puttaparthi", "India", "2024-01-15", "12:00", 14.17, -77.81, "a town of Andhra Pradesh"),
    # Former names that older birth data carries, found as the places of today.
    ("Bombay", "India", "1975-06-01", "12:00", 19.08, -72.88, "former name of Mumbai"),
    ("Calcutta", "India", "1975-06-01", "12:00", 22.57, -88.36, "former name of Kolkata"),
    ("Madras", "India", "1975-06-01", "12:00", 13.08, -80.27, "former name of Chennai"),
    ("Peking", "China", "1988-07-01", "12:00", 39.91, -116.40, "former name of Beijing, China's summer time"),
    ("Leningrad", "Russia", "1985-07-01", "12:00", 59.94, -30.31, "former name of Saint Petersburg"),
    ("Saigon", "Vietnam", "1980-01-15", "12:00", 10.82, -106.63, "former name of Ho Chi Minh City"),
    # One name in three spellings.
    ("München", "Germany", "2024-07-01", "12:00", 48.14, -11.58, "the native spelling"),
    ("Muenchen", "Germany", "2024-07-01", "12:00", 48.14, -11.58, "the umlaut written out"),
    ("Munich", "Germany", "2024-07-01", "12:00", 48.14, -11.58, "the English name"),
]
# What the first column shows: the place, and the name that matched when it is another one.
SHOWN = {"Bombay": "Mumbai (Bombay)", "Calcutta": "Kolkata (Calcutta)", "Madras": "Chennai (Madras)",
         "Peking": "Beijing (Peking)", "Leningrad": "Saint Petersburg (Leningrad)",
         "Saigon": "Ho Chi Minh City (Saigon)", "New York": "New York City (New York)", "Muenchen": "München", "Munich": "München (Munich)"}
# The state shown for a place GeoNames gives only a code of ("19" for Karnataka).
REGIONS = {"Hampi": "Karnataka, India", "Taos": "New Mexico, "}
# Before 1970 the database's history of a zone is the clock of its city: elsewhere a note says
# so, and --standard-time gives standard time (Texas kept it in 1949: zone 6).
HISTORY_NOTE = "zone history of Chicago; check the local time in force"
NOTES = {("Houston", "1949-09-22"): HISTORY_NOTE}
STANDARD_TIME = {("Houston", "1949-09-22"): 6.0}
COORDINATE_TOLERANCE_DEG = 0.1   # a city's point differs between gazetteers by a few km
ZONE_TOLERANCE_H = 1e-4


def main():
    cli = sys.argv[1]
    failures = 0
    for city, region, date, time, lat, lon, what in CASES:
        args = [cli, "atlas", city, "--state", region, "--date", date] + (["--time", time] if time else [])
        run = subprocess.run(args, capture_output=True, text=True)
        if run.returncode != 0:
            print(f"FAIL {city} {date} ({what}): exit {run.returncode}: {run.stderr.strip()}")
            failures += 1
            continue
        name, region_shown, got_lat, got_lon, zone, kind, zone_name, *note = run.stdout.splitlines()[0].split("\t")
        got_lat, got_lon, zone = float(got_lat), float(got_lon), float(zone)
        y, m, d = map(int, date.split("-"))
        hh, mm = map(int, (time or "12:00").split(":"))
        local = datetime(y, m, d, hh, mm, tzinfo=ZoneInfo(zone_name))  # fold 0: the offset before a change
        zone_tolerance = ZONE_TOLERANCE_H
        if "mean time" in what:
            want_zone, want_kind = lon / 15, "local mean time"
            zone_tolerance = COORDINATE_TOLERANCE_DEG / 15
        elif local.tzname() == "LMT":
            want_zone, want_kind = got_lon / 15, "local mean time"
        else:
            want_zone = -local.utcoffset().total_seconds() / 3600
            dst_h = local.dst().total_seconds() / 3600
            want_kind = ("standard time" if dst_h == 0 else
                         f"daylight saving time ({dst_h:g} hour{'' if dst_h == 1 else 's'})")
        if "two hours" in what:
            want_kind = "daylight saving time (2 hours)"
        problems = []
        if name != SHOWN.get(city, city):
            problems.append(f"shown as '{name}', want '{SHOWN.get(city, city)}'")
        if city in REGIONS and not region_shown.startswith(REGIONS[city]):
            problems.append(f"region '{region_shown}', want '{REGIONS[city]}'")
        if abs(got_lat - lat) > COORDINATE_TOLERANCE_DEG or abs(got_lon - lon) > COORDINATE_TOLERANCE_DEG:
            problems.append(f"place {got_lat:.4f} {got_lon:.4f}, published {lat} {lon}")
        if abs(zone - want_zone) > zone_tolerance:
            problems.append(f"zone {zone}, zoneinfo {want_zone:.5f}")
        if kind != want_kind:
            problems.append(f"kind '{kind}', zoneinfo '{want_kind}'")
        want_note = NOTES.get((city, date), "")
        if (note[0] if note else "") != want_note:
            problems.append(f"note {note}, want '{want_note}'")
        if (city, date) in STANDARD_TIME:
            standard = subprocess.run(args + ["--standard-time"], capture_output=True, text=True)
            fields = standard.stdout.splitlines()[0].split("\t") if standard.returncode == 0 else []
            if fields[4:6] != [f"{STANDARD_TIME[(city, date)]:g}", "standard time"]:
                problems.append(f"--standard-time gives {fields[4:6]}")
        status = "FAIL" if problems else "ok  "
        print(f"{status} {name} {date} {time} ({what}): zone {zone} {kind} {zone_name}. {'; '.join(problems)}")
        failures += bool(problems)
    unknown = subprocess.run([cli, "atlas", "Qxzzyq", "--date", "2024-01-01", "--time", "12:00"],
                             capture_output=True, text=True)
    if unknown.returncode != 2 or not unknown.stderr.startswith("no match: check the spelling"):
        print(f"FAIL an unknown place: exit {unknown.returncode}, '{unknown.stderr.strip()}'")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
