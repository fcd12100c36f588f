"""What a teacher's own pandas + openpyxl script does for the three-line
counts, for comparison with tavo: read the score workbook, take the total,
find each line's score from its head count (the N-th best), and count per
class the students at or above each line in each field, singly and together
with the total.

  three_line_pandas.py SCORES.xlsx"""
import sys

import pandas as pd

SUBJECTS = ["语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理"]


def main():
    scores = pd.read_excel(sys.argv[1], sheet_name="数据表", engine="openpyxl")
    scores["总分"] = scores[SUBJECTS].sum(axis=1)
    students = len(scores)
    tables = []
    for k in range(3):
        head_count = students // 20 * (k + 1)
        above = {}
        for field in ["总分"] + SUBJECTS:
            line = scores[field].nlargest(head_count).iloc[-1]
            above[field] = scores[field] >= line
        counts = pd.DataFrame({f: above[f] for f in above}).groupby(scores["班级"]).sum()
        double = pd.DataFrame({f: above[f] & above["总分"] for f in SUBJECTS}).groupby(scores["班级"]).sum()
        tables.append(counts.join(double, rsuffix="双"))
    pd.concat(tables, keys=["线1", "线2", "线3"]).to_csv(sys.stdout)


if __name__ == "__main__":
    main()
