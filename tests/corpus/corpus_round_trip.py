#!/usr/bin/python3
"""Files other programs wrote, each loaded and saved by tavo and compared
with what it was: its values and formulas, number formats, merged areas,
widths, and the features a teacher's workbook has (conditional formats,
validations, filters, comments, links, names, charts, pictures, tables,
chart sheets, macros). A loss the tool named (tavo's warning) is
"warned"; one it did not is "silent".

Two sources, each a Debian source package (`apt-get source`):
  libxlsxwriter  the reference files of its test suite, written by the
                 desktop spreadsheet (BSD-2-Clause);
  poi            Apache POI's test-data/spreadsheet (Apache-2.0): .xlsx,
                 .xlsm and old-format .xls from many programs. An .xls is
                 compared with LibreOffice's reading of it.

  corpus_round_trip.py TOOL WORKDIR [--source libxlsxwriter|poi] [--sample N]

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
    "comments": ["批注"], "hyperlinks": ["超链接"], "names": ["名称", "打印区域"], "charts": ["图表"],
    "pictures": ["图片", "图形"], "tables": ["表格"], "chart sheets": ["图表工作表"], "macros": ["宏"],
    "pivot tables": ["数据透视表"],
}
# What tavo keeps or carries: any silent loss of these fails the run.
CARRIED = ["values", "formulas", "merged areas", "conditional formats", "autofilter", "comments", "hyperlinks",
           "names", "chart sheets", "charts", "pictures", "tables", "widths", "macros"]


SOURCES = {
    "libxlsxwriter": ("libxlsxwriter", "libxlsxwriter-*/test/functional/xlsx_files", "libxlsxwriter_*.orig.tar.gz", []),
    "poi": ("libapache-poi-java", "*poi-*/test-data/spreadsheet", "libapache-poi-java_*.orig.tar.xz",
            ["--wildcards", "*/test-data/spreadsheet/*"]),
}


def sources(work, source):
    """The folder of the source's files, fetched and unpacked once."""
    package, folder, tarball, members = SOURCES[source]
    unpacked = sorted(glob.glob(str(work / "sources" / folder)))
    if unpacked:
        return pathlib.Path(unpacked[-1])
    (work / "sources").mkdir(parents=True, exist_ok=True)
    fetched = subprocess.run(["apt-get", "source", "--download-only", "--only-source", package],
                             cwd=work / "sources", capture_output=True, text=True)
    tarballs = sorted(glob.glob(str(work / "sources" / tarball)))
    if fetched.returncode != 0 or not tarballs:
        return None
    subprocess.run(["tar", "xf", os.path.basename(tarballs[-1]), *members], cwd=work / "sources", check=True)
    unpacked = sorted(glob.glob(str(work / "sources" / folder)))
    return pathlib.Path(unpacked[-1]) if unpacked else None


def as_read_by_libreoffice(files, out):
    """Each old-format file as LibreOffice reads it, saved as xlsx into
    `out`: what an .xls is compared with."""
    out.mkdir(parents=True, exist_ok=True)
    profile = out / "profile"
    for start in range(0, len(files), 50):
        subprocess.run(["soffice", "--headless", "--norestore", f"-env:UserInstallation=file://{profile}",
                        "--convert-to", "xlsx", "--outdir", str(out), *map(str, files[start:start + 50])],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=1800)
    return {f: out / (f.stem + ".xlsx") for f in files}


def parts(path):
    with zipfile.ZipFile(path) as z:
        return z.namelist(), z.read("[Content_Types].xml").decode("utf-8", "replace")


def features(path, results=False):
    """What is compared, as openpyxl and the package's parts show it; with
    `results`, formulas as the results the file stores."""
    import warnings
    from openpyxl import load_workbook
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        book = load_workbook(path, data_only=results)
    names, types = parts(path)
    f = {"chart sheets": sorted(c.title for c in book.chartsheets),
         # Names a program gives itself (print areas, filters; as LibreOffice
         # reads an old file's, "Excel_BuiltIn_...") are not the user's.
         "names": sorted(n.name for n in book.defined_names.definedName
                         if not n.name.startswith(("_xlnm", "Excel_BuiltIn_"))),
         # By what the parts are, wherever they lie.
         "charts": types.count("drawingml.chart+xml"),
         # The package's thumbnail is not the workbook's: a preview of it as
         # it was, which a program that changes the workbook leaves out.
         "pictures": len([n for n in names if re.search(r"\.(png|jpe?g|gif|bmp|emf|wmf)$", n, re.I)
                          and not n.startswith("docProps/")]),
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
                    # Spelt as it shows: "-", \- and a plain - are the same
                    # literal; [$-409] names the locale LibreOffice read it in.
                    # [RED] and [Red] are the same colour.
                    formats[c.coordinate] = re.sub(r'["\\]|\[\$-[0-9A-Fa-f]+\]', "", c.number_format).lower()
            if c.comment:
                commented.append(c.coordinate)
            if c.hyperlink:
                linked.append(c.coordinate)
        f["sheets"][sheet.title] = {
            "values": {k: v for k, v in cells.items() if not (isinstance(v, str) and v.startswith("="))},
            # A reference to the formula's own sheet may name it or not.
            "formulas": {k: own_sheet_named(sheet.title).sub("", v.replace(" ", ""))
                         for k, v in cells.items() if isinstance(v, str) and v.startswith("=")},
            "number formats": formats,
            "merged areas": sorted(str(m) for m in sheet.merged_cells.ranges),
            "widths": widths(sheet),
            "conditional formats": sorted(str(cf.sqref) for cf in sheet.conditional_formatting),
            "validations": sorted(str(v.sqref) for v in sheet.data_validations.dataValidation),
            "autofilter": sheet.auto_filter.ref,
            "comments": sorted(commented),
            "hyperlinks": sorted(linked),
        }
    return f


def own_sheet_named(title):
    """A reference's sheet part that names `title`: Sheet1! or 'Sheet 1'!."""
    quoted = "'" + title.replace("'", "''") + "'!"
    return re.compile("(?<![A-Za-z0-9_.])(" + re.escape(quoted) + "|" + re.escape(title + "!") + ")")


def widths(sheet):
    """The widths of the columns given one, column by column: files give
    them in runs ("B:G") that another writer may cut differently; "*" the
    width of the others, where the file gives one."""
    from openpyxl.utils import get_column_letter
    out = {"*": sheet.sheet_format.defaultColWidth} if sheet.sheet_format.defaultColWidth else {}
    for d in sheet.column_dimensions.values():
        if d.customWidth and d.min and d.max:
            for c in range(d.min, min(d.max, 1024) + 1):
                out[get_column_letter(c)] = d.width
    return out


def losses(before, after):
    """The kinds of what `before` had that `after` lacks. An old-format
    file's formulas are read as their stored results, which LibreOffice may
    have computed again: its plain values are what is compared."""
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
            lost.add("values" if sheet["values"] else "chart sheets")
            continue
        for kind, had in sheet.items():
            now = other[kind]
            # A width is the same when it shows as the same pixels (7 to a
            # character): within half of one.
            close = (lambda a, b: abs(a - b) * 7 <= 0.5) if kind == "widths" else \
                (lambda a, b: abs(a - b) <= 1e-9 * max(1, abs(a)))
            if kind == "widths":  # a column without a width of its own has the sheet's
                had = {k: v for k, v in had.items() if k != "*"}
                now = {k: now.get(k, now.get("*")) for k in had}
            if isinstance(had, dict):
                # LibreOffice cuts a text at a cell's 32,767 characters.
                def number(x):
                    return isinstance(x, (int, float)) and not isinstance(x, bool)
                # A number the same to 15 digits is the same: LibreOffice
                # reads a stored 13717219.999999985 as 13717220.
                if any(now.get(k) != v and not (number(v) and number(now.get(k)) and close(now[k], v))
                       and not (isinstance(v, str) and len(v) == 32767 and str(now.get(k)).startswith(v))
                       for k, v in had.items()):
                    lost.add(kind)
            elif had and had != now:
                lost.add(kind)
    return lost


def main():
    import resource
    # A file openpyxl would need more than this for is a failure, not a
    # machine brought down.
    resource.setrlimit(resource.RLIMIT_AS, (6 << 30, 6 << 30))
    tool, work = sys.argv[1], pathlib.Path(sys.argv[2]).resolve()
    sample = int(sys.argv[sys.argv.index("--sample") + 1]) if "--sample" in sys.argv else 0
    source = sys.argv[sys.argv.index("--source") + 1] if "--source" in sys.argv else "libxlsxwriter"
    folder = sources(work, source)
    if folder is None:
        if os.environ.get("CI"):
            print(f"the source package of {source} could not be fetched")
            return 1
        print(f"the source package of {source} is not to be had (deb-src entries: make web): skipped")
        return 77
    files = sorted(folder.glob("*.xlsx")) + sorted(folder.glob("*.xlsm")) + sorted(folder.glob("*.xls"))
    if sample:
        files = files[::max(1, len(files) // sample)][:sample]
    out = work / "saved" / source
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    originals = {f: f for f in files if f.suffix.lower() != ".xls"}
    originals.update(as_read_by_libreoffice([f for f in files if f.suffix.lower() == ".xls"], work / "libreoffice" / source))
    silent, warned, refused, failed = {k: [] for k in KINDS}, {k: [] for k in KINDS}, [], []
    for path in files:
        # An .xlsm stays one; an .xls becomes the .xlsx tavo saves it as.
        saved = out / (path.stem + ".xlsx" if path.suffix.lower() == ".xls" else path.name)
        run = subprocess.run([tool, str(path), str(saved)], capture_output=True, text=True)
        named = " ".join(line for line in run.stdout.splitlines() if line.startswith("named: "))
        if run.returncode == 1:
            refused.append((path.name, run.stdout.strip()))
            continue
        if run.returncode != 0:
            failed.append((path.name, (run.stdout + run.stderr).strip()[:200]))
            continue
        try:
            before = features(originals[path])
        except Exception:  # no reading of the original to compare with
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
    # LibreOffice reads an old file's centring across cells as merged areas,
    # and its widths in its own font's units: what differs there from its
    # reading is shown, not held against tavo.
    bad = [k for k in CARRIED
           if [f for f in silent[k] if not (f.lower().endswith(".xls") and k in ("merged areas", "widths"))]]
    if bad:
        print("lost without a word: " + ", ".join(f"{k} ({', '.join(silent[k][:3])})" for k in bad))
    return 1 if failed or bad else 0


if __name__ == "__main__":
    sys.exit(main())
