#!/usr/bin/python3
"""The page as one file: the template with the page's script, and the
worker's script (the engine with its WebAssembly inside, then worker.js)
carried in base64, so that the page works opened from disk. Beside it,
SITE_DIR: the page with what makes it an installable app that works
offline (its manifest, icon and service worker), ready to publish.

  assemble_page.py PAGE_DIR ENGINE_JS OUT_HTML SITE_DIR"""
import base64
import hashlib
import pathlib
import shutil
import sys

page, engine, out, site = (pathlib.Path(a) for a in sys.argv[1:5])
worker = engine.read_bytes() + b"\n" + (page / "worker.js").read_bytes()
html = (page / "index.html").read_text(encoding="utf-8")
html = html.replace("@APP@", (page / "app.js").read_text(encoding="utf-8"))
html = html.replace("@ENGINE_BASE64@", base64.b64encode(worker).decode("ascii"))
out.write_text(html, encoding="utf-8")

shutil.rmtree(site, ignore_errors=True)
site.mkdir(parents=True)
(site / "index.html").write_text(html, encoding="utf-8")
published = page.parent / "site"
version = hashlib.sha256(html.encode("utf-8"))
for name in sorted(p.name for p in published.iterdir()):
    version.update((published / name).read_bytes())
for source in published.iterdir():
    if source.name == "sw.js":
        text = source.read_text(encoding="utf-8").replace("@VERSION@", version.hexdigest()[:16])
        (site / source.name).write_text(text, encoding="utf-8")
    else:
        shutil.copyfile(source, site / source.name)
