#!/usr/bin/python3
"""Reads an iCalendar file with python3-icalendar and prints what
ics_check.mjs prints: a line for the calendar, then one per event, with
UID, start in UTC, duration in seconds, summary, location, description
and categories, tab-separated.

Each start is turned into UTC three ways, which must agree: as
python3-icalendar reads it (pytz's Europe/Rome, by its TZID), through the
file's own VTIMEZONE, and through zoneinfo's Europe/Rome. Fails on a UID
that is not a version 5 UUID or that was seen before.

Usage: /usr/bin/python3 ics_check.py FILE.ics
"""
import datetime
import sys
import uuid
import zoneinfo

import icalendar


def fail(message):
    sys.exit(f"ics_check.py: {message}")


def main():
    with open(sys.argv[1], "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    zones = calendar.walk("VTIMEZONE")
    if len(zones) != 1 or str(zones[0]["TZID"]) != "Europe/Rome":
        fail("not one VTIMEZONE, Europe/Rome")
    file_zone = zones[0].to_tz()
    rome = zoneinfo.ZoneInfo("Europe/Rome")
    utc = datetime.timezone.utc

    print("\t".join(["calendar"] + [str(calendar.get(p)) for p in
                                    ("NAME", "X-WR-CALNAME", "METHOD", "VERSION")]))
    uids = set()
    for event in calendar.walk("VEVENT"):
        uid = str(event["UID"])
        if uuid.UUID(uid).version != 5 or str(uuid.UUID(uid)) != uid:
            fail(f"UID {uid} is not a version 5 UUID")
        if uid in uids:
            fail(f"UID {uid} twice")
        uids.add(uid)
        start = event["DTSTART"].dt
        if start.tzinfo is None:
            fail(f"{uid}: floating start {start}")
        wall = start.replace(tzinfo=None)
        by_tzid = start.astimezone(utc)
        by_file = file_zone.localize(wall).astimezone(utc)
        by_zoneinfo = wall.replace(tzinfo=rome).astimezone(utc)
        if not by_tzid == by_file == by_zoneinfo:
            fail(f"{uid}: {wall} is {by_tzid} by its TZID, {by_file} by the file's "
                 f"VTIMEZONE, {by_zoneinfo} by zoneinfo")
        categories = event.get("CATEGORIES")
        print("\t".join([
            uid,
            by_zoneinfo.strftime("%Y%m%dT%H%M%SZ"),
            str(int(event["DURATION"].dt.total_seconds())),
            str(event["SUMMARY"]),
            str(event.get("LOCATION", "")),
            str(event["DESCRIPTION"]),
            "" if categories is None else "|".join(str(c) for c in categories.cats),
        ]))


main()
