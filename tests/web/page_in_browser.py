#!/usr/bin/python3
"""The page in headless Chromium, opened from disk: its self-test makes the
sample school in the worker, runs every command and previews the chart
sheet; the page must show the score workbook's report sheets, draw the
charts and make no network request. A screenshot is left beside the work
folder's files for a person to look at.

usage: page_in_browser.py WEB_BUILD WORKDIR
Exit 0 when so, 1 otherwise, 77 (skipped) when the page or Chromium is
missing and CI is not set."""
import base64
import json
import os
import pathlib
import shutil
import socket
import struct
import subprocess
import sys
import time
import urllib.request

REPORT_SHEETS = ["数据表", "成绩表", "总分1", "单科1", "统计图"]


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


def main():
    web, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    browser = shutil.which("chromium")
    if not browser or not (web / "index.html").exists():
        if os.environ.get("CI"):
            print("the page or Chromium is missing")
            return 1
        print("the page (make web) or Chromium is not there: skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    profile = work / "profile"
    proc = subprocess.Popen([browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                             "--disable-background-networking", "--disable-component-update", "--disable-sync",
                             f"--user-data-dir={profile}", "--remote-debugging-port=0", "--window-size=1400,900",
                             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        port_file = profile / "DevToolsActivePort"
        for _ in range(300):
            if port_file.exists() and port_file.read_text().strip():
                break
            time.sleep(0.1)
        port = port_file.read_text().split()[0]
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        tab = DevTools(next(p for p in pages if p["type"] == "page")["webSocketDebuggerUrl"])
        tab.call("Network.enable")
        tab.call("Page.enable")
        tab.call("Page.navigate", url=(web / "index.html").resolve().as_uri() + "#selftest")
        seen = None
        deadline = time.time() + 240
        while time.time() < deadline and not seen:
            time.sleep(0.5)
            value = tab.call("Runtime.evaluate", expression="document.body && document.body.dataset.selftest || ''")
            seen = value.get("result", {}).get("value")
        shot = tab.call("Page.captureScreenshot", format="png")
        (work / "page.png").write_bytes(base64.b64decode(shot.get("data", "")))
        requests = [e["params"]["request"]["url"] for e in tab.events if e.get("method") == "Network.requestWillBeSent"]
    finally:
        proc.terminate()
        proc.wait()
    failed = 0
    if not seen:
        print("the page's self-test did not finish")
        return 1
    result = json.loads(seen)
    print(f"self-test: {result}")
    checks = [
        (result["status"] == 0, "the sample school ran without error"),
        (result["files"] == ["示例成绩.xlsx"], "the score file is listed"),
        (all(s in result["sheets"] for s in REPORT_SHEETS), "the report sheets are there to preview"),
        (result["charts"] >= 2, "the charts are drawn"),
        (result["cells"] > 20, "the sheet is shown as a table"),
    ]
    outside = [u for u in requests if not u.startswith(("file:", "blob:", "data:"))]
    checks.append((not outside, f"no network request ({outside[:3]})"))
    for good, label in checks:
        print(f"{'ok  ' if good else 'FAIL'} {label}")
        failed += not good
    print(f"{len(checks) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
