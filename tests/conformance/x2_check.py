#!/usr/bin/python3
"""Checks a set of Gerber and drill files with X2 attributes against its Gerber job file: the job
file parses as JSON, lists exactly the given files, and gives each the function and polarity the
file itself gives (`padloom-cli info --json`); each function is the one its name calls for, the
copper layers counted as the job file's LayerNumber; and `info` finds no fault in the attributes.

usage: x2_check.py CLI JOBFILE FILE...      prints "ok   FILE" or "FAIL FILE: why"; exit 1 on a failure
"""
import json
import os
import re
import subprocess
import sys


def expected(name, layers):
    """The function a file's extension calls for: a text, or a pattern for the inner layers."""
    ext = os.path.splitext(name)[1].upper()
    # a fab package's drill files hold the plated or the non-plated holes; a plot's holds both
    if name.upper().endswith("-NPTH.TXT"):
        return "NonPlated,1,%d,NPTH" % layers
    if name.upper().endswith("-PTH.TXT"):
        return "Plated,1,%d,PTH" % layers
    if ext == ".TXT":
        return re.compile(r"Plated,1,%d,PTH|MixedPlating,1,%d" % (layers, layers))
    fixed = {
        ".GTL": "Copper,L1,Top", ".GBL": "Copper,L%d,Bot" % layers,
        ".GTS": "Soldermask,Top", ".GBS": "Soldermask,Bot", ".GTO": "Legend,Top",
        ".GBO": "Legend,Bot", ".GTP": "Paste,Top", ".GBP": "Paste,Bot",
        ".GBD": "Profile,NP", ".GKO": "Profile,NP", ".GDD": "Drillmap", ".GD1": "Drillmap",
        ".GDG": "Other,Drillguide", ".GG1": "Other,Drillguide",
    }
    if ext in fixed:
        return fixed[ext]
    inner = r"Copper,L([2-9]),Inr"
    if ext in (".GM1", ".GM2", ".GM3", ".GM4", ".G1", ".G2", ".G3", ".G4"):
        return re.compile(r"%s|Other,Unused copper layer" % inner)
    if ext in (".GGD", ".GPW", ".GP1", ".GP2"):
        return re.compile(r"%s,Plane|Other,Unused copper layer" % inner)
    return None


def main():
    cli, job_path, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = 0
    try:
        with open(job_path, encoding="latin-1") as f:
            job = json.load(f)
        listed = {e["Path"]: e for e in job["FilesAttributes"]}
        layers = job["GeneralSpecs"]["LayerNumber"]
        for key in ("GenerationSoftware", "CreationDate"):
            if key not in job["Header"]:
                raise ValueError("no Header." + key)
        if not job["GeneralSpecs"]["ProjectId"]["GUID"]:
            raise ValueError("no project GUID")
    except (OSError, ValueError, KeyError, TypeError) as e:
        print("FAIL %s: %s" % (job_path, e))
        return 1
    names = {os.path.basename(f): f for f in files}
    if set(listed) != set(names):
        print("FAIL %s: lists %s, the set is %s" % (job_path, sorted(listed), sorted(names)))
        failed += 1
    info = json.loads(subprocess.run([cli, "info", "--json"] + files, capture_output=True,
                                     text=True, encoding="latin-1").stdout)
    for entry in info["files"]:
        name = os.path.basename(entry["path"])
        why = []
        function = entry.get("fileFunction")
        polarity = entry.get("filePolarity")
        want = expected(name, layers)
        if want is None:
            why.append("no function known for this name")
        elif isinstance(want, str) and function != want:
            why.append("function %r, its name calls for %r" % (function, want))
        elif not isinstance(want, str) and (function is None or not want.fullmatch(function)):
            why.append("function %r, its name calls for %s" % (function, want.pattern))
        if function and function.startswith("Copper,L"):
            k = int(function.split(",")[1][1:])
            if not 1 <= k <= layers:
                why.append("copper layer %d of %d" % (k, layers))
        if polarity is None or (entry["format"] == "gerber" and
                                polarity.lower() != entry["imagePolarity"]):
            why.append("polarity %r, image %s" % (polarity, entry["imagePolarity"]))
        job_entry = listed.get(name)
        if job_entry and (job_entry["FileFunction"] != function or
                          job_entry["FilePolarity"] != polarity):
            why.append("the job file says %s/%s, the file %s/%s" % (
                job_entry["FileFunction"], job_entry["FilePolarity"], function, polarity))
        # what the attributes say is this check's concern; other problems are the plot's
        attribute_problems = [p["message"] for p in entry["problems"]
                              if "attribute" in p["message"] or "file says" in p["message"]]
        if attribute_problems:
            why.append("info: " + "; ".join(attribute_problems))
        if why:
            print("FAIL %s: %s" % (name, "; ".join(why)))
            failed += 1
        else:
            print("ok   %s" % name)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
