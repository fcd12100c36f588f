"""A generated school in the page, in headless Chromium, as a teacher works
it: the score file picked from the list (its selection run and its sheet
drawn), then 三线统计 pressed; each timed from the click until the page is
idle again, with the longest main-thread task seen meanwhile, against the
native command line doing the selection and the report from the same files
(in one run, and in two as the page does).
Each the median of three; the engine's memory after the report is said, and
the tab's: the peak resident memory of the browser's page processes.

  /usr/bin/python3 page_run.py BUILD_DIR WEB_BUILD_DIR [STUDENTS]"""
import json
import pathlib
import shutil
import statistics
import subprocess
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "web"))
from page_in_browser import Page, open_browser  # noqa: E402

# Every main-thread task over 50 ms, as the browser reports them.
WATCH_TASKS = ("window.longest = 0; new PerformanceObserver((list) => { for (const e of list.getEntries())"
               " longest = Math.max(longest, e.duration); }).observe({type: 'longtask', buffered: true});")
# The time of each step the page asks of its worker, and of keeping the
# work in the browser's storage.
WATCH_STEPS = ("window.steps = []; const asked = ask; ask = async (op, ...rest) => { const t = performance.now();"
               " const r = await asked(op, ...rest); steps.push(op + ' ' + Math.round(performance.now() - t)); return r; };"
               " const kept = keep; keep = async () => { const t = performance.now(); await kept();"
               " steps.push('keep ' + Math.round(performance.now() - t)); };")


def timed(page, action, picture=None):
    """Seconds from `action` (a script) until the page is idle, and the
    longest main-thread task meanwhile in seconds; `picture`, when given,
    is where the page is pictured while it says what it is doing."""
    page.js("longest = 0; document.body.dataset.idle = '0'")
    start = page.js(f"(() => {{ const t = performance.now(); {action}; return t; }})()")
    while picture and page.js("document.body.dataset.idle") != "1":
        if page.js("document.getElementById('phase').textContent.includes('%')"):
            page.screenshot(picture)
            break
        time.sleep(0.02)
    page.idle(timeout=1800)
    end = float(page.js("document.body.dataset.idleAt"))
    return (end - start) / 1000, page.js("longest") / 1000


def tab_peak_mib(browser):
    """The largest peak resident memory (VmHWM) of the browser's page
    (renderer) processes, which run the page and its worker."""
    children = {}
    for status in pathlib.Path("/proc").glob("[0-9]*/status"):
        try:
            fields = dict(line.split(":", 1) for line in status.read_text().splitlines() if ":" in line)
            children.setdefault(int(fields["PPid"]), []).append(int(status.parent.name))
        except (OSError, KeyError, ValueError):
            continue
    peak, todo = 0, [browser.pid]
    while todo:
        pid = todo.pop()
        todo.extend(children.get(pid, []))
        try:
            if b"--type=renderer" not in pathlib.Path(f"/proc/{pid}/cmdline").read_bytes():
                continue
            for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
                if line.startswith("VmHWM:"):
                    peak = max(peak, int(line.split()[1]))
        except OSError:
            continue
    return peak / 1024


def main():
    build, web = pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()
    students = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    tavo = build / "src/cli/tavo"
    work = build / "bench" / "page-run"
    shutil.rmtree(work, ignore_errors=True)
    school = work / "school"
    subprocess.run([tavo, "init", school], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([build / "bench/tavo_bench_school", school / "成绩统计.xlsx", school / "数据/scores.xlsx",
                    str(students), "60"], check=True)

    # The command line in one run, and as the page works: the selection,
    # then the report with the selection.
    native, native_steps = [], []
    for _ in range(3):
        for steps, timings in (([["cmdSanXianTJ_Click"]], native), ([[], ["cmdSanXianTJ_Click"]], native_steps)):
            copy = work / "native"
            shutil.rmtree(copy, ignore_errors=True)
            shutil.copytree(school, copy)
            start = time.perf_counter()
            for commands in steps:
                subprocess.run([tavo, "run", "--system", copy / "成绩统计.xlsx", "--select", "scores.xlsx", *commands],
                               check=True, stdout=subprocess.DEVNULL, cwd=copy)
            timings.append(time.perf_counter() - start)

    proc, tab = open_browser(work / "profile")
    picks, reports, memory, tab_peak = [], [], 0, 0
    try:
        for _ in range(3):
            # A fresh page each time: nothing kept from the run before.
            tab.call("Page.navigate", url=(web / "index.html").as_uri() + "#bench")
            page = Page(tab)
            time.sleep(1)
            page.idle()
            page.js(WATCH_TASKS)
            page.js(WATCH_STEPS)
            page.give_files("#systemFile", [school / "成绩统计.xlsx"])
            page.give_files("#dataFiles", [school / "数据" / "scores.xlsx"])
            picks.append(timed(page, "const l = document.getElementById('ltbCJB'); l.value = 'scores.xlsx';"
                                     " l.dispatchEvent(new Event('change'))"))
            reports.append(timed(page, "document.querySelector('[data-run=cmdSanXianTJ_Click]').click()",
                                 work / "during-report.png" if not reports else None))
            said = json.loads(page.js("document.body.dataset.messages || '[]'"))
            if said or page.js("document.body.dataset.lastStatus") != "0":
                raise SystemExit(f"the page did not run the report: {said[:2]}")
            memory = max(memory, page.js("ask('memory').then((r) => r.size)"))
            tab_peak = max(tab_peak, tab_peak_mib(proc))
            steps = page.js("JSON.stringify(steps)")
            page.js("unsaved.clear(); new Promise((done) => { indexedDB.deleteDatabase('tavo-work').onsuccess = done; })")
    finally:
        proc.terminate()
        proc.wait()
    n, n2 = statistics.median(native), statistics.median(native_steps)
    pick = statistics.median(p[0] for p in picks)
    report = statistics.median(r[0] for r in reports)
    longest = max(t[1] for t in picks + reports)
    print(f"{students} students: native selection + three-line report {n:.3f} s in one run, {n2:.3f} s in two; "
          f"in the page, pick {pick:.3f} s + report {report:.3f} s = {pick + report:.3f} s "
          f"({(pick + report) / n:.1f}x one run, {(pick + report) / n2:.1f}x two), "
          f"longest main-thread task {longest:.3f} s, engine memory {memory / 2**20:.0f} MiB, "
          f"the tab's peak {tab_peak:.0f} MiB")
    print(f"the last run's steps, in ms: {', '.join(json.loads(steps))}")


if __name__ == "__main__":
    main()
