"""What the interop checks share: the programs they need, skipped where
they are missing outside CI, and a fresh `tavo demo` to check."""
import os
import pathlib
import shutil
import subprocess

SKIPPED = 77


def missing(programs, what):
    """The exit status when one of `programs` is not installed (1 in CI,
    where it must be, else skipped), or None when all are."""
    if all(shutil.which(p) for p in programs):
        return None
    if os.environ.get("CI"):
        print(f"{what} is missing")
        return 1
    print(f"{what} is not installed: skipped")
    return SKIPPED


def office():
    return shutil.which("soffice") or shutil.which("libreoffice")


def fresh_demo(tavo, work):
    """`tavo demo` in an emptied `work`; the demo's folder."""
    work = pathlib.Path(work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    demo = work / "demo"
    subprocess.run([tavo, "demo", str(demo)], check=True, stdout=subprocess.DEVNULL)
    return demo
