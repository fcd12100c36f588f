#!/usr/bin/python3
"""A teacher's score workbook made in LibreOffice, with what teachers put
in one: red for failing scores (a conditional format), a filter on the
header row, a comment on a student, links, a defined name, a chart on a
sheet of its own, a picture and a bar chart on the data sheet. Selected and
given every report by tavo, it comes back with all of them, as openpyxl
reads the file and as LibreOffice opens it again; nothing is named as
lost and no backup is made.

usage: workbook_comes_back.py TAVO WORKDIR"""
import pathlib
import shutil
import subprocess
import sys
import zipfile

from demo_run import fresh_demo, missing, office

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from checklist import told  # noqa: E402

REPORTS = [("cmdCJ_Click", "三线版"), ("cmdSanXianTJ_Click", ""), ("cmdTwoXianTJ_Click", ""), ("cmdSiLvTJ_Click", ""),
           ("cmdFuFenTJ_Click", ""), ("cmdTuBiaoTJ_Click", "")]


def teacher_workbook(demo, path):
    """The sample's scores with a teacher's additions, saved by openpyxl
    and then by LibreOffice, which writes what is checked."""
    from openpyxl import Workbook, load_workbook
    from openpyxl.comments import Comment
    from openpyxl.formatting.rule import CellIsRule
    from openpyxl.styles import Font, PatternFill
    from openpyxl.workbook.defined_name import DefinedName
    from openpyxl.worksheet.hyperlink import Hyperlink
    source = load_workbook(demo / "数据" / "示例成绩.xlsx", read_only=True)["数据表"]
    book = Workbook()
    sheet = book.active
    sheet.title = "数据表"
    for row in source.iter_rows(values_only=True):
        sheet.append(list(row))
    last = sheet.max_row
    sheet.conditional_formatting.add(f"D2:D{last}", CellIsRule(operator="lessThan", formula=["60"],
                                     font=Font(color="FFFF0000"), fill=PatternFill("solid", bgColor="FFFFC7CE")))
    sheet.auto_filter.ref = f"A1:{sheet.cell(1, sheet.max_column).column_letter}{last}"
    sheet["B2"].comment = Comment("转学生，期中缺考一科", "班主任")
    sheet["A3"].hyperlink = "https://example.org/student/2"
    sheet["A4"].hyperlink = Hyperlink(ref="A4", location="'数据表'!J1", display="总分")
    book.defined_names.append(DefinedName("语文成绩", attr_text=f"'数据表'!$D$2:$D${last}"))
    made = path.parent / "openpyxl"
    made.mkdir(exist_ok=True)
    book.save(made / path.name)
    subprocess.run([office(), "--headless", "--calc", "--convert-to", "xlsx:Calc MS Excel 2007 XML",
                    "--outdir", str(path.parent), str(made / path.name)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # LibreOffice has no chart sheets; the desktop spreadsheet's kind is
    # added to its file as openpyxl writes one.
    from openpyxl.chart import LineChart, Reference
    book = load_workbook(path)
    chart = LineChart()
    chart.title = "语文"
    chart.add_data(Reference(book["数据表"], min_col=4, min_row=1, max_row=11), titles_from_data=True)
    book.create_chartsheet("语文走势").add_chart(chart)
    # And on the data sheet, the school's crest and a bar chart of the
    # first class's scores: kinds of drawing tavo does not model.
    import io
    from PIL import Image as Picture
    from openpyxl.chart import BarChart
    from openpyxl.drawing.image import Image
    crest = io.BytesIO()
    Picture.new("RGB", (24, 24), (200, 30, 30)).save(crest, format="PNG")
    book["数据表"].add_image(Image(crest), "P2")
    bars = BarChart()
    bars.title = "数学"
    bars.add_data(Reference(book["数据表"], min_col=5, min_row=1, max_row=11), titles_from_data=True)
    book["数据表"].add_chart(bars, "P8")
    book.save(path)
    return last


def chart_of_sheet(z, name):
    """The text of the first chart on sheet `name` of the package open in
    `z`, found by the relationships from the workbook on, or None."""
    import posixpath
    import re

    def related(part, kind):
        rels = posixpath.join(posixpath.dirname(part), "_rels", posixpath.basename(part) + ".rels")
        if rels not in z.namelist():
            return {}
        found = {}
        for element in re.findall(r"<Relationship [^>]*>", z.read(rels).decode()):
            a = dict(re.findall(r'(\w+)="([^"]*)"', element))
            if a["Type"].endswith(kind):
                target = a["Target"]
                found[a["Id"]] = target[1:] if target.startswith("/") else \
                    posixpath.normpath(posixpath.join(posixpath.dirname(part), target))
        return found
    workbook = z.read("xl/workbook.xml").decode()
    sheet = re.search(r'<sheet [^>]*(?<= )name="' + re.escape(name) + r'"[^>]*r:id="([^"]+)"', workbook)
    if not sheet:
        return None
    part = related("xl/workbook.xml", "sheet").get(sheet.group(1))
    for drawing in related(part, "/drawing").values():
        for chart in related(drawing, "/chart").values():
            return z.read(chart).decode()
    return None


def features(path):
    """What the checks look at, as openpyxl reads `path`."""
    from openpyxl import load_workbook
    book = load_workbook(path)
    sheet = book["数据表"]
    rules = [(str(cf.sqref), r.operator, r.formula) for cf in sheet.conditional_formatting for r in cf.rules]
    links = {c: sheet[c].hyperlink and (sheet[c].hyperlink.target or sheet[c].hyperlink.location)
             for c in ("A3", "A4")}
    names = {n.name: n.attr_text for n in book.defined_names.definedName}
    with zipfile.ZipFile(path) as z:
        chart = chart_of_sheet(z, "语文走势")
        bars = chart_of_sheet(z, "数据表")
    return {"rules": rules, "filter": sheet.auto_filter.ref, "comment": sheet["B2"].comment and sheet["B2"].comment.text,
            "links": links, "name": names.get("语文成绩"), "chart sheets": [c.title for c in book.chartsheets],
            "chart": chart is not None and "lineChart" in chart and "数据表" in chart,
            "drawing": (len(sheet._images), bars is not None and "barChart" in bars and "数据表" in bars)}


def main():
    tavo, work = sys.argv[1], pathlib.Path(sys.argv[2])
    skipped = missing(["soffice"], "LibreOffice")
    if skipped is not None:
        return skipped
    demo = fresh_demo(tavo, work)
    scores = demo / "数据" / "期中.xlsx"
    (work / "made").mkdir()
    last = teacher_workbook(demo, work / "made" / "期中.xlsx")
    shutil.copy(work / "made" / "期中.xlsx", scores)
    before = features(scores)

    checks = []
    said = ""
    for command, csb in REPORTS:
        run = subprocess.run([tavo, "run", "--system", str(demo / "成绩统计.xlsx"), "--select", "期中.xlsx",
                              *(["--csb", csb] if csb else []), command], capture_output=True, text=True, cwd=demo)
        said += run.stderr
        checks.append((run.returncode == 0, f"{command} ran ({run.returncode}: {run.stderr.strip()[:160]})"))
    checks.append(("注意" not in said and not (demo / "数据" / "期中.xlsx.bak").exists(),
                   f"nothing is named as lost, no backup is made ({said.strip()[:200]})"))
    after = features(scores)
    checks.append((before["rules"] and after["rules"] == before["rules"], f"the conditional format ({after['rules']})"))
    checks.append((before["filter"] and after["filter"] == before["filter"], f"the filter ({after['filter']})"))
    checks.append((before["comment"] and after["comment"] == before["comment"], f"the comment ({after['comment']!r})"))
    checks.append((before["links"]["A3"] and after["links"] == before["links"], f"the links ({after['links']})"))
    checks.append((before["name"] and after["name"] == before["name"], f"the defined name ({after['name']})"))
    checks.append((before["chart sheets"] == ["语文走势"] and after["chart sheets"] == before["chart sheets"]
                   and after["chart"], f"the chart on its own sheet ({after['chart sheets']}, {after['chart']})"))
    checks.append((before["drawing"] == (1, True) and after["drawing"] == before["drawing"],
                   f"the picture and the bar chart on the data sheet ({after['drawing']})"))
    with zipfile.ZipFile(scores) as z:
        sheets = [n for n in z.namelist() if n.startswith("xl/worksheets/sheet")]
        checks.append(("<dxfs" in z.read("xl/styles.xml").decode() and len(sheets) > 5,
                       f"the red is a differential format of the styles part, beside the reports ({len(sheets)} sheets)"))

    # LibreOffice opens what tavo wrote and finds the same.
    again = work / "again"
    subprocess.run([office(), "--headless", "--calc", "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir",
                    str(again), str(scores)], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reopened = features(again / "期中.xlsx") if (again / "期中.xlsx").exists() else {}
    checks.append((reopened.get("rules") == before["rules"] and reopened.get("comment") == before["comment"]
                   and reopened.get("filter") == before["filter"] and reopened.get("name") == before["name"]
                   and reopened.get("chart") and reopened.get("drawing") == before["drawing"],
                   f"LibreOffice opens the file and finds them ({reopened})"))
    return told(checks, f" ({last} rows)")


if __name__ == "__main__":
    sys.exit(main())
