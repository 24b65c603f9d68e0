#!/usr/bin/env python3
"""The program's own 3DS reader and assembly load the built-in ship cleanly.

    ship_loads_test.py ORBIT-PATROL-INSPECT

Runs `orbit-patrol-inspect model --resource 184 --json` and expects a model
with no reader diagnostics and no user messages, no default material (every
mesh has its groups), and the size and scale that the generator's own check
derives from the committed file.
"""

import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "assets"))

import make_starship  # noqa: E402


def main(argv):
    run = subprocess.run([argv[1], "model", "--resource", "184", "--json"], capture_output=True, text=True)
    faults = []
    if run.returncode != 0:
        faults.append("inspect exited with %d: %s" % (run.returncode, run.stderr.strip()))
    document = json.loads(run.stdout) if run.stdout.strip() else {}
    if document.get("diagnostics"):
        faults.append("reader diagnostics: %s" % document["diagnostics"])
    if document.get("messages"):
        faults.append("user messages: %s" % document["messages"])
    model, parsed = document.get("model"), document.get("parsed")
    if not model or not parsed:
        faults.append("no model loaded")
    else:
        with open(os.path.join(ROOT, "resources", "models", "starship.3ds"), "rb") as f:
            problems, summary = make_starship.check(f.read())
        faults += ["generator check: " + p for p in problems]
        if parsed.get("usesDefaultMaterial"):
            faults.append("a mesh fell back to the default material")
        if abs(model["size"] - summary["size"]) > 1e-9 or abs(model["modelScale"] - summary["modelScale"]) > 1e-12:
            faults.append("size/scale %s/%s, the file says %s/%s" % (model["size"], model["modelScale"],
                                                                     summary["size"], summary["modelScale"]))
        if len(parsed["meshes"]) != summary["meshes"] or len(parsed["materials"]) != summary["materials"]:
            faults.append("mesh or material count differs from the file")
        if not all(m.get("hasMatrix") for m in parsed["meshes"]):
            faults.append("a mesh lost its local matrix")
    for fault in faults:
        print("FAULT: " + fault)
    print("inspect ship: %s" % ("FAILED" if faults else "ok"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
