#!/usr/bin/python3
"""The published page (the web build's site/) served over http to headless
Chromium: it is an installable app (its manifest read without errors, the
browser finds nothing against installing it) whose service worker takes
control; then the server goes away, and the page reloads and makes the
sample school all the same; 保存 writes back to the files opened, or
asks once where. Opened from disk the page registers nothing
(page_in_browser.py checks that no request leaves it).

usage: offline_app.py WEB_BUILD WORKDIR
Exit 0 when so, 1 otherwise, 77 (skipped) as page_in_browser.py."""
import functools
import http.server
import json
import os
import pathlib
import shutil
import sys
import threading
import time

from page_in_browser import Page, open_browser
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from checklist import told  # noqa: E402


def main():
    web, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    site = web / "site"
    if not shutil.which("chromium") or not (site / "index.html").exists():
        if os.environ.get("CI"):
            print("the published page or Chromium is missing")
            return 1
        print("the page (make web) or Chromium is not there: skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *a: None})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    address = f"http://127.0.0.1:{server.server_address[1]}/"

    proc, tab = open_browser(work / "profile")
    checks = []
    try:
        tab.call("Page.enable")
        tab.call("Page.navigate", url=address)
        page = Page(tab)
        for _ in range(100):
            if page.js("document.readyState") == "complete":
                break
            time.sleep(0.1)
        page.idle()
        for _ in range(300):
            if page.js("!!navigator.serviceWorker.controller") is True:
                break
            time.sleep(0.1)
        checks.append((page.js("!!navigator.serviceWorker.controller") is True,
                       "the service worker takes control of the page"))
        manifest = tab.call("Page.getAppManifest")
        checks.append((bool(manifest.get("data")) and not manifest.get("errors"),
                       f"the manifest is read without errors ({manifest.get('errors')})"))
        errors = tab.call("Page.getInstallabilityErrors").get("installabilityErrors", [])
        checks.append((not errors, f"nothing stands against installing the page ({[e.get('errorId') for e in errors]})"))

        server.shutdown()
        server.server_close()
        tab.call("Page.reload")
        time.sleep(0.5)
        for _ in range(100):
            if page.js("document.readyState") == "complete":
                break
            time.sleep(0.1)
        page.idle()
        checks.append((page.js("document.title") == "成绩统计", "with the server gone the page opens again"))
        page.click("#demo")
        files = json.loads(page.js("document.body.dataset.files || '[]'"))
        checks.append((files == ["示例成绩.xlsx", "示例上次成绩.xlsx"] and page.js("document.body.dataset.lastStatus") == "0"
                       and page.js("document.querySelectorAll('#view td[data-r]').length") > 0,
                       f"and makes the sample school, offline ({files})"))

        # Where the browser can write to the teacher's files, 保存 writes
        # back to the file opened, or asks once where and remembers it, even
        # across a reload. The browser's pickers give files of the page's
        # private folder here, as they would the teacher's.
        page.js("""(async () => {
            window.root = await navigator.storage.getDirectory();
            window.opfs = async (name) => root.getFileHandle(name, {create: true});
            const system = await opfs('opened.xlsx'), out = await system.createWritable();
            await out.write((await ask('download', {file: 'system'})).bytes);
            await out.close();
            window.showOpenFilePicker = async () => [system];
            window.saveAsked = 0;
            window.showSaveFilePicker = async () => (++saveAsked, opfs('chosen.xlsx'));
        })()""")
        same = ("(async (name, file) => { const a = new Uint8Array(await (await (await opfs(name)).getFile()).arrayBuffer());"
                " const b = new Uint8Array((await ask('download', {file})).bytes);"
                " return a.length > 0 && a.length === b.length && a.every((x, i) => x === b[i]); })")
        page.click("#openSystem")
        page.click("[data-run=cmdSanXianSZ_Click]")
        page.click("#saveSystem")
        checks.append((page.js(f"{same}('opened.xlsx', 'system')") is True and page.js("saveAsked") == 0,
                       "保存 writes the system workbook back to the file opened, without asking where"))
        page.click("#saveData")
        page.click("#saveData")
        checks.append((page.js(f"{same}('chosen.xlsx', '示例成绩.xlsx')") is True and page.js("saveAsked") == 1,
                       f"a score file not opened from disk is saved where the teacher says, asked once "
                       f"({page.js('saveAsked')} times)"))
        tab.call("Page.reload")
        time.sleep(0.5)
        page.idle()
        page.js("window.saveAsked = 0; window.showSaveFilePicker = async () => { ++saveAsked; throw new DOMException('', 'AbortError'); };"
                " window.opfs = async (name) => (await navigator.storage.getDirectory()).getFileHandle(name);")
        written = "(async () => (await (await opfs('chosen.xlsx')).getFile()).lastModified)()"
        before = page.js(written)
        page.choose("示例成绩.xlsx")
        page.click("[data-run=cmdSanXianTJ_Click]")
        time.sleep(0.05)
        page.click("#saveData")
        checks.append((page.js(f"{same}('chosen.xlsx', '示例成绩.xlsx')") is True and page.js("saveAsked") == 0
                       and page.js(written) > before and page.js("document.body.dataset.lastStatus") == "0",
                       "after a reload 保存 still writes where it did"))

        published = sorted(p.name for p in site.iterdir())
        checks.append((published == ["icon.svg", "index.html", "manifest.webmanifest", "sw.js"],
                       f"the published folder holds the page and what makes it an app ({published})"))
    finally:
        proc.terminate()
        proc.wait()
    return told(checks)


if __name__ == "__main__":
    sys.exit(main())
