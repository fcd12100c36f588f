#!/usr/bin/python3
"""Every file `tavo demo` writes opens in LibreOffice, and LibreOffice,
recalculating every formula, gets the values tavo stored.

usage: recalc_matches.py TAVO WORKDIR
Exit 0 when all match, 1 on a mismatch or a file LibreOffice cannot open,
77 (skipped) when LibreOffice is missing and CI is not set."""
import pathlib
import subprocess
import sys

import openpyxl

import demo_run
from demo_run import fresh_demo, missing

# LibreOffice keeps the cached values of xlsx files unless told to recompute.
RECALC_ALWAYS = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema"
  xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="ODFRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
"""


def same(ours, theirs):
    if isinstance(ours, bool) or isinstance(theirs, bool):
        return ours == theirs
    if isinstance(ours, (int, float)) and isinstance(theirs, (int, float)):
        if ours == theirs:
            return True
        return abs(ours - theirs) <= 1e-9 * max(abs(ours), abs(theirs))
    if ours in (None, "") and theirs in (None, ""):
        return True
    return ours == theirs


def main():
    tavo, work = sys.argv[1], pathlib.Path(sys.argv[2])
    status = missing(["soffice"], "LibreOffice (libreoffice-calc)")
    if status is not None:
        return status
    office = demo_run.office()
    demo = fresh_demo(tavo, work)
    profile = work / "profile"
    (profile / "user").mkdir(parents=True)
    (profile / "user" / "registrymodifications.xcu").write_text(RECALC_ALWAYS)
    files = sorted(p for p in demo.rglob("*.xlsx"))
    out = work / "recalculated"
    checked = mismatches = 0
    for f in files:
        target = out / f.relative_to(demo).parent
        target.mkdir(parents=True, exist_ok=True)
        run = subprocess.run([office, "--headless", "--norestore", f"-env:UserInstallation=file://{profile}",
                              "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", str(target), str(f)],
                             capture_output=True, text=True, timeout=300)
        converted = target / f.name
        if run.returncode != 0 or not converted.exists():
            print(f"{f}: LibreOffice could not open it: {run.stdout} {run.stderr}")
            return 1
        formulas = openpyxl.load_workbook(f, data_only=False)
        ours = openpyxl.load_workbook(f, data_only=True)
        theirs = openpyxl.load_workbook(converted, data_only=True)
        for ws in formulas.worksheets:
            for row in ws.iter_rows():
                for cell in row:
                    if cell.data_type != "f":
                        continue
                    checked += 1
                    a = ours[ws.title][cell.coordinate].value
                    b = theirs[ws.title][cell.coordinate].value
                    if not same(a, b):
                        mismatches += 1
                        if mismatches <= 20:
                            print(f"{f.name}!{ws.title}!{cell.coordinate} {cell.value}: tavo {a!r}, LibreOffice {b!r}")
    print(f"{len(files)} files opened, {checked} formulas recalculated, {mismatches} mismatches")
    print(f"{checked - mismatches} passed, {mismatches} failed")
    return 1 if mismatches else 0


if __name__ == "__main__":
    sys.exit(main())
