#!/usr/bin/python3
"""The page as one file: the template with the page's script, and the
worker's script (the engine with its WebAssembly inside, then worker.js)
carried in base64, so that the page works opened from disk.

  assemble_page.py PAGE_DIR ENGINE_JS OUT_HTML"""
import base64
import pathlib
import sys

page, engine, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
worker = engine.read_bytes() + b"\n" + (page / "worker.js").read_bytes()
html = (page / "index.html").read_text(encoding="utf-8")
html = html.replace("@APP@", (page / "app.js").read_text(encoding="utf-8"))
html = html.replace("@ENGINE_BASE64@", base64.b64encode(worker).decode("ascii"))
out.write_text(html, encoding="utf-8")
