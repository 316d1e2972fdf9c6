#!/usr/bin/python3
"""Renders Gerber and Excellon files with gerbv over a fixed window and checks what lands where.

    render_check.py copper FILE X0,Y0,X1,Y1 CHECK...
        renders FILE over the window (mils) at 1 pixel per 5 mils; each CHECK is
        "ink:X,Y" (copper must cover the point) or "bare:X,Y" (it must not)
    render_check.py drill COPPER DRILL X0,Y0,X1,Y1 X,Y...
        every hole gerbv draws from DRILL must lie on copper of COPPER, and a hole must be
        drawn at each X,Y given (mils): the drill file is placed as the copper is

Exit 0 when every check holds; each failure is printed on its own line.
"""
import os
import subprocess
import sys
import tempfile

import png_rows

MILS_PER_PIXEL = 5
DPI = 1000 // MILS_PER_PIXEL


def read_png(path):
    """Width, height and rows of booleans (True where the pixel is not white)."""
    width, height, channels, rows = png_rows.read_png(path)
    return width, height, [[row[x * channels:x * channels + 3] != b"\xff\xff\xff"
                            for x in range(width)] for row in rows]


def render(path, window, out):
    x0, y0, x1, y1 = window
    cmd = ["gerbv", "-x", "png", "-B", "0", "--dpi", str(DPI),
           "--origin", f"{x0 / 1000}x{y0 / 1000}",
           "--window_inch", f"{(x1 - x0) / 1000}x{(y1 - y0) / 1000}",
           "-b", "#FFFFFF", "-f", "#000000FF", "-o", out, path]
    subprocess.run(cmd, check=True, capture_output=True)
    return read_png(out)


class Picture:
    def __init__(self, path, window, tmp):
        self.window = window
        self.width, self.height, self.rows = render(path, window, os.path.join(
            tmp, os.path.basename(path) + ".png"))

    def pixel(self, x, y):
        """The pixel of a point in mils, or None outside the picture."""
        col = (x - self.window[0]) // MILS_PER_PIXEL
        row = self.height - 1 - (y - self.window[1]) // MILS_PER_PIXEL
        if 0 <= col < self.width and 0 <= row < self.height:
            return col, row
        return None

    def ink(self, x, y):
        p = self.pixel(x, y)
        return p is not None and self.rows[p[1]][p[0]]

    def point(self, col, row):
        """Mils at the centre of a pixel."""
        return (self.window[0] + col * MILS_PER_PIXEL + MILS_PER_PIXEL // 2,
                self.window[1] + (self.height - 1 - row) * MILS_PER_PIXEL + MILS_PER_PIXEL // 2)

    def blobs(self):
        """Centres (mils) of the connected inked areas."""
        seen = set()
        centres = []
        for row in range(self.height):
            for col in range(self.width):
                if not self.rows[row][col] or (col, row) in seen:
                    continue
                stack = [(col, row)]
                seen.add((col, row))
                members = []
                while stack:
                    c, r = stack.pop()
                    members.append((c, r))
                    for nc, nr in ((c + 1, r), (c - 1, r), (c, r + 1), (c, r - 1)):
                        if (0 <= nc < self.width and 0 <= nr < self.height
                                and self.rows[nr][nc] and (nc, nr) not in seen):
                            seen.add((nc, nr))
                            stack.append((nc, nr))
                cc = sum(m[0] for m in members) / len(members)
                rr = sum(m[1] for m in members) / len(members)
                centres.append((self.point(round(cc), round(rr)), members))
        return centres


def parse_window(text):
    return tuple(int(v) for v in text.split(","))


def parse_point(text):
    x, y = text.split(",")
    return int(x), int(y)


def main(argv):
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        if len(argv) >= 4 and argv[1] == "copper":
            picture = Picture(argv[2], parse_window(argv[3]), tmp)
            for check in argv[4:]:
                want, where = check.split(":")
                x, y = parse_point(where)
                if picture.ink(x, y) != (want == "ink"):
                    failures.append(f"{argv[2]}: expected {want} at {x},{y}")
        elif len(argv) >= 5 and argv[1] == "drill":
            window = parse_window(argv[4])
            copper = Picture(argv[2], window, tmp)
            drill = Picture(argv[3], window, tmp)
            holes = drill.blobs()
            for (x, y), members in holes:
                off = [m for m in members if not copper.rows[m[1]][m[0]]]
                if off:
                    failures.append(f"{argv[3]}: the hole at {x},{y} is off copper "
                                    f"({len(off)} of {len(members)} pixels)")
            for check in argv[5:]:
                x, y = parse_point(check)
                if not drill.ink(x, y):
                    failures.append(f"{argv[3]}: no hole drawn at {x},{y}")
            if not holes:
                failures.append(f"{argv[3]}: gerbv draws no hole in the window")
        else:
            print(__doc__)
            return 2
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
