#!/usr/bin/python3
"""LibreOffice prints the demo's report sheets as a teacher needs them:
"成绩表" one class a page or more (no printed page holds students of two
classes, and every class is printed), "单科1", "各科3" and "分段表" with no
table cut by a page, and "统计图" with every chart and its title drawn.

usage: report_pdfs.py TAVO WORKDIR
Exit 0 when so, 1 otherwise, 77 (skipped) when LibreOffice or poppler is
missing and CI is not set."""
import pathlib
import re
import subprocess
import sys
import zipfile

import demo_run
from demo_run import fresh_demo, missing

FIELDS = ["总分", "语文", "数学", "英语", "物理", "化学", "生物"]


def only_sheet(source, target, keep):
    """A copy of the workbook that lists only the sheet `keep`, so that the
    PDF holds its pages alone; the sheet's own parts are untouched."""
    with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            if item.filename == "xl/workbook.xml":
                text = data.decode("utf-8")

                text = re.sub(r"<sheet\s[^>]*/>", lambda m: m.group(0) if f'name="{keep}"' in m.group(0) else "", text)
                text = re.sub(r"<definedNames>.*?</definedNames>", "", text)
                text = re.sub(r'\sactiveTab="\d+"', "", text)
                data = text.encode("utf-8")
            zout.writestr(item, data)


def pdf_words(pdf):
    """Per page, its words with their boxes (points from the top left)."""
    html = subprocess.run(["pdftotext", "-bbox", str(pdf), "-"], check=True, capture_output=True, text=True).stdout
    pages = []
    for page in html.split("<page ")[1:]:
        pages.append([(m.group(5), tuple(float(m.group(i)) for i in range(1, 5)))
                      for m in re.finditer(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">'
                                           r'([^<]*)</word>', page)])
    return pages


def page_ink(pdf, page):
    """Whether a box of the page, drawn at 72 dpi in gray, holds a dark pixel."""
    pgm = subprocess.run(["pdftoppm", "-r", "72", "-gray", "-f", str(page), "-l", str(page), str(pdf)],
                         check=True, capture_output=True).stdout
    fields, at = [], 0
    while len(fields) < 4:  # P5 width height maxval, then the pixels
        token = re.match(rb"\s*(#[^\n]*\n\s*)*(\S+)", pgm[at:])
        fields.append(token.group(2))
        at += token.end()
    at += 1
    width, height = int(fields[1]), int(fields[2])
    pixels = pgm[at:]

    def ink(box):
        x0, y0, x1, y1 = (int(v) for v in box)
        return any(pixels[y * width + x] < 128 for y in range(max(y0, 0), min(y1 + 1, height))
                   for x in range(max(x0, 0), min(x1 + 1, width)))
    return ink


def main():
    tavo, work = sys.argv[1], pathlib.Path(sys.argv[2])
    status = missing(["soffice", "pdftotext"], "LibreOffice or poppler-utils")
    if status is not None:
        return status
    office = demo_run.office()
    demo = fresh_demo(tavo, work)
    scores = next((demo / "数据").glob("*.xlsx"))
    profile = work / "profile"

    def pdf_text(sheet, stem, layout):
        alone = work / f"{stem}.xlsx"
        only_sheet(scores, alone, sheet)
        subprocess.run([office, "--headless", "--norestore", f"-env:UserInstallation=file://{profile}",
                        "--convert-to", "pdf", "--outdir", str(work), str(alone)],
                       check=True, capture_output=True, timeout=300)
        mode = ["-layout"] if layout else []
        return subprocess.run(["pdftotext", *mode, str(work / f"{stem}.pdf"), "-"], check=True,
                              capture_output=True, text=True).stdout

    failed = 0
    pages = [p for p in pdf_text("成绩表", "score_sheet", True).split("\f") if p.strip()]
    classes_seen = []
    for number, page in enumerate(pages, 1):
        classes = sorted(set(re.findall(r"\b\d+班", page)))
        # A wide score file (a column per question) prints its further
        # columns on pages of their own, which name no class: the rows
        # break at the same places there.
        if len(classes) > 1:
            print(f"成绩表 page {number} holds classes {classes}")
            failed += 1
        classes_seen += classes
    expected = 8
    print(f"成绩表: {len(pages)} pages, classes {sorted(set(classes_seen))}")
    if len(set(classes_seen)) != expected or len(pages) < expected:
        print(f"expected every one of {expected} classes on a page of its own")
        failed += 1

    # Every chart title printed, whole and once: a line-1 and a line-2 chart
    # per field. A title counts where it shows (ink under its words): the
    # white tables hold the same names, and a chart that starts at a page's
    # last edge is also drawn clipped away on that page.
    pdf_text("统计图", "charts", False)
    shown = {field: 0 for field in FIELDS}
    for page, words in enumerate(pdf_words(work / "charts.pdf"), 1):
        ink = page_ink(work / "charts.pdf", page)
        texts = ["", ""] + [word for word, _ in words]
        for i, (word, box) in enumerate(words):
            # "[ 总分 ]", with a data label's digits perhaps read in between.
            before = texts[i + 1] if texts[i + 1] == "[" or not texts[i + 1].isdigit() else texts[i]
            if before == "[" and word in shown and ink(box):
                shown[word] += 1
    for field, titles in shown.items():
        if titles != 2:
            print(f"统计图: {titles} chart titles of {field} printed, expected 2")
            failed += 1

    # No subject's table is cut by a page: each page of "单科1" holds as many
    # titles as sum rows, each page of "各科3" every class of each field.
    checks = len(pages) + len(FIELDS)
    for number, page in enumerate(pdf_text("单科1", "single1", True).split("\f"), 1):
        checks += 1
        titles, sums = len(re.findall(r"\S+统计", page)), len(re.findall(r"共计", page))
        if titles != sums:
            print(f"单科1 page {number}: {titles} subject titles, {sums} sum rows")
            failed += 1
    for number, page in enumerate(pdf_text("分段表", "bands", True).split("\f"), 1):
        checks += 1
        heads = len(re.findall(r"^\s*(?:" + "|".join(FIELDS) + r")\s", page, re.M))
        sums = len(re.findall(r"合计", page))
        if heads != sums:
            print(f"分段表 page {number}: {heads} block headers, {sums} sum rows")
            failed += 1
    for number, page in enumerate(pdf_text("各科3", "subjects3", True).split("\f"), 1):
        checks += 1
        rows = len(re.findall(r"\b\d+班", page))
        if rows % expected:
            print(f"各科3 page {number}: {rows} class rows, not whole fields of {expected} classes")
            failed += 1
    print(f"{checks - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
