#!/usr/bin/python3
"""Loads DXF drawings with ezdxf and runs its auditor; fails on a file ezdxf cannot read and on
any error the auditor reports. Repairs the auditor would make are listed as well and fail too,
since a drawing that needs repair is not one a CAD program reads as written. Every layer must
have a colour a viewer can draw.

usage: ezdxf_check.py FILE...      exit 0 when every file is clean
"""
import sys

try:
    import ezdxf
except ImportError:
    print("FAIL ezdxf is not installed (Debian package python3-ezdxf; see scripts/install-deps)")
    sys.exit(1)


def check(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # structure errors, bad codes, encoding
        return [f"cannot read: {exc}"]
    auditor = doc.audit()
    problems = [f"error {e.code}: {e.message}" for e in auditor.errors]
    problems += [f"repair {f.code}: {f.message}" for f in auditor.fixes]
    # a layer's colour must be a real one (1 to 255); 0 ("by block") draws in no colour at all
    for layer in doc.layers:
        if not 1 <= abs(layer.dxf.color) <= 255:
            problems.append(f"layer {layer.dxf.name} has colour {layer.dxf.color}")
    if len(doc.modelspace()) == 0:
        problems.append("no entities")
    return problems


def main(paths):
    failed = 0
    for path in paths:
        problems = check(path)
        if problems:
            failed += 1
            print(f"FAIL {path}")
            for p in problems[:20]:
                print(f"     {p}")
        else:
            print(f"ok   {path}")
    print(f"{len(paths) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
