#!/usr/bin/python3
"""Renders the copper files of the example board examples/pours.pcb with gerbv and checks the
picture where the pours must be: copper inside each pour and bare board outside it, a bare ring
round the pad without a plane connection (plane code 1), copper joining the directly connected
pad (plane code 3), spokes across the clearance of the thermal pads (plane codes 2 and 6) when
thermals are on and none when they are off, and clearances round the track, via, fill and arc.

usage: pour_render_check.py GTL GBL thermals|nothermals     exit 0 when every point is right
"""
import math
import os
import subprocess
import sys
import tempfile

import png_rows

DPI = 1000  # one pixel per mil
ORIGIN = (900, 900)  # mils: the lower-left corner of the board outline
SIZE = (1800, 1200)  # mils


def render(gerber, png):
    subprocess.run(["gerbv", "-x", "png", "-B", "0", "--dpi", str(DPI),
                    "-O", f"{ORIGIN[0] / 1000}x{ORIGIN[1] / 1000}",
                    "-W", f"{SIZE[0] / 1000}x{SIZE[1] / 1000}",
                    "-f", "#FFFFFFFF", "-b", "#000000", "-o", png, gerber],
                   check=True, capture_output=True)
    return png_rows.read_png(png)


def copper_at(picture, x, y):
    """Whether the board point (x, y) in mils is copper (white) in the picture."""
    width, height, bpp, rows = picture
    px = round((x - ORIGIN[0]) * DPI / 1000)
    py = round((ORIGIN[1] + SIZE[1] - y) * DPI / 1000)
    assert 0 <= px < width and 0 <= py < height, f"{x},{y} outside the picture"
    return rows[py][px * bpp] > 127


def around(cx, cy, r, degrees):
    return [(cx + r * math.cos(math.radians(d)), cy + r * math.sin(math.radians(d)))
            for d in degrees]


AXES = (0, 90, 180, 270)
DIAGONALS = (45, 135, 225, 315)
RING = 31.5  # between a 60-mil pad (radius 30) and its 66-mil pour clearance (radius 33)


def expectations(layer, thermals):
    """(what, point, copper?) for one copper layer of the example board."""
    out = []

    def want(what, points, copper):
        out.extend((what, p, copper) for p in points)

    want("copper inside the pour", [(1100, 1500), (2500, 1500), (1800, 1900), (1800, 1100)], True)
    want("bare board outside the pour", [(950, 1500), (2650, 1500), (1800, 950), (1800, 2050)],
         False)
    if layer == "GTL":
        want("bare board in the rounded corner", [(1012, 1012), (2588, 1988)], False)
        want("copper inside the rounded corner", [(1045, 1045), (2555, 1955)], True)
        # the track to the plane-code-1 pad leaves it upwards
        want("bare ring round the plane-code-1 pad", around(1300, 1300, RING, (0, 180, 270)),
             False)
        want("bare ring round the track", [(1307.5, 1500), (1292.5, 1500)], False)
        want("copper of the track and the pour beside it", [(1300, 1500), (1316, 1500)], True)
        want("bare ring round the via", around(2000, 1700, 26.5, (0, 90, 270)), False)
        want("bare ring round the fill", [(2401.5, 1700), (2198.5, 1700), (2300, 1801.5)], False)
        want("copper of the fill and the pour beside it", [(2300, 1700), (2406, 1700)], True)
        thermal_pads = [(1600, 1300), (2200, 1300)]
    else:
        want("copper in the square corner", [(1004, 1004), (2596, 1996)], True)
        want("bare ring round the plane-code-1 pad", around(1300, 1300, RING, AXES + DIAGONALS),
             False)
        want("bare ring round the arc", [(1656.5, 1700), (1643.5, 1700)], False)
        want("copper of the arc and the pour beside it", [(1650, 1700), (1662, 1700)], True)
        want("bare ring round the surface pad", [(2431.5, 1400), (2400, 1441.5)], False)
        if thermals:
            want("spokes to the plane-code-6 surface pad",
                 around(2400, 1400, 52, (53, 127, 233, 307)), True)
        thermal_pads = [(1600, 1300), (2200, 1300)]
    want("copper joining the plane-code-3 pad", around(1900, 1300, RING, AXES + DIAGONALS), True)
    for cx, cy in thermal_pads:
        want("bare clearance beside the spokes", around(cx, cy, RING, AXES), False)
        want("spokes across the clearance" if thermals else "no spokes without thermals",
             around(cx, cy, RING, DIAGONALS), thermals)
    return out


def main(argv):
    if len(argv) != 4 or argv[3] not in ("thermals", "nothermals"):
        print(__doc__)
        return 2
    thermals = argv[3] == "thermals"
    failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        for path, layer in ((argv[1], "GTL"), (argv[2], "GBL")):
            picture = render(path, os.path.join(tmp, layer + ".png"))
            checks = expectations(layer, thermals)
            bad = [(what, p, want) for what, p, want in checks if copper_at(picture, *p) != want]
            for what, (x, y), want in bad:
                print(f"FAIL {layer}: {what}: {x:.1f},{y:.1f} is "
                      f"{'bare' if want else 'copper'}")
            failed += len(bad)
            if not bad:
                print(f"ok   {layer}: {len(checks)} points "
                      f"({'with' if thermals else 'without'} thermals)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
