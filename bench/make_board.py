#!/usr/bin/env python3
"""Writes a large synthetic Autotrax board for benchmarks: a grid of components, each with
through-hole and surface pads, a track and an arc, and between them vias, fills, strings and free
tracks (about one hole per five records), inside a top-copper pour outline of some thousands of
1-mil pieces. The same count always gives the same board.

usage: make_board.py OUT.PCB RECORDS [KIND]

KIND other than the default:
  identical    RECORDS copies of one track between two pads, in a pour outline
  overlapping  RECORDS tracks in one bundle, each crossing or lying over others, no two the same,
               between two pads, in a pour outline
  star         a top-copper pour outline of RECORDS points on a circle, each joined to the one
               RECORDS * 2 / 5 + 1 further round by a free 1-mil track (a star that crosses itself
               at every track), with two pads in it tied to the pour
"""
import math
import sys


def write(out_path, lines):
    with open(out_path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def crowded(out_path, records, kind):
    """A crowd of copper between pads U1-1 and U1-2 (the pads join when the copper does), inside
    a top-copper pour outline that its clearances crowd when it is poured."""
    lines = ["PCB FILE 4", "COMP", "U1", "CROWD", "X", "1000 900 60 0 8 7", "1000 900 60 0 8 7",
             "0 0 1 1 0", "CP", "1000 1000 60 60 1 28 1 13", "1", "CP", "3000 2000 60 60 1 28 1 13",
             "2", "ENDCOMP"]
    for i in range(records):
        if kind == "identical":
            lines += ["FT", "1000 1000 3000 2000 10 1"]
        else:
            # starts 500 x 200 apart, so that no two are the same; ends spread over 200 mils
            lines += ["FT", f"{1000 + i % 500} {1000 + (i // 500) % 200} "
                            f"{3000 + i * 7 % 211} {2000 + i * 13 % 223} 10 1"]
    for x1, y1, x2, y2 in [(500, 500, 3500, 500), (3500, 500, 3500, 2500), (3500, 2500, 500, 2500),
                           (500, 2500, 500, 500)]:
        lines += ["FT", f"{x1} {y1} {x2} {y2} 1 1"]
    write(out_path, lines + ["ENDPCB"])


def star(out_path, points):
    lines = ["PCB FILE 4"]
    step = points * 2 // 5 + 1
    corners = [(round(6000 + 5000 * math.cos(2 * math.pi * i * step / points)),
                round(6000 + 5000 * math.sin(2 * math.pi * i * step / points))) for i in range(points)]
    for i in range(points):
        (ax, ay), (bx, by) = corners[i], corners[(i + 1) % points]
        lines += ["FT", f"{ax} {ay} {bx} {by} 1 1"]
    lines += ["FP", "5000 6000 60 60 1 28 3 13", "A", "FP", "7000 6000 60 60 1 28 3 13", "B"]
    write(out_path, lines + ["ENDPCB"])


def main(out_path, records):
    lines = ["PCB FILE 4"]
    count = 0
    i = 0
    while count < records:
        x = 1000 + (i % 300) * 200
        y = 1000 + (i // 300) * 200
        side = 1 if i % 2 else 6
        lines += ["COMP", f"U{i}", "DIP8", f"{10 * (i % 97)}K",
                  f"{x} {y + 80} 60 0 8 7", f"{x} {y + 140} 60 0 8 7", "0 0 1 1 0"]
        lines += ["CP", f"{x} {y} 60 60 {1 + i % 2} {28 + i % 5} {1 + i % 5} 13", "1"]
        lines += ["CP", f"{x + 100} {y} 50 30 2 0 1 {side}", "2"]
        lines += ["CP", f"{x + 100} {y + 60} 50 30 2 0 1 {side}", "3"]
        lines += ["CT", f"{x} {y} {x + 100} {y} {8 + i % 4} {side}"]
        lines += ["CA", f"{x} {y} 40 {1 + i % 15} 8 7"]
        lines += ["ENDCOMP"]
        lines += ["FV", f"{x + 50} {y + 50} 40 {20 + i % 3}"]
        lines += ["FF", f"{x} {y + 120} {x + 60} {y + 180} 1"]
        lines += ["FS", f"{x} {y + 30} 48 {i % 4} 8 7", f"T{i}"]
        lines += ["FT", f"{x + 100} {y} {x + 150} {y + 100} {10 + i % 3} {side}"]
        count += 10
        i += 1
    top = 1000 + (i // 300 + 1) * 200
    lines += ["FT", "0 0 70000 0 10 11", "FT", f"0 0 0 {top} 10 11"]
    # a pour outline round the whole grid on top copper, in 1-mil pieces 50 mils long
    corners = [(500, 500), (61000, 500), (61000, top), (500, top), (500, 500)]
    for (x1, y1), (x2, y2) in zip(corners, corners[1:]):
        steps = max(abs(x2 - x1), abs(y2 - y1)) // 50
        for k in range(steps):
            ax, ay = x1 + (x2 - x1) * k // steps, y1 + (y2 - y1) * k // steps
            bx, by = x1 + (x2 - x1) * (k + 1) // steps, y1 + (y2 - y1) * (k + 1) // steps
            lines += ["FT", f"{ax} {ay} {bx} {by} 1 1"]
    lines.append("ENDPCB")
    with open(out_path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    kind = sys.argv[3] if len(sys.argv) > 3 else "standard"
    if kind in ("identical", "overlapping"):
        crowded(sys.argv[1], int(sys.argv[2]), kind)
    elif kind == "star":
        star(sys.argv[1], int(sys.argv[2]))
    else:
        main(sys.argv[1], int(sys.argv[2]))
