"""Every part of every file `tavo demo` writes, byte for byte as it stands in
the zip (uncompressed), against the digests kept in demo_golden.sha256.
Work on speed must leave them all as they are; a change that means to alter
output updates the digests with --update and says why in its commit.

  demo_golden.py TAVO WORK [--update]

The date in the four-rates and assigned-score titles is today's: it is
replaced by a placeholder before hashing, also where the title's text runs
split it."""
import hashlib
import pathlib
import re
import shutil
import subprocess
import sys
import zipfile

GOLDEN = pathlib.Path(__file__).with_name("demo_golden.sha256")
# "统计  Y.M.D": a shared string holding it becomes one placeholder whole,
# since the title's second text run starts ten characters from its end and
# so moves with the date's length.
TODAY = re.compile(rb"<si>(?:(?!</si>).)*?\xe7\xbb\x9f\xe8\xae\xa1(?:(?!</si>).)*?\d{4}\.\d{1,2}\.\d{1,2}"
                   rb"(?:(?!</si>).)*?</si>", re.S)


def digests(demo):
    found = {}
    for book in sorted(demo.rglob("*.xlsx")):
        with zipfile.ZipFile(book) as z:
            for part in sorted(z.namelist()):
                data = TODAY.sub("<si>统计  <date></si>".encode(), z.read(part))
                found[f"{book.relative_to(demo).as_posix()}:{part}"] = hashlib.sha256(data).hexdigest()
    return found


def main():
    tavo, work = sys.argv[1], pathlib.Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    demo = work / "demo"
    subprocess.run([tavo, "demo", str(demo)], check=True, stdout=subprocess.DEVNULL)
    found = digests(demo)
    if "--update" in sys.argv:
        GOLDEN.write_text("".join(f"{h}  {name}\n" for name, h in found.items()), encoding="utf-8")
        print(f"{len(found)} digests written to {GOLDEN}")
        return 0
    kept = {}
    for line in GOLDEN.read_text(encoding="utf-8").splitlines():
        h, name = line.split("  ", 1)
        kept[name] = h
    differ = [n for n in sorted(kept.keys() | found.keys()) if kept.get(n) != found.get(n)]
    for name in differ:
        state = "missing" if name not in found else "new" if name not in kept else "differs"
        print(f"{state}: {name}")
    print(f"{len(found)} parts, {len(differ)} not as kept (demo left in {demo})")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
