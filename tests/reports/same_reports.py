"""Two builds of tavo against each other over schools drawn from seeds:
every report command on every school, and every part of the written
workbooks compared byte for byte. A change that means to keep every
report as it was must leave no difference.

  same_reports.py BEFORE_TAVO AFTER_TAVO SCHOOL_GENERATOR WORK [--schools=100] [--first=1]

The generator is bench/tavo_bench_school; each seed draws the school's size,
switches, weights, line methods, groups, teachers and columns."""
import concurrent.futures
import pathlib
import re
import shutil
import subprocess
import sys
import zipfile

COMMANDS = {
    "三线": ["cmdSanXianTJ_Click"],
    "双线": ["cmdTwoXianTJ_Click"],
    "四率": ["cmdSiLvTJ_Click"],
    "赋分": ["cmdFuFenTJ_Click"],
    "图表": ["cmdTuBiaoTJ_Click"],
    "成绩表": ["--csb", "三线版", "cmdCJ_Click"],
    "成绩表2": ["--csb", "双线版", "cmdCJ_Click"],
}


def size_of(seed):
    x = (seed * 40503) % 65536
    return 20 + x % 2500, 1 + (x // 7) % 30


def make_school(tavo, generator, folder, seed):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([tavo, "init", folder], check=True, stdout=subprocess.DEVNULL)
    students, classes = size_of(seed)
    system, scores = folder / "成绩统计.xlsx", folder / "数据" / "scores.xlsx"
    subprocess.run([generator, system, scores, str(students), str(classes), f"seed={seed}"], check=True)
    return system, scores


def run(tavo, school, command, out):
    """The command on a fresh copy of the school; the files it leaves, and
    what it printed."""
    shutil.copytree(school, out)
    proc = subprocess.run([tavo, "run", "--system", out / "成绩统计.xlsx", "--select", "scores.xlsx",
                           *COMMANDS[command]], capture_output=True)
    said = (proc.stdout + proc.stderr).decode().replace(str(out), "<school>")
    return proc.returncode, re.sub(r"\(\d+\.\d+ s\)", "(s)", said)


def parts(path):
    with zipfile.ZipFile(path) as z:
        return {name: z.read(name) for name in z.namelist()}


def compare(before, after):
    differ = []
    for name in ("成绩统计.xlsx", "数据/scores.xlsx"):
        a, b = parts(before / name), parts(after / name)
        differ += [f"{name}:{p}" for p in sorted(a.keys() | b.keys()) if a.get(p) != b.get(p)]
    return differ


def one_school(args):
    before, after, generator, work, seed = args
    folder = work / f"school{seed}"
    shutil.rmtree(folder, ignore_errors=True)
    school = folder / "pristine"
    make_school(after, generator, school, seed)
    found = []
    for command in COMMANDS:
        runs = []
        for name, tavo in (("before", before), ("after", after)):
            out = folder / f"{command}-{name}"
            runs.append(run(tavo, school, command, out))
        if runs[0] != runs[1]:
            found.append(f"school {seed} {command}: the runs say different things")
        differ = compare(folder / f"{command}-before", folder / f"{command}-after")
        found += [f"school {seed} {command}: {d}" for d in differ]
    if not found:
        shutil.rmtree(folder)
    return found


def main():
    before, after, generator, work = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
    options = dict(a[2:].split("=", 1) for a in sys.argv[5:] if a.startswith("--"))
    schools, first = int(options.get("schools", 100)), int(options.get("first", 1))
    work.mkdir(parents=True, exist_ok=True)
    seeds = range(first, first + schools)
    failures = []
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for found in pool.map(one_school, [(before, after, generator, work, s) for s in seeds]):
            for line in found:
                print(line, flush=True)
            failures += found
    print(f"{schools} schools, {len(COMMANDS)} commands each: {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
