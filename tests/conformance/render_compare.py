#!/usr/bin/python3
"""Compares gerbv's pictures of pairs of Gerber files that must draw the same: both are drawn with
gerbv in one window (the union of their extents as `padloom-cli info` gives them, its corner a
third of a pixel off the grid, so that no edge of the pictures falls half way across a pixel) and
the pixels that differ are counted (ImageMagick), as a share of the pixels either picture covers.
With --slivers, differences one pixel wide are not counted: gerbv rounds the edges of a standard
aperture, a region and an aperture macro to the pixels differently, and a region's corners lie
on the coordinate grid, within half a mil of the curve they stand for.
A negative image (%IPNEG) and a positive one that darkens a region first and clears everything
else from it are compared inside that region, less a pixel all round: gerbv darkens a negative
image out to the window's edge, the positive one only over the board (the region alone, drawn
in the same window, is the mask).

usage: render_compare.py CLI DPI TOLERANCE [--slivers] A B [A B ...]
       prints "ok   A" or "FAIL A: why" per pair; exit 1 on a failure
"""
import json
import os
import re
import subprocess
import sys
import tempfile


def extents(cli, paths):
    """The extent of each file by its path, as `info` gives it; None for a file with nothing."""
    info = json.loads(subprocess.run([cli, "info", "--json"] + paths, capture_output=True,
                                     text=True, encoding="latin-1").stdout)
    found = {}
    for path, entry in zip(paths, info["files"]):
        e = entry.get("extent")
        found[path] = None if not e else (e["x0"], e["y0"], e["x1"], e["y1"])
    return found


def dark_region(path):
    """The region a positive plane is darkened over (the file up to the %LPC that follows its
    first region after %LPD) and its bounding box in inches; None when the file has none."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    m = re.search(r"%LPD\*%\s*G36\*(.*?)G37\*\s*(G01\*\s*)?%LPC\*%", text, re.S)
    if not m or "%IPNEG*%" in text:
        return None
    xs = [int(v) for v in re.findall(r"X(-?\d+)", m.group(1))]
    ys = [int(v) for v in re.findall(r"Y(-?\d+)", m.group(1))]
    box = (min(xs) / 1000, min(ys) / 1000, max(xs) / 1000, max(ys) / 1000)
    return text[:m.start(0)] + m.group(0)[:-len("%LPC*%")] + "M02*\r\n", box


def render(path, window, dpi, png):
    x0, y0, x1, y1 = window
    subprocess.run(["gerbv", "-x", "png", "-B", "0", "--dpi", str(dpi), "-O", f"{x0:.4f}x{y0:.4f}",
                    "-W", f"{x1 - x0:.4f}x{y1 - y0:.4f}", "-f", "#FFFFFFFF", "-b", "#000000",
                    "-o", png, path], check=True, capture_output=True)


def covered(png):
    out = subprocess.run(["convert", png, "-colorspace", "gray", "-threshold", "50%", "-format",
                          "%[fx:mean*w*h]", "info:"], capture_output=True, text=True).stdout
    return float(out)


def differing(a, b, slivers, mask=None):
    erode = ["-morphology", "Erode", "Square:1"] if slivers else []
    inside = []
    if mask:
        # the mask less a pixel all round
        inside = ["(", mask, "-colorspace", "gray", "-threshold", "50%", "-morphology", "Erode",
                  "Square:1", ")", "-compose", "multiply", "-composite"]
    out = subprocess.run(["convert", a, b, "-compose", "difference", "-composite", "-colorspace",
                          "gray", "-threshold", "50%"] + erode + inside +
                         ["-format", "%[fx:mean*w*h]", "info:"], capture_output=True,
                         text=True).stdout
    return float(out)


def compare_pair(extent, dpi, slivers, a, b, work):
    region = dark_region(a) or dark_region(b)
    if region:
        margin = 0.02
        box = region[1]
        window = (box[0] - margin, box[1] - margin, box[2] + margin, box[3] + margin)
    else:
        boxes = [e for e in (extent[a], extent[b]) if e]
        if not boxes:
            return None  # nothing drawn in either
        margin = 0.02
        window = (min(e[0] for e in boxes) - margin, min(e[1] for e in boxes) - margin,
                  max(e[2] for e in boxes) + margin, max(e[3] for e in boxes) + margin)
    if window[2] <= window[0] or window[3] <= window[1]:
        return None
    third = 1.0 / (3 * dpi)
    window = (window[0] + third, window[1] + third, window[2], window[3])
    pa, pb = os.path.join(work, "a.png"), os.path.join(work, "b.png")
    render(a, window, dpi, pa)
    render(b, window, dpi, pb)
    mask = None
    if region:
        gerber, mask = os.path.join(work, "mask.gbr"), os.path.join(work, "mask.png")
        with open(gerber, "w", encoding="latin-1") as f:
            f.write(region[0])
        render(gerber, window, dpi, mask)
    else:
        with open(pa, "rb") as fa, open(pb, "rb") as fb:
            if fa.read() == fb.read():
                return 0.0
    ink = max(covered(pa), covered(pb), 1.0)
    return differing(pa, pb, slivers, mask) / ink


def main():
    cli, dpi, tolerance = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    pairs = sys.argv[4:]
    slivers = pairs[:1] == ["--slivers"]
    if slivers:
        pairs = pairs[1:]
    failed = 0
    extent = extents(cli, pairs)
    with tempfile.TemporaryDirectory() as work:
        for a, b in zip(pairs[0::2], pairs[1::2]):
            try:
                share = compare_pair(extent, dpi, slivers, a, b, work)
            except (subprocess.CalledProcessError, ValueError, IndexError) as e:
                print("FAIL %s: %s" % (a, e))
                failed += 1
                continue
            if share is not None and share > tolerance:
                print("FAIL %s: %.4f%% of the pixels differ from %s" % (a, 100 * share, b))
                failed += 1
            else:
                print("ok   %s" % a)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
