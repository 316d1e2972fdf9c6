#!/usr/bin/python3
"""Checks the nets of a board against pictures of its copper, independently of our geometry.

The top and bottom copper files are rendered by gerbv at 1000 dpi (one pixel a mil) over the
same window; the connected copper regions of each picture are labelled (runs of copper pixels,
joined where they touch from one row to the next, corners included); a top and a bottom region
are joined wherever a drill hit lies in both; every pad of the test netlist is mapped to the
region under its centre (top, bottom or both by its access code). Pads in one region must be
in one net of the test netlist, and pads in different regions in different nets.

usage: copper_regions.py CLI TOP.GTL BOTTOM.GBL DRILL.TXT BOARD.ipc NETS.json
Prints each disagreement; exit status 1 when there is one that no possible short (a text on
copper across nets, from NETS.json) explains.
"""
import json
import math
import os
import re
import subprocess
import sys
import tempfile

MARGIN = 0.05  # inch round the copper


def extents(cli, files):
    info = json.loads(subprocess.run([cli, "info", "--json", *files], check=True,
                                     capture_output=True, text=True).stdout)
    boxes = [f["extent"] for f in info["files"] if "extent" in f]
    # whole mils, so that a pixel is a mil of the board's own grid
    mils = (math.floor((min(b["x0"] for b in boxes) - MARGIN) * 1000),
            math.floor((min(b["y0"] for b in boxes) - MARGIN) * 1000),
            math.ceil((max(b["x1"] for b in boxes) + MARGIN) * 1000),
            math.ceil((max(b["y1"] for b in boxes) + MARGIN) * 1000))
    return tuple(v / 1000 for v in mils)


def picture(layer, window, work):
    """The copper of a layer at one pixel a mil: bytes of 0 or 255, a row per line from the top."""
    x0, y0, x1, y1 = window
    png = os.path.join(work, "layer.png")
    subprocess.run(["gerbv", "-x", "png", "-D", "1000", "-B", "0", "-O", f"{x0:.3f}x{y0:.3f}",
                    "-W", f"{x1 - x0:.3f}x{y1 - y0:.3f}", "-b", "#000000", "-f", "#FFFFFFFF",
                    "-o", png, layer], check=True, capture_output=True)
    size = subprocess.run(["identify", "-format", "%w %h", png], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    pixels = subprocess.run(["convert", png, "-threshold", "50%", "-depth", "8", "gray:-"],
                            check=True, capture_output=True).stdout
    return pixels, width, height


def regions(pixels, width, height, queries, parent):
    """Labels the connected copper of a picture (pixels touching at a side or a corner), row by
    row as runs of copper pixels, into the shared union-find `parent`; gives each query point
    (column, row) -> key the region under it, or None over no copper."""
    found = {}
    by_row = {}
    for (c, r), key in queries.items():
        by_row.setdefault(r, []).append((c, key))
    copper = re.compile(rb"[\x80-\xff]+")
    previous = []  # runs of the row above: (start, end, id)
    for r in range(height):
        current = []
        j = 0
        for m in copper.finditer(pixels, r * width, (r + 1) * width):
            start, end = m.start() - r * width, m.end() - r * width
            rid = len(parent)
            parent.append(rid)
            while j < len(previous) and previous[j][1] < start:
                j += 1
            k = j
            while k < len(previous) and previous[k][0] <= end:
                union(parent, previous[k][2], rid)
                k += 1
            current.append((start, end, rid))
        for c, key in by_row.get(r, ()):
            found[key] = next((rid for s, e, rid in current if s <= c < e), None)
        previous = current
    return found


def find(parent, a):
    while parent[a] != a:
        parent[a] = parent[parent[a]]
        a = parent[a]
    return a


def union(parent, a, b):
    a, b = find(parent, a), find(parent, b)
    if a != b:
        parent[b] = a


def pixel(window, height, x_mils, y_mils):
    x0, y0 = round(window[0] * 1000), round(window[1] * 1000)
    return x_mils - x0, height - (y_mils - y0)


def main(cli, drill, ipc, nets_json, *layers):
    window = extents(cli, list(layers))
    top = next(f for f in layers if f.endswith(".GTL"))
    bottom = next(f for f in layers if f.endswith(".GBL"))
    others = [f for f in layers if f not in (top, bottom)]

    # pads of the test netlist: pin, net, place, sides
    aliases, pads = {}, []
    for line in open(ipc, newline=""):
        line = line.rstrip("\r\n")
        if line.startswith("P  NNAME"):
            aliases[line[3:14].strip()] = line[14:].strip()
        elif line[:3] in ("317", "327") and line[20:26].strip() != "VIA":
            net = line[3:17].strip()
            net = aliases.get(net, net)
            pin = line[20:26].strip() + "-" + line[27:31].strip()
            x, y = int(line[42:49]) // 10, int(line[50:57]) // 10
            access = line[38:41]
            sides = ["top", "bottom"] if access == "A00" else ["top" if access == "A01" else "bottom"]
            pads.append((pin, None if net == "N/C" else net, x, y, sides))
    holes = []
    for line in open(drill, newline=""):
        line = line.strip()
        if line.startswith("X") and "Y" in line:
            holes.append(tuple(int(v) for v in line[1:].split("Y")))

    # the regions under the pads and holes, both sides in one union-find
    parent, at = [], {}
    with tempfile.TemporaryDirectory() as work:
        for side, layer in [("top", top), ("bottom", bottom)] + [(f, f) for f in others]:
            pixels, width, height = picture(layer, window, work)
            queries = {}
            for i, (pin, net, x, y, sides) in enumerate(pads):
                if side in sides:
                    queries.setdefault(pixel(window, height, x, y), []).append(("pad", i))
            for i, (x, y) in enumerate(holes):
                queries.setdefault(pixel(window, height, x, y), []).append(("hole", i))
            for point, rid in regions(pixels, width, height, {p: p for p in queries},
                                      parent).items():
                for key in queries[point]:
                    at[(side, key)] = rid
    # holes join the layers
    for i in range(len(holes)):
        found = [at.get((side, ("hole", i))) for side in ["top", "bottom"] + others]
        found = [f for f in found if f is not None]
        for f in found[1:]:
            union(parent, found[0], f)

    texts = json.load(open(nets_json))["possibleShorts"]
    bridged = {frozenset(t["nets"]) for t in texts}
    name = os.path.basename(ipc)
    problems, notes = [], []
    by_region, by_net = {}, {}
    for i, (pin, net, x, y, sides) in enumerate(pads):
        found = [at.get((side, ("pad", i))) for side in sides]
        found = [find(parent, f) for f in found if f is not None]
        if not found:
            text = f"pad {pin} at {x},{y}: no copper under its centre in the picture"
            # a pad the picture cannot show (a 1-mil mark) is right only when it joins nothing
            (problems if net else notes).append(text + (" (joined to nothing either way)"
                                                        if not net else ""))
            continue
        by_region.setdefault(found[0], set()).add(net if net else f"{pin}@{x},{y}")
        if net:
            by_net.setdefault(net, set()).add(found[0])
    for reg, nets in by_region.items():
        if len(nets) > 1:
            text = f"the picture joins {', '.join(sorted(nets))}"
            if any(b <= nets for b in bridged):
                notes.append(text + ": a text on copper, reported as a possible short")
            else:
                problems.append(text)
    for net, regs in by_net.items():
        if len(regs) > 1:
            problems.append(f"net {net} lies on {len(regs)} separate copper regions of the picture")
    for text in notes:
        print(f"{name}: note: {text}")
    for text in problems:
        print(f"{name}: {text}")
    print(f"{name}: {len(pads)} pads, {len(by_region)} regions with pads, "
          f"{len(problems)} disagreements")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
