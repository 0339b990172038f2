"""Writes coordinate systems as .prj texts, and GDAL's judgement of which are the same.

    make_corpus.py FOLDER

FOLDER receives N.prj (one text each, in the order of index.txt), index.txt (one line per
text: its EPSG code and form) and same.txt (N lines of N characters, '1' where GDAL's
IsSame calls text i and text j the same coordinate system, else '0').
"""

import os
import re
import sys

from osgeo import osr

osr.UseExceptions()

CODES = [
    # UTM, north and south, on WGS 84 and on other datums of the same ellipsoid or not
    32617, 32618, 32619, 32632, 32633, 32718, 32733, 26918, 25832, 25833, 6707, 23032, 29193,
    # national grids: transverse Mercator, Lambert conformal, stereographic, oblique Mercator,
    # Krovak (both orientations), equal-area, in feet, on other prime meridians
    27700, 2154, 3003, 26591, 3004, 28992, 2056, 21781, 3035, 5070, 2263, 3413, 3031, 3976, 3995,
    32661, 2180, 31370, 5513, 5514, 27572, 2062, 3068, 2193, 27200, 3577, 3034, 3067, 31287,
    2100, 5880, 2039, 3348, 3006, 3376, 3078, 3763, 22185, 3163,
    # geographic and world
    4326, 4269, 4258, 4267, 4230, 4807, 4283, 7844, 6668, 3857, 3395, 4087, 3410, 6933,
]


def forms(code):
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(code)
    yield "ogc", srs.ExportToWkt()
    yield "esri", srs.ExportToWkt(["FORMAT=WKT1_ESRI"])
    yield "pretty", srs.ExportToPrettyWkt()


# A shapefile holds easting, then northing, whatever order the AXIS nodes give (as GDAL's
# shapefile driver reads it), so a northing-first projected system (EPSG:2180, 3035, 6707)
# is the same as its ESRI form, which has no AXIS. GDAL's IsSame compares the order: judge the
# systems with a northing-first pair of axes written easting-first. Directions are kept, so
# Krovak's southing, westing grid still differs from its east, north one.
NORTH_EAST = re.compile(r'AXIS\["([^"]*)",NORTH\],AXIS\["([^"]*)",EAST\]')


def axis_order_aside(text):
    srs = osr.SpatialReference()
    srs.ImportFromWkt(text)
    if srs.IsProjected():
        swapped = NORTH_EAST.sub(r'AXIS["\2",EAST],AXIS["\1",NORTH]', srs.ExportToWkt())
        srs = osr.SpatialReference()
        srs.ImportFromWkt(swapped)
    return srs


def main():
    folder = sys.argv[1]
    names, texts = [], []
    for code in CODES:
        for form, text in forms(code):
            names.append(f"{code} {form}")
            texts.append(text)
    parsed = [axis_order_aside(text) for text in texts]
    for i, text in enumerate(texts):
        with open(os.path.join(folder, f"{i}.prj"), "w", encoding="utf-8", newline="") as out:
            out.write(text)
    with open(os.path.join(folder, "index.txt"), "w", encoding="utf-8") as out:
        out.write("".join(name + "\n" for name in names))
    with open(os.path.join(folder, "same.txt"), "w", encoding="utf-8") as out:
        for a in parsed:
            out.write("".join("1" if a.IsSame(b) else "0" for b in parsed) + "\n")


if __name__ == "__main__":
    main()
