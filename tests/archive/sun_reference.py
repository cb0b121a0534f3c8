#!/usr/bin/python3
"""The sun's apparent topocentric zenith and azimuth by PyEphem, without refraction, for the C++ tests.

sun_reference.py LAT LON HEIGHT T...: latitude and longitude in degrees (north and east positive),
height in m, instants in s since 1970 UTC. Prints a JSON list of [zenith, azimuth] in degrees.
"""
import datetime
import json
import math
import sys

import ephem


def main():
    lat, lon, height = (float(x) for x in sys.argv[1:4])
    site = ephem.Observer()
    site.lat = ephem.degrees(math.radians(lat))
    site.lon = ephem.degrees(math.radians(lon))
    site.elevation = height
    site.pressure = 0  # no refraction
    sun = ephem.Sun()
    out = []
    for t in sys.argv[4:]:
        site.date = ephem.Date(datetime.datetime.fromtimestamp(int(t), datetime.timezone.utc).replace(tzinfo=None))
        sun.compute(site)
        out.append([90.0 - math.degrees(sun.alt), math.degrees(sun.az)])
    print(json.dumps(out))


if __name__ == "__main__":
    main()
