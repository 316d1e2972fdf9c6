#!/usr/bin/python3
"""Checks a set of Gerber and drill files with X2 attributes against its Gerber job file and the
Gerber specification: the job file parses as JSON, lists exactly the given files, and gives each
the function and polarity the file itself gives (`padloom-cli info --json`); each function is the
one its name calls for, the copper layers counted as the job file's LayerNumber; the solder masks
are Negative and every other file Positive; the project GUID is an RFC 4122 version 4 UUID, the
same in every file; `info` finds no fault in the attributes. Each Gerber file uses no pad,
conductor or clearance function off copper, and none of the deprecated syntax: no %IP or %LN, no
G74, G01 before the first draw, no coordinates without their D01/D02/D03, no G01/G02/G03 in the
word of a coordinate, no aperture selected inside a region (G36/G37).

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


# Aperture functions that only copper layers may take.
COPPER_ONLY = ("ComponentPad", "SMDPad", "BGAPad", "ConnectorPad", "HeatsinkPad", "ViaPad",
               "TestPad", "CastellatedPad", "FiducialPad", "ThermalReliefPad", "WasherPad",
               "AntiPad", "OtherPad", "Conductor", "EtchedComponent", "NonConductor",
               "CopperBalancing", "Border", "OtherCopper")
GUID = re.compile(r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")
COORDINATE = re.compile(r"[XYIJ][+-]?\d")


def words(text):
    """The extended commands (without their %) and the function-code words of a Gerber file."""
    at = 0
    while at < len(text):
        if text[at].isspace():
            at += 1
            continue
        if text[at] == "%":
            end = text.find("%", at + 1)
            end = len(text) if end < 0 else end
            yield "%", text[at + 1:end]
            at = end + 1
            continue
        end = text.find("*", at)
        end = len(text) if end < 0 else end
        yield "", "".join(text[at:end].split())
        at = end + 1


def syntax_problems(text, function):
    """What a Gerber file writes that the specification deprecates or keeps for copper."""
    why = []
    interpolation = False
    region = False
    for kind, word in words(text):
        if kind == "%":
            for block in word.split("*"):
                if block[:2] in ("IP", "LN"):
                    why.append("%%%s" % block)
            continue
        if not word or word.startswith("G04"):
            attribute = word[len("G04#@!"):] if word.startswith("G04#@!") else ""
            if attribute.startswith("TA.AperFunction,") and not function.startswith("Copper"):
                value = attribute.split(",")[1]
                if value in COPPER_ONLY:
                    why.append("aperture function %s off copper" % value)
            continue
        if word in ("G01", "G02", "G03"):
            interpolation = True
        elif word == "G74":
            why.append("G74 (single-quadrant arcs)")
        elif word == "G36":
            region = True
        elif word == "G37":
            region = False
        elif re.fullmatch(r"D0*[1-9]\d+", word):
            if region:
                why.append("aperture %s selected inside a region" % word)
        elif COORDINATE.search(word):
            if word[:1] == "G":
                why.append("an interpolation code in the word of a coordinate: %s" % word)
            if not re.search(r"D0?[123]$", word):
                why.append("a coordinate without its operation code: %s" % word)
            elif re.search(r"D0?1$", word) and not interpolation:
                why.append("a draw before G01: %s" % word)
        if len(why) > 5:
            break
    return sorted(set(why))


def project_guids(text):
    return set(re.findall(r"TF\.ProjectId,[^,]*,([^,]*),", text))


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
        guid = job["GeneralSpecs"]["ProjectId"]["GUID"]
        if not GUID.fullmatch(guid):
            raise ValueError("project GUID %r is no RFC 4122 version 4 UUID" % guid)
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
        want_polarity = "Negative" if (function or "").startswith("Soldermask") else "Positive"
        if polarity != want_polarity:
            why.append("polarity %r, its function calls for %s" % (polarity, want_polarity))
        if entry["format"] == "gerber" and entry["imagePolarity"] != "positive":
            why.append("a %s image" % entry["imagePolarity"])
        with open(entry["path"], encoding="latin-1") as f:
            text = f.read()
        if project_guids(text) != {guid}:
            why.append("project GUIDs %s, the job file's %s" % (sorted(project_guids(text)), guid))
        if entry["format"] == "gerber":
            why += syntax_problems(text, function or "")
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
