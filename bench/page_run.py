"""The three-line report of a generated school in the page, in headless
Chromium, against the native command line in the same run: the selection
and the report from the same files, each the median of three.

  /usr/bin/python3 page_run.py BUILD_DIR WEB_BUILD_DIR [STUDENTS]"""
import json
import pathlib
import shutil
import statistics
import subprocess
import sys
import time
import urllib.request

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "web"))
from page_in_browser import DevTools, Page  # noqa: E402


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

    native = []
    for _ in range(3):
        copy = work / "native"
        shutil.rmtree(copy, ignore_errors=True)
        shutil.copytree(school, copy)
        start = time.perf_counter()
        subprocess.run([tavo, "run", "--system", copy / "成绩统计.xlsx", "--select", "scores.xlsx",
                        "cmdSanXianTJ_Click"], check=True, stdout=subprocess.DEVNULL, cwd=copy)
        native.append(time.perf_counter() - start)

    profile = work / "profile"
    proc = subprocess.Popen(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                             "--disable-background-networking", f"--user-data-dir={profile}",
                             "--remote-debugging-port=0", "about:blank"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(300):
            port_file = profile / "DevToolsActivePort"
            if port_file.exists() and port_file.read_text().strip():
                break
            time.sleep(0.1)
        port = (profile / "DevToolsActivePort").read_text().split()[0]
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        tab = DevTools(next(p for p in pages if p["type"] == "page")["webSocketDebuggerUrl"])
        tab.call("Page.navigate", url=(web / "index.html").as_uri())
        page = Page(tab)
        time.sleep(1)
        page.idle()
        browser = []
        for _ in range(3):
            page.give_files("#systemFile", [school / "成绩统计.xlsx"])
            page.give_files("#dataFiles", [school / "数据" / "scores.xlsx"])
            seconds = page.js("(async () => { const t = performance.now();"
                              " const r = await ask('run', {select: 'scores.xlsx', commands: ['cmdSanXianTJ_Click']});"
                              " if (r.status !== 0) throw new Error(JSON.stringify(r.lines));"
                              " return (performance.now() - t) / 1000; })()")
            browser.append(seconds)
    finally:
        proc.terminate()
        proc.wait()
    n, b = statistics.median(native), statistics.median(browser)
    print(f"{students} students, three-line report with the selection: native {n:.3f} s, "
          f"headless Chromium {b:.3f} s ({b / n:.1f}x)")


if __name__ == "__main__":
    main()
