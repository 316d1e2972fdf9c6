#!/usr/bin/python3
"""Checks that a drill file places its holes where the copper has its pads: every hit that
gerbv's library reads from the Excellon file must lie on a flash of the top copper file (the
centre of a through-hole pad or via), and the drill file must hold at least one hit.

usage: drill_placement_check.py TOP_COPPER.GTL DRILL.TXT     exit 0 when every hit is on a pad
"""
import ctypes
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gerbv_check import APERTURE_MAX, PTR, read_double, read_int, read_ptr  # noqa: E402

FLASH = 2  # gerbv's aperture state of a flash (drill hits are flashes too)


def mils(point):
    """A position in inches as whole mils: both files place on the same mil grid."""
    return round(point[0] * 1000), round(point[1] * 1000)


def flashes(path):
    """The flash positions (inches) gerbv's library reads from a Gerber or drill file."""
    lib = ctypes.CDLL("libgerbv.so.1")
    lib.gerbv_create_project.restype = ctypes.c_void_p
    lib.gerbv_open_layer_from_filename.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    project = lib.gerbv_create_project()
    lib.gerbv_open_layer_from_filename(project, path.encode())
    files = read_ptr(project + 16)
    fileinfo = read_ptr(files) if files else None
    if not fileinfo:
        sys.exit(f"FAIL {path}: gerbv could not open it")
    image = read_ptr(fileinfo)
    net = read_ptr(image + 8 + APERTURE_MAX * PTR + 5 * PTR)
    out = []
    while net:
        # gerbv_net_t: start x, start y, stop x, stop y, bounding box, aperture, state, ...
        if read_int(net + 64) > 0 and read_int(net + 68) == FLASH:
            out.append((read_double(net + 16), read_double(net + 24)))
        net = read_ptr(net + 88)
    return out


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    copper, drill = argv[1], argv[2]
    pads = flashes(copper)
    hits = flashes(drill)
    if not hits:
        print(f"FAIL {drill}: gerbv read no drill hits")
        return 1
    pad_mils = {mils(p) for p in pads}
    misses = [h for h in hits if mils(h) not in pad_mils]
    if misses:
        print(f"FAIL {drill}: {len(misses)} of {len(hits)} hits lie on no pad of {copper}, "
              f"first at {misses[0][0]:.4f},{misses[0][1]:.4f} in")
        return 1
    print(f"ok   {drill}: {len(hits)} hits on pads of {os.path.basename(copper)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
