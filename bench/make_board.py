#!/usr/bin/env python3
"""Writes a large synthetic Autotrax board for benchmarks: a grid of components, each with
through-hole and surface pads, a track and an arc, and between them vias, fills, strings and free
tracks (about one hole per five records), inside a top-copper pour outline of some thousands of
1-mil pieces. The same count always gives the same board.

usage: make_board.py OUT.PCB RECORDS
"""
import sys


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
    main(sys.argv[1], int(sys.argv[2]))
