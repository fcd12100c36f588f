"""The whole job a teacher waits for, through the real command line:
`tavo run --select scores.xlsx cmdSanXianTJ_Click` on generated schools of
5,000 to 200,000 students, phase by phase (tavo's --timings), the median of
five rounds over all sizes and the peak resident memory. At 20,000 students, in the same
run: a pandas + openpyxl script computing the same three-line counts, and
the zlib floor (inflating every part tavo reads, deflating every part it
writes at level 6).

  /usr/bin/python3 whole_run.py BUILD_DIR [--sizes=5000,20000,...] [--no-targets]

Exits 1 when a target is missed (unless --no-targets)."""
import math
import os
import pathlib
import shutil
import statistics
import struct
import subprocess
import sys
import time
import zipfile
import zlib

HERE = pathlib.Path(__file__).resolve().parent
COMMAND = "cmdSanXianTJ_Click"
PHASES = ("load", "selection", "report", "save")
ROUNDS = 5


def classes_for(students):
    return 400 if students >= 200000 else 60


def make_school(build, folder, students):
    """A system workbook with the settings typed and the score workbook, kept
    as pristine copies to restore before every run."""
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([build / "src/cli/tavo", "init", folder], check=True, stdout=subprocess.DEVNULL)
    system, scores = folder / "成绩统计.xlsx", folder / "数据" / "scores.xlsx"
    subprocess.run([build / "bench/tavo_bench_school", system, scores, str(students), str(classes_for(students))],
                   check=True)
    for f in (system, scores):
        shutil.copy(f, f.with_name(f.name + ".pristine"))
    return system, scores


def restore(*files):
    for f in files:
        shutil.copy(f.with_name(f.name + ".pristine"), f)


def run_tavo(build, system, scores):
    """One whole run: wall seconds, tavo's phases, peak RSS in MB."""
    restore(system, scores)
    start = time.perf_counter()
    proc = subprocess.Popen([build / "src/cli/tavo", "run", "--system", system, "--select", scores.name, COMMAND,
                             "--timings"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = proc.stderr.read().decode()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"tavo failed ({status}):\n{err}")
    line = next(l for l in err.splitlines() if l.startswith("timings:"))
    phases = {k: float(v) for k, v in (item.split("=") for item in line.split()[1:])}
    return wall, phases, usage.ru_maxrss / 1024


def pandas_seconds(scores):
    start = time.perf_counter()
    subprocess.run([sys.executable, HERE / "three_line_pandas.py", scores], check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def raw_streams(path):
    """The deflated bytes of every part of a zip, as stored."""
    streams = []
    with open(path, "rb") as f, zipfile.ZipFile(path) as z:
        for info in z.infolist():
            f.seek(info.header_offset)
            header = f.read(30)
            name_length, extra_length = struct.unpack("<HH", header[26:30])
            f.seek(info.header_offset + 30 + name_length + extra_length)
            streams.append((info.compress_type, f.read(info.compress_size)))
    return streams


def zlib_floor(read_files, written_files):
    """Inflating every part of the files read, deflating every part of the
    files written at level 6: the least any xlsx program must do. Measured
    once in a fresh process, as tavo runs: the memory the data needs is
    new to it (on this kind of virtual machine its first touch is a good
    share of the cost). The stored streams alone, no zip bookkeeping."""
    out = subprocess.run([sys.executable, __file__, "--floor", *map(str, read_files), "--", *map(str, written_files)],
                         check=True, capture_output=True, text=True).stdout.split()
    return float(out[0]), float(out[1])


def measure_floor(read_files, written_files):
    streams = [s for f in read_files for s in raw_streams(f)]
    parts_out = []
    for f in written_files:
        with zipfile.ZipFile(f) as z:
            parts_out += [z.read(i) for i in z.infolist()]
    start = time.perf_counter()
    for kind, data in streams:
        if kind == zipfile.ZIP_DEFLATED:
            zlib.decompressobj(-15).decompress(data)
    inflate = time.perf_counter() - start
    start = time.perf_counter()
    for data in parts_out:
        c = zlib.compressobj(6, zlib.DEFLATED, -15)
        c.compress(data)
        c.flush()
    return inflate, time.perf_counter() - start


def nlogn(n0, n1):
    return n1 * math.log(n1) / (n0 * math.log(n0))


def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    sizes = [5000, 20000, 80000, 200000]
    for arg in sys.argv[2:]:
        if arg.startswith("--sizes="):
            sizes = [int(x) for x in arg[8:].split(",")]
    work = build / "bench" / "whole-run"
    schools = {n: make_school(build, work / str(n), n) for n in sizes}
    # Rounds over every size, the pandas script and the floor, so that a
    # busy spell of the machine slows all of them alike; medians per size.
    runs = {n: [] for n in sizes}
    pandas, floors = [], []
    for _ in range(ROUNDS):
        for n in sizes:
            system, scores = schools[n]
            runs[n].append(run_tavo(build, system, scores))
            if n == 20000:
                pandas.append(pandas_seconds(scores))
                # The run above left scores.xlsx as tavo wrote it.
                floors.append(zlib_floor([system.with_name(system.name + ".pristine"),
                                          scores.with_name(scores.name + ".pristine")], [scores]))
    rows = {}
    extra = {}
    print(f"{'students':>8} {'classes':>7} {'xlsx MB':>7} " + " ".join(f"{p:>9}" for p in PHASES) +
          f" {'whole s':>8} {'peak MB':>8}")
    for n in sizes:
        wall = statistics.median(r[0] for r in runs[n])
        phases = {p: statistics.median(r[1][p] for r in runs[n]) for p in PHASES}
        rss = max(r[2] for r in runs[n])
        rows[n] = (wall, phases, rss)
        scores = schools[n][1]
        size_mb = scores.with_name(scores.name + ".pristine").stat().st_size / 1e6
        print(f"{n:>8} {classes_for(n):>7} {size_mb:>7.1f} " + " ".join(f"{phases[p]:>9.3f}" for p in PHASES) +
              f" {wall:>8.3f} {rss:>8.0f}", flush=True)
    if pandas:
        inflate = statistics.median(f[0] for f in floors)
        deflate = statistics.median(f[1] for f in floors)
        extra["pandas"] = statistics.median(pandas)
        extra["floor"] = inflate + deflate
        print(f"  at 20000: pandas + openpyxl {extra['pandas']:.3f} s; zlib floor {extra['floor']:.3f} s "
              f"(inflate {inflate:.3f} s, deflate {deflate:.3f} s)", flush=True)

    print("\ntargets:")
    ok = True

    def check(label, good):
        nonlocal ok
        ok &= good
        print(f"  {'ok  ' if good else 'MISS'} {label}")

    if 20000 in rows and "pandas" in extra:
        w = rows[20000][0]
        check(f"20000: whole run {w:.3f} s is {extra['pandas'] / w:.1f}x faster than pandas (>= 10x)",
              extra["pandas"] / w >= 10)
        check(f"20000: whole run is {w / extra['floor']:.2f}x the zlib floor (<= 3x)", w / extra["floor"] <= 3)
    if 20000 in rows and 200000 in rows:
        ratio = rows[200000][0] / rows[20000][0]
        check(f"200000: whole run {rows[200000][0]:.3f} s is {ratio:.1f}x the 20000 run (<= 12x)", ratio <= 12)
        check(f"200000: peak memory {rows[200000][2]:.0f} MB (< 400 MB)", rows[200000][2] < 400)
    first, last = sizes[0], sizes[-1]
    if first != last:
        for p in ("selection", "report"):
            grew = rows[last][1][p] / max(rows[first][1][p], 1e-3)
            # A little slack for the timer's noise on a busy machine.
            check(f"{p}: x{grew:.1f} from {first} to {last} (n log n x{nlogn(first, last):.1f})",
                  grew <= 1.25 * nlogn(first, last))
    return 0 if ok or "--no-targets" in sys.argv else 1


if __name__ == "__main__":
    if sys.argv[1:2] == ["--floor"]:
        split = sys.argv.index("--")
        print(*measure_floor(sys.argv[2:split], sys.argv[split + 1:]))
        sys.exit(0)
    sys.exit(main())
