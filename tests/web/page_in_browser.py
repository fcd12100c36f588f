#!/usr/bin/python3
"""The page in headless Chromium, opened from disk, driven as a teacher
would: the demo's system workbook opened, its score file given, every
report run and both workbooks downloaded, which must equal what the command
line writes from the same files with the same commands; every layout
command; a damaged file and a file of another kind each give one message
box naming it, and the page stays usable; presses before anything is open
say what to open first; a .csv takes every report; 示例 asks, then works;
a reload brings the work back and 清除 forgets it; no network request.
Screenshots on arrival, after the three-line report, of the charts and
after a reload are left in the work folder.

usage: page_in_browser.py NATIVE_TAVO WEB_BUILD WORKDIR
Exit 0 when so, 1 otherwise, 77 (skipped) when the page or Chromium is
missing and CI is not set."""
import base64
import json
import os
import re
import pathlib
import shutil
import socket
import struct
import subprocess
import sys
import time
import urllib.request
import zipfile

from same_as_native import differing, parts
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from checklist import told  # noqa: E402



class DevTools:
    """Just enough of a WebSocket client for the browser's debugging
    protocol: text frames out (masked) and in."""

    def __init__(self, url):
        host, _, path = url[len("ws://"):].partition("/")
        name, _, port = host.partition(":")
        self.sock = socket.create_connection((name, int(port)), timeout=60)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {host}\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                           f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode())
        response = b""
        while b"\r\n\r\n" not in response:
            response += self.sock.recv(1)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(1 << 16)
            if not chunk:
                raise ConnectionError("the browser closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def _frame(self):
        head = self._read(2)
        length = head[1] & 0x7F
        if length == 126:
            length = struct.unpack(">H", self._read(2))[0]
        elif length == 127:
            length = struct.unpack(">Q", self._read(8))[0]
        return head[0] & 0x0F, self._read(length)

    def call(self, method, **params):
        self.next_id += 1
        payload = json.dumps({"id": self.next_id, "method": method, "params": params}).encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        if len(payload) < 126:
            header += bytes([0x80 | len(payload)])
        else:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))
        text = b""
        while True:
            opcode, data = self._frame()
            text += data
            if opcode == 0:
                continue
            message = json.loads(text)
            text = b""
            if message.get("id") == self.next_id:
                return message.get("result", {})
            self.events.append(message)


REPORTS = [("cmdCJ_Click", "三线版"), ("cmdSanXianTJ_Click", ""), ("cmdTwoXianTJ_Click", ""), ("cmdSiLvTJ_Click", ""),
           ("cmdFuFenTJ_Click", ""), ("cmdTuBiaoTJ_Click", ""), ("cmdShiTiTJ_Click", ""), ("cmdDengJiTJ_Click", ""),
           ("cmdJinTuiTJ_Click", ""), ("cmdLinJieTJ_Click", "")]
LAYOUTS = ["cmdSanXianSZ_Click", "cmdTwoXianSZ_Click", "cmdSiLvSZ_Click", "cmdFuFenSZ_Click", "cmdTuBiaoSZ_Click",
           "cmdFenXiSZ_Click"]


def column_digits(col):
    """The letters of a column as 1-26 digits, most significant first."""
    digits = []
    while col:
        col, rest = divmod(col - 1, 26)
        digits.insert(0, rest + 1)
    return digits


class Page:
    """The page in a tab, driven as a teacher would: clicks, files given to
    its file inputs, and waiting until it is idle again."""

    def __init__(self, tab):
        self.tab = tab

    def js(self, expression):
        result = self.tab.call("Runtime.evaluate", expression=expression, awaitPromise=True)
        return result.get("result", {}).get("value")

    def idle(self, timeout=240):
        deadline = time.time() + timeout
        time.sleep(0.2)
        while time.time() < deadline:
            if self.js("document.body.dataset.idle === '1' && !document.getElementById('message').open") is True:
                return
            # A message box waits for its OK, as a teacher gives it.
            self.js("document.getElementById('message').open && document.getElementById('message').close()")
            time.sleep(0.2)
        raise TimeoutError("the page did not finish")

    def click(self, selector):
        self.js(f"document.querySelector({json.dumps(selector)}).click()")
        self.idle()

    def give_files(self, selector, files):
        root = self.tab.call("DOM.getDocument")["root"]["nodeId"]
        node = self.tab.call("DOM.querySelector", nodeId=root, selector=selector)["nodeId"]
        self.tab.call("DOM.setFileInputFiles", nodeId=node, files=[str(f) for f in files])
        self.idle()

    def choose(self, name):
        self.js(f"(() => {{ const l = document.getElementById('ltbCJB'); l.value = {json.dumps(name)};"
                f" l.dispatchEvent(new Event('change')); }})()")
        self.idle()

    def press_and_confirm(self, selector):
        """Presses a button that asks before it replaces work, and says 继续."""
        self.js(f"document.querySelector({json.dumps(selector)}).click()")
        for _ in range(100):
            if self.js("document.getElementById('confirm').open") is True:
                break
            time.sleep(0.1)
        asked = self.js("document.getElementById('confirmText').textContent")
        self.js("document.getElementById('confirmYes').click()")
        self.idle()
        return asked

    def messages(self):
        return json.loads(self.js("document.body.dataset.messages || '[]'"))

    def screenshot(self, path):
        path.write_bytes(base64.b64decode(self.tab.call("Page.captureScreenshot", format="png").get("data", "")))


def open_browser(profile):
    """Headless Chromium with a profile of its own: the process and its
    first tab."""
    proc = subprocess.Popen(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                             "--disable-background-networking", "--disable-component-update", "--disable-sync",
                             f"--user-data-dir={profile}", "--remote-debugging-port=0", "--window-size=1400,900",
                             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = profile / "DevToolsActivePort"
    for _ in range(300):
        if port_file.exists() and port_file.read_text().strip():
            break
        time.sleep(0.1)
    port = port_file.read_text().split()[0]
    pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
    return proc, DevTools(next(p for p in pages if p["type"] == "page")["webSocketDebuggerUrl"])


def main():
    native, web, work = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    browser = shutil.which("chromium")
    if not browser or not (web / "index.html").exists():
        if os.environ.get("CI"):
            print("the page or Chromium is missing")
            return 1
        print("the page (make web) or Chromium is not there: skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    # The demo's school, and the same commands run on a copy of it by the
    # command line, one run each as the page runs them.
    demo, expected, downloads = work / "demo", work / "expected", work / "downloads"
    subprocess.run([native, "demo", str(demo)], check=True, stdout=subprocess.DEVNULL)
    shutil.copytree(demo, expected)
    system = ["--system", str(expected / "成绩统计.xlsx"), "--select", "示例成绩.xlsx"]
    subprocess.run([native, "run", *system], check=True, stdout=subprocess.DEVNULL, cwd=expected)
    for command, csb in REPORTS:
        subprocess.run([native, "run", *system, *(["--csb", csb] if csb else []), command], check=True,
                       stdout=subprocess.DEVNULL, cwd=expected)
    damaged = work / "坏.xlsx"
    damaged.write_bytes(b"PK\x03\x04 this is no workbook")
    other = work / "说明.pdf"
    other.write_bytes(b"%PDF-1.4")
    empty = work / "空.csv"
    empty.write_bytes(b"")
    # The sample's scores as a .csv, as an export gives them.
    from openpyxl import load_workbook
    scores_csv = work / "期中.csv"
    book = load_workbook(demo / "数据" / "示例成绩.xlsx", read_only=True, data_only=True)
    with open(scores_csv, "w", encoding="utf-8", newline="") as out:
        for row in book["数据表"].iter_rows(values_only=True):
            out.write(",".join("" if v is None else str(v) for v in row) + "\n")

    proc, tab = open_browser(work / "profile")
    checks = []
    try:
        tab.call("Network.enable")
        tab.call("Page.enable")
        tab.call("Log.enable")
        tab.call("Emulation.setFocusEmulationEnabled", enabled=True)  # focus and blur as in a window in front
        downloads.mkdir()
        tab.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=str(downloads))
        # A browser that cannot write to the teacher's files: 保存 downloads
        # (offline_app.py writes back where the browser can).
        tab.call("Page.addScriptToEvaluateOnNewDocument",
                 source="window.showSaveFilePicker = undefined; window.showOpenFilePicker = undefined;")
        tab.call("Page.navigate", url=(web / "index.html").resolve().as_uri())
        page = Page(tab)
        for _ in range(100):
            if page.js("document.readyState") == "complete":
                break
            time.sleep(0.1)
        page.idle()
        page.screenshot(work / "arrival.png")
        checks.append((page.js("!document.getElementById('start').hidden && document.getElementById('print').hidden"
                               " && document.getElementById('view').hidden") is True,
                       "on arrival the page says what to press first, and offers nothing to print yet"))

        # Before anything is open: each press says what to do first, once.
        for selector, words in (("[data-run=cmdSanXianTJ_Click]", "新建"), ("#saveSystem", "新建"),
                                ("#saveData", "选一个文件")):
            before = len(page.messages())
            page.click(selector)
            said = page.messages()[before:]
            checks.append((len(said) == 1 and words in said[0] and "zip" not in said[0] and "/school" not in said[0]
                           and "Error" not in said[0], f"{selector} before anything is open says what to do ({said})"))

        start = len(page.messages())
        page.give_files("#systemFile", [demo / "成绩统计.xlsx"])
        # The earlier exam of 进退步 comes along, as a teacher drops both files.
        page.give_files("#dataFiles", [demo / "数据" / "示例成绩.xlsx", demo / "数据" / "示例上次成绩.xlsx"])
        page.choose("示例成绩.xlsx")
        for command, csb in REPORTS:
            if csb:
                page.js(f"document.getElementById('csb').value = {json.dumps(csb)}")
            page.click(f"[data-run={command}]")
            if command == "cmdSanXianTJ_Click":
                page.screenshot(work / "after-three-line.png")
        checks.append((page.messages()[start:] == [], f"the reports ran without a message ({page.messages()[start:][:2]})"))
        phases = json.loads(page.js("document.body.dataset.phases || '[]'"))
        checks.append(("cmdSanXianTJ_Click" in phases and any(p.startswith("读取 ") for p in phases),
                       f"the engine's phases reach the page as they happen ({phases[:6]})"))
        page.click("#saveSystem")
        page.click("#saveData")
        for _ in range(100):
            if all((downloads / f).exists() for f in ("成绩统计.xlsx", "示例成绩.xlsx")):
                break
            time.sleep(0.1)
        for name, native_file in (("成绩统计.xlsx", expected / "成绩统计.xlsx"),
                                  ("示例成绩.xlsx", expected / "数据" / "示例成绩.xlsx")):
            got = downloads / name
            if not got.exists():
                checks.append((False, f"{name} was downloaded"))
                continue
            differ = differing(got, native_file)
            checks.append((not differ, f"{name} as the command line writes it ({len(parts(got))} parts; differ: {differ[:3]})"))

        page.js("document.querySelectorAll('#tabs button').forEach(b => b.textContent === '统计图' && b.click())")
        page.idle()
        page.screenshot(work / "charts.png")
        checks.append((page.js("document.querySelectorAll('#view svg.chart').length") >= 14, "the charts are drawn"))
        # Each over the cells the sheet anchors it to: the first at A1.
        at = page.js("(() => { const c = document.querySelector('#view svg.chart').getBoundingClientRect();"
                     " const a = document.querySelector('#view td[data-r=\"1\"][data-c=\"1\"]').getBoundingClientRect();"
                     " return JSON.stringify([Math.round(c.left - a.left), Math.round(c.top - a.top)]); })()")
        at = json.loads(at) if at else None
        checks.append((at is not None and all(abs(d) <= 2 for d in at), f"the first chart sits at A1 ({at})"))

        # The score data sheet is drawn a window at a time; scrolled to its
        # end, its last student is there as the command line wrote it.
        from openpyxl import load_workbook as load
        data = load(expected / "数据" / "示例成绩.xlsx", read_only=True)["数据表"]
        last_row = data.max_row
        last_cell = next(v for v in list(data.iter_rows(min_row=last_row, max_row=last_row, values_only=True))[0]
                         if v is not None)
        page.js("document.querySelectorAll('#tabs button').forEach(b => b.textContent === '数据表' && b.click())")
        page.idle()
        drawn = int(page.js("document.body.dataset.drawnRows") or 0)
        page.js("(() => { const v = document.getElementById('view'); v.scrollTop = v.scrollHeight; })()")
        shown = None
        for _ in range(50):
            shown = page.js(f"(() => {{ const r = document.querySelector('#view tr[data-row=\"{last_row}\"]');"
                            " return r && [...r.querySelectorAll('td')].map(t => t.innerText).find(t => t !== ''); })()")
            if shown is not None:
                break
            time.sleep(0.1)
        # 打印本表 prints the whole sheet, not the rows in view.
        page.js("window.print = () => { window.printed = document.querySelectorAll('#view tr[data-row]').length; }")
        page.click("#print")
        printed = page.js("window.printed")
        checks.append((printed is not None and printed >= last_row,
                       f"打印本表 draws every row before printing ({printed} rows, the sheet holds {last_row})"))
        checks.append((0 < drawn < last_row and shown == str(last_cell),
                       f"a long sheet is drawn a window at a time ({drawn} of {last_row} rows) and scrolls to its end "
                       f"({shown!r}, expected {last_cell!r})"))

        # 进退步's student rows are kept as the rows' source until asked for:
        # scrolled to its middle, the rows in view hold the texts the
        # command line wrote there.
        progress = load(expected / "数据" / "示例成绩.xlsx", read_only=True)["进退步"]
        written = {(r, c): v for r, row in enumerate(progress.iter_rows(values_only=True), 1)
                   for c, v in enumerate(row, 1) if isinstance(v, str)}
        page.js("document.querySelectorAll('#tabs button').forEach(b => b.textContent === '进退步' && b.click())")
        page.idle()
        page.js("(() => { const v = document.getElementById('view'); v.scrollTop = v.scrollHeight / 2; })()")
        page.idle()
        drawn = json.loads(page.js("JSON.stringify([...document.querySelectorAll('#view td[data-r]')]"
                                   ".map(t => [+t.dataset.r, +t.dataset.c, t.innerText]))") or "[]")
        middle = [(r, c, text) for r, c, text in drawn if r > 10]
        wrong = [(r, c, text, written.get((r, c))) for r, c, text in middle
                 if (r, c) in written and text != written[(r, c)]]
        compared = sum((r, c) in written for r, c, _ in middle)
        checks.append((compared > 20 and not wrong,
                       f"进退步's rows in view are the command line's ({compared} texts compared; differ: {wrong[:3]})"))

        for command in LAYOUTS:
            page.click(f"[data-run={command}]")
        checks.append((page.messages()[start:] == [], f"every layout command ran ({page.messages()[start:][:2]})"))

        # A number typed into the settings sheet the last layout command
        # showed is kept as a number in the system workbook.
        sheet = page.js("document.body.dataset.shown")
        cell = page.js("(() => { const td = [...document.querySelectorAll('#view td[contenteditable=true]')].pop();"
                       " td.focus(); td.innerText = '95.5'; td.blur(); return td.dataset.r + ',' + td.dataset.c; })()")
        page.idle()
        row, col = (int(x) for x in cell.split(","))
        shown = page.js(f"document.querySelector('#view td[data-r=\"{row}\"][data-c=\"{col}\"]').innerText")
        for f in downloads.glob("成绩统计*.xlsx"):
            f.unlink()
        page.click("#saveSystem")
        for _ in range(100):
            if (downloads / "成绩统计.xlsx").exists():
                break
            time.sleep(0.1)
        name = sheet.split("!")[1]
        with zipfile.ZipFile(downloads / "成绩统计.xlsx") as z:
            names = re.findall(r'<sheet name="([^"]+)"', z.read("xl/workbook.xml").decode())
            xml = z.read(f"xl/worksheets/sheet{names.index(name) + 1}.xml").decode()
        ref = f"{''.join(chr(64 + d) for d in column_digits(col))}{row}"
        checks.append((shown == "95.5" and re.search(f'<c r="{ref}"[^>]*><v>95.5</v>', xml) is not None,
                       f"a number typed into {name}!{ref} is saved as a number (shown {shown!r})"))

        before = len(page.messages())
        page.give_files("#dataFiles", [damaged])
        page.choose("坏.xlsx")
        said = page.messages()[before:]
        checks.append((len(said) == 1 and "坏.xlsx" in said[0], f"a damaged file gives one message naming it ({said})"))
        before = len(page.messages())
        page.give_files("#dataFiles", [other])
        said = page.messages()[before:]
        checks.append((len(said) == 1 and "说明.pdf" in said[0], f"another kind of file gives one message ({said})"))
        before = len(page.messages())
        page.choose("示例成绩.xlsx")
        page.click("[data-run=cmdSanXianTJ_Click]")
        checks.append((len(page.messages()) == before and page.js("document.body.dataset.lastStatus") == "0",
                       "the page is still usable"))
        # A .csv is a score file like any other: picked, it is the .xlsx the
        # reports run on, and every report takes it without a word.
        page.give_files("#dataFiles", [scores_csv])
        before = len(page.messages())
        page.choose("期中.csv")
        files = json.loads(page.js("document.body.dataset.files"))
        checks.append(("期中.xlsx" in files and "期中.csv" not in files and
                       page.js("document.getElementById('ltbCJB').value") == "期中.xlsx",
                       f"a picked .csv is listed and chosen as the .xlsx the reports use ({files})"))
        for command, csb in REPORTS:
            page.click(f"[data-run={command}]")
        said = page.messages()[before:]
        checks.append((said == [] and page.js("document.body.dataset.lastStatus") == "0",
                       f"every report runs on the picked .csv ({said[:2]})"))
        before = len(page.messages())
        page.give_files("#dataFiles", [empty])
        said = page.messages()[before:]
        checks.append((len(said) == 1 and "空.csv" in said[0] and "空文件" in said[0],
                       f"an empty file is named as empty ({said})"))

        # 新建, then 示例: it asks, then the sample takes the page's place.
        page.click("#init")
        before = len(page.messages())
        asked = page.press_and_confirm("#demo")
        said = page.messages()[before:]
        files = json.loads(page.js("document.body.dataset.files"))
        checks.append(("示例" in asked and files == ["示例成绩.xlsx", "示例上次成绩.xlsx"] and page.js("document.body.dataset.lastStatus") == "0",
                       f"示例 after 新建 asks and then works ({asked!r}, {files}, {said[:2]})"))

        # The work is kept in the browser: a reload brings it back as it was,
        # and 清除 forgets it.
        page.give_files("#dataFiles", [scores_csv])
        page.choose("期中.csv")
        kept = json.loads(page.js("document.body.dataset.files"))
        checks.append((page.js("document.body.dataset.unsaved") == "1", "work not yet downloaded is known to the page"))
        mark = len(tab.events)
        tab.call("Page.reload")
        for _ in range(300):
            if any(e.get("method") == "Page.javascriptDialogOpening" for e in tab.events[mark:]):
                tab.call("Page.handleJavaScriptDialog", accept=True)
                mark = len(tab.events)
            if page.js("document.readyState") == "complete" and page.js("document.body.dataset.idle") == "1":
                break
            time.sleep(0.1)
        page.idle()
        page.screenshot(work / "restored.png")
        files = json.loads(page.js("document.body.dataset.files") or "[]")
        checks.append((sorted(files) == sorted(kept) and page.js("document.body.dataset.restored") == "1"
                       and page.js("!document.getElementById('kept').hidden") is True
                       and page.js("document.getElementById('systemState').textContent") == "已打开",
                       f"a reload brings the work back ({files} after {kept})"))
        page.press_and_confirm("#forget")
        files = json.loads(page.js("document.body.dataset.files") or "[]")
        checks.append((files == [] and page.js("document.getElementById('systemState').textContent") != "已打开"
                       and page.js("!document.getElementById('start').hidden") is True,
                       f"清除 forgets the kept work ({files})"))

        # (A page without a user gesture may not ask before unloading: the
        # browser says so when the test reloads it.)
        refused = [e["params"]["entry"]["text"][:120] for e in tab.events if e.get("method") == "Log.entryAdded"
                   and e["params"]["entry"].get("level") == "error"
                   and "beforeunload" not in e["params"]["entry"]["text"]]
        checks.append((not refused, f"the browser logs no error, the page's policy refuses nothing ({refused[:2]})"))
        requests = [e["params"]["request"]["url"] for e in tab.events if e.get("method") == "Network.requestWillBeSent"]
        outside = [u for u in requests if not u.startswith(("file:", "blob:", "data:"))]
        checks.append((not outside, f"no network request ({outside[:3]})"))
    finally:
        proc.terminate()
        proc.wait()
    return told(checks)


if __name__ == "__main__":
    sys.exit(main())
