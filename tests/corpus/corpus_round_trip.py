#!/usr/bin/python3
"""Files the desktop spreadsheet wrote, each loaded and saved by tavo and
compared with what it was: its values and formulas, number formats,
merged areas, widths, and the features a teacher's workbook has
(conditional formats, validations, filters, comments, links, names,
charts, pictures, tables, chart sheets, macros). A loss the tool named
(tavo's warning) is "warned"; one it did not is "silent".

The files are the reference files of libxlsxwriter's test suite (BSD-2-
Clause), from Debian's source package of it (`apt-get source`).

  corpus_round_trip.py TOOL WORKDIR [--sample N]

Prints a table of files by kind of loss. Exits 1 when a file made the
tool fail, or when a kind tavo carries is lost silently; 77 (skipped)
when the source package cannot be had and CI is not set."""
import glob
import os
import pathlib
import re
import shutil
import subprocess
import sys
import zipfile

# Kinds of loss, and the words of tavo's warning that name each.
KINDS = {
    "values": [], "formulas": ["公式"], "number formats": [], "merged areas": [], "widths": [],
    "conditional formats": ["条件格式"], "validations": ["数据有效性"], "autofilter": ["自动筛选"],
    "comments": ["批注"], "hyperlinks": ["超链接"], "names": ["名称"], "charts": ["图表"],
    "pictures": ["图片", "图形"], "tables": ["表格"], "chart sheets": ["图表工作表"], "macros": ["宏"],
    "pivot tables": ["数据透视表"],
}
# What tavo keeps or carries: any silent loss of these fails the run.
CARRIED = ["values", "formulas", "merged areas", "conditional formats", "autofilter", "comments", "hyperlinks",
           "names", "chart sheets", "charts", "pictures", "tables", "widths", "macros"]


def sources(work):
    """The folder of the reference files, fetched once."""
    unpacked = sorted(glob.glob(str(work / "sources" / "libxlsxwriter-*" / "test" / "functional" / "xlsx_files")))
    if unpacked:
        return pathlib.Path(unpacked[-1])
    (work / "sources").mkdir(parents=True, exist_ok=True)
    fetched = subprocess.run(["apt-get", "source", "--download-only", "--only-source", "libxlsxwriter"],
                             cwd=work / "sources", capture_output=True, text=True)
    tarballs = sorted(glob.glob(str(work / "sources" / "libxlsxwriter_*.orig.tar.gz")))
    if fetched.returncode != 0 or not tarballs:
        return None
    subprocess.run(["tar", "xzf", os.path.basename(tarballs[-1])], cwd=work / "sources", check=True)
    return sources(work)


def parts(path):
    with zipfile.ZipFile(path) as z:
        return z.namelist(), z.read("[Content_Types].xml").decode("utf-8", "replace")


def features(path):
    """What is compared, as openpyxl and the package's parts show it."""
    import warnings
    from openpyxl import load_workbook
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        book = load_workbook(path)
    names, types = parts(path)
    f = {"chart sheets": sorted(c.title for c in book.chartsheets),
         "names": sorted(n.name for n in book.defined_names.definedName if not n.name.startswith("_xlnm")),
         # By what the parts are, wherever they lie.
         "charts": types.count("drawingml.chart+xml"),
         "pictures": len([n for n in names if re.search(r"\.(png|jpe?g|gif|bmp|emf|wmf)$", n, re.I)]),
         "tables": types.count("spreadsheetml.table+xml"),
         "macros": int(any(n.endswith("vbaProject.bin") for n in names)),
         "pivot tables": types.count("pivotTable+xml"), "sheets": {}}
    for sheet in book.worksheets:
        # The cells there are: iterating rows would make every cell up to
        # the farthest one.
        cells, formats, commented, linked = {}, {}, [], []
        for c in sheet._cells.values():
            if c.value is not None:
                # The format's escape of a character, which openpyxl reads
                # for some characters and not for others.
                cells[c.coordinate] = re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), c.value) \
                    if isinstance(c.value, str) else c.value
                if c.number_format != "General":
                    formats[c.coordinate] = c.number_format
            if c.comment:
                commented.append(c.coordinate)
            if c.hyperlink:
                linked.append(c.coordinate)
        f["sheets"][sheet.title] = {
            "values": {k: v for k, v in cells.items() if not (isinstance(v, str) and v.startswith("="))},
            "formulas": {k: v.replace(" ", "") for k, v in cells.items() if isinstance(v, str) and v.startswith("=")},
            "number formats": formats,
            "merged areas": sorted(str(m) for m in sheet.merged_cells.ranges),
            "widths": {k: round(d.width, 1) for k, d in sheet.column_dimensions.items() if d.customWidth},
            "conditional formats": sorted(str(cf.sqref) for cf in sheet.conditional_formatting),
            "validations": sorted(str(v.sqref) for v in sheet.data_validations.dataValidation),
            "autofilter": sheet.auto_filter.ref,
            "comments": sorted(commented),
            "hyperlinks": sorted(linked),
        }
    return f


def losses(before, after):
    """The kinds of what `before` had that `after` lacks."""
    lost = set()
    for kind in ("chart sheets", "names"):
        if set(before[kind]) - set(after[kind]):
            lost.add(kind)
    for kind in ("charts", "pictures", "tables", "macros", "pivot tables"):
        if after[kind] < before[kind]:
            lost.add(kind)
    for title, sheet in before["sheets"].items():
        other = after["sheets"].get(title)
        if other is None:
            lost.add("values")
            continue
        for kind, had in sheet.items():
            now = other[kind]
            if isinstance(had, dict):
                if any(now.get(k) != v and not (isinstance(v, float) and isinstance(now.get(k), (int, float))
                                                and abs(now[k] - v) <= 1e-9 * max(1, abs(v))) for k, v in had.items()):
                    lost.add(kind)
            elif had and had != now:
                lost.add(kind)
    return lost


def main():
    import resource
    # A file openpyxl would need more than this for is a failure, not a
    # machine brought down.
    resource.setrlimit(resource.RLIMIT_AS, (6 << 30, 6 << 30))
    tool, work = sys.argv[1], pathlib.Path(sys.argv[2])
    sample = int(sys.argv[sys.argv.index("--sample") + 1]) if "--sample" in sys.argv else 0
    folder = sources(work)
    if folder is None:
        if os.environ.get("CI"):
            print("libxlsxwriter's source package could not be fetched")
            return 1
        print("libxlsxwriter's source package is not to be had (deb-src entries: make web): skipped")
        return 77
    files = sorted(folder.glob("*.xlsx")) + sorted(folder.glob("*.xlsm"))
    if sample:
        files = files[::max(1, len(files) // sample)][:sample]
    out = work / "saved"
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    silent, warned, refused, failed = {k: [] for k in KINDS}, {k: [] for k in KINDS}, [], []
    for path in files:
        saved = out / path.name  # an .xlsm stays one
        run = subprocess.run([tool, str(path), str(saved)], capture_output=True, text=True)
        named = " ".join(line for line in run.stdout.splitlines() if line.startswith("named: "))
        if run.returncode == 1:
            refused.append((path.name, run.stdout.strip()))
            continue
        if run.returncode != 0:
            failed.append((path.name, (run.stdout + run.stderr).strip()[:200]))
            continue
        try:
            before = features(path)
        except Exception:  # openpyxl cannot read the original: nothing to compare with
            continue
        try:
            after = features(saved)
        except Exception as e:
            failed.append((path.name, f"openpyxl cannot read what tavo saved: {type(e).__name__} {e}"))
            continue
        for kind in losses(before, after):
            (warned if any(w in named for w in KINDS[kind]) else silent)[kind].append(path.name)
    print(f"{len(files)} files from {folder}: {len(refused)} refused, {len(failed)} failed")
    print(f"{'kind':22} {'silent':>7} {'warned':>7}  examples of silent")
    for kind in KINDS:
        print(f"{kind:22} {len(silent[kind]):7} {len(warned[kind]):7}  {', '.join(silent[kind][:3])}")
    for name, why in refused[:10]:
        print(f"refused {name}: {why}")
    for name, why in failed[:10]:
        print(f"FAILED {name}: {why}")
    bad = [k for k in CARRIED if silent[k]]
    if bad:
        print("lost without a word: " + ", ".join(f"{k} ({', '.join(silent[k][:3])})" for k in bad))
    return 1 if failed or bad else 0


if __name__ == "__main__":
    sys.exit(main())
