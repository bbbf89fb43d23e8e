#!/usr/bin/env python3
"""Writes two realistic calendars of matches for the benchmark.

Each calendar holds N match lines, grouped into match days under headings
("Giornata 12") with empty lines between them, in increasing order of date and
time. Calendar 1 has two-digit years, calendar 2 four-digit years. Both draw
their dates from the same span and their times from the same few kick-off
slots, so many lines share a date and many pairs of lines, one from each
calendar, tie on date and time. Match numbers restart with every season and so
have one to three digits. Places and teams include accented letters, written as
Latin-1 bytes (or, with --encoding utf-8, as UTF-8); lines end in LF.

Every match is played at its home team's place. On each date the teams are
split in two halves, one at home in each calendar, and a team plays at home at
most once a date until its calendar's half is used up: two matches meet at one
place only on a date crowded with matches, as in two calendars of one club.

Usage: genera.py [--lines N] [--seed S] [--encoding latin-1|utf-8] FOLDER
"""

import argparse
import datetime
import os
import random
import sys

# Kick-off times, as minutes from midnight.
SLOTS = [12 * 60 + 30, 14 * 60 + 30, 15 * 60, 18 * 60, 20 * 60 + 45]

# Two-digit years order correctly only within one century.
FIRST_DAY = datetime.date(2000, 1, 1).toordinal()
LAST_DAY = datetime.date(2099, 12, 31).toordinal()

# The place of each team of TEAMS, in the same order.
PLACES = [
    "Roma", "Forlì", "Cantù", "Paternò", "Bari", "Lecce", "Siena", "Tortolì",
    "Mondovì", "Canicattì", "Sanremo", "Chiavari", "Agrigento", "Cefalù", "Udine",
    "Gorizia", "Scicli", "Sestrière", "Aosta", "Viterbo",
]

TEAMS = [
    "Pro Vercelli", "Unione Sanità", "Forlì Calcio", "Real Cantù", "Virtus Paternò",
    "Atletico Mondovì", "Città di Castello", "Sporting Cefalù", "Juve Stabia",
    "Polisportiva Tortolì", "Audace Cerignola", "Fiorentina", "Libertà Udine",
    "San Nicolò", "Società Ginnastica", "Olimpia Chiavari", "Calcio Sestrière",
    "Gioventù Aostana", "Ravenna", "Spal",
]

SEASON = 380  # matches numbered 1 to 380, then from 1 again
MATCH_DAY = 10  # matches under one heading


def keys(rng, n):
    """n sorted (day, minute) keys spread so that about ten lines share a date."""
    span = min(LAST_DAY - FIRST_DAY + 1, max(30, n // 10))
    first = FIRST_DAY + (LAST_DAY - FIRST_DAY + 1 - span) // 2
    days = [first + rng.randrange(span) for _ in range(n)]
    minutes = [rng.choice(SLOTS) for _ in range(n)]
    return sorted(zip(days, minutes))


def home_teams(day, half):
    """The teams at home on `day` in the calendar of `half` (0 or 1), in order
    of play: the two calendars' halves are apart."""
    order = list(range(len(TEAMS)))
    random.Random(day).shuffle(order)
    middle = len(order) // 2
    return order[middle:] if half else order[:middle]


def calendar_chunks(rng, n, four_digit_years, encoding):
    """The calendar's bytes, in large chunks."""
    dates = {}
    teams = [t.encode(encoding) for t in TEAMS]
    places = [p.encode(encoding) for p in PLACES]
    half = 1 if four_digit_years else 0
    homes = []
    out = []
    giornata = 0
    for i, (day, minute) in enumerate(keys(rng, n)):
        number = i % SEASON + 1
        if i % MATCH_DAY == 0:
            if i > 0:
                out.append(b"\n")
            giornata = giornata + 1 if number > 1 else 1
            out.append(b"Giornata %d\n" % giornata)
        date = dates.get(day)
        if date is None:
            d = datetime.date.fromordinal(day)
            year = d.year if four_digit_years else d.year % 100
            date = b"%02d/%02d/%0*d" % (d.day, d.month, 4 if four_digit_years else 2, year)
            dates[day] = date
            homes = home_teams(day, half)
        home = homes.pop(0)
        homes.append(home)
        away = (home + 1 + rng.randrange(len(TEAMS) - 1)) % len(TEAMS)
        out.append(b"%d %s %02d:%02d %s %s\n" % (
            number, date, minute // 60, minute % 60,
            places[home], teams[home] + b" - " + teams[away]))
        if len(out) >= 65536:
            yield b"".join(out)
            out.clear()
    yield b"".join(out)


def write_calendars(folder, lines, seed=2008, encoding="latin-1"):
    """Writes calendario1.txt and calendario2.txt into `folder`."""
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(seed)
    for name, four in (("calendario1.txt", False), ("calendario2.txt", True)):
        with open(os.path.join(folder, name), "wb") as f:
            for chunk in calendar_chunks(rng, lines, four, encoding):
                f.write(chunk)


def main():
    parser = argparse.ArgumentParser(description="Writes calendario1.txt and calendario2.txt.")
    parser.add_argument("folder")
    parser.add_argument("--lines", type=int, default=500_000,
                        help="match lines in each calendar (default 500000)")
    parser.add_argument("--seed", type=int, default=2008)
    parser.add_argument("--encoding", choices=["latin-1", "utf-8"], default="latin-1")
    args = parser.parse_args()
    if args.lines < 0:
        parser.error("--lines must not be negative")
    write_calendars(args.folder, args.lines, args.seed, args.encoding)
    return 0


if __name__ == "__main__":
    sys.exit(main())
