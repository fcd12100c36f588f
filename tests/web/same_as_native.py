#!/usr/bin/python3
"""The browser build computes what the native one does: `tavo demo`, and a
school of 20,000 students through the selection and the three-line
report, run by node on the WebAssembly build, write the same workbooks
part for part as the native program.

usage: same_as_native.py NATIVE_TAVO WEB_BUILD WORKDIR
Exit 0 when so, 1 otherwise, 77 (skipped) when the browser build or node is
missing and CI is not set."""
import os
import pathlib
import shutil
import subprocess
import sys
import zipfile


def parts(path):
    with zipfile.ZipFile(path) as z:
        return {name: z.read(name) for name in z.namelist()}


def differing(a, b):
    """The parts of two zip files that are not the same bytes."""
    pa, pb = parts(a), parts(b)
    return sorted(n for n in pa.keys() | pb.keys() if pa.get(n) != pb.get(n))


def same(a, b, label):
    differ = differing(a, b)
    print(f"{label}: {len(parts(a))} parts, {len(differ)} differ {differ[:5]}")
    return not differ


def main():
    native, web, work = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    node = shutil.which("node")
    if not node or not (web / "tavo.js").exists():
        if os.environ.get("CI"):
            print("the browser build or node is missing")
            return 1
        print("the browser build is not there (make web): skipped")
        return 77
    wasm = [node, "--no-experimental-fetch", str(web / "tavo.js")]
    shutil.rmtree(work, ignore_errors=True)
    ok = True
    for name, program in (("web", wasm), ("native", [native])):
        subprocess.run([*program, "demo", str(work / name / "demo")], check=True, stdout=subprocess.DEVNULL)
    for f in ("成绩统计.xlsx", "数据/示例成绩.xlsx"):
        ok &= same(work / "web/demo" / f, work / "native/demo" / f, f"demo {f}")

    # A larger school: the selection and a report, from the same files.
    school = work / "school"
    bench = pathlib.Path(native).resolve().parents[2] / "bench/tavo_bench_school"
    subprocess.run([native, "init", str(school)], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([bench, school / "成绩统计.xlsx", school / "数据/scores.xlsx", "20000", "60"], check=True)
    for name, program in (("web", wasm), ("native", [native])):
        copy = work / f"{name}-school"
        shutil.copytree(school, copy)
        subprocess.run([*program, "run", "--system", str(copy / "成绩统计.xlsx"), "--select", "scores.xlsx",
                        "cmdSanXianTJ_Click"], check=True, stdout=subprocess.DEVNULL, cwd=copy)
    for f in ("成绩统计.xlsx", "数据/scores.xlsx"):
        ok &= same(work / "web-school" / f, work / "native-school" / f, f"20,000 students {f}")
    print(f"{4 if ok else 0} passed, {0 if ok else 1} failed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
