#!/usr/bin/env python3
"""Writes a year of hourly meteorology (8,760 hours) by repeating the sample days of
tests/data/aermod, re-dated day by day, and a deck with one stack and 400 receptors
(a 20 x 20 grid, 200 m apart). Usage: make_mod_year.py DATA_DIR OUT_DIR"""
import datetime
import os
import re
import sys

data, out = sys.argv[1], sys.argv[2]
days = []
for case in ("a1_nws", "a2_tower"):
    sfc = open(os.path.join(data, case, case + ".sfc")).read().splitlines()
    pfl = open(os.path.join(data, case, case + ".pfl")).read().splitlines()
    days.append((sfc[0], sfc[1:], pfl))

head = re.compile(r"^\s*\d+\s+\d+\s+\d+\s+\d+\s+\d+")
phead = re.compile(r"^\s*\d+\s+\d+\s+\d+")
with open(os.path.join(out, "year.sfc"), "w") as s, open(os.path.join(out, "year.pfl"), "w") as p:
    s.write(days[0][0] + "\n")
    day = datetime.date(2023, 1, 1)
    for d in range(365):
        _, sfc, pfl = days[d % 2]
        yy, mm, dd, jd = day.year % 100, day.month, day.day, day.timetuple().tm_yday
        for line in sfc:
            hour = int(line.split()[4])
            s.write(head.sub("%2d %2d %2d %3d %2d" % (yy, mm, dd, jd, hour), line, count=1) + "\n")
        for line in pfl:
            p.write(phead.sub("%2d %2d %2d" % (yy, mm, dd), line, count=1) + "\n")
        day += datetime.timedelta(days=1)

with open(os.path.join(out, "year.inp"), "w") as f:
    f.write("""CO STARTING
   TITLEONE  Benchmark: a year of repeated sample days, 400 receptors
   MODELOPT  CONC  FLAT
   AVERTIME  1
   POLLUTID  OTHER
   RUNORNOT  RUN
CO FINISHED
SO STARTING
   LOCATION  MID  POINT  0.0  0.0  0.0
   SRCPARAM  MID  1.0  60.0  450.0  15.0  3.0
   SRCGROUP  MID  MID
SO FINISHED
RE STARTING
   GRIDCART  G1  STA
   GRIDCART  G1  XYINC  -1900.0  20  200.0  -1900.0  20  200.0
   GRIDCART  G1  END
RE FINISHED
ME STARTING
   SURFFILE  year.sfc
   PROFFILE  year.pfl
   SURFDATA  99102  2023
   UAIRDATA  99101  2023
   PROFBASE  0.0  METERS
ME FINISHED
OU STARTING
   RECTABLE  1  FIRST
   FILEFORM  EXP
   POSTFILE  1  MID  PLOT  year_mid_01h.pst
   PLOTFILE  1  MID  FIRST  year_mid_01h.plt
OU FINISHED
""")
