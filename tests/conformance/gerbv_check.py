#!/usr/bin/python3
"""Loads Gerber (RS274X) and Excellon drill files with gerbv's library and fails on any error or
warning it reports, on glib CRITICAL/WARNING lines, on unknown codes and on a file gerbv cannot
place (no bounding box). Each file is checked in its own process, since a bad aperture macro
makes the library abort.

usage: gerbv_check.py FILE...      exit 0 when every file is clean
"""
import ctypes
import math
import os
import subprocess
import sys

LIB = "libgerbv.so.1"
APERTURE_MAX = 9999
PTR = 8

# gerbv_stats_t: three pointers, then these ints in order
STATS_INTS = ("layer_count G0 G1 G2 G3 G4 G10 G11 G12 G36 G37 G54 G55 G70 G71 G74 G75 G90 G91 "
              "G_unknown D1 D2 D3 D_unknown D_error M0 M1 M2 M_unknown X Y I J star unknown").split()
# gerbv_drill_stats_t: int, pointer, pointer, then these ints in order
DRILL_INTS = ("comment F G00 G01 G02 G03 G04 G05 G85 G90 G91 G93 G_unknown M00 M01 M18 M25 M30 "
              "M31 M45 M47 M48 M71 M72 M95 M97 M98 M_unknown R unknown total_count").split()
MESSAGE = {0: "FATAL", 1: "ERROR", 2: "WARNING", 3: "NOTE"}


def read_ptr(addr):
    return ctypes.c_void_p.from_address(addr).value


def read_int(addr):
    return ctypes.c_int.from_address(addr).value


def read_double(addr):
    return ctypes.c_double.from_address(addr).value


def error_list(addr):
    out = []
    while addr:
        text_ptr = read_ptr(addr + 8)
        text = ctypes.string_at(text_ptr).decode("latin-1").strip() if text_ptr else ""
        if text:  # the list starts with an empty head entry
            out.append((MESSAGE.get(read_int(addr + 16), "?"), text))
        addr = read_ptr(addr + 24)
    return out


def check_one(path):
    lib = ctypes.CDLL(LIB)
    lib.gerbv_create_project.restype = ctypes.c_void_p
    lib.gerbv_open_layer_from_filename.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    project = lib.gerbv_create_project()
    lib.gerbv_open_layer_from_filename(project, path.encode())
    files = read_ptr(project + 16)
    fileinfo = read_ptr(files) if files else None
    if not fileinfo:
        return ["gerbv could not open the file or tell its type"]
    image = read_ptr(fileinfo)
    problems = []
    layertype = read_int(image)
    base = image + 8 + APERTURE_MAX * PTR
    info = read_ptr(base + 4 * PTR)
    stats = read_ptr(base + 6 * PTR)
    drill = read_ptr(base + 7 * PTR)
    if layertype == 0 and stats:
        for level, text in error_list(read_ptr(stats)):
            if level != "NOTE":
                problems.append(f"{level}: {text}")
        counts = {name: read_int(stats + 3 * PTR + 4 * i) for i, name in enumerate(STATS_INTS)}
        for name in ("G_unknown", "D_unknown", "D_error", "M_unknown", "unknown"):
            if counts[name]:
                problems.append(f"{counts[name]} x {name}")
        if counts["M2"] != 1:
            problems.append("no M02 end of file")
    elif layertype == 1 and drill:
        for level, text in error_list(read_ptr(drill + 8)):
            if level != "NOTE":
                problems.append(f"{level}: {text}")
        counts = {name: read_int(drill + 24 + 4 * i) for i, name in enumerate(DRILL_INTS)}
        for name in ("G_unknown", "M_unknown", "unknown"):
            if counts[name]:
                problems.append(f"{counts[name]} x {name}")
    else:
        problems.append(f"unexpected layer type {layertype}")
    if info:
        box = [read_double(info + 16 + 8 * i) for i in range(4)]
        if any(math.isnan(v) for v in box):
            problems.append("bounding box is NaN (format statement missing?)")
    return problems


def main(argv):
    if len(argv) == 3 and argv[1] == "--one":
        problems = check_one(argv[2])
        for p in problems:
            print(p)
        return 1 if problems else 0
    failed = 0
    for path in argv[1:]:
        proc = subprocess.run([sys.executable, os.path.abspath(__file__), "--one", path],
                              capture_output=True, text=True, errors="replace")
        lines = [l for l in proc.stdout.splitlines() if l.strip()]
        lines += [l for l in proc.stderr.splitlines() if "CRITICAL" in l or "WARNING" in l]
        if proc.returncode not in (0, 1):
            lines.append(f"gerbv aborted (exit status {proc.returncode})")
        if lines or proc.returncode:
            failed += 1
            print(f"FAIL {path}")
            for l in lines:
                print(f"    {l}")
        else:
            print(f"ok   {path}")
    print(f"{len(argv) - 1 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
